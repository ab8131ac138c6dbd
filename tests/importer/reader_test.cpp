// The import's reader against files our writer makes: every column type read back as
// written, deleted and moved rows, both kinds of page map, and files that must be refused
// (damaged, truncated, encrypted, password-protected, of an unknown version) refused with
// a message and nothing else.
#include <gtest/gtest.h>

#include <set>

#include "importer/page_file.h"
#include "importer/source_reader.h"
#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"

namespace tabulon::importer {
namespace {

using jet::Value;
using jet::testing::JetEdits;

struct ReadBack {
    SourceDatabase source;
    std::map<std::string, std::vector<std::vector<Value>>> rows;  // by table; values by column
};

ReadBack readAll(std::string bytes, std::size_t cachedPages = 8) {
    auto file = PageFile::fromBytes(std::move(bytes), cachedPages);
    ReadBack out{readSource(file), {}};
    for (const SourceTable& table : out.source.tables) {
        out.rows[table.name];
        forEachSourceRow(file, table, [&](const SourceRow& row) {
            EXPECT_TRUE(row.problems.empty()) << table.name;
            out.rows[table.name].push_back(row.values);
        });
    }
    return out;
}

// What the writer's own reader (checked against mdbtools and mdb-reader) finds.
std::map<std::string, std::vector<std::vector<Value>>> expected(const std::string& bytes) {
    std::map<std::string, std::vector<std::vector<Value>>> out;
    for (const jet::DataTable& table : jet::readFileData(bytes).tables) {
        auto& rows = out[table.name];
        for (const auto& row : table.rows) {
            std::vector<Value> values;
            for (const auto& column : table.columns) values.push_back(row[column.number]);
            rows.push_back(values);
        }
    }
    return out;
}

TEST(ImportReader, EveryColumnTypeComesBackAsWritten) {
    const std::string bytes = jet::testing::buildDatabase(jet::testing::handWrittenSample()).bytes();
    // A cache of 8 pages over a file of many more: values must not depend on what is cached.
    const ReadBack back = readAll(bytes, 8);
    ASSERT_EQ(back.source.tables.size(), 3u);
    EXPECT_EQ(back.source.format.version, FileVersion::Jet4);
    EXPECT_EQ(back.rows, expected(bytes));
    const SourceTable& products = back.source.tables[0];
    EXPECT_EQ(products.name, "产品信息");
    ASSERT_EQ(products.columns.size(), 12u);
    EXPECT_TRUE(products.columns[0].autoNumber());
    EXPECT_EQ(products.shape.primaryKey, std::vector<std::uint16_t>{0});
    EXPECT_EQ(products.columns[7].layout.precision, 6);
    EXPECT_EQ(products.columns[7].layout.scale, 2);
    // The 9000-character memo is a chain of long-value rows.
    EXPECT_GT(std::get<std::string>(back.rows.at("产品信息")[1][9]).size(), 9000u);
}

TEST(ImportReader, RandomDesignsMatchTheWritersReader) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string bytes = jet::testing::buildDatabase(jet::testing::randomDesign(seed)).bytes();
        EXPECT_EQ(readAll(bytes).rows, expected(bytes)) << "seed " << seed;
    }
}

TEST(ImportReader, DeletedRowsAreSkippedAndMovedRowsFollowed) {
    jet::testing::SampleTable notes{{"笔记", {{"标题", jet::ColumnType::Text}, {"数", jet::ColumnType::Short}}}, {}};
    for (int i = 1; i <= 400; ++i) notes.rows.push_back({std::string("t") + std::to_string(i), std::int64_t{i}});
    JetEdits edits(jet::testing::buildDatabase({notes}).bytes());
    edits.deleteRow("笔记", 5);
    edits.deleteRow("笔记", 399);
    edits.moveRow("笔记", 100);
    edits.moveRow("笔记", 7);
    edits.useReferenceMap("笔记");
    const ReadBack back = readAll(edits.bytes());
    const auto& rows = back.rows.at("笔记");
    ASSERT_EQ(rows.size(), 398u);
    std::set<std::int64_t> ids;
    for (const auto& row : rows) ids.insert(std::get<std::int64_t>(row[0]));
    EXPECT_EQ(ids.size(), 398u);  // the moved rows once each, not twice
    EXPECT_FALSE(ids.count(5));
    EXPECT_FALSE(ids.count(399));
    EXPECT_TRUE(ids.count(100) && ids.count(7));
    EXPECT_EQ(back.rows, expected(edits.bytes()));
}

