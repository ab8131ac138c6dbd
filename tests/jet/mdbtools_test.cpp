// Files read back by mdbtools: version, table list, schema with the Counter
// key, exported rows, row counts, and no warnings on stderr.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

using testing::SampleTable;

struct Output {
    int status = -1;
    std::string out, err;
};

std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class MdbTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "mdbtools is not installed (Debian package mdbtools)";
        }
    }

    Output run(const std::vector<std::string>& args) {
        std::string command;
        for (const auto& a : args) command += quote(a) + " ";
        const auto errFile = folder_.path() / "stderr.txt";
        command += "2>" + quote(errFile.string());
        Output result;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[65536];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
        result.status = pclose(pipe);
        std::ifstream err(errFile);
        result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return result;
    }

    std::filesystem::path save(const std::vector<SampleTable>& tables, const std::string& name) {
        const auto path = folder_.path() / name;
        testing::buildDatabase(tables).save(path);
        return path;
    }

    static std::string lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }

    static std::string schemaType(const Column& c) {
        switch (c.type) {
        case ColumnType::Text: return "VARCHAR (" + std::to_string(c.length) + ")";
        case ColumnType::Long:
        case ColumnType::Short: return "INTEGER";
        case ColumnType::Byte: return "SMALLINT";
        case ColumnType::Double: return "DOUBLE PRECISION";
        case ColumnType::Single: return "REAL";
        case ColumnType::Numeric:
            return "NUMERIC (" + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ")";
        case ColumnType::DateTime: return "TIMESTAMP WITHOUT TIME ZONE";
        case ColumnType::Memo: return "TEXT";
        case ColumnType::Boolean: return "BOOLEAN NOT NULL";
        case ColumnType::Currency: return "NUMERIC(15,2)";
        case ColumnType::LongBinary: return "BYTEA";
        }
        return {};
    }

    // The postgres schema mdbtools prints for one table (names lower-cased).
    static std::string expectedSchema(const TableDefinition& d) {
        const std::string table = lower(d.name);
        std::string out = "CREATE TABLE IF NOT EXISTS \"" + table + "\"\n (\n\t\"id\"\t\t\tSERIAL";
        for (const Column& c : d.columns) out += ", \n\t\"" + lower(c.name) + "\"\t\t\t" + schemaType(c);
        out += "\n);\n\n-- CREATE INDEXES ...\nALTER TABLE \"" + table + "\" ADD CONSTRAINT \"" + table +
               "_pkey\" PRIMARY KEY (\"id\");\n";
        return out;
    }

    static std::string expectedExport(const SampleTable& table) {
        std::string out = "id";
        for (const Column& c : table.definition.columns) out += "," + c.name;
        out += "\n";
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            out += std::to_string(r + 1);
            for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
                out += "," + testing::exportedText(table.definition.columns[c], table.rows[r][c]);
            }
            out += "\n";
        }
        return out;
    }

    void expectReadsBack(const std::vector<SampleTable>& tables, const std::filesystem::path& file) {
        const std::string path = file.string();
        const Output version = run({"mdb-ver", path});
        EXPECT_EQ(version.out, "JET4\n");

        std::string names;
        for (const auto& t : tables) names += t.definition.name + "\n";
        const Output list = run({"mdb-tables", "-1", path});
        EXPECT_EQ(list.out, names);
        EXPECT_EQ(list.err, "");

        const Output schema = run({"mdb-schema", "--indexes", path, "postgres"});
        EXPECT_EQ(schema.status, 0);
        for (const auto& t : tables) {
            EXPECT_NE(schema.out.find(expectedSchema(t.definition)), std::string::npos)
                << "schema of " << t.definition.name << " not found in:\n"
                << schema.out.substr(0, 3000);
        }

        for (const auto& t : tables) {
            const Output data = run({"mdb-export", "-0", "NULL", "-T", "%Y-%m-%d %H:%M:%S", path, t.definition.name});
            EXPECT_EQ(data.status, 0);
            EXPECT_EQ(data.err, "") << t.definition.name;
            EXPECT_EQ(data.out, expectedExport(t)) << t.definition.name;
            const Output count = run({"mdb-count", path, t.definition.name});
            EXPECT_EQ(count.out, std::to_string(t.rows.size()) + "\n");
        }
    }

    testing::ScratchFolder folder_;
};

TEST_F(MdbTools, ReadsTheHandWrittenSampleWithEveryType) {
    const auto sample = testing::handWrittenSample();
    expectReadsBack(sample, save(sample, "sample.mdb"));
    const Output system = run({"mdb-tables", "-S", "-1", (folder_.path() / "sample.mdb").string()});
    EXPECT_EQ(system.out, "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n产品信息\nUsers\n空表\n");
}

TEST_F(MdbTools, ReadsRandomDesigns) {
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto design = testing::randomDesign(seed);
        expectReadsBack(design, save(design, "random" + std::to_string(seed) + ".mdb"));
        if (HasFailure()) break;
    }
}

TEST_F(MdbTools, ReadsRowsAddedToAReopenedFile) {
    std::vector<SampleTable> design = {{{"用户", {{"帐号", ColumnType::Text}}}, {}}};
    const auto path = save(design, "login.mdb");
    for (const char* account : {"admin", "admin2"}) {
        Database db = Database::open(path);
        db.insert("用户", {{"帐号", std::string(account)}});
        db.save(path);
        design[0].rows.push_back({std::string(account)});
    }
    expectReadsBack(design, path);
}

TEST_F(MdbTools, ReadsCurrencyAndLongBinaryColumns) {
    Database db = Database::createEmpty();
    db.createTable({"附件", {{"价", ColumnType::Currency}, {"内容", ColumnType::LongBinary}}});
    std::string large;
    for (int i = 0; i < 5000; ++i) large += static_cast<char>('a' + i % 26);
    db.insert("附件", {{"价", std::string("12.3456")}, {"内容", std::string("\x01\x02\xfe", 3)}});
    db.insert("附件", {{"价", std::string("-922337203685477.5808")}, {"内容", large}});
    db.insert("附件", {});
    const auto path = (folder_.path() / "later.mdb").string();
    db.save(path);

    const Output schema = run({"mdb-schema", path, "postgres"});
    EXPECT_NE(schema.out.find("\"价\"\t\t\t" + schemaType({"", ColumnType::Currency})), std::string::npos)
        << schema.out;
    EXPECT_NE(schema.out.find("\"内容\"\t\t\t" + schemaType({"", ColumnType::LongBinary})), std::string::npos)
        << schema.out;
    const Output data = run({"mdb-export", "-0", "NULL", "-b", "hex", path, "附件"});
    EXPECT_EQ(data.err, "");
    std::string largeHex;
    for (char c : large) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
        largeHex += pair;
    }
    EXPECT_EQ(data.out,
              "id,价,内容\n1,12.3456,\"0102FE\"\n2,-922337203685477.5808,\"" + largeHex + "\"\n3,NULL,NULL\n");
}

}  // namespace
}  // namespace tabulon::jet
