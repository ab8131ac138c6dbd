#include "preview/ado/catalog.h"

#include <sqlite3.h>

#include "preview/ado/errors.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado {

std::string foldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

int TableSchema::columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (sameName(columns[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

namespace {

std::string textColumn(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        ok_ = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return ok_; }
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
    bool ok_ = false;
};

}  // namespace

Catalog Catalog::load(sqlite3* db, const std::string& path) {
    Catalog catalog;
    Statement format(db, "SELECT value FROM \"tabulon.info\" WHERE key = 'format'");
    if (!format.ok() || sqlite3_step(format.get()) != SQLITE_ROW || textColumn(format.get(), 0) != schema::kFormat) {
        throw errors::notWorkingCopy(path);
    }
    Statement tables(db, "SELECT position, name, sqlite_name FROM \"tabulon.tables\" ORDER BY position");
    Statement columns(db,
                      "SELECT name, jet_type, size, precision, scale, required FROM \"tabulon.columns\" "
                      "WHERE table_position = ?1 ORDER BY position");
    if (!tables.ok() || !columns.ok()) throw errors::notWorkingCopy(path);
    while (sqlite3_step(tables.get()) == SQLITE_ROW) {
        TableSchema table;
        table.name = textColumn(tables.get(), 1);
        table.sqliteName = textColumn(tables.get(), 2);
        sqlite3_reset(columns.get());
        sqlite3_bind_int64(columns.get(), 1, sqlite3_column_int64(tables.get(), 0));
        while (sqlite3_step(columns.get()) == SQLITE_ROW) {
            ColumnSchema column;
            column.name = textColumn(columns.get(), 0);
            auto type = schema::typeFromName(textColumn(columns.get(), 1));
            if (!type) throw errors::notWorkingCopy(path);
            column.type = *type;
            column.size = sqlite3_column_int(columns.get(), 2);
            column.precision = sqlite3_column_int(columns.get(), 3);
            column.scale = sqlite3_column_int(columns.get(), 4);
            column.required = sqlite3_column_int(columns.get(), 5) != 0;
            table.columns.push_back(std::move(column));
        }
        if (table.columnIndex("id") < 0) throw errors::notWorkingCopy(path);
        catalog.byName_[foldName(table.name)] = catalog.tables_.size();
        catalog.tables_.push_back(std::move(table));
    }
    return catalog;
}

const TableSchema* Catalog::find(std::string_view name) const {
    auto found = byName_.find(foldName(name));
    return found == byName_.end() ? nullptr : &tables_[found->second];
}

long definedSizeOf(const ColumnSchema& column) {
    switch (column.type) {
    case JetType::Text: return column.size;
    case JetType::Memo:
    case JetType::Binary: return 536870910;
    case JetType::Currency: return 8;
    case JetType::Counter:
    case JetType::Long:
    case JetType::Single: return 4;
    case JetType::Short:
    case JetType::Boolean: return 2;
    case JetType::Byte: return 1;
    case JetType::Double:
    case JetType::DateTime: return 8;
    case JetType::Numeric: return 19;
    }
    return 0;
}

}  // namespace tabulon::preview::ado
