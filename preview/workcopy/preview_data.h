#pragma once
// The preview's working copy against the site's data/data.mdb: it follows the database's
// design when ② rewrites the file (carrying its rows by table and column name, as ② does),
// and its rows can be written back into the file through our Jet writer.
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/records.h"

namespace tabulon::preview {

// `<run dir>/.preview/<project id>/data.sqlite`, apart from the site, kept between runs.
std::filesystem::path workingCopyPath(const std::filesystem::path& runDir, catalogue::Id projectId);

// What identifies a version of data.mdb: its size and modification time.
std::string fileStamp(const std::filesystem::path& file);

// The data.mdb version the working copy was made from or last followed ("" when unknown).
std::string recordedSource(const std::filesystem::path& workingCopy);

// Whether data.mdb is no longer the version the working copy follows.
bool designChanged(const std::filesystem::path& mdb, const std::filesystem::path& workingCopy);

// Whether pages wrote to the working copy since it was made or last written back.
bool holdsNewerData(const std::filesystem::path& workingCopy);

// Builds the working copy afresh from data.mdb, its rows included ("重新载入数据库").
void reloadWorkingCopy(const std::filesystem::path& mdb, const std::filesystem::path& workingCopy);

// Rebuilds the working copy on data.mdb's current design with the working copy's own rows
// carried over; returns what was carried and what was left behind, one line each.
std::vector<std::string> followDesign(const std::filesystem::path& mdb, const std::filesystem::path& workingCopy);

struct WriteBackResult {
    std::filesystem::path keptCopy;  // data-YYYYMMDD-HHMMSS.mdb beside data.mdb
    std::size_t rows = 0;
    std::vector<std::string> lines;  // what was carried and what was left behind
};

// Writes the working copy's rows into data.mdb (its design stays), keeping a dated copy of
// the file first, as ② does. Throws tabulon::Error naming the file; data.mdb is then as it was.
WriteBackResult writeBack(const std::filesystem::path& mdb, const std::filesystem::path& workingCopy);

}  // namespace tabulon::preview
