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

}  // namespace
}  // namespace tabulon::generator
