#pragma once
// The date arithmetic of Jet's expression functions (DateAdd, DateDiff, DatePart, Weekday)
// over OLE automation dates. Pure functions; nullopt where Jet raises "Invalid procedure call".
#include <optional>
#include <string_view>

namespace tabulon::preview::ado::vba {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

// "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s", any case.
std::optional<Interval> intervalOf(std::string_view text);

std::optional<double> dateAdd(Interval interval, double number, double date);
long long dateDiff(Interval interval, double first, double second, int firstDayOfWeek);
long long datePart(Interval interval, double date, int firstDayOfWeek);
// 1 for `firstDayOfWeek` (1 Sunday … 7 Saturday).
int weekday(double date, int firstDayOfWeek);

}  // namespace tabulon::preview::ado::vba
