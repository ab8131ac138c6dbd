// Seeded mutations of files our writer makes, changed the way Jet changes
// them: every mutated file is either read or refused with jet::Error; the
// reader never crashes, reads out of bounds or hangs. Built with AddressSanitizer
// and UBSan by tests/jet/sanitize; TABULON_FUZZ_ITERATIONS sets the count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "jet/byte_io.h"
#include "jet/page_size.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

using testing::JetEdits;
using testing::SampleTable;

std::vector<std::string> seedFiles() {
    std::vector<std::string> files{testing::buildDatabase(testing::handWrittenSample()).bytes()};
    SampleTable notes{{"笔记", {{"标题", ColumnType::Text}, {"正文", ColumnType::Memo}, {"数", ColumnType::Short}}},
                      {}};
    for (int i = 1; i <= 300; ++i) {
        notes.rows.push_back({std::string("t") + std::to_string(i),
                              i % 100 == 0 ? Value(std::string(5000, 'x'))
                              : i % 7 == 0 ? Value(std::string(200, 'y'))
                                           : Value(),
                              std::int64_t{i}});
    }
    JetEdits edits(testing::buildDatabase({notes}).bytes());
    edits.deleteRow("笔记", 5);
    edits.moveRow("笔记", 100);
    edits.moveRow("笔记", 9);
    edits.useReferenceMap("笔记");
    files.push_back(edits.bytes());
    return files;
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    void mutate(std::string& file) {
        const int count = between(1, 4);
        for (int i = 0; i < count && file.size() >= 2 * kPageSize; ++i) {
            switch (between(0, 6)) {
            case 0: flipBit(file); break;
            case 1: extremeInHeader(file); break;
            case 2: extremeWord(file); break;
            case 3: pointerToItself(file); break;
            case 4: truncate(file); break;
            case 5: smear(file); break;
            default: extremeSlot(file); break;
            }
        }
    }

private:
    std::size_t between(std::size_t lo, std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(lo, hi)(random_);
    }
    std::uint32_t page(const std::string& file) {
        return static_cast<std::uint32_t>(between(1, file.size() / kPageSize - 1));
    }
    std::uint16_t extreme16() {
        static const std::uint16_t values[] = {0, 1, 2, 0xFF, 0x1000, 0x1FFF, 0x4000, 0x7FFF, 0x8000, 0xC000, 0xFFFF};
        return values[between(0, std::size(values) - 1)];
    }

    void flipBit(std::string& file) { file[between(0, file.size() - 1)] ^= static_cast<char>(1 << between(0, 7)); }
    // Free space, owner or next page, row count.
    void extremeInHeader(std::string& file) {
        static const std::size_t offsets[] = {2, 4, 6, 8, 12, 13};
        setU16(&file[page(file) * kPageSize + offsets[between(0, std::size(offsets) - 1)]], extreme16());
    }
    void extremeSlot(std::string& file) {
        const std::size_t at = page(file) * kPageSize + 14 + 2 * between(0, 40);
        setU16(&file[at], extreme16());
    }
    void extremeWord(std::string& file) {
        const std::size_t at = between(0, file.size() - 4);
        const std::uint32_t values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF,
                                        rowPointer(page(file), static_cast<std::uint32_t>(between(0, 255))),
                                        static_cast<std::uint32_t>(file.size() / kPageSize) << 8};
        setU32(&file[at], values[between(0, std::size(values) - 1)]);
    }
    // A chain (TDEF continuation, long-value piece, moved row) that names its own page.
    void pointerToItself(std::string& file) {
        const std::uint32_t p = page(file);
        const std::size_t at = p * kPageSize;
        if (file[at] == 0x02) {
            setU32(&file[at + 4], p);
        } else {
            const std::size_t rowStart = getU16(file, at + 14 + 2 * between(0, 3)) & 0x1FFF;
            if (rowStart + 4 <= kPageSize)
                setU32(&file[at + rowStart], rowPointer(p, static_cast<std::uint32_t>(between(0, 3))));
        }
    }
    void truncate(std::string& file) {
        file.resize(between(0, 1) ? between(1, file.size() / kPageSize) * kPageSize : between(0, file.size()));
    }
    void smear(std::string& file) {
        const std::size_t at = between(0, file.size() - 1);
        const std::size_t length = std::min(between(1, 64), file.size() - at);
        const char byte = static_cast<char>(between(0, 255));
        for (std::size_t i = 0; i < length; ++i) file[at + i] = byte;
    }

    std::mt19937 random_;
};

int iterations() {
    const char* text = std::getenv("TABULON_FUZZ_ITERATIONS");
    return text ? std::atoi(text) : 300;
}

TEST(ReaderFuzz, MutatedFilesAreReadOrRefusedWithAnError) {
    const auto seeds = seedFiles();
    Mutator mutator(20240607);
    int refused = 0;
    const int count = iterations();
    for (int i = 0; i < count; ++i) {
        std::string file = seeds[static_cast<std::size_t>(i) % seeds.size()];
        mutator.mutate(file);
        SCOPED_TRACE("iteration " + std::to_string(i));
        try {
            const FileData data = readFileData(file);
            EXPECT_EQ(countRows(file), data.rowCount());
        } catch (const Error& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            ++refused;
        }
        try {
            Database::fromBytes(file).bytes();
        } catch (const Error&) {}
    }
    // The mutations reach the reader's checks, not only the header test.
    EXPECT_GT(refused, count / 4);
    EXPECT_LT(refused, count);
}

}  // namespace
}  // namespace tabulon::jet
