#pragma once
// The input widgets of the add page, one rule per input type, with cascades between
// drop-downs. The modify and display pages build on the same rules.
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// Working values shared by the fields of one form page.
struct FormState {
    std::string tableName;                    // the table being generated
    std::vector<std::string> fieldNames;      // entry k-1 is the field at position k
    std::vector<std::string> cascadeTargets;  // positions (as text) that a cascade fills
    bool cascade = false;                     // the page needs the AJAX include
    int dateScripts = 0;                      // date picker script tags emitted so far
    std::string checkCode;                    // numeric checks of the server block
    bool passwordField = false;               // the current field holds the account password
    std::string loadScript;                   // run once the form is there: fills dependent lists
};

struct Widget {
    std::string html;
    // The drop-down's linked field does not exist: the field loop ends here, this
    // field's row gets neither widget nor row end.
    bool stopsFieldLoop = false;
};

// How a widget is built for the field at 1-based `position`; design problems (a drop-down
// whose linked table or field is missing) are reported through `messages`.
using WidgetRule = Widget (*)(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                              FormState& state, Messages& messages);

// The add page's widget of each input type; widget_renderer.cpp chooses among them.
namespace add_widget {
Widget textBox(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget richText(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget dateBox(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget dropDown(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget other(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
}  // namespace add_widget

// The drop-down of a form page: the server code that lists the linked table's records
// (option texts HTML-encoded), with `attribute` closing the select start tag and the option
// for which the VBScript condition `selectedTest` holds pre-selected. `before` is server
// code run first. Shared by the add, modify and display pages.
std::string dropDownListCode(std::string_view sql, std::string_view fieldName, std::size_t position,
                             std::string_view attribute, std::string_view selectedTest, std::string_view before = {});

// The server line that lets this session's requests to the cascade data service list
// `column` of `table` by `condition` (a leading "%" is not part of the column name).
std::string cascadeRegistration(std::string_view table, std::string_view column, std::string_view condition);

// The server's check of a numeric text box (an empty value passes and is stored as Null).
std::string numericCheck(std::size_t position, std::string_view name);

// The first date box of a page gets the picker's script tag; `dateScripts` counts it.
std::string datePickerScript(FormState& state);

}  // namespace tabulon::generator
