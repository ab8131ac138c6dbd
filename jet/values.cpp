#include "jet/values.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "jet/byte_io.h"
#include "jet/decimal.h"
#include "jet/error.h"
#include "jet/ole_date.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string typeMismatch(const char* expected) { return std::string("值的类型不符，应为") + expected; }

// ---- integers
std::int64_t integerFrom(const Value& value, const char* typeName) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    if (const auto* d = std::get_if<double>(&value)) {
        if (std::isfinite(*d) && *d == std::floor(*d) && std::fabs(*d) < 9.2e18) return static_cast<std::int64_t>(*d);
        throw Error(std::string("值 ") + std::to_string(*d) + " 不是整数");
    }
    if (const auto* s = std::get_if<std::string>(&value)) {
        const std::string_view t = trim(*s);
        std::int64_t out = 0;
        const char* first = t.data();
        if (!t.empty() && t.front() == '+') ++first;
        const auto [end, ec] = std::from_chars(first, t.data() + t.size(), out);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
            throw Error("值“" + *s + "”不是整数");
        }
        return out;
    }
    throw Error(typeMismatch(typeName));
}

std::string rangeProblem(std::int64_t v, const char* typeName, std::int64_t lo, std::int64_t hi) {
    return "值 " + std::to_string(v) + " 超出" + typeName + "的范围（" + std::to_string(lo) + " 到 " +
           std::to_string(hi) + "）";
}

std::string encodeInteger(const Value& value, JetType type) {
    std::string out;
    switch (type) {
    case JetType::Byte: {
        const std::int64_t v = integerFrom(value, "字节");
        if (v < 0 || v > 255) throw Error(rangeProblem(v, "字节", 0, 255));
        putU8(out, static_cast<std::uint8_t>(v));
        break;
    }
    case JetType::Integer: {
        const std::int64_t v = integerFrom(value, "整型");
        if (v < -32768 || v > 32767) throw Error(rangeProblem(v, "整型", -32768, 32767));
        putU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
        break;
    }
    default: {
        const std::int64_t v = integerFrom(value, "长整型");
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
            throw Error(rangeProblem(v, "长整型", std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
        }
        putU32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
        break;
    }
    }
    return out;
}

// ---- floating point
double realFrom(const Value& value) {
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* s = std::get_if<std::string>(&value)) {
        const std::string_view t = trim(*s);
        double out = 0;
        const char* first = t.data();
        if (!t.empty() && t.front() == '+') ++first;
        const auto [end, ec] = std::from_chars(first, t.data() + t.size(), out);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size()) throw Error("值“" + *s + "”不是数字");
        return out;
    }
    throw Error(typeMismatch("数字"));
}

std::string encodeReal(const Value& value, JetType type) {
    const double d = realFrom(value);
    if (!std::isfinite(d)) throw Error("值不是有限的数字");
    std::string out;
    if (type == JetType::Single) {
        if (std::fabs(d) > std::numeric_limits<float>::max())
            throw Error("值 " + std::to_string(d) + " 超出单精度的范围");
        const float f = static_cast<float>(d);
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        putU32(out, bits);
    } else {
        putDouble(out, d);
    }
    return out;
}

// ---- decimal
// Turns a value into its unscaled digits at `scale`, rounding half away from zero.
std::string decimalText(const Value& value, int scale) {
    if (const auto* s = std::get_if<std::string>(&value)) return std::string(trim(*s));
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        if (!std::isfinite(*d)) throw Error("值不是有限的数字");
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", scale, *d);
        return buffer;
    }
    throw Error(typeMismatch("数字"));
}

std::string encodeNumeric(const Value& value, const ColumnLayout& column) {
    const std::string text = decimalText(value, column.scale);
    const auto scaled = scaleDecimal(text, column.scale);
    if (!scaled) throw Error("值“" + text + "”不是数字");
    if (scaled->digits != "0" && scaled->digits.size() > column.precision) {
        throw Error("值 " + text + " 超出 NUMERIC(" + std::to_string(column.precision) + "," +
                    std::to_string(column.scale) + ") 的范围");
    }
    return encodeDecimal(scaled->negative, scaled->digits);
}

// Currency: the value at four decimals as a signed 64-bit count of ten-thousandths.
std::string encodeCurrency(const Value& value) {
    const std::string text = decimalText(value, 4);
    const auto scaled = scaleDecimal(text, 4);
    if (!scaled) throw Error("值“" + text + "”不是数字");
    constexpr std::string_view kLargest = "9223372036854775807";  // also the magnitude of the least, plus one
    const auto& digits = scaled->digits;
    const bool tooLarge = digits.size() > kLargest.size() || (digits.size() == kLargest.size() && digits > kLargest &&
                                                              !(scaled->negative && digits == "9223372036854775808"));
    if (tooLarge) throw Error("值 " + text + " 超出货币的范围（-922337203685477.5808 到 922337203685477.5807）");
    std::uint64_t magnitude = 0;
    for (char digit : digits) magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit - '0');
    const std::uint64_t units = scaled->negative ? 0 - magnitude : magnitude;
    std::string out;
    putU32(out, static_cast<std::uint32_t>(units));
    putU32(out, static_cast<std::uint32_t>(units >> 32));
    return out;
}

