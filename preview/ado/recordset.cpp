// Recordsets over the working copy. A keyed recordset (one row per table row) holds only
// the ids of its rows, in order, and reads a row's values when the page asks for them, so
// paging a large table never loads its rows. Other queries (totals, DISTINCT) are small
// and kept whole.
#include <sqlite3.h>

#include <optional>

#include "preview/ado/errors.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/session.h"
#include "preview/ado/sql_translate.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado {
namespace {

constexpr long kPositionBof = -2;
constexpr long kPositionEof = -3;
constexpr long kPositionUnknown = -1;

Value readColumn(const sql::OutputColumn& column, sqlite3_stmt* statement, int index) {
    switch (column.kind) {
    case sql::ResultKind::Column: return fromStored(column.info.type, column.scale, statement, index);
    case sql::ResultKind::Date: return fromStored(JetType::DateTime, 0, statement, index);
    case sql::ResultKind::Boolean: return fromStored(JetType::Boolean, 0, statement, index);
    case sql::ResultKind::Storage: return fromStorage(statement, index);
    }
    return Value::null();
}

// The value a page reads back after writing `stored` into a column.
Value valueOfStored(const ColumnSchema& column, const StoredValue& stored) {
    Value value;
    switch (stored.kind) {
    case StoredValue::Kind::Null: return Value::null();
    case StoredValue::Kind::Text:
        value.kind = Value::Kind::Text;
        value.text = stored.text;
        return value;
    default: break;
    }
    switch (column.type) {
    case JetType::Counter:
    case JetType::Long: value.kind = Value::Kind::Long; break;
    case JetType::Short: value.kind = Value::Kind::Integer; break;
    case JetType::Byte: value.kind = Value::Kind::Byte; break;
    case JetType::Boolean:
        value.kind = Value::Kind::Boolean;
        value.boolean = stored.integer != 0;
        return value;
    case JetType::Single: value.kind = Value::Kind::Single; break;
    case JetType::DateTime: value.kind = Value::Kind::Date; break;
    case JetType::Numeric:
    case JetType::Currency:
        value.kind = Value::Kind::Decimal;
        value.text = formatDecimal(stored.real, column.type == JetType::Currency ? 4 : column.scale);
        return value;
    default: value.kind = Value::Kind::Double; break;
    }
    value.integer = stored.integer;
    value.number = stored.kind == StoredValue::Kind::Real ? stored.real : static_cast<double>(stored.integer);
    return value;
}

void bindStored(sqlite3_stmt* statement, int index, const StoredValue& stored) {
    switch (stored.kind) {
    case StoredValue::Kind::Null: sqlite3_bind_null(statement, index); break;
    case StoredValue::Kind::Integer: sqlite3_bind_int64(statement, index, stored.integer); break;
    case StoredValue::Kind::Real: sqlite3_bind_double(statement, index, stored.real); break;
    case StoredValue::Kind::Text:
        sqlite3_bind_text(statement, index, stored.text.c_str(), static_cast<int>(stored.text.size()),
                          SQLITE_TRANSIENT);
        break;
    }
}

class CursorRecordset : public Recordset {
public:
    CursorRecordset(std::shared_ptr<Session> session, sql::SelectPlan plan, int cursorType, int lockType)
        : session_(std::move(session)), plan_(std::move(plan)), cursorType_(cursorType), lockType_(lockType) {
        for (const auto& column : plan_.columns) fields_.push_back(column.info);
        if (plan_.keyed) fetch_ = StatementHandle(session_->prepare(plan_.fetchSql));
        readRows();
    }

    const std::vector<FieldInfo>& fields() const override { return fields_; }

    int fieldIndex(std::string_view name) const override {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (sameName(fields_[i].name, name)) return static_cast<int>(i);
        }
        return -1;
    }

    bool eof() const override {
        checkOpen();
        if (edit_ == Edit::Adding) return false;
        return count() == 0 || (position_ >= count() && !currentDeleted_);
    }
    bool bof() const override {
        checkOpen();
        if (edit_ == Edit::Adding) return false;
        return count() == 0 || position_ < 0;
    }

