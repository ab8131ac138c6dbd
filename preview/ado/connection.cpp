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

    long execute(std::string_view accessSql, const std::vector<Value>& parameters) override {
        checkOpen();
        sql::Translation translation = sql::translate(accessSql, *session_->catalog, &parameters);
        if (translation.isSelect) return -1;  // rows are read through open()
        return session_->run(translation);
    }

    std::unique_ptr<Recordset> open(std::string_view accessSql, int cursorType, int lockType,
                                    const std::vector<Value>& parameters, long maxRecords) override {
        checkOpen();
        return openRecordset(session_, accessSql, cursorType, lockType, parameters, maxRecords);
    }

    void close() override {
        if (session_) {
            // What the page did not commit is undone, as when Jet closes a connection.
            if (session_->transactionLevel > 0) {
                sqlite3_exec(session_->db, "ROLLBACK", nullptr, nullptr, nullptr);
                session_->transactionLevel = 0;
            }
            session_->open = false;
        }
        session_.reset();
    }

    long beginTrans() override {
        checkOpen();
        if (session_->transactionLevel >= kMostLevels) {
            throw errors::engine("Could not start transaction; too many transactions already nested.");
        }
        session_->exec("SAVEPOINT " + savepoint(session_->transactionLevel + 1));
        return ++session_->transactionLevel;
    }

    void commitTrans() override {
        checkOpen();
        if (session_->transactionLevel == 0) throw errors::noTransaction();
        session_->exec("RELEASE " + savepoint(session_->transactionLevel));
        --session_->transactionLevel;
    }

    void rollbackTrans() override {
        checkOpen();
        if (session_->transactionLevel == 0) throw errors::noTransaction();
        const std::string name = savepoint(session_->transactionLevel);
        session_->exec("ROLLBACK TO " + name + "; RELEASE " + name);
        --session_->transactionLevel;
        // Tables made or dropped inside the transaction are gone or back again.
        session_->catalog = std::make_shared<Catalog>(Catalog::load(session_->db, session_->path));
    }
    bool isOpen() const override { return session_ != nullptr; }

private:
    static constexpr long kMostLevels = 5;  // Jet's limit on nested transactions
    static std::string savepoint(long level) { return "\"tabulon.transaction." + std::to_string(level) + "\""; }

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
    session->path = sqlitePath;
    sqlite3_busy_timeout(db, 2000);
    // The working copy is the preview's own: a write-ahead log without a flush to disk at
    // every commit keeps it whole through a crash of the host and makes a page of writes fast.
    // Pages open and close a connection each, so the log is folded back into the file as it
    // grows rather than at every close.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sql::registerFunctions(db);
    session->catalog = std::make_shared<Catalog>(Catalog::load(db, sqlitePath));
    return std::make_unique<WorkingCopyConnection>(std::move(session));
}

}  // namespace tabulon::preview::ado