// ---- dates
DateTime dateFrom(const Value& value) {
    if (const auto* d = std::get_if<DateTime>(&value)) return *d;
    if (const auto* s = std::get_if<std::string>(&value)) {
        DateTime out{};
        out.hour = out.minute = out.second = 0;
        char sep1 = 0, sep2 = 0;
        int consumed = 0;
        const std::string t(trim(*s));
        const int n = std::sscanf(t.c_str(), "%d%c%d%c%d%n", &out.year, &sep1, &out.month, &sep2, &out.day, &consumed);
        bool ok = n == 5 && sep1 == sep2 && (sep1 == '-' || sep1 == '/');
        if (ok && consumed < static_cast<int>(t.size())) {
            int more = 0;
            const int m = std::sscanf(t.c_str() + consumed, " %d:%d%n", &out.hour, &out.minute, &more);
            ok = m == 2;
            std::size_t at = static_cast<std::size_t>(consumed + more);
            if (ok && at < t.size()) {
                int last = 0;
                ok = std::sscanf(t.c_str() + at, ":%d%n", &out.second, &last) == 1 &&
                     at + static_cast<std::size_t>(last) == t.size();
            }
        }
        if (!ok) throw Error("值“" + *s + "”不是日期（应为 YYYY-MM-DD 或 YYYY-MM-DD HH:MM:SS）");
        return out;
    }
    throw Error(typeMismatch("日期"));
}

// ---- booleans
bool boolFrom(const Value& value) {
    if (const auto* b = std::get_if<bool>(&value)) return *b;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i != 0;
    if (const auto* s = std::get_if<std::string>(&value)) {
        const std::string_view t = trim(*s);
        if (t == "1" || t == "true" || t == "True" || t == "TRUE" || t == "是") return true;
        if (t == "0" || t == "false" || t == "False" || t == "FALSE" || t == "否") return false;
        throw Error("值“" + *s + "”不是是/否值");
    }
    throw Error(typeMismatch("是/否"));
}

// ---- text
std::u16string textFrom(const Value& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return utf8ToUtf16(*s, "值");
    if (const auto* i = std::get_if<std::int64_t>(&value)) return utf8ToUtf16(std::to_string(*i), "值");
    if (const auto* d = std::get_if<double>(&value)) {
        char buffer[64];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *d);
        return utf8ToUtf16(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), "值");
    }
    throw Error(typeMismatch("文本"));
}

// Currency: a signed 64-bit count of ten-thousandths.
std::string currencyText(std::string_view stored) {
    const auto units =
        static_cast<std::int64_t>(std::uint64_t{getU32(stored, 0)} | (std::uint64_t{getU32(stored, 4)} << 32));
    const std::uint64_t magnitude =
        units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return (units < 0 ? "-" : "") + std::to_string(magnitude / 10000) + "." + fraction;
}

}  // namespace

std::string encodeValue(const ColumnLayout& column, const Value& value) {
    switch (column.type) {
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long: return encodeInteger(value, column.type);
    case JetType::Single:
    case JetType::Double: return encodeReal(value, column.type);
    case JetType::Numeric: return encodeNumeric(value, column);
    case JetType::Boolean: return boolFrom(value) ? std::string("\x01", 1) : std::string();
    case JetType::DateTime: {
        const DateTime when = dateFrom(value);
        if (auto problem = dateProblem(when)) throw Error("日期无效: " + *problem);
        std::string out;
        putDouble(out, toOleDate(when));
        return out;
    }
    case JetType::Text: {
        const std::u16string text = textFrom(value);
        if (text.size() > column.length / 2u) {
            throw Error("文本长度 " + std::to_string(text.size()) + " 超过字段的最大长度 " +
                        std::to_string(column.length / 2));
        }
        return encodeJetText(text, column.compressible(), false);
    }
    case JetType::Memo: return encodeJetText(textFrom(value), column.compressible(), true);
    case JetType::Currency: return encodeCurrency(value);
    case JetType::Ole:
        if (const auto* bytes = std::get_if<std::string>(&value)) return *bytes;
        throw Error(typeMismatch("二进制数据"));
    default: throw Error("不支持写入这种字段类型");
    }
}

Value decodeValue(const ColumnLayout& column, std::string_view stored) {
    if (stored.size() < fixedSize(column.type)) throw Error("字段 " + column.name + " 的存储长度不足");
    switch (column.type) {
    case JetType::Boolean: return !stored.empty();
    case JetType::Byte: return static_cast<std::int64_t>(getU8(stored, 0));
    case JetType::Integer: return static_cast<std::int64_t>(static_cast<std::int16_t>(getU16(stored, 0)));
    case JetType::Long: return static_cast<std::int64_t>(static_cast<std::int32_t>(getU32(stored, 0)));
    case JetType::Single: {
        const std::uint32_t bits = getU32(stored, 0);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return static_cast<double>(f);
    }
    case JetType::Double: return getDouble(stored, 0);
    case JetType::DateTime: {
        const double oleDate = getDouble(stored, 0);
        if (!(oleDate >= kMinOleDate && oleDate <= kMaxOleDate)) throw Error("字段 " + column.name + " 的日期值无效");
        return fromOleDate(oleDate);
    }
    case JetType::Numeric: return decodeDecimal(stored, column.scale);
    case JetType::Currency: return currencyText(stored);
    case JetType::Text:
    case JetType::Memo: return utf16ToUtf8(decodeJetText(stored));
    default: return std::string(stored);
    }
}

}  // namespace tabulon::jet
