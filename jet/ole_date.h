#pragma once
// Dates as Jet stores them: OLE automation dates.

#include <cstdint>
#include <optional>
#include <string>

#include "jet/types.h"

namespace tabulon::jet {

// Days since 1899-12-30 with the time as the fraction. Before that day the
// fraction still counts forward in time (-1.25 is 1899-12-29 06:00).
double toOleDate(const DateTime& when);
// The OLE dates of years 100 to 9999, the ones Jet keeps.
inline constexpr double kMinOleDate = -657435.0;
inline constexpr double kMaxOleDate = 2958466.0;
DateTime fromOleDate(double oleDate);

// Calendar days counted from 1899-12-30 (day 0 of OLE dates), proleptic Gregorian.
std::int64_t oleDayNumber(int year, int month, int day);
void civilFromOleDay(std::int64_t oleDay, int& year, int& month, int& day);
int daysInMonth(int year, int month);

// nullopt when the date is valid for Jet (years 100..9999), else the reason.
std::optional<std::string> dateProblem(const DateTime& when);

}  // namespace tabulon::jet
