#include "importer/import_run.h"

#include <ctime>

#include "base/error.h"
#include "generator/database/kept_copy.h"
#include "generator/naming/naming.h"
#include "generator/site_sink.h"
#include "importer/data_copy.h"
#include "importer/import_plan.h"
#include "importer/old_catalogue.h"
#include "importer/source_reader.h"

namespace tabulon::importer {
namespace fs = std::filesystem;
namespace {

std::string projectNameFor(const fs::path& file, const ImportOptions& options) {
    std::string name = options.projectName.empty() ? file.stem().string() : options.projectName;
    std::erase(name, ' ');
    for (std::string::size_type at; (at = name.find("\xE3\x80\x80")) != std::string::npos;) name.erase(at, 3);
    if (name.empty()) throw Error("项目名称不能为空。");
    if (const auto problem = generator::folderNameProblem(name))
        throw Error("项目名称“" + name + "”不能用作网站文件夹名：" + *problem + "。请用 --project 另取一个名称。");
    return name;
}

catalogue::NewDesign designOf(const ImportPlan& plan, const std::string& projectName) {
    catalogue::NewDesign design;
    design.project.name = projectName;
    catalogue::Id nextField = 1;
    std::vector<std::vector<catalogue::Id>> fieldIds(plan.tables.size());
    for (std::size_t t = 0; t < plan.tables.size(); ++t)
        for (std::size_t f = 0; f < plan.tables[t].fields.size(); ++f) fieldIds[t].push_back(nextField++);
    for (std::size_t t = 0; t < plan.tables.size(); ++t) {
        const PlannedTable& planned = plan.tables[t];
        catalogue::NewTable table;
        table.table.id = static_cast<catalogue::Id>(t + 1);
        table.table.name = planned.name;
        table.table.description = planned.description;
        for (std::size_t f = 0; f < planned.fields.size(); ++f) {
            const PlannedField& from = planned.fields[f];
            catalogue::Field field;
            field.id = fieldIds[t][f];
            field.name = from.name;
            field.type = from.type;
            field.description = from.description;
            field.order = static_cast<std::int64_t>(f + 1);
            field.inputType = from.inputType;
            if (from.linkTable >= 0) {
                const auto linked = static_cast<std::size_t>(from.linkTable);
                field.linkTable = std::to_string(linked + 1);
                field.linkField = "0";
                for (std::size_t g = 0; g < plan.tables[linked].fields.size(); ++g)
                    if (plan.tables[linked].fields[g].name == from.linkFieldName && !from.linkFieldName.empty())
                        field.linkField = std::to_string(fieldIds[linked][g]);
            }
            table.fields.push_back(std::move(field));
        }
        design.tables.push_back(std::move(table));
    }
    return design;
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm when{};
    localtime_r(&now, &when);
    return when;
}

}  // namespace

ImportPreview previewImport(const fs::path& path, const ImportOptions& options) {
    auto file = PageFile::open(path);
    const SourceDatabase source = readSource(file);
    if (isOldCatalogue(source))
        return {true, oldCatalogueProjects(file, source), oldCatalogueTemplateRows(file, source)};
    return {false, {projectNameFor(path, options)}, 0};
}

std::vector<std::string> projectNamesIn(const fs::path& path, const ImportOptions& options) {
    return previewImport(path, options).projectNames;
}

ImportResult importFile(const fs::path& path, catalogue::Catalogue& catalogue, const fs::path& runDir,
                        const ImportOptions& options) {
    auto file = PageFile::open(path);
    const SourceDatabase source = readSource(file);
    if (isOldCatalogue(source)) return importOldCatalogue(file, source, catalogue, options);

    ImportResult result;
    const std::string name = projectNameFor(path, options);
    const auto existing = catalogue.projectByName(name);
    if (existing && !options.replace)
        throw Error("项目“" + name +
                    "”已经存在，没有导入。要用导入的设计替换它，命令行请加 --replace（或用 --project 另取名称）。");
    const ImportPlan plan = planImport(source);
    // A dry run leaves the disk alone, also unnamed temporaries.
    DataCopy data = copyRows(file, source, plan, options.dryRun ? std::nullopt : std::optional<fs::path>(runDir));

    std::size_t fields = 0, dropDowns = 0;
    for (const PlannedTable& table : plan.tables) {
        fields += table.fields.size();
        for (const PlannedField& field : table.fields) dropDowns += field.linkTable >= 0 ? 1 : 0;
    }
    result.projectNames.push_back(name);
    result.report.push_back("导入 " + path.filename().string() + "（" + versionName(source.format.version) +
                            "）为项目 " + name + "：" + std::to_string(plan.tables.size()) + " 个表，" +
                            std::to_string(fields) + " 个字段，" + std::to_string(dropDowns) + " 个组合框，" +
                            std::to_string(data.rows) + " 行数据。");
    result.report.insert(result.report.end(), plan.report.begin(), plan.report.end());
    result.report.insert(result.report.end(), data.report.begin(), data.report.end());
    for (const std::string& linked : source.linkedTables)
        result.report.push_back("链接表 " + linked + "：数据在另一个文件中，没有导入");
    for (const std::string& query : source.queries) result.report.push_back("查询 " + query + "：查询不导入");

    const fs::path dataFile = generator::siteFolder(runDir, name) / "data" / "data.mdb";
    std::error_code error;
    const bool hadFile = fs::exists(dataFile, error);
    if (options.dryRun) {
        if (existing) result.report.push_back("原有的项目 " + name + " 将被替换。");
        result.written.push_back(dataFile);
        return result;
    }
    catalogue::DesignBatch batch;
    batch.designs.push_back(designOf(plan, name));
    if (existing) batch.replacing.push_back(existing->id);
    const auto added = catalogue.addDesigns(batch);
    if (existing) result.report.push_back("原有的项目 " + name + " 已被替换。");
    for (const std::string& link : added.front().unresolvedLinks) result.report.push_back(link + "：找不到，已清空");
    try {
        // A site database already there (an earlier import or build) is kept as a dated copy.
        if (hadFile) {
            const fs::path copy = generator::keepDatedCopyOfFile(dataFile, "data", ".mdb", localNow());
            result.report.push_back("原有的网站数据库已另存为 " + copy.filename().string());
            result.written.push_back(copy);
        }
        fs::create_directories(dataFile.parent_path());
        data.database.save(dataFile);
        result.written.push_back(dataFile);
    } catch (const std::exception& e) {
        throw Error("设计已导入为项目 " + name + "，但数据没能写进 " + dataFile.string() + "：" + e.what());
    }
    return result;
}

}  // namespace tabulon::importer
