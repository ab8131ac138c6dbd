// Opening, creating and editing the catalogue file.
#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <fstream>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/new_design.h"
#include "tests/support/temp_folder.h"

namespace tabulon::catalogue {
namespace {

using testing::readFile;
using testing::TempFolder;

TEST(CatalogueFile, FirstStartCreatesTheDefaultCatalogueAndLaterStartsKeepIt) {
    TempFolder run;
    const auto file = run.path() / kFileName;
    {
        const auto catalogue = Catalogue::openInRunFolder(run.path());
        ASSERT_EQ(catalogue.projects().size(), 1u);
        EXPECT_EQ(catalogue.projects()[0].name, "记账");
    }
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".new")) << "no temporary file left behind";

    const std::string before = readFile(file);
    {
        const auto again = Catalogue::openInRunFolder(run.path());
        EXPECT_EQ(again.projects().size(), 1u);
    }
    EXPECT_EQ(readFile(file), before) << "opening an existing catalogue must not change it";
}

TEST(CatalogueFile, EditsPersistAcrossStarts) {
    TempFolder run;
    Id id = 0;
    {
        auto catalogue = Catalogue::openInRunFolder(run.path());
        id = catalogue.addProject({0, "学生管理", "备注"});
    }
    const auto reopened = Catalogue::openInRunFolder(run.path());
    const auto project = reopened.project(id);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->name, "学生管理");
    EXPECT_EQ(project->note, "备注");
}

TEST(CatalogueFile, ForeignFilesAreRefusedAndLeftUntouched) {
    TempFolder run;
    const auto file = run.path() / kFileName;

    {  // a SQLite database of some other program
        SQLite::Database other(file.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)");
    }
    const std::string sqliteBytes = readFile(file);
    EXPECT_THROW(Catalogue::openInRunFolder(run.path()), Error);
    EXPECT_EQ(readFile(file), sqliteBytes);

    {  // not a database at all
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "just some text, certainly not a catalogue";
    }
    const std::string textBytes = readFile(file);
    try {
        Catalogue::openInRunFolder(run.path());
        FAIL() << "a text file was accepted as a catalogue";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << "the message names the file";
    }
    EXPECT_EQ(readFile(file), textBytes);
}

TEST(CatalogueFile, UnwritableRunFolderIsAClearError) {
    TempFolder run;
    // A run folder below a plain file can never be created, whoever runs the test.
    std::ofstream(run.path() / "plain") << "x";
    EXPECT_THROW(Catalogue::openInRunFolder(run.path() / "plain" / "sub"), Error);
}

TEST(CatalogueKeys, ContinueAfterTheDefaultContentAndAreNeverReused) {
    auto catalogue = Catalogue::inMemory();
    EXPECT_EQ(catalogue.addProject({0, "甲", ""}), 5);
    EXPECT_EQ(catalogue.addTable({0, 5, "乙", ""}), 28);
    EXPECT_EQ(catalogue.addField({.tableId = 28, .name = "丙"}), 164);
    EXPECT_EQ(catalogue.addTemplate({0, "添加", "x", 1}), 55);

    catalogue.deleteTable(28);
    EXPECT_EQ(catalogue.addTable({0, 5, "丁", ""}), 29) << "the id of a deleted row is not handed out again";
}

TEST(CatalogueNames, QuotesAndOtherSpecialCharactersAreOrdinaryText) {
    auto catalogue = Catalogue::inMemory();
    const std::string name = "O'Neil\"; DROP TABLE 项目;--";
    const Id id = catalogue.addProject({0, name, ""});
    const auto found = catalogue.projectByName(name);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, id);
    EXPECT_EQ(catalogue.projects().size(), 2u);

    const Id table = catalogue.addTable({0, id, "it's", ""});
    EXPECT_EQ(catalogue.tableByName(id, "it's")->id, table);
    EXPECT_FALSE(catalogue.tableByName(4, "it's")) << "names are unique per project, not globally";
}

TEST(CatalogueNames, TextLongerThanItsColumnIsRefused) {
    auto catalogue = Catalogue::inMemory();
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "字";
    EXPECT_NO_THROW(catalogue.addProject({0, fifty, ""}));
    EXPECT_THROW(catalogue.addProject({0, fifty + "字", ""}), Error);
}

