#include "preview/server/template_origin.h"

#include <array>
#include <utility>

#include "preview/host/core/http_parser.h"
#include "base/ascii_text.h"

namespace tabulon::preview {
namespace {

// A joined first or last row line must be at least this long to count: shorter pieces
// ("%>", "<td>") end or start too many lines.
constexpr std::size_t kShortestJoinedLine = 6;
constexpr std::size_t kMostOrigins = 3;

std::string_view trimmed(std::string_view text) { return trimAscii(text, " \t\r\n"); }

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (true) {
        const auto newline = text.find('\n');
        auto line = text.substr(0, newline);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (newline == std::string_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    return lines;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && equalsIgnoringCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::string TemplateOrigin::describe() const {
    return "模板 " + kind + " 第" + std::to_string(line) + "行 (ID " + std::to_string(id) + ")";
}

std::optional<std::string> templateKindOfPage(std::string_view sitePath) {
    while (sitePath.starts_with('/')) sitePath.remove_prefix(1);
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kLoginPages{
        {{"index.asp", "登录"}, {"top.asp", "菜单"}, {"menu.asp", "导航"}}};
    for (const auto& [file, kind] : kLoginPages)
        if (equalsIgnoringCase(sitePath, file)) return std::string(kind);
    if (sitePath.size() < 7 || !equalsIgnoringCase(sitePath.substr(0, 7), "manage/")) return std::nullopt;
    const auto name = sitePath.substr(7);
    if (name.find('/') != std::string_view::npos) return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kTablePages{{
        {"_Add.asp", "添加"},
        {"_Modify.asp", "修改"},
        {"_Delete.asp", "删除"},
        {"_List.asp", "列表"},
        {"_Display.asp", "显示"},
    }};
    for (const auto& [suffix, kind] : kTablePages)
        if (name.size() > suffix.size() && endsWithIgnoringCase(name, suffix)) return std::string(kind);
    return std::nullopt;
}

std::vector<TemplateOrigin> findTemplateOrigins(const std::vector<catalogue::TemplateRow>& rows, std::string_view kind,
                                                std::string_view line) {
    const auto wanted = trimmed(line);
    std::vector<TemplateOrigin> origins;
    if (wanted.empty()) return origins;
    for (const auto& row : rows) {
        if (row.kind != kind) continue;
        const auto rowLines = linesOf(row.content);
        for (std::size_t i = 0; i < rowLines.size(); ++i) {
            const auto rowLine = trimmed(rowLines[i]);
            if (rowLine.empty()) continue;
            const bool joinedAfter = i == 0 && rowLine.size() >= kShortestJoinedLine && wanted.ends_with(rowLine);
            const bool joinedBefore =
                i + 1 == rowLines.size() && rowLine.size() >= kShortestJoinedLine && wanted.starts_with(rowLine);
            if (rowLine == wanted || joinedAfter || joinedBefore) {
                origins.push_back({row.id, row.kind, static_cast<int>(i + 1)});
                break;
            }
        }
    }
    if (origins.size() > kMostOrigins) origins.clear();
    return origins;
}

}  // namespace tabulon::preview
