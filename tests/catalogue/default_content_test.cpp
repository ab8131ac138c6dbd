// The content a new catalogue starts with.
#include <gtest/gtest.h>

#include <tuple>

#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"

namespace tabulon::catalogue {
namespace {

TEST(DefaultContent, SampleProjectWithItsFourTables) {
    const auto catalogue = Catalogue::inMemory();
    const auto projects = catalogue.projects();
    ASSERT_EQ(projects.size(), 1u);
    EXPECT_EQ(projects[0].id, 4);
    EXPECT_EQ(projects[0].name, "记账");
    EXPECT_EQ(projects[0].note, "");

    std::vector<std::pair<Id, std::string>> tables;
    for (const auto& table : catalogue.tables(4)) {
        tables.emplace_back(table.id, table.name);
        EXPECT_EQ(table.description, "") << "an empty 表说明 reads as empty text";
    }
    EXPECT_EQ(tables,
              (std::vector<std::pair<Id, std::string>>{{24, "用户"}, {25, "收支"}, {26, "消费类型"}, {27, "流水帐"}}));
}

TEST(DefaultContent, FieldsCarryTheirLinksAndCascades) {
    const auto catalogue = Catalogue::inMemory();
    const auto cascade = catalogue.field(158);
    ASSERT_TRUE(cascade);
    EXPECT_EQ(cascade->tableId, 27);
    EXPECT_EQ(cascade->inputType, "组合框");
    EXPECT_EQ(std::tie(cascade->linkTable, cascade->linkField, cascade->cascadeTable, cascade->cascadeField,
                       cascade->cascadeCondition, cascade->cascadeDisplay),
              std::make_tuple("25", "155", "26", "156", "163", "159"));

    const auto typeName = catalogue.field(156);
    ASSERT_TRUE(typeName);
    EXPECT_EQ(typeName->cascadeTable, "0");
    EXPECT_EQ(typeName->cascadeField, "0");
    EXPECT_EQ(typeName->linkTable, "") << "a field that never was a drop-down has empty link columns";

    const auto login = catalogue.field(152);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->description, "username");
    EXPECT_EQ(catalogue.field(153)->description, "password");

    std::size_t count = 0;
    for (Id table = 24; table <= 27; ++table) count += catalogue.fields(table, FieldOrder::ById).size();
    EXPECT_EQ(count, 12u);
}

TEST(DefaultContent, FieldsOfTheLedgerTableInPageOrder) {
    const auto catalogue = Catalogue::inMemory();
    std::vector<std::string> names;
    for (const auto& field : catalogue.fields(27, FieldOrder::ByOrderAscending)) names.push_back(field.name);
    EXPECT_EQ(names, (std::vector<std::string>{"收支", "消费类型", "名称", "金额", "日期"}));
}

// (ID, 排序, length of 内容 in characters) of every default template row.
struct TemplateFact {
    Id id;
    const char* kind;
    std::int64_t order;
    std::size_t length;
};

const TemplateFact kTemplateFacts[] = {
    {1, "添加", 1, 161},  {3, "添加", 2, 815},  {4, "添加", 3, 62},    {5, "添加", 4, 49},   {6, "添加", 5, 19},
    {7, "添加", 6, 532},  {8, "修改", 1, 161},  {9, "修改", 2, 586},   {14, "修改", 2, 231}, {10, "修改", 3, 62},
    {11, "修改", 4, 49},  {12, "修改", 5, 19},  {13, "修改", 6, 804},  {15, "删除", 1, 161}, {21, "删除", 2, 231},
    {20, "删除", 6, 20},  {22, "列表", 1, 161}, {34, "列表", 5, 138},  {25, "列表", 74, 29}, {26, "列表", 76, 22},
    {27, "列表", 78, 76}, {28, "列表", 80, 75}, {29, "列表", 82, 148}, {30, "列表", 84, 26}, {31, "列表", 86, 5},
    {32, "列表", 88, 96}, {40, "显示", 1, 58},  {41, "显示", 2, 519},  {46, "显示", 2, 229}, {42, "显示", 3, 62},
    {43, "显示", 4, 49},  {44, "显示", 5, 19},  {45, "显示", 6, 419},
};

std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (const unsigned char byte : text) count += (byte & 0xC0) != 0x80;
    return count;
}

TEST(DefaultContent, TemplateRowsWithGivenTextHaveTheirIdsPositionsAndLengths) {
    const auto catalogue = Catalogue::inMemory();
    for (const auto& fact : kTemplateFacts) {
        const auto row = catalogue.templateRow(fact.id);
        ASSERT_TRUE(row) << fact.id;
        EXPECT_EQ(row->kind, fact.kind) << fact.id;
        EXPECT_EQ(row->order, fact.order) << fact.id;
        EXPECT_EQ(characters(row->content), fact.length) << fact.id;
    }
}

TEST(DefaultContent, FortySevenTemplateRowsOfTenKinds) {
    const auto catalogue = Catalogue::inMemory();
    std::map<std::string, std::size_t> perKind;
    for (const auto& row : catalogue.allTemplates()) ++perKind[row.kind];
    EXPECT_EQ(catalogue.allTemplates().size(), 47u);
    EXPECT_EQ(perKind, (std::map<std::string, std::size_t>{{"添加", 6},
                                                           {"修改", 7},
                                                           {"删除", 3},
                                                           {"列表", 16},
                                                           {"显示", 7},
                                                           {"登录", 1},
                                                           {"菜单", 3},
                                                           {"导航", 2},
                                                           {"底部", 1},
                                                           {"桌面", 1}}));
}

TEST(DefaultContent, TitleRestComesBeforeFrameAtAnEqualPosition) {
    // 修改 and 显示 each hold a title-rest row and a frame row at 排序 2; the page needs
    // the title rest (it closes <title>) first.
    const auto catalogue = Catalogue::inMemory();
    for (const char* kind : {"修改", "显示"}) {
        const auto rows = catalogue.templates(kind);
        ASSERT_GE(rows.size(), 3u);
        EXPECT_EQ(rows[1].content.find(" - "), 0u) << kind << ": second row must be the title rest";
        EXPECT_NE(rows[2].content.find("<table"), std::string::npos) << kind << ": third row must be the frame";
    }
    const auto model = Snapshot::load(catalogue);
    EXPECT_EQ(model.templateRows("修改")[1], catalogue.templateRow(14)->content);
    EXPECT_EQ(model.templateRows("显示")[1], catalogue.templateRow(46)->content);
}

TEST(DefaultContent, AddTemplatesUseCrLfAndTabsExactly) {
    const auto catalogue = Catalogue::inMemory();
    const auto rows = catalogue.templates("添加");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[4].content, "\t</td>\r\n      </tr>");
    EXPECT_EQ(rows[3].content, "：</td>\r\n        <td width=\"75%\" class=\"category\">");
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.content.size(); ++i)
            if (row.content[i] == '\n') ASSERT_TRUE(i > 0 && row.content[i - 1] == '\r') << "bare LF in row " << row.id;
}

}  // namespace
}  // namespace tabulon::catalogue
