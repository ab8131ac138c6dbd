#pragma once
// `tabulon import`: an Access file becomes a project of the catalogue, and its rows the
// project's site database `<run dir>/<project>/data/data.mdb`, which the first build (or ②)
// carries into the site it makes.
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace tabulon::importer {

struct ImportOptions {
    std::string projectName;  // empty: the file's name without its extension
    bool replace = false;     // an existing project of that name is replaced
    bool dryRun = false;      // read, plan and report; write nothing
    // An older catalogue's template rows replace ours instead of being added beside them.
    bool replaceTemplates = false;
};

struct ImportResult {
    std::vector<std::string> projectNames;       // the projects made (several for an older catalogue)
    std::vector<std::string> report;             // the summary, one line each
    std::vector<std::filesystem::path> written;  // files written (or, dry, that would be)
};

// What an import of `file` would make, so that a caller can ask before replacing projects
// or templates: the projects (read from an older catalogue, or the project name for an
// Access file) and, for an older catalogue, how many template rows it holds.
struct ImportPreview {
    bool olderCatalogue = false;
    std::vector<std::string> projectNames;
    std::size_t templateRows = 0;
};
ImportPreview previewImport(const std::filesystem::path& file, const ImportOptions& options);

std::vector<std::string> projectNamesIn(const std::filesystem::path& file, const ImportOptions& options);

// Throws tabulon::Error, with nothing changed, for a file that cannot be read, a project
// name the site folder cannot have, or an existing project without `replace`.
ImportResult importFile(const std::filesystem::path& file, catalogue::Catalogue& catalogue,
                        const std::filesystem::path& runDir, const ImportOptions& options);

}  // namespace tabulon::importer
