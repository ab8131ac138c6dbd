#include "designer/join_strip.h"

#include "designer/entries.h"

namespace tabulon::designer {

JoinStrip::JoinStrip(EditorContext& context, const JoinControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    connect(controls_.firstTable, &QComboBox::activated, this, [this] {
        context_.handle([this](auto& db) { fillFields(db, controls_.firstTable, controls_.firstField); });
    });
    connect(controls_.secondTable, &QComboBox::activated, this, [this] {
        context_.handle([this](auto& db) { fillFields(db, controls_.secondTable, controls_.secondField); });
    });
}

void JoinStrip::fillTables() {
    const auto tables = context_.db().tables(context_.selection().project());
    for (QComboBox* combo : {controls_.firstTable, controls_.secondTable}) {
        clearEntries(combo);
        for (const auto& table : tables) addEntry(combo, toQt(table.name), table.id);
        selectFirst(combo);
    }
}

void JoinStrip::fillFields(catalogue::Catalogue& db, QComboBox* table, QComboBox* fields) {
    const auto rows = db.fields(selectedValue(table), catalogue::FieldOrder::ByOrderAscending);
    clearEntries(fields);
    addEntry(fields, QStringLiteral("ID"), 0);
    for (const auto& field : rows) addEntry(fields, toQt(field.name), field.id);
    selectByPrefix(fields, QStringLiteral("ID"));
}

}  // namespace tabulon::designer
