#include "cli/commands.h"

#include <iostream>
#include <sstream>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "generator/check/design_check.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"

namespace tabulon::cli {
namespace {

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

}  // namespace

int listProjects(const std::filesystem::path& runDir, Messages& messages) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        for (const auto& project : catalogue.projects())
            std::cout << project.id << '\t' << project.name << '\n';
        return kSuccess;
    });
}

int listTables(const std::filesystem::path& runDir, const std::string& project, Messages& messages) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        const auto model = Snapshot::load(catalogue);
        for (const auto* table : model.tablesOf(findProject(model, project).id))
            std::cout << table->id << '\t' << table->name << '\n';
        return kSuccess;
    });
}

// Each step takes the loaded model and the chosen project and says whether it went well.
bool skeletonStep(const std::filesystem::path& runDir, const catalogue::Project& project, Messages& messages) {
    try {
        generator::releaseSkeletonForProject(runDir, project.name);
        return true;
    } catch (const Error& e) {
        messages.show(e.what());
        return false;
    }
}

bool databaseStep(const Snapshot& model, const std::filesystem::path& runDir, const catalogue::Project& project,
                  Messages& messages, bool empty = false) {
    generator::DatabaseOptions options;
    if (empty) options.existingRows = generator::ExistingRows::Discard;
    return generator::generateDatabase(model, runDir, project.id, messages, options).problems == 0;
}

bool pagesStep(const Snapshot& model, const std::filesystem::path& runDir, generator::GenerationRequest request,
               Messages& messages) {
    generator::FileSink sink;
    return generator::generatePages(model, runDir, request, sink, messages).failures == 0;
}

bool loginStep(const Snapshot& model, const std::filesystem::path& runDir, const catalogue::Project& project,
               Messages& messages) {
    generator::FileSink sink;
    return generator::generateLogin(model, runDir, project.id, sink, messages).problems == 0;
}

// Opens the catalogue, finds the project and runs `step` on them.
template <typename Step>
int onProject(const std::filesystem::path& runDir, const std::string& project, Messages& messages, Step step) {
    return guarded(messages, [&] {
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        const auto model = Snapshot::load(catalogue);
        return step(model, findProject(model, project)) ? kSuccess : kFailure;
    });
}

int generate(const std::filesystem::path& runDir, const GenerateOptions& options, Messages& messages) {
    return guarded(messages, [&] {
        const auto kinds = parseKinds(options.kinds);
        const auto catalogue = Catalogue::openInRunFolder(runDir);
        const auto model = Snapshot::load(catalogue);
        const auto& project = findProject(model, options.project);

        generator::GenerationRequest request;
        request.projectId = project.id;
        request.kinds = kinds;
        if (options.tables == "all") {
            for (const auto* table : model.tablesOf(project.id)) request.tableIds.push_back(table->id);
        } else {
            for (const auto& item : splitList(options.tables)) {
                const auto id = catalogue::parseId(item);
                if (!id) throw UsageError("表编号“" + item + "”不是数字。");
                request.tableIds.push_back(*id);
            }
            request.singleTableMode = true;
        }
        return pagesStep(model, runDir, request, messages) ? kSuccess : kFailure;
    });
}

int database(const std::filesystem::path& runDir, const std::string& project, Messages& messages, bool empty) {
    return onProject(runDir, project, messages, [&](const Snapshot& model, const catalogue::Project& chosen) {
        return databaseStep(model, runDir, chosen, messages, empty);
    });
}

int skeleton(const std::filesystem::path& runDir, const std::string& project, Messages& messages) {
    return onProject(runDir, project, messages, [&](const Snapshot&, const catalogue::Project& chosen) {
        return skeletonStep(runDir, chosen, messages);
    });
}

int login(const std::filesystem::path& runDir, const std::string& project, Messages& messages) {
    return onProject(runDir, project, messages, [&](const Snapshot& model, const catalogue::Project& chosen) {
        return loginStep(model, runDir, chosen, messages);
    });
}

int build(const std::filesystem::path& runDir, const std::string& project, Messages& messages) {
    return onProject(runDir, project, messages, [&](const Snapshot& model, const catalogue::Project& chosen) {
        // A site folder that cannot be made stops the build at its first step.
        if (!skeletonStep(runDir, chosen, messages)) return false;
        bool fine = databaseStep(model, runDir, chosen, messages);
        generator::GenerationRequest request{chosen.id, {}, {}, false};
        for (const auto* table : model.tablesOf(chosen.id)) request.tableIds.push_back(table->id);
        for (const auto& kind : generator::pageKinds()) request.kinds.push_back(kind.id);
        fine = pagesStep(model, runDir, request, messages) && fine;
        return loginStep(model, runDir, chosen, messages) && fine;
    });
}

int check(const std::filesystem::path& runDir, const std::string& project, Messages& messages) {
    return onProject(runDir, project, messages, [&](const Snapshot& model, const catalogue::Project& chosen) {
        const auto problems = generator::checkDesign(model, chosen.id);
        for (const auto& problem : problems) messages.show(problem.text);
        if (problems.empty()) messages.show("设计检查通过：项目 " + chosen.name + " 的表名和字段名都能用于网站。");
        return problems.empty();
    });
}

}  // namespace tabulon::cli
