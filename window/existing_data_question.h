#pragma once
// Before ② replaces a site database that holds rows, the user chooses what becomes of them.
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "generator/database/database_generator.h"

namespace tabulon::window {

// Asks "data.mdb 中已有 N 条记录：" with the buttons 保留数据重新生成, 重新生成空库 and 取消.
// nullopt for 取消.
std::optional<generator::ExistingRows> askAboutExistingRows(QWidget* parent, std::size_t rows);

// The options for ② on the project's site folder: asks only when its data.mdb holds rows;
// nullopt when the user cancels.
std::optional<generator::DatabaseOptions> chooseDatabaseOptions(QWidget* parent, const std::filesystem::path& runDir,
                                                                std::string_view projectName);

}  // namespace tabulon::window
