// Every page of the golden designs (the sample project 记账 and the widget design 组件),
// compared byte for byte with the reviewed copies in tests/golden/<design>/ (kept as UTF-8
// text so that changes read well in a diff). This test never writes them.
//
// After an intended change of a generator or a default template, regenerate them with
//     cmake --build build --target update_goldens && build/tests/golden/update_goldens
// and review the diff before committing it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/golden/golden_pages.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

namespace fs = std::filesystem;

// The first line where two texts part, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::size_t line = 1, start = 0;
    for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
        if (expected[i] != actual[i]) {
            const auto end = [&](const std::string& text) { return text.substr(start, text.find('\n', i) - start); };
            return "line " + std::to_string(line) + "\n  golden: " + end(expected) + "\n  now:    " + end(actual);
        }
        if (expected[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    return "one text is a prefix of the other (golden " + std::to_string(expected.size()) + " bytes, now " +
           std::to_string(actual.size()) + ")";
}

const char* const kRegenerate = "cmake --build build --target update_goldens && build/tests/golden/update_goldens";

void expectUnchanged(const std::string& design, std::size_t expectedPages) {
    const fs::path folder = fs::path(GOLDEN_ROOT) / fs::path(std::u8string(design.begin(), design.end()));
    const auto pages = golden::pagesOf(design);
    ASSERT_EQ(pages.size(), expectedPages) << design;

    std::size_t goldenFiles = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++goldenFiles;
        EXPECT_TRUE(pages.count(entry.path().filename().string())) << "no longer generated: " << entry.path();
    }
    EXPECT_EQ(goldenFiles, pages.size()) << "golden copies in " << folder << "; if intended: " << kRegenerate;
    for (const auto& [name, text] : pages) {
        const std::string golden = testing::readFile(folder / name);
        EXPECT_TRUE(golden == text) << design << "/" << name << " differs from its golden copy at "
                                    << firstDifference(golden, text) << "\nIf the change is intended: " << kRegenerate;
    }
}

TEST(Golden, SampleProjectPagesAreUnchanged) {
    expectUnchanged("记账", 23);  // twenty per-table pages and the three site pages
}

// Numeric inputs, 文本域, 时间框, drop-downs, a cascade and a missing link, in every page kind.
TEST(Golden, WidgetDesignPagesAreUnchanged) { expectUnchanged("组件", 6 * 5); }

}  // namespace
}  // namespace tabulon::generator
