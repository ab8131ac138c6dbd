#include "window/main_window.h"

#include <algorithm>
#include <map>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "base/error.h"
#include "catalogue/snapshot.h"
#include "generator/database/database_generator.h"
#include "generator/naming/naming.h"
#include "designer/entries.h"
#include "generator/check/design_rules.h"
#include "window/access_import.h"
#include "window/app_icon.h"
#include "window/message_box.h"

namespace tabulon::window {

MainWindow::MainWindow(Messages& messages, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), messages_(messages), options_(std::move(options)) {
    setWindowTitle(QStringLiteral("Tabulon"));
    setWindowIcon(appIcon());
    move(50, 50);
    controls_ = buildControls(this);
    settings_ = options_.settingsFile.isEmpty()
                    ? std::make_unique<QSettings>()
                    : std::make_unique<QSettings>(options_.settingsFile, QSettings::IniFormat);
    status_ = new QLabel(this);
    statusBar()->addPermanentWidget(status_);

    context_ = std::make_unique<designer::EditorContext>(
        messages_, designer::Selection(controls_.project.projects, controls_.project.tables));
    if (!options_.ask)
        options_.ask = [this](const std::string& question) { return askYesNo(this, QString::fromStdString(question)); };
    context_->setAsker(options_.ask);
    if (!options_.askUnsaved)
        options_.askUnsaved = [this](const std::string& question) {
            return askSaveDiscardCancel(this, QString::fromStdString(question));
        };
    context_->setUnsavedAsker(options_.askUnsaved);
    context_->setAfterHandler([this] { updateHistoryActions(); });
    projects_ = std::make_unique<designer::ProjectEditor>(*context_, controls_.project);
    tables_ = std::make_unique<designer::TableEditor>(*context_, controls_.table);
    fields_ = std::make_unique<designer::FieldEditor>(*context_, controls_.field);
    join_ = std::make_unique<designer::JoinStrip>(*context_, controls_.join);
    templates_ = std::make_unique<designer::TemplateEditor>(*context_, controls_.templates);
    auto* generation = new GenerationPanel(*context_, controls_.generation, options_.runDir, this);
    connect(generation, &GenerationPanel::reported, this,
            [this](const QString& text) { statusBar()->showMessage(text, 15000); });
    new TutorialLink(controls_.tutorialLink, messages_, options_.openUrl);
    PreviewSettings previewSettings{options_.runDir, options_.previewProgram,
                                    [this] { return context_->selection().project(); }, options_.openUrl};
    previewSettings.projectName = [this](catalogue::Id id) {
        const auto project = catalogue_ ? catalogue_->project(id) : std::nullopt;
        return project ? project->name : std::string();
    };
    previewSettings.port = [this] { return previewBar_ ? previewBar_->port() : 0; };
    previewSettings.confirm = options_.ask;
    preview_ = new PreviewLauncher(controls_.previewSite, messages_, std::move(previewSettings));
    connect(preview_, &PreviewLauncher::reported, this,
            [this](const QString& text) { statusBar()->showMessage(text, 15000); });
    previewBar_ = new PreviewBar(*preview_, *settings_, this);
    addToolBar(Qt::BottomToolBarArea, previewBar_);
    if (options_.prepareWine) preview_->prepare();
    undoKeys_ = new UndoKeys(this);
    qApp->installEventFilter(undoKeys_);
    problems_ = new ProblemsPanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, problems_);
    problems_->hide();  // until the first check
    connect(problems_, &ProblemsPanel::placeChosen, this, &MainWindow::showPlace);
    buildMenus();
    route();
    restoreLayout();
    startUp();
}

