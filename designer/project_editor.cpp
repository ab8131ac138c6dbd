#include "designer/project_editor.h"

#include <QShortcut>

#include "designer/deletion_questions.h"
#include "designer/entries.h"
#include "designer/text_rules.h"

namespace tabulon::designer {

ProjectEditor::ProjectEditor(EditorContext& context, const ProjectControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    // `activated` comes only from the user's pick, never from the fills below.
    connect(controls_.projects, &QComboBox::activated, this, [this] { context_.handle([this](auto&) { choose(); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    // Enter in the name box adds, as in the field name box.
    connect(controls_.name, &QLineEdit::returnPressed, controls_.add, &QPushButton::click);
    // Delete on the project box deletes the project, after the same question.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, controls_.projects, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, controls_.remove, &QPushButton::click);
}

void ProjectEditor::fillProjects() {
    const auto projects = context_.db().projects();
    clearEntries(controls_.projects);
    for (const auto& project : projects) addEntry(controls_.projects, toQt(project.name), project.id);
    selectFirst(controls_.projects);
}

void ProjectEditor::refresh() {
    auto& db = context_.db();
    const catalogue::Id projectId = context_.selection().project();
    const auto tables = db.tables(projectId);
    clearEntries(controls_.tables);
    for (const auto& table : tables) addEntry(controls_.tables, toQt(table.name), table.id);

    const auto project = db.project(projectId);
    controls_.name->setText(project ? toQt(project->name) : QString());
    controls_.note->setText(project ? toQt(project->note) : QString());
}

void ProjectEditor::choose() {
    refresh();
    emit projectChosen();
}

// Selects a project by id and shows it everywhere, so the boxes, the table list and the
// project box always speak of the same project.
void ProjectEditor::select(catalogue::Id projectId) {
    const int index = controls_.projects->findData(QVariant::fromValue<qlonglong>(projectId), kItemValueRole);
    if (index >= 0) controls_.projects->setCurrentIndex(index);
    choose();
}

void ProjectEditor::reselect(catalogue::Id projectId) {
    const int index = controls_.projects->findData(QVariant::fromValue<qlonglong>(projectId), kItemValueRole);
    if (index >= 0) controls_.projects->setCurrentIndex(index);
}

std::optional<std::string> ProjectEditor::refusedInput(const std::string& name, const std::string& note) const {
    if (auto refused = projectNameRefusal(name)) return refused;
    return pageTextRefusal("项目备注", note);
}

void ProjectEditor::add(catalogue::Catalogue& db) {
    const std::string name = toUtf8(controls_.name->text());
    // A nameless project would have no site folder; the typed note stays in its box.
    if (controls_.name->text().trimmed().isEmpty()) {
        context_.messages().show(kEmptyProjectName);
        return;
    }
    if (const auto refused = refusedInput(name, toUtf8(controls_.note->text()))) {
        context_.messages().show(*refused);
        return;
    }
    if (db.projectByName(name)) {
        context_.messages().show("存在重名项目");
    } else {
        db.addProject({0, name, toUtf8(controls_.note->text())});
    }
    fillProjects();
    // The newest project now leads the list and is selected: show its (empty) table list.
    choose();
    controls_.name->clear();
    controls_.note->clear();
}

void ProjectEditor::modify(catalogue::Catalogue& db) {
    const catalogue::Id projectId = context_.selection().project();
    auto project = db.project(projectId);
    if (project && controls_.name->text().trimmed().isEmpty()) {
        context_.messages().show(kEmptyProjectName);
        return;
    }
    if (const auto refused = refusedInput(toUtf8(controls_.name->text()), toUtf8(controls_.note->text()));
        project && refused) {
        context_.messages().show(*refused);
        return;
    }
    const std::string oldName = project ? project->name : std::string();
    if (project) {
        project->name = toUtf8(controls_.name->text());
        project->note = toUtf8(controls_.note->text());
        db.updateProject(*project);
    }
    fillProjects();
    // Keep the project that was just edited selected; a second "修改" must not rewrite
    // the newest project with this one's name.
    if (project) select(projectId);
    if (project && project->name != oldName) emit projectRenamed(oldName, project->name);
}

void ProjectEditor::remove(catalogue::Catalogue& db) {
    const catalogue::Id projectId = context_.selection().project();
    if (db.project(projectId)) {
        if (!context_.confirm(projectDeletionQuestion(db, projectId))) return;
        db.deleteProject(projectId);
    }
    fillProjects();
    // The deleted project's tables must not stay on show under another project's name.
    choose();
}

}  // namespace tabulon::designer
