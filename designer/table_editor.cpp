#include "designer/table_editor.h"

#include <QShortcut>
#include <QSignalBlocker>

#include "designer/deletion_questions.h"
#include "designer/entries.h"
#include "designer/text_rules.h"
#include "designer/user_pick.h"

namespace tabulon::designer {

TableEditor::TableEditor(EditorContext& context, const TableControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    onUserPick(controls_.tables, [this] { context_.handle([this](auto& db) { choose(db); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    auto* deleteKey = new QShortcut(QKeySequence::Delete, controls_.tables, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, controls_.remove, &QPushButton::click);
}

QString TableEditor::title() const {
    return controls_.projectLabel->text() + QString::fromLatin1(kTitleGap) + context_.selection().tableName();
}

bool TableEditor::restore(catalogue::Id tableId) {
    for (int i = 0; i < controls_.tables->count(); ++i) {
        if (controls_.tables->item(i)->data(kItemValueRole).toLongLong() != tableId) continue;
        const QSignalBlocker quiet(controls_.tables);
        controls_.tables->setCurrentRow(i);
        controls_.projectLabel->setText(context_.selection().projectName());
        return true;
    }
    controls_.projectLabel->clear();
    return false;
}

void TableEditor::clearForm() {
    controls_.name->clear();
    controls_.description->clear();
    controls_.projectLabel->clear();
}

void TableEditor::choose(catalogue::Catalogue& db) {
    const catalogue::Id tableId = context_.selection().table();
    const auto table = db.table(tableId);
    controls_.name->setText(table ? toQt(table->name) : QString());
    controls_.description->setText(table ? toQt(table->description) : QString());
    controls_.projectLabel->setText(context_.selection().projectName());
    emit tableChosen(tableId, title());
}

void TableEditor::add(catalogue::Catalogue& db) {
    const catalogue::Id projectId = context_.selection().project();
    // A table needs a project to belong to; stored without one it would be seen nowhere.
    if (projectId < 0) {
        context_.messages().show("请选择一个项目");
        return;
    }
    const std::string name = withoutSpaces(toUtf8(controls_.name->text()));
    if (name.empty()) {
        context_.messages().show(kEmptyTableName);
        return;
    }
    if (const auto refused = tableNameRefusal(name)) {
        context_.messages().show(*refused);
        return;
    }
    if (db.tableByName(projectId, name)) {
        context_.messages().show("存在重名的表");
    } else {
        db.addTable({0, projectId, name, toUtf8(controls_.description->text())});
    }
    controls_.name->clear();
    controls_.description->clear();
    emit tablesChanged();
}

void TableEditor::modify(catalogue::Catalogue& db) {
    auto table = db.table(context_.selection().table());
    if (!table) {
        context_.messages().show("对应的表不存在");
        return;
    }
    if (withoutSpaces(toUtf8(controls_.name->text())).empty()) {
        context_.messages().show(kEmptyTableName);
        return;
    }
    table->name = withoutSpaces(toUtf8(controls_.name->text()));
    if (const auto refused = tableNameRefusal(table->name)) {
        context_.messages().show(*refused);
        return;
    }
    table->description = toUtf8(controls_.description->text());
    db.updateTable(*table);
    emit tablesChanged();
}

void TableEditor::remove(catalogue::Catalogue& db) {
    const catalogue::Id tableId = context_.selection().table();
    if (!db.table(tableId)) {
        context_.messages().show("该项目不存在，对应名称的表");
        return;
    }
    if (!context_.confirm(tableDeletionQuestion(db, tableId))) return;
    db.deleteTable(tableId);  // its fields go with it
    emit tablesChanged();
}

}  // namespace tabulon::designer
