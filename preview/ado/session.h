#pragma once
// The open working copy shared by a connection and the recordsets opened on it.
#include <memory>
#include <string>
#include <string_view>

#include "preview/ado/catalog.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tabulon::preview::ado {

struct Session {
    sqlite3* db = nullptr;
    Catalog catalog;
    bool open = true;

    ~Session();
    // Compiles SQL the translator wrote; failures are ours, reported as engine errors.
    sqlite3_stmt* prepare(const std::string& sql) const;
    // The Jet error for a failed step of a statement.
    AdoError failure(int code) const;
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
                                         int lockType);
std::unique_ptr<Recordset> closedRecordset();

}  // namespace tabulon::preview::ado
