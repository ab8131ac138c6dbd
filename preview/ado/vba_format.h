#pragma once
// Jet's Format(value, format) as a zh-CN (code page 936) server writes it: the named
// formats and the user patterns of dates (yyyy-mm-dd hh:nn:ss …) and numbers (0.00, #,##0, %).
#include <string>
#include <string_view>

#include "preview/ado/ado.h"

namespace tabulon::preview::ado::vba {

// `value` is Text, a number kind or Date; Null is the caller's business.
std::string format(const Value& value, std::string_view pattern);

// Val: the number at the start of a text, blanks anywhere ignored; 0 when there is none.
double val(std::string_view text);

}  // namespace tabulon::preview::ado::vba
