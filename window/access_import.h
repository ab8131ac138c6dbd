#pragma once
// 文件 → 导入 Access 数据库…: the user chooses an Access file (or an older catalogue), is asked
// before a project of the same name is replaced, and sees the import's report. The import is
// one step of the undo history.
#include <QObject>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "designer/editor_context.h"

namespace tabulon::window {

class AccessImport final : public QObject {
    Q_OBJECT
public:
    using FileChooser = std::function<QString(QWidget*)>;
    using ReportViewer = std::function<void(QWidget*, const std::vector<std::string>&)>;

    AccessImport(designer::EditorContext& context, std::filesystem::path runDir, QWidget* parent);

    // Tests choose the file and read the report without dialogs.
    void setFileChooser(FileChooser choose) { choose_ = std::move(choose); }
    void setReportViewer(ReportViewer view) { view_ = std::move(view); }

    void run();

signals:
    // A project was made (or replaced); its id.
    void imported(qint64 projectId);

private:
    designer::EditorContext& context_;
    std::filesystem::path runDir_;
    QWidget* parent_;
    FileChooser choose_;
    ReportViewer view_;
};

}  // namespace tabulon::window
