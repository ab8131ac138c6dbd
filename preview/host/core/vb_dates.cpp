#include "vb_dates.h"

#include <cmath>

#include "base/ascii_text.h"
#include "ole_date.h"

namespace tabulon::preview::host {
namespace {

long long floorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

std::optional<long> dateDiff(std::string_view interval, double d1, double d2, int firstDay) {
    const std::string i = asciiLowered(interval);
    DateParts a = splitDate(d1), b = splitDate(d2);
    long long s1 = absoluteSeconds(d1), s2 = absoluteSeconds(d2);
    if (i == "yyyy") return b.year - a.year;
    if (i == "q") return (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3);
    if (i == "m") return (b.year * 12 + b.month) - (a.year * 12 + a.month);
    if (i == "d" || i == "y") return static_cast<long>(floorDiv(s2, 86400) - floorDiv(s1, 86400));
    if (i == "w") return static_cast<long>((floorDiv(s2, 86400) - floorDiv(s1, 86400)) / 7);
    if (i == "ww") {
        auto weekStart = [firstDay](long long seconds, double date) {
            long long day = floorDiv(seconds, 86400);
            int offset = (weekday(date) - firstDay + 7) % 7;
            return day - offset;
        };
        return static_cast<long>((weekStart(s2, d2) - weekStart(s1, d1)) / 7);
    }
    if (i == "h") return static_cast<long>(floorDiv(s2, 3600) - floorDiv(s1, 3600));
    if (i == "n") return static_cast<long>(floorDiv(s2, 60) - floorDiv(s1, 60));
    if (i == "s") return static_cast<long>(s2 - s1);
    return std::nullopt;
}

std::optional<double> dateAdd(std::string_view interval, double amount, double date) {
    const std::string i = asciiLowered(interval);
    long long n = static_cast<long long>(std::trunc(amount));
    DateParts p = splitDate(date);
    auto addMonths = [&](long long months) -> std::optional<double> {
        long long m0 = static_cast<long long>(p.year) * 12 + (p.month - 1) + months;
        int year = static_cast<int>(floorDiv(m0, 12));
        int month = static_cast<int>(m0 - static_cast<long long>(year) * 12 + 1);
        if (year < 100 || year > 9999) return std::nullopt;
        int day = p.day > daysInMonth(year, month) ? daysInMonth(year, month) : p.day;
        return joinDate(year, month, day, p.secondOfDay);
    };
    long long s = absoluteSeconds(date);
    if (i == "yyyy") return addMonths(n * 12);
    if (i == "q") return addMonths(n * 3);
    if (i == "m") return addMonths(n);
    if (i == "d" || i == "y" || i == "w") return fromAbsoluteSeconds(s + n * 86400);
    if (i == "ww") return fromAbsoluteSeconds(s + n * 7 * 86400);
    if (i == "h") return fromAbsoluteSeconds(s + n * 3600);
    if (i == "n") return fromAbsoluteSeconds(s + n * 60);
    if (i == "s") return fromAbsoluteSeconds(s + n);
    return std::nullopt;
}

}  // namespace tabulon::preview::host
