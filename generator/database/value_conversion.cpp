#include "generator/database/value_conversion.h"

#include <charconv>
#include <cstdio>

#include "catalogue/data_type.h"
#include "jet/error.h"
#include "jet/values.h"

namespace tabulon::generator {
namespace {

using jet::JetType;
using jet::Value;

bool isTextual(JetType type) { return type == JetType::Text || type == JetType::Memo; }

bool isNumber(JetType type) {
    switch (type) {
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Single:
    case JetType::Double:
    case JetType::Numeric:
    case JetType::Currency: return true;
    default: return false;
    }
}

std::string shortest(double d, bool single) {
    char buffer[64];
    const auto [end, ec] = single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(d))
                                  : std::to_chars(buffer, buffer + sizeof buffer, d);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string dateText(const jet::DateTime& d) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
    return buffer;
}

// "12.50" -> "12.5", "12.00" -> "12": decimals read back at their column's scale.
std::string withoutTrailingZeros(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// The value in the form the writer takes for a column of `target` type.
Value adapt(const Value& value, JetType source, JetType target) {
    if (isTextual(target)) {
        if (const auto* d = std::get_if<jet::DateTime>(&value)) return dateText(*d);
        if (const auto* b = std::get_if<bool>(&value)) return std::string(*b ? "True" : "False");
        if (const auto* d = std::get_if<double>(&value)) return shortest(*d, source == JetType::Single);
        if (const auto* s = std::get_if<std::string>(&value);
            s && (source == JetType::Numeric || source == JetType::Currency))
            return withoutTrailingZeros(*s);
        return value;
    }
    if (isNumber(target)) {
        if (const auto* b = std::get_if<bool>(&value)) return std::int64_t{*b ? -1 : 0};
        if (const auto* s = std::get_if<std::string>(&value);
            s && (source == JetType::Numeric || source == JetType::Currency))
            return withoutTrailingZeros(*s);
        return value;
    }
    if (target == JetType::Boolean) {
        if (const auto* i = std::get_if<std::int64_t>(&value); i && (*i == 0 || *i == -1)) return *i == -1;
    }
    return value;
}

// Bytes only ever pass into a column of bytes.
bool isBytes(JetType type) { return type == JetType::Binary || type == JetType::Ole || type == JetType::Guid; }

}  // namespace

bool holdsEveryValue(const jet::ColumnLayout& from, const jet::ColumnLayout& to) {
    if (from.type != to.type) return false;
    switch (from.type) {
    case JetType::Text: return to.length >= from.length;
    case JetType::Numeric: return to.precision == from.precision && to.scale == from.scale;
    case JetType::Binary:
    case JetType::Guid: return false;
    default: return true;
    }
}

Conversion convertValue(const jet::ColumnLayout& from, const Value& value, const jet::ColumnLayout& to) {
    if (std::holds_alternative<std::monostate>(value)) return {value, std::nullopt};
    if (from.type == JetType::Ole && to.type == JetType::Ole) return {value, std::nullopt};
    if (isBytes(from.type)) return {Value{}, "原字段类型 " + typeName(from) + " 的值不能带入"};
    if (isBytes(to.type)) return {Value{}, "新类型 " + typeName(to) + " 只能保存二进制数据"};
    const jet::ColumnLayout& source = from;
    try {
        const Value decoded = jet::decodeValue(to, jet::encodeValue(to, adapt(value, from.type, to.type)));
        const Value back = adapt(decoded, to.type, source.type);
        if (jet::encodeValue(source, back) != jet::encodeValue(source, adapt(value, from.type, source.type)))
            return {Value{}, "新类型 " + typeName(to) + " 不能准确保存此值"};
        return {decoded, std::nullopt};
    } catch (const jet::Error& e) {
        return {Value{}, e.what()};
    }
}

std::string typeName(const jet::ColumnLayout& column) {
    const auto design = jet::designType(column.type);
    if (!design)
        return column.type == JetType::Guid     ? "同步复制 ID"
               : column.type == JetType::Binary ? "定长二进制"
                                                : "未知类型";
    jet::Column shape;
    shape.type = *design;
    shape.length = column.length / 2;
    const catalogue::DataTypeRow* row = catalogue::dataTypeOfColumn(shape);
    const std::string word(row ? row->word : "未知类型");
    switch (column.type) {
    case JetType::Text: return word + "(" + std::to_string(column.length / 2) + ")";
    case JetType::Numeric:
        return word + "(" + std::to_string(column.precision) + "," + std::to_string(column.scale) + ")";
    default: return word;
    }
}

}  // namespace tabulon::generator
