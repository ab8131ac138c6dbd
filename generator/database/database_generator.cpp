#include "generator/database/database_generator.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "base/file_output.h"
#include "generator/check/design_rules.h"
#include "generator/database/kept_copy.h"
#include "generator/database/site_tables.h"
#include "generator/naming/naming.h"
#include "jet/database.h"
#include "jet/parser.h"
#include "jet/table_data.h"
#include "base/ascii_text.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kNoKey = SIZE_MAX;

bool isKeyName(std::string_view name) { return equalsIgnoringCase(name, "id"); }

class DatabaseRun {
public:
    DatabaseRun(const catalogue::Snapshot& model, const catalogue::Project& project, Messages& messages)
        : model_(model), project_(project), messages_(messages), database_(jet::Database::createEmpty()) {}

    // The table goes to the database as a design; the log gets the CREATE statement that
    // reads back as that design.
    void addTable(const catalogue::Table& table) {
        const std::string where = "项目 " + project_.name + " / 表 " + table.name;
        if (auto problem = jet::nameProblem(table.name, jet::NameKind::Table))
            return report(where + "：" + *problem + "，该表未建立。");
        // Looked up by folded name, not compared with every table before it.
        std::string tableKey = jet::nameFoldKey(table.name);
        if (const auto earlier = created_.find(tableKey); earlier != created_.end())
            return report(where + "：与表 " + earlier->second + " 在数据库中同名（不区分大小写），该表未建立。");

        jet::TableDefinition definition;
        definition.name = table.name;
        const auto fields = model_.fieldsInAddedOrder(table.id);
        definition.columns.reserve(fields.size());
        // First the names Jet takes, and which of them repeat an earlier one; then the
        // reports, in field order.
        std::vector<std::optional<std::string>> problems(fields.size());
        std::vector<std::size_t> keyOf(fields.size(), kNoKey);
        std::vector<std::string> keys;
        std::vector<const catalogue::Field*> keyed;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (isKeyName(fields[i]->name)) continue;
            problems[i] = jet::nameProblem(fields[i]->name, jet::NameKind::Column);
            if (problems[i]) continue;
            keyOf[i] = keys.size();
            keys.push_back(jet::nameFoldKey(fields[i]->name));
            keyed.push_back(fields[i]);
        }
        const std::vector<std::size_t> firstEqual = jet::firstEqualKeys(keys);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const catalogue::Field& field = *fields[i];
            auto fieldWhere = [&] { return where + " / 字段 " + field.name; };
            if (isKeyName(field.name)) {
                // The key column every table has; as 自动编号 the field stands for it.
                if (const auto problem = fieldNamePolicy(field.name, field.type))
                    report(fieldWhere() + "：" + *problem + "，该字段未建立。");
                continue;
            }
            if (problems[i]) {
                report(fieldWhere() + "：" + *problems[i] + "，该字段未建立。");
                continue;
            }
            if (const std::size_t first = firstEqual[keyOf[i]]; first != keyOf[i]) {
                report(fieldWhere() + "：与字段 " + keyed[first]->name +
                       " 在数据库中同名（不区分大小写），该字段未建立。");
                continue;
            }
            definition.columns.push_back(column(field, fieldWhere));
        }

        try {
            database_.createTable(definition);
        } catch (const jet::Error& e) {
            return report(where + "：" + e.what() + "，该表未建立。");
        }
        created_.emplace(std::move(tableKey), table.name);
        log_ += jet::createTableStatement(definition);
        log_ += "\r\n\r\n\r\n\r\n\r\n";
    }

    const std::string& log() const { return log_; }
    std::size_t problems() const { return problems_; }
    jet::Database& database() { return database_; }

    void report(const std::string& text) {
        messages_.show(text);
        ++problems_;
    }

private:
    // A type without a column of its own never borrows a neighbour's: an auto-number
    // field becomes a long integer, an unknown word text.
    template <typename Where>
    jet::Column column(const catalogue::Field& field, const Where& where) {
        const catalogue::DataTypeRow* row = catalogue::dataTypeRow(field.dataType);
        if (row && !row->sqlWord.empty()) return *catalogue::columnOf(field.dataType, field.name);
        if (field.dataType == catalogue::DataType::AutoNumber) {
            report(where() + "：每个表只有 id 一个自动编号列，字段类型“" + field.type + "”按长整型 integer 建立。");
            return *catalogue::columnOf(catalogue::DataType::Long, field.name);
        }
        report(where() + "：字段类型“" + field.type + "”没有对应的数据库类型，按文本 VarChar(50) 建立。");
        return *catalogue::columnOf(catalogue::DataType::Text, field.name);
    }

    const catalogue::Snapshot& model_;
    const catalogue::Project& project_;
    Messages& messages_;
    jet::Database database_;
    std::string log_;
    std::size_t problems_ = 0;
    std::unordered_map<std::string, std::string> created_;  // the tables built so far, by folded name
};

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

std::optional<std::string_view> typeWord(std::string_view dataType) {
    const catalogue::DataTypeRow* row = catalogue::dataTypeRow(catalogue::dataTypeOf(dataType));
    if (row && !row->sqlWord.empty()) return row->sqlWord;
    return std::nullopt;
}