TEST(CatalogueQueries, ProjectsNewestFirstAndTablesInAddedOrder) {
    auto catalogue = Catalogue::inMemory();
    catalogue.addProject({0, "二", ""});
    catalogue.addProject({0, "三", ""});
    const auto projects = catalogue.projects();
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_EQ(projects[0].name, "三");
    EXPECT_EQ(projects[2].name, "记账");
}

TEST(CatalogueDeletes, ProjectAndTableTakeTheirRowsWithThem) {
    auto catalogue = Catalogue::inMemory();
    catalogue.deleteTable(27);
    EXPECT_FALSE(catalogue.table(27));
    for (Id id = 158; id <= 162; ++id) EXPECT_FALSE(catalogue.field(id)) << id;
    EXPECT_TRUE(catalogue.field(163)) << "field 163 belongs to table 26";

    catalogue.deleteProject(4);
    EXPECT_TRUE(catalogue.projects().empty());
    EXPECT_TRUE(catalogue.allTables().empty());
    EXPECT_TRUE(catalogue.allFields().empty());
    EXPECT_EQ(catalogue.allTemplates().size(), 47u) << "templates belong to no project";
}

// A large catalogue file's fields are read by two connections; the rows must come back
// whole, once each and in id order, as one connection reads them.
TEST(CatalogueQueries, FieldsReadByTwoConnectionsMatchOneConnection) {
    TempFolder run;
    auto catalogue = Catalogue::openInRunFolder(run.path());
    NewDesign design{{0, "大项目", ""}, {}};
    for (Id t = 1; t <= 170; ++t) {
        NewTable table{{t, 0, "表" + std::to_string(t), ""}, {}};
        for (Id f = 1; f <= 30; ++f) {
            Field field;
            field.id = t * 100 + f;
            field.tableId = t;
            field.name = "字段" + std::to_string(f);
            field.type = f % 2 ? "文本" : "数字";
            field.description = f == 7 ? "" : "说明“" + std::to_string(f) + "”";
            field.order = 31 - f;
            field.inputType = "文本框";
            if (f == 3) field.linkTable = std::to_string(t);
            table.fields.push_back(field);
        }
        design.tables.push_back(std::move(table));
    }
    catalogue.addDesigns({{design}, {}, {}, false});
    // Gaps in the ids, around the middle too.
    const auto before = catalogue.allFields();
    ASSERT_GT(before.size(), 5000u);
    for (std::size_t i = before.size() / 2 - 40; i < before.size() / 2 + 40; i += 3)
        catalogue.deleteField(before[i].id);

    const auto one = catalogue.allFields(1);
    const auto two = catalogue.allFields(2);
    ASSERT_EQ(one.size(), before.size() - 27);
    ASSERT_EQ(two.size(), one.size());
    const auto row = [](const Field& f) {
        return std::tie(f.id, f.tableId, f.name, f.type, f.description, f.order, f.inputType, f.linkTable, f.linkField,
                        f.cascadeTable, f.cascadeField, f.cascadeCondition, f.cascadeDisplay);
    };
    for (std::size_t i = 0; i < one.size(); ++i) ASSERT_EQ(row(one[i]), row(two[i])) << "row " << i;

    // A catalogue in memory has no file for a second connection.
    EXPECT_EQ(Catalogue::inMemory().allFields(2).size(), Catalogue::inMemory().allFields(1).size());
}

TEST(CatalogueTemplates, ARowAddedAtATakenPositionGoesInFront) {
    auto catalogue = Catalogue::inMemory();
    const Id added = catalogue.addTemplate({0, "删除", "新行", 2});
    const auto rows = catalogue.templates("删除");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].id, added);
    EXPECT_EQ(rows[2].id, 21);
}

TEST(ParseId, OnlyDecimalTextIsAnId) {
    EXPECT_EQ(parseId("26"), 26);
    EXPECT_EQ(parseId("0"), 0);
    EXPECT_EQ(parseId(" 7 "), 7);
    EXPECT_FALSE(parseId(""));
    EXPECT_FALSE(parseId("abc"));
    EXPECT_FALSE(parseId("1.5"));
    EXPECT_FALSE(parseId("12abc"));
}

}  // namespace
}  // namespace tabulon::catalogue