void MainWindow::restoreLayout() {
    // A first start fills most of the screen; later ones come back as they were left.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    if (!restoreGeometry(settings_->value(QStringLiteral("window/geometry")).toByteArray())) {
        resize(defaultWindowSize(this));
        move(free.center() - rect().center());
        // A small screen is used whole: the template editor needs the room.
        if (free.width() < 1300 || free.height() < 760) setWindowState(Qt::WindowMaximized);
    }
    restoreState(settings_->value(QStringLiteral("window/state")).toByteArray());
    controls_.columns->restoreState(settings_->value(QStringLiteral("window/columns")).toByteArray());
    if (auto* panes = findChild<QSplitter*>(QStringLiteral("templatePanes")))
        panes->restoreState(settings_->value(QStringLiteral("window/templatePanes")).toByteArray());
}

void MainWindow::saveLayout() {
    settings_->setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings_->setValue(QStringLiteral("window/state"), saveState());
    settings_->setValue(QStringLiteral("window/columns"), controls_.columns->saveState());
    if (auto* panes = findChild<QSplitter*>(QStringLiteral("templatePanes")))
        settings_->setValue(QStringLiteral("window/templatePanes"), panes->saveState());
    settings_->sync();
}

void MainWindow::renameSiteFolder(const std::string& oldName, const std::string& newName) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path from, to;
    try {
        from = generator::siteFolder(options_.runDir, oldName);
        to = generator::siteFolder(options_.runDir, newName);
    } catch (const Error&) {
        return;  // a name that is no folder name has no folder to follow
    }
    if (!fs::is_directory(from, error) || fs::is_symlink(from, error)) return;
    if (fs::exists(fs::symlink_status(to, error))) {
        // Another project's site, or one left behind: neither is merged nor replaced.
        messages_.show("网站文件夹 " + to.string() + " 已存在，" + from.filename().string() +
                       " 未改名。\n下次生成会写到已有的文件夹 " + to.filename().string() + " 中。");
        return;
    }
    if (!options_.ask("项目的网站文件夹 " + from.string() + " 也改名为 " + to.filename().string() +
                      " 吗？\n不改名时，下次生成会写到新的文件夹 " + to.string() + "。"))
        return;
    // The preview serves the folder by its name: it stops before the name changes.
    if (preview_->runningProject() == context_->selection().project()) preview_->stop();
    fs::rename(from, to, error);
    if (error) {
        messages_.show("网站文件夹 " + from.string() + " 无法改名：" + error.message());
        return;
    }
    // ② keeps the statements it ran beside the site folder, under the site's name.
    const fs::path schema = generator::schemaLogPath(options_.runDir, oldName);
    const fs::path newSchema = generator::schemaLogPath(options_.runDir, newName);
    if (fs::is_regular_file(schema, error) && !fs::exists(fs::symlink_status(newSchema, error)))
        fs::rename(schema, newSchema, error);
    statusBar()->showMessage(QStringLiteral("网站文件夹已改名为 ") + QString::fromStdString(to.string()), 15000);
}

MainWindow::~MainWindow() {
    // The panels go before the catalogue; then the history and the catalogue connection.
    templates_.reset();
    join_.reset();
    fields_.reset();
    tables_.reset();
    projects_.reset();
    context_->attachHistory(nullptr);
    context_->attach(nullptr);
    history_.reset();
    catalogue_.reset();
}

