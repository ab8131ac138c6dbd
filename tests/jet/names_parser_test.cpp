// Name rules and the CREATE statement form.
#include <gtest/gtest.h>

#include "jet/database.h"
#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

std::string problem(std::string_view name, NameKind kind) { return nameProblem(name, kind).value_or("OK"); }

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

TEST(NameRules, AcceptLatinAndChineseNamesUpToSixtyFourCharacters) {
    for (NameKind kind : {NameKind::Table, NameKind::Column}) {
        EXPECT_EQ(problem("Users", kind), "OK");
        EXPECT_EQ(problem("产品信息", kind), "OK");
        EXPECT_EQ(problem("用户_2024", kind), "OK");
        EXPECT_EQ(problem(std::string(64, 'a'), kind), "OK");
        std::string chinese;
        for (int i = 0; i < 64; ++i) chinese += "表";
        EXPECT_EQ(problem(chinese, kind), "OK");
        EXPECT_EQ(problem(chinese + "表", kind), "名称超过 64 个字符");
    }
}

TEST(NameRules, ExplainForbiddenCharactersInChinese) {
    for (NameKind kind : {NameKind::Table, NameKind::Column}) {
        EXPECT_EQ(problem("a!b", kind), "名称含有 Jet 不允许的字符“!”");
        EXPECT_EQ(problem("a.b", kind), "名称含有 Jet 不允许的字符“.”");
        EXPECT_EQ(problem("[x", kind), "名称含有 Jet 不允许的字符“[”");
        EXPECT_EQ(problem("x]", kind), "名称含有 Jet 不允许的字符“]”");
        EXPECT_EQ(problem("a`b", kind), "名称含有 Jet 不允许的字符“`”");
        EXPECT_EQ(problem("a\tb", kind), "名称含有控制字符");
        EXPECT_EQ(problem(" a", kind), "名称不能以空格开头");
        EXPECT_EQ(problem("", kind), "名称不能为空");
        EXPECT_EQ(problem("\xFF", kind), "名称不是有效的 UTF-8 文本");
    }
}

TEST(NameRules, TableNamesAreStricterThanColumnNames) {
    EXPECT_EQ(problem("单价 元", NameKind::Column), "OK");
    EXPECT_EQ(problem("单价-元", NameKind::Column), "OK");
    EXPECT_NE(problem("a b", NameKind::Table).find("空格"), std::string::npos);
    EXPECT_NE(problem("a-b", NameKind::Table).find("“-”"), std::string::npos);
    EXPECT_NE(problem("表《一》", NameKind::Table).find("“《”"), std::string::npos);
    EXPECT_NE(problem("Order", NameKind::Table).find("关键字"), std::string::npos);
    EXPECT_NE(problem("select", NameKind::Table).find("关键字"), std::string::npos);
    EXPECT_EQ(problem("Orders", NameKind::Table), "OK");
    EXPECT_EQ(problem("Order", NameKind::Column), "OK") << "column names are always bracketed";
}

