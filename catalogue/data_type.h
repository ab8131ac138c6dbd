#pragma once
// The data types a field can have, one row each: everything the generators, the database
// step and the preview need to know about a type is read from its row, so a new type is a
// new row (and its tests). A field's 字段类型 word is parsed into a DataType once, when
// the snapshot is made.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/types.h"

namespace tabulon::catalogue {

enum class DataType : std::uint8_t {
    AutoNumber,
    Text,
    Long,
    Short,
    Double,
    Single,
    Byte,
    Decimal,
    Memo,
    DateTime,
    Boolean,
    Currency,
    LongText,
    Binary,
    HiddenMemo,  // text kept in the database only, e.g. an imported attachment's file names
    Unknown,     // a word no row has: reported where it matters, built as text
};

// The browser-side check of a value typed into a box.
enum class ClientCheck : std::uint8_t { None, WholeNumber, Number, Date };

// How a text box shows the type on the add and modify pages.
enum class FormRendering : std::uint8_t {
    Plain,    // a text box
    Numeric,  // a text box the server checks as a number before anything is saved
    None,     // never on a page and never written by a form: kept in the database only
};

struct DataTypeRow {
    DataType type;
    std::string_view word;       // 字段类型 as stored and listed: "文本"
    std::string_view sqlWord;    // in the CREATE statement: "VarChar(50)"; empty: no column of its own
    jet::ColumnType column;      // the column it is written as
    int textLength;              // Text columns: characters
    int precision, scale;        // Numeric columns
    std::string_view adoType;    // the preview's column type name ("Text", "Currency", …)
    std::string_view valueKind;  // how the server checks a posted value (SiteValue in inc/values.asp)
    ClientCheck clientCheck;
    std::string_view searchCode;  // the list page's search script: "1" text, "2" date, numbers by their range:
                                  // "3" single, "4" 小数, "5" long, "6" short, "7" byte, "8" currency, "0" double
    FormRendering form;
};

// Rows in the order the window lists them: the eleven original types, then the later ones.
inline constexpr DataTypeRow kDataTypeRows[] = {
    {DataType::AutoNumber, "自动编号", "", jet::ColumnType::Long, 50, 6, 2, "Long", "auto", ClientCheck::WholeNumber,
     "5", FormRendering::Plain},
    {DataType::Text, "文本", "VarChar(50)", jet::ColumnType::Text, 50, 6, 2, "Text", "text", ClientCheck::None, "1",
     FormRendering::Plain},
    {DataType::Long, "长整型", "integer", jet::ColumnType::Long, 50, 6, 2, "Long", "long", ClientCheck::WholeNumber,
     "5", FormRendering::Numeric},
    {DataType::Short, "整型", "short", jet::ColumnType::Short, 50, 6, 2, "Short", "short", ClientCheck::WholeNumber,
     "6", FormRendering::Numeric},
    {DataType::Double, "双精度", "double", jet::ColumnType::Double, 50, 6, 2, "Double", "double", ClientCheck::Number,
     "0", FormRendering::Numeric},
    {DataType::Single, "单精度", "real", jet::ColumnType::Single, 50, 6, 2, "Single", "single", ClientCheck::Number,
     "3", FormRendering::Numeric},
    {DataType::Byte, "字节型", "byte", jet::ColumnType::Byte, 50, 6, 2, "Byte", "byte", ClientCheck::WholeNumber, "7",
     FormRendering::Plain},
    {DataType::Decimal, "小数", "NUMERIC(6,2)", jet::ColumnType::Numeric, 50, 6, 2, "Numeric", "decimal",
     ClientCheck::Number, "4", FormRendering::Numeric},
    {DataType::Memo, "备注", "memo", jet::ColumnType::Memo, 50, 6, 2, "Memo", "memo", ClientCheck::None, "1",
     FormRendering::Plain},
    {DataType::DateTime, "日期时间", "datetime", jet::ColumnType::DateTime, 50, 6, 2, "DateTime", "date",
     ClientCheck::Date, "2", FormRendering::Plain},
    {DataType::Boolean, "逻辑", "bit", jet::ColumnType::Boolean, 50, 6, 2, "Boolean", "bool", ClientCheck::None, "0",
     FormRendering::Plain},
    {DataType::Currency, "货币", "Currency", jet::ColumnType::Currency, 50, 6, 2, "Currency", "currency",
     ClientCheck::Number, "8", FormRendering::Numeric},
    {DataType::LongText, "长文本", "VarChar(255)", jet::ColumnType::Text, 255, 6, 2, "Text", "longtext",
     ClientCheck::None, "1", FormRendering::Plain},
    {DataType::Binary, "二进制", "LongBinary", jet::ColumnType::LongBinary, 50, 6, 2, "Binary", "", ClientCheck::None,
     "", FormRendering::None},
    {DataType::HiddenMemo, "隐藏备注", "memo", jet::ColumnType::Memo, 50, 6, 2, "Memo", "", ClientCheck::None, "",
     FormRendering::None},
};

inline constexpr std::size_t kDataTypeCount = std::size(kDataTypeRows);

// The words of the rows, in the window's order.
inline constexpr std::array<std::string_view, kDataTypeCount> kDataTypes = [] {
    std::array<std::string_view, kDataTypeCount> words{};
    for (std::size_t i = 0; i < kDataTypeCount; ++i) words[i] = kDataTypeRows[i].word;
    return words;
}();

// A text box of the type is checked as a number on the server (长整型, 整型, 双精度, 单精度,
// 小数, 货币).
inline bool checkedAsNumber(DataType type) {
    const DataTypeRow* row = nullptr;
    for (const DataTypeRow& candidate : kDataTypeRows)
        if (candidate.type == type) row = &candidate;
    return row && row->form == FormRendering::Numeric;
}

// Whether fields of the type appear on the pages at all (二进制 and 隐藏备注 do not).
inline bool onPages(DataType type) {
    for (const DataTypeRow& row : kDataTypeRows)
        if (row.type == type) return row.form != FormRendering::None;
    return true;  // an unknown word is shown as text, as it is built
}

// The type a stored word names, compared byte for byte: "文本" -> Text, "text" -> Unknown.
DataType dataTypeOf(std::string_view word);

// The row of a type; nullptr for Unknown.
const DataTypeRow* dataTypeRow(DataType type);

// The column a field of the type is written as, named `name`; nullopt for Unknown.
std::optional<jet::Column> columnOf(DataType type, std::string name);

// The type a column of the site database stands for: the first row written as that column
// (a text column of 255 characters is 长文本, a memo column 备注). nullptr for a column no
// row writes.
const DataTypeRow* dataTypeOfColumn(const jet::Column& column);

}  // namespace tabulon::catalogue
