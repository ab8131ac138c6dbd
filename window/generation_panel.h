#pragma once
// The generation controls: the table and page-kind check boxes of the "生成" page and the
// four numbered buttons that build the site.
#include <QCheckBox>
#include <QObject>
#include <QPushButton>
#include <QWidget>

#include <filesystem>

#include "designer/editor_context.h"
#include "generator/build/site_build.h"

namespace tabulon::window {

struct GenerationControls {
    QCheckBox* allTables;          // 选择框1 "所有表"
    QCheckBox* chosenTable;        // 选择框2 "选定表"
    QCheckBox* addPage;            // 选择框3
    QCheckBox* modifyPage;         // 选择框4
    QCheckBox* deletePage;         // 选择框5
    QCheckBox* listPage;           // 选择框6
    QCheckBox* displayPage;        // 选择框7
    QPushButton* releaseSkeleton;  // 按钮15 "①释放原始文件"
    QPushButton* databaseFile;     // 按钮10 "②生成数据库文件"
    QPushButton* pages;            // 按钮11 "③生成执行代码"
    QPushButton* login;            // 按钮16 "④生成登录代码"
};

class GenerationPanel final : public QObject {
    Q_OBJECT
public:
    // Sites are written to `<runDir>/<项目名称>/`; progress dialogs are shown over `window`.
    GenerationPanel(designer::EditorContext& context, const GenerationControls& controls, std::filesystem::path runDir,
                    QWidget* window);

signals:
    // A step ended without a message of its own: a line for the status bar.
    void reported(const QString& text);

private:
    // Runs one step of the site build on the selected project, with a progress dialog
    // that steps aside for the step's messages.
    generator::BuildResult build(catalogue::Catalogue& db, generator::BuildStep& step, const QString& label);
    static QString progressLabel(const generator::BuildStep& step);
    // One small function per numbered step, so each generator is wired in one place.
    void releaseSkeleton(catalogue::Catalogue& db);
    void generateDatabase(catalogue::Catalogue& db);
    void generatePages(catalogue::Catalogue& db);
    void generateLogin(catalogue::Catalogue& db);

    designer::EditorContext& context_;
    GenerationControls controls_;
    std::filesystem::path runDir_;
    QWidget* window_;
};

}  // namespace tabulon::window
