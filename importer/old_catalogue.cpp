#include "importer/old_catalogue.h"

#include <algorithm>
#include <map>

#include "base/error.h"
#include "importer/source_reader.h"

namespace tabulon::importer {
namespace {

const SourceTable* tableNamed(const SourceDatabase& source, std::string_view name) {
    for (const SourceTable& table : source.tables)
        if (table.name == name) return &table;
    return nullptr;
}

// The rows of a table as column name -> value, read through the page cache.
class NamedRows {
public:
    NamedRows(PageFile& file, const SourceTable& table) {
        forEachSourceRow(file, table, [&](const SourceRow& row) {
            std::map<std::string, jet::Value> named;
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                std::string key = table.columns[c].layout.name;
                if (key == "ID") key = "id";  // 模板定义 spells its key upper case
                named.emplace(std::move(key), row.values[c]);
            }
            rows.push_back(std::move(named));
        });
    }
    std::vector<std::map<std::string, jet::Value>> rows;
};

std::string text(const std::map<std::string, jet::Value>& row, const std::string& column) {
    const auto found = row.find(column);
    if (found == row.end()) return {};
    if (const auto* s = std::get_if<std::string>(&found->second)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&found->second)) return std::to_string(*i);
    return {};
}

std::int64_t number(const std::map<std::string, jet::Value>& row, const std::string& column) {
    const auto found = row.find(column);
    if (found == row.end()) return 0;
    if (const auto* i = std::get_if<std::int64_t>(&found->second)) return *i;
    return 0;
}

}  // namespace

bool isOldCatalogue(const SourceDatabase& source) {
    for (const char* name : {"项目", "表", "字段", "模板定义"})
        if (!tableNamed(source, name)) return false;
    const SourceTable& fields = *tableNamed(source, "字段");
    return std::any_of(fields.columns.begin(), fields.columns.end(),
                       [](const SourceColumn& c) { return c.layout.name == "字段名称"; });
}

std::vector<std::string> oldCatalogueProjects(PageFile& file, const SourceDatabase& source) {
    std::vector<std::string> names;
    for (const auto& p : NamedRows(file, *tableNamed(source, "项目")).rows) names.push_back(text(p, "项目名称"));
    return names;
}

std::size_t oldCatalogueTemplateRows(PageFile& file, const SourceDatabase& source) {
    std::size_t rows = 0;
    forEachSourceRow(file, *tableNamed(source, "模板定义"), [&](const SourceRow&) { ++rows; });
    return rows;
}

ImportResult importOldCatalogue(PageFile& file, const SourceDatabase& source, catalogue::Catalogue& catalogue,
                                const ImportOptions& options) {
    const NamedRows projects(file, *tableNamed(source, "项目"));
    const NamedRows tables(file, *tableNamed(source, "表"));
    const NamedRows fields(file, *tableNamed(source, "字段"));
    const NamedRows templates(file, *tableNamed(source, "模板定义"));

    ImportResult result;
    catalogue::DesignBatch batch;
    std::size_t tableCount = 0, fieldCount = 0;
    for (const auto& p : projects.rows) {
        catalogue::NewDesign design;
        design.project.name = text(p, "项目名称");
        design.project.note = text(p, "项目备注");
        if (const auto existing = catalogue.projectByName(design.project.name)) {
            if (!options.replace)
                throw Error("项目“" + design.project.name +
                            "”已经存在，没有导入。要用导入的设计替换它，命令行请加 --replace。");
            batch.replacing.push_back(existing->id);
        }
        for (const auto& t : tables.rows) {
            if (number(t, "项目编号") != number(p, "id")) continue;
            catalogue::NewTable table;
            table.table = {number(t, "id"), 0, text(t, "表名称"), text(t, "表说明")};
            for (const auto& f : fields.rows) {
                if (number(f, "表编号") != table.table.id) continue;
                catalogue::Field field;
                field.id = number(f, "id");
                field.name = text(f, "字段名称");
                field.type = text(f, "字段类型");
                field.description = text(f, "字段说明");
                field.order = number(f, "排序");
                field.inputType = text(f, "输入类型");
                field.linkTable = text(f, "关联表");
                field.linkField = text(f, "关联字段");
                field.cascadeTable = text(f, "联动表");
                field.cascadeField = text(f, "联动字段");
                field.cascadeCondition = text(f, "联动条件");
                field.cascadeDisplay = text(f, "联显字段");
                table.fields.push_back(std::move(field));
            }
            fieldCount += table.fields.size();
            ++tableCount;
            design.tables.push_back(std::move(table));
        }
        result.projectNames.push_back(design.project.name);
        batch.designs.push_back(std::move(design));
    }
    for (const auto& t : templates.rows)
        batch.templates.push_back({0, text(t, "类型"), text(t, "内容"), number(t, "排序")});
    batch.replaceTemplates = options.replaceTemplates;

    result.report.push_back("导入旧目录 " + versionName(source.format.version) + "：" +
                            std::to_string(batch.designs.size()) + " 个项目，" + std::to_string(tableCount) +
                            " 个表，" + std::to_string(fieldCount) + " 个字段；" +
                            std::to_string(batch.templates.size()) + " 个模板行" +
                            (options.replaceTemplates ? "取代原有的模板。" : "作为新行加在原有模板之后。"));
    if (!batch.replacing.empty())
        result.report.push_back(std::to_string(batch.replacing.size()) + " 个同名项目被替换。");
    if (options.dryRun) return result;
    const auto added = catalogue.addDesigns(batch);
    for (std::size_t i = 0; i < added.size(); ++i)
        for (const std::string& link : added[i].unresolvedLinks)
            result.report.push_back("项目 " + result.projectNames[i] + " " + link + "：找不到所指的表或字段，已清空");
    return result;
}

}  // namespace tabulon::importer
