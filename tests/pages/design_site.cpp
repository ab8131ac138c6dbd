// Writes two complete sites into a run folder for the checks that run generated code:
// the sample project 记账 and a project 组件 whose tables exercise every widget rule, a
// broken link (whose table is refused), a table without fields, a Latin table name and a search over fields whose
// names begin alike. Each site gets the skeleton and all five page kinds of every table.
//
//   pages_design_site <run folder>
//
// The folder is made afresh: an existing one is emptied only when this tool made it.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "generator/driver.h"
#include "generator/skeleton/skeleton_release.h"
#include "tests/support/widget_design.h"

namespace {

using namespace tabulon;

int generateSite(const catalogue::Snapshot& model, const std::filesystem::path& runDir, const std::string& name) {
    const catalogue::Project* project = model.projectByName(name);
    if (!project) throw Error("no project " + name);
    generator::FileSink sink;
    generator::releaseSkeletonForProject(runDir, name, sink);
    generator::GenerationRequest request;
    request.projectId = project->id;
    for (const auto* table : model.tablesOf(project->id)) request.tableIds.push_back(table->id);
    request.kinds = {generator::PageKindId::Add, generator::PageKindId::Modify, generator::PageKindId::Delete,
                     generator::PageKindId::List, generator::PageKindId::Display};
    RecordedMessages messages;
    const auto result = generator::generatePages(model, runDir, request, sink, messages);
    // The table 断链 of 组件 links to a table and a field that are gone: its pages are refused
    // on purpose, and only that refusal is expected.
    std::size_t expected = 0;
    for (const auto& message : messages.texts()) {
        std::cout << name << ": " << message << "\n";
        if (message.find("/ 表 断链 /") != std::string::npos) ++expected;
    }
    return result.failures > expected ? static_cast<int>(result.failures - expected) : 0;
}

constexpr const char* kMarker = ".pages-design-site";

// A fresh run folder; refuses to empty a folder it did not make.
void freshRunFolder(const std::filesystem::path& runDir) {
    namespace fs = std::filesystem;
    if (fs::exists(runDir) && !fs::is_empty(runDir)) {
        if (!fs::exists(runDir / kMarker)) throw Error(runDir.string() + " is not empty and was not made by this tool");
        fs::remove_all(runDir);
    }
    fs::create_directories(runDir);
    std::ofstream(runDir / kMarker) << "written by pages_design_site\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pages_design_site <run folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path runDir = std::filesystem::absolute(argv[1]);
        freshRunFolder(runDir);
        auto catalogue = catalogue::Catalogue::openInRunFolder(runDir);
        testing::addWidgetProject(catalogue);
        const auto model = catalogue::Snapshot::load(catalogue);
        const int failures = generateSite(model, runDir, "记账") + generateSite(model, runDir, "组件");
        return failures == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "pages_design_site: " << e.what() << "\n";
        return 2;
    }
}
