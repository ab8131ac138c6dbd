// The generation driver: which pages are written, in which order, with which messages.
#include <gtest/gtest.h>

#include <fstream>

#include "base/gbk.h"
#include "generator/driver.h"
#include "tests/support/design_builder.h"
#include "tests/support/file_names.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;
using testing::fileNames;
using testing::makeField;
using testing::readFile;
using testing::TempFolder;

TEST(Driver, TablesInListOrderKindsInFixedOrder) {
    DesignBuilder design;
    const auto project = design.project("顺序");
    const auto first = design.table(project, "学生");
    const auto second = design.table(project, "课程");
    MemorySink sink;
    RecordedMessages messages;
    GenerationRequest request{project, {second, first}, {PageKindId::Add}, false};
    const auto result = generatePages(design.snapshot(), "/run", request, sink, messages);
    EXPECT_EQ(fileNames(result.written), (std::vector<std::string>{"KC" + std::to_string(second) + "_Add.asp",
                                                                   "XS" + std::to_string(first) + "_Add.asp"}));
    EXPECT_EQ(result.written[0], std::filesystem::path("/run/顺序/manage/KC" + std::to_string(second) + "_Add.asp"));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"生成完毕"}) << "all-tables mode announces no page";
    EXPECT_EQ(result.failures, 0u);
}

TEST(Driver, SingleTableModeAnnouncesEachPageBeforeTheEnd) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    MemorySink sink;
    RecordedMessages messages;
    generatePages(model, "/run", {4, {26}, {PageKindId::Add}, true}, sink, messages);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Create add ok", "生成完毕"}));
}

TEST(Driver, EmptyTableListOrNoKindWritesNothing) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    for (const GenerationRequest& request :
         {GenerationRequest{4, {}, {PageKindId::Add}, false}, GenerationRequest{4, {24, 25}, {}, false}}) {
        MemorySink sink;
        RecordedMessages messages;
        generatePages(model, "/run", request, sink, messages);
        EXPECT_TRUE(sink.files().empty());
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"生成完毕"});
    }
}

TEST(Driver, NoSelectedTableIsAMessageNotAPageNamedMinusOne) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    MemorySink sink;
    RecordedMessages messages;
    const auto result = generatePages(model, "/run", {4, {-1}, {PageKindId::Add}, true}, sink, messages);
    EXPECT_TRUE(sink.files().empty());
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"请先选择一个表。", "生成完毕"}));
    EXPECT_EQ(result.failures, 1u);
}

TEST(Driver, KindWithTooFewTemplateRowsIsReportedByName) {
    DesignBuilder design;
    design.catalogue().deleteTemplate(7);  // the last 添加 row
    MemorySink sink;
    RecordedMessages messages;
    generatePages(design.snapshot(), "/run", {4, {24}, {PageKindId::Add}, true}, sink, messages);
    EXPECT_TRUE(sink.files().empty());
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_NE(messages.texts()[0].find("添加"), std::string::npos);
    EXPECT_NE(messages.texts()[0].find("YH24_Add.asp"), std::string::npos);
}

TEST(Driver, UnencodableTextNamesTableAndFieldAndSkipsOnlyThatPage) {
    DesignBuilder design;
    const auto project = design.project("编码");
    const auto bad = design.table(project, "坏表");
    design.field(bad, makeField("表情😀"));
    const auto good = design.table(project, "好表");
    design.field(good, makeField("名称"));
    MemorySink sink;
    RecordedMessages messages;
    const auto result =
        generatePages(design.snapshot(), "/run", {project, {bad, good}, {PageKindId::Add}, false}, sink, messages);
    EXPECT_EQ(fileNames(result.written), std::vector<std::string>{"HB" + std::to_string(good) + "_Add.asp"});
    EXPECT_EQ(sink.files().size(), 1u) << "nothing of the page that cannot be encoded reaches the sink";
    ASSERT_EQ(messages.texts().size(), 2u);
    const std::string& report = messages.texts()[0];
    EXPECT_NE(report.find("表 坏表"), std::string::npos) << report;
    EXPECT_NE(report.find("字段 表情😀"), std::string::npos) << report;
    EXPECT_NE(report.find("😀"), std::string::npos) << report;
    EXPECT_EQ(result.failures, 1u);
}

