#include "generator/naming/naming.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/error.h"
#include "base/gbk.h"

namespace tabulon::generator {
namespace {

constexpr int kFirstLead = 0xB0, kLastLead = 0xF7, kFirstTrail = 0xA1, kLastTrail = 0xFE;
constexpr int kTrailCount = kLastTrail - kFirstTrail + 1;

constexpr const char* kInitials[] = {
#include "generator/naming/pinyin_initials.inc"
};
static_assert(std::size(kInitials) == kLastLead - kFirstLead + 1);

// The lower-case initial of the GB2312 hanzi with these two bytes, or 0 when the pair is
// not such a hanzi.
char initialOf(unsigned char lead, unsigned char trail) {
    if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail) return 0;
    const char letter = kInitials[lead - kFirstLead][trail - kFirstTrail];
    return letter == ' ' ? 0 : letter;
}

// Texts that GBK cannot encode have no hanzi worth naming; an empty result keeps the
// naming rules total, and the page writer reports the character itself.
std::string gbkBytes(std::string_view text) {
    auto encoded = gbk::encode(text);
    return encoded ? std::move(encoded.bytes) : std::string();
}

}  // namespace

std::string tableInitials(std::string_view name, bool upperCase) {
    const std::string bytes = gbkBytes(name);
    std::string result;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char letter = initialOf(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]));
        if (letter) result += upperCase ? static_cast<char>(std::toupper(letter)) : letter;
    }
    return result;
}

bool startsWithChineseCharacter(std::string_view text) {
    // An ASCII first character is never one; most names written in English stop here.
    if (text.empty() || static_cast<unsigned char>(text.front()) < 0x80) return false;
    const std::string bytes = gbkBytes(text);
    return bytes.size() >= 2 && initialOf(static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]));
}

std::string pageBaseName(std::string_view tableName, catalogue::Id tableId) {
    return tableInitials(tableName) + std::to_string(tableId);
}

std::string pageBaseName(const catalogue::Table& table) { return pageBaseName(table.name, table.id); }

const std::string& fieldCaption(const catalogue::Field& field) {
    // A field without a description is shown by its own name rather than by nothing.
    return startsWithChineseCharacter(field.name) || field.description.empty() ? field.name : field.description;
}

std::string formName(std::size_t position) { return "S_" + std::to_string(position); }

std::optional<std::string> folderNameProblem(std::string_view name) {
    if (name.empty()) return "项目名称为空";
    if (name == "." || name == "..") return "“" + std::string(name) + "”不能作为文件夹名";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return "项目名称含有控制字符";
        if (std::string_view("/\\<>:\"|?*").find(c) != std::string_view::npos)
            return std::string("项目名称含有文件夹名不允许的字符“") + c + "”";
    }
    if (name.back() == '.' || name.back() == ' ') return "项目名称不能以句点或空格结尾";

    // Windows refuses device names as folder names, with or without an extension.
    std::string stem(name.substr(0, name.find('.')));
    std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) { return std::toupper(c); });
    static const std::array<std::string_view, 22> kDevices = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end())
        return "“" + std::string(name) + "”是 Windows 保留的设备名";
    return std::nullopt;
}

std::filesystem::path siteFolder(const std::filesystem::path& runDir, std::string_view projectName) {
    if (auto problem = folderNameProblem(projectName))
        throw Error("项目 " + std::string(projectName) + "：" + *problem + "，无法作为网站文件夹，未写入任何文件。");
    return runDir / std::filesystem::path(std::u8string(projectName.begin(), projectName.end()));
}

}  // namespace tabulon::generator