    void moveNext() override {
        leaveRow();
        if (currentDeleted_) {
            currentDeleted_ = false;
            return;
        }
        if (eof()) throw errors::noCurrentRecord();
        ++position_;
    }
    void movePrevious() override {
        leaveRow();
        if (forwardOnly()) throw errors::fetchBackward();
        currentDeleted_ = false;
        if (bof()) throw errors::noCurrentRecord();
        --position_;
    }
    void moveFirst() override {
        leaveRow();
        currentDeleted_ = false;
        if (forwardOnly()) readRows();  // a forward-only cursor runs its query again
        position_ = 0;
    }
    void moveLast() override {
        leaveRow();
        if (forwardOnly()) throw errors::fetchBackward();
        currentDeleted_ = false;
        position_ = count() - 1;
        if (count() == 0) position_ = 0;
    }

    long recordCount() const override {
        checkOpen();
        return forwardOnly() ? -1 : count();
    }
    long pageSize() const override { return pageSize_; }
    void setPageSize(long rows) override {
        if (rows < 1) throw errors::argumentOutOfRange();
        pageSize_ = rows;
    }
    long pageCount() const override {
        checkOpen();
        if (forwardOnly()) return -1;
        return (count() + pageSize_ - 1) / pageSize_;
    }
    long absolutePage() const override {
        checkOpen();
        if (forwardOnly()) return kPositionUnknown;
        if (bof()) return kPositionBof;
        if (eof()) return kPositionEof;
        return position_ / pageSize_ + 1;
    }
    void setAbsolutePage(long page) override {
        checkOpen();
        if (forwardOnly()) throw errors::noBookmarks();
        if (page < 1) throw errors::argumentOutOfRange();
        leaveRow();
        currentDeleted_ = false;
        position_ = page > pageCount() ? count() : (page - 1) * pageSize_;
    }
    long absolutePosition() const override {
        checkOpen();
        if (forwardOnly()) return kPositionUnknown;
        if (bof()) return kPositionBof;
        if (eof()) return kPositionEof;
        return position_ + 1;
    }
    void setAbsolutePosition(long position) override {
        checkOpen();
        if (forwardOnly()) throw errors::noBookmarks();
        if (position < 1) throw errors::argumentOutOfRange();
        leaveRow();
        currentDeleted_ = false;
        position_ = position > count() ? count() : position - 1;
    }

    Value value(int field) const override {
        checkOpen();
        checkField(field);
        const std::size_t index = static_cast<std::size_t>(field);
        if (edit_ != Edit::None && pending_[index]) return pending_[index]->second;
        if (edit_ == Edit::Adding) return Value::null();
        return currentRow()[index];
    }

    void setValue(int field, const Value& value) override {
        checkOpen();
        checkUpdatable();
        checkField(field);
        const sql::OutputColumn& output = plan_.columns[static_cast<std::size_t>(field)];
        if (output.tableColumn < 0) throw errors::multipleStep();
        const ColumnSchema& column = plan_.table->columns[static_cast<std::size_t>(output.tableColumn)];
        if (column.type == JetType::Counter) throw errors::multipleStep();  // Jet numbers it
        StoredValue stored;
        if (toStored(column, value, stored) != StoreFailure::None) throw errors::multipleStep();
        if (edit_ == Edit::None) {
            currentRow();  // editing needs a current row
            edit_ = Edit::Editing;
            pending_.assign(fields_.size(), std::nullopt);
        }
        pending_[static_cast<std::size_t>(field)] = std::make_pair(stored, valueOfStored(column, stored));
    }

    void addNew() override {
        checkOpen();
        checkUpdatable();
        if (edit_ != Edit::None) update();
        edit_ = Edit::Adding;
        pending_.assign(fields_.size(), std::nullopt);
    }