void MainWindow::buildMenus() {
    auto* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("fileMenu"));
    auto* accessImport = accessImport_ = new AccessImport(*context_, options_.runDir, this);
    connect(accessImport, &AccessImport::imported, this, [this](qint64 projectId) {
        context_->handle([&](auto&) {
            projects_->fillProjects();
            projects_->reselect(projectId);
            projects_->choose();
        });
    });
    accessImport->setReportViewer([this](QWidget*, const std::vector<std::string>& lines) {
        const bool wasHidden = problems_->isHidden();
        problems_->showReport(lines, context_->selection().project());
        if (wasHidden) resizeDocks({problems_}, {std::clamp(height() / 5, 90, 180)}, Qt::Vertical);
        statusBar()->showMessage(QStringLiteral("导入完毕，报告见“问题”列表"), 15000);
    });
    file->addAction(QStringLiteral("导入 Access 数据库…"), accessImport, &AccessImport::run)
        ->setObjectName(QStringLiteral("importAccessAction"));
    file->addSeparator();
    auto* quit = file->addAction(QStringLiteral("退出"), QKeySequence::Quit, this, &QWidget::close);
    quit->setObjectName(QStringLiteral("quitAction"));

    auto* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->setObjectName(QStringLiteral("editMenu"));
    undoAction_ = edit->addAction(QStringLiteral("撤销"), this, &MainWindow::undo);
    undoAction_->setObjectName(QStringLiteral("undoAction"));
    undoAction_->setShortcut(QKeySequence::Undo);
    redoAction_ = edit->addAction(QStringLiteral("重做"), this, &MainWindow::redo);
    redoAction_->setObjectName(QStringLiteral("redoAction"));
    // Ctrl+Y first, then the platform's own redo keys; a key listed twice would make
    // the shortcut ambiguous and do nothing.
    QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo))
        if (!redoKeys.contains(key)) redoKeys << key;
    redoAction_->setShortcuts(redoKeys);

    auto* build = menuBar()->addMenu(QStringLiteral("生成(&G)"));
    build->setObjectName(QStringLiteral("buildMenu"));
    const std::pair<QPushButton*, Qt::Key> steps[] = {
        {controls_.generation.releaseSkeleton, Qt::Key_1},
        {controls_.generation.databaseFile, Qt::Key_2},
        {controls_.generation.pages, Qt::Key_3},
        {controls_.generation.login, Qt::Key_4},
    };
    for (const auto& [button, key] : steps) {
        auto* action = build->addAction(button->text(), button, &QPushButton::click);
        action->setShortcut(QKeySequence(Qt::CTRL | key));
    }

    build->addSeparator();
    auto* check = build->addAction(QStringLiteral("检查设计"), this, &MainWindow::checkDesign);
    check->setObjectName(QStringLiteral("checkDesignAction"));
    build->addAction(controls_.previewSite->text(), controls_.previewSite, &QPushButton::click);
    build->addAction(QStringLiteral("重新载入数据库"), preview_, &PreviewLauncher::reloadDatabase)
        ->setObjectName(QStringLiteral("previewReloadAction"));
    build->addAction(QStringLiteral("预览数据写回 data.mdb"), preview_, &PreviewLauncher::writeBack)
        ->setObjectName(QStringLiteral("previewWriteBackAction"));

    auto* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    auto* tutorial = help->addAction(QStringLiteral("软件教程"), this, [this] {
        if (auto* link = findChild<TutorialLink*>()) link->open();
    });
    tutorial->setShortcut(QKeySequence::HelpContents);
    help->addAction(QStringLiteral("关于 Tabulon"), this, [this] {
        messages_.show("Tabulon " TABULON_VERSION "\n管理网站的设计与生成工具。\n" + catalogueStatus().toStdString());
    });
    // A menu closed with Esc gives the focus back to the box the user typed in.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, undoKeys_, &UndoKeys::restoreFocus); });
    updateHistoryActions();
}

void MainWindow::checkDesign() {
    const auto projectId = context_->selection().project();
    if (!catalogue_ || projectId < 0) {
        messages_.show("请先选择一个项目。");
        return;
    }
    const auto model = catalogue::Snapshot::load(*catalogue_);
    const auto* project = model.project(projectId);
    if (!project) return;
    const auto problems = generator::checkProject(model, projectId);
    // One list for all, beside the editors: the user fixes them in one pass. It opens low,
    // leaving the editors their room.
    const bool wasHidden = problems_->isHidden();
    problems_->show(project->name, problems);
    if (wasHidden) resizeDocks({problems_}, {std::clamp(height() / 5, 90, 180)}, Qt::Vertical);
    statusBar()->showMessage(
        problems.empty()
            ? QStringLiteral("设计检查通过")
            : QStringLiteral("设计检查发现 %1 处问题，见“问题”列表").arg(static_cast<qsizetype>(problems.size())),
        15000);
}

