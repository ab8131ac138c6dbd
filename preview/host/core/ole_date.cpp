#include "ole_date.h"

#include <cmath>

namespace tabulon::preview::host {
namespace {

// The day (from 1899-12-30) a second since then falls in, rounding down before it.
long long dayOfSecond(long long seconds) { return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400); }

}  // namespace

long long absoluteSeconds(double oleDate) {
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    return static_cast<long long>(days) * 86400 + std::llround(fraction * 86400.0);
}

double fromAbsoluteSeconds(long long seconds) {
    long long days = dayOfSecond(seconds);
    long long rest = seconds - days * 86400;
    double fraction = static_cast<double>(rest) / 86400.0;
    // Before 1899-12-30 an OLE date counts its days down and its time of day up: -1.25 is
    // 1899-12-29 06:00.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateParts splitDate(double oleDate) {
    long long seconds = absoluteSeconds(oleDate);
    long long days = dayOfSecond(seconds);
    DateParts p;
    p.secondOfDay = seconds - days * 86400;
    jet::civilFromOleDay(days, p.year, p.month, p.day);
    return p;
}

double joinDate(int year, int month, int day, long long secondOfDay) {
    long long m0 = static_cast<long long>(year) * 12 + (month - 1);
    long long y = m0 >= 0 ? m0 / 12 : -((-m0 + 11) / 12);
    unsigned m = static_cast<unsigned>(m0 - y * 12 + 1);
    long long days = jet::oleDayNumber(static_cast<int>(y), static_cast<int>(m), 1) + (day - 1);
    return fromAbsoluteSeconds(days * 86400 + secondOfDay);
}

int weekday(double oleDate) {
    long long seconds = absoluteSeconds(oleDate);
    long long days = dayOfSecond(seconds);
    // 1899-12-30 was a Saturday (7)
    long long w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

}  // namespace tabulon::preview::host
