// The site build: steps in order, a step whose input was not made does not run, steps
// overlap only where what they need is made, pages built on several threads come out
// exactly as on one, and the sinks keep their promises.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>

#include "base/error.h"
#include "base/gbk.h"
#include "generator/build/ordered_parallel.h"
#include "generator/build/site_build.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"
#include "jet/database.h"
#include "tests/support/design_builder.h"
#include "tests/support/file_names.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

namespace fs = std::filesystem;
using testing::DesignBuilder;
using testing::makeField;
using testing::TempFolder;

// A step that records that it ran and says what it was told to; `fails` makes nothing.
class ScriptedStep final : public BuildStep {
public:
    ScriptedStep(std::string name, std::vector<std::string>& ran, StepUse use = {}, bool fails = false)
        : name_(std::move(name)), ran_(ran), use_(use), stops_(fails) {}
    std::string_view title() const override { return name_; }
    std::string missingProjectMessage(catalogue::Id id) const override {
        return name_ + " 缺项目 " + std::to_string(id);
    }
    StepResult run(const StepInput& input, SiteSink&, Messages& messages, const Progress& progress) override {
        ran_.push_back(name_);
        messages.show(name_ + " " + input.project.name);
        if (progress) progress(1, 2);
        return {{input.runDir / name_}, stops_ ? 1u : 0u, stops_};
    }
    StepUse use() const override { return use_; }

private:
    std::string name_;
    std::vector<std::string>& ran_;
    StepUse use_;
    bool stops_;
};

constexpr auto kFolder = Product::SiteFolder;
constexpr auto kDatabase = Product::SiteDatabase;

TEST(SiteBuild, RunsTheStepsInOrderAndNotAStepWhoseInputWasNotMade) {
    const auto model = DesignBuilder().snapshot();
    std::vector<std::string> ran;
    ScriptedStep first("一", ran, {{}, kFolder}), failing("二", ran, {kFolder, kDatabase}, true),
        never("三", ran, {kDatabase, {}});
    BuildStep* const steps[] = {&first, &failing, &never};
    MemorySink sink;
    RecordedMessages messages;
    std::vector<std::string> progress;
    const auto result = runBuild(
        model, "/run", 4, steps, sink, messages,
        [&](std::size_t index, std::size_t count, const BuildStep& step, std::size_t done, std::size_t total) {
            progress.push_back(std::to_string(index) + "/" + std::to_string(count) + " " + std::string(step.title()) +
                               " " + std::to_string(done) + "/" + std::to_string(total));
        });
    EXPECT_EQ(ran, (std::vector<std::string>{"一", "二"}));
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"一 记账", "二 记账", "三没有运行：它需要的网站数据库没有生成。"}));
    EXPECT_EQ(progress, (std::vector<std::string>{"0/3 一 0/1", "0/3 一 1/2", "0/3 一 1/1", "1/3 二 0/1", "1/3 二 1/2",
                                                  "1/3 二 1/1"}));
    EXPECT_EQ(result.problems(), 1u);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(testing::fileNames(result.written()), (std::vector<std::string>{"一", "二"}));
}

// A failed skeleton keeps everything that needs the site folder from running, and what
// needs their products in turn; a step that needs none of it still runs.
TEST(SiteBuild, AFailedStepHoldsBackOnlyTheStepsThatNeedWhatItMakes) {
    const auto model = DesignBuilder().snapshot();
    std::vector<std::string> ran;
    ScriptedStep skeleton("骨架", ran, {{}, kFolder}, true), database("数据库", ran, {kFolder, kDatabase}),
        login("登录", ran, {kDatabase, {}}), alone("独立", ran);
    BuildStep* const steps[] = {&skeleton, &database, &login, &alone};
    MemorySink sink;
    RecordedMessages messages;
    const auto result = runBuild(model, "/run", 4, steps, sink, messages, {}, 1);
    EXPECT_EQ(ran, (std::vector<std::string>{"骨架", "独立"}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"骨架 记账", "数据库没有运行：它需要的网站文件夹没有生成。",
                                                          "登录没有运行：它需要的网站数据库没有生成。", "独立 记账"}))
        << "a step that does not run says why, in its place";
    EXPECT_EQ(result.steps.size(), 2u) << "steps that did not run have no result";
    EXPECT_EQ(result.problems(), 1u);
}

