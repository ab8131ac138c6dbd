#pragma once
// Generates the per-table pages of a project: for every chosen table, in list order, the
// chosen page kinds in their fixed order (add, modify, delete, list, display). Pages are
// built on every core; messages, progress and the result keep that order all the same.
#include <filesystem>
#include <vector>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_step.h"
#include "generator/pages/page_generator.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

struct GenerationRequest {
    catalogue::Id projectId = 0;
    std::vector<catalogue::Id> tableIds;  // in the table list's order
    std::vector<PageKindId> kinds;        // checked kinds; generated in the fixed kind order
    // One chosen table: each written page is announced with its kind's message.
    bool singleTableMode = false;
    // Threads that build pages; 0 takes two per core. As a build step (PagesStep) the
    // build's own count (StepInput::threads) is used instead.
    unsigned threads = 0;
};

struct GenerationResult {
    std::vector<std::filesystem::path> written;  // in generation order
    std::size_t failures = 0;                    // pages not written, each reported by a message
};

// Writes `<runDir>/<项目名称>/manage/<page base name><suffix>` for each table and kind and
// ends with the message "生成完毕". A page whose design cannot be encoded in GBK, whose kind
// lacks template rows, or whose file cannot be written is reported and skipped; the other
// pages are still written. A project name that cannot be a folder name is reported and
// nothing is written. `progress` is called after each table with (tables done, tables).
GenerationResult generatePages(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                               const GenerationRequest& request, SiteSink& sink, Messages& messages,
                               const Progress& progress = {});

// Step ③ of a build: the pages of `request` (its project id is the build's).
class PagesStep final : public BuildStep {
public:
    explicit PagesStep(GenerationRequest request) : request_(std::move(request)) {}
    // Every table of the project, every kind.
    static GenerationRequest everyPage(const catalogue::Snapshot& model, catalogue::Id projectId);

    std::string_view title() const override { return "③生成执行代码"; }
    std::string missingProjectMessage(catalogue::Id projectId) const override;
    StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) override;
    // Pages read only the design and write only manage/: they may go on beside the
    // database and login steps.
    StepUse use() const override { return {Product::SiteFolder, {}}; }

private:
    GenerationRequest request_;
};

// The path of one page: `<site folder>/manage/<page base name><suffix>`.
std::filesystem::path pagePath(const std::filesystem::path& siteFolder, const catalogue::Table& table,
                               const PageKind& kind);

}  // namespace tabulon::generator