    void update() override {
        checkOpen();
        if (edit_ == Edit::None) return;
        checkUpdatable();
        std::string columns, values;
        std::vector<const StoredValue*> bound;
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            if (!pending_[i]) continue;
            const ColumnSchema& column = plan_.table->columns[static_cast<std::size_t>(plan_.columns[i].tableColumn)];
            if (edit_ == Edit::Adding) {
                columns += (columns.empty() ? "" : ", ") + schema::quotedName(column.name);
                values += (values.empty() ? "?" : ", ?");
            } else {
                columns += (columns.empty() ? "" : ", ") + schema::quotedName(column.name) + " = ?";
            }
            bound.push_back(&pending_[i]->first);
        }
        const std::string table = schema::quotedName(plan_.table->sqliteName);
        std::string sql;
        if (edit_ == Edit::Adding) {
            sql = columns.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                  : "INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")";
        } else {
            if (bound.empty()) {
                edit_ = Edit::None;
                return;
            }
            sql = "UPDATE " + table + " SET " + columns + " WHERE \"id\" = ?";
        }
        StatementHandle statement(session_->prepare(sql));
        int index = 1;
        for (const StoredValue* stored : bound) bindStored(statement.get(), index++, *stored);
        if (edit_ == Edit::Editing)
            sqlite3_bind_int64(statement.get(), index, keys_[static_cast<std::size_t>(position_)]);
        const int code = sqlite3_step(statement.get());
        if (code != SQLITE_DONE) throw session_->failure(code);
        if (edit_ == Edit::Adding) {
            keys_.push_back(sqlite3_last_insert_rowid(session_->db));
            position_ = count() - 1;
            currentDeleted_ = false;
        } else if (sqlite3_changes(session_->db) == 0) {
            edit_ = Edit::None;
            throw errors::rowNotFoundForUpdate();
        }
        edit_ = Edit::None;
        pending_.clear();
        cachedKey_.reset();
    }

    void cancelUpdate() override {
        checkOpen();
        edit_ = Edit::None;
        pending_.clear();
    }

    void deleteCurrent() override {
        checkOpen();
        checkUpdatable();
        if (edit_ == Edit::Adding) {  // deleting a row being added only drops it
            cancelUpdate();
            return;
        }
        if (edit_ != Edit::None) cancelUpdate();
        currentRow();  // needs a current row
        StatementHandle statement(
            session_->prepare("DELETE FROM " + schema::quotedName(plan_.table->sqliteName) + " WHERE \"id\" = ?1"));
        sqlite3_bind_int64(statement.get(), 1, keys_[static_cast<std::size_t>(position_)]);
        const int code = sqlite3_step(statement.get());
        if (code != SQLITE_DONE) throw session_->failure(code);
        keys_.erase(keys_.begin() + position_);
        currentDeleted_ = true;
        cachedKey_.reset();
    }

    void close() override {
        if (!open_) throw errors::objectClosed(errors::kRecordset);
        open_ = false;
        fetch_ = StatementHandle();
        keys_.clear();
        rows_.clear();
        cached_.clear();
        cachedKey_.reset();
        edit_ = Edit::None;
    }
    bool isOpen() const override { return open_; }

