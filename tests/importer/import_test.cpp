// The import from file to catalogue and site database: relationships become drop-downs
// that list the related names and keep pointing at the right rows, ids stay and counters
// continue through ②, names a site cannot use are renamed and reported, an existing
// project is only replaced on request, a dry run writes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/messages.h"
#include "catalogue/catalogue.h"
#include "cli/commands.h"
#include "importer/import_plan.h"
#include "importer/import_run.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/system_tables.h"
#include "jet/row.h"
#include "jet/table_data.h"
#include "jet/values.h"
#include "tests/importer/staff_database.h"
#include "tests/support/temp_folder.h"

namespace tabulon::importer {
namespace {

namespace fs = std::filesystem;
using jet::ColumnType;
using jet::Value;

const catalogue::Field& fieldNamed(const std::vector<catalogue::Field>& fields, const std::string& name) {
    const auto found =
        std::find_if(fields.begin(), fields.end(), [&](const catalogue::Field& f) { return f.name == name; });
    if (found == fields.end()) throw std::runtime_error("no field " + name);
    return *found;
}

std::map<std::int64_t, std::vector<Value>> rowsById(const jet::FileData& data, const std::string& table) {
    std::map<std::int64_t, std::vector<Value>> rows;
    for (const jet::DataTable& t : data.tables) {
        if (t.name != table) continue;
        for (const auto& row : t.rows) rows[std::get<std::int64_t>(row[0])] = row;
    }
    return rows;
}

TEST(Import, RelationshipsBecomeDropDownsThatKeepPointingAtTheirRows) {
    testing::TempFolder run;
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    const ImportResult result = importFile(samples::writeStaffDatabase(run.path()), catalogue, run.path(), {});
    ASSERT_EQ(result.projectNames, std::vector<std::string>{"人事"});

    const auto project = catalogue.projectByName("人事");
    ASSERT_TRUE(project);
    const auto tables = catalogue.tables(project->id);
    ASSERT_EQ(tables.size(), 3u);
    const auto departments = catalogue.fields(tables[0].id, catalogue::FieldOrder::ByOrderAscending);
    const auto staff = catalogue.fields(tables[1].id, catalogue::FieldOrder::ByOrderAscending);
    ASSERT_EQ(staff.size(), 4u);
    EXPECT_EQ(staff[0].name, "姓名");
    EXPECT_EQ(staff[3].type, "日期时间");
    EXPECT_EQ(staff[3].inputType, "时间框");
    for (const std::string name : {"部门", "地区"}) {
        const auto& field = fieldNamed(staff, name);
        EXPECT_EQ(field.inputType, "组合框") << name;
        EXPECT_EQ(field.linkTable, std::to_string(tables[0].id)) << name;
        EXPECT_EQ(field.linkField, std::to_string(fieldNamed(departments, "名称").id)) << name;
    }

    // The drop-downs store the listed row's id: 地区 held 编码 values, now the ids of those rows.
    const auto data = jet::readFileData(testing::readFile(run.path() / "人事" / "data" / "data.mdb"));
    const auto people = rowsById(data, "员工");
    ASSERT_EQ(people.size(), 3u);
    EXPECT_EQ(people.at(1)[2], Value(std::int64_t{7}));
    EXPECT_EQ(people.at(1)[3], Value(std::int64_t{3}));
    EXPECT_EQ(people.at(4)[3], Value(std::int64_t{7}));
    EXPECT_EQ(people.at(5)[3], Value{});  // 999 names no department: reported, left empty
    EXPECT_EQ(people.at(1)[4], Value(jet::DateTime{2020, 5, 1}));
    EXPECT_EQ(rowsById(data, "部门").size(), 2u);
    const auto said = [&](const std::string& part) {
        return std::any_of(result.report.begin(), result.report.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(said("表 员工 字段 地区：1 个值没有带入"));
    EXPECT_TRUE(said("组合框，列出表 部门 的 名称"));
}

TEST(Import, TheFirstBuildKeepsIdsAndCountersContinue) {
    testing::TempFolder run;
    const fs::path source = samples::writeStaffDatabase(run.path());
    {
        auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
        importFile(source, catalogue, run.path(), {});
    }
    SilentMessages messages;
    ASSERT_EQ(cli::database(run.path(), "人事", messages), cli::kSuccess);
    auto site = jet::Database::open(run.path() / "人事" / "data" / "data.mdb");
    const auto rows = site.rows("员工");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[2].id, 5);
    EXPECT_EQ(site.insertValues("员工", {std::string("新人")}), 13);  // after the 12 Access handed out
    EXPECT_EQ(site.insertValues("部门", {std::string("新部门")}), 10);
}

TEST(Import, AnExistingProjectIsReplacedOnlyOnRequest) {
    testing::TempFolder run;
    const fs::path source = samples::writeStaffDatabase(run.path());
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    importFile(source, catalogue, run.path(), {});
    const auto first = catalogue.projectByName("人事");
    const std::string before = testing::readFile(run.path() / "人事" / "data" / "data.mdb");
    EXPECT_THROW(importFile(source, catalogue, run.path(), {}), Error);
    EXPECT_EQ(catalogue.projectByName("人事")->id, first->id);
    ImportOptions replace;
    replace.replace = true;
    const ImportResult again = importFile(source, catalogue, run.path(), replace);
    EXPECT_NE(catalogue.projectByName("人事")->id, first->id);
    EXPECT_EQ(catalogue.tables(first->id).size(), 0u);
    // The site database that was there stays, as a dated copy beside the new one.
    std::size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(run.path() / "人事" / "data"))
        if (entry.path().filename().string().starts_with("data-")) {
            ++copies;
            EXPECT_EQ(testing::readFile(entry.path()), before);
        }
    EXPECT_EQ(copies, 1u);

    // Again within the same second: a second copy under its own name, the first untouched,
    // and nothing else left in the folder.
    importFile(source, catalogue, run.path(), replace);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(run.path() / "人事" / "data"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names.size(), 3u) << names.back();
    EXPECT_EQ(names.back(), "data.mdb");
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_TRUE(names[i].starts_with("data-") && names[i].ends_with(".mdb")) << names[i];
        EXPECT_EQ(testing::readFile(run.path() / "人事" / "data" / names[i]), before) << names[i];
    }
}

TEST(Import, ADryRunTouchesNothing) {
    testing::TempFolder run;
    const fs::path source = samples::writeStaffDatabase(run.path());
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    const auto projects = catalogue.projects().size();
    ImportOptions dry;
    dry.dryRun = true;
    const ImportResult result = importFile(source, catalogue, run.path(), dry);
    EXPECT_FALSE(result.report.empty());
    EXPECT_EQ(result.written, std::vector<fs::path>{run.path() / "人事" / "data" / "data.mdb"});
    EXPECT_EQ(catalogue.projects().size(), projects);
    EXPECT_FALSE(fs::exists(run.path() / "人事"));
}

TEST(Import, TheCommandSaysWhatItDidInItsExitCode) {
    testing::TempFolder run;
    const fs::path source = samples::writeStaffDatabase(run.path());
    RecordedMessages messages;
    cli::ImportCommandOptions options{source.string(), "人事", false, false};
    EXPECT_EQ(cli::importDatabase(run.path(), options, messages), cli::kSuccess);
    EXPECT_EQ(messages.texts().front().rfind("导入 人事.mdb", 0), 0u) << messages.texts().front();
    EXPECT_EQ(cli::importDatabase(run.path(), options, messages), cli::kFailure);
    EXPECT_NE(messages.texts().back().find("已经存在"), std::string::npos);
    options.file = (run.path() / "没有这个文件.mdb").string();
    options.replace = true;
    EXPECT_EQ(cli::importDatabase(run.path(), options, messages), cli::kFailure);
}

TEST(Import, AFileThatIsNotAccessLosesNothing) {
    testing::TempFolder run;
    std::ofstream(run.path() / "notes.mdb") << std::string(8192, 'x');
    auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
    const auto projects = catalogue.projects().size();
    EXPECT_THROW(importFile(run.path() / "notes.mdb", catalogue, run.path(), {}), Error);
    EXPECT_EQ(catalogue.projects().size(), projects);
    EXPECT_FALSE(fs::exists(run.path() / "notes"));
}

// A source table in memory, for the design decisions alone.
SourceColumn column(std::string name, jet::JetType type, std::uint16_t number, std::uint16_t length = 0,
                    std::uint8_t flags = 0x02) {
    SourceColumn c;
    c.layout.name = std::move(name);
    c.layout.type = type;
    c.layout.number = number;
    c.layout.length = length;
    c.layout.flags = flags;
    return c;
}

TEST(ImportPlan, KeysNamesAndTypesAreMappedWithNothingLost) {
    SourceDatabase source;
    SourceTable orders;
    orders.name = "Order Items";
    orders.columns = {column("Order ID", jet::JetType::Long, 0),
                      column("date", jet::JetType::DateTime, 1),
                      column("id", jet::JetType::Text, 2, 20),
                      column("备注说明", jet::JetType::Text, 3, 400),
                      column("照片", jet::JetType::Ole, 4),
                      column("Price", jet::JetType::Currency, 5),
                      column("附件", static_cast<jet::JetType>(kComplexType), 6)};
    orders.columns[1].description = "下单日期";
    orders.columns[3].description = std::string(60 * 3, '\0');
    for (std::size_t i = 0; i < 60; ++i) orders.columns[3].description.replace(3 * i, 3, "说");
    orders.shape.primaryKey = {0};  // a whole number, but not an autonumber
    source.tables.push_back(orders);
    const ImportPlan plan = planImport(source);
    ASSERT_EQ(plan.tables.size(), 1u);
    const PlannedTable& table = plan.tables[0];
    EXPECT_EQ(table.name, "OrderItems");
    EXPECT_EQ(table.idColumn, -1);
    std::vector<std::string> names, types, inputs;
    for (const auto& f : table.fields) {
        names.push_back(f.name);
        types.push_back(f.type);
        inputs.push_back(f.inputType);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"OrderID", "date", "id_2", "备注说明", "照片", "Price"}));
    EXPECT_EQ(types, (std::vector<std::string>{"长整型", "日期时间", "文本", "长文本", "二进制", "货币"}));
    EXPECT_EQ(inputs, (std::vector<std::string>{"文本框", "时间框", "文本框", "文本框", "", "文本框"}));
    EXPECT_EQ(table.fields[1].description, "下单日期");
    EXPECT_EQ(table.fields[3].description.size(), 50u * 3);  // 字段说明 holds 50 characters
    EXPECT_EQ(table.droppedColumns, std::vector<std::size_t>{6});
    for (const std::string expected : {"表 Order Items 改名为 OrderItems", "加上自动编号字段 id",
                                       "照片：OLE 对象数据留在数据库中", "附件：附件、多值或历史记录字段"}) {
        EXPECT_TRUE(std::any_of(plan.report.begin(), plan.report.end(), [&](const std::string& line) {
            return line.find(expected) != std::string::npos;
        })) << expected;
    }
    // A reserved word stands in brackets in every generated statement: it keeps its name.
    EXPECT_TRUE(std::none_of(plan.report.begin(), plan.report.end(),
                             [](const std::string& line) { return line.find("字段 date 改名") != std::string::npos; }));
    // Every planned name is one the site and Jet take, and no two clash.
    for (const auto& f : table.fields) EXPECT_EQ(usableName(f.name, false, {}), f.name);
}

}  // namespace
}  // namespace tabulon::importer
