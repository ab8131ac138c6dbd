#pragma once
// Generates the per-table pages of a project: for every chosen table, in list order, the
// chosen page kinds in their fixed order (add, modify, delete, list, display).
#include <filesystem>
#include <functional>
#include <vector>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/page_sink.h"
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

struct GenerationRequest {
    catalogue::Id projectId = 0;
    std::vector<catalogue::Id> tableIds;  // in the table list's order
    std::vector<PageKindId> kinds;        // checked kinds; generated in the fixed kind order
    // One chosen table: each written page is announced with its kind's message.
    bool singleTableMode = false;
};

struct GenerationResult {
    std::vector<std::filesystem::path> written;
    std::size_t failures = 0;  // pages not written, each reported by a message
};

// Called after each table with (tables done, tables in all).
using Progress = std::function<void(std::size_t, std::size_t)>;

// Writes `<runDir>/<项目名称>/manage/<page base name><suffix>` for each table and kind and
// ends with the message "生成完毕". A page whose design cannot be encoded in GBK, whose kind
// lacks template rows or has no generator, or whose file cannot be written is reported and
// skipped; the other pages are still written. A project name that cannot be a folder name
// is reported and nothing is written.
GenerationResult generatePages(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                               const GenerationRequest& request, PageSink& sink, Messages& messages,
                               const Progress& progress = {});

// The path of one page: `<site folder>/manage/<page base name><suffix>`.
std::filesystem::path pagePath(const std::filesystem::path& siteFolder, const catalogue::Table& table,
                               const PageKind& kind);

}  // namespace tabulon::generator
