#include "preview/ado/jet_values.h"

#include <sqlite3.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "jet/ole_date.h"

namespace tabulon::preview::ado {
namespace {

// Reads digits at `at`; nullopt when none.
std::optional<int> readNumber(std::string_view text, std::size_t& at) {
    std::size_t start = at;
    int value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6) {
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == start) return std::nullopt;
    return value;
}

bool readLiteral(std::string_view text, std::size_t& at, std::string_view literal) {
    if (text.substr(at, literal.size()) != literal) return false;
    at += literal.size();
    return true;
}

// h:m[:s] from `at` to the end.
bool readTime(std::string_view text, std::size_t at, CivilTime& when) {
    auto hour = readNumber(text, at);
    if (!hour || !readLiteral(text, at, ":")) return false;
    auto minute = readNumber(text, at);
    if (!minute) return false;
    int second = 0;
    if (readLiteral(text, at, ":")) {
        auto s = readNumber(text, at);
        if (!s) return false;
        second = *s;
    }
    while (at < text.size() && text[at] == ' ') ++at;
    if (at < text.size()) {
        std::string_view rest = text.substr(at);
        bool pm = rest == "PM" || rest == "pm" || rest == "下午";
        bool am = rest == "AM" || rest == "am" || rest == "上午";
        if (!pm && !am) return false;
        if (*hour < 1 || *hour > 12) return false;
        if (pm && *hour < 12) *hour += 12;
        if (am && *hour == 12) *hour = 0;
    }
    if (*hour > 23 || *minute > 59 || second > 59) return false;
    when.hour = *hour;
    when.minute = *minute;
    when.second = second;
    return true;
}

}  // namespace

std::optional<double> oleFromCivil(const CivilTime& when) {
    if (jet::dateProblem(when)) return std::nullopt;
    return jet::toOleDate(when);
}

CivilTime civilFromOle(double ole) { return jet::fromOleDate(ole); }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<double> parseDateText(std::string_view text, bool usOrder) {
    text = trimBlanks(text);
    CivilTime when;
    std::size_t at = 0;
    auto first = readNumber(text, at);
    if (!first) return std::nullopt;
    if (at < text.size() && text[at] == ':') {  // a time alone
        if (!readTime(text, 0, when)) return std::nullopt;
        return oleFromCivil(when);
    }
    int year = 0, month = 0, day = 0;
    if (readLiteral(text, at, "年")) {
        auto m = readNumber(text, at);
        if (!m || !readLiteral(text, at, "月")) return std::nullopt;
        auto d = readNumber(text, at);
        if (!d || !readLiteral(text, at, "日")) return std::nullopt;
        year = *first, month = *m, day = *d;
    } else {
        if (at >= text.size() || (text[at] != '-' && text[at] != '/')) return std::nullopt;
        const char separator = text[at++];
        auto second = readNumber(text, at);
        if (!second || at >= text.size() || text[at] != separator) return std::nullopt;
        ++at;
        auto third = readNumber(text, at);
        if (!third) return std::nullopt;
        if (*first >= 100) {
            year = *first, month = *second, day = *third;
        } else if (usOrder && separator == '/' && *third >= 100) {
            month = *first, day = *second, year = *third;
        } else {
            return std::nullopt;
        }
    }
    when.year = year;
    when.month = month;
    when.day = day;
    if (at < text.size()) {
        if (text[at] != ' ' && text[at] != 'T') return std::nullopt;
        while (at < text.size() && (text[at] == ' ' || text[at] == 'T')) ++at;
        if (!readTime(text, at, when)) return std::nullopt;
    }
    return oleFromCivil(when);
}

std::optional<double> parseNumberText(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    std::size_t at = 0;
    if (text[at] == '+' || text[at] == '-') ++at;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        std::size_t exponent = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++exponent;
        if (exponent == 0) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    std::string plain(text[0] == '+' ? text.substr(1) : text);
    double value = 0;
    auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string formatNumber(double value, bool single) {
    char buffer[64];
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, single ? "%.7G" : "%.15G", value);
    }
    std::string text = buffer;
    if (text == "-0") text = "0";
    // Some C runtimes write three exponent digits ("1E+020"); VBScript writes no padding.
    const std::size_t exponent = text.find('E');
    if (exponent != std::string::npos && exponent + 2 < text.size()) {
        std::size_t digits = exponent + 2;
        while (digits + 1 < text.size() && text[digits] == '0') text.erase(digits, 1);
    }
    return text;
}

