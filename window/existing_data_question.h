#pragma once
// Before ② replaces a site database that holds rows, the user chooses what becomes of them.
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "generator/database/database_generator.h"

namespace tabulon::window {

// "data.mdb 中已有 N 条记录。", a line about newer preview data when there is some, and the
// question itself.
QString existingRowsQuestion(std::size_t rows, bool previewNewer);

// Asks the question with the buttons 保留数据重新生成, 重新生成空库 and 取消; nullopt for 取消.
std::optional<generator::ExistingRows> askAboutExistingRows(QWidget* parent, std::size_t rows, bool previewNewer);

// The options for ② on the project's site folder: asks only when its data.mdb holds rows;
// nullopt when the user cancels. `previewNewer`: the preview's working copy holds rows
// newer than the file.
std::optional<generator::DatabaseOptions> chooseDatabaseOptions(QWidget* parent, const std::filesystem::path& runDir,
                                                                std::string_view projectName, bool previewNewer);

}  // namespace tabulon::window
