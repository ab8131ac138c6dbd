#pragma once
// The server script of the list page that turns the posted search text into the listing
// query and opens the listing record set on the requested page.
#include <string>
#include <string_view>

namespace tabulon::generator {

// `fieldList` and `typeList` are the field names and their search type codes, each
// followed by a comma ("名称,金额," and "1,0,"). The script ends inside the record loop.
//
// A search text is conditions joined by "；", each a field name, an operator word (大于,
// 小于, 等于, 大于等于, 小于等于, 近似, 从…至…) and a value. Every value reaches the SQL
// as a quoted literal with its quotes doubled, a number that passed the numeric test, or
// a date that passed the date test; any other condition is dropped with a message.
std::string listSearchScript(std::string_view tableName, std::string_view fieldList, std::string_view typeList);

}  // namespace tabulon::generator