// Two steps that meet: each says it has started and waits (a while at most) for the other.
struct Meeting {
    explicit Meeting(std::chrono::milliseconds patience) : patience(patience) {}
    std::chrono::milliseconds patience;
    std::mutex mutex;
    std::condition_variable changed;
    int arrived = 0;
    bool meet() {
        std::unique_lock lock(mutex);
        ++arrived;
        changed.notify_all();
        return changed.wait_for(lock, patience, [&] { return arrived == 2; });
    }
};

class MeetingStep final : public BuildStep {
public:
    MeetingStep(std::string name, Meeting& meeting, StepUse use = {})
        : name_(std::move(name)), meeting_(meeting), use_(use) {}
    std::string_view title() const override { return name_; }
    std::string missingProjectMessage(catalogue::Id) const override { return name_; }
    StepResult run(const StepInput&, SiteSink&, Messages& messages, const Progress&) override {
        messages.show(name_ + " 开始");
        met = meeting_.meet();
        messages.show(name_ + " 结束");
        return {};
    }
    StepUse use() const override { return use_; }
    bool met = false;

private:
    std::string name_;
    Meeting& meeting_;
    StepUse use_;
};

TEST(SiteBuild, AStepThatReadsNothingOfThePreviousRunsAlongsideItWithMessagesInOrder) {
    const auto model = DesignBuilder().snapshot();
    Meeting meeting(std::chrono::seconds(20));
    MeetingStep first("甲", meeting, {{}, kFolder}), second("乙", meeting, {kDatabase, {}});
    BuildStep* const steps[] = {&first, &second};
    MemorySink sink;
    RecordedMessages messages;
    const auto result = runBuild(model, "/run", 4, steps, sink, messages);
    EXPECT_TRUE(first.met && second.met) << "the two steps ran at the same time";
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"甲 开始", "甲 结束", "乙 开始", "乙 结束"}));
    EXPECT_EQ(result.steps.size(), 2u);
}

// Like the database, the pages and the login: the login reads what the database wrote and
// follows it on this thread while the pages run on another.
TEST(SiteBuild, StepsAfterAnIndependentOneGoOnBesideItAndSpeakAfterIt) {
    const auto model = DesignBuilder().snapshot();
    Meeting meeting(std::chrono::seconds(20));
    std::vector<std::string> ran;
    ScriptedStep first("甲", ran, {{}, kFolder});
    MeetingStep second("乙", meeting), third("丙", meeting, {kFolder, {}});
    ScriptedStep fourth("丁", ran, {kFolder, kDatabase}, true), never("戊", ran, {kDatabase, {}});
    BuildStep* const steps[] = {&first, &second, &third, &fourth, &never};
    MemorySink sink;
    RecordedMessages messages;
    std::vector<std::string> progress;
    const auto result = runBuild(
        model, "/run", 4, steps, sink, messages,
        [&](std::size_t index, std::size_t, const BuildStep&, std::size_t done, std::size_t total) {
            progress.push_back(std::to_string(index) + " " + std::to_string(done) + "/" + std::to_string(total));
        });
    EXPECT_TRUE(second.met && third.met) << "the third step ran while the second was running";
    EXPECT_EQ(ran, (std::vector<std::string>{"甲", "丁"})) << "the last step needs what the failed one makes";
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"甲 记账", "乙 开始", "乙 结束", "丙 开始", "丙 结束",
                                                          "丁 记账", "戊没有运行：它需要的网站数据库没有生成。"}));
    // The fourth step runs live or held, as the second happens to end: only its start and
    // end are certain.
    ASSERT_GE(progress.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(progress.begin(), progress.begin() + 8),
              (std::vector<std::string>{"0 0/1", "0 1/2", "0 1/1", "1 0/1", "1 1/1", "2 0/1", "2 1/1", "3 0/1"}))
        << "steps whose messages were held back report only their start and end";
    EXPECT_EQ(progress.back(), "3 1/1");
    ASSERT_EQ(result.steps.size(), 4u);
    EXPECT_EQ(result.problems(), 1u);
}

TEST(SiteBuild, AStepWaitsForTheStepThatMakesWhatItNeeds) {
    const auto model = DesignBuilder().snapshot();
    Meeting meeting(std::chrono::milliseconds(50));
    MeetingStep first("甲", meeting, {{}, kFolder}), second("乙", meeting, {kFolder, {}});
    BuildStep* const steps[] = {&first, &second};
    MemorySink sink;
    RecordedMessages messages;
    runBuild(model, "/run", 4, steps, sink, messages);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"甲 开始", "甲 结束", "乙 开始", "乙 结束"}));
    EXPECT_FALSE(first.met) << "the second step started only after the first had given up waiting";
}

