// Property: whatever the design and its rows (seeded), a file that Jet has changed
// (rows deleted and moved) regenerated with the same design holds exactly the same
// rows with the same ids, and mdbtools reads them from the new file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "generator/database/data_carry.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

using jet::testing::SampleTable;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

TEST(CarryProperty, TheSameDesignGivesTheSameRows) {
    const bool haveMdbtools = std::system("command -v mdb-export >/dev/null 2>&1") == 0;
    testing::TempFolder folder;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto design = jet::testing::randomDesign(seed);
        const jet::Database original = jet::testing::buildDatabase(design);
        jet::testing::JetEdits edits(original.bytes());
        std::map<std::string, std::set<std::int32_t>> gone;
        for (const SampleTable& table : design) {
            const auto count = static_cast<std::int32_t>(table.rows.size());
            if (count >= 3) {
                edits.deleteRow(table.definition.name, 2);
                edits.moveRow(table.definition.name, count);
                gone[table.definition.name].insert(2);
            }
        }

        jet::Database fresh = jet::Database::createEmpty();
        for (const SampleTable& table : design) fresh.createTable(table.definition);
        const CarryReport report = carryRows(jet::readFileData(edits.bytes()), fresh);
        EXPECT_FALSE(report.leftSomethingBehind());
        const jet::Database reread = jet::Database::fromBytes(fresh.bytes());

        const auto path = folder.path() / ("carried" + std::to_string(seed) + ".mdb");
        fresh.save(path);
        for (const SampleTable& table : design) {
            const std::string& name = table.definition.name;
            std::vector<jet::Row> expected;
            for (auto& row : original.rows(name))
                if (!gone[name].count(row.id)) expected.push_back(row);
            const auto rows = reread.rows(name);
            ASSERT_EQ(rows.size(), expected.size()) << name;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                EXPECT_EQ(rows[r].id, expected[r].id) << name;
                EXPECT_EQ(rows[r].values, expected[r].values) << name << " id " << rows[r].id;
            }
            if (!haveMdbtools) continue;
            // mdb-export prints the id first on every line; ids come in file order.
            const std::string out = run("mdb-export -H '" + path.string() + "' '" + name + "' 2>&1");
            std::vector<std::string> ids;
            std::size_t start = 0;
            while (start < out.size()) {
                const std::size_t end = out.find('\n', start);
                const std::string line = out.substr(start, end - start);
                ids.push_back(line.substr(0, line.find(',')));
                start = end == std::string::npos ? out.size() : end + 1;
            }
            // Memos may hold line breaks; every row still starts a line with its id.
            std::size_t found = 0;
            for (const auto& row : expected)
                found += std::count(ids.begin(), ids.end(), std::to_string(row.id)) > 0 ? 1 : 0;
            EXPECT_EQ(found, expected.size()) << name << ": " << out.substr(0, 200);
        }
    }
}

// Rows decoded one at a time from the file come over exactly as rows decoded all at once:
// the same file, byte for byte, and the same report.
TEST(CarryProperty, RowsDecodedOneAtATimeComeOverTheSame) {
    for (std::uint32_t seed = 20; seed <= 27; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto design = jet::testing::randomDesign(seed);
        jet::testing::JetEdits edits(jet::testing::buildDatabase(design).bytes());
        for (const SampleTable& table : design) {
            const auto count = static_cast<std::int32_t>(table.rows.size());
            if (count >= 3) {
                edits.deleteRow(table.definition.name, 1);
                edits.moveRow(table.definition.name, count);
            }
        }
        // The new design drops the first table and the last column of the others.
        jet::Database whole = jet::Database::createEmpty(), lazy = jet::Database::createEmpty();
        for (std::size_t t = 1; t < design.size(); ++t) {
            jet::TableDefinition definition = design[t].definition;
            if (!definition.columns.empty()) definition.columns.pop_back();
            whole.createTable(definition);
            lazy.createTable(definition);
        }
        const std::string bytes = edits.bytes();
        const CarryReport fromWhole = carryRows(jet::readFileData(bytes), whole);
        const CarryReport fromLazy = carryRows(jet::readFileRows(bytes), lazy);
        EXPECT_EQ(fromLazy.lines(), fromWhole.lines());
        EXPECT_EQ(fromLazy.rowsCarried(), fromWhole.rowsCarried());
        EXPECT_EQ(lazy.bytes(), whole.bytes());
    }
}