TEST(NameRules, FoldKeyLowersLettersMapsFullWidthFormsAndRefusesBadUtf8) {
    EXPECT_EQ(nameFoldKey("UserName"), "username");
    EXPECT_EQ(nameFoldKey("\xEF\xBC\xA1\xEF\xBD\x82\xEF\xBC\x81"), "ab!") << "Ａｂ！";
    EXPECT_EQ(nameFoldKey("\xEF\xBD\x9E\xEF\xBD\x9F"), "~\xEF\xBD\x9F") << "the forms end at U+FF5E";
    EXPECT_EQ(nameFoldKey("字段Ｉｄ😀X"), "字段id😀x");
    EXPECT_EQ(nameFoldKey("ÄÖ"), "ÄÖ") << "only ASCII letters fold";
    EXPECT_EQ(nameFoldKey("Ａ"), nameFoldKey("a"));
    EXPECT_EQ(nameFoldKey(""), "");
    for (const char* bad :
         {"a\xFF", "A\xE5\xAD", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE5\x41\x41"})
        EXPECT_EQ(nameFoldKey(bad), "") << bad;
}

TEST(DefinitionRules, NameTheTableColumnAndRule) {
    auto check = [](const TableDefinition& d) { return errorOf([&] { checkDefinition(d); }); };
    EXPECT_EQ(check({"客户", {{"名称", ColumnType::Text}, {"名称", ColumnType::Long}}}),
              "表 客户 / 字段 名称: 字段名重复");
    EXPECT_EQ(check({"客户", {{"Name", ColumnType::Text}, {"nAME", ColumnType::Long}}}),
              "表 客户 / 字段 nAME: 字段名重复");
    EXPECT_EQ(check({"客户", {{"ID", ColumnType::Long}}}), "表 客户 / 字段 ID: 字段名与自动编号主键 id 重复");
    EXPECT_EQ(check({"客户", {{"a!", ColumnType::Long}}}), "表 客户 / 字段 a!: 名称含有 Jet 不允许的字符“!”");
    EXPECT_EQ(check({"客 户", {}}).rfind("表 客 户: 表名不能含有空格", 0), 0u);
    EXPECT_NE(check({"t", {{"x", ColumnType::Text, 256}}}).find("文本长度 256"), std::string::npos);
    EXPECT_NE(check({"t", {{"x", ColumnType::Numeric, 50, 29, 2}}}).find("精度 29"), std::string::npos);
    EXPECT_NE(check({"t", {{"x", ColumnType::Numeric, 50, 4, 5}}}).find("小数位数 5"), std::string::npos);
    EXPECT_EQ(check({"t", {{"x", ColumnType::Text, 255}, {"y", ColumnType::Numeric, 50, 28, 0}}}), "no error");

    TableDefinition wide{"宽表", {}};
    for (int i = 0; i < 240; ++i) wide.columns.push_back({"n" + std::to_string(i), ColumnType::Numeric});
    EXPECT_NE(check(wide).find("4060"), std::string::npos);
}

TEST(DefinitionRules, RepeatsAreFoundAfterEveryEarlierColumnPassed) {
    auto check = [](const TableDefinition& d) { return errorOf([&] { checkDefinition(d); }); };
    EXPECT_EQ(check({"t", {{"a"}, {"b"}, {"Ｂ"}, {"A"}}}), "表 t / 字段 Ｂ: 字段名重复");
    EXPECT_EQ(check({"t", {{"a"}, {"x", ColumnType::Text, 0}, {"a"}}}).find("表 t / 字段 x: 文本长度 0"), 0u);
    EXPECT_EQ(check({"t", {{"a"}, {"b!"}, {"a"}}}), "表 t / 字段 b!: 名称含有 Jet 不允许的字符“!”");
    EXPECT_EQ(check({"t", {{"a"}, {"A"}, {"Id"}}}), "表 t / 字段 A: 字段名重复");
}

TEST(DefinitionRules, FirstEqualKeysPointsEachKeyAtItsFirstOccurrence) {
    EXPECT_EQ(firstEqualKeys({}), std::vector<std::size_t>{});
    EXPECT_EQ(firstEqualKeys({"a", "b", "a", "c", "b", "a"}), (std::vector<std::size_t>{0, 1, 0, 3, 1, 0}));
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back("k" + std::to_string(i % 97));
    const auto first = firstEqualKeys(many);
    for (std::size_t i = 0; i < many.size(); ++i) ASSERT_EQ(first[i], i % 97) << i;
}

TEST(DefinitionRules, CheckedDesignKeepsTheLayoutItChecked) {
    const TableDefinition design{"t", {{"名称"}, {"数量", ColumnType::Long}, {"备注", ColumnType::Memo}}};
    const CheckedDesign checked = checkedDesign(design);
    EXPECT_EQ(checked.layout.columns.size(), 4u);
    EXPECT_EQ(definitionFromLayout("t", checked.layout), design);
    // Column count, the id and 数量 in the fixed area, two variable offsets, end, count, null mask.
    EXPECT_EQ(checked.emptyRowSize, 2u + 8u + (2u + 2u * 2u + 2u) + 1u);
}

TEST(CreateStatement, ParsesEveryTypeWord) {
    const TableDefinition d = parseCreateTable(
        "create Table 产品([id] Counter PRIMARY KEY,[名称]  VarChar(50),[数量]  integer,[序号]  short,[价格]  double,"
        "[比率]  real,[等级]  byte,[金额]  NUMERIC(6,2),[日期]  datetime,[备注]  memo,[启用]  bit,[编码]  VarChar(8),"
        "[大数]  NUMERIC(18,0))");
    const TableDefinition expected{"产品",
                                   {{"名称", ColumnType::Text},
                                    {"数量", ColumnType::Long},
                                    {"序号", ColumnType::Short},
                                    {"价格", ColumnType::Double},
                                    {"比率", ColumnType::Single},
                                    {"等级", ColumnType::Byte},
                                    {"金额", ColumnType::Numeric},
                                    {"日期", ColumnType::DateTime},
                                    {"备注", ColumnType::Memo},
                                    {"启用", ColumnType::Boolean},
                                    {"编码", ColumnType::Text, 8},
                                    {"大数", ColumnType::Numeric, 50, 18, 0}}};
    EXPECT_EQ(d, expected);
}

TEST(CreateStatement, AcceptsKeywordCaseWhitespaceBracketsAndNoFields) {
    EXPECT_EQ(parseCreateTable("create Table X([id] Counter PRIMARY KEY)"), (TableDefinition{"X", {}}));
    EXPECT_EQ(parseCreateTable("CREATE table [My_T] ( [ID] counter primary key , [a b]\tVARCHAR ( 10 ) ) ;"),
              (TableDefinition{"My_T", {{"a b", ColumnType::Text, 10}}}));
    EXPECT_EQ(parseCreateTable("create Table T([id] Counter PRIMARY KEY,[x]\n\nMemo)").columns.at(0).type,
              ColumnType::Memo);
}

TEST(CreateStatement, ReportsWhereItStopsMakingSense) {
    EXPECT_EQ(errorOf([] { parseCreateTable("create Table T([id] Counter PRIMARY KEY,[x]  text)"); }),
              "建表语句无法解析: 字段 x 的类型“text”不受支持（可用 VarChar(n)、integer、short、double、real、byte、"
              "NUMERIC(p,s)、datetime、memo、bit、Currency、LongBinary）（第 46 个字符处：“RY KEY,[x]  text)”）");
    EXPECT_NE(errorOf([] { parseCreateTable("create Table 表([编号] Counter PRIMARY KEY)"); }).find("此处应为id 字段"),
              std::string::npos);
    EXPECT_NE(errorOf([] { parseCreateTable("create Table T([id] Counter PRIMARY KEY,[x]  memo"); }).find("“)”"),
              std::string::npos);
    EXPECT_NE(errorOf([] { parseCreateTable("create Table T([id] Counter PRIMARY KEY) extra"); }).find("多余内容"),
              std::string::npos);
    EXPECT_NE(errorOf([] { parseCreateTable("drop Table T"); }).find("关键字 create"), std::string::npos);
    EXPECT_NE(errorOf([] { parseCreateTable("create Table T([id] Counter PRIMARY KEY,[x  memo)"); }).find("“]”"),
              std::string::npos);
}

TEST(CreateStatement, WritesWhatItReadsForRandomDesigns) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        for (const auto& table : testing::randomDesign(seed)) {
            const std::string statement = createTableStatement(table.definition);
            EXPECT_EQ(parseCreateTable(statement), table.definition) << statement;
        }
    }
    EXPECT_EQ(createTableStatement({"T", {{"名称", ColumnType::Text}, {"金额", ColumnType::Numeric}}}),
              "create Table T([id] Counter PRIMARY KEY,[名称]  VarChar(50),[金额]  NUMERIC(6,2))");
}

}  // namespace
}  // namespace tabulon::jet
