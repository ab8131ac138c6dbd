#pragma once
// Undo and redo of catalogue changes. Each step is the changeset SQLite's session
// extension recorded while one user action ran; undo applies its inverse, redo applies it
// again. Nothing but the changesets is kept, so a step costs what it changed.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

struct sqlite3_session;

namespace tabulon::catalogue {

// The row of a step that names it: a project, table, field or template row, with the
// row that holds it (表.项目编号, 字段.表编号) or, for a template row, its kind.
struct ChangedRow {
    enum class Kind { None, Project, Table, Field, Template };
    Kind kind = Kind::None;
    Id id = 0;
    Id parent = -1;            // -1 when the changeset does not carry it
    std::string templateKind;  // 模板定义.类型 when the changeset carries it
};

// The changed row of a changeset, as describeChanges names it.
ChangedRow changedRow(const std::vector<unsigned char>& changes);

class ChangeHistory {
public:
    explicit ChangeHistory(Catalogue& catalogue);
    ~ChangeHistory();
    ChangeHistory(const ChangeHistory&) = delete;
    ChangeHistory& operator=(const ChangeHistory&) = delete;

    // Records every change `action` makes as one step, also when it ends with an
    // exception (what it changed before that is in the catalogue and can be undone). A
    // step that changes nothing is not kept; one that does drops whatever was undone.
    template <typename Action>
    void record(Action&& action) {
        begin();
        try {
            action();
        } catch (...) {
            end();
            throw;
        }
        end();
    }

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    // What the next undo or redo would take back or do again, e.g. "删除表“用户”".
    std::string undoName() const;
    std::string redoName() const;
    std::size_t undoCount() const { return done_.size(); }

    // The row the latest undo or redo changed most generally (see ChangedRow), so that the
    // window can show it; kind None before any.
    const ChangedRow& lastApplied() const { return lastApplied_; }

    // Put the catalogue back to before the latest step, or redo the latest undone step.
    // When the rows have changed behind the history's back the catalogue is left as it was,
    // the step stays where it was and tabulon::Error says so.
    void undo();
    void redo();

private:
    struct Step {
        std::string name;
        std::vector<unsigned char> changes;
    };

    // Frees the recording session whatever way it ends.
    struct SessionDelete {
        void operator()(sqlite3_session* session) const;
    };

    void begin();
    void end();

    Catalogue& catalogue_;
    std::unique_ptr<sqlite3_session, SessionDelete> session_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
    ChangedRow lastApplied_;
};

// A short name for a changeset: the verb and row kind of its most general change, with
// the row's name where the changeset holds it ("添加字段“金额”", "删除项目“记账”").
std::string describeChanges(const std::vector<unsigned char>& changes);

}  // namespace tabulon::catalogue
