#include "jet/values.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Days from 1970-01-01 in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kOleEpoch = daysFromCivil(1899, 12, 30);

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// ---- 128-bit unsigned arithmetic on four 32-bit words, least significant first.
using Words = std::array<std::uint32_t, 4>;

bool mulAdd(Words& w, std::uint32_t mul, std::uint32_t add) {
  std::uint64_t carry = add;
  for (auto& word : w) {
    const std::uint64_t v = static_cast<std::uint64_t>(word) * mul + carry;
    word = static_cast<std::uint32_t>(v);
    carry = v >> 32;
  }
  return carry == 0;
}

std::uint32_t divMod(Words& w, std::uint32_t div) {
  std::uint64_t rem = 0;
  for (int i = 3; i >= 0; --i) {
    const std::uint64_t cur = (rem << 32) | w[static_cast<std::size_t>(i)];
    w[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(cur / div);
    rem = cur % div;
  }
  return static_cast<std::uint32_t>(rem);
}

bool isZero(const Words& w) { return w[0] == 0 && w[1] == 0 && w[2] == 0 && w[3] == 0; }

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
  return "值 " + std::to_string(v) + " 超出" + typeName + "的范围（" + std::to_string(lo) + " 到 " + std::to_string(hi) +
         "）";
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
    if (std::fabs(d) > std::numeric_limits<float>::max()) throw Error("值 " + std::to_string(d) + " 超出单精度的范围");
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
  std::string_view t = text;
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  const std::size_t dot = t.find('.');
  std::string_view whole = t.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
  auto allDigits = [](std::string_view s) {
    for (char c : s) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  };
  if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction)) {
    throw Error("值“" + text + "”不是数字");
  }
  std::string digits(whole);
  const auto scale = static_cast<std::size_t>(column.scale);
  digits.append(fraction.substr(0, std::min(fraction.size(), scale)));
  digits.append(scale - std::min(fraction.size(), scale), '0');
  bool roundUp = fraction.size() > scale && fraction[scale] >= '5';
  if (roundUp) {
    int i = static_cast<int>(digits.size()) - 1;
    for (; i >= 0 && digits[static_cast<std::size_t>(i)] == '9'; --i) digits[static_cast<std::size_t>(i)] = '0';
    if (i < 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[static_cast<std::size_t>(i)];
    }
  }
  const std::size_t firstNonZero = digits.find_first_not_of('0');
  digits = firstNonZero == std::string::npos ? "0" : digits.substr(firstNonZero);
  const std::size_t significant = digits == "0" ? 0 : digits.size();
  if (significant > column.precision) {
    throw Error("值 " + text + " 超出 NUMERIC(" + std::to_string(column.precision) + "," +
                std::to_string(column.scale) + ") 的范围");
  }
  return encodeDecimal(negative && digits != "0", digits);
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

}  // namespace

double toOleDate(const DateTime& when) {
  const std::int64_t days = daysFromCivil(when.year, static_cast<unsigned>(when.month), static_cast<unsigned>(when.day)) -
                            kOleEpoch;
  const double fraction = (when.hour * 3600.0 + when.minute * 60.0 + when.second) / 86400.0;
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateTime fromOleDate(double oleDate) {
  double whole = std::trunc(oleDate);
  double fraction = std::fabs(oleDate - whole);
  auto seconds = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += oleDate < 0 ? -1 : 1;
  }
  DateTime out;
  civilFromDays(static_cast<std::int64_t>(whole) + kOleEpoch, out.year, out.month, out.day);
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  return out;
}

std::optional<std::string> dateProblem(const DateTime& when) {
  if (when.year < kMinYear || when.year > kMaxYear) return "年份 " + std::to_string(when.year) + " 超出 100 到 9999";
  if (when.month < 1 || when.month > 12) return "月份 " + std::to_string(when.month) + " 无效";
  if (when.day < 1 || when.day > daysInMonth(when.year, when.month)) {
    return std::to_string(when.year) + "-" + std::to_string(when.month) + " 没有第 " + std::to_string(when.day) + " 日";
  }
  if (when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 || when.second > 59) {
    return "时间 " + std::to_string(when.hour) + ":" + std::to_string(when.minute) + ":" + std::to_string(when.second) +
           " 无效";
  }
  return std::nullopt;
}

std::string encodeDecimal(bool negative, std::string_view unscaledDigits) {
  Words w{};
  for (char c : unscaledDigits) {
    if (!mulAdd(w, 10, static_cast<std::uint32_t>(c - '0'))) throw Error("数值超出 128 位");
  }
  std::string out;
  putU8(out, negative ? 0x80 : 0x00);
  for (int i = 3; i >= 0; --i) putU32(out, w[static_cast<std::size_t>(i)]);
  return out;
}

std::string decodeDecimal(std::string_view bytes, int scale) {
  Words w{};
  for (int i = 0; i < 4; ++i) w[static_cast<std::size_t>(3 - i)] = getU32(bytes, 1 + 4 * static_cast<std::size_t>(i));
  const bool negative = (getU8(bytes, 0) & 0x80) != 0;
  std::string digits;
  while (!isZero(w)) digits.insert(digits.begin(), static_cast<char>('0' + divMod(w, 10)));
  const auto s = static_cast<std::size_t>(scale);
  if (digits.size() <= s) digits.insert(0, s + 1 - digits.size(), '0');
  if (s > 0) digits.insert(digits.size() - s, 1, '.');
  if (negative && digits.find_first_not_of("0.") != std::string::npos) digits.insert(0, 1, '-');
  return digits;
}

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
        throw Error("文本长度 " + std::to_string(text.size()) + " 超过字段的最大长度 " + std::to_string(column.length / 2));
      }
      return encodeJetText(text, column.compressible(), false);
    }
    case JetType::Memo: return encodeJetText(textFrom(value), column.compressible(), true);
    default: throw Error("不支持写入这种字段类型");
  }
}

Value decodeValue(const ColumnLayout& column, std::string_view stored) {
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
    case JetType::DateTime: return fromOleDate(getDouble(stored, 0));
    case JetType::Numeric: return decodeDecimal(stored, column.scale);
    case JetType::Text:
    case JetType::Memo: return utf16ToUtf8(decodeJetText(stored));
    default: return std::string(stored);
  }
}

}  // namespace tabulon::jet
