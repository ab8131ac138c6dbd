#include "generator/check/design_rules.h"

#include <unordered_map>

#include "base/gbk.h"
#include "catalogue/data_type.h"
#include "catalogue/ids.h"
#include "catalogue/widget_kind.h"
#include "generator/check/design_check.h"
#include "generator/naming/naming.h"
#include "generator/text/template_anchor.h"
#include "jet/names.h"

namespace tabulon::generator {
namespace {

std::optional<std::string> unencodable(std::string_view text) {
    const auto encoded = gbk::encode(text);
    if (!encoded.failure) return std::nullopt;
    return "含有网页编码（GBK）无法表示的字符“" + encoded.failure->character + "”";
}

bool isKeyName(std::string_view name) { return jet::nameFoldKey(name) == "id"; }

// A stored id that names nothing: "" and numbers without a row.
bool namesNoTable(const catalogue::Snapshot& model, std::string_view idText) {
    return model.tableByIdText(idText) == nullptr;
}
// A field id where "0" (and, where `emptyIsNone`, "") stands for the key column.
bool namesNoField(const catalogue::Snapshot& model, std::string_view idText, bool emptyIsNone = false) {
    if (emptyIsNone && idText.empty()) return false;
    if (const auto id = catalogue::parseId(idText); id && *id == 0) return false;
    return model.fieldByIdText(idText) == nullptr;
}

bool isCascadeSource(const catalogue::Field& field) {
    const auto id = catalogue::parseId(field.cascadeTable);
    return id && *id > 0;
}

// For each name, the index of the first name the database takes for the same one: i
// itself when none before it is.
std::vector<std::size_t> firstSameNames(const std::vector<std::string>& keys) {
    std::unordered_map<std::string_view, std::size_t> first;
    first.reserve(keys.size());
    std::vector<std::size_t> found;
    found.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) found.push_back(first.try_emplace(keys[i], i).first->second);
    return found;
}

}  // namespace

ProjectRules::ProjectRules(const catalogue::Snapshot& model, catalogue::Id projectId)
    : model_(model), siblings_(model.tablesOf(projectId)) {
    // Each table is compared with the ones before it by its folded name, computed once.
    std::vector<std::string> keys;
    keys.reserve(siblings_.size());
    for (const auto* table : siblings_) keys.push_back(jet::nameFoldKey(table->name));
    const auto first = firstSameNames(keys);
    for (std::size_t i = 0; i < siblings_.size(); ++i) {
        sameNamedBefore_.emplace(siblings_[i]->id, first[i] == i ? nullptr : siblings_[first[i]]);
        firstByKey_.try_emplace(std::move(keys[i]), siblings_[i]);
    }
}

const catalogue::Table* ProjectRules::sameNamedBefore(const catalogue::Table& table) const {
    if (const auto found = sameNamedBefore_.find(table.id); found != sameNamedBefore_.end()) return found->second;
    // Not one of the project's tables: any of them counts.
    const auto found = firstByKey_.find(jet::nameFoldKey(table.name));
    return found == firstByKey_.end() ? nullptr : found->second;
}

void ProjectRules::checkTable(const catalogue::Table& table, std::vector<DesignProblem>& out) const {
    auto add = [&](const std::string& problem) {
        out.push_back({table.projectId, table.id, -1, placeText(model_, table) + "：" + problem, true});
    };
    if (const auto problem = tableNamePolicy(table.name)) add(*problem);
    if (const auto* other = sameNamedBefore(table)) add("与表 " + other->name + " 在数据库中同名（不区分大小写）");
    if (const auto problem = pageTextProblem(table.description)) add("表说明" + *problem);

    const auto fields = model_.fieldsInAddedOrder(table.id);
    std::vector<std::string> keys;
    keys.reserve(fields.size());
    for (const auto* field : fields) keys.push_back(jet::nameFoldKey(field->name));
    const auto first = firstSameNames(keys);
    for (std::size_t i = 0; i < fields.size(); ++i)
        checkField(table, *fields[i], keys[i] != "id" && first[i] != i ? fields[first[i]] : nullptr, out);
}

std::vector<DesignProblem> ProjectRules::tableRefusals(const catalogue::Table& table) const {
    std::vector<DesignProblem> found;
    checkTable(table, found);
    std::erase_if(found, [](const DesignProblem& problem) { return !problem.refusesPages; });
    return found;
}

