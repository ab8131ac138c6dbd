#pragma once
// The site's Access database: `<site folder>/data/data.mdb`, made afresh on every run with
// one table per designed table (an `id` Counter key plus a column per field).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_step.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

// The column type of a data type name in the CREATE statement: 文本 -> "VarChar(50)",
// 长整型 -> "integer", …; nothing for 自动编号, an empty or an unknown name.
std::optional<std::string_view> typeWord(std::string_view dataType);

struct DatabaseResult {
    std::filesystem::path file;        // empty when no file was written
    std::filesystem::path schemaFile;  // data/schema.sql; empty when not written
    std::string statementLog;    // each executed statement followed by five CR LF
    std::size_t problems = 0;    // design problems and failures, each reported by a message
};

// Builds the database of a project and writes it (and the statement log as
// data/schema.sql) into its site folder, creating the folders when missing. Every table and
// field that Jet cannot take is reported with its name and left out; the run ends with
// "生成完毕" whenever it got as far as writing.
DatabaseResult generateDatabase(const StepInput& input, SiteSink& sink, Messages& messages);
// The same for the project `projectId`; a missing project is reported.
DatabaseResult generateDatabase(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                                catalogue::Id projectId, SiteSink& sink, Messages& messages);

// Step ② of a build. The statement log of the last run stays readable (the window puts it
// on the clipboard).
class DatabaseStep final : public BuildStep {
public:
    std::string_view title() const override { return "②生成数据库文件"; }
    std::string missingProjectMessage(catalogue::Id projectId) const override;
    StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) override;
    const std::string& statementLog() const { return statementLog_; }

private:
    std::string statementLog_;
};

}  // namespace tabulon::generator
