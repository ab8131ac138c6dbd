#pragma once
// A Jet 4 (Access 2000) database built in memory and written as a whole.
//
//   auto db = tabulon::jet::Database::createEmpty();
//   db.execute("create Table 用户([id] Counter PRIMARY KEY,[用户名]  VarChar(50))");
//   db.insert("用户", {{"用户名", std::string("admin")}});
//   db.save("site.mdb");

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/error.h"
#include "jet/names.h"
#include "jet/parser.h"
#include "jet/types.h"

namespace tabulon::jet {

class Database {
public:
    // A database with only Jet's system catalogue.
    static Database createEmpty();
    // A database file this writer produced earlier (throws Error otherwise).
    static Database fromBytes(std::string bytes);
    static Database open(const std::filesystem::path& path);

    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    // Adds a table with the implied `id` Counter primary key. Throws Error for
    // a bad design or an existing table; the database is then unchanged.
    void createTable(const TableDefinition& definition);
    // Parses the CREATE statement (see parser.h) and creates the table.
    void execute(std::string_view createStatement);

    // Adds a row (columns by name, case-insensitive; missing ones are null)
    // and returns its new id. Throws Error for an unknown table or column or
    // a value the column cannot hold; the database is then unchanged.
    std::int32_t insert(std::string_view table, const std::vector<std::pair<std::string, Value>>& row);

    // Adds a row whose values follow the table's design columns (null for
    // missing ones), keeping `id` (which the caller keeps unique) or numbering
    // it after the last id. Same errors as insert; the database is then unchanged.
    void insertWithId(std::string_view table, std::int32_t id, const std::vector<Value>& values);
    std::int32_t insertValues(std::string_view table, const std::vector<Value>& values);
    // The next numbered row gets an id after `id` at least.
    void raiseLastId(std::string_view table, std::int32_t id);

    std::vector<std::string> tableNames() const;  // in creation order
    bool hasTable(std::string_view name) const;
    const TableDefinition& table(std::string_view name) const;
    std::size_t rowCount(std::string_view table) const;
    std::vector<Row> rows(std::string_view table) const;

    // Rows beyond a few megabytes per table wait for the file in unnamed temporary files in
    // `folder` (an existing one) rather than in memory; the file written is the same.
    void spillRowsTo(const std::filesystem::path& folder);

    // Stamp tables created from now on with `when` instead of the current time,
    // so that the same steps give the same file.
    void setCreationTime(const DateTime& when);

    // The whole file. Built on first use after a change.
    const std::string& bytes() const;
    // Writes the file atomically: a temporary file next to `path`, then rename.
    void save(const std::filesystem::path& path) const;

private:
    struct State;
    explicit Database(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace tabulon::jet
