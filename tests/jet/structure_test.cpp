// Page structures: TDEFs, rows, usage maps and index trees, read back with
// independent walkers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <set>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/index_tree.h"
#include "jet/page_store.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/tdef.h"
#include "jet/usage_map.h"
#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

TEST(Tdef, SystemDefinitionsHaveTheLengthsJetGivesThem) {
    EXPECT_EQ(encodeTdef(catalog::objectsLayout()).size(), 1050u);
    EXPECT_EQ(encodeTdef(catalog::acesLayout()).size(), 335u);
    EXPECT_EQ(encodeTdef(catalog::queriesLayout()).size(), 525u);
    EXPECT_EQ(encodeTdef(catalog::relationshipsLayout()).size(), 813u);
}

TEST(Tdef, LengthIsKnownWithoutEncoding) {
    for (const TableLayout& layout :
         {catalog::objectsLayout(), catalog::acesLayout(), catalog::queriesLayout(), catalog::relationshipsLayout()})
        EXPECT_EQ(tdefLength(layout), encodeTdef(layout).size());
    for (std::uint32_t seed = 1; seed <= 15; ++seed) {
        for (const auto& table : testing::randomDesign(seed)) {
            const TableLayout layout = userTableLayout(table.definition);
            EXPECT_EQ(tdefLength(layout), encodeTdef(layout).size()) << table.definition.name;
        }
    }
    // Names of one to four UTF-8 bytes a character, and the longest a column name may be.
    const TableLayout mixed = userTableLayout(
        {"t", {{"a"}, {"é"}, {"中文名"}, {"😀x😀"}, {std::string(64, 'n')}, {"字段" + std::string(62, 'z')}}});
    const std::string bytes = encodeTdef(mixed);
    EXPECT_EQ(tdefLength(mixed), bytes.size());
    EXPECT_EQ(getU32(bytes, 8), bytes.size());
    EXPECT_EQ(decodeTdef(bytes).columns.at(4).name, "😀x😀");

    TableLayout broken = mixed;
    broken.columns.at(2).name = "a\xFF";
    for (const auto& attempt :
         {std::function<void()>([&] { tdefLength(broken); }), std::function<void()>([&] { encodeTdef(broken); })}) {
        try {
            attempt();
            ADD_FAILURE() << "a name that is not UTF-8 was encoded";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "名称: 不是有效的 UTF-8 文本");
        }
    }
}

TEST(Tdef, UserLayoutsSurviveEncodingAcrossSeveralPages) {
    for (std::uint32_t seed = 1; seed <= 15; ++seed) {
        for (const auto& table : testing::randomDesign(seed)) {
            TableLayout layout = userTableLayout(table.definition);
            layout.rowCount = 7;
            layout.lastAutoNumber = 9;
            layout.ownedPages = rowPointer(20, 0);
            layout.realIndexes[0].rootPage = 22;
            const std::string bytes = encodeTdef(layout);
            PageStore store;
            std::vector<std::uint32_t> pages;
            for (std::size_t i = 0; i < tdefPageCount(bytes.size()) + 1; ++i) store.allocate();
            for (std::size_t i = 0; i < tdefPageCount(bytes.size()); ++i)
                pages.push_back(static_cast<std::uint32_t>(i + 1));
            writeTdefPages(store, pages, bytes);
            const std::string file = std::move(store).release();
            const TableLayout back = decodeTdef(readTdefBytes(file, 1));
            EXPECT_EQ(definitionFromLayout(table.definition.name, back), table.definition);
            EXPECT_EQ(back.rowCount, 7u);
            EXPECT_EQ(back.lastAutoNumber, 9u);
            EXPECT_EQ(back.realIndexes.at(0).rootPage, 22u);
            EXPECT_EQ(back.longValueMaps.size(), layout.longValueMaps.size());
            EXPECT_EQ(getU32(file, kPageSize + 8), bytes.size());
        }
    }
}

