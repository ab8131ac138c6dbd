// Recordset behaviour the generated pages rely on: cursors, paging, adding, editing and
// deleting rows, Jet's checks on the values written, and several recordsets at once.
#include <gtest/gtest.h>

#include "tests/preview_ado/working_copy_fixture.h"

namespace tabulon::testing {
namespace {

using Kind = ado::Value::Kind;

class Recordsets : public ::testing::Test {
protected:
    std::unique_ptr<ado::Recordset> open(const std::string& sql, int cursor = ado::adOpenStatic,
                                         int lock = ado::adLockOptimistic) {
        return conn->open(sql, cursor, lock);
    }
    long count(const std::string& table) {
        return open("select * from " + table, ado::adOpenStatic, ado::adLockReadOnly)->recordCount();
    }
    void set(ado::Recordset& rs, const std::string& field, const ado::Value& value) {
        rs.setValue(rs.fieldIndex(field), value);
    }

    WorkingCopy copy;
    std::unique_ptr<ado::Connection> conn = copy.connect();
};

// A table of `rows` rows, for paging.
jet::Database manyRows(int rows) {
    jet::Database db = jet::Database::createEmpty();
    db.execute("create Table 明细([id] Counter PRIMARY KEY,[序号]  integer)");
    for (int i = 1; i <= rows; ++i) db.insert("明细", {{"序号", std::int64_t{i}}});
    return db;
}

TEST_F(Recordsets, ForwardOnlyCursorHasNoCountAndNoWayBack) {
    auto rs = open("select * from 流水帐", ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_EQ(rs->recordCount(), -1);
    EXPECT_EQ(rs->pageCount(), -1);
    EXPECT_EQ(rs->absolutePage(), -1);
    rs->moveNext();
    EXPECT_EQ(at(*rs, "id").integer, 2);
    EXPECT_EQ(hresultOf([&] { rs->movePrevious(); }), 0x80040E24u);
    EXPECT_EQ(hresultOf([&] { rs->setAbsolutePage(1); }), 0x800A0CB3u);
    rs->moveFirst();
    EXPECT_EQ(at(*rs, "id").integer, 1);
    int rows = 0;
    for (; !rs->eof(); rs->moveNext()) ++rows;
    EXPECT_EQ(rows, 4);
}

TEST_F(Recordsets, StaticCursorPagesLikeTheListPage) {
    WorkingCopy big(manyRows(40));
    auto bigConn = big.connect();
    auto rs = bigConn->open("select * from 明细 where 1 order by id desc", ado::adOpenStatic, ado::adLockReadOnly);
    rs->setPageSize(15);
    EXPECT_EQ(rs->recordCount(), 40);
    EXPECT_EQ(rs->pageCount(), 3);
    EXPECT_EQ(rs->absolutePage(), 1);
    rs->setAbsolutePage(2);
    EXPECT_EQ(rs->absolutePosition(), 16);
    std::vector<std::int64_t> page;
    for (int i = 0; !rs->eof() && i < rs->pageSize(); ++i, rs->moveNext()) page.push_back(at(*rs, "序号").integer);
    ASSERT_EQ(page.size(), 15u);
    EXPECT_EQ(page.front(), 25);
    EXPECT_EQ(page.back(), 11);
    rs->setAbsolutePage(3);
    int last = 0;
    for (; !rs->eof(); rs->moveNext()) ++last;
    EXPECT_EQ(last, 10);
    rs->setAbsolutePage(4);  // past the last page: EOF, as the list page's guard expects
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->absolutePage(), -3);
    EXPECT_EQ(hresultOf([&] { rs->setAbsolutePage(0); }), 0x800A0BB9u);
    EXPECT_EQ(hresultOf([&] { rs->setPageSize(0); }), 0x800A0BB9u);
    rs->setAbsolutePosition(40);
    EXPECT_EQ(at(*rs, "序号").integer, 1);
    rs->moveLast();
    rs->movePrevious();
    EXPECT_EQ(at(*rs, "序号").integer, 2);
}

TEST_F(Recordsets, BofAndEofGuardTheCurrentRecord) {
    auto empty = open("select * from 空表");
    EXPECT_TRUE(empty->bof());
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->pageCount(), 0);
    EXPECT_EQ(hresultOf([&] { empty->value(0); }), 0x800A0BCDu);
    EXPECT_EQ(hresultOf([&] { empty->moveNext(); }), 0x800A0BCDu);

