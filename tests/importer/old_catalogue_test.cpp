// An older catalogue in the Access format (tables 项目, 表, 字段, 模板定义), made by our
// own writer from the default content, comes in as designs: the same projects, tables and
// fields, every link and cascade pointing at the new ids of the rows it pointed at before,
// template rows added (or replacing ours on request), nothing else changed.
#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/catalogue.h"
#include "importer/import_run.h"
#include "jet/database.h"
#include "tests/support/temp_folder.h"

namespace tabulon::importer {
namespace {

namespace fs = std::filesystem;
using jet::Value;

Value text(const std::string& s) { return s.empty() ? Value{} : Value(s); }

fs::path olderCatalogue(const fs::path& folder) {
    const auto source = catalogue::Catalogue::inMemory();
    auto db = jet::Database::createEmpty();
    db.execute("create Table 项目([id] Counter PRIMARY KEY,[项目名称]  VarChar(50),[项目备注]  memo)");
    db.execute(
        "create Table 表([id] Counter PRIMARY KEY,[项目编号]  integer,[表名称]  VarChar(50),[表说明]  VarChar(50))");
    db.execute(
        "create Table 字段([id] Counter PRIMARY KEY,[表编号]  integer,[字段名称]  VarChar(50),[字段类型]  VarChar(50),"
        "[字段说明]  VarChar(50),[排序]  integer,[输入类型]  VarChar(255),[关联表]  VarChar(255),[关联字段]  "
        "VarChar(255),[联动表]  VarChar(255),[联动字段]  VarChar(255),[联动条件]  VarChar(255),[联显字段]  "
        "VarChar(255))");
    db.execute("create Table 模板定义([id] Counter PRIMARY KEY,[类型]  VarChar(255),[内容]  memo,[排序]  integer)");
    for (const auto& p : source.allProjects()) db.insertWithId("项目", static_cast<int>(p.id), {p.name, text(p.note)});
    for (const auto& t : source.allTables())
        db.insertWithId("表", static_cast<int>(t.id), {t.projectId, t.name, text(t.description)});
    for (const auto& f : source.allFields())
        db.insertWithId(
            "字段", static_cast<int>(f.id),
            {f.tableId, f.name, f.type, text(f.description), f.order, f.inputType, text(f.linkTable), text(f.linkField),
             text(f.cascadeTable), text(f.cascadeField), text(f.cascadeCondition), text(f.cascadeDisplay)});
    for (const auto& row : source.allTemplates())
        db.insertWithId("模板定义", static_cast<int>(row.id), {row.kind, row.content, row.order});
    const fs::path path = folder / "旧目录.mdb";
    db.save(path);
    return path;
}

// A design with every id replaced by the name it stands for, so that two copies compare.
std::vector<std::string> described(const catalogue::Catalogue& c, catalogue::Id projectId) {
    std::map<std::string, std::string> names;  // "t<id>" / "f<id>" -> name
    for (const auto& t : c.tables(projectId)) {
        names["t" + std::to_string(t.id)] = t.name;
        for (const auto& f : c.fields(t.id, catalogue::FieldOrder::ById))
            names["f" + std::to_string(f.id)] = t.name + "." + f.name;
    }
    auto name = [&](char kind, const std::string& id) {
        if (id.empty() || id == "0") return id;
        const auto found = names.find(kind + id);
        return found == names.end() ? "?" + id : found->second;
    };
    std::vector<std::string> out;
    for (const auto& t : c.tables(projectId))
        for (const auto& f : c.fields(t.id, catalogue::FieldOrder::ByOrderAscending))
            out.push_back(t.name + "|" + t.description + "|" + f.name + "|" + f.type + "|" + f.description + "|" +
                          std::to_string(f.order) + "|" + f.inputType + "|" + name('t', f.linkTable) + "|" +
                          name('f', f.linkField) + "|" + name('t', f.cascadeTable) + "|" + name('f', f.cascadeField) +
                          "|" + name('f', f.cascadeCondition) + "|" + name('f', f.cascadeDisplay));
    return out;
}

TEST(ImportOldCatalogue, DesignsComeInWithEveryLinkRemapped) {
    testing::TempFolder run;
    const fs::path file = olderCatalogue(run.path());
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    const auto original = catalogue.projectByName("记账");
    const auto before = described(catalogue, original->id);
    const auto templates = catalogue.allTemplates();
    EXPECT_THROW(importFile(file, catalogue, run.path(), {}), Error);  // 记账 is there already

    ImportOptions replace;
    replace.replace = true;
    const ImportResult result = importFile(file, catalogue, run.path(), replace);
    EXPECT_EQ(result.projectNames, std::vector<std::string>{"记账"});
    const auto imported = catalogue.projectByName("记账");
    EXPECT_NE(imported->id, original->id);
    const auto after = described(catalogue, imported->id);
    EXPECT_EQ(after, before);
    for (const auto& line : after) EXPECT_EQ(line.find('?'), std::string::npos) << line;
    // The template rows are offered beside ours.
    const auto all = catalogue.allTemplates();
    ASSERT_EQ(all.size(), 2 * templates.size());
    for (std::size_t i = 0; i < templates.size(); ++i) {
        EXPECT_EQ(all[templates.size() + i].content, templates[i].content);
        EXPECT_EQ(all[templates.size() + i].kind, templates[i].kind);
    }
    EXPECT_FALSE(fs::exists(run.path() / "记账"));  // a catalogue has no rows of a site
}

TEST(ImportOldCatalogue, TemplatesReplaceOursOnRequest) {
    testing::TempFolder run;
    const fs::path file = olderCatalogue(run.path());
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    const auto templates = catalogue.allTemplates();
    catalogue.addTemplate({0, "添加", "<p>mine</p>", 99});
    ImportOptions options;
    options.replace = true;
    options.replaceTemplates = true;
    importFile(file, catalogue, run.path(), options);
    const auto all = catalogue.allTemplates();
    ASSERT_EQ(all.size(), templates.size());
    for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].content, templates[i].content);
}

}  // namespace
}  // namespace tabulon::importer