TEST(Rows, SplitGivesBackEveryCellOfRandomRows) {
    std::mt19937 random(3);
    for (const auto& table : testing::randomDesign(11)) {
        const TableLayout layout = userTableLayout(table.definition);
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<Cell> cells(layout.columns.size());
            for (const ColumnLayout& c : layout.columns) {
                cells[c.number].present = random() % 3 != 0;
                const std::size_t size = c.isVariable() ? random() % 30 : fixedSize(c.type);
                for (std::size_t i = 0; i < size && c.type != JetType::Boolean; ++i)
                    cells[c.number].bytes += char('a' + i % 26);
            }
            const std::string row = assembleRow(layout, cells);
            const auto fields = splitRow(layout, row);
            for (const ColumnLayout& c : layout.columns) {
                if (c.type == JetType::Boolean) {
                    EXPECT_EQ(fields[c.number], std::optional<std::string_view>(cells[c.number].present ? "\x01" : ""));
                } else if (!cells[c.number].present) {
                    EXPECT_FALSE(fields[c.number]);
                } else {
                    EXPECT_EQ(fields[c.number], std::optional<std::string_view>(cells[c.number].bytes));
                }
            }
        }
    }
}

TEST(Rows, MatchTheRowJetWroteForItsTablesContainer) {
    const TableLayout objects = catalog::objectsLayout();
    const std::string row = catalog::objectRow(objects, catalog::systemObjects().at(0));
    ASSERT_EQ(row.size(), 75u);
    EXPECT_EQ(getU16(row, 0), 17);
    EXPECT_EQ(getU16(row, 46), 46);  // end of variable data, right after Name and Owner
    EXPECT_EQ(getU16(row, row.size() - 5), 11);
    EXPECT_EQ(row.substr(row.size() - 3), std::string("\xFF\x00\x00", 3));
}

TEST(UsageMaps, ListTheirPagesInlineOrThroughBitmapPages) {
    const std::vector<std::vector<std::uint32_t>> sets = {
        {}, {14}, {16, 17, 511}, {600, 700, 1111}, {3, 40000}, {5, 32736, 32737, 70000}};
    for (const auto& pages : sets) {
        PageStore store;
        store.allocate();
        const std::string row = buildPageMap(pages, store);
        EXPECT_EQ(row.size(), kMapRowSize);
        EXPECT_EQ(readPageMap(row, std::move(store).release()), pages);
    }
}

TEST(UsageMaps, FreePageMapMarksExactlyThePagesPastTheEnd) {
    for (std::uint32_t pages : {16u, 512u, 513u, 5000u, 40000u}) {
        PageStore store;
        for (std::uint32_t i = 0; i < pages; ++i) store.allocate();
        const std::string row = buildFreePageMap(store);
        const std::uint32_t total = store.count();
        const auto free = readPageMap(row, std::move(store).release());
        ASSERT_FALSE(free.empty());
        EXPECT_EQ(free.front(), total);
        EXPECT_EQ(free.back() - free.front() + 1, free.size());
    }
}

// Walks a tree the way a lookup would and returns the leaf entries in order.
std::vector<std::string> walk(std::string_view file, std::uint32_t page, std::set<std::uint32_t>& seen) {
    seen.insert(page);
    const std::string_view bytes = file.substr(page * kPageSize, kPageSize);
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t bit = 0; bit < 453 * 8; ++bit) {
        if ((static_cast<unsigned char>(bytes[27 + bit / 8]) >> (bit % 8)) & 1) {
            entries.emplace_back(bytes.substr(480 + start, bit - start));
            start = bit;
        }
    }
    EXPECT_EQ(getU16(bytes, 2), 3616 - start);
    if (bytes[0] == 0x04) return entries;
    EXPECT_EQ(bytes[0], 0x03);
    std::vector<std::string> out;
    std::vector<std::uint32_t> children;
    for (const std::string& e : entries) {
        children.push_back(static_cast<std::uint32_t>(getU8(e, e.size() - 4) << 24 | getU8(e, e.size() - 3) << 16 |
                                                      getU8(e, e.size() - 2) << 8 | getU8(e, e.size() - 1)));
    }
    if (getU32(bytes, 20) != 0) children.push_back(getU32(bytes, 20));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto below = walk(file, children[i], seen);
        // A listed child is summed up by its greatest entry.
        if (i < entries.size()) {
            EXPECT_EQ(entries[i].substr(0, entries[i].size() - 4), below.back());
        }
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

