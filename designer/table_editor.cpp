#include "designer/table_editor.h"

#include <QShortcut>
#include <QSignalBlocker>

#include "designer/deletion_questions.h"
#include "designer/entries.h"
#include "designer/text_rules.h"
#include "designer/user_pick.h"
#include "generator/check/design_rules.h"

namespace tabulon::designer {

TableEditor::TableEditor(EditorContext& context, const TableControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    onUserPick(controls_.tables, [this] { context_.handle([this](auto& db) { choose(db); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    // Enter in the name box adds, as in the field name box.
    connect(controls_.name, &QLineEdit::returnPressed, controls_.add, &QPushButton::click);
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

std::optional<std::string> TableEditor::refusedInput(const std::string& name, const std::string& description) {
    if (auto refused = tableNameRefusal(name)) return refused;
    return pageTextRefusal("表说明", description);
}

bool TableEditor::clashingTable(catalogue::Catalogue& db, catalogue::Id projectId, const std::string& name,
                                catalogue::Id self) {
    for (const auto& table : db.tables(projectId))
        if (table.id != self && generator::sameDatabaseName(table.name, name)) return true;
    return false;
}

void TableEditor::add(catalogue::Catalogue& db) {
    const catalogue::Id projectId = context_.selection().project();
    // A table needs a project to belong to; stored without one it would be seen nowhere.
    if (projectId < 0) {
        context_.messages().show("请选择一个项目");
        return;
    }
    const std::string name = toUtf8(controls_.name->text());
    if (controls_.name->text().trimmed().isEmpty()) {
        context_.messages().show(kEmptyTableName);
        return;
    }
    if (const auto refused = refusedInput(name, toUtf8(controls_.description->text()))) {
        context_.messages().show(*refused);
        return;
    }
    catalogue::Id added = -1;
    if (clashingTable(db, projectId, name, 0)) {
        context_.messages().show("存在重名的表");
    } else {
        added = db.addTable({0, projectId, name, toUtf8(controls_.description->text())});
    }
    if (added < 0) {
        controls_.name->clear();
        controls_.description->clear();
        emit tablesChanged();
        return;
    }
    // The boxes show the new table, which is chosen.
    emit tableAdded(added);
}

void TableEditor::modify(catalogue::Catalogue& db) {
    auto table = db.table(context_.selection().table());
    if (!table) {
        context_.messages().show("对应的表不存在");
        return;
    }
    if (controls_.name->text().trimmed().isEmpty()) {
        context_.messages().show(kEmptyTableName);
        return;
    }
    table->name = toUtf8(controls_.name->text());
    if (const auto refused = refusedInput(table->name, toUtf8(controls_.description->text()))) {
        context_.messages().show(*refused);
        return;
    }
    // Two tables the database cannot tell apart would leave one without pages.
    if (clashingTable(db, table->projectId, table->name, table->id)) {
        context_.messages().show("存在重名的表");
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
