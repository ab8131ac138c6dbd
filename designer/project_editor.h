#pragma once
// The project editor: the project box, the table list it fills, and the name, note and
// add/modify/delete controls of the "项目" page.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>

#include <optional>
#include <string>

#include "designer/editor_context.h"

namespace tabulon::designer {

inline constexpr const char* kEmptyProjectName = "项目名称不能为空。";

struct ProjectControls {
    QComboBox* projects;  // 组合框1
    QListWidget* tables;  // 列表框1
    QLineEdit* name;      // 编辑框4
    QLineEdit* note;      // 编辑框3
    QPushButton* add;     // 按钮4
    QPushButton* modify;  // 按钮6
    QPushButton* remove;  // 按钮5
};

class ProjectEditor final : public QObject {
    Q_OBJECT
public:
    ProjectEditor(EditorContext& context, const ProjectControls& controls, QObject* parent = nullptr);

    // Lists every project, newest first, and selects the first one.
    void fillProjects();
    // Lists the current project's tables (none selected) and shows its name and note.
    void refresh();
    // What picking a project does: refresh, then `projectChosen` for the rest of the window.
    void choose();

    // Chooses the project `projectId` again after a refill, without the pick's effects;
    // the first project when it is gone. The caller refreshes what shows it.
    void reselect(catalogue::Id projectId);

signals:
    // The current project changed: the window shows the "项目" page and refills the join
    // strip's table lists.
    void projectChosen();
    // The project's name changed from `oldName` to `newName` (its site folder may follow).
    void projectRenamed(const std::string& oldName, const std::string& newName);

private:
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);
    void select(catalogue::Id projectId);
    // Why a typed name and note cannot be stored, or nothing.
    std::optional<std::string> refusedInput(const std::string& name, const std::string& note) const;

    EditorContext& context_;
    ProjectControls controls_;
};

}  // namespace tabulon::designer
