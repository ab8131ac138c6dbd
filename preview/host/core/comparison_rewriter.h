#pragma once
// Comparisons the engine makes otherwise than Windows' VBScript go through the host:
// "a < b" (and >, <=, >=) becomes "host.Compare(a, b) < 0", so that two strings compare by
// their character codes ("Z" < "a", as Windows' default binary comparison), and a string
// against a number written in the page ("Request("n") >= 10", "host.Compare(x, 10, True)")
// as that number. Equality is left to the engine, assignments alone; line structure is kept.
#include <string>
#include <string_view>

namespace tabulon::preview::host {

std::string rewriteComparisons(std::string_view script, std::string_view hostObject);

}  // namespace tabulon::preview::host
