#pragma once
// OLE automation dates (days since 1899-12-30; before it the fraction still counts forward
// from midnight) split into calendar parts and back.
#include "jet/ole_date.h"

namespace tabulon::preview::host {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    long long secondOfDay = 0;
};

DateParts splitDate(double oleDate);
double joinDate(int year, int month, int day, long long secondOfDay);  // month/day may overflow, like DateSerial
long long absoluteSeconds(double oleDate);                             // seconds since 1899-12-30 00:00, monotonic
double fromAbsoluteSeconds(long long seconds);
using jet::daysInMonth;
int weekday(double oleDate);  // 1 = Sunday

}  // namespace tabulon::preview::host
