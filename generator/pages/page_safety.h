#pragma once
// What every generated page adds to keep the site sound whatever its template rows say:
// the code page directive, the form token, per-type value checks, the password field.
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// The hidden input that carries the session's form token.
inline constexpr std::string_view kTokenInput =
    "<input type=\"hidden\" name=\"kovel_token\" value=\"<%=SiteToken()%>\">";

// The page made of `parts`, as it is written: "<%@ CODEPAGE=936 %>" in front, so the
// Chinese names in its SQL reach Jet intact whatever the server's default code page (a
// page with its own directive keeps it), and, when `tokenForm` is given, the token input
// after the start tag of the first form whose start tag begins with it. The parts are
// copied once, straight into the page.
std::string finishedPage(std::span<const std::string_view> parts, std::optional<std::string_view> tokenForm);
std::string finishedPage(std::initializer_list<std::string_view> parts, std::optional<std::string_view> tokenForm);

// Puts the token input right after the start tag of the first form whose start tag
// begins with `formStart`; returns whether there was one.
bool addFormToken(std::string& page, std::string_view formStart = "<form");

// How the server checks a posted value before it is written to the column:
// the row's kind for its data type ("text", "long", "date", … the kinds of SiteValue in
// inc/guard.asp), "html" for rich text, "text" for a type no row has.
std::string_view valueKind(const catalogue::Field& field);

// The field that holds the account password of the project's login table.
bool isPasswordField(const catalogue::Snapshot& model, const catalogue::Table& table, const catalogue::Field& field);

}  // namespace tabulon::generator
