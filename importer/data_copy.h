#pragma once
// The rows of the imported file in the shape of the new design: the site database the
// project's ② would make, holding every row with its id kept (or numbered in row order
// where the table had no autonumber key) and the counters continuing after the highest id.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "importer/import_plan.h"
#include "importer/page_file.h"
#include "importer/source_model.h"
#include "jet/database.h"

namespace tabulon::importer {

struct DataCopy {
    jet::Database database = jet::Database::createEmpty();
    std::size_t rows = 0;
    std::vector<std::string> report;  // what did not come over, by table and column
};

// Rows beyond a few megabytes per table wait in unnamed temporary files in `scratch` (an
// existing folder) when one is given.
DataCopy copyRows(PageFile& file, const SourceDatabase& source, const ImportPlan& plan,
                  const std::optional<std::filesystem::path>& scratch = std::nullopt);

}  // namespace tabulon::importer
