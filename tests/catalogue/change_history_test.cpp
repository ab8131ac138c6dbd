// Undo and redo of catalogue changes through recorded changesets.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/change_history.h"
#include "tests/support/temp_folder.h"

namespace tabulon::catalogue {
namespace {

using testing::TempFolder;

// 流水帐 (table 27) of the sample project 记账 (project 4) has the fields 158 to 162.
constexpr Id kLedger = 27;
constexpr Id kSampleProject = 4;

std::vector<std::string> fieldNames(const Catalogue& catalogue, Id table) {
    std::vector<std::string> names;
    for (const auto& field : catalogue.fields(table, FieldOrder::ById)) names.push_back(field.name);
    return names;
}

TEST(ChangeHistory, UndoOfATableDeleteBringsBackTheTableAndItsFieldsAndRedoRemovesThemAgain) {
    auto catalogue = Catalogue::inMemory();
    const auto fieldsBefore = catalogue.fields(kLedger, FieldOrder::ById);
    ASSERT_EQ(fieldsBefore.size(), 5u);
    ChangeHistory history(catalogue);

    history.record([&] { catalogue.deleteTable(kLedger); });
    ASSERT_FALSE(catalogue.table(kLedger));
    EXPECT_EQ(history.undoName(), "删除表“流水帐”");

    history.undo();
    ASSERT_TRUE(catalogue.table(kLedger));
    EXPECT_EQ(catalogue.table(kLedger)->name, "流水帐");
    EXPECT_EQ(catalogue.table(kLedger)->projectId, kSampleProject);
    const auto fieldsAfter = catalogue.fields(kLedger, FieldOrder::ById);
    ASSERT_EQ(fieldsAfter.size(), fieldsBefore.size());
    for (std::size_t i = 0; i < fieldsBefore.size(); ++i) {
        EXPECT_EQ(fieldsAfter[i].id, fieldsBefore[i].id);
        EXPECT_EQ(fieldsAfter[i].name, fieldsBefore[i].name);
        EXPECT_EQ(fieldsAfter[i].linkTable, fieldsBefore[i].linkTable);
        EXPECT_EQ(fieldsAfter[i].cascadeDisplay, fieldsBefore[i].cascadeDisplay);
        EXPECT_EQ(fieldsAfter[i].order, fieldsBefore[i].order);
    }
    EXPECT_FALSE(history.canUndo());
    ASSERT_TRUE(history.canRedo());
    EXPECT_EQ(history.redoName(), "删除表“流水帐”");

    history.redo();
    EXPECT_FALSE(catalogue.table(kLedger));
    EXPECT_TRUE(catalogue.fields(kLedger, FieldOrder::ById).empty());
    EXPECT_TRUE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

TEST(ChangeHistory, StepsUndoInReverseOrderBackToTheStart) {
    auto catalogue = Catalogue::inMemory();
    ChangeHistory history(catalogue);
    Id project = 0;
    Id table = 0;
    history.record([&] { project = catalogue.addProject({0, "图书", "借阅"}); });
    history.record([&] { table = catalogue.addTable({0, project, "书目", ""}); });
    history.record([&] {
        Field field;
        field.tableId = table;
        field.name = "书名";
        catalogue.addField(field);
    });
    history.record([&] {
        auto renamed = *catalogue.project(project);
        renamed.name = "藏书";
        catalogue.updateProject(renamed);
    });
    EXPECT_EQ(history.undoCount(), 4u);
    EXPECT_EQ(history.undoName(), "修改项目“藏书”");

    history.undo();
    EXPECT_EQ(catalogue.project(project)->name, "图书");
    EXPECT_EQ(history.undoName(), "添加字段“书名”");
    history.undo();
    EXPECT_TRUE(fieldNames(catalogue, table).empty());
    history.undo();
    EXPECT_FALSE(catalogue.table(table));
    history.undo();
    EXPECT_FALSE(catalogue.project(project));
    EXPECT_EQ(catalogue.projects().size(), 1u);
    EXPECT_FALSE(history.canUndo());
    history.undo();  // nothing left: no effect
    EXPECT_EQ(catalogue.projects().size(), 1u);

    // Redo walks forward again with the same ids.
    history.redo();
    history.redo();
    history.redo();
    EXPECT_EQ(fieldNames(catalogue, table), std::vector<std::string>{"书名"});
    EXPECT_EQ(catalogue.table(table)->projectId, project);
}

TEST(ChangeHistory, ANewChangeDropsWhatWasUndoneAndAQuietActionLeavesNoStep) {
    auto catalogue = Catalogue::inMemory();
    ChangeHistory history(catalogue);
    history.record([&] { catalogue.deleteField(160); });
    history.undo();
    ASSERT_TRUE(history.canRedo());
    history.record([&] { (void)catalogue.projects(); });  // reads only
    EXPECT_TRUE(history.canRedo()) << "a step that changed nothing keeps the redo";
    EXPECT_FALSE(history.canUndo());
    history.record([&] { catalogue.deleteTemplate(catalogue.templates("列表").front().id); });
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoName(), "删除模板");
}

TEST(ChangeHistory, AProjectDeleteIsNamedAfterTheProjectAndComesBackWhole) {
    auto catalogue = Catalogue::inMemory();
    const auto tables = catalogue.tables(kSampleProject);
    ChangeHistory history(catalogue);
    history.record([&] { catalogue.deleteProject(kSampleProject); });
    EXPECT_EQ(history.undoName(), "删除项目“记账”");
    history.undo();
    EXPECT_EQ(catalogue.tables(kSampleProject).size(), tables.size());
    EXPECT_EQ(fieldNames(catalogue, kLedger).size(), 5u);
}

TEST(ChangeHistory, WhatAFailingActionChangedBeforeItFailedCanBeUndone) {
    auto catalogue = Catalogue::inMemory();
    ChangeHistory history(catalogue);
    EXPECT_THROW(history.record([&] {
        catalogue.deleteField(158);
        throw std::runtime_error("stopped half way");
    }),
                 std::runtime_error);
    ASSERT_TRUE(history.canUndo());
    history.undo();
    EXPECT_TRUE(catalogue.field(158));
}

TEST(ChangeHistory, RowsChangedBehindItsBackStopTheUndoAndKeepEverything) {
    TempFolder run;
    auto catalogue = Catalogue::openInRunFolder(run.path());
    ChangeHistory history(catalogue);
    history.record([&] {
        auto field = *catalogue.field(160);
        field.description = "名称说明";
        catalogue.updateField(field);
    });
    // Another writer changes the same row afterwards.
    {
        auto other = Catalogue::openInRunFolder(run.path());
        auto field = *other.field(160);
        field.description = "别处的改动";
        other.updateField(field);
    }
    EXPECT_THROW(history.undo(), Error);
    EXPECT_EQ(catalogue.field(160)->description, "别处的改动");
    EXPECT_TRUE(history.canUndo()) << "the step stays for a later try";
    EXPECT_FALSE(history.canRedo());
}

}  // namespace
}  // namespace tabulon::catalogue
