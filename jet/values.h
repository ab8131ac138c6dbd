#pragma once
// Design-level values <-> the bytes a column stores (before row assembly).

#include <string>
#include <string_view>

#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::jet {

// The stored form of one non-null value for a column. Fixed columns get
// exactly their size; text and memo get their Jet text bytes (memo without
// the long-value header); Boolean gets "" for false and "\x01" for true.
// Throws Error with a message that names the rule (the caller adds the column).
std::string encodeValue(const ColumnLayout& column, const Value& value);

// Reverse of encodeValue for a stored value; Boolean takes "" or "\x01".
Value decodeValue(const ColumnLayout& column, std::string_view stored);

}  // namespace tabulon::jet
