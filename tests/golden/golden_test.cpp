// Every page of the sample project 记账, compared byte for byte with the reviewed copies in
// tests/golden/记账/ (kept as UTF-8 text so that changes read well in a diff).
//
// After an intended change of a generator or a default template, regenerate them with
//     TABULON_UPDATE_GOLDEN=1 build/tests/golden/golden_tests
// and review the diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "base/gbk.h"
#include "catalogue/catalogue.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

namespace fs = std::filesystem;

// Page name -> its text, for the sample project as a first start creates it.
std::map<std::string, std::string> samplePages() {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    MemorySink sink;
    SilentMessages messages;
    GenerationRequest request{4, {24, 25, 26, 27}, {}, false};
    for (const auto& kind : pageKinds()) request.kinds.push_back(kind.id);
    generatePages(model, "/run", request, sink, messages);
    generateLogin(model, "/run", 4, sink, messages);

    std::map<std::string, std::string> pages;
    for (const auto& file : sink.files()) pages[file.path.filename().string()] = gbk::decode(file.bytes);
    return pages;
}

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

TEST(Golden, SampleProjectPagesAreUnchanged) {
    const fs::path folder = GOLDEN_FOLDER;
    const auto pages = samplePages();
    ASSERT_EQ(pages.size(), 23u) << "twenty per-table pages and the three site pages";

    if (std::getenv("TABULON_UPDATE_GOLDEN")) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& [name, text] : pages) std::ofstream(folder / name, std::ios::binary) << text;
        GTEST_SKIP() << "golden pages rewritten in " << folder;
    }

    std::size_t goldenFiles = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++goldenFiles;
        EXPECT_TRUE(pages.count(entry.path().filename().string())) << "no longer generated: " << entry.path();
    }
    EXPECT_EQ(goldenFiles, pages.size());
    for (const auto& [name, text] : pages) {
        const std::string golden = testing::readFile(folder / name);
        EXPECT_TRUE(golden == text) << name << " differs from its golden copy at " << firstDifference(golden, text)
                                    << "\nIf the change is intended: TABULON_UPDATE_GOLDEN=1 build/tests/golden/golden_tests";
    }
}

}  // namespace
}  // namespace tabulon::generator
