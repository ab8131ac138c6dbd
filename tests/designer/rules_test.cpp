// The editors' text rules, the field list texts and how a handler's failure is told.
#include <QTest>

#include <limits>

#include "catalogue/catalogue.h"
#include "designer/editor_context.h"
#include "designer/field_list_rows.h"
#include "designer/text_rules.h"

using namespace tabulon;
using designer::FieldListColumn;

namespace {

std::vector<std::string> columnsOf(const designer::FieldListRow& row) {
    return {row.columns.begin(), row.columns.end()};
}

}  // namespace

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    void namesTheSiteCannotUseAreRefusedByName() {
        QCOMPARE(designer::tableNameRefusal("user!").value_or(""),
                 std::string("表名“user!”不能用：名称含有不能用的字符“!”，未保存。"));
        QVERIFY(!designer::tableNameRefusal("user"));  // reserved words stand in brackets
        QCOMPARE(designer::fieldNameRefusal("单价'元", "文本").value_or(""),
                 std::string("字段名“单价'元”不能用：名称含有不能用的字符“'”，未保存。"));
        QCOMPARE(designer::fieldNameRefusal("", "文本").value_or(""),
                 std::string("字段名“”不能用：名称不能为空，未保存。"));
        QVERIFY(!designer::tableNameRefusal("流水帐"));
        // id is the key every table has: only as the field editor's own auto-number field.
        QVERIFY(!designer::fieldNameRefusal("id", "自动编号"));
        QVERIFY(designer::fieldNameRefusal("ID", "文本"));
        // Spaces are refused by name, never removed behind the user's back.
        QCOMPARE(designer::tableNameRefusal("x y").value_or(""),
                 std::string("表名“x y”不能用：名称含有不能用的字符“空格”，未保存。"));
        QVERIFY(designer::fieldNameRefusal("金\u3000额", "文本").value_or("").find("全角空格") != std::string::npos);
        QVERIFY(designer::projectNameRefusal("图 书").value_or("").find("空格") != std::string::npos);
        // Characters the pages' code page cannot hold, and folder names that leave the run folder.
        QVERIFY(designer::fieldNameRefusal("库存\U0001F600", "文本").value_or("").find("GBK") != std::string::npos);
        QVERIFY(designer::projectNameRefusal("../evil"));
        QVERIFY(designer::projectNameRefusal(".."));
        QVERIFY(designer::pageTextRefusal("字段说明", "好\U0001F600"));
        QVERIFY(!designer::projectNameRefusal("记账"));
    }

    // What a handler's failure becomes: a user-facing error as it is, a failing catalogue file
    // as such, anything else as a fault of the program, never as an ordinary message.
    void handlerFailuresAreToldApartByWhatFailed() {
        QComboBox projects;
        QListWidget tables;
        RecordedMessages messages;
        designer::EditorContext context(messages, designer::Selection(&projects, &tables));
        auto catalogue = catalogue::Catalogue::inMemory();
        context.attach(&catalogue);
        context.handle([](auto&) { throw Error("表名不能为空。"); });
        context.handle([](auto&) { throw SQLite::Exception("database or disk is full"); });
        context.handle([](auto&) { throw std::out_of_range("vector::at"); });
        QCOMPARE(messages.texts().size(), std::size_t{3});
        QCOMPARE(messages.texts()[0], std::string("表名不能为空。"));
        QCOMPARE(messages.texts()[1], std::string("目录数据库操作失败：database or disk is full"));
        QCOMPARE(messages.texts()[2], defectText("vector::at"));
        QVERIFY(!context.busy());
    }

    void ordersAreReadFromTheirLeadingDigits() {
        QCOMPARE(designer::leadingInteger("12"), std::int64_t{12});
        QCOMPARE(designer::leadingInteger("  -4x"), std::int64_t{-4});
        QCOMPARE(designer::leadingInteger("+7"), std::int64_t{7});
        QCOMPARE(designer::leadingInteger("3.9"), std::int64_t{3});
        QCOMPARE(designer::leadingInteger("abc"), std::int64_t{0});
        QCOMPARE(designer::leadingInteger(""), std::int64_t{0});
        QCOMPARE(designer::leadingInteger("-"), std::int64_t{0});
        QCOMPARE(designer::leadingInteger("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
        QCOMPARE(designer::leadingInteger("-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
        QCOMPARE(designer::leadingInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
        QCOMPARE(designer::addClamped(std::numeric_limits<std::int64_t>::max() - 1, 3),
                 std::numeric_limits<std::int64_t>::max());
        QCOMPARE(designer::addClamped(15, 3), std::int64_t{18});
    }

    void aCascadeIsOnForAPositiveTableId() {
        QVERIFY(designer::namesCascade("26"));
        QVERIFY(designer::namesCascade("0.5"));
        QVERIFY(!designer::namesCascade("0"));
        QVERIFY(!designer::namesCascade(""));
        QVERIFY(!designer::namesCascade("-3"));
        QVERIFY(!designer::namesCascade("x26"));
        QCOMPARE(designer::leadingNumber("2.25kg"), 2.25);
    }

    void fieldListNamesTheLinksOfTheSampleTable() {
        const auto db = catalogue::Catalogue::inMemory();
        const auto list = designer::fieldList(db, 27);
        QCOMPARE(list.rows.size(), std::size_t{5});
        QCOMPARE(list.rows[0].fieldId, catalogue::Id{158});
        QCOMPARE(columnsOf(list.rows[0]),
                 (std::vector<std::string>{"1", "收支", "文本", "", "组合框", "收支", "一级分类", "消费类型",
                                           "类型名称", "收支类型", "消费类型"}));
        QCOMPARE(columnsOf(list.rows[1]), (std::vector<std::string>{"2", "消费类型", "文本", "", "组合框", "消费类型",
                                                                    "类型名称", "", "", "", ""}));
        QCOMPARE(list.rows[4].columns[designer::kNumberColumn], std::string("5"));
        QCOMPARE(list.rows[4].columns[designer::kNameColumn], std::string("日期"));
        QCOMPARE(list.proposedOrder, std::int64_t{18});
    }

    void fieldListShowsKeyLinksAndMissingRows() {
        auto db = catalogue::Catalogue::inMemory();
        auto field = *db.field(159);
        field.linkField = "0";       // the linked table's key column
        field.cascadeTable = "999";  // a table that is gone
        field.cascadeField = "0";
        field.cascadeCondition = "888";
        field.cascadeDisplay = "0";
        db.updateField(field);
        auto former = *db.field(160);
        former.linkTable = "26";  // left over from a former drop-down
        former.linkField = "156";
        db.updateField(former);
        const auto list = designer::fieldList(db, 27);
        QCOMPARE(columnsOf(list.rows[1]),
                 (std::vector<std::string>{"2", "消费类型", "文本", "", "组合框", "消费类型", "ID", "", "ID", "", ""}));
        QCOMPARE(list.rows[2].columns[designer::kLinkTableColumn], std::string("26"));
        QCOMPARE(list.rows[2].columns[designer::kLinkFieldColumn], std::string("156"));
    }

    void aTableWithoutFieldsProposesThree() {
        auto db = catalogue::Catalogue::inMemory();
        const auto list = designer::fieldList(db, db.addTable({0, 4, "空表", ""}));
        QVERIFY(list.rows.empty());
        QCOMPARE(list.proposedOrder, std::int64_t{3});
    }

    void equalOrdersKeepTheStoresOrder() {
        const auto db = catalogue::Catalogue::inMemory();
        // 用户: 密码 and 姓名 share order 0 and come in the order they were added.
        const auto list = designer::fieldList(db, 24);
        QCOMPARE(list.rows[0].name, std::string("密码"));
        QCOMPARE(list.rows[1].name, std::string("姓名"));
        QCOMPARE(list.rows[2].name, std::string("帐号"));
        QCOMPARE(list.proposedOrder, std::int64_t{6});
    }
};

QTEST_MAIN(RulesTest)
#include "rules_test.moc"
