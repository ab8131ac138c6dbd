#pragma once
// The tables and columns of an open working copy, as Jet would describe them.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "preview/ado/ado.h"

struct sqlite3;

namespace tabulon::preview::ado {

struct ColumnSchema {
    std::string name;
    JetType type = JetType::Text;
    int size = 0;       // Text: characters
    int precision = 0;  // Numeric
    int scale = 0;      // Numeric
    bool required = false;
};

struct TableSchema {
    std::string name;                   // as Jet names it
    std::string sqliteName;             // the SQLite table holding its rows
    std::vector<ColumnSchema> columns;  // `id` first

    // Index of a column by name (case-insensitive like Jet), or -1.
    int columnIndex(std::string_view name) const;
};

// Jet folds names for lookup the same way for tables, columns and fields.
std::string foldName(std::string_view name);
bool sameName(std::string_view a, std::string_view b);

class Catalog {
public:
    // Reads the metadata tables; throws AdoError when they are missing or broken.
    static Catalog load(sqlite3* db, const std::string& path);

    const TableSchema* find(std::string_view name) const;

private:
    std::vector<TableSchema> tables_;
    std::map<std::string, std::size_t> byName_;
};

// FieldInfo's size for a column of this type, as ADO reports DefinedSize.
long definedSizeOf(const ColumnSchema& column);

}  // namespace tabulon::preview::ado