    auto rs = open("select * from 用户 order by id");
    EXPECT_FALSE(rs->bof());
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    EXPECT_FALSE(rs->eof());
    EXPECT_EQ(rs->absolutePage(), -2);
    EXPECT_EQ(hresultOf([&] { rs->value(1); }), 0x800A0BCDu);
    rs->moveFirst();
    rs->moveNext();
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(hresultOf([&] { at(*rs, "帐号"); }), 0x800A0BCDu);
    EXPECT_EQ(hresultOf([&] { rs->moveNext(); }), 0x800A0BCDu);
    EXPECT_EQ(hresultOf([&] { rs->deleteCurrent(); }), 0x800A0BCDu);
    EXPECT_EQ(hresultOf([&] { rs->value(7); }), 0x800A0CC1u);
    EXPECT_EQ(rs->fieldIndex("无此列"), -1);
    EXPECT_EQ(hresultOf([&] { ado::requireField(*rs, "无此列"); }), 0x800A0CC1u);
    EXPECT_EQ(ado::requireField(*rs, "帐号"), 1);
}

TEST_F(Recordsets, ValuesComeBackWithTheirJetKinds) {
    auto rs = open("select * from 流水帐 where id=2", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(at(*rs, "id").kind, Kind::Long);
    EXPECT_EQ(at(*rs, "名称").kind, Kind::Text);
    EXPECT_EQ(at(*rs, "数量").kind, Kind::Integer);
    EXPECT_EQ(at(*rs, "等级").kind, Kind::Byte);
    EXPECT_EQ(at(*rs, "总数").kind, Kind::Long);
    EXPECT_EQ(at(*rs, "价格").kind, Kind::Double);
    EXPECT_EQ(at(*rs, "金额").kind, Kind::Single);
    EXPECT_EQ(at(*rs, "小计").kind, Kind::Decimal);
    EXPECT_EQ(at(*rs, "小计").text, "12.50");
    EXPECT_EQ(at(*rs, "日期").kind, Kind::Date);
    EXPECT_DOUBLE_EQ(at(*rs, "日期").number, 45323.4375);  // 2024-02-01 10:30
    EXPECT_EQ(at(*rs, "已付").kind, Kind::Boolean);
    EXPECT_FALSE(at(*rs, "已付").boolean);
    auto apple = open("select 金额 from 流水帐 where id=1", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(apple->value(0).number, 12.300000190734863);
}

TEST_F(Recordsets, AddNewThenUpdateAssignsTheCounter) {
    for (int cursor : {ado::adOpenForwardOnly, ado::adOpenStatic}) {
        auto rs = open("select * from 流水帐", cursor, ado::adLockPessimistic);
        rs->addNew();
        EXPECT_EQ(at(*rs, "id").kind, Kind::Null);
        set(*rs, "名称", text("新"));
        set(*rs, "金额", text("12.3"));  // as the add page posts it: text
        set(*rs, "数量", text(" 7 "));
        set(*rs, "总数", text("2.5"));  // rounds to even, as OLE conversions do
        set(*rs, "小计", text("3.456"));
        set(*rs, "日期", text("2024-05-06 08:09:10"));
        set(*rs, "已付", text("True"));
        set(*rs, "备注", ado::Value::null());
        EXPECT_EQ(at(*rs, "名称").text, "新");
        rs->update();
        const std::int64_t id = at(*rs, "id").integer;
        EXPECT_EQ(id, cursor == ado::adOpenStatic ? 6 : 5);
        auto check =
            open("select * from 流水帐 where id=" + std::to_string(id), ado::adOpenStatic, ado::adLockReadOnly);
        EXPECT_EQ(at(*check, "名称").text, "新");
        EXPECT_EQ(at(*check, "金额").number, static_cast<double>(12.3f));
        EXPECT_EQ(at(*check, "数量").integer, 7);
        EXPECT_EQ(at(*check, "总数").integer, 2);
        EXPECT_EQ(at(*check, "小计").text, "3.46");
        EXPECT_DOUBLE_EQ(at(*check, "日期").number, 45418.0 + (8 * 3600 + 9 * 60 + 10) / 86400.0);
        EXPECT_TRUE(at(*check, "已付").boolean);
        EXPECT_EQ(at(*check, "备注").kind, Kind::Null);
    }
    EXPECT_EQ(count("流水帐"), 6);
}

TEST_F(Recordsets, ValuesJetRefusesFailAsMultipleStepErrors) {
    auto rs = open("select * from 流水帐");
    rs->addNew();
    const std::vector<std::pair<std::string, ado::Value>> refused = {
        {"数量", text("")},           {"日期", text("")},
        {"金额", text("")},           {"小计", text("")},
        {"价格", text("abc")},        {"数量", text("1x")},
        {"等级", number(256)},        {"等级", number(-1)},
        {"数量", number(40000)},      {"总数", number(3e9)},
        {"小计", number(12345.6)},    {"名称", text("12345678901")},
        {"日期", text("2024-02-30")}, {"已付", text("maybe")},
        {"id", ado::Value::null()},   {"id", number(9)},
    };
    for (const auto& [field, value] : refused) {
        EXPECT_EQ(hresultOf([&] { set(*rs, field, value); }), 0x80040E21u) << field << " <- '" << value.text << "'";
    }
    set(*rs, "名称", text("一二三四五六七八九十"));  // ten characters fit a Text(10)
    set(*rs, "等级", number(255));
    set(*rs, "名称", ado::Value::null());
    rs->cancelUpdate();
    EXPECT_EQ(count("流水帐"), 4);
    try {
        set(*rs, "id", number(1));
    } catch (const ado::AdoError& error) {
        EXPECT_NE(std::string(error.what()).find("Multiple-step OLE DB operation generated errors"), std::string::npos);
    }
}

TEST_F(Recordsets, ReadOnlyRecordsetsRefuseEveryChange) {
    auto rs = open("select * from 流水帐", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(hresultOf([&] { rs->addNew(); }), 0x800A0CB3u);
    EXPECT_EQ(hresultOf([&] { set(*rs, "名称", text("x")); }), 0x800A0CB3u);
    EXPECT_EQ(hresultOf([&] { rs->deleteCurrent(); }), 0x800A0CB3u);
    auto totals = open("select count(*) from 流水帐", ado::adOpenStatic, ado::adLockOptimistic);
    EXPECT_EQ(hresultOf([&] { totals->addNew(); }), 0x800A0CB3u);
    try {
        rs->addNew();
    } catch (const ado::AdoError& error) {
        EXPECT_EQ(error.source(), "ADODB.Recordset");
        EXPECT_NE(std::string(error.what()).find("Current Recordset does not support updating"), std::string::npos);
    }
    EXPECT_EQ(count("流水帐"), 4);
}

TEST_F(Recordsets, UpdateWritesTheCurrentRowAndMovingSavesEdits) {
    auto rs = open("select * from 流水帐 where id=2", ado::adOpenForwardOnly, ado::adLockPessimistic);
    set(*rs, "名称", text("香蕉"));
    set(*rs, "数量", text("9"));
    EXPECT_EQ(at(*rs, "数量").integer, 9);
    rs->update();
    auto check = open("select * from 流水帐 where id=2", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(at(*check, "名称").text, "香蕉");
    EXPECT_EQ(at(*check, "数量").integer, 9);
    EXPECT_EQ(at(*check, "金额").number, 5.0);  // untouched columns stay

    auto walk = open("select * from 流水帐 order by id");
    set(*walk, "名称", text("first"));
    walk->moveNext();  // ADO saves the pending edit when the cursor moves
    walk->cancelUpdate();
    EXPECT_EQ(open("select * from 流水帐 where 名称='first'")->recordCount(), 1);
}

TEST_F(Recordsets, DeletingEachRowWhileWalkingLikeTheDeletePage) {
    auto rs = open("select * from 流水帐 where id in(1,2,3)", ado::adOpenForwardOnly, ado::adLockPessimistic);
    int deleted = 0;
    while (!rs->eof()) {
        rs->deleteCurrent();
        EXPECT_EQ(hresultOf([&] { at(*rs, "名称"); }), 0x800A0BCDu);
        ++deleted;
        rs->moveNext();
    }
    EXPECT_EQ(deleted, 3);
    auto left = open("select * from 流水帐", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(left->recordCount(), 1);
    EXPECT_EQ(at(*left, "id").integer, 4);

    auto counted = open("select * from 用户");
    EXPECT_EQ(counted->recordCount(), 2);
    counted->deleteCurrent();
    EXPECT_EQ(counted->recordCount(), 1);
    counted->moveNext();
    EXPECT_EQ(at(*counted, "帐号").text, "Admin");

    auto adding = open("select * from 用户");
    adding->addNew();
    set(*adding, "帐号", text("temp"));
    adding->deleteCurrent();  // drops the new row, not the one the cursor was on
    EXPECT_EQ(count("用户"), 1);
    EXPECT_EQ(at(*adding, "帐号").text, "Admin");
}

TEST_F(Recordsets, AfterDeleteTheCursorKeepsItsPlaceUntilTheNextMove) {
    auto rs = open("select * from 流水帐 order by id");  // ids 1 to 4
    rs->moveLast();
    rs->deleteCurrent();
    EXPECT_FALSE(rs->eof());  // the end is reached by the next move, not by the delete
    EXPECT_FALSE(rs->bof());
    rs->moveNext();
    EXPECT_TRUE(rs->eof());

    rs->moveFirst();
    rs->moveNext();
    rs->deleteCurrent();  // id 2
    EXPECT_FALSE(rs->eof());
    rs->moveNext();
    EXPECT_EQ(at(*rs, "id").integer, 3);  // the row after the deleted one, none skipped
    rs->moveNext();
    EXPECT_TRUE(rs->eof());

    auto back = open("select * from 流水帐 order by id");
    back->moveNext();
    back->deleteCurrent();  // id 1 remains, then 3
    back->movePrevious();
    EXPECT_EQ(at(*back, "id").integer, 1);
    EXPECT_EQ(back->recordCount(), 1);
}

TEST_F(Recordsets, NestedLookUpsWhileTheOuterRecordsetWalks) {
    auto outer = open("select * from 流水帐 where 1 order by id desc", ado::adOpenStatic, ado::adLockReadOnly);
    std::vector<std::string> seen;
    for (; !outer->eof(); outer->moveNext()) {
        const std::int64_t userId = at(*outer, "id").integer % 2 + 1;
        auto inner =
            open("select id,帐号 from 用户 where id=" + std::to_string(userId), ado::adOpenStatic, ado::adLockReadOnly);
        ASSERT_FALSE(inner->eof());
        seen.push_back(at(*outer, "名称").text + ":" + at(*inner, "帐号").text);
        inner->close();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"apple pie:vokra", "午餐:Admin", "banana:vokra", "Apple:Admin"}));
}

TEST_F(Recordsets, ClosedObjectsRefuseWork) {
    auto rs = open("select * from 用户");
    rs->close();
    EXPECT_FALSE(rs->isOpen());
    EXPECT_EQ(hresultOf([&] { rs->eof(); }), 0x800A0E78u);
    EXPECT_EQ(hresultOf([&] { rs->close(); }), 0x800A0E78u);
    auto still = open("select * from 用户");
    conn->close();
    EXPECT_FALSE(conn->isOpen());
    EXPECT_EQ(hresultOf([&] { still->moveNext(); }), 0x800A0E78u);
    EXPECT_EQ(hresultOf([&] { conn->execute("delete from 用户"); }), 0x800A0E78u);
    EXPECT_EQ(copy.connect()->open("select * from 用户", ado::adOpenStatic, ado::adLockReadOnly)->recordCount(), 2);
}

TEST_F(Recordsets, OpeningAStatementThatReturnsNoRowsRunsIt) {
    auto rs = open("delete from 用户 where id=1");
    EXPECT_FALSE(rs->isOpen());
    EXPECT_EQ(count("用户"), 1);
}

}  // namespace
}  // namespace tabulon::testing
