#include <sqlite3.h>

#include <fstream>

#include "preview/ado/ado.h"
#include "preview/ado/errors.h"
#include "preview/ado/session.h"
#include "preview/ado/sql_functions.h"
#include "preview/ado/sql_translate.h"

namespace tabulon::preview::ado {
namespace {

class WorkingCopyConnection : public Connection {
public:
    explicit WorkingCopyConnection(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    ~WorkingCopyConnection() override { close(); }

    long execute(std::string_view accessSql) override {
        checkOpen();
        sql::Translation translation = sql::translate(accessSql, session_->catalog);
        if (translation.isSelect) return -1;  // rows are read through open()
        StatementHandle statement(session_->prepare(translation.writeSql));
        const int code = sqlite3_step(statement.get());
        if (code != SQLITE_DONE) throw session_->failure(code);
        return sqlite3_changes(session_->db);
    }

    std::unique_ptr<Recordset> open(std::string_view accessSql, int cursorType, int lockType) override {
        checkOpen();
        return openRecordset(session_, accessSql, cursorType, lockType);
    }

    void close() override {
        if (session_) session_->open = false;
        session_.reset();
    }
    bool isOpen() const override { return session_ != nullptr; }

private:
    void checkOpen() const {
        if (!session_) throw errors::objectClosed(errors::kConnection);
    }
    std::shared_ptr<Session> session_;
};

}  // namespace

std::unique_ptr<Connection> openWorkingCopy(const std::string& sqlitePath) {
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(sqlitePath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw errors::fileNotFound(sqlitePath);
    }
    auto session = std::make_shared<Session>();
    session->db = db;
    sqlite3_busy_timeout(db, 2000);
    sql::registerFunctions(db);
    session->catalog = Catalog::load(db, sqlitePath);
    return std::make_unique<WorkingCopyConnection>(std::move(session));
}

}  // namespace tabulon::preview::ado
