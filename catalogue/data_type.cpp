#include "catalogue/data_type.h"

namespace tabulon::catalogue {

DataType dataTypeOf(std::string_view word) {
    for (const DataTypeRow& row : kDataTypeRows)
        if (row.word == word) return row.type;
    return DataType::Unknown;
}

const DataTypeRow* dataTypeRow(DataType type) {
    for (const DataTypeRow& row : kDataTypeRows)
        if (row.type == type) return &row;
    return nullptr;
}

std::optional<jet::Column> columnOf(DataType type, std::string name) {
    const DataTypeRow* row = dataTypeRow(type);
    if (!row) return std::nullopt;
    jet::Column column;
    column.name = std::move(name);
    column.type = row->column;
    if (row->column == jet::ColumnType::Text) column.length = row->textLength;
    if (row->column == jet::ColumnType::Numeric) {
        column.precision = row->precision;
        column.scale = row->scale;
    }
    return column;
}

const DataTypeRow* dataTypeOfColumn(const jet::Column& column) {
    for (const DataTypeRow& row : kDataTypeRows) {
        if (row.sqlWord.empty() || row.column != column.type) continue;
        if (column.type == jet::ColumnType::Text && row.textLength != column.length) continue;
        return &row;
    }
    // A column of another size still has the type of its kind.
    for (const DataTypeRow& row : kDataTypeRows)
        if (!row.sqlWord.empty() && row.column == column.type) return &row;
    return nullptr;
}

}  // namespace tabulon::catalogue
