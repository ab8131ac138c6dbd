#pragma once
// The one CREATE TABLE form Tabulon writes and logs:
//   create Table 名称([id] Counter PRIMARY KEY,[字段]  VarChar(50),[数量]  integer)

#include <string>
#include <string_view>

#include "jet/types.h"

namespace tabulon::jet {

// Keywords and type words are case-insensitive, whitespace between tokens is
// free, the table name may be bracketed. Type words: VarChar(n), integer,
// short, double, real, byte, NUMERIC(p,s), datetime, memo, bit, Currency,
// LongBinary (or image). Throws Error
// saying where the statement stops making sense. Names are not checked here.
TableDefinition parseCreateTable(std::string_view statement);

// The statement for a design, in exactly the form parseCreateTable reads.
std::string createTableStatement(const TableDefinition& definition);

}  // namespace tabulon::jet
