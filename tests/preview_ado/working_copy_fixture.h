#pragma once
// Working copies seeded from Jet files made with our writer, in a temporary folder.
#include <filesystem>
#include <memory>
#include <string>

#include "jet/database.h"
#include "preview/ado/ado.h"
#include "preview/workcopy/seed.h"
#include "tests/support/temp_folder.h"

namespace tabulon::testing {

namespace ado = tabulon::preview::ado;

// Table 流水帐 holds one column of every Jet type the site's pages write; 用户 is a login
// table; 空表 has no rows.
inline jet::Database sampleDatabase() {
    jet::Database db = jet::Database::createEmpty();
    db.execute(
        "create Table 流水帐([id] Counter PRIMARY KEY,[名称]  VarChar(10),[金额]  real,[数量]  short,"
        "[等级]  byte,[总数]  integer,[价格]  double,[小计]  NUMERIC(6,2),[日期]  datetime,[备注]  memo,"
        "[已付]  bit)");
    db.execute("create Table 用户([id] Counter PRIMARY KEY,[帐号]  VarChar(50),[密码]  VarChar(50))");
    db.execute("create Table 空表([id] Counter PRIMARY KEY,[说明]  VarChar(50))");
    auto row = [&](const std::string& name, double amount, std::int64_t count, const jet::DateTime& when, bool paid) {
        db.insert("流水帐", {{"名称", name},
                             {"金额", amount},
                             {"数量", count},
                             {"等级", std::int64_t{3}},
                             {"总数", count * 1000},
                             {"价格", amount * 2},
                             {"小计", std::string("12.50")},
                             {"日期", when},
                             {"备注", std::string("备注 ") + name},
                             {"已付", paid}});
    };
    row("Apple", 12.3, 1, {2024, 1, 31, 0, 0, 0}, true);
    row("banana", 5, 2, {2024, 2, 1, 10, 30, 0}, false);
    row("午餐", 30, 2, {2024, 3, 15, 12, 0, 0}, true);
    row("apple pie", 8.5, 4, {2023, 12, 31, 23, 59, 59}, false);
    db.insert("用户", {{"帐号", std::string("vokra")}, {"密码", std::string("vokra")}});
    db.insert("用户", {{"帐号", std::string("Admin")}, {"密码", std::string("secret")}});
    return db;
}

// A working copy of `db` in a fresh folder, and a connection to it.
class WorkingCopy {
public:
    explicit WorkingCopy(const jet::Database& db = sampleDatabase()) {
        mdb_ = folder_.path() / "data.mdb";
        copy_ = folder_.path() / "run" / "data.sqlite";
        db.save(mdb_);
        preview::seedWorkingCopy(mdb_, copy_);
    }
    std::unique_ptr<ado::Connection> connect() const { return ado::openWorkingCopy(copy_.string()); }
    const std::filesystem::path& mdb() const { return mdb_; }
    const std::filesystem::path& copy() const { return copy_; }
    const std::filesystem::path& folder() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::filesystem::path mdb_;
    std::filesystem::path copy_;
};

// The value of `field` in the current row.
inline ado::Value at(const ado::Recordset& rs, const std::string& field) {
    const int index = rs.fieldIndex(field);
    if (index < 0) throw std::runtime_error("no field " + field);
    return rs.value(index);
}

inline ado::Value text(const std::string& value) {
    ado::Value v;
    v.kind = ado::Value::Kind::Text;
    v.text = value;
    return v;
}

inline ado::Value number(double value) {
    ado::Value v;
    v.kind = ado::Value::Kind::Double;
    v.number = value;
    return v;
}

// The HRESULT of the AdoError `action` throws, or 0 when it throws none.
template <typename Action>
std::uint32_t hresultOf(Action&& action) {
    try {
        action();
    } catch (const ado::AdoError& error) {
        return static_cast<std::uint32_t>(error.hresult());
    }
    return 0;
}

}  // namespace tabulon::testing
