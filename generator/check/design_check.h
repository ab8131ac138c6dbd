#pragma once
// Names a generated site cannot use: they break the pages' VBScript strings, their HTML,
// their URLs or the brackets every name of the SQL is written in. Reserved words (name,
// password, date, user …) are fine in brackets. The editors refuse them when typed;
// the design check finds those already in a catalogue, and generation skips them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

enum class NameUse { Table, Field };

// nullopt when the site can use `name` (already stripped of its spaces), else why not,
// naming the character: "名称含有不能用的字符“'”".
std::optional<std::string> siteNameProblem(std::string_view name, NameUse use);

struct DesignProblem {
    catalogue::Id tableId = 0;
    std::string text;  // "表 用户 字段 password：…" — names the table and, for a field, the field
};

// Every problem of the tables of one project, table by table in page order.
std::vector<DesignProblem> checkDesign(const catalogue::Snapshot& model, catalogue::Id projectId);

// The problems of one table and its fields.
std::vector<DesignProblem> checkTable(const catalogue::Snapshot& model, const catalogue::Table& table);

}  // namespace tabulon::generator
