// Seeded mutations of files our writer makes (deleted and moved rows, a reference page map,
// relationships, long memos), also read as Jet 3 and ACE files, and of files the real engine
// wrote (ACE complex columns with their hidden tables among them): every mutated file is read
// or refused with jet::Error; the import's reader never crashes, reads out of bounds, runs
// away with memory or hangs. Built with AddressSanitizer and UBSan by tests/jet/sanitize;
// TABULON_FUZZ_ITERATIONS sets the count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "importer/complex_values.h"
#include "importer/page_file.h"
#include "importer/source_reader.h"
#include "jet/byte_io.h"
#include "jet/error.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"

namespace tabulon::importer {
namespace {

using jet::testing::JetEdits;
using jet::testing::SampleTable;

std::vector<std::string> seedFiles() {
    std::vector<std::string> files{jet::testing::buildDatabase(jet::testing::handWrittenSample()).bytes()};
    SampleTable notes{{"笔记", {{"标题", jet::ColumnType::Text}, {"正文", jet::ColumnType::Memo}}}, {}};
    for (int i = 1; i <= 200; ++i)
        notes.rows.push_back({std::string("t") + std::to_string(i),
                              i % 50 == 0 ? jet::Value(std::string(6000, 'x')) : jet::Value(std::string(90, 'y'))});
    JetEdits edits(jet::testing::buildDatabase({notes}).bytes());
    edits.deleteRow("笔记", 5);
    edits.moveRow("笔记", 100);
    edits.useReferenceMap("笔记");
    files.push_back(edits.bytes());
    // Files the real engine wrote, Jet 3 and ACE among them, when ../shared is beside the checkout.
    const char* shared = std::getenv("TABULON_SHARED_DIR");
    const std::filesystem::path root =
        shared ? std::filesystem::path(shared) : std::filesystem::path(TABULON_SOURCE_DIR) / ".." / "shared";
    const auto folder = root / "docs/jet4-reference/access-made";
    std::error_code error;
    for (const char* name : {"V1997/testV1997.mdb", "V1997/overflowTestV1997.mdb", "V2007/testV2007.accdb",
                             "V2007/complexDataTestV2007.accdb", "overflowTestV2000.mdb"}) {
        std::ifstream in(folder / name, std::ios::binary);
        if (in) files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The same pages under the other versions' headers: the Jet 3 paths (2 KB pages,
    // one-byte row offsets, code-page text) meet bytes they did not write.
    for (std::size_t i = 0, n = 2; i < n; ++i) {
        for (const char version : {'\0', '\3'}) {
            std::string other = files[i];
            other[0x14] = version;
            files.push_back(std::move(other));
        }
    }
    return files;
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    void mutate(std::string& file) {
        for (std::size_t i = 0, n = between(1, 4); i < n && file.size() > 8192; ++i) {
            switch (between(0, 5)) {
            case 0: file[between(0, file.size() - 1)] ^= static_cast<char>(1 << between(0, 7)); break;
            case 1: word(file, between(2048, file.size() - 4)); break;
            case 2: word(file, page(file) + between(0, 24)); break;  // page headers, slot tables
            case 3: word(file, page(file) + between(14, 120)); break;
            case 4: file.resize(between(0, file.size())); break;
            default: {
                const std::size_t at = between(0, file.size() - 1);
                for (std::size_t k = at; k < std::min(file.size(), at + between(1, 64)); ++k) file[k] = '\xFF';
            }
            }
        }
    }

private:
    std::size_t between(std::size_t lo, std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(lo, hi)(random_);
    }
    std::size_t page(const std::string& file) {
        const std::size_t size = between(0, 1) ? 2048 : 4096;
        return between(1, file.size() / size - 1) * size;
    }
    void word(std::string& file, std::size_t at) {
        if (at + 4 > file.size()) return;
        static const std::uint32_t values[] = {0, 1, 0xFF, 0x1FFF, 0x4000, 0x8000, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
        const std::uint32_t value = between(0, 3) == 0 ? static_cast<std::uint32_t>(between(0, 64) << 8 | between(0, 8))
                                                       : values[between(0, std::size(values) - 1)];
        jet::setU32(&file[at], value);
    }

    std::mt19937 random_;
};

int iterations() {
    const char* text = std::getenv("TABULON_FUZZ_ITERATIONS");
    return text ? std::atoi(text) : 400;
}

TEST(ImportReaderFuzz, MutatedFilesAreReadOrRefusedWithAnError) {
    const auto seeds = seedFiles();
    Mutator mutator(20261207);
    int refused = 0, read = 0;
    for (int i = 0; i < iterations(); ++i) {
        std::string bytes = seeds[static_cast<std::size_t>(i) % seeds.size()];
        mutator.mutate(bytes);
        SCOPED_TRACE("iteration " + std::to_string(i));
        try {
            auto file = PageFile::fromBytes(std::move(bytes), 16);
            const SourceDatabase source = readSource(file);
            for (const SourceTable& table : source.tables) {
                std::size_t rows = 0;
                forEachSourceRow(file, table, [&](const SourceRow& row) {
                    ASSERT_EQ(row.values.size(), table.columns.size());
                    ++rows;
                });
                // A row is at least a few bytes: more rows than the file could hold means a loop.
                EXPECT_LE(rows, file.pageCount() * 255u);
                // The hidden tables of ACE's attachment and multi-value columns.
                for (const SourceColumn& column : table.columns)
                    if (column.complex)
                        EXPECT_LE(readElementTexts(file, *column.complex).elements, file.pageCount() * 255u);
            }
            ++read;
        } catch (const jet::Error& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            ++refused;
        }
    }
    // The mutations reach the reader's checks, and leave many files readable.
    EXPECT_GT(refused, iterations() / 10);
    EXPECT_GT(read, iterations() / 10);
}

}  // namespace
}  // namespace tabulon::importer
