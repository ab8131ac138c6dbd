#pragma once
// The open working copy shared by a connection and the recordsets opened on it.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "preview/ado/catalog.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tabulon::preview::ado {

namespace sql {
struct Translation;
}

struct Session {
    sqlite3* db = nullptr;
    std::string path;
    // Replaced, never changed, when a statement changes the tables: recordsets keep the one
    // their query was planned on.
    std::shared_ptr<const Catalog> catalog;
    bool open = true;
    long transactionLevel = 0;

    ~Session();
    // Compiles SQL the translator wrote; failures are ours, reported as engine errors.
    sqlite3_stmt* prepare(const std::string& sql) const;
    // The Jet error for a failed step of a statement.
    AdoError failure(int code) const;
    // Runs a translated statement that returns no rows; the number of rows it changed.
    long run(const sql::Translation& translation);
    // Runs SQL the host itself needs (savepoints); failures become engine errors.
    void exec(const std::string& sql) const;
};

// A prepared statement finalized when it goes out of scope.
class StatementHandle {
public:
    StatementHandle() = default;
    explicit StatementHandle(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementHandle();
    StatementHandle(StatementHandle&& other) noexcept : statement_(other.statement_) { other.statement_ = nullptr; }
    StatementHandle& operator=(StatementHandle&& other) noexcept;
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

std::unique_ptr<Recordset> openRecordset(std::shared_ptr<Session> session, std::string_view accessSql, int cursorType,
                                         int lockType, const std::vector<Value>& parameters, long maxRecords);
std::unique_ptr<Recordset> closedRecordset();

}  // namespace tabulon::preview::ado
