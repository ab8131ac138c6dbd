#pragma once
// Reads the tables and rows of any Jet 4 file, also one the Jet engine has
// worked on (deleted and moved rows, long values over several pages, many
// data pages, both kinds of usage map), to carry its data into a new file.
//
//   const jet::FileData old = jet::readFileData(bytes);
//   for (const auto& table : old.tables) … table.rows[i][column number] …

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::jet {

struct DataTable {
    std::string name;
    std::vector<ColumnLayout> columns;     // ascending column numbers (gaps where columns were deleted)
    std::vector<std::vector<Value>> rows;  // values by column number; page order
    std::uint32_t lastAutoNumber = 0;      // the last counter value Jet handed out

    // The number of the table's counter column, or -1.
    int counterColumn() const;
};

struct FileData {
    std::vector<DataTable> tables;  // user tables, in catalogue order
    // Queries and linked tables: not read, by name.
    std::vector<std::string> otherObjects;

    std::size_t rowCount() const;
};

// The same tables with their rows left in the file and decoded one at a time: memory
// for where each row sits, not for its values. `file` must outlive it.
struct FileRows {
    explicit FileRows(std::string_view bytes) : file(bytes), longValueBudget_(bytes.size()) {}

    std::string_view file;
    std::vector<DataTable> tables;                      // their `rows` stay empty
    std::vector<TableLayout> layouts;                   // by table
    std::vector<std::uint32_t> tdefPages;               // by table
    std::vector<std::vector<std::string_view>> images;  // by table: the live rows, page order
    std::vector<std::string> otherObjects;

    std::size_t rowCount(std::size_t table) const { return images[table].size(); }
    // Row `row` of table `table`: values by column number. Throws Error naming the table.
    std::vector<Value> row(std::size_t table, std::size_t row) const;
    // One value of it, by column number.
    Value value(std::size_t table, std::size_t row, int column) const;

private:
    void spend(std::size_t bytes) const;
    mutable std::size_t longValueBudget_;
};

// Throws Error with a message naming the table and page for a file that is
// damaged or has a structure this reader does not know; the values of a row
// only when it is decoded.
FileRows readFileRows(std::string_view file);

// Every row decoded; throws as readFileRows and row().
FileData readFileData(std::string_view file);

// The number of rows in every user table, or an Error as readFileData.
std::size_t countRows(std::string_view file);

}  // namespace tabulon::jet