std::string formatDate(double ole) {
    const CivilTime when = civilFromOle(ole);
    char buffer[64];
    const bool hasDate = std::trunc(ole) != 0;
    const bool hasTime = when.hour != 0 || when.minute != 0 || when.second != 0;
    std::string text;
    if (hasDate || !hasTime) {
        std::snprintf(buffer, sizeof buffer, "%d/%d/%d", when.year, when.month, when.day);
        text = buffer;
    }
    if (hasTime) {
        std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", when.hour, when.minute, when.second);
        if (!text.empty()) text += ' ';
        text += buffer;
    }
    return text;
}

std::string formatDecimal(double value, int scale) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.*f", scale, value);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::size_t utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++units;  // a lead byte starts a character
        if (c >= 0xF0) ++units;           // outside the BMP: a surrogate pair
    }
    return units;
}

namespace {

// A value read as a number the way OLE DB converts it; nullopt for a mismatch.
std::optional<double> numberOf(const Value& value) {
    switch (value.kind) {
    case Value::Kind::Boolean: return value.boolean ? -1.0 : 0.0;
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long: return static_cast<double>(value.integer);
    case Value::Kind::Single:
    case Value::Kind::Double:
    case Value::Kind::Date: return value.number;
    case Value::Kind::Decimal:
    case Value::Kind::Text: return parseNumberText(value.text);
    default: return std::nullopt;
    }
}

std::string textOf(const Value& value) {
    switch (value.kind) {
    case Value::Kind::Boolean: return value.boolean ? "True" : "False";
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long: return std::to_string(value.integer);
    case Value::Kind::Single: return formatNumber(value.number, true);
    case Value::Kind::Double: return formatNumber(value.number, false);
    case Value::Kind::Date: return formatDate(value.number);
    default: return value.text;
    }
}

StoreFailure storeInteger(const ColumnSchema& column, const Value& value, StoredValue& out) {
    auto number = numberOf(value);
    if (!number) return StoreFailure::Mismatch;
    const double rounded = std::nearbyint(*number);  // to even, as OLE conversions round
    double low = -2147483648.0, high = 2147483647.0;
    if (column.type == JetType::Short) low = -32768, high = 32767;
    if (column.type == JetType::Byte) low = 0, high = 255;
    if (rounded < low || rounded > high) return StoreFailure::Overflow;
    out.kind = StoredValue::Kind::Integer;
    out.integer = static_cast<std::int64_t>(rounded);
    return StoreFailure::None;
}

}  // namespace

