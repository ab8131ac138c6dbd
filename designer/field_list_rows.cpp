#include "designer/field_list_rows.h"

#include "catalogue/widget_kind.h"
#include "designer/text_rules.h"

namespace tabulon::designer {
namespace {

constexpr std::string_view kDropDown = catalogue::widgetWord(catalogue::WidgetKind::DropDown);

std::string tableName(const catalogue::Catalogue& catalogue, std::string_view idText) {
    const auto table = catalogue.table(leadingInteger(idText));
    return table ? table->name : std::string();
}

std::string fieldName(const catalogue::Catalogue& catalogue, std::int64_t id) {
    const auto field = catalogue.field(id);
    return field ? field->name : std::string();
}

// A field id where 0 stands for the linked table's key column.
std::string keyOrFieldName(const catalogue::Catalogue& catalogue, std::string_view idText) {
    const std::int64_t id = leadingInteger(idText);
    return id != 0 ? fieldName(catalogue, id) : std::string("ID");
}

FieldListRow describe(const catalogue::Catalogue& catalogue, const catalogue::Field& field, std::size_t number) {
    FieldListRow row;
    row.fieldId = field.id;
    row.name = field.name;
    auto& c = row.columns;
    c[kNumberColumn] = std::to_string(number);
    c[kNameColumn] = field.name;
    c[kTypeColumn] = field.type;
    c[kDescriptionColumn] = field.description;
    c[kInputTypeColumn] = field.inputType;
    if (field.inputType == kDropDown) {
        c[kLinkTableColumn] = tableName(catalogue, field.linkTable);
        c[kLinkFieldColumn] = keyOrFieldName(catalogue, field.linkField);
    } else {
        c[kLinkTableColumn] = field.linkTable;
        c[kLinkFieldColumn] = field.linkField;
    }
    if (namesCascade(field.cascadeTable)) {
        c[kCascadeTableColumn] = tableName(catalogue, field.cascadeTable);
        c[kCascadeFieldColumn] = keyOrFieldName(catalogue, field.cascadeField);
        c[kCascadeConditionColumn] = keyOrFieldName(catalogue, field.cascadeCondition);
        const std::int64_t display = leadingInteger(field.cascadeDisplay);
        c[kCascadeDisplayColumn] = display != 0 ? fieldName(catalogue, display) : std::string();
    }
    return row;
}

}  // namespace

FieldList fieldList(const catalogue::Catalogue& catalogue, catalogue::Id tableId) {
    FieldList list;
    const auto fields = catalogue.fields(tableId, catalogue::FieldOrder::ByOrderAscending);
    list.rows.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) list.rows.push_back(describe(catalogue, fields[i], i + 1));
    if (!fields.empty()) {
        list.proposedOrder = addClamped(fields.back().order, 3);
    }
    return list;
}

}  // namespace tabulon::designer