DatabaseResult generateDatabase(const catalogue::Snapshot& model, const fs::path& runDir, catalogue::Id projectId,
                                SiteSink& sink, Messages& messages, const DatabaseOptions& options) {
    const catalogue::Project* project = model.project(projectId);
    if (!project) {
        messages.show(DatabaseStep().missingProjectMessage(projectId));
        DatabaseResult result;
        result.problems = 1;
        return result;
    }
    return generateDatabase({model, *project, runDir}, sink, messages, options);
}

DatabaseResult generateDatabase(const StepInput& input, SiteSink& sink, Messages& messages,
                                const DatabaseOptions& options) {
    DatabaseResult result;
    const catalogue::Project* project = &input.project;
    DatabaseRun run(input.model, *project, messages);
    // A large site's rows wait for the file on disk, not in memory.
    if (sink.onDisk()) run.database().spillRowsTo(input.runDir);
    for (const auto* table : input.model.tablesOf(project->id)) run.addTable(*table);
    // Not part of the design, so not in the statement log; its rows carry over like any other.
    addSiteTables(run.database());
    result.statementLog = run.log();
    result.problems = run.problems();

    try {
        const fs::path site = siteFolder(input.runDir, project->name);
        const fs::path file = site / "data" / "data.mdb";
        const auto oldBytes = sink.readBack(file);
        auto unreadable = [&](const jet::Error& e) {
            messages.show("网站数据库 " + displayPath(file) + " 无法读取：" + e.what() +
                          "。未做任何改动；不需要其中的数据时可重新生成空库。");
            ++result.problems;
            return result;
        };
        std::optional<jet::FileRows> old;
        if (oldBytes && options.existingRows == ExistingRows::Keep) {
            try {
                old = jet::readFileRows(*oldBytes);
            } catch (const jet::Error& e) {
                return unreadable(e);
            }
        }
        if (old) {
            // Rows are decoded as they are carried: a damaged one stops the step here, before
            // anything is written.
            try {
                result.carried = carryRows(*old, run.database());
            } catch (const jet::Error& e) {
                return unreadable(e);
            }
            // The site's own rows go along without a word: they are not part of the design.
            std::erase_if(result.carried->tables, [](const TableCarry& t) { return t.table == kLoginLockTable; });
        }

        sink.makeFolders(site / "data");
        if (oldBytes)
            result.keptCopy =
                keepDatedCopy(site / "data", "data", ".mdb", *oldBytes, options.now ? options.now() : localNow(), sink);
        // A login step later in the build adds its account and writes the file: one encoding.
        if (input.neededLater.has(Product::SiteDatabase) && input.context)
            input.context->keepSiteDatabase(file, std::move(run.database()));
        else
            sink.writeDatabase(file, run.database());
        result.file = file;
        // The log beside the site folder, in the site's code page.
        const fs::path log = schemaLogPath(input.runDir, project->name);
        sink.writeText(log, result.statementLog, [&](std::string_view character) {
            return "项目 " + project->name + "：" + log.filename().string() + " 中的字符“" + std::string(character) +
                   "”无法用 GBK 编码（来自表名或字段名），该文件未生成。";
        });
        result.schemaFile = log;
    } catch (const Error& e) {
        messages.show(e.what());
        ++result.problems;
        return result;
    }
    if (!result.keptCopy.empty()) {
        std::vector<std::string> lines{"原数据库已保留为 " + displayPath(result.keptCopy) + "。"};
        if (result.carried && (result.carried->rowsCarried() > 0 || result.carried->leftSomethingBehind())) {
            const auto carried = result.carried->lines();
            lines.insert(lines.end(), carried.begin(), carried.end());
            if (result.carried->leftSomethingBehind()) lines.push_back("未带入的数据仍在保留的副本中。");
        }
        messages.show(joinLines(lines));
    }
    messages.show("生成完毕");
    return result;
}

ExistingDatabase inspectExistingDatabase(const fs::path& runDir, std::string_view projectName) {
    ExistingDatabase existing;
    try {
        FileSink disk;
        const auto bytes = disk.readBack(siteFolder(runDir, projectName) / "data" / "data.mdb");
        if (!bytes) return existing;
        existing.exists = true;
        existing.rows = jet::countRows(*bytes);
    } catch (const Error& e) {
        existing.problem = e.what();
    }
    return existing;
}

fs::path schemaLogPath(const fs::path& runDir, std::string_view projectName) {
    const fs::path site = siteFolder(runDir, projectName);
    return site.parent_path() / (site.filename().string() + "-schema.sql");
}

std::string DatabaseStep::missingProjectMessage(catalogue::Id projectId) const {
    return "项目 " + std::to_string(projectId) + " 不存在，未生成数据库。";
}

StepResult DatabaseStep::run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress&) {
    DatabaseResult database = generateDatabase(input, sink, messages, options_);
    StepResult result;
    for (const auto* path : {&database.keptCopy, &database.file, &database.schemaFile})
        if (!path->empty()) result.written.push_back(*path);
    result.problems = database.problems;
    // No site database (an old one that cannot be read, a disk that refused it): the steps
    // that would add to it do not run.
    result.madeNothing = database.file.empty();
    statementLog_ = std::move(database.statementLog);
    return result;
}

}  // namespace tabulon::generator
