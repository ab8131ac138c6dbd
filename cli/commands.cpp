#include "cli/commands.h"

#include <iostream>
#include <memory>
#include <sstream>

#include "base/error.h"
#include "base/file_output.h"
#include "catalogue/catalogue.h"
#include "catalogue/ids.h"
#include "catalogue/snapshot.h"
#include "generator/build/site_build.h"
#include "generator/build/site_steps.h"
#include "generator/check/design_rules.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"
#include "importer/import_run.h"

namespace tabulon::cli {
namespace {

namespace fs = std::filesystem;
using catalogue::Catalogue;
using catalogue::Snapshot;

// A usage mistake: reported like any message, exit code 2.
struct UsageError : Error {
    using Error::Error;
};

const catalogue::Project& findProject(const Snapshot& model, const std::string& nameOrId) {
    if (const auto* byName = model.projectByName(nameOrId)) return *byName;
    if (const auto id = catalogue::parseId(nameOrId))
        if (const auto* byId = model.project(*id)) return *byId;
    throw Error("没有名为或编号为“" + nameOrId + "”的项目。");
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        if (!item.empty()) items.push_back(item);
    return items;
}

std::vector<generator::PageKindId> parseKinds(const std::string& text) {
    std::vector<generator::PageKindId> kinds;
    for (const auto& name : splitList(text)) {
        const auto* kind = generator::pageKindByName(name);
        if (!kind) throw UsageError("未知的页面类型“" + name + "”：可用 add, modify, delete, list, display。");
        kinds.push_back(kind->id);
    }
    return kinds;
}

// Only user-facing failures become messages; anything else is a defect for main().
template <typename Command>
int guarded(Messages& messages, Command command) {
    try {
        return command();
    } catch (const UsageError& e) {
        messages.show(e.what());
        return kUsageError;
    } catch (const Error& e) {
        messages.show(e.what());
        return kFailure;
    }
}

// A dry run must not create the catalogue either: without one it reads the default content.
Catalogue openCatalogue(const fs::path& runDir, const WriteOptions& write) {
    std::error_code error;
    if (write.dryRun && !fs::exists(runDir / catalogue::kFileName, error)) return Catalogue::inMemory();
    return Catalogue::openInRunFolder(runDir);
}

// Runs `steps` on the project through the real or the dry-run sink.
int buildSteps(const fs::path& runDir, const Snapshot& model, const catalogue::Project& project,
               std::vector<std::unique_ptr<generator::BuildStep>> steps, Messages& messages,
               const WriteOptions& write) {
    std::vector<generator::BuildStep*> order;
    for (const auto& step : steps) order.push_back(step.get());
    generator::FileSink files;
    generator::DryRunSink dryRun;
    // The real run makes a missing run folder before it starts (main.cpp); the dry run
    // only counts it as made.
    if (write.dryRun) dryRun.makeFolders(fs::absolute(runDir).lexically_normal());
    generator::SiteSink& sink = write.dryRun ? static_cast<generator::SiteSink&>(dryRun) : files;
    const auto result = generator::runBuild(model, runDir, project.id, order, sink, messages, {}, write.threads);
    if (write.dryRun)
        for (const auto& path : dryRun.paths()) std::cout << displayPath(path) << '\n';
    return result.succeeded() ? kSuccess : kFailure;
}

template <typename... Steps>
std::vector<std::unique_ptr<generator::BuildStep>> stepList(Steps... steps) {
    std::vector<std::unique_ptr<generator::BuildStep>> list;
    (list.push_back(std::make_unique<Steps>(std::move(steps))), ...);
    return list;
}

// Opens the catalogue, finds the project and builds the steps `makeSteps` chooses.
template <typename MakeSteps>
int onProject(const fs::path& runDir, const std::string& project, Messages& messages, const WriteOptions& write,
              MakeSteps makeSteps) {
    return guarded(messages, [&] {
        const auto catalogue = openCatalogue(runDir, write);
        const auto model = Snapshot::load(catalogue, write.threads == 0 ? 2 : write.threads);
        const auto& chosen = findProject(model, project);
        return buildSteps(runDir, model, chosen, makeSteps(model, chosen), messages, write);
    });
}

}  // namespace

std::string defectLine(const char* what) { return defectText(what); }

int listProjects(const fs::path& runDir, Messages& messages) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        for (const auto& project : catalogue.projects()) std::cout << project.id << '\t' << project.name << '\n';
        return kSuccess;
    });
}

