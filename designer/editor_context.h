#pragma once
// What the editor panels share: the catalogue, the message sink, the current project and
// table as the window shows them, and the guard that runs one user handler at a time.
#include <QComboBox>
#include <QListWidget>
#include <SQLiteCpp/Exception.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "catalogue/catalogue.h"
#include "catalogue/change_history.h"

namespace tabulon::designer {

// The current project is the selected entry of the project box, the current table the
// selected entry of the table list; -1 stands for "none".
class Selection {
public:
    Selection(QComboBox* projects, QListWidget* tables) : projects_(projects), tables_(tables) {}
    catalogue::Id project() const;
    catalogue::Id table() const;
    QString projectName() const;
    QString tableName() const;
    // Every table of the list, in list order.
    std::vector<catalogue::Id> listedTables() const;

private:
    QComboBox* projects_;
    QListWidget* tables_;
};

// The user's answer to "save the typed changes?" before they would be replaced.
enum class UnsavedAnswer { Save, Discard, Cancel };

inline constexpr std::string_view kNoCatalogue = "目录数据库未打开，无法进行此操作。";

class EditorContext {
public:
    EditorContext(Messages& messages, Selection selection) : messages_(messages), selection_(selection) {}

    // Absent when the catalogue could not be opened: the window then runs without projects.
    void attach(catalogue::Catalogue* catalogue) { catalogue_ = catalogue; }
    // Every handler's changes become one undo step of `history` (none: nothing recorded).
    void attachHistory(catalogue::ChangeHistory* history) { history_ = history; }
    // Asks a yes/no question before a destructive step; without an asker the answer is yes.
    void setAsker(std::function<bool(const std::string&)> ask) { ask_ = std::move(ask); }
    bool confirm(const std::string& question) const { return !ask_ || ask_(question); }
    // Asks 保存 / 不保存 / 取消 before typed changes would be replaced; without an asker
    // the changes are saved.
    void setUnsavedAsker(std::function<UnsavedAnswer(const std::string&)> ask) { askUnsaved_ = std::move(ask); }
    UnsavedAnswer askUnsaved(const std::string& question) const {
        return askUnsaved_ ? askUnsaved_(question) : UnsavedAnswer::Save;
    }
    // Runs after every handler, e.g. to name the undo step in the menu.
    void setAfterHandler(std::function<void()> after) { after_ = std::move(after); }
    bool hasCatalogue() const { return catalogue_ != nullptr; }
    // The open catalogue; throws tabulon::Error when there is none.
    catalogue::Catalogue& db() const;

    Messages& messages() const { return messages_; }
    const Selection& selection() const { return selection_; }
    bool busy() const { return busy_; }

    // Runs one handler started by the user. A handler that starts while another is still
    // running (a click during a long run) is dropped; without a catalogue the user is told
    // so; an error is shown as a message and ends the handler, so nothing half-done
    // follows it (typed text stays in its box).
    template <typename Handler>
    void handle(Handler&& handler) {
        if (busy_) return;
        if (!catalogue_) {
            messages_.show(kNoCatalogue);
            return;
        }
        busy_ = true;
        struct Release {
            bool& flag;
            ~Release() { flag = false; }
        } release{busy_};
        try {
            if (history_)
                history_->record([&] { std::forward<Handler>(handler)(*catalogue_); });
            else
                std::forward<Handler>(handler)(*catalogue_);
        } catch (const Error& e) {
            messages_.show(e.what());
        } catch (const SQLite::Exception& e) {
            // The catalogue file itself failed (disk full, locked, damaged).
            messages_.show(std::string("目录数据库操作失败：") + e.what());
        } catch (const std::exception& e) {
            messages_.show(defectText(e.what()));
        }
        if (after_) after_();
    }

private:
    Messages& messages_;
    Selection selection_;
    catalogue::Catalogue* catalogue_ = nullptr;
    catalogue::ChangeHistory* history_ = nullptr;
    std::function<bool(const std::string&)> ask_;
    std::function<UnsavedAnswer(const std::string&)> askUnsaved_;
    std::function<void()> after_;
    bool busy_ = false;
};

}  // namespace tabulon::designer
