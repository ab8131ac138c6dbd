#include "window/generation_panel.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include "catalogue/snapshot.h"
#include "designer/entries.h"
#include "generator/build/site_build.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"
#include "window/run_progress.h"
#include "window/existing_data_question.h"
#include "preview/workcopy/preview_data.h"

namespace tabulon::window {
namespace {

using generator::PageKindId;

}  // namespace

GenerationPanel::GenerationPanel(designer::EditorContext& context, const GenerationControls& controls,
                                 std::filesystem::path runDir, QWidget* window)
    : QObject(window), context_(context), controls_(controls), runDir_(std::move(runDir)), window_(window) {
    // Each of the two table choices clears the other, whatever its own new state.
    connect(controls_.allTables, &QCheckBox::clicked, this, [this] { controls_.chosenTable->setChecked(false); });
    connect(controls_.chosenTable, &QCheckBox::clicked, this, [this] { controls_.allTables->setChecked(false); });

    const auto route = [this](QPushButton* button, void (GenerationPanel::*step)(catalogue::Catalogue&)) {
        connect(button, &QPushButton::clicked, this,
                [this, step] { context_.handle([this, step](auto& db) { (this->*step)(db); }); });
    };
    route(controls_.releaseSkeleton, &GenerationPanel::releaseSkeleton);
    route(controls_.databaseFile, &GenerationPanel::generateDatabase);
    route(controls_.pages, &GenerationPanel::generatePages);
    route(controls_.login, &GenerationPanel::generateLogin);
}

generator::BuildResult GenerationPanel::build(catalogue::Catalogue& db, generator::BuildStep& step,
                                              const QString& label) {
    const auto model = catalogue::Snapshot::load(db);
    RunProgress progress(window_, label, context_.messages());
    const auto moved = progress.callback();
    generator::FileSink sink;
    generator::BuildStep* const steps[] = {&step};
    return generator::runBuild(model, runDir_, context_.selection().project(), steps, sink, progress.messages(),
                               [&](std::size_t, std::size_t, const generator::BuildStep&, std::size_t done,
                                   std::size_t total) { moved(done, total); });
}

QString GenerationPanel::progressLabel(const generator::BuildStep& step) {
    return QStringLiteral("正在%1……")
        .arg(QString::fromUtf8(step.title().data(), static_cast<qsizetype>(step.title().size())));
}

void GenerationPanel::releaseSkeleton(catalogue::Catalogue& db) {
    generator::SkeletonStep step;
    const auto result = build(db, step, progressLabel(step));
    if (!result.succeeded()) return;
    // The release itself says nothing on success; the status bar tells where it went.
    const auto project = db.project(context_.selection().project());
    emit reported(QStringLiteral("已释放 %1 个原始文件到 %2")
                      .arg(result.written().size())
                      .arg(QString::fromStdString((runDir_ / project->name).string())));
}

void GenerationPanel::generateDatabase(catalogue::Catalogue& db) {
    const auto model = catalogue::Snapshot::load(db);
    const auto* project = model.project(context_.selection().project());
    const bool previewNewer = project && preview::holdsNewerData(preview::workingCopyPath(runDir_, project->id));
    const auto options = chooseDatabaseOptions(window_, runDir_, project ? project->name : std::string(), previewNewer);
    if (!options) return;
    generator::DatabaseStep step(*options);
    const auto result = build(db, step, progressLabel(step));
    // The executed statements go to the clipboard, ready to be pasted elsewhere.
    if (!result.written().empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(step.statementLog()));
}

void GenerationPanel::generateLogin(catalogue::Catalogue& db) {
    generator::LoginStep step;
    build(db, step, progressLabel(step));
}

void GenerationPanel::generatePages(catalogue::Catalogue& db) {
    const auto& selection = context_.selection();
    generator::GenerationRequest request;
    request.projectId = selection.project();
    if (controls_.allTables->isChecked()) {
        request.tableIds = selection.listedTables();
    } else {
        request.tableIds = {selection.table()};
        request.singleTableMode = true;
    }
    const std::pair<QCheckBox*, PageKindId> kinds[] = {
        {controls_.addPage, PageKindId::Add},         {controls_.modifyPage, PageKindId::Modify},
        {controls_.deletePage, PageKindId::Delete},   {controls_.listPage, PageKindId::List},
        {controls_.displayPage, PageKindId::Display},
    };
    for (const auto& [box, kind] : kinds)
        if (box->isChecked()) request.kinds.push_back(kind);
    // Nothing to write: say so instead of a bare 生成完毕.
    if (request.kinds.empty()) {
        context_.messages().show("没有勾选要生成的页面（添加、修改、删除、列表、显示），未生成任何页面。");
        return;
    }
    if (!controls_.allTables->isChecked() && selection.table() < 0) {
        context_.messages().show("没有选定表：请在表列表中选择一个表，或勾选“所有表”。未生成任何页面。");
        return;
    }

    generator::PagesStep step(request);
    const auto result = build(db, step, QStringLiteral("正在生成页面……"));
    const auto wanted = request.tableIds.size() * request.kinds.size();
    emit reported(
        QStringLiteral("已生成 %1 个页面（共 %2 个），未生成的原因见提示").arg(result.written().size()).arg(wanted));
    if (result.written().size() == wanted)
        emit reported(QStringLiteral("已生成 %1 个页面").arg(result.written().size()));
}

}  // namespace tabulon::window
