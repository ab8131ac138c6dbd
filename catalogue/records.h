#pragma once
// The rows of the four catalogue tables, as plain values. Empty (NULL) text reads as "".
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/data_type.h"
#include "catalogue/widget_kind.h"

namespace tabulon::catalogue {

using Id = std::int64_t;

struct Project {
    Id id = 0;
    std::string name;  // 项目名称
    std::string note;  // 项目备注
};

struct Table {
    Id id = 0;
    Id projectId = 0;         // 项目编号
    std::string name;         // 表名称
    std::string description;  // 表说明
};

struct Field {
    Id id = 0;
    Id tableId = 0;                // 表编号
    std::string name;              // 字段名称
    std::string type;              // 字段类型
    std::string description;       // 字段说明
    std::int64_t order = 0;        // 排序
    std::string inputType;         // 输入类型
    std::string linkTable;         // 关联表: a 表.id as decimal text
    std::string linkField;         // 关联字段: a 字段.id of the linked table, "0" = its key `id`
    std::string cascadeTable;      // 联动表
    std::string cascadeField;      // 联动字段
    std::string cascadeCondition;  // 联动条件
    std::string cascadeDisplay;    // 联显字段: a 字段.id of the field's own table
    // `type` and `inputType` parsed: set when the snapshot is made, and only then.
    DataType dataType = DataType::Unknown;
    WidgetKind widget = WidgetKind::Other;
};

struct TemplateRow {
    Id id = 0;
    std::string kind;        // 类型
    std::string content;     // 内容
    std::int64_t order = 0;  // 排序
};

// The value sets, in the order the window's combo boxes list them (kDataTypes and
// kInputTypes come from their tables).
inline constexpr std::array<std::string_view, 10> kTemplateKinds = {"添加", "修改", "删除", "列表", "显示",
                                                                    "登录", "菜单", "导航", "底部", "桌面"};

// Longest text, in characters, that a text column of 50 holds.
inline constexpr std::size_t kNameLength = 50;
inline constexpr std::size_t kLinkLength = 255;

}  // namespace tabulon::catalogue
