#pragma once
// The designer window. It builds the controls, hands each panel the controls whose
// behaviour it owns, routes what one panel does to the others, runs the start-up and
// closes the catalogue when it goes.
#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QSettings>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/messages.h"
#include "catalogue/catalogue.h"
#include "catalogue/change_history.h"
#include "designer/editor_context.h"
#include "designer/field_editor.h"
#include "designer/join_strip.h"
#include "designer/project_editor.h"
#include "designer/table_editor.h"
#include "designer/template_editor.h"
#include "window/controls.h"
#include "window/generation_panel.h"
#include "window/preview_bar.h"
#include "window/preview_launcher.h"
#include "window/problems_panel.h"
#include "window/tutorial.h"
#include "window/undo_keys.h"

namespace tabulon::window {

class AccessImport;

// Asks a yes/no question; true means go ahead.
using Asker = std::function<bool(const std::string&)>;

struct WindowOptions {
    std::filesystem::path runDir;  // holds the catalogue's site folders
    // Opens the catalogue; throws tabulon::Error when it cannot.
    std::function<catalogue::Catalogue()> openCatalogue;
    UrlOpener openUrl = desktopBrowser();
    Asker ask;  // none: a question box over the window
    // Makes the preview's Wine environment in the background once the window is up.
    bool prepareWine = false;
    // Asks 保存 / 不保存 / 取消 before typed changes would be replaced; none: a box.
    std::function<designer::UnsavedAnswer(const std::string&)> askUnsaved;
    // Where the window keeps its size, splitters and port between runs; empty: the
    // user's own settings of the program.
    QString settingsFile;
    // The tabulon program ⑤ runs `serve` with; empty: this program.
    QString previewProgram;
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Messages& messages, WindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Which catalogue file is open, as the status bar shows it.
    QString catalogueStatus() const;

    // Take back the latest catalogue change made in the window, or make the latest undone
    // one again, and show the catalogue as it then is.
    void undo();
    void redo();
    // Lists in the 问题 panel everything of the chosen project that generation refuses or
    // changes.
    void checkDesign();

protected:
    // Typed work is saved, dropped or kept (the window stays) as the user answers.
    void closeEvent(QCloseEvent* event) override;

private:
    void route();
    void buildMenus();
    void startUp();
    void afterTablesChanged(catalogue::Id tableBefore);
    void showCatalogueAgain();
    void takeBack(bool redo);
    // Brings what an undo or redo changed into view: its project, table, field or
    // template row chosen.
    void showChanged(const catalogue::ChangedRow& row);
    void showTable(catalogue::Catalogue& db, catalogue::Id tableId);
    bool holdsUnsavedTyping() const;
    void showPlace(catalogue::Id projectId, catalogue::Id tableId, catalogue::Id fieldId);
    void restoreLayout();
    void saveLayout();
    // The project was renamed: its site folder may follow.
    void renameSiteFolder(const std::string& oldName, const std::string& newName);
    void updateHistoryActions();

    Messages& messages_;
    WindowOptions options_;
    std::optional<catalogue::Catalogue> catalogue_;
    std::unique_ptr<catalogue::ChangeHistory> history_;
    WindowControls controls_{};
    QLabel* status_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    UndoKeys* undoKeys_ = nullptr;
    ProblemsPanel* problems_ = nullptr;
    std::unique_ptr<QSettings> settings_;
    PreviewLauncher* preview_ = nullptr;
    PreviewBar* previewBar_ = nullptr;
    AccessImport* accessImport_ = nullptr;
    // Declared after the context they use, so they go first.
    std::unique_ptr<designer::EditorContext> context_;
    std::unique_ptr<designer::ProjectEditor> projects_;
    std::unique_ptr<designer::TableEditor> tables_;
    std::unique_ptr<designer::FieldEditor> fields_;
    std::unique_ptr<designer::JoinStrip> join_;
    std::unique_ptr<designer::TemplateEditor> templates_;
};

}  // namespace tabulon::window
