#include "designer/field_links.h"

#include <algorithm>

#include <QStringList>

#include "designer/entries.h"
#include "designer/text_rules.h"

namespace tabulon::designer {
namespace {

using catalogue::FieldOrder;

// ("ID", 0) for the key column, then the table's fields.
void fillFields(catalogue::Catalogue& db, catalogue::Id tableId, FieldOrder order,
                std::initializer_list<QComboBox*> combos) {
    const auto fields = db.fields(tableId, order);
    for (QComboBox* combo : combos) {
        clearEntries(combo);
        addEntry(combo, QStringLiteral("ID"), 0);
        for (const auto& field : fields) addEntry(combo, toQt(field.name), field.id);
    }
}

// Selects by prefix the name of the entry whose id is `id` (the first such entry wins,
// as the prefix rule finds it).
void selectById(QComboBox* combo, catalogue::Id id) {
    const int index = combo->findData(QVariant::fromValue<qlonglong>(id), kItemValueRole);
    if (index >= 0) selectByPrefix(combo, combo->itemText(index));
}

}  // namespace

FieldLinks::FieldLinks(EditorContext& context, const FieldLinkControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    connect(controls_.inputType, &QComboBox::activated, this,
            [this] { context_.handle([this](auto& db) { chooseInputType(db); }); });
    connect(controls_.linkTable, &QComboBox::activated, this,
            [this] { context_.handle([this](auto& db) { chooseLinkTable(db); }); });
    // `clicked` is the user's click only; the program's setChecked does not raise it.
    connect(controls_.cascadeSwitch, &QCheckBox::clicked, this,
            [this](bool on) { context_.handle([this, on](auto& db) { switchCascade(db, on); }); });
    connect(controls_.cascadeTable, &QComboBox::activated, this,
            [this] { context_.handle([this](auto& db) { chooseCascadeTable(db); }); });
}

void FieldLinks::fillProjectTables(catalogue::Catalogue& db, QComboBox* combo) {
    const auto tables = db.tables(context_.selection().project());
    clearEntries(combo);
    for (const auto& table : tables) addEntry(combo, toQt(table.name), table.id);
}

void FieldLinks::chooseInputType(catalogue::Catalogue& db) {
    if (selectedText(controls_.inputType) != QString::fromUtf8(kDropDownInput)) {
        controls_.linkGroup->hide();
        return;
    }
    controls_.linkGroup->show();
    fillProjectTables(db, controls_.linkTable);
    selectFirst(controls_.linkTable);
    // The field list follows the chosen table at once: left as it was, it could still
    // offer the fields of a table seen before, even one of another project.
    chooseLinkTable(db);
}

void FieldLinks::chooseLinkTable(catalogue::Catalogue& db) {
    fillFields(db, selectedValue(controls_.linkTable), FieldOrder::ByOrderDescending, {controls_.linkField});
    selectFirst(controls_.linkField);
}

void FieldLinks::switchCascade(catalogue::Catalogue& db, bool on) {
    if (!on) {
        controls_.cascadeGroup->hide();
        return;
    }
    controls_.cascadeGroup->show();
    fillProjectTables(db, controls_.cascadeTable);
    selectFirst(controls_.cascadeTable);
    chooseCascadeTable(db);  // as for the link group: no stale field lists
}

void FieldLinks::chooseCascadeTable(catalogue::Catalogue& db) {
    fillFields(db, selectedValue(controls_.cascadeTable), FieldOrder::ByOrderDescending,
               {controls_.cascadeField, controls_.cascadeCondition});
    selectFirst(controls_.cascadeField);
    selectFirst(controls_.cascadeCondition);
}

void FieldLinks::load(const catalogue::Field& field) {
    auto& db = context_.db();
    if (field.inputType == kDropDownInput) {
        loadLink(db, field);
    } else {
        controls_.linkGroup->hide();
    }
    if (namesCascade(field.cascadeTable)) {
        loadCascade(db, field);
    } else {
        controls_.cascadeGroup->hide();
        controls_.cascadeSwitch->setChecked(false);
    }
}

void FieldLinks::loadLink(catalogue::Catalogue& db, const catalogue::Field& field) {
    controls_.linkGroup->show();
    fillProjectTables(db, controls_.linkTable);
    selectById(controls_.linkTable, leadingInteger(field.linkTable));
    fillFields(db, selectedValue(controls_.linkTable), FieldOrder::ByOrderDescending, {controls_.linkField});
    const catalogue::Id linkField = leadingInteger(field.linkField);
    // A link to the key column shows "ID" chosen; left unchosen, a later "修改" would
    // store -1 and lose the link.
    if (linkField == 0)
        selectFirst(controls_.linkField);
    else
        selectById(controls_.linkField, linkField);
}

void FieldLinks::loadCascade(catalogue::Catalogue& db, const catalogue::Field& field) {
    controls_.cascadeGroup->show();
    controls_.cascadeSwitch->setChecked(true);
    fillProjectTables(db, controls_.cascadeTable);
    const catalogue::Id cascadeTable = leadingInteger(field.cascadeTable);
    selectById(controls_.cascadeTable, cascadeTable);

    fillFields(db, selectedValue(controls_.cascadeTable), FieldOrder::ByOrderAscending,
               {controls_.cascadeField, controls_.cascadeCondition});
    const catalogue::Id cascadeField = leadingInteger(field.cascadeField);
    const catalogue::Id condition = leadingInteger(field.cascadeCondition);
    // Only real fields are matched here; the key column is chosen for the condition below.
    if (cascadeField != 0) selectById(controls_.cascadeField, cascadeField);
    if (condition != 0) selectById(controls_.cascadeCondition, condition);

    const catalogue::Id display = leadingInteger(field.cascadeDisplay);
    if (display != 0) {
        const auto shown = db.field(display);
        if (shown) selectByPrefix(controls_.cascadeDisplay, toQt(shown->name));
    }
    if (cascadeTable > 0 && condition == 0) selectByPrefix(controls_.cascadeCondition, QStringLiteral("ID"));
}

void FieldLinks::reset() {
    for (QComboBox* combo : {controls_.linkTable, controls_.linkField, controls_.cascadeTable, controls_.cascadeField,
                             controls_.cascadeCondition})
        clearEntries(combo);
    controls_.linkGroup->hide();
    controls_.cascadeSwitch->setChecked(false);
    controls_.cascadeGroup->hide();
}

QString FieldLinks::picks() const {
    QStringList picks;
    // The link group counts only for a drop-down, as only then is it stored.
    if (selectedText(controls_.inputType) == QString::fromUtf8(kDropDownInput))
        picks << QString::number(selectedValue(controls_.linkTable))
              << QString::number(selectedValue(controls_.linkField));
    if (controls_.cascadeSwitch->isChecked())
        picks << QStringLiteral("cascade") << QString::number(selectedValue(controls_.cascadeTable))
              << QString::number(selectedValue(controls_.cascadeField))
              << QString::number(selectedValue(controls_.cascadeCondition))
              << QString::number(selectedValue(controls_.cascadeDisplay));
    return picks.join(QLatin1Char(' '));
}

namespace {

bool isFieldOf(catalogue::Catalogue& db, catalogue::Id fieldId, catalogue::Id tableId) {
    if (fieldId == 0) return true;  // the key column
    const auto field = db.field(fieldId);
    return field && field->tableId == tableId;
}

bool isTableOf(catalogue::Catalogue& db, catalogue::Id tableId, catalogue::Id projectId) {
    const auto table = db.table(tableId);
    return table && table->projectId == projectId;
}

}  // namespace

std::string FieldLinks::storeLinks(catalogue::Catalogue& db, catalogue::Field& field) const {
    const catalogue::Id project = context_.selection().project();
    if (selectedText(controls_.inputType) == QString::fromUtf8(kDropDownInput)) {
        const catalogue::Id table = selectedValue(controls_.linkTable);
        const catalogue::Id linked = selectedValue(controls_.linkField);
        if (!isTableOf(db, table, project)) return kNoLinkTable;
        if (linked < 0 || !isFieldOf(db, linked, table)) return kNoLinkField;
        field.linkTable = std::to_string(table);
        field.linkField = std::to_string(linked);
    }
    if (!controls_.cascadeSwitch->isChecked()) {
        field.cascadeTable = field.cascadeField = field.cascadeCondition = field.cascadeDisplay = "0";
        return {};
    }
    const catalogue::Id table = selectedValue(controls_.cascadeTable);
    const catalogue::Id cascadeField = selectedValue(controls_.cascadeField);
    const catalogue::Id condition = selectedValue(controls_.cascadeCondition);
    // The dependent field is one of the field's own table; none chosen means none.
    const catalogue::Id display = std::max<catalogue::Id>(selectedValue(controls_.cascadeDisplay), 0);
    if (!isTableOf(db, table, project)) return kNoCascadeTable;
    if (cascadeField < 0 || condition < 0 || !isFieldOf(db, cascadeField, table) || !isFieldOf(db, condition, table))
        return kNoCascadeField;
    if (display != 0 && !isFieldOf(db, display, context_.selection().table())) return kNoCascadeField;
    field.cascadeTable = std::to_string(table);
    field.cascadeField = std::to_string(cascadeField);
    field.cascadeCondition = std::to_string(condition);
    field.cascadeDisplay = std::to_string(display);
    return {};
}

}  // namespace tabulon::designer
