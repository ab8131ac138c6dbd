#include "catalogue/default_content.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <string>

#include "base/error.h"
#include "resources/embedded.h"

namespace tabulon::catalogue {
namespace {

struct DefaultTable {
    int id;
    const char* name;
};

struct DefaultField {
    int id, tableId;
    const char* name;
    const char* type;
    const char* description;
    int order;
    const char* inputType;
    const char* linkTable;
    const char* linkField;
    const char* cascadeTable;
    const char* cascadeField;
    const char* cascadeCondition;
    const char* cascadeDisplay;
};

// nullptr stands for an empty (never set) link column.
const DefaultTable kTables[] = {{24, "用户"}, {25, "收支"}, {26, "消费类型"}, {27, "流水帐"}};

const DefaultField kFields[] = {
    {152, 24, "帐号", "文本", "username", 3, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {153, 24, "密码", "文本", "password", 0, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {154, 24, "姓名", "文本", nullptr, 0, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {155, 25, "一级分类", "文本", nullptr, 3, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {156, 26, "类型名称", "文本", nullptr, 1, "文本框", nullptr, nullptr, "0", "0", nullptr, nullptr},
    {157, 26, "排序", "整型", nullptr, 2, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {158, 27, "收支", "文本", nullptr, 3, "组合框", "25", "155", "26", "156", "163", "159"},
    {159, 27, "消费类型", "文本", nullptr, 6, "组合框", "26", "156", nullptr, nullptr, nullptr, nullptr},
    {160, 27, "名称", "文本", nullptr, 9, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {161, 27, "金额", "单精度", nullptr, 12, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {162, 27, "日期", "日期时间", nullptr, 15, "文本框", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {163, 26, "收支类型", "文本", nullptr, 0, "组合框", "25", "155", "0", "0", nullptr, nullptr},
};

struct DefaultTemplate {
    int id;
    const char* kind;
    int order;
};

// Content comes from resources/templates/<ID>.tpl, byte for byte.
const DefaultTemplate kTemplates[] = {
    {1, "添加", 1},   {3, "添加", 2},   {4, "添加", 3},   {5, "添加", 4},   {6, "添加", 5},   {7, "添加", 6},
    {8, "修改", 1},   {9, "修改", 2},   {14, "修改", 2},  {10, "修改", 3},  {11, "修改", 4},  {12, "修改", 5},
    {13, "修改", 6},  {15, "删除", 1},  {21, "删除", 2},  {20, "删除", 6},  {22, "列表", 1},  {23, "列表", 3},
    {34, "列表", 5},  {35, "列表", 7},  {36, "列表", 9},  {38, "列表", 11}, {24, "列表", 72}, {25, "列表", 74},
    {26, "列表", 76}, {27, "列表", 78}, {28, "列表", 80}, {29, "列表", 82}, {30, "列表", 84}, {31, "列表", 86},
    {32, "列表", 88}, {33, "列表", 90}, {40, "显示", 1},  {41, "显示", 2},  {46, "显示", 2},  {42, "显示", 3},
    {43, "显示", 4},  {44, "显示", 5},  {45, "显示", 6},  {37, "登录", 11}, {47, "菜单", 3},  {48, "菜单", 5},
    {49, "菜单", 7},  {52, "导航", 2},  {53, "导航", 5},  {51, "底部", 2},  {50, "桌面", 3},
};

std::string_view templateContent(int id) {
    const std::string name = std::to_string(id) + ".tpl";
    for (const auto& file : resources::defaultTemplateFiles())
        if (file.path == name) return file.bytes;
    throw Error("程序缺少默认模板 " + name);
}

void bindOptional(SQLite::Statement& statement, int index, const char* text) {
    if (text)
        statement.bind(index, text);
    else
        statement.bind(index);
}

}  // namespace

void writeDefaultContent(SQLite::Database& db) {
    SQLite::Statement project(db, "INSERT INTO 项目 (id, 项目名称, 项目备注) VALUES (4, '记账', NULL)");
    project.exec();

    SQLite::Statement table(db, "INSERT INTO 表 (id, 项目编号, 表名称, 表说明) VALUES (?, 4, ?, NULL)");
    for (const auto& row : kTables) {
        table.bind(1, row.id);
        table.bind(2, row.name);
        table.exec();
        table.reset();
    }

    SQLite::Statement field(
        db,
        "INSERT INTO 字段 (id, 表编号, 字段名称, 字段类型, 字段说明, 排序, 输入类型, 关联表, 关联字段, "
        "联动表, 联动字段, 联动条件, 联显字段) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (const auto& row : kFields) {
        field.bind(1, row.id);
        field.bind(2, row.tableId);
        field.bind(3, row.name);
        field.bind(4, row.type);
        bindOptional(field, 5, row.description);
        field.bind(6, row.order);
        field.bind(7, row.inputType);
        bindOptional(field, 8, row.linkTable);
        bindOptional(field, 9, row.linkField);
        bindOptional(field, 10, row.cascadeTable);
        bindOptional(field, 11, row.cascadeField);
        bindOptional(field, 12, row.cascadeCondition);
        bindOptional(field, 13, row.cascadeDisplay);
        field.exec();
        field.reset();
    }

    SQLite::Statement templateRow(db, "INSERT INTO 模板定义 (ID, 类型, 内容, 排序) VALUES (?,?,?,?)");
    for (const auto& row : kTemplates) {
        const std::string_view content = templateContent(row.id);
        templateRow.bind(1, row.id);
        templateRow.bind(2, row.kind);
        templateRow.bind(3, std::string(content));  // as text, not as a blob
        templateRow.bind(4, row.order);
        templateRow.exec();
        templateRow.reset();
    }

    // Continue the numbering after the highest ids the default content reserves.
    db.exec("UPDATE sqlite_sequence SET seq = 4 WHERE name = '项目'");
    db.exec("UPDATE sqlite_sequence SET seq = 27 WHERE name = '表'");
    db.exec("UPDATE sqlite_sequence SET seq = 163 WHERE name = '字段'");
    db.exec("UPDATE sqlite_sequence SET seq = 54 WHERE name = '模板定义'");
}

}  // namespace tabulon::catalogue
