#pragma once
// The texts of the field list: one row per field of a table, with the link and cascade
// columns turned from stored ids into the names the user knows. No Qt here.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace tabulon::designer {

enum FieldListColumn {
    kNumberColumn,
    kNameColumn,
    kTypeColumn,
    kDescriptionColumn,
    kInputTypeColumn,
    kLinkTableColumn,
    kLinkFieldColumn,
    kCascadeTableColumn,
    kCascadeFieldColumn,
    kCascadeConditionColumn,
    kCascadeDisplayColumn,
    kFieldListColumnCount
};

struct FieldListRow {
    catalogue::Id fieldId = 0;
    std::string name;  // 字段名称, also the entry of the dependent-field list
    std::array<std::string, kFieldListColumnCount> columns;
};

struct FieldList {
    std::vector<FieldListRow> rows;  // by ascending 排序, numbered from "1"
    // The order proposed for the next field: the last row's 排序 plus 3, or 3 for no fields.
    std::int64_t proposedOrder = 3;
};

// A drop-down field ("组合框") shows the names of its linked table and field ("ID" for the
// key column); any other field shows its stored link texts unchanged, so ids left over
// from a former drop-down stay visible. The cascade columns show names whenever 联动表
// names a table. A name whose row is gone shows "".
FieldList fieldList(const catalogue::Catalogue& catalogue, catalogue::Id tableId);

}  // namespace tabulon::designer
