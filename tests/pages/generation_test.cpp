// The five page kinds through the driver: every kind has its generator, pages come in the
// fixed order, and a kind short of template rows is reported by name and not written.
#include <gtest/gtest.h>

#include "base/gbk.h"
#include "generator/driver.h"
#include "tests/pages/page_fixture.h"
#include "tests/support/file_names.h"

namespace tabulon::pages_test {
namespace {

using generator::GenerationRequest;
using generator::MemorySink;
using generator::PageKindId;
using testing::DesignBuilder;
using testing::fileNames;

const std::vector<PageKindId> kAllKinds = {PageKindId::Display, PageKindId::List, PageKindId::Delete,
                                           PageKindId::Modify, PageKindId::Add};

TEST(PageGeneration, TemplateRowCountsOfTheKinds) {
    std::vector<std::size_t> counts;
    for (const auto& kind : generator::pageKinds()) {
        counts.push_back(kind.templateRowsUsed);
        EXPECT_EQ(&generator::pageGenerator(kind.id).kind(), &kind) << kind.name;
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{6, 7, 3, 16, 7}));
}

TEST(PageGeneration, SingleTableGetsItsFivePagesInOrderWithTheirMessages) {
    MemorySink sink;
    RecordedMessages messages;
    const auto result = generator::generatePages(sampleModel(), "/run", {4, {27}, kAllKinds, true}, sink, messages);
    EXPECT_EQ(fileNames(result.written),
              (std::vector<std::string>{"LSZ27_Add.asp", "LSZ27_Modify.asp", "LSZ27_Delete.asp", "LSZ27_List.asp",
                                        "LSZ27_Display.asp"}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Create add ok", "Create Modify Ok", "Create Delete ok",
                                                          "Create List ok", "Create Display Ok", "生成完毕"}));
    EXPECT_EQ(result.failures, 0u);
}

TEST(PageGeneration, PagesAreWrittenInGbkWithCrLf) {
    MemorySink sink;
    RecordedMessages messages;
    generator::generatePages(sampleModel(), "/run", {4, {26}, {PageKindId::List}, false}, sink, messages);
    ASSERT_EQ(sink.files().size(), 1u);
    const auto text = gbk::decode(sink.files()[0].bytes);
    EXPECT_NE(text.find("<title>消费类型 - 记录列表</title>\r\n"), std::string::npos);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
}

// A kind short of rows is named in the message; the other kinds of the table are written.
TEST(PageGeneration, KindShortOfTemplateRowsIsReportedByNameAndSkipped) {
    struct Case {
        const char* kind;
        const char* file;
    };
    for (const Case& shortKind : {Case{"修改", "XFLX26_Modify.asp"}, Case{"删除", "XFLX26_Delete.asp"},
                                  Case{"列表", "XFLX26_List.asp"}, Case{"显示", "XFLX26_Display.asp"}}) {
        DesignBuilder design;
        design.catalogue().deleteTemplate(design.catalogue().templates(shortKind.kind).back().id);
        MemorySink sink;
        RecordedMessages messages;
        const auto result =
            generator::generatePages(design.snapshot(), "/run", {4, {26}, kAllKinds, false}, sink, messages);
        const auto names = fileNames(result.written);
        EXPECT_EQ(names.size(), 4u) << shortKind.kind;
        EXPECT_EQ(std::find(names.begin(), names.end(), shortKind.file), names.end()) << shortKind.kind;
        EXPECT_EQ(result.failures, 1u);
        ASSERT_EQ(messages.texts().size(), 2u);
        EXPECT_NE(messages.texts()[0].find(shortKind.kind), std::string::npos) << messages.texts()[0];
        EXPECT_NE(messages.texts()[0].find(shortKind.file), std::string::npos) << messages.texts()[0];
        EXPECT_EQ(messages.texts()[1], "生成完毕");
    }
}

}  // namespace
}  // namespace tabulon::pages_test
