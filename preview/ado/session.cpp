#include "preview/ado/session.h"

#include <sqlite3.h>

#include <cstring>

#include "preview/ado/errors.h"
#include "preview/ado/sql_functions.h"
#include "preview/ado/sql_translate.h"

namespace tabulon::preview::ado {

Session::~Session() { sqlite3_close_v2(db); }

sqlite3_stmt* Session::prepare(const std::string& sql) const {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        throw errors::engine("The preview could not run the query (" + message + ").");
    }
    return statement;
}

AdoError Session::failure(int code) const {
    const char* message = sqlite3_errmsg(db);
    if (auto stored = sql::jetErrorFrom(message)) return *stored;
    const char* notNull = "NOT NULL constraint failed: ";
    if ((code & 0xFF) == SQLITE_CONSTRAINT && std::strncmp(message, notNull, std::strlen(notNull)) == 0) {
        const char* column = std::strrchr(message, '.');
        return errors::nullInRequired(column ? column + 1 : message + std::strlen(notNull));
    }
    switch (code & 0xFF) {
    case SQLITE_CONSTRAINT:
        return errors::engine(
            "The changes you requested to the table were not successful because they would create "
            "duplicate values in the index, primary key, or relationship.  Change the data in the "
            "field or fields that contain duplicate data, remove the index, or redefine the index "
            "to permit duplicate entries and try again.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return errors::engine("Could not update; currently locked.");
    case SQLITE_READONLY: return errors::engine("Operation must use an updateable query.");
    default: return errors::engine(std::string("Unexpected error from the working copy: ") + message);
    }
}

void Session::exec(const std::string& sql) const {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "";
        sqlite3_free(message);
        throw errors::engine("The preview could not run the query (" + text + ").");
    }
}

long Session::run(const sql::Translation& translation) {
    if (translation.designSql.empty()) {
        StatementHandle statement(prepare(translation.writeSql));
        const int code = sqlite3_step(statement.get());
        if (code != SQLITE_DONE) throw failure(code);
        return sqlite3_changes(db);
    }
    // A change of design happens whole or not at all, inside any transaction the page holds.
    exec("SAVEPOINT \"tabulon.design\"");
    long changed = 0;
    try {
        for (const std::string& sql : translation.designSql) {
            StatementHandle statement(prepare(sql));
            const int code = sqlite3_step(statement.get());
            if (code != SQLITE_DONE) throw failure(code);
            changed = translation.designCountsRows ? sqlite3_changes(db) : 0;
        }
        auto reloaded = std::make_shared<Catalog>(Catalog::load(db, path));
        exec("RELEASE \"tabulon.design\"");
        catalog = std::move(reloaded);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO \"tabulon.design\"; RELEASE \"tabulon.design\"", nullptr, nullptr, nullptr);
        throw;
    }
    return changed;
}

StatementHandle::~StatementHandle() { sqlite3_finalize(statement_); }

StatementHandle& StatementHandle::operator=(StatementHandle&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = other.statement_;
        other.statement_ = nullptr;
    }
    return *this;
}

}  // namespace tabulon::preview::ado