// A memo whose pages are damaged is found when its row is decoded: the table and page are
// named, as when the whole file is decoded at once.
TEST(CarryProperty, ADamagedMemoIsFoundWhenItsRowIsCarried) {
    const auto sample = jet::testing::handWrittenSample();
    std::string bytes = jet::testing::buildDatabase(sample).bytes();
    std::size_t memo = std::string::npos;
    for (std::size_t at = 16 * 4096; at < bytes.size(); at += 4096)
        if (bytes[at] == 0x01 && bytes.compare(at + 4, 4, "LVAL") == 0) memo = at;  // a long value page
    ASSERT_NE(memo, std::string::npos) << "the sample should hold a memo on a page of its own";
    bytes[memo + 12] = '\x7F';  // the row count runs past the page
    bytes[memo + 13] = '\x7F';
    const jet::FileRows rows = jet::readFileRows(bytes);
    jet::Database fresh = jet::Database::createEmpty();
    for (const SampleTable& table : sample) fresh.createTable(table.definition);
    try {
        carryRows(rows, fresh);
        ADD_FAILURE() << "the damaged memo was not found";
    } catch (const jet::Error& e) {
        EXPECT_NE(std::string(e.what()).find("页"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("表 "), std::string::npos) << e.what();
    }
    EXPECT_THROW(jet::readFileData(bytes), jet::Error);
}

// Rows that share an id (a file Jet never writes, but a damaged one may hold): the first in
// file order comes over, each later one is reported, and rows without an id follow.
TEST(CarryProperty, ARepeatedIdKeepsTheFirstRowAndReportsTheOthers) {
    jet::DataTable old;
    old.name = "表一";
    old.columns.push_back({"编号", jet::JetType::Long, 0});
    old.columns.back().flags = jet::column_flag::kAutoNumber | jet::column_flag::kFixed;
    old.columns.push_back({"名称", jet::JetType::Text, 1});
    auto row = [](jet::Value id, const char* name) { return std::vector<jet::Value>{id, std::string(name)}; };
    old.rows = {row(std::int64_t{5}, "五"), row(std::int64_t{2}, "二"),   row(std::int64_t{5}, "又五"),
                row(jet::Value{}, "无"),    row(std::int64_t{2}, "又二"), row(std::int64_t{5}, "再五")};
    jet::FileData data;
    data.tables.push_back(old);
    jet::Database fresh = jet::Database::createEmpty();
    fresh.execute("create Table 表一([id] Counter PRIMARY KEY,[名称]  VarChar(50))");
    const CarryReport report = carryRows(data, fresh);
    ASSERT_EQ(report.tables.size(), 1u);
    EXPECT_EQ(report.tables[0].rowsCarried, 3u);
    EXPECT_EQ(report.tables[0].rowsNotCarried,
              (std::vector<std::string>{"id=2：id 重复", "id=5：id 重复", "id=5：id 重复"}));
    const auto rows = fresh.rows("表一");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 2);
    EXPECT_EQ(rows[0].values[0], jet::Value(std::string("二")));
    EXPECT_EQ(rows[1].id, 5);
    EXPECT_EQ(rows[1].values[0], jet::Value(std::string("五")));
    EXPECT_EQ(rows[2].id, 6);
    EXPECT_EQ(rows[2].values[0], jet::Value(std::string("无")));
}

}  // namespace
}  // namespace tabulon::generator