void MainWindow::showPlace(catalogue::Id projectId, catalogue::Id tableId, catalogue::Id fieldId) {
    if (holdsUnsavedTyping()) {
        statusBar()->showMessage(QStringLiteral("有未保存的输入：先保存或放弃它，再转到问题所在处。"), 15000);
        return;
    }
    context_->handle([&](auto& db) {
        if (tableId < 0) {
            if (context_->selection().project() != projectId) {
                projects_->reselect(projectId);
                projects_->choose();
            }
            return;
        }
        showTable(db, tableId);
        if (fieldId >= 0) fields_->showField(db, fieldId);
    });
}

void MainWindow::route() {
    connect(projects_.get(), &designer::ProjectEditor::projectChosen, this, [this] {
        controls_.tabs->setCurrentIndex(kProjectPage);
        join_->fillTables();
        // No table is chosen in the project now shown: nothing of the last one stays.
        fields_->closeTable();
        tables_->clearForm();
    });
    connect(projects_.get(), &designer::ProjectEditor::projectRenamed, this, &MainWindow::renameSiteFolder);
    connect(tables_.get(), &designer::TableEditor::tablesChanged, this,
            [this] { afterTablesChanged(context_->selection().table()); });
    // A new table is chosen at once, so its fields can be typed next.
    connect(tables_.get(), &designer::TableEditor::tableAdded, this, [this](catalogue::Id tableId) {
        projects_->refresh();
        if (tables_->restore(tableId)) fields_->openTable(tableId, tables_->title());
        join_->fillTables();
    });
    connect(tables_.get(), &designer::TableEditor::tableChosen, this,
            [this](catalogue::Id tableId, const QString& title) { fields_->openTable(tableId, title); });
}

void MainWindow::afterTablesChanged(catalogue::Id tableBefore) {
    projects_->refresh();
    if (tables_->restore(tableBefore)) {
        fields_->showTable(tableBefore, tables_->title());
    } else {
        fields_->closeTable();
        if (tableBefore >= 0) tables_->clearForm();  // it showed a table that is gone
    }
    join_->fillTables();
}

