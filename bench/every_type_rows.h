#pragma once
// The rows the Jet benchmarks write: a table with a column of every type, and its i-th row.
#include <cstdint>
#include <string>
#include <vector>

#include "jet/types.h"

namespace tabulon::bench {

inline std::vector<jet::Column> everyTypeColumns() {
    using jet::ColumnType;
    return {{"名称", ColumnType::Text},    {"编号", ColumnType::Long},     {"序号", ColumnType::Short},
            {"单价", ColumnType::Double},  {"比率", ColumnType::Single},   {"等级", ColumnType::Byte},
            {"金额", ColumnType::Numeric}, {"日期", ColumnType::DateTime}, {"备注", ColumnType::Memo},
            {"启用", ColumnType::Boolean}};
}

inline std::vector<jet::Value> everyTypeValues(int i) {
    return {"商品" + std::to_string(i), std::int64_t{i}, std::int64_t{i % 30000}, i * 0.25, 0.5, std::int64_t{i % 256},
            std::to_string(i % 10000) + ".50", jet::DateTime{2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60},
            // Mostly short notes; every thousandth one longer than a page.
            i % 1000 == 0 ? std::string(6000, 'N') : "备注" + std::to_string(i), i % 2 == 0};
}

}  // namespace tabulon::bench
