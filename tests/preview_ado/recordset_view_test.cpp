// Filter, Sort, Find, bookmarks and MaxRecords on recordsets, as ADO 2.8 answers them over Jet.
#include <gtest/gtest.h>

#include "tests/preview_ado/working_copy_fixture.h"

namespace tabulon::testing {
namespace {

using Ids = std::vector<std::int64_t>;

class RecordsetView : public ::testing::Test {
protected:
    static Ids idsOf(ado::Recordset& rs) {
        Ids ids;
        for (; !rs.eof(); rs.moveNext()) ids.push_back(at(rs, "id").integer);
        return ids;
    }
    std::unique_ptr<ado::Recordset> all(int cursor = ado::adOpenStatic, int lock = ado::adLockOptimistic) {
        return conn->open("select * from 流水帐 order by id", cursor, lock);
    }
    WorkingCopy copy;
    std::unique_ptr<ado::Connection> conn = copy.connect();
};

TEST_F(RecordsetView, FilterNarrowsAndAnEmptyFilterRestores) {
    auto rs = all();
    rs->setFilter("数量 = 2");
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(idsOf(*rs), (Ids{2, 3}));
    rs->setFilter("名称 like 'APP*' or (数量 > 3 and 已付 = false)");
    EXPECT_EQ(idsOf(*rs), (Ids{1, 4}));
    rs->setFilter("日期 >= #2024/2/1# AND 名称 <> 'banana'");
    EXPECT_EQ(idsOf(*rs), Ids{3});
    rs->setFilter("备注 = null");
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->eof() && rs->bof());
    rs->setFilter("");
    EXPECT_EQ(idsOf(*rs), (Ids{1, 2, 3, 4}));

    EXPECT_EQ(hresultOf([&] { rs->setFilter("无此列 = 1"); }), 0x800A0BB9u);
    EXPECT_EQ(hresultOf([&] { rs->setFilter("数量 = "); }), 0x800A0BB9u);
    EXPECT_EQ(hresultOf([&] { rs->setFilter("数量 == 1 '"); }), 0x800A0BB9u);
}

TEST_F(RecordsetView, SortOrdersTheRowsAndKeepsThemEditable) {
    auto rs = all();
    rs->setSort("数量 desc, 名称");
    EXPECT_EQ(idsOf(*rs), (Ids{4, 2, 3, 1}));  // banana before 午餐: text ignores case, Latin first
    rs->setFilter("数量 = 2");
    EXPECT_EQ(idsOf(*rs), (Ids{2, 3}));
    rs->moveFirst();
    rs->setValue(rs->fieldIndex("名称"), text("改"));
    rs->update();
    rs->setFilter("");
    rs->setSort("");
    EXPECT_EQ(idsOf(*rs), (Ids{1, 2, 3, 4}));
    EXPECT_EQ(conn->open("select 名称 from 流水帐 where id = 2", 3, 1)->value(0).text, "改");
    EXPECT_EQ(hresultOf([&] { rs->setSort("无此列"); }), 0x800A0BB9u);
}

TEST_F(RecordsetView, FindMovesToTheNextMatchOrToEof) {
    auto rs = all();
    rs->find("数量 = 2", 0, false);
    EXPECT_EQ(at(*rs, "id").integer, 2);
    rs->find("数量 = 2", 0, false);  // the current row counts
    EXPECT_EQ(at(*rs, "id").integer, 2);
    rs->find("数量 = 2", 1, false);
    EXPECT_EQ(at(*rs, "id").integer, 3);
    rs->find("数量 = 2", 1, false);
    EXPECT_TRUE(rs->eof());
    rs->moveLast();
    rs->find("名称 = 'APPLE'", 0, true);
    EXPECT_EQ(at(*rs, "id").integer, 1);
    rs->find("名称 = 'none'", 0, true);
    EXPECT_TRUE(rs->bof());
}

TEST_F(RecordsetView, BookmarksFindTheirRowUnderAnyOrder) {
    auto rs = all();
    rs->moveNext();
    rs->moveNext();
    const double mark = rs->bookmark();
    rs->setSort("名称 desc");
    rs->moveFirst();
    rs->setBookmark(mark);
    EXPECT_EQ(at(*rs, "id").integer, 3);
    auto forward = all(ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_EQ(hresultOf([&] { forward->bookmark(); }), 0x800A0CB3u);

    auto grouped = conn->open("select 数量, count(*) as n from 流水帐 group by 数量", 3, 1);
    grouped->moveLast();
    const double last = grouped->bookmark();
    grouped->moveFirst();
    grouped->setBookmark(last);
    EXPECT_EQ(grouped->value(0).integer, 4);
}

TEST_F(RecordsetView, MaxRecordsKeepsTheFirstRows) {
    auto rs = conn->open("select * from 流水帐 order by id desc", ado::adOpenStatic, ado::adLockReadOnly, {}, 2);
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(idsOf(*rs), (Ids{4, 3}));
    auto totals = conn->open("select 数量 from 流水帐 group by 数量", ado::adOpenStatic, ado::adLockReadOnly, {}, 1);
    EXPECT_EQ(totals->recordCount(), 1);
}

}  // namespace
}  // namespace tabulon::testing