void MainWindow::startUp() {
    try {
        catalogue_.emplace(options_.openCatalogue());
    } catch (const std::exception& e) {
        messages_.show(std::string(e.what()) + "\nTabulon 将在没有目录数据库的情况下打开，不能编辑或生成。");
    }
    context_->attach(catalogue_ ? &*catalogue_ : nullptr);
    if (catalogue_) {
        history_ = std::make_unique<catalogue::ChangeHistory>(*catalogue_);
        context_->attachHistory(history_.get());
    }
    status_->setText(catalogueStatus());
    controls_.field.links.linkGroup->hide();
    if (!catalogue_) return;
    context_->handle([this](auto& db) {
        projects_->fillProjects();
        join_->fillTables();
        projects_->choose();
        templates_->fillShownKind(db);
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool settled = true;
    if (catalogue_ && !context_->busy() && holdsUnsavedTyping())
        context_->handle([&](auto& db) { settled = templates_->settle(db) && fields_->settle(db); });
    if (settled) {
        saveLayout();
        preview_->stop();  // the site it serves is the window's work
        event->accept();
    } else {
        event->ignore();
    }
}

bool MainWindow::holdsUnsavedTyping() const { return templates_->hasUnsavedText() || fields_->hasUnsavedEdits(); }

void MainWindow::undo() { takeBack(false); }
void MainWindow::redo() { takeBack(true); }

void MainWindow::takeBack(bool redo) {
    // The box the user types in keeps its own undo, also through a menu.
    if (undoKeys_->undoTyping(redo)) return;
    if (!history_ || context_->busy() || !(redo ? history_->canRedo() : history_->canUndo())) return;
    // A catalogue step taken back under typed work would change what the form edits.
    if (holdsUnsavedTyping()) {
        statusBar()->showMessage(QStringLiteral("有未保存的输入：先保存或放弃它，再撤销或重做目录的改动。"), 15000);
        return;
    }
    const std::string name = redo ? history_->redoName() : history_->undoName();
    // Files an import wrote are not part of the catalogue's history: the undo says what stays.
    std::map<std::string, qint64> projectsBefore;
    std::string stays;
    try {
        for (const auto& project : catalogue_->projects()) projectsBefore[project.name] = project.id;
        redo ? history_->redo() : history_->undo();
        if (!redo && accessImport_) stays = accessImport_->whatStays(projectsBefore, *catalogue_);
    } catch (const std::exception& e) {
        messages_.show(e.what());
        showCatalogueAgain();
        return;
    }
    showCatalogueAgain();
    showChanged(history_->lastApplied());
    statusBar()->showMessage(QString::fromUtf8(redo ? "已重做：" : "已撤销：") + QString::fromStdString(name) +
                                 (stays.empty() ? QString() : QStringLiteral("。") + QString::fromStdString(stays)),
                             stays.empty() ? 15000 : 60000);
}

void MainWindow::showChanged(const catalogue::ChangedRow& row) {
    using Kind = catalogue::ChangedRow::Kind;
    context_->handle([&](auto& db) {
        switch (row.kind) {
        case Kind::Project:
            if (db.project(row.id) && context_->selection().project() != row.id) {
                projects_->reselect(row.id);
                projects_->choose();
            }
            break;
        case Kind::Table: showTable(db, db.table(row.id) ? row.id : -1); break;
        case Kind::Field: {
            const auto field = db.field(row.id);
            showTable(db, field ? field->tableId : row.parent);
            if (field) fields_->showField(db, field->id);
            break;
        }
        case Kind::Template:
            templates_->showRow(db, row.id, QString::fromStdString(row.templateKind));
            controls_.templates.rows->setFocus();
            break;
        case Kind::None: break;
        }
    });
}

void MainWindow::showTable(catalogue::Catalogue& db, catalogue::Id tableId) {
    const auto table = db.table(tableId);
    if (!table) return;
    if (context_->selection().project() != table->projectId) {
        projects_->reselect(table->projectId);
        if (context_->selection().project() != table->projectId) return;  // its project is gone
        projects_->choose();
    }
    const bool same = context_->selection().table() == tableId;
    if (!tables_->restore(tableId)) return;
    if (same)
        fields_->showTable(tableId, tables_->title());
    else
        fields_->openTable(tableId, tables_->title());
}

// After undo or redo every list shows the catalogue as it now is; the project and table
// that were chosen stay chosen while they exist.
void MainWindow::showCatalogueAgain() {
    const catalogue::Id project = context_->selection().project();
    const catalogue::Id table = context_->selection().table();
    context_->handle([&](auto& db) {
        projects_->fillProjects();
        projects_->reselect(project);
        if (context_->selection().project() != project) {
            projects_->choose();
        } else {
            afterTablesChanged(table);
        }
        templates_->reload(db);
    });
}

void MainWindow::updateHistoryActions() {
    if (!undoAction_) return;
    const bool canUndo = history_ && history_->canUndo();
    const bool canRedo = history_ && history_->canRedo();
    undoAction_->setEnabled(canUndo);
    redoAction_->setEnabled(canRedo);
    undoAction_->setText(canUndo ? QStringLiteral("撤销 ") + QString::fromStdString(history_->undoName())
                                 : QStringLiteral("撤销"));
    redoAction_->setText(canRedo ? QStringLiteral("重做 ") + QString::fromStdString(history_->redoName())
                                 : QStringLiteral("重做"));
}

QString MainWindow::catalogueStatus() const {
    if (!catalogue_) return QStringLiteral("目录数据库未打开");
    return QStringLiteral("目录数据库：") + QString::fromStdString(catalogue_->path().string());
}

}  // namespace tabulon::window
