#pragma once
// The locale a page sets before it does anything else (Session.LCID = 1033, Response.LCID,
// SetLocale): the engine reads its locale once, when it starts, so the host starts it with
// that one and the page formats and reads values in it from its first line, as on IIS.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::preview::host {

struct LeadingLocale {
    long lcid = 0;     // a number given
    std::string name;  // or a name given ("en-us"), lcid 0
};

// Only declarations, procedures, classes and literal text may come before the setting.
std::optional<LeadingLocale> leadingLocale(std::string_view script);

}  // namespace tabulon::preview::host
