#pragma once
// Carrying the rows of an old site database into a freshly designed one: tables
// and columns matched by name as Jet matches them (case-insensitive), values
// converted where the new column holds them exactly, ids kept.
#include <cstddef>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/table_data.h"

namespace tabulon::generator {

struct ColumnLoss {
    std::string column;
    std::size_t values = 0;  // non-null values not carried
    std::string example;     // the first of them: "id=3：reason"
};

struct TableCarry {
    std::string table;  // as the new design names it
    std::size_t rowsCarried = 0;
    std::vector<ColumnLoss> removedColumns;   // old columns the design no longer has
    std::vector<ColumnLoss> unfitValues;      // values the new column type cannot hold
    std::vector<std::string> newColumns;      // Null in every carried row
    std::vector<std::string> rowsNotCarried;  // "id=7：reason"
};

struct DroppedTable {
    std::string table;
    std::size_t rows = 0;
};

struct CarryReport {
    std::vector<TableCarry> tables;
    std::vector<DroppedTable> droppedTables;  // old tables the design no longer has
    std::vector<std::string> otherObjects;    // queries and links of the old file

    std::size_t rowsCarried() const;
    // Whether anything of the old file stays only in the kept copy.
    bool leftSomethingBehind() const;
    // One message per table, column and dropped object, in that order.
    std::vector<std::string> lines() const;
};

// Inserts the rows of `old` into the tables `fresh` already has.
CarryReport carryRows(const jet::FileData& old, jet::Database& fresh);
// The same from the rows left in the file, decoded one at a time; a row that cannot be
// decoded throws jet::Error (naming the table) before the next is carried.
CarryReport carryRows(const jet::FileRows& old, jet::Database& fresh);

}  // namespace tabulon::generator
