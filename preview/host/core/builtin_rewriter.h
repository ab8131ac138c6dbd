#pragma once
// Redirects calls of chosen VBScript built-ins to methods of a host object: "Split(a, b)"
// becomes "Tabulon_.Split(a, b)". The engine's own built-ins win over any name a host
// offers, so a built-in the engine lacks or gets wrong can only be replaced this way.
// Strings, comments, date literals, members (".Split(") and the names of a page's own
// procedures are left alone; line structure is kept so error lines stay right.
#include <set>
#include <string>
#include <string_view>

namespace tabulon::preview::host {

// `names` are lower-case built-in names; `object` is the host object's name.
std::string rewriteBuiltins(std::string_view script, const std::set<std::string>& names, std::string_view object);

}  // namespace tabulon::preview::host
