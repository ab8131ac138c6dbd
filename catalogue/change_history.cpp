// The session extension is part of Debian's libsqlite3; its declarations are only visible
// with these two switches.
#define SQLITE_ENABLE_SESSION 1
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "catalogue/change_history.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <array>
#include <string_view>

#include "base/error.h"

namespace tabulon::catalogue {
namespace {

// Memory SQLite hands over (changesets, their inverses): freed whatever way the caller ends.
struct SqliteFree {
    void operator()(void* data) const { sqlite3_free(data); }
};
using SqliteBuffer = std::unique_ptr<void, SqliteFree>;

struct IteratorFinalize {
    void operator()(sqlite3_changeset_iter* iterator) const { sqlite3changeset_finalize(iterator); }
};

// The bytes of a buffer SQLite made, copied into a vector.
std::vector<unsigned char> bytesOf(const SqliteBuffer& data, int size) {
    const auto* first = static_cast<const unsigned char*>(data.get());
    return std::vector<unsigned char>(first, first + size);
}

struct RowKind {
    std::string_view table;
    std::string_view noun;
    int nameColumn;  // column that names the row, in the table's column order
};

// From the most general row kind to the least: a project's delete also removes fields,
// and is named after the project.
constexpr std::array<RowKind, 4> kRowKinds = {{
    {"项目", "项目", 1},
    {"表", "表", 2},
    {"字段", "字段", 2},
    {"模板定义", "模板", -1},
}};

std::string_view verbOf(int operation) {
    switch (operation) {
    case SQLITE_INSERT: return "添加";
    case SQLITE_DELETE: return "删除";
    default: return "修改";
    }
}

std::string textOf(sqlite3_value* value) {
    if (!value || sqlite3_value_type(value) == SQLITE_NULL) return {};
    const auto* text = sqlite3_value_text(value);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

struct Change {
    std::size_t kind = kRowKinds.size();
    int operation = 0;
    std::string name;
    ChangedRow row;
};

// A value of the row as it was (delete, and the key of an update) or as it is now.
sqlite3_value* valueOf(sqlite3_changeset_iter* iterator, int operation, int column) {
    sqlite3_value* value = nullptr;
    if (operation == SQLITE_INSERT)
        sqlite3changeset_new(iterator, column, &value);
    else
        sqlite3changeset_old(iterator, column, &value);
    if (!value && operation == SQLITE_UPDATE) sqlite3changeset_new(iterator, column, &value);
    return value;
}

ChangedRow rowOf(sqlite3_changeset_iter* iterator, std::size_t kind, int operation, int columns) {
    ChangedRow row;
    row.kind = static_cast<ChangedRow::Kind>(kind + 1);
    if (sqlite3_value* key = valueOf(iterator, operation, 0)) row.id = sqlite3_value_int64(key);
    if (columns < 2) return row;
    sqlite3_value* second = valueOf(iterator, operation, 1);
    if (!second || sqlite3_value_type(second) == SQLITE_NULL) return row;
    if (row.kind == ChangedRow::Kind::Template)
        row.templateKind = textOf(second);
    else if (row.kind != ChangedRow::Kind::Project)
        row.parent = sqlite3_value_int64(second);
    return row;
}

// The first change of the most general row kind in the changeset.
Change leadingChange(const std::vector<unsigned char>& changes) {
    Change best;
    sqlite3_changeset_iter* started = nullptr;
    const int result =
        sqlite3changeset_start(&started, static_cast<int>(changes.size()), const_cast<unsigned char*>(changes.data()));
    const std::unique_ptr<sqlite3_changeset_iter, IteratorFinalize> owned(started);
    if (result != SQLITE_OK) return best;
    sqlite3_changeset_iter* iterator = owned.get();
    while (sqlite3changeset_next(iterator) == SQLITE_ROW) {
        const char* table = nullptr;
        int columns = 0, operation = 0, indirect = 0;
        if (sqlite3changeset_op(iterator, &table, &columns, &operation, &indirect) != SQLITE_OK) continue;
        for (std::size_t kind = 0; kind < best.kind; ++kind) {
            if (kRowKinds[kind].table != table) continue;
            best = {kind, operation, {}, rowOf(iterator, kind, operation, columns)};
            const int column = kRowKinds[kind].nameColumn;
            if (column >= 0 && column < columns) {
                sqlite3_value* value = nullptr;
                if (operation == SQLITE_DELETE)
                    sqlite3changeset_old(iterator, column, &value);
                else
                    sqlite3changeset_new(iterator, column, &value);
                best.name = textOf(value);
            }
            break;
        }
    }
    return best;
}

// Any conflict means the rows are not what the step left behind: give up the whole apply.
int refuseConflicts(void*, int, sqlite3_changeset_iter*) { return SQLITE_CHANGESET_ABORT; }

void apply(sqlite3* db, std::vector<unsigned char>& changes, const char* what) {
    const int result =
        sqlite3changeset_apply(db, static_cast<int>(changes.size()), changes.data(), nullptr, refuseConflicts, nullptr);
    if (result != SQLITE_OK)
        throw Error(std::string("无法") + what + "：目录数据库中的这些行已被别处改动，目录保持原样。");
}

}  // namespace

std::string describeChanges(const std::vector<unsigned char>& changes) {
    const Change change = leadingChange(changes);
    if (change.kind >= kRowKinds.size()) return "修改";
    std::string name = std::string(verbOf(change.operation)) + std::string(kRowKinds[change.kind].noun);
    if (!change.name.empty()) name += "“" + change.name + "”";
    return name;
}

ChangedRow changedRow(const std::vector<unsigned char>& changes) { return leadingChange(changes).row; }

ChangeHistory::ChangeHistory(Catalogue& catalogue) : catalogue_(catalogue) {}

ChangeHistory::~ChangeHistory() = default;

void ChangeHistory::SessionDelete::operator()(sqlite3_session* session) const { sqlite3session_delete(session); }

void ChangeHistory::begin() {
    if (session_) return;  // a recording inside a recording belongs to the outer step
    sqlite3_session* session = nullptr;
    if (sqlite3session_create(catalogue_.db_->getHandle(), "main", &session) != SQLITE_OK)
        throw Error("目录数据库无法记录改动，撤销不可用。");
    session_.reset(session);
    sqlite3session_attach(session, nullptr);  // every table with a key
}

void ChangeHistory::end() {
    if (!session_) return;
    int size = 0;
    void* data = nullptr;
    const int result = sqlite3session_changeset(session_.get(), &size, &data);
    const SqliteBuffer changes(data);
    session_.reset();
    if (result != SQLITE_OK || size == 0) return;
    Step step;
    step.changes = bytesOf(changes, size);
    step.name = describeChanges(step.changes);
    done_.push_back(std::move(step));
    undone_.clear();
}

std::string ChangeHistory::undoName() const { return done_.empty() ? std::string() : done_.back().name; }
std::string ChangeHistory::redoName() const { return undone_.empty() ? std::string() : undone_.back().name; }

void ChangeHistory::undo() {
    if (done_.empty()) return;
    Step& step = done_.back();
    int size = 0;
    void* inverted = nullptr;
    const int result =
        sqlite3changeset_invert(static_cast<int>(step.changes.size()), step.changes.data(), &size, &inverted);
    const SqliteBuffer owned(inverted);
    if (result != SQLITE_OK) throw Error("无法撤销：改动记录已损坏。");
    std::vector<unsigned char> inverse = bytesOf(owned, size);
    apply(catalogue_.db_->getHandle(), inverse, "撤销");
    lastApplied_ = changedRow(step.changes);
    undone_.push_back(std::move(step));
    done_.pop_back();
}

void ChangeHistory::redo() {
    if (undone_.empty()) return;
    Step& step = undone_.back();
    apply(catalogue_.db_->getHandle(), step.changes, "重做");
    lastApplied_ = changedRow(step.changes);
    done_.push_back(std::move(step));
    undone_.pop_back();
}

}  // namespace tabulon::catalogue
