#pragma once
// Splices shared by the form pages: the server block goes in front of the HTML head, and a
// page with a cascade includes the AJAX helpers right after the connection include.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "generator/pages/page_generator.h"
#include "generator/text/template_anchor.h"
#include "generator/widgets/add_widgets.h"

namespace tabulon::generator {

// The text the default first template rows end with; the server block goes before it.
inline constexpr std::string_view kHeadMarker = anchor::kHeadMarker;

// The start of a page as parts: `pageHead` with the parts of the server block and a line
// end in front of its first head marker. A head without the marker has no place for the
// block: MissingAnchor names `head`, and the page is not written.
std::vector<std::string_view> headWithServerBlock(std::string_view pageHead, const TemplateAnchor& head,
                                                  std::initializer_list<std::string_view> serverBlock);

// Replaces the first connection include of `page` by itself plus the AJAX include.
void spliceAjaxInclude(std::string& page);

// Appends "\r\n             S_3=trim(Request.Form(\"S_3\"))'排序<TAB>说明\r\n": reads a posted
// value (never from the query string: a link must not change data). `n` is the position.
void appendReadLine(std::string& out, std::string_view n, std::string_view name, std::string_view description);

// Appends "\r\n    rsAdd(\"排序\")=S_3\r\n": stores it in the record.
void appendAssignmentLine(std::string& out, std::string_view n, std::string_view name);

// Appends "S_3=SiteValue(S_3,\"short\",\"排序\")": the server's type check, which also turns
// an empty optional value into Null; `caption` names the field in its message.
void appendValueCheckLine(std::string& out, std::string_view n, const catalogue::Field& field,
                          std::string_view caption);

// What the field loop of a form page builds.
struct FieldRows {
    std::string formRows;     // caption start + caption + caption end + widget + row end, per field
    std::string readCode;     // `readStart` followed by one read line per field
    std::string valueCode;    // the type check of every value, after the numeric checks
    std::string assignCode;   // one assignment per field (none for an auto-number column)
    std::string checkScript;  // the browser-side check() the submit button calls
};

enum class PasswordOnSave {
    Always,     // the add page: what is typed is stored as a digest
    WhenTyped,  // the modify page: an empty box keeps the stored digest
};

// Runs the field loop of the add and modify pages: every field gets its caption row, read
// line and assignment, then its widget from `widget`; a widget that stops the loop leaves
// its row without widget and row end, and no later field is handled.
FieldRows buildFieldRows(const PageInput& input, std::string_view captionStart, std::string_view captionEnd,
                         std::string_view rowEnd, std::string_view readStart, WidgetRule widget, FormState& state,
                         PasswordOnSave password, Messages& messages);

// The start of the server block that runs on a postback: only a POST of the form, with
// the session's token, gets past it.
std::string postbackStart(std::string_view action);

}  // namespace tabulon::generator