TEST(IndexTree, HoldsEveryEntryInOrderAtAnySize) {
    for (int count : {0, 1, 401, 402, 5000, 150000}) {
        std::vector<std::string> entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(leafEntry(longIndexKey(i * 7 - 1000), 100 + i / 200, i % 200));
        std::sort(entries.begin(), entries.end());
        PageStore store;
        store.allocate();
        const std::uint32_t root = store.allocate();
        const auto pages = writeIndexTree(store, root, 99, entries, [&] { return store.allocate(); });
        EXPECT_EQ(pages.front(), root);
        const std::string file = std::move(store).release();
        std::set<std::uint32_t> seen;
        EXPECT_EQ(walk(file, root, seen), entries) << count;
        EXPECT_EQ(seen, std::set<std::uint32_t>(pages.begin(), pages.end()));
        for (std::uint32_t page : pages) EXPECT_EQ(getU32(file, page * kPageSize + 4), 99u);
    }
}

// The packed entries of a table's key sort and write exactly as the same entries as strings,
// negative ids and pointers past 16 bits included.
TEST(IndexTree, PackedKeyEntriesWriteTheSamePages) {
    std::mt19937 random(11);
    std::vector<std::string> strings;
    std::vector<LongKeyEntry> packed;
    for (int i = 0; i < 30000; ++i) {
        const auto id = static_cast<std::int32_t>(random());
        const std::uint32_t page = random() % 0x1000000;
        const auto row = static_cast<std::uint8_t>(random());
        strings.push_back(leafEntry(longIndexKey(id), page, row));
        packed.push_back(longKeyEntry(id, page, row));
        ASSERT_EQ(std::string(packed.back().data(), packed.back().size()), strings.back());
    }
    std::sort(strings.begin(), strings.end());
    std::sort(packed.begin(), packed.end(),
              [](const LongKeyEntry& a, const LongKeyEntry& b) { return std::memcmp(a.data(), b.data(), 9) < 0; });
    PageStore fromStrings, fromPacked;
    for (PageStore* store : {&fromStrings, &fromPacked}) store->allocate(), store->allocate();
    writeIndexTree(fromStrings, 1, 7, strings, [&] { return fromStrings.allocate(); });
    writeIndexTree(fromPacked, 1, 7, packed, [&] { return fromPacked.allocate(); });
    EXPECT_EQ(std::move(fromPacked).release(), std::move(fromStrings).release());
}

TEST(IndexTree, LinksPagesOfOneLevelBothWays) {
    std::vector<std::string> entries;
    for (int i = 0; i < 2000; ++i) entries.push_back(leafEntry(longIndexKey(i), 50, 0));
    PageStore store;
    store.allocate();
    const std::uint32_t root = store.allocate();
    writeIndexTree(store, root, 1, entries, [&] { return store.allocate(); });
    const std::string file = std::move(store).release();
    std::uint32_t leaf = 2, previous = 0, leaves = 0;
    while (leaf != 0) {
        EXPECT_EQ(getU8(file, leaf * kPageSize), 0x04);
        EXPECT_EQ(getU32(file, leaf * kPageSize + 12), previous);
        previous = leaf;
        leaf = getU32(file, leaf * kPageSize + 16);
        ++leaves;
    }
    EXPECT_EQ(leaves, planIndexTree(entries).levels.front().size());
}

TEST(DataPages, RespectTheRowLimitAndFreeSpace) {
    std::string page(kPageSize, '\0');
    data_page::init(page.data(), 42);
    int added = 0;
    while (data_page::fits(page, 3)) {
        data_page::addRow(page.data(), "abc");
        ++added;
    }
    EXPECT_EQ(added, 255);
    EXPECT_EQ(*data_page::row(page, 254), "abc");
    EXPECT_EQ(data_page::freeSpace(page), kPageSize - 14 - 255 * 5);

    data_page::init(page.data(), 42);
    EXPECT_TRUE(data_page::fits(page, 4080));
    EXPECT_FALSE(data_page::fits(page, 4081));
}

}  // namespace
}  // namespace tabulon::jet