// Writes `value` into the masked part of the header, as the engine stores it.
std::string withHeaderByte(std::string bytes, std::size_t offset, std::uint8_t value) {
    const std::string stream = jet::rc4Keystream(std::string_view("\xC7\xDA\x39\x6B", 4), 128);
    bytes[offset] = static_cast<char>(value ^ static_cast<std::uint8_t>(stream[offset - 0x18]));
    return bytes;
}

std::string refusal(std::string bytes) {
    try {
        auto file = PageFile::fromBytes(std::move(bytes));
        const SourceDatabase source = readSource(file);
        std::string problems;
        for (const SourceTable& table : source.tables)
            forEachSourceRow(file, table, [&](const SourceRow& row) {
                for (const auto& problem : row.problems) problems += problem;
            });
        return problems;
    } catch (const jet::Error& e) {
        return e.what();
    }
    return {};
}

TEST(ImportReader, FilesItMayNotReadAreRefusedNamingTheVersion) {
    const std::string good = jet::testing::buildDatabase(jet::testing::handWrittenSample()).bytes();
    ASSERT_EQ(refusal(good), "");
    const std::string encrypted = refusal(withHeaderByte(good, 0x3E, 0x5A));
    EXPECT_NE(encrypted.find("Access 2000–2003（Jet 4）"), std::string::npos) << encrypted;
    EXPECT_NE(encrypted.find("已加密"), std::string::npos) << encrypted;
    const std::string password = refusal(withHeaderByte(good, 0x42, 'x' ^ 0));
    EXPECT_NE(password.find("密码"), std::string::npos) << password;
    std::string future = good;
    future[0x14] = 9;
    EXPECT_NE(refusal(future).find("版本号是 9"), std::string::npos);
    std::string ace = good;
    ace[0x14] = 3;
    EXPECT_EQ(refusal(ace), "");  // same pages as Jet 4
    std::string notAccess = good;
    notAccess.replace(4, 15, "Something else!");
    EXPECT_NE(refusal(notAccess).find("不是 Access 数据库"), std::string::npos);
}

// Cut anywhere, a file is refused, unless only pages nothing refers to were cut: then
// every row still comes back whole.
TEST(ImportReader, TruncatedFilesAreRefusedOrReadWhole) {
    const std::string good = jet::testing::buildDatabase(jet::testing::handWrittenSample()).bytes();
    const auto whole = expected(good);
    std::size_t refused = 0;
    for (std::size_t length = 0; length < good.size(); length += 1531) {
        const std::string cut = good.substr(0, length);
        if (!refusal(cut).empty()) {
            ++refused;
            continue;
        }
        EXPECT_EQ(readAll(cut).rows, whole) << length;
    }
    EXPECT_GT(refused, good.size() / 1531 / 2);
}

TEST(ImportReader, LoopingPointersEndInARefusalNotAHang) {
    jet::testing::SampleTable notes{{"笔记", {{"正文", jet::ColumnType::Memo}}}, {{std::string(20000, 'z')}}};
    std::string bytes = jet::testing::buildDatabase({notes}).bytes();
    // Point every long-value chain piece at itself.
    for (std::size_t page = 0; page * 4096 < bytes.size(); ++page) {
        const std::size_t at = page * 4096;
        if (bytes.compare(at + 4, 4, "LVAL") != 0) continue;
        const std::uint16_t rows = jet::getU16(bytes, at + 12);
        for (std::uint16_t r = 0; r < rows; ++r) {
            const std::size_t start = at + (jet::getU16(bytes, at + 14 + 2 * r) & 0x1FFF);
            jet::setU32(bytes.data() + start, static_cast<std::uint32_t>((page << 8) | r));
        }
    }
    // The value is reported and left out; the rest of the file still reads.
    EXPECT_NE(refusal(bytes).find("绕回自身"), std::string::npos) << refusal(bytes);
}

}  // namespace
}  // namespace tabulon::importer
