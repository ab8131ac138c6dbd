#pragma once
// What a field shows on the display page, chosen by its input type: the stored value, the
// stored HTML encoded as text, or the linked table's drop-down with the stored option.
#include <string_view>

#include "base/messages.h"
#include "catalogue/records.h"
#include "catalogue/snapshot.h"
#include "generator/widgets/add_widgets.h"

namespace tabulon::generator {

// The value of the field at 1-based `position`; `tableName` is the table being generated.
// A drop-down whose linked column is missing is reported and stops the field loop.
using DisplayRule = Widget (*)(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                               std::string_view tableName, Messages& messages);

// The display page's value of each input type; widget_renderer.cpp chooses among them.
namespace display_widget {
Widget plain(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, std::string_view, Messages&);
Widget richText(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, std::string_view, Messages&);
Widget dropDown(const catalogue::Snapshot&, const catalogue::Field&, std::size_t, std::string_view, Messages&);
}  // namespace display_widget

}  // namespace tabulon::generator
