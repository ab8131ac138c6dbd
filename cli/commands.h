#pragma once
// The command-line commands: each works on the catalogue and site folders of a run folder,
// prints message texts one per line and returns the process exit code.
#include <filesystem>
#include <string>
#include <vector>

#include "base/messages.h"

namespace tabulon::cli {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

struct GenerateOptions {
    std::string project;         // name or id
    std::string tables = "all";  // "all" or "24,27"
    std::string kinds = "add,modify,delete,list,display";
};

// How a writing command runs.
struct WriteOptions {
    // List the files that would be written (one path a line, after the messages) and
    // touch nothing, the catalogue included.
    bool dryRun = false;
    // Threads the build may use; 0 takes two per core, 1 runs everything on one thread.
    unsigned threads = 0;
};

int listProjects(const std::filesystem::path& runDir, Messages& messages);
int listTables(const std::filesystem::path& runDir, const std::string& project, Messages& messages);
int generate(const std::filesystem::path& runDir, const GenerateOptions& options, Messages& messages,
             const WriteOptions& write = {});
// Writes `<site>/data/data.mdb` afresh with one table per designed table, carrying the rows
// of the file that was there unless `empty` (the old file is kept as a dated copy either way).
int database(const std::filesystem::path& runDir, const std::string& project, Messages& messages, bool empty = false,
             const WriteOptions& write = {});
// Releases the site skeleton into the site folder.
int skeleton(const std::filesystem::path& runDir, const std::string& project, Messages& messages,
             const WriteOptions& write = {});
// Adds the default account and writes index.asp, top.asp and menu.asp.
int login(const std::filesystem::path& runDir, const std::string& project, Messages& messages,
          const WriteOptions& write = {});
// All four steps in order: skeleton, database, every page of every table, login.
int build(const std::filesystem::path& runDir, const std::string& project, Messages& messages,
          const WriteOptions& write = {});

struct ImportCommandOptions {
    std::string file;
    std::string project;  // empty: the file's name
    bool replace = false;
    bool replaceTemplates = false;
};
// Imports an Access database (or an older catalogue) as a project; prints the report.
int importDatabase(const std::filesystem::path& runDir, const ImportCommandOptions& options, Messages& messages,
                   const WriteOptions& write = {});

// The line printed when something the program did not foresee stops it (exit code 1).
std::string defectLine(const char* what);

// The design check: every table or field name the site cannot use, one line each; exit 1
// when there is any.
int check(const std::filesystem::path& runDir, const std::string& project, Messages& messages);

}  // namespace tabulon::cli
