// Jet's VBA functions in queries (DateAdd, DateDiff, DatePart, Weekday, Format, Val, the
// conversions, InStr from a position, ^) as SQLite functions of the translated statements.
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "preview/ado/jet_values.h"
#include "preview/ado/sql_functions.h"
#include "preview/ado/sql_translate.h"
#include "preview/ado/vba_dates.h"
#include "preview/ado/vba_format.h"

namespace tabulon::preview::ado::sql {
namespace {

std::string textArgument(sqlite3_value* value) {
    const unsigned char* text = sqlite3_value_text(value);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(value)))
                : std::string();
}

void jetError(sqlite3_context* context, std::uint32_t hresult, const std::string& text) {
    char code[16];
    std::snprintf(code, sizeof code, "%08X:", hresult);
    const std::string message = kJetErrorPrefix + std::string(code) + text;
    sqlite3_result_error(context, message.c_str(), -1);
}
void invalidCall(sqlite3_context* context) { jetError(context, 0x80004005u, "Invalid procedure call"); }
void invalidNull(sqlite3_context* context) { jetError(context, 0x80004005u, "Invalid use of Null"); }
void mismatch(sqlite3_context* context) {
    jetError(context, 0x80040E07u, "Data type mismatch in criteria expression.");
}

bool isNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

// A date argument: an OLE date, or text Jet reads as a date or a number.
std::optional<double> dateArgument(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_value_double(value);
    case SQLITE_TEXT: {
        const std::string text = textArgument(value);
        if (auto date = parseDateText(text, false)) return date;
        return parseNumberText(text);
    }
    default: return std::nullopt;
    }
}

std::optional<double> numberArgument(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_value_double(value);
    case SQLITE_TEXT: return parseNumberText(textArgument(value));
    default: return std::nullopt;
    }
}

void resultText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// tabulon_power(a, b): a ^ b.
void power(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (isNull(arguments[0]) || isNull(arguments[1])) return sqlite3_result_null(context);
    auto a = numberArgument(arguments[0]), b = numberArgument(arguments[1]);
    if (!a || !b) return mismatch(context);
    const double result = std::pow(*a, *b);
    if (!std::isfinite(result)) return invalidCall(context);
    sqlite3_result_double(context, result);
}

// tabulon_dateadd(interval, number, date)
void dateAdd(sqlite3_context* context, int, sqlite3_value** arguments) {
    auto interval = vba::intervalOf(textArgument(arguments[0]));
    if (!interval) return invalidCall(context);
    if (isNull(arguments[1]) || isNull(arguments[2])) return sqlite3_result_null(context);
    auto number = numberArgument(arguments[1]);
    auto date = dateArgument(arguments[2]);
    if (!number || !date) return mismatch(context);
    auto result = vba::dateAdd(*interval, *number, *date);
    if (!result) return invalidCall(context);
    sqlite3_result_double(context, *result);
}

int firstDayArgument(sqlite3_value* value) {
    const int day = isNull(value) ? 1 : sqlite3_value_int(value);
    return day == 0 ? 1 : day;  // vbUseSystemDayOfWeek: Sunday on a zh-CN server
}

// tabulon_datediff(interval, first, second, first day of week)
void dateDiff(sqlite3_context* context, int, sqlite3_value** arguments) {
    auto interval = vba::intervalOf(textArgument(arguments[0]));
    const int firstDay = firstDayArgument(arguments[3]);
    if (!interval || firstDay < 1 || firstDay > 7) return invalidCall(context);
    if (isNull(arguments[1]) || isNull(arguments[2])) return sqlite3_result_null(context);
    auto a = dateArgument(arguments[1]), b = dateArgument(arguments[2]);
    if (!a || !b) return mismatch(context);
    sqlite3_result_int64(context, vba::dateDiff(*interval, *a, *b, firstDay));
}

// tabulon_datepart(interval, date, first day of week)
void datePart(sqlite3_context* context, int, sqlite3_value** arguments) {
    auto interval = vba::intervalOf(textArgument(arguments[0]));
    const int firstDay = firstDayArgument(arguments[2]);
    if (!interval || firstDay < 1 || firstDay > 7) return invalidCall(context);
    if (isNull(arguments[1])) return sqlite3_result_null(context);
    auto date = dateArgument(arguments[1]);
    if (!date) return mismatch(context);
    sqlite3_result_int64(context, vba::datePart(*interval, *date, firstDay));
}

// tabulon_weekday(date, first day of week)
void weekday(sqlite3_context* context, int, sqlite3_value** arguments) {
    const int firstDay = firstDayArgument(arguments[1]);
    if (firstDay < 1 || firstDay > 7) return invalidCall(context);
    if (isNull(arguments[0])) return sqlite3_result_null(context);
    auto date = dateArgument(arguments[0]);
    if (!date) return mismatch(context);
    sqlite3_result_int(context, vba::weekday(*date, firstDay));
}

