#include "preview/ado/vba_format.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "preview/ado/catalog.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/vba_dates.h"

namespace tabulon::preview::ado::vba {
namespace {

const char* const kMonths[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                               "七月", "八月", "九月", "十月", "十一月", "十二月"};
const char* const kDaysLong[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
const char* const kDaysShort[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};

std::string two(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

std::string formatDatePattern(double ole, std::string_view pattern) {
    const CivilTime t = civilFromOle(ole);
    std::string out;
    bool afterHour = false;
    // An AM/PM marker anywhere makes the hours 12-hour.
    const std::string lower = foldName(pattern);
    const bool twelve = lower.find("am/pm") != std::string::npos || lower.find("a/p") != std::string::npos;
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    for (std::size_t i = 0; i < pattern.size();) {
        auto run = [&](char c) {
            std::size_t n = 0;
            while (i + n < pattern.size() && (pattern[i + n] | 0x20) == c) ++n;
            return n;
        };
        const char c = static_cast<char>(pattern[i] | 0x20);
        if (pattern[i] == '\\' && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (pattern[i] == '"') {
            const std::size_t close = pattern.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (startsWith(pattern, i, "am/pm")) {
            out += t.hour < 12 ? (pattern[i] == 'a' ? "am" : "AM") : (pattern[i] == 'a' ? "pm" : "PM");
            i += 5;
            continue;
        }
        if (startsWith(pattern, i, "a/p")) {
            out += t.hour < 12 ? (pattern[i] == 'a' ? "a" : "A") : (pattern[i] == 'a' ? "p" : "P");
            i += 3;
            continue;
        }
        std::size_t n = 0;
        switch (c) {
        case 'y':
            n = run('y');
            if (n >= 3)
                out += std::to_string(t.year);
            else if (n == 2)
                out += two(t.year % 100);
            else
                out += std::to_string(datePart(Interval::DayOfYear, ole, 1));
            afterHour = false;
            break;
        case 'q':
            n = 1;
            out += std::to_string((t.month - 1) / 3 + 1);
            break;
        case 'm':
            n = run('m');
            if (afterHour && n <= 2) {
                out += n == 2 ? two(t.minute) : std::to_string(t.minute);
            } else if (n >= 3) {
                out += kMonths[t.month - 1];
            } else {
                out += n == 2 ? two(t.month) : std::to_string(t.month);
            }
            afterHour = false;
            break;
        case 'd':
            n = run('d');
            if (n >= 4)
                out += kDaysLong[weekday(ole, 1) - 1];
            else if (n == 3)
                out += kDaysShort[weekday(ole, 1) - 1];
            else
                out += n == 2 ? two(t.day) : std::to_string(t.day);
            afterHour = false;
            break;
        case 'w':
            n = run('w');
            out += std::to_string(n >= 2 ? datePart(Interval::Week, ole, 1) : weekday(ole, 1));
            break;
        case 'h':
            n = run('h');
            out += n >= 2 ? two(twelve ? hour12 : t.hour) : std::to_string(twelve ? hour12 : t.hour);
            afterHour = true;
            break;
        case 'n':
            n = run('n');
            out += n >= 2 ? two(t.minute) : std::to_string(t.minute);
            afterHour = false;
            break;
        case 's':
            n = run('s');
            out += n >= 2 ? two(t.second) : std::to_string(t.second);
            afterHour = false;
            break;
        default:
            n = 1;
            out += pattern[i];
            if (pattern[i] != ':' && pattern[i] != ' ') afterHour = false;
            break;
        }
        i += n;
    }
    return out;
}

// Rounds half away from zero at `decimals`, as Format does.
std::string fixed(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(std::fabs(value) * scale + 1e-9) / scale;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

std::string grouped(const std::string& digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        if ((n - i - 1) % 3 == 0 && i + 1 < n) out += ',';
    }
    return out;
}

std::string formatNumberPattern(double value, std::string_view section, bool negativeSection) {
    const std::size_t first = section.find_first_of("0#");
    if (first == std::string_view::npos) return std::string(section);  // a literal section
    std::size_t last = section.find_last_of("0#");
    std::size_t dot = section.find('.', first);
    if (dot != std::string_view::npos && dot > last) last = dot;
    const std::string_view body = section.substr(first, last - first + 1);
    std::string prefix(section.substr(0, first)), suffix(section.substr(last + 1));
    const bool percent = section.find('%') != std::string_view::npos;
    const bool thousands = body.find(',') != std::string_view::npos;
    const std::size_t bodyDot = body.find('.');
    int integerZeros = 0, requiredDecimals = 0, optionalDecimals = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const bool decimal = bodyDot != std::string_view::npos && i > bodyDot;
        if (body[i] == '0') (decimal ? requiredDecimals : integerZeros)++;
        if (body[i] == '#' && decimal) optionalDecimals++;
    }
    if (percent) value *= 100;
    std::string text = fixed(value, requiredDecimals + optionalDecimals);
    std::string integer = text.substr(0, text.find('.'));
    std::string fraction = text.find('.') == std::string::npos ? "" : text.substr(text.find('.') + 1);
    while (static_cast<int>(fraction.size()) > requiredDecimals && !fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (integer == "0" && integerZeros == 0) integer.clear();
    while (static_cast<int>(integer.size()) < integerZeros) integer.insert(0, "0");
    if (thousands) integer = grouped(integer);
    std::string number = integer;
    if (bodyDot != std::string_view::npos) number += "." + fraction;
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    const std::string sign = value < 0 && !zero && !negativeSection ? "-" : "";
    return sign + prefix + number + suffix;
}

bool isDatePattern(std::string_view pattern) {
    for (char c : pattern) {
        const char l = static_cast<char>(c | 0x20);
        if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 'n' || l == 's' || l == 'q' || l == 'w') return true;
    }
    return false;
}

std::optional<std::string> named(const Value& value, double number, bool isDate, std::string_view pattern) {
    const std::string name = foldName(pattern);
    if (name == "general date") return isDate ? formatDate(number) : formatNumber(number, false);
    if (name == "long date") return formatDatePattern(number, "yyyy\"年\"m\"月\"d\"日\"");
    if (name == "medium date") return formatDatePattern(number, "yy-mm-dd");
    if (name == "short date") return formatDatePattern(number, "yyyy/m/d");
    if (name == "long time") return formatDatePattern(number, "h:nn:ss");
    if (name == "medium time") return formatDatePattern(number, "hh:nn AM/PM");
    if (name == "short time") return formatDatePattern(number, "hh:nn");
    if (name == "general number") return formatNumber(number, value.kind == Value::Kind::Single);
    if (name == "currency") return (number < 0 ? "-¥" : "¥") + formatNumberPattern(std::fabs(number), "#,##0.00", true);
    if (name == "fixed") return formatNumberPattern(number, "0.00", false);
    if (name == "standard") return formatNumberPattern(number, "#,##0.00", false);
    if (name == "percent") return formatNumberPattern(number, "0.00%", false);
    if (name == "scientific") {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.2E", number);
        std::string text = buffer;  // 1.23E+003 on some runtimes: two exponent digits at least
        const std::size_t e = text.find('E');
        while (e != std::string::npos && text.size() > e + 4 && text[e + 2] == '0') text.erase(e + 2, 1);
        return text;
    }
    if (name == "yes/no") return number != 0 ? "Yes" : "No";
    if (name == "true/false") return number != 0 ? "True" : "False";
    if (name == "on/off") return number != 0 ? "On" : "Off";
    return std::nullopt;
}

}  // namespace

std::string format(const Value& value, std::string_view pattern) {
    std::optional<double> number;
    bool isDate = value.kind == Value::Kind::Date;
    switch (value.kind) {
    case Value::Kind::Boolean: number = value.boolean ? -1 : 0; break;
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long: number = static_cast<double>(value.integer); break;
    case Value::Kind::Single:
    case Value::Kind::Double:
    case Value::Kind::Date: number = value.number; break;
    case Value::Kind::Decimal:
    case Value::Kind::Text:
        number = parseNumberText(value.text);
        if (!number && value.kind == Value::Kind::Text) {
            number = parseDateText(value.text, false);
            isDate = number.has_value();
        }
        break;
    default: return "";
    }
    if (!number) return value.text;  // text that is neither number nor date stays as it is
    if (trimBlanks(pattern).empty()) return isDate ? formatDate(*number) : formatNumber(*number, false);
    if (auto text = named(value, *number, isDate, pattern)) return *text;
    if (isDatePattern(pattern) && pattern.find_first_of("0#") == std::string_view::npos) {
        return formatDatePattern(*number, pattern);
    }
    // Sections: positive;negative;zero.
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    if (*number == 0 && sections.size() >= 3) return formatNumberPattern(0, sections[2], false);
    if (*number < 0 && sections.size() >= 2) return formatNumberPattern(-*number, sections[1], true);
    return formatNumberPattern(*number, sections[0], false);
}

double val(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact += c;
    }
    if (compact.size() > 2 && compact[0] == '&' && (compact[1] == 'h' || compact[1] == 'H')) {
        long long n = 0;
        for (std::size_t i = 2; i < compact.size() && std::isxdigit(static_cast<unsigned char>(compact[i])); ++i) {
            n = n * 16 + std::stoi(std::string(1, compact[i]), nullptr, 16);
            if (n > 0xFFFFFFFFLL) break;
        }
        return static_cast<double>(n <= 0x7FFF ? n : (n <= 0xFFFF ? n - 0x10000 : static_cast<std::int32_t>(n)));
    }
    std::size_t i = 0;
    std::string number;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) number += compact[i++];
    bool digits = false, dot = false;
    while (i < compact.size()) {
        const char c = compact[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            number += c;
        } else if (c == '.' && !dot) {
            dot = true;
            number += c;
        } else {
            break;
        }
        ++i;
    }
    if (digits && i < compact.size() &&
        (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' || compact[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) exponent += compact[j++];
        const std::size_t digitsStart = j;
        while (j < compact.size() && compact[j] >= '0' && compact[j] <= '9') exponent += compact[j++];
        if (j > digitsStart) number += exponent;
    }
    if (!digits) return 0;
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

}  // namespace tabulon::preview::ado::vba
