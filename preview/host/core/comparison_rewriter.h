#pragma once
// Comparisons the engine makes otherwise than Windows' VBScript go through the host:
// "a < b" (and >, <=, >=) becomes "host.Compare(a, b) < 0", so that two strings compare by
// their character codes ("Z" < "a", as Windows' default binary comparison); and a comparison
// with a number written in the page ("x = 5", "Request("page") <> 1") becomes
// "host.Compare(x, 5, True) = 0", so that a string holding a number compares as that number.
// Assignments are left alone; line structure is kept.
#include <string>
#include <string_view>

namespace tabulon::preview::host {

std::string rewriteComparisons(std::string_view script, std::string_view hostObject);

}  // namespace tabulon::preview::host
