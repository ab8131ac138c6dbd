#include "window/main_window.h"

#include <QStatusBar>

#include "designer/entries.h"

namespace tabulon::window {

MainWindow::MainWindow(Messages& messages, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), messages_(messages), options_(std::move(options)) {
    setWindowTitle(QStringLiteral("Tabulon"));
    move(50, 50);
    resize(1220, 560);  // wide enough to show the template editor beside the field form
    controls_ = buildControls(this);
    status_ = new QLabel(this);
    statusBar()->addPermanentWidget(status_);

    context_ = std::make_unique<designer::EditorContext>(
        messages_, designer::Selection(controls_.project.projects, controls_.project.tables));
    projects_ = std::make_unique<designer::ProjectEditor>(*context_, controls_.project);
    tables_ = std::make_unique<designer::TableEditor>(*context_, controls_.table);
    fields_ = std::make_unique<designer::FieldEditor>(*context_, controls_.field);
    join_ = std::make_unique<designer::JoinStrip>(*context_, controls_.join);
    templates_ = std::make_unique<designer::TemplateEditor>(*context_, controls_.templates);
    auto* generation = new GenerationPanel(*context_, controls_.generation, options_.runDir, this);
    connect(generation, &GenerationPanel::reported, this,
            [this](const QString& text) { statusBar()->showMessage(text, 15000); });
    new TutorialLink(controls_.tutorialLink, messages_, options_.openUrl);
    auto* preview = new PreviewLauncher(
        controls_.previewSite, messages_,
        {options_.runDir, {}, [this] { return context_->selection().project(); }, options_.openUrl});
    connect(preview, &PreviewLauncher::reported, this, [this](const QString& text) { statusBar()->showMessage(text); });
    route();
    startUp();
}

MainWindow::~MainWindow() {
    // The panels go before the catalogue; then the catalogue connection is closed.
    templates_.reset();
    join_.reset();
    fields_.reset();
    tables_.reset();
    projects_.reset();
    context_->attach(nullptr);
    catalogue_.reset();
}

void MainWindow::route() {
    connect(projects_.get(), &designer::ProjectEditor::projectChosen, this, [this] {
        controls_.tabs->setCurrentIndex(kProjectPage);
        join_->fillTables();
    });
    connect(tables_.get(), &designer::TableEditor::tablesChanged, this, [this] { projects_->refresh(); });
    connect(tables_.get(), &designer::TableEditor::tableChosen, this,
            [this](catalogue::Id tableId, const QString& title) {
                controls_.tabs->setCurrentIndex(kGenerationPage);
                fields_->openTable(tableId, title);
            });
}

void MainWindow::startUp() {
    try {
        catalogue_.emplace(options_.openCatalogue());
    } catch (const std::exception& e) {
        messages_.show(std::string(e.what()) + "\nTabulon 将在没有目录数据库的情况下打开，不能编辑或生成。");
    }
    context_->attach(catalogue_ ? &*catalogue_ : nullptr);
    status_->setText(catalogueStatus());
    controls_.field.links.linkGroup->hide();
    if (!catalogue_) return;
    context_->handle([this](auto&) {
        projects_->fillProjects();
        join_->fillTables();
        projects_->choose();
    });
}

QString MainWindow::catalogueStatus() const {
    if (!catalogue_) return QStringLiteral("目录数据库未打开");
    return QStringLiteral("目录数据库：") + QString::fromStdString(catalogue_->path().string());
}

}  // namespace tabulon::window