private:
    enum class Edit { None, Editing, Adding };

    bool forwardOnly() const { return cursorType_ == adOpenForwardOnly; }
    long count() const { return static_cast<long>(plan_.keyed ? keys_.size() : rows_.size()); }

    void checkOpen() const {
        if (!open_ || !session_->open) throw errors::objectClosed(errors::kRecordset);
    }
    void checkField(int field) const {
        if (field < 0 || field >= static_cast<int>(fields_.size())) throw errors::itemNotFound();
    }
    void checkUpdatable() const {
        if (lockType_ == adLockReadOnly || !plan_.keyed) throw errors::notUpdatable();
    }
    // Moving off a row saves its edits, as ADO does.
    void leaveRow() {
        checkOpen();
        if (edit_ != Edit::None) update();
    }

    void readRows() {
        keys_.clear();
        rows_.clear();
        cachedKey_.reset();
        position_ = 0;
        if (plan_.keyed) {
            StatementHandle statement(session_->prepare(plan_.keySql));
            int code;
            while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
                keys_.push_back(sqlite3_column_int64(statement.get(), 0));
            }
            if (code != SQLITE_DONE) throw session_->failure(code);
            return;
        }
        StatementHandle statement(session_->prepare(plan_.rowsSql));
        int code;
        while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
            std::vector<Value> row;
            for (std::size_t i = 0; i < plan_.columns.size(); ++i) {
                row.push_back(readColumn(plan_.columns[i], statement.get(), static_cast<int>(i)));
            }
            rows_.push_back(std::move(row));
        }
        if (code != SQLITE_DONE) throw session_->failure(code);
    }

    // The values of the current row; throws when there is none.
    const std::vector<Value>& currentRow() const {
        if (currentDeleted_ || count() == 0 || position_ < 0 || position_ >= count()) {
            throw errors::noCurrentRecord();
        }
        if (!plan_.keyed) return rows_[static_cast<std::size_t>(position_)];
        const std::int64_t key = keys_[static_cast<std::size_t>(position_)];
        if (cachedKey_ == key) return cached_;
        sqlite3_stmt* fetch = fetch_.get();
        sqlite3_reset(fetch);
        sqlite3_bind_int64(fetch, 1, key);
        const int code = sqlite3_step(fetch);
        if (code != SQLITE_ROW) {
            sqlite3_reset(fetch);
            if (code == SQLITE_DONE) throw errors::noCurrentRecord();  // removed by another statement
            throw session_->failure(code);
        }
        cached_.clear();
        for (std::size_t i = 0; i < plan_.columns.size(); ++i) {
            cached_.push_back(readColumn(plan_.columns[i], fetch, static_cast<int>(i)));
        }
        sqlite3_reset(fetch);
        cachedKey_ = key;
        return cached_;
    }

    std::shared_ptr<Session> session_;
    sql::SelectPlan plan_;
    int cursorType_;
    int lockType_;
    std::vector<FieldInfo> fields_;
    StatementHandle fetch_;
    std::vector<std::int64_t> keys_;
    std::vector<std::vector<Value>> rows_;
    long position_ = 0;
    bool currentDeleted_ = false;
    long pageSize_ = 10;
    bool open_ = true;
    Edit edit_ = Edit::None;
    std::vector<std::optional<std::pair<StoredValue, Value>>> pending_;
    mutable std::vector<Value> cached_;
    mutable std::optional<std::int64_t> cachedKey_;
};

// What Recordset.Open leaves after running a statement that returns no rows.
class ClosedRecordset : public Recordset {
public:
    const std::vector<FieldInfo>& fields() const override { return fields_; }
    int fieldIndex(std::string_view) const override { return -1; }
    bool eof() const override { throw closed(); }
    bool bof() const override { throw closed(); }
    void moveNext() override { throw closed(); }
    void movePrevious() override { throw closed(); }
    void moveFirst() override { throw closed(); }
    void moveLast() override { throw closed(); }
    long recordCount() const override { throw closed(); }
    long pageSize() const override { return 10; }
    void setPageSize(long) override {}
    long pageCount() const override { throw closed(); }
    long absolutePage() const override { throw closed(); }
    void setAbsolutePage(long) override { throw closed(); }
    long absolutePosition() const override { throw closed(); }
    void setAbsolutePosition(long) override { throw closed(); }
    Value value(int) const override { throw closed(); }
    void setValue(int, const Value&) override { throw closed(); }
    void addNew() override { throw closed(); }
    void update() override { throw closed(); }
    void cancelUpdate() override { throw closed(); }
    void deleteCurrent() override { throw closed(); }
    void close() override { throw closed(); }
    bool isOpen() const override { return false; }

private:
    static AdoError closed() { return errors::objectClosed(errors::kRecordset); }
    std::vector<FieldInfo> fields_;
};

}  // namespace

std::unique_ptr<Recordset> openRecordset(std::shared_ptr<Session> session, std::string_view accessSql, int cursorType,
                                         int lockType) {
    sql::Translation translation = sql::translate(accessSql, session->catalog);
    if (!translation.isSelect) {
        StatementHandle statement(session->prepare(translation.writeSql));
        const int code = sqlite3_step(statement.get());
        if (code != SQLITE_DONE) throw session->failure(code);
        return closedRecordset();
    }
    return std::make_unique<CursorRecordset>(std::move(session), std::move(translation.select), cursorType, lockType);
}

std::unique_ptr<Recordset> closedRecordset() { return std::make_unique<ClosedRecordset>(); }

int requireField(const Recordset& recordset, std::string_view name) {
    const int index = recordset.fieldIndex(name);
    if (index < 0) throw errors::itemNotFound();
    return index;
}

}  // namespace tabulon::preview::ado