void ProjectRules::checkField(const catalogue::Table& table, const catalogue::Field& field,
                              const catalogue::Field* sameNamedBefore, std::vector<DesignProblem>& out) const {
    auto add = [&](const std::string& problem, bool refuses = true) {
        out.push_back(
            {table.projectId, table.id, field.id, placeText(model_, table, &field) + "：" + problem, refuses});
    };
    if (const auto problem = fieldNamePolicy(field.name, field.type)) add(*problem);
    if (sameNamedBefore) add("与字段 " + sameNamedBefore->name + " 在数据库中同名（不区分大小写）");
    if (const auto problem = pageTextProblem(field.description)) add("字段说明" + *problem);
    if (field.dataType == catalogue::DataType::AutoNumber && !isKeyName(field.name))
        add("每个表只有 id 一个自动编号列，字段类型“自动编号”按长整型 integer 建立", false);
    if (field.widget == catalogue::WidgetKind::DropDown) {
        if (namesNoTable(model_, field.linkTable))
            add(field.linkTable.empty() ? "组合框没有选择关联表"
                                        : "组合框的关联表（编号 " + field.linkTable + "）已不存在");
        else if (namesNoField(model_, field.linkField))
            add("组合框的关联字段（编号 " + field.linkField + "）已不存在");
    }
    if (isCascadeSource(field)) {
        if (namesNoTable(model_, field.cascadeTable))
            add("联动表（编号 " + field.cascadeTable + "）已不存在");
        else if (namesNoField(model_, field.cascadeField, true))
            add("联动字段（编号 " + field.cascadeField + "）已不存在");
        else if (namesNoField(model_, field.cascadeCondition, true))
            add("联动条件字段（编号 " + field.cascadeCondition + "）已不存在");
        else if (namesNoField(model_, field.cascadeDisplay, true))
            add("联显字段（编号 " + field.cascadeDisplay + "）已不存在");
    }
}

std::optional<std::string> projectNameProblem(std::string_view name) {
    if (const auto problem = folderNameProblem(name)) return problem;
    for (const std::string_view space : {" ", "\u3000"})
        if (name.find(space) != std::string_view::npos)
            return std::string("名称含有不能用的字符“") + (space == " " ? "空格" : "全角空格") + "”";
    if (const auto problem = unencodable(name)) return "项目名称" + *problem;
    return std::nullopt;
}

std::optional<std::string> tableNamePolicy(std::string_view name) {
    if (const auto problem = siteNameProblem(name, NameUse::Table)) return problem;
    if (const auto problem = unencodable(name)) return "名称" + *problem;
    return std::nullopt;
}

std::optional<std::string> fieldNamePolicy(std::string_view name, std::string_view type) {
    if (isKeyName(name)) {
        // The key itself, shown on the pages; any other type would be a second column id.
        if (catalogue::dataTypeOf(type) == catalogue::DataType::AutoNumber) return std::nullopt;
        return "“" + std::string(name) + "”是每个表已有的自动编号主键，只能用字段类型“自动编号”";
    }
    if (const auto problem = siteNameProblem(name, NameUse::Field)) return problem;
    if (const auto problem = unencodable(name)) return "名称" + *problem;
    return std::nullopt;
}

std::optional<std::string> pageTextProblem(std::string_view text) { return unencodable(text); }

bool sameDatabaseName(std::string_view a, std::string_view b) { return jet::nameFoldKey(a) == jet::nameFoldKey(b); }

std::string placeText(const catalogue::Snapshot& model, const catalogue::Table& table, const catalogue::Field* field) {
    const auto* project = model.project(table.projectId);
    std::string text = "项目 " + (project ? project->name : std::to_string(table.projectId)) + " / 表 " + table.name;
    if (field) text += " / 字段 " + field->name;
    return text;
}

std::vector<DesignProblem> checkProject(const catalogue::Snapshot& model, catalogue::Id projectId) {
    std::vector<DesignProblem> problems;
    const auto* project = model.project(projectId);
    if (!project) return problems;
    if (const auto problem = projectNameProblem(project->name))
        problems.push_back({projectId, -1, -1, "项目 " + project->name + "：" + *problem, true});
    const ProjectRules rules(model, projectId);
    for (const auto* table : model.tablesOf(projectId)) rules.checkTable(*table, problems);
    // Template rows the generators cannot patch: the pages built from them are not written.
    for (auto& text : missingTemplateAnchors(model))
        problems.push_back({projectId, -1, -1, std::move(text) + "，该模板生成的页面不会写出。", false});
    return problems;
}

std::vector<DesignProblem> tableRefusals(const catalogue::Snapshot& model, const catalogue::Table& table) {
    return ProjectRules(model, table.projectId).tableRefusals(table);
}

}  // namespace tabulon::generator