TEST(SiteBuild, MissingProjectIsReportedWithTheFirstStepsWordsAndNothingRuns) {
    const auto model = DesignBuilder().snapshot();
    std::vector<std::string> ran;
    ScriptedStep first("一", ran), second("二", ran);
    BuildStep* const steps[] = {&first, &second};
    MemorySink sink;
    RecordedMessages messages;
    const auto result = runBuild(model, "/run", 99, steps, sink, messages);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"一 缺项目 99"});
    EXPECT_FALSE(result.succeeded());
    EXPECT_TRUE(sink.files().empty());
}

TEST(SiteBuild, TheRealStepsSayWhatTheySaidAlone) {
    const auto model = DesignBuilder().snapshot();
    SkeletonStep skeleton;
    DatabaseStep database;
    PagesStep pages(GenerationRequest{});
    LoginStep login;
    EXPECT_EQ(skeleton.missingProjectMessage(7), "请选择一个项目");
    EXPECT_EQ(database.missingProjectMessage(7), "项目 7 不存在，未生成数据库。");
    EXPECT_EQ(pages.missingProjectMessage(7), "项目 7 不存在，未生成任何页面。");
    EXPECT_EQ(login.missingProjectMessage(7), "项目 7 不存在。");
}

// The whole sample build into memory, with the page threads given.
struct SampleBuild {
    std::map<fs::path, std::string> files;
    std::vector<std::string> messages;
    std::vector<fs::path> written;
};

SampleBuild buildInMemory(const catalogue::Snapshot& model, const fs::path& runDir, catalogue::Id project,
                          std::vector<catalogue::Id> tables, unsigned threads) {
    GenerationRequest request = PagesStep::everyPage(model, project);
    request.tableIds = std::move(tables);
    SkeletonStep skeleton;
    DatabaseStep database;
    PagesStep pages(request);
    LoginStep login;
    BuildStep* const steps[] = {&skeleton, &database, &pages, &login};
    MemorySink sink;
    RecordedMessages messages;
    const auto result = runBuild(model, runDir, project, steps, sink, messages, {}, threads);
    SampleBuild build;
    // The database carries the time it was made; every other file must match byte for byte.
    for (const auto& file : sink.files())
        if (file.path.extension() != ".mdb") build.files[file.path] = file.bytes;
    build.messages = messages.texts();
    build.written = result.written();
    return build;
}

TEST(SiteBuild, PagesOnManyThreadsComeOutAsOnOne) {
    DesignBuilder design;
    const auto project = design.project("并行");
    std::vector<catalogue::Id> tables;
    for (int t = 0; t < 12; ++t) {
        const auto table = design.table(project, "表" + std::to_string(t));
        design.field(table, makeField("名称"));
        design.field(table, makeField("说明", "备注", "文本域"));
        // Every third table cannot be written: its messages must keep their places.
        if (t % 3 == 1) design.field(table, makeField("表情😀"));
        tables.push_back(table);
    }
    tables.insert(tables.begin() + 5, 9999);  // no such table
    const auto model = design.snapshot();
    TempFolder run;
    const auto one = buildInMemory(model, run.path(), project, tables, 1);
    for (const unsigned threads : {2u, 3u, 8u}) {
        const auto many = buildInMemory(model, run.path(), project, tables, threads);
        EXPECT_EQ(many.messages, one.messages) << threads;
        EXPECT_EQ(many.written, one.written) << threads;
        EXPECT_TRUE(many.files == one.files) << threads;
    }
    for (const int bad : {1, 4, 7, 10}) {
        const std::string table = "表 表" + std::to_string(bad) + " / 字段 表情😀";
        EXPECT_TRUE(std::any_of(one.messages.begin(), one.messages.end(), [&](const std::string& text) {
            return text.find(table) != std::string::npos && text.find("GBK") != std::string::npos;
        })) << table;
    }
    EXPECT_NE(std::find(one.messages.begin(), one.messages.end(), "项目 并行 中没有编号为 9999 的表。"),
              one.messages.end());
}

