#include "ole_date.h"

#include <cmath>

namespace tabulon::preview::host {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const long long oleEpoch = daysFromCivil(1899, 12, 30);

}  // namespace

long long absoluteSeconds(double oleDate) {
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    return static_cast<long long>(days) * 86400 + std::llround(fraction * 86400.0);
}

double fromAbsoluteSeconds(long long seconds) {
    long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    long long rest = seconds - days * 86400;
    double fraction = static_cast<double>(rest) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction + (rest ? 0.0 : 0.0);
}

DateParts splitDate(double oleDate) {
    long long seconds = absoluteSeconds(oleDate);
    long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    DateParts p;
    p.secondOfDay = seconds - days * 86400;
    civilFromDays(days + oleEpoch, p.year, p.month, p.day);
    return p;
}

double joinDate(int year, int month, int day, long long secondOfDay) {
    long long m0 = static_cast<long long>(year) * 12 + (month - 1);
    long long y = m0 >= 0 ? m0 / 12 : -((-m0 + 11) / 12);
    unsigned m = static_cast<unsigned>(m0 - y * 12 + 1);
    long long days = daysFromCivil(y, m, 1) - oleEpoch + (day - 1);
    return fromAbsoluteSeconds(days * 86400 + secondOfDay);
}

int daysInMonth(int year, int month) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

int weekday(double oleDate) {
    long long seconds = absoluteSeconds(oleDate);
    long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    // 1899-12-30 was a Saturday (7)
    long long w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

}  // namespace tabulon::preview::host
