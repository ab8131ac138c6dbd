// Writes the benchmarks' synthetic project (500 tables of 30 fields, named 基准) into the
// catalogue of a run folder, so that the real program can build it:
//   write_bench_catalogue RUN_DIR && tabulon --run-dir RUN_DIR build 基准
// A run folder that already holds 基准 is left as it is.
#include <filesystem>
#include <iostream>

#include "base/error.h"
#include "bench/synthetic_project.h"
#include "catalogue/catalogue.h"

int main(int argc, char** argv) {
    using namespace tabulon;
    if (argc != 2) {
        std::cerr << "usage: write_bench_catalogue RUN_DIR\n";
        return 2;
    }
    try {
        const std::filesystem::path runDir = argv[1];
        std::filesystem::create_directories(runDir);
        auto catalogue = catalogue::Catalogue::openInRunFolder(runDir);
        const auto& model = bench::syntheticProject();
        const auto& project = *model.project(bench::kProjectId);
        if (catalogue.projectByName(project.name)) return 0;
        catalogue::NewDesign design{project, {}};
        for (const auto* table : model.tablesOf(project.id)) {
            catalogue::NewTable added{*table, {}};
            for (const auto* field : model.fieldsOf(table->id)) added.fields.push_back(*field);
            design.tables.push_back(std::move(added));
        }
        const auto added = catalogue.addDesigns({{design}, {}, {}, false});
        if (!added.front().unresolvedLinks.empty()) {
            std::cerr << "links left unresolved: " << added.front().unresolvedLinks.front() << '\n';
            return 1;
        }
    } catch (const Error& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
