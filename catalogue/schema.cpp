#include "catalogue/schema.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <initializer_list>
#include <string>

#include "base/error.h"

namespace tabulon::catalogue::schema {
namespace {

// Keys are AUTOINCREMENT so that a deleted row's id is never handed out again.
constexpr const char* kTables = R"sql(
CREATE TABLE 项目 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    项目名称 TEXT,
    项目备注 TEXT
);
CREATE TABLE 表 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    项目编号 INTEGER,
    表名称 TEXT,
    表说明 TEXT
);
CREATE INDEX 表_项目编号 ON 表 (项目编号);
CREATE TABLE 字段 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    表编号 INTEGER,
    字段名称 TEXT,
    字段类型 TEXT,
    字段说明 TEXT,
    排序 INTEGER,
    输入类型 TEXT,
    关联表 TEXT,
    关联字段 TEXT,
    联动表 TEXT,
    联动字段 TEXT,
    联动条件 TEXT,
    联显字段 TEXT
);
CREATE INDEX 字段_表编号 ON 字段 (表编号);
CREATE TABLE 模板定义 (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    类型 TEXT,
    内容 TEXT,
    排序 INTEGER
);
)sql";

struct Expected {
    const char* table;
    std::initializer_list<const char*> columns;
};

const Expected kExpected[] = {
    {"项目", {"id", "项目名称", "项目备注"}},
    {"表", {"id", "项目编号", "表名称", "表说明"}},
    {"字段",
     {"id", "表编号", "字段名称", "字段类型", "字段说明", "排序", "输入类型", "关联表", "关联字段", "联动表",
      "联动字段", "联动条件", "联显字段"}},
    {"模板定义", {"ID", "类型", "内容", "排序"}},
};

}  // namespace

void create(SQLite::Database& db) {
    db.exec(kTables);
    db.exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    db.exec("PRAGMA user_version = " + std::to_string(kVersion));
}

void verify(SQLite::Database& db, std::string_view displayName) {
    const std::string name(displayName);
    const int applicationId = db.execAndGet("PRAGMA application_id").getInt();
    if (applicationId != kApplicationId) throw Error("文件 " + name + " 不是 Tabulon 的目录数据库，未做任何改动。");
    const int version = db.execAndGet("PRAGMA user_version").getInt();
    if (version > kVersion)
        throw Error("目录数据库 " + name + " 由更新版本的 Tabulon 写成（版本 " + std::to_string(version) +
                    "），本程序无法使用它。");
    for (const auto& expected : kExpected) {
        for (const char* column : expected.columns) {
            SQLite::Statement query(db, "SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE");
            query.bind(1, expected.table);
            query.bind(2, column);
            if (!query.executeStep())
                throw Error("目录数据库 " + name + " 缺少 " + expected.table + "." + column +
                            " 列，文件未做任何改动。");
        }
    }
}

}  // namespace tabulon::catalogue::schema