int listTables(const fs::path& runDir, const std::string& project, Messages& messages) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        const auto model = Snapshot::load(catalogue);
        for (const auto* table : model.tablesOf(findProject(model, project).id))
            std::cout << table->id << '\t' << table->name << '\n';
        return kSuccess;
    });
}

int generate(const fs::path& runDir, const GenerateOptions& options, Messages& messages, const WriteOptions& write) {
    return guarded(messages, [&] {
        const auto kinds = parseKinds(options.kinds);
        std::vector<catalogue::Id> tableIds;
        if (options.tables != "all") {
            for (const auto& item : splitList(options.tables)) {
                const auto id = catalogue::parseId(item);
                if (!id) throw UsageError("表编号“" + item + "”不是数字。");
                tableIds.push_back(*id);
            }
        }
        return onProject(runDir, options.project, messages, write, [&](const Snapshot& model, const auto& project) {
            generator::GenerationRequest request{project.id, tableIds, kinds, true};
            if (options.tables == "all") {
                request = generator::PagesStep::everyPage(model, project.id);
                request.kinds = kinds;
            }
            return stepList(generator::PagesStep(request));
        });
    });
}

int database(const fs::path& runDir, const std::string& project, Messages& messages, bool empty,
             const WriteOptions& write) {
    generator::DatabaseOptions options;
    if (empty) options.existingRows = generator::ExistingRows::Discard;
    return onProject(runDir, project, messages, write,
                     [&](const Snapshot&, const auto&) { return stepList(generator::DatabaseStep(options)); });
}

int skeleton(const fs::path& runDir, const std::string& project, Messages& messages, const WriteOptions& write) {
    return onProject(runDir, project, messages, write,
                     [](const Snapshot&, const auto&) { return stepList(generator::SkeletonStep()); });
}

int login(const fs::path& runDir, const std::string& project, Messages& messages, const WriteOptions& write) {
    return onProject(runDir, project, messages, write,
                     [](const Snapshot&, const auto&) { return stepList(generator::LoginStep()); });
}

int build(const fs::path& runDir, const std::string& project, Messages& messages, const WriteOptions& write) {
    return onProject(runDir, project, messages, write, [](const Snapshot& model, const auto& chosen) {
        return generator::wholeSiteSteps(model, chosen.id);
    });
}

int importDatabase(const fs::path& runDir, const ImportCommandOptions& options, Messages& messages,
                   const WriteOptions& write) {
    return guarded(messages, [&] {
        auto catalogue = openCatalogue(runDir, write);
        importer::ImportOptions how{options.project, options.replace, write.dryRun, options.replaceTemplates};
        const auto result = importer::importFile(options.file, catalogue, runDir, how);
        for (const auto& line : result.report) messages.show(line);
        if (write.dryRun)
            for (const auto& path : result.written) std::cout << displayPath(path) << '\n';
        return kSuccess;
    });
}

int check(const fs::path& runDir, const std::string& project, Messages& messages) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        const auto model = Snapshot::load(catalogue);
        const auto& chosen = findProject(model, project);
        const auto problems = generator::checkProject(model, chosen.id);
        for (const auto& problem : problems) messages.show(problem.text);
        if (problems.empty()) messages.show("设计检查通过：项目 " + chosen.name + " 的设计都能用于生成网站。");
        return problems.empty() ? kSuccess : kFailure;
    });
}

}  // namespace tabulon::cli
