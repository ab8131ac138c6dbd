#pragma once
// The one set of design rules: what a generated site cannot be built from. The editors
// refuse such input when it is typed (the name rules below), 检查设计 and `tabulon check`
// report what a stored catalogue already holds (checkProject), and generation skips and
// reports the same, in the same words (tableRefusals for ③, the database generator for ②).
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// ---- Rules on one typed value; nullopt when it may be stored. ----

// A project name names the site folder: "../evil" -> "“../evil”不能作为文件夹名" style
// reasons, and every character must have a GBK form.
std::optional<std::string> projectNameProblem(std::string_view name);
// Table and field names as the site's pages, SQL and database file use them.
std::optional<std::string> tableNamePolicy(std::string_view name);
// `type` is the field's data type: a field named id (any letter case) is the table's key
// and must be 自动编号.
std::optional<std::string> fieldNamePolicy(std::string_view name, std::string_view type);
// A caption or note written into generated pages: every character must have a GBK form.
std::optional<std::string> pageTextProblem(std::string_view text);
// Whether two names of one table (or of one project's tables) are the same name to the
// database, which compares them without regard to letter case: "Goods" and "goods".
bool sameDatabaseName(std::string_view a, std::string_view b);

// ---- What a stored design holds. ----

struct DesignProblem {
    catalogue::Id projectId = -1;
    catalogue::Id tableId = -1;  // -1: the project itself
    catalogue::Id fieldId = -1;  // -1: the table itself (or the project)
    std::string text;            // "项目 记账 / 表 收支 / 字段 金额：…"
    bool refusesPages = false;   // ③ writes no page of the table
};

// Everything of one project that generation refuses or changes: the project name, then
// table by table (in page order) the table and its fields.
std::vector<DesignProblem> checkProject(const catalogue::Snapshot& model, catalogue::Id projectId);

// The problems of one table for which ③ writes none of its pages.
std::vector<DesignProblem> tableRefusals(const catalogue::Snapshot& model, const catalogue::Table& table);

// The rules for the tables of one project, made ready once: each table is compared with
// the ones before it by name without comparing every pair, and ③ checks each table as its
// pages are built, from any thread.
class ProjectRules {
public:
    ProjectRules(const catalogue::Snapshot& model, catalogue::Id projectId);
    // Adds every problem of `table` and its fields to `out`, as checkProject lists them.
    void checkTable(const catalogue::Table& table, std::vector<DesignProblem>& out) const;
    // tableRefusals.
    std::vector<DesignProblem> tableRefusals(const catalogue::Table& table) const;

private:
    const catalogue::Table* sameNamedBefore(const catalogue::Table& table) const;
    void checkField(const catalogue::Table& table, const catalogue::Field& field,
                    const catalogue::Field* sameNamedBefore, std::vector<DesignProblem>& out) const;

    const catalogue::Snapshot& model_;
    std::vector<const catalogue::Table*> siblings_;  // the project's tables, in page order
    std::unordered_map<catalogue::Id, const catalogue::Table*> sameNamedBefore_;
    std::unordered_map<std::string, const catalogue::Table*> firstByKey_;  // by folded name
};

// "项目 P / 表 T / 字段 F" for the messages of the generators.
std::string placeText(const catalogue::Snapshot& model, const catalogue::Table& table,
                      const catalogue::Field* field = nullptr);

}  // namespace tabulon::generator
