#pragma once
// VBScript's DateAdd and DateDiff over OLE dates, as a Windows server computes them (Wine's
// engine lacks DateDiff and adds months past the month's end).
#include <optional>
#include <string_view>

namespace tabulon::preview::host {

// `interval` is "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n" or "s" in any case; nothing
// when it is none of them or the result leaves the years 100–9999 (error 5 in VBScript).
std::optional<double> dateAdd(std::string_view interval, double amount, double date);
// `firstDay` is the first day of the week for "ww" (1 = Sunday).
std::optional<long> dateDiff(std::string_view interval, double from, double to, int firstDay);

}  // namespace tabulon::preview::host