StoreFailure toStored(const ColumnSchema& column, const Value& value, StoredValue& out) {
    out = StoredValue{};
    if (value.kind == Value::Kind::Empty || value.kind == Value::Kind::Null) {
        return column.required ? StoreFailure::NullRequired : StoreFailure::None;
    }
    switch (column.type) {
    case JetType::Text:
    case JetType::Memo: {
        out.kind = StoredValue::Kind::Text;
        out.text = textOf(value);
        if (column.type == JetType::Text && utf16Length(out.text) > static_cast<std::size_t>(column.size)) {
            return StoreFailure::TooLong;
        }
        return StoreFailure::None;
    }
    case JetType::Counter:
    case JetType::Long:
    case JetType::Short:
    case JetType::Byte: return storeInteger(column, value, out);
    case JetType::Single:
    case JetType::Double: {
        auto number = numberOf(value);
        if (!number) return StoreFailure::Mismatch;
        out.kind = StoredValue::Kind::Real;
        if (column.type == JetType::Single) {
            if (std::fabs(*number) > FLT_MAX) return StoreFailure::Overflow;
            out.real = static_cast<double>(static_cast<float>(*number));
        } else {
            out.real = *number;
        }
        return StoreFailure::None;
    }
    case JetType::Numeric:
    case JetType::Currency: {
        auto number = numberOf(value);
        if (!number) return StoreFailure::Mismatch;
        const bool currency = column.type == JetType::Currency;
        const int scale = currency ? 4 : column.scale;
        const double factor = std::pow(10.0, scale);
        const double rounded = std::round(*number * factor) / factor;
        const double limit = currency ? 922337203685477.5807 : std::pow(10.0, column.precision - scale);
        if (std::fabs(rounded) >= limit) return StoreFailure::Overflow;
        out.kind = StoredValue::Kind::Real;
        out.real = rounded;
        return StoreFailure::None;
    }
    case JetType::DateTime: {
        std::optional<double> ole;
        if (value.kind == Value::Kind::Text) {
            ole = parseDateText(value.text, false);
            if (!ole) return StoreFailure::Mismatch;
        } else {
            ole = numberOf(value);
            if (!ole) return StoreFailure::Mismatch;
            if (*ole < -657434.0 || *ole >= 2958466.0) return StoreFailure::Overflow;
        }
        out.kind = StoredValue::Kind::Real;
        out.real = *ole;
        return StoreFailure::None;
    }
    case JetType::Boolean: {
        std::optional<double> number;
        if (value.kind == Value::Kind::Text) {
            std::string folded = foldName(trimBlanks(value.text));
            if (folded == "true")
                number = -1;
            else if (folded == "false")
                number = 0;
            else
                number = parseNumberText(value.text);
        } else {
            number = numberOf(value);
        }
        if (!number) return StoreFailure::Mismatch;
        out.kind = StoredValue::Kind::Integer;
        out.integer = *number != 0 ? -1 : 0;
        return StoreFailure::None;
    }
    case JetType::Binary: return StoreFailure::Mismatch;  // pages never write bytes
    }
    return StoreFailure::Mismatch;
}

namespace {

std::string columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return std::string(text ? reinterpret_cast<const char*>(text) : "",
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

Value integerValue(Value::Kind kind, std::int64_t integer) {
    Value value;
    value.kind = kind;
    value.integer = integer;
    return value;
}

Value numberValue(Value::Kind kind, double number) {
    Value value;
    value.kind = kind;
    value.number = number;
    return value;
}

Value textValue(Value::Kind kind, std::string text) {
    Value value;
    value.kind = kind;
    value.text = std::move(text);
    return value;
}

}  // namespace

Value fromStorage(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: return Value::null();
    case SQLITE_INTEGER: {
        const std::int64_t integer = sqlite3_column_int64(statement, column);
        if (integer >= INT32_MIN && integer <= INT32_MAX) return integerValue(Value::Kind::Long, integer);
        return numberValue(Value::Kind::Double, static_cast<double>(integer));
    }
    case SQLITE_FLOAT: return numberValue(Value::Kind::Double, sqlite3_column_double(statement, column));
    default: return textValue(Value::Kind::Text, columnText(statement, column));
    }
}

Value fromStored(JetType type, int scale, sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return Value::null();
    const auto integer = [&] { return sqlite3_column_int64(statement, column); };
    const auto number = [&] { return sqlite3_column_double(statement, column); };
    switch (type) {
    case JetType::Counter:
    case JetType::Long: return integerValue(Value::Kind::Long, integer());
    case JetType::Short: return integerValue(Value::Kind::Integer, integer());
    case JetType::Byte: return integerValue(Value::Kind::Byte, integer());
    case JetType::Boolean: {
        Value value;
        value.kind = Value::Kind::Boolean;
        value.boolean = integer() != 0;
        return value;
    }
    case JetType::Single: return numberValue(Value::Kind::Single, static_cast<double>(static_cast<float>(number())));
    case JetType::Double: return numberValue(Value::Kind::Double, number());
    case JetType::DateTime: return numberValue(Value::Kind::Date, number());
    case JetType::Numeric: return textValue(Value::Kind::Decimal, formatDecimal(number(), scale));
    case JetType::Currency: return textValue(Value::Kind::Decimal, formatDecimal(number(), 4));
    case JetType::Binary: return Value::null();
    case JetType::Text:
    case JetType::Memo: return textValue(Value::Kind::Text, columnText(statement, column));
    }
    return Value::null();
}

}  // namespace tabulon::preview::ado
