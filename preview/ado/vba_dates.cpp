#include "preview/ado/vba_dates.h"

#include <cmath>
#include <string>

#include "preview/ado/catalog.h"
#include "preview/ado/jet_values.h"

namespace tabulon::preview::ado::vba {
namespace {

// Whole days since 1899-12-30 of the date's calendar day, and seconds into that day.
struct Moment {
    long long day = 0;
    long long second = 0;
    CivilTime civil;
};

Moment momentOf(double ole) {
    Moment m;
    m.civil = civilFromOle(ole);
    CivilTime midnight = m.civil;
    midnight.hour = midnight.minute = midnight.second = 0;
    m.day = static_cast<long long>(std::llround(oleFromCivil(midnight).value_or(std::trunc(ole))));
    m.second = m.civil.hour * 3600LL + m.civil.minute * 60LL + m.civil.second;
    return m;
}

std::optional<double> oleOf(long long day, long long second) {
    day += second / 86400;
    second %= 86400;
    if (second < 0) {
        second += 86400;
        --day;
    }
    // Before 1899-12-30 the time counts away from zero: -1.25 is 1899-12-29 06:00.
    const double fraction = static_cast<double>(second) / 86400.0;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::optional<double> addMonths(const Moment& m, long long months) {
    long long index = m.civil.year * 12LL + (m.civil.month - 1) + months;
    CivilTime when = m.civil;
    when.year = static_cast<int>(index / 12);
    when.month = static_cast<int>(index % 12) + 1;
    if (when.year < 100 || when.year > 9999) return std::nullopt;
    when.day = std::min(when.day, daysInMonth(when.year, when.month));
    return oleFromCivil(when);
}

long long floorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The day number of the start of the week holding `day`.
long long weekStart(long long day, int firstDayOfWeek) {
    return day - (weekday(static_cast<double>(day), firstDayOfWeek) - 1);
}

}  // namespace

std::optional<Interval> intervalOf(std::string_view text) {
    const std::string word = foldName(trimBlanks(text));
    if (word == "yyyy") return Interval::Year;
    if (word == "q") return Interval::Quarter;
    if (word == "m") return Interval::Month;
    if (word == "y") return Interval::DayOfYear;
    if (word == "d") return Interval::Day;
    if (word == "w") return Interval::Weekday;
    if (word == "ww") return Interval::Week;
    if (word == "h") return Interval::Hour;
    if (word == "n") return Interval::Minute;
    if (word == "s") return Interval::Second;
    return std::nullopt;
}

int weekday(double date, int firstDayOfWeek) {
    const long long day = static_cast<long long>(std::trunc(date));  // before 1899 the time counts away from zero
    // Day 0, 1899-12-30, was a Saturday.
    const int sundayBased = static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
    return (sundayBased - firstDayOfWeek + 7) % 7 + 1;
}

std::optional<double> dateAdd(Interval interval, double number, double date) {
    const long long n = static_cast<long long>(std::nearbyint(number));
    const Moment m = momentOf(date);
    switch (interval) {
    case Interval::Year: return addMonths(m, n * 12);
    case Interval::Quarter: return addMonths(m, n * 3);
    case Interval::Month: return addMonths(m, n);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return oleOf(m.day + n, m.second);
    case Interval::Week: return oleOf(m.day + 7 * n, m.second);
    case Interval::Hour: return oleOf(m.day, m.second + 3600 * n);
    case Interval::Minute: return oleOf(m.day, m.second + 60 * n);
    case Interval::Second: return oleOf(m.day, m.second + n);
    }
    return std::nullopt;
}

long long dateDiff(Interval interval, double first, double second, int firstDayOfWeek) {
    const Moment a = momentOf(first), b = momentOf(second);
    switch (interval) {
    case Interval::Year: return b.civil.year - a.civil.year;
    case Interval::Quarter:
        return (b.civil.year * 4LL + (b.civil.month - 1) / 3) - (a.civil.year * 4LL + (a.civil.month - 1) / 3);
    case Interval::Month: return (b.civil.year * 12LL + b.civil.month) - (a.civil.year * 12LL + a.civil.month);
    case Interval::DayOfYear:
    case Interval::Day: return b.day - a.day;
    case Interval::Weekday: return (b.day - a.day) / 7;
    case Interval::Week: return (weekStart(b.day, firstDayOfWeek) - weekStart(a.day, firstDayOfWeek)) / 7;
    case Interval::Hour: return (b.day * 24 + b.second / 3600) - (a.day * 24 + a.second / 3600);
    case Interval::Minute: return (b.day * 1440 + b.second / 60) - (a.day * 1440 + a.second / 60);
    case Interval::Second: return (b.day * 86400 + b.second) - (a.day * 86400 + a.second);
    }
    return 0;
}

long long datePart(Interval interval, double date, int firstDayOfWeek) {
    const Moment m = momentOf(date);
    CivilTime january = m.civil;
    january.month = january.day = 1;
    january.hour = january.minute = january.second = 0;
    const long long newYear = static_cast<long long>(std::llround(oleFromCivil(january).value_or(0)));
    switch (interval) {
    case Interval::Year: return m.civil.year;
    case Interval::Quarter: return (m.civil.month - 1) / 3 + 1;
    case Interval::Month: return m.civil.month;
    case Interval::DayOfYear: return m.day - newYear + 1;
    case Interval::Day: return m.civil.day;
    case Interval::Weekday: return weekday(static_cast<double>(m.day), firstDayOfWeek);
    case Interval::Week: return floorDiv(weekStart(m.day, firstDayOfWeek) - weekStart(newYear, firstDayOfWeek), 7) + 1;
    case Interval::Hour: return m.civil.hour;
    case Interval::Minute: return m.civil.minute;
    case Interval::Second: return m.civil.second;
    }
    return 0;
}

}  // namespace tabulon::preview::ado::vba
