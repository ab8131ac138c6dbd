#include "window/generation_panel.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include "catalogue/snapshot.h"
#include "designer/entries.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"
#include "window/run_progress.h"
#include "window/existing_data_question.h"

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

void GenerationPanel::releaseSkeleton(catalogue::Catalogue& db) {
    const auto project = db.project(context_.selection().project());
    if (!project) {
        context_.messages().show("请选择一个项目");
        return;
    }
    const auto written = generator::releaseSkeletonForProject(runDir_, project->name);
    // The release itself says nothing on success; the status bar tells where it went.
    emit reported(QStringLiteral("已释放 %1 个原始文件到 %2")
                      .arg(written.size())
                      .arg(QString::fromStdString((runDir_ / project->name).string())));
}

void GenerationPanel::generateDatabase(catalogue::Catalogue& db) {
    const auto model = catalogue::Snapshot::load(db);
    const auto* project = model.project(context_.selection().project());
    const auto options = chooseDatabaseOptions(window_, runDir_, project ? project->name : std::string());
    if (!options) return;
    const auto result =
        generator::generateDatabase(model, runDir_, context_.selection().project(), context_.messages(), *options);
    // The executed statements go to the clipboard, ready to be pasted elsewhere.
    if (!result.file.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(result.statementLog));
}

void GenerationPanel::generateLogin(catalogue::Catalogue& db) {
    const auto model = catalogue::Snapshot::load(db);
    generator::FileSink sink;
    generator::generateLogin(model, runDir_, context_.selection().project(), sink, context_.messages());
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
        {controls_.addPage, PageKindId::Add},       {controls_.modifyPage, PageKindId::Modify},
        {controls_.deletePage, PageKindId::Delete}, {controls_.listPage, PageKindId::List},
        {controls_.displayPage, PageKindId::Display},
    };
    for (const auto& [box, kind] : kinds)
        if (box->isChecked()) request.kinds.push_back(kind);

    const auto model = catalogue::Snapshot::load(db);
    RunProgress progress(window_, QStringLiteral("正在生成页面……"), context_.messages());
    generator::FileSink sink;
    generator::generatePages(model, runDir_, request, sink, progress.messages(), progress.callback());
}

}  // namespace tabulon::window