// tabulon_val(value)
void val(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (isNull(arguments[0])) return invalidNull(context);
    sqlite3_result_double(context, vba::val(textArgument(arguments[0])));
}

// tabulon_convert(value, target, kind): CLng, CInt, CDbl, CStr, CDate, Int, Fix; kind as
// tabulon_text's (1 a Single, 2 a date).
void convert(sqlite3_context* context, int, sqlite3_value** arguments) {
    const std::string target = textArgument(arguments[1]);
    const int kind = sqlite3_value_int(arguments[2]);
    if (isNull(arguments[0])) {
        // Int, Fix, DateValue and TimeValue pass Null on; the C… conversions refuse it.
        if (target == "int" || target == "fix" || target == "day" || target == "time")
            return sqlite3_result_null(context);
        return invalidNull(context);
    }
    if (target == "str") {
        std::string result;
        if (sqlite3_value_type(arguments[0]) == SQLITE_TEXT) {
            result = textArgument(arguments[0]);
        } else {
            const double number = sqlite3_value_double(arguments[0]);
            result = kind == 2 ? formatDate(number) : formatNumber(number, kind == 1);
        }
        return resultText(context, result);
    }
    if (target == "date" || target == "day" || target == "time") {
        auto date = dateArgument(arguments[0]);
        if (!date) return mismatch(context);
        const double day = std::trunc(*date);  // before 1899 the time counts away from zero
        if (target == "day") return sqlite3_result_double(context, day);
        if (target == "time") return sqlite3_result_double(context, std::fabs(*date - day));
        return sqlite3_result_double(context, *date);
    }
    auto number = numberArgument(arguments[0]);
    if (!number) return mismatch(context);
    if (target == "dbl") return sqlite3_result_double(context, *number);
    if (target == "int") return sqlite3_result_double(context, std::floor(*number));
    if (target == "fix") return sqlite3_result_double(context, std::trunc(*number));
    if (target == "sng") return sqlite3_result_double(context, static_cast<double>(static_cast<float>(*number)));
    if (target == "cur") {
        if (std::fabs(*number) > 922337203685477.0) return jetError(context, 0x80040E57u, "Overflow");
        return sqlite3_result_double(context, std::nearbyint(*number * 10000) / 10000);
    }
    if (target == "bool") return sqlite3_result_int(context, *number != 0 ? -1 : 0);
    // CLng and CInt round half to even.
    const double rounded = std::nearbyint(*number);
    const double low = target == "lng" ? -2147483648.0 : (target == "byte" ? 0.0 : -32768.0);
    const double high = target == "lng" ? 2147483647.0 : (target == "byte" ? 255.0 : 32767.0);
    if (rounded < low || rounded > high) return jetError(context, 0x80040E57u, "Overflow");
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(rounded));
}

// Characters (not bytes) of a UTF-8 text, for positions Jet counts.
std::vector<std::string> characters(const std::string& text, bool fold) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        std::string ch = text.substr(i, n);
        if (fold && ch.size() == 1 && ch[0] >= 'A' && ch[0] <= 'Z') ch[0] = static_cast<char>(ch[0] - 'A' + 'a');
        out.push_back(std::move(ch));
        i += n;
    }
    return out;
}

// tabulon_instr(start, text, sought, compare): compare 0 is binary, otherwise text.
void instr(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (isNull(arguments[0])) return invalidNull(context);
    auto start = numberArgument(arguments[0]);
    if (!start) return mismatch(context);
    if (*start < 1 || *start > 2147483647.0) return invalidCall(context);
    if (isNull(arguments[1]) || isNull(arguments[2])) return sqlite3_result_null(context);
    const bool fold = isNull(arguments[3]) || sqlite3_value_int(arguments[3]) != 0;
    const auto text = characters(textArgument(arguments[1]), fold);
    const auto sought = characters(textArgument(arguments[2]), fold);
    const std::size_t from = static_cast<std::size_t>(std::nearbyint(*start)) - 1;
    if (from > text.size()) return sqlite3_result_int(context, 0);
    if (sought.empty()) return sqlite3_result_int64(context, static_cast<sqlite3_int64>(from + 1));
    for (std::size_t i = from; i + sought.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < sought.size() && same; ++j) same = text[i + j] == sought[j];
        if (same) return sqlite3_result_int64(context, static_cast<sqlite3_int64>(i + 1));
    }
    sqlite3_result_int(context, 0);
}

