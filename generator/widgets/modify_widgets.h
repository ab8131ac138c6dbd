#pragma once
// The input widgets of the modify page: the add page's rules without cascades, each
// showing the record's stored value (the page opens that record as rsAdd).
#include <string>
#include <string_view>

#include "base/messages.h"
#include "catalogue/records.h"
#include "catalogue/snapshot.h"
#include "generator/widgets/add_widgets.h"

namespace tabulon::generator {

// The modify page's widget of each input type; widget_renderer.cpp chooses among them.
// Numeric text boxes add their check to `state.checkCode`; the first date box adds the
// picker script.
namespace modify_widget {
Widget textBox(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget richText(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget dateBox(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget dropDown(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
Widget other(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, FormState&, Messages&);
}  // namespace modify_widget

// The select a drop-down keeps when its linked table does not exist: one option 没有记录.
std::string emptySelect(std::size_t position);

// A drop-down that lists the linked table and pre-selects the option for which the
// VBScript condition `selectedTest` holds. Shared by the modify and display pages.
std::string selectingDropDownCode(std::string_view sql, std::string_view column, std::size_t position,
                                  std::string_view selectedTest);

// The drop-down of a modify or display page: a missing linked table is reported and
// leaves the empty select; a missing linked column is reported and stops the field loop.
// `tableName` is the table being generated (named in the first message).
Widget linkedDropDown(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                      std::string_view tableName, std::string_view selectedTest, Messages& messages);

}  // namespace tabulon::generator
