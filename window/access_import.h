#pragma once
// 文件 → 导入 Access 数据库…: the user chooses an Access file (or an older catalogue), is asked
// whether an older catalogue's templates are added or replace ours, and before a project of
// the same name is replaced, and sees the import's report. The import is one step of the
// undo history; the site database it wrote stays on disk when that step is undone, and the
// undo says so.
#include <QObject>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <map>
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

    // The window lists the report in its 问题 list; tests choose the file and read the report
    // without dialogs.
    void setFileChooser(FileChooser choose) { choose_ = std::move(choose); }
    void setReportViewer(ReportViewer view) { view_ = std::move(view); }

    void run();

    // After an undo: what the imports of this session left on disk for the projects the undo
    // took away or put back (`before`: project name -> id before the undo); empty when none.
    std::string whatStays(const std::map<std::string, qint64>& before, catalogue::Catalogue& db) const;

signals:
    // A project was made (or replaced); its id.
    void imported(qint64 projectId);

private:
    designer::EditorContext& context_;
    std::filesystem::path runDir_;
    QWidget* parent_;
    FileChooser choose_;
    ReportViewer view_;
    struct WrittenData {
        qint64 projectId = -1;
        std::filesystem::path dataFile;
        std::filesystem::path keptCopy;  // the earlier data.mdb, when there was one
    };
    std::map<std::string, WrittenData> written_;  // by project name, the latest import of each
};

}  // namespace tabulon::window