// tabulon_format(value, pattern, kind): kind 1 a Single, 2 a date, 3 a Yes/No.
void format(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (isNull(arguments[0])) return sqlite3_result_null(context);
    const int kind = sqlite3_value_int(arguments[2]);
    Value value;
    switch (sqlite3_value_type(arguments[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        value.number = sqlite3_value_double(arguments[0]);
        value.kind = kind == 2 ? Value::Kind::Date : (kind == 1 ? Value::Kind::Single : Value::Kind::Double);
        if (kind == 3) {
            value.kind = Value::Kind::Boolean;
            value.boolean = value.number != 0;
        }
        break;
    default:
        value.kind = Value::Kind::Text;
        value.text = textArgument(arguments[0]);
        break;
    }
    resultText(context, vba::format(value, isNull(arguments[1]) ? "" : textArgument(arguments[1])));
}

// tabulon_round(value, digits): Jet's Round, half to even.
void round(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (isNull(arguments[0])) return sqlite3_result_null(context);
    auto number = numberArgument(arguments[0]);
    if (!number) return mismatch(context);
    const int digits = isNull(arguments[1]) ? 0 : sqlite3_value_int(arguments[1]);
    if (digits < 0 || digits > 15) return invalidCall(context);
    const double scale = std::pow(10.0, digits);
    const double scaled = *number * scale;
    if (!std::isfinite(scaled)) return sqlite3_result_double(context, *number);
    sqlite3_result_double(context, std::nearbyint(scaled) / scale);
}

// tabulon_dateserial(year, month, day): months and days beyond their range carry over.
void dateSerial(sqlite3_context* context, int, sqlite3_value** arguments) {
    for (int i = 0; i < 3; ++i) {
        if (isNull(arguments[i])) return invalidNull(context);
    }
    auto year = numberArgument(arguments[0]), month = numberArgument(arguments[1]), day = numberArgument(arguments[2]);
    if (!year || !month || !day) return mismatch(context);
    double y = std::nearbyint(*year);
    if (y >= 0 && y < 30)
        y += 2000;  // two-digit years as Windows reads them
    else if (y >= 30 && y < 100)
        y += 1900;
    const double months = y * 12 + std::nearbyint(*month) - 1;
    if (!std::isfinite(months) || months < 100 * 12 || months > 9999 * 12 + 11) return invalidCall(context);
    CivilTime first;
    first.year = static_cast<int>(months / 12);
    first.month = static_cast<int>(months - first.year * 12.0) + 1;
    first.day = 1;
    auto start = oleFromCivil(first);
    if (!start) return invalidCall(context);
    auto result = vba::dateAdd(vba::Interval::Day, std::nearbyint(*day) - 1, *start);
    if (!result || std::fabs(std::nearbyint(*day)) > 3000000) return invalidCall(context);
    sqlite3_result_double(context, *result);
}

// tabulon_isnumeric(value)
void isNumeric(sqlite3_context* context, int, sqlite3_value** arguments) {
    switch (sqlite3_value_type(arguments[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_result_int(context, -1);
    case SQLITE_TEXT: return sqlite3_result_int(context, parseNumberText(textArgument(arguments[0])) ? -1 : 0);
    default: return sqlite3_result_int(context, 0);
    }
}

// tabulon_more_than_one_row(): a scalar subquery found several rows.
void moreThanOneRow(sqlite3_context* context, int, sqlite3_value**) {
    jetError(context, 0x80004005u, "At most one record can be returned by this subquery.");
}

}  // namespace

void registerVbaFunctions(sqlite3* db) {
    struct Function {
        const char* name;
        int arguments;
        void (*call)(sqlite3_context*, int, sqlite3_value**);
    };
    static const Function functions[] = {
        {kPowerFunction, 2, power},        {"tabulon_dateadd", 3, dateAdd},       {"tabulon_datediff", 4, dateDiff},
        {"tabulon_datepart", 3, datePart}, {"tabulon_weekday", 2, weekday},       {"tabulon_val", 1, val},
        {"tabulon_convert", 3, convert},   {"tabulon_instr", 4, instr},           {"tabulon_format", 3, format},
        {"tabulon_round", 2, round},       {"tabulon_dateserial", 3, dateSerial}, {"tabulon_isnumeric", 1, isNumeric},
    };
    for (const Function& f : functions) {
        sqlite3_create_function(db, f.name, f.arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, f.call, nullptr,
                                nullptr);
    }
    // Not deterministic: SQLite must never run it ahead of the CASE that guards it.
    sqlite3_create_function(db, "tabulon_more_than_one_row", 0, SQLITE_UTF8, nullptr, moreThanOneRow, nullptr, nullptr);
}

}  // namespace tabulon::preview::ado::sql
