#pragma once
// The site's Access database: `<site folder>/data/data.mdb`, made afresh on every run with
// one table per designed table (an `id` Counter key plus a column per field).
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_step.h"
#include "generator/database/data_carry.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

// The column type of a data type name in the CREATE statement: 文本 -> "VarChar(50)",
// 长整型 -> "integer", …; nothing for 自动编号, an empty or an unknown name.
std::optional<std::string_view> typeWord(std::string_view dataType);

// What becomes of the rows of a data/data.mdb that is already there.
enum class ExistingRows { Keep, Discard };

struct DatabaseOptions {
    ExistingRows existingRows = ExistingRows::Keep;
    std::function<std::tm()> now;  // local time for the kept copy's name; the clock when empty
};

struct DatabaseResult {
    std::filesystem::path file;        // empty when no file was written
    std::filesystem::path keptCopy;    // the earlier file, when there was one
    std::filesystem::path schemaFile;  // the statement log; empty when not written
    std::optional<CarryReport> carried;
    std::string statementLog;  // each executed statement followed by five CR LF
    std::size_t problems = 0;  // design problems and failures, each reported by a message
};

// Builds the database of a project and writes it through `sink` into its site folder,
// creating the folders when missing, and the statement log as `<run dir>/<project>-schema.sql`
// (a character GBK cannot hold is reported and the log left out). Every table and field
// that Jet cannot take is reported with its name and left out. An existing data/data.mdb
// (as the sink sees it) is first kept as a dated copy beside it; with ExistingRows::Keep its
// rows are read and carried into the new file, and a file that cannot be read is refused
// before anything is written. The run ends with "生成完毕" whenever it got as far as writing.
DatabaseResult generateDatabase(const StepInput& input, SiteSink& sink, Messages& messages,
                                const DatabaseOptions& options = {});
// The same for the project `projectId`; a missing project is reported.
DatabaseResult generateDatabase(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                                catalogue::Id projectId, SiteSink& sink, Messages& messages,
                                const DatabaseOptions& options = {});

// Step ② of a build. The statement log of the last run stays readable (the window puts it
// on the clipboard).
class DatabaseStep final : public BuildStep {
public:
    explicit DatabaseStep(DatabaseOptions options = {}) : options_(std::move(options)) {}
    std::string_view title() const override { return "②生成数据库文件"; }
    std::string missingProjectMessage(catalogue::Id projectId) const override;
    StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) override;
    // A later login step takes the database from the build's context and writes it once,
    // its account added.
    StepUse use() const override { return {Product::SiteFolder, Product::SiteDatabase}; }
    const std::string& statementLog() const { return statementLog_; }

private:
    DatabaseOptions options_;
    std::string statementLog_;
};

// The site database of a project as it is before ② runs.
struct ExistingDatabase {
    bool exists = false;
    std::size_t rows = 0;                // in every user table
    std::optional<std::string> problem;  // why it cannot be read
};
ExistingDatabase inspectExistingDatabase(const std::filesystem::path& runDir, std::string_view projectName);

// Where the statement log of a project goes: beside its site folder, out of the web root.
std::filesystem::path schemaLogPath(const std::filesystem::path& runDir, std::string_view projectName);

}  // namespace tabulon::generator