TEST(Driver, ProjectNameThatIsNoFolderNameWritesNothing) {
    DesignBuilder design;
    const auto project = design.project("..");
    const auto table = design.table(project, "表");
    TempFolder run;
    FileSink sink;
    RecordedMessages messages;
    const auto result =
        generatePages(design.snapshot(), run.path(), {project, {table}, {PageKindId::Add}, false}, sink, messages);
    EXPECT_EQ(result.failures, 1u);
    ASSERT_EQ(messages.texts().size(), 1u) << "no 生成完毕 after a refusal";
    EXPECT_TRUE(std::filesystem::is_empty(run.path()));
    EXPECT_FALSE(std::filesystem::exists(run.path().parent_path() / "manage"))
        << "nothing written above the run folder";
}

TEST(Driver, WritesGbkWithCrLfAndCreatesTheManageFolder) {
    TempFolder run;
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    FileSink sink;
    RecordedMessages messages;
    generatePages(model, run.path(), {4, {26}, {PageKindId::Add}, false}, sink, messages);
    const auto path = run.path() / "记账" / "manage" / "XFLX26_Add.asp";
    const std::string bytes = readFile(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(static_cast<unsigned char>(bytes[0]), 0xEF) << "no byte-order mark";
    EXPECT_NE(bytes.find(*gbk::encode("sql=\"select * from 消费类型\"\r\n").bytes.data()), std::string::npos);
    EXPECT_NE(bytes.find(gbk::encode("消费类型").bytes), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\xE6\xB6\x88")), std::string::npos) << "no UTF-8 left in the file";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_EQ(bytes[i - 1], '\r') << "bare LF at byte " << i;
        }
    }
}

TEST(Driver, RegeneratingReplacesTheWholeFile) {
    TempFolder run;
    const auto manage = run.path() / "记账" / "manage";
    std::filesystem::create_directories(manage);
    const auto path = manage / "YH24_Add.asp";
    std::ofstream(path, std::ios::binary) << std::string(200000, 'x');
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    FileSink sink;
    RecordedMessages messages;
    generatePages(model, run.path(), {4, {24}, {PageKindId::Add}, false}, sink, messages);
    const std::string bytes = readFile(path);
    EXPECT_LT(bytes.size(), 200000u);
    EXPECT_EQ(bytes.find('x' + std::string(100, 'x')), std::string::npos) << "no tail of the old page";
    for (const auto& entry : std::filesystem::directory_iterator(manage))
        EXPECT_EQ(entry.path().extension(), ".asp") << "no temporary file left: " << entry.path();
}

TEST(Driver, UnwritablePageIsReportedWithItsPathAndNotAnnounced) {
    TempFolder run;
    const auto manage = run.path() / "记账" / "manage";
    std::filesystem::create_directories(manage / "YH24_Add.asp");  // a folder where the page should go
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    FileSink sink;
    RecordedMessages messages;
    const auto result = generatePages(model, run.path(), {4, {24, 25}, {PageKindId::Add}, true}, sink, messages);
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_NE(messages.texts()[0].find((manage / "YH24_Add.asp").string()), std::string::npos) << messages.texts()[0];
    EXPECT_EQ(messages.texts()[1], "Create add ok") << "only the page that was written is announced";
    EXPECT_EQ(messages.texts()[2], "生成完毕");
    EXPECT_EQ(result.failures, 1u);
    EXPECT_TRUE(std::filesystem::exists(manage / "SZ25_Add.asp"));
}

TEST(Driver, ManageFolderThatCannotBeCreatedIsReported) {
    TempFolder run;
    std::filesystem::create_directories(run.path() / "记账");
    std::ofstream(run.path() / "记账" / "manage") << "a file in the way";
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    FileSink sink;
    RecordedMessages messages;
    const auto result = generatePages(model, run.path(), {4, {24}, {PageKindId::Add}, false}, sink, messages);
    EXPECT_EQ(result.failures, 1u);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("manage"), std::string::npos);
}

}  // namespace
}  // namespace tabulon::generator
