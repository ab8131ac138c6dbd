#pragma once
// Naming rules of a generated site: folders, page names, form names and captions.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/records.h"

namespace tabulon::generator {

// First letters of the pinyin readings of the GB2312 hanzi in `name`, walking its GBK bytes
// two at a time from the first byte: 学生信息 -> "XSXX", 安全 -> "AQ", Orders -> "",
// a学生 -> "" (after an odd number of single-byte characters no pair is a hanzi).
std::string tableInitials(std::string_view name, bool upperCase = true);

// True when the first character of `text` is a GB2312 hanzi with a pinyin reading:
// "姓名" -> true, "name" -> false, "ａ" -> false.
bool startsWithChineseCharacter(std::string_view text);

// Page base name: initials followed by the table id: (学生, 7) -> "XS7", (user, 12) -> "12".
std::string pageBaseName(const catalogue::Table& table);
std::string pageBaseName(std::string_view tableName, catalogue::Id tableId);

// Caption of a field on forms and lists: its name when that starts with a hanzi or it has
// no description, else its description: (name, 姓名) -> "姓名", (价格, x) -> "价格",
// (price, "") -> "price".
const std::string& fieldCaption(const catalogue::Field& field);

// Form input and server variable name of the field at 1-based position n: 3 -> "S_3".
std::string formName(std::size_t position);

// Why a project name cannot be the name of its site folder, or nothing when it can:
// empty, ".", "..", a path separator, a character Windows rejects (<>:"|?* and control
// characters), a trailing dot or space, or a reserved device name (CON, NUL, COM1 …).
std::optional<std::string> folderNameProblem(std::string_view projectName);

// `<runDir>/<projectName>`; throws tabulon::Error when the name cannot be a folder name.
std::filesystem::path siteFolder(const std::filesystem::path& runDir, std::string_view projectName);

}  // namespace tabulon::generator
