// Every Access file the real engine wrote in ../shared/docs/jet4-reference/access-made
// (Jet 3, Jet 4, ACE 12 and 14) read by the import and compared with mdbtools: the tables,
// each table's columns and row count, and the values of its text and whole-number columns,
// row by row. Skipped, saying why, when that folder or mdbtools is absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "catalogue/catalogue.h"
#include "importer/import_plan.h"
#include "importer/import_run.h"
#include "importer/page_file.h"
#include "importer/source_reader.h"
#include "jet/error.h"
#include "jet/table_data.h"
#include "tests/support/temp_folder.h"

namespace tabulon::importer {
namespace {

namespace fs = std::filesystem;

// ../shared beside the checkout; TABULON_SHARED_DIR names it for a checkout elsewhere.
fs::path referenceFolder() {
    const char* shared = std::getenv("TABULON_SHARED_DIR");
    const fs::path root = shared ? fs::path(shared) : fs::path(TABULON_SOURCE_DIR) / ".." / "shared";
    return root / "docs/jet4-reference/access-made";
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<fs::path> referenceFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(referenceFolder())) {
        const auto extension = entry.path().extension();
        if (extension == ".mdb" || extension == ".accdb") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string shown(const jet::Value& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    return "";
}

bool comparable(const jet::ColumnLayout& column) {
    using jet::JetType;
    return column.type == JetType::Text || column.type == JetType::Byte || column.type == JetType::Integer ||
           column.type == JetType::Long;
}

TEST(ImportReferenceFiles, TablesColumnsRowsAndValuesMatchMdbtools) {
    if (!fs::exists(referenceFolder())) GTEST_SKIP() << "../shared/docs/jet4-reference is absent (a clone elsewhere)";
    if (run("command -v mdb-export").empty()) GTEST_SKIP() << "mdbtools is not installed";
    std::size_t files = 0, valuesCompared = 0;
    for (const fs::path& path : referenceFiles()) {
        SCOPED_TRACE(path.filename().string());
        auto file = PageFile::open(path, 16);
        const SourceDatabase source = readSource(file);
        std::vector<std::string> theirs;
        for (const std::string& name : split(run("mdb-tables -1 " + quoted(path)), '\n'))
            if (!name.starts_with("MSys")) theirs.push_back(name);
        std::vector<std::string> ours;
        for (const SourceTable& table : source.tables) ours.push_back(table.name);
        EXPECT_EQ(ours, theirs);
        for (const SourceTable& table : source.tables) {
            SCOPED_TRACE(table.name);
            // Unit separator and record separator: no value of these files holds them.
            const std::string exported =
                run("mdb-export -b strip -Q -d '\x1f' -R '\x1e' " + quoted(path) + " '" + table.name + "' 2>/dev/null");
            const auto lines = split(exported, '\x1e');
            ASSERT_FALSE(lines.empty());
            std::vector<std::string> header;
            for (const auto& column : table.columns) header.push_back(column.layout.name);
            EXPECT_EQ(split(lines[0], '\x1f'), header);
            const std::size_t count = std::stoul("0" + run("mdb-count " + quoted(path) + " '" + table.name + "'"));
            // Rows compared as sets: mdbtools lists a moved row where it was, we where it lives now.
            std::size_t row = 0;
            std::vector<std::string> ourRows, theirRows;
            forEachSourceRow(file, table, [&](const SourceRow& values) {
                ++row;
                std::string line;
                for (std::size_t c = 0; c < table.columns.size(); ++c)
                    if (comparable(table.columns[c].layout)) line += shown(values.values[c]) + "|", ++valuesCompared;
                ourRows.push_back(line);
            });
            for (std::size_t r = 1; r < lines.size(); ++r) {
                auto cells = split(lines[r], '\x1f');
                cells.resize(table.columns.size());
                std::string line;
                for (std::size_t c = 0; c < table.columns.size(); ++c)
                    if (comparable(table.columns[c].layout)) line += cells[c] + "|";
                theirRows.push_back(line);
            }
            std::sort(ourRows.begin(), ourRows.end());
            std::sort(theirRows.begin(), theirRows.end());
            EXPECT_EQ(ourRows, theirRows);
            EXPECT_EQ(ourRows.size(), count);
            // Text properties of the columns (where descriptions live) as mdb-prop lists them.
            std::map<std::string, std::map<std::string, std::string>> theirProperties, ourProperties;
            std::string object;
            for (const std::string& line : split(run("mdb-prop " + quoted(path) + " '" + table.name + "'"), '\n')) {
                if (line.starts_with("name: ")) object = line.substr(6);
                const auto colon = line.find(": ");
                if (!line.starts_with("\t") || colon == std::string::npos || object == "(none)") continue;
                const std::string key = line.substr(1, colon - 1);
                if (key == "Format" || key == "DefaultValue" || key == "Description" || key == "Caption")
                    theirProperties[object][key] = line.substr(colon + 2);
            }
            for (const SourceColumn& column : table.columns)
                for (const auto& [key, value] : column.textProperties)
                    if (key == "Format" || key == "DefaultValue" || key == "Description" || key == "Caption")
                        ourProperties[column.layout.name][key] = value;
            EXPECT_EQ(ourProperties, theirProperties);
            EXPECT_EQ(row + 1, lines.size());
        }
        ++files;
    }
    EXPECT_EQ(files, 17u);
    EXPECT_GT(valuesCompared, 100u);
}

// Imported whole: every row of every table of every file in the site database the import
// writes, each value as the source holds it (decimals beyond 小数 as their exact text).
TEST(ImportReferenceFiles, EveryRowAndValueComesOverExactly) {
    if (!fs::exists(referenceFolder())) GTEST_SKIP() << "../shared/docs/jet4-reference is absent (a clone elsewhere)";
    std::size_t valuesCompared = 0;
    for (const fs::path& path : referenceFiles()) {
        SCOPED_TRACE(path.filename().string());
        tabulon::testing::TempFolder run;
        auto catalogue = catalogue::Catalogue::inMemory();
        const ImportResult result = importFile(path, catalogue, run.path(), {});
        auto file = PageFile::open(path, 16);
        const SourceDatabase source = readSource(file);
        const ImportPlan plan = planImport(source);
        const auto written =
            jet::readFileData(tabulon::testing::readFile(run.path() / result.projectNames[0] / "data" / "data.mdb"));
        ASSERT_EQ(written.tables.size(), plan.tables.size());
        for (std::size_t t = 0; t < plan.tables.size(); ++t) {
            const PlannedTable& planned = plan.tables[t];
            const jet::DataTable& out = written.tables[t];
            SCOPED_TRACE(planned.name);
            ASSERT_EQ(out.name, planned.name);
            std::map<std::int64_t, const std::vector<jet::Value>*> byId;
            for (const auto& row : out.rows) byId[std::get<std::int64_t>(row[0])] = &row;
            std::int64_t next = 0;
            std::size_t rows = 0;
            forEachSourceRow(file, source.tables[planned.sourceTable], [&](const SourceRow& row) {
                ++rows;
                const std::int64_t id =
                    planned.idColumn < 0
                        ? ++next
                        : std::get<std::int64_t>(row.values[static_cast<std::size_t>(planned.idColumn)]);
                ASSERT_TRUE(byId.count(id)) << "id " << id;
                const auto& values = *byId.at(id);
                for (std::size_t f = 0; f < planned.fields.size(); ++f) {
                    const jet::Value& expected = row.values[planned.fields[f].sourceColumn];
                    EXPECT_EQ(values[out.columns[f + 1].number], expected)
                        << "id " << id << " field " << planned.fields[f].name;
                    ++valuesCompared;
                }
            });
            EXPECT_EQ(rows, out.rows.size());
        }
    }
    EXPECT_GT(valuesCompared, 500u);
}

}  // namespace
}  // namespace tabulon::importer