TEST(OrderedParallel, ResultsInOrderAndAFailureRethrownAtItsTurn) {
    std::vector<std::size_t> seen;
    runInOrder<std::size_t>(
        100, 4, [](std::size_t i) { return i * i; },
        [&](std::size_t i, std::size_t square) {
            EXPECT_EQ(square, i * i);
            seen.push_back(i);
        });
    ASSERT_EQ(seen.size(), 100u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    seen.clear();
    EXPECT_THROW(runInOrder<int>(
                     50, 3,
                     [](std::size_t i) {
                         if (i == 7) throw std::logic_error("defect");
                         return 0;
                     },
                     [&](std::size_t i, int) { seen.push_back(i); }),
                 std::logic_error);
    EXPECT_EQ(seen.size(), 7u) << "the jobs before the failing one are handed back, none after";
}

TEST(DryRunSink, RemembersNamesTouchesNothingAndReadsTheDatabaseBack) {
    TempFolder run;
    DryRunSink sink;
    sink.makeFolders(run.path() / "站" / "data");
    EXPECT_TRUE(sink.isFolder(run.path() / "站"));
    sink.writeText(run.path() / "站" / "a.asp", "学生", [](std::string_view) { return std::string(); });
    sink.writeBytes(run.path() / "站" / "data" / "data.mdb", std::string("\0\1mdb", 5));
    EXPECT_TRUE(fs::is_empty(run.path()));
    EXPECT_EQ(sink.paths(),
              (std::vector<fs::path>{run.path() / "站" / "a.asp", run.path() / "站" / "data" / "data.mdb"}));
    EXPECT_TRUE(sink.exists(run.path() / "站" / "a.asp"));
    EXPECT_EQ(sink.readBack(run.path() / "站" / "data" / "data.mdb"), std::string("\0\1mdb", 5));
}

TEST(SiteSink, TextIsStoredAsGbkOrNotAtAllWithTheCallersMessage) {
    MemorySink sink;
    sink.writeText("/a.asp", "学a", [](std::string_view) { return std::string("unused"); });
    try {
        sink.writeText("/b.asp", "学😀", [](std::string_view character) { return "字符 " + std::string(character); });
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "字符 😀");
    }
    ASSERT_EQ(sink.files().size(), 1u);
    EXPECT_EQ(sink.files()[0].bytes,
              "\xD1\xA7"
              "a");
}

TEST(BuildContext, KeptDatabaseIsHandedOverOnceAndStoredWhenNoStepTookIt) {
    MemorySink sink;
    BuildContext context;
    const fs::path file = "/站/data/data.mdb";
    auto database = jet::Database::createEmpty();
    database.execute("create Table 表([id] Counter PRIMARY KEY,[名] VarChar(50))");
    const std::string bytes = database.bytes();
    context.keepSiteDatabase(file, std::move(database));
    EXPECT_FALSE(sink.readBack(file)) << "nothing is written while it is kept";
    EXPECT_FALSE(context.takeSiteDatabase("/站/data/other.mdb"));
    auto kept = context.takeSiteDatabase(file);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->bytes(), bytes);
    EXPECT_FALSE(context.takeSiteDatabase(file)) << "handed over once";
    EXPECT_TRUE(context.storeUntaken(sink).empty());
    EXPECT_FALSE(sink.readBack(file)) << "what was taken is the taker's to store";

    context.keepSiteDatabase(file, std::move(*kept));
    EXPECT_TRUE(context.storeUntaken(sink).empty());
    EXPECT_EQ(sink.readBack(file), bytes) << "a database no step took is stored at the end";
    EXPECT_FALSE(context.takeSiteDatabase(file));
}

TEST(BuildContext, AFailedStoreOfTheUntakenDatabaseIsReported) {
    testing::TempFolder run;
    FileSink disk;
    BuildContext context;
    context.keepSiteDatabase(run.path() / "missing" / "data.mdb", jet::Database::createEmpty());
    const auto failures = context.storeUntaken(disk);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("data.mdb"), std::string::npos) << failures[0];
}

TEST(DatabaseStep, StatementLogThatGbkCannotHoldIsReportedNotWrittenAsUtf8) {
    DesignBuilder design;
    const auto project = design.project("编码");
    design.field(design.table(project, "表"), makeField("표"));  // Hangul: a Jet name, no GBK form
    MemorySink sink;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), "/run", project, sink, messages);
    ASSERT_FALSE(result.file.empty()) << "the database itself is written";
    EXPECT_TRUE(result.schemaFile.empty());
    EXPECT_EQ(result.problems, 1u);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0],
              "项目 编码：编码-schema.sql 中的字符“표”无法用 GBK 编码（来自表名或字段名），该文件未生成。");
    EXPECT_EQ(sink.find("/run/编码-schema.sql"), nullptr);
}

}  // namespace
}  // namespace tabulon::generator
