#include "preview/server/error_annotation.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>

#include "base/error.h"
#include "base/gbk.h"
#include "preview/server/template_origin.h"
#include "base/ascii_text.h"

namespace tabulon::preview {
namespace {

// Line `number` (1-based) of a file, without its line end; nothing past the end.
std::optional<std::string> lineOfFile(const std::filesystem::path& file, long number) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (long i = 1; std::getline(in, line); ++i) {
        if (i < number) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    return std::nullopt;
}

// The page's bytes for UTF-8 `text`: as is for a UTF-8 page, else GBK like the site.
std::string inPageCharset(const HttpResponse& response, const std::string& text) {
    const auto type = asciiLowered(response.header("Content-Type").value_or(""));
    if (type.find("utf-8") != std::string::npos || type.find("utf8") != std::string::npos) return text;
    const auto encoded = gbk::encode(text);
    return encoded ? encoded.bytes : text;
}

}  // namespace

void ErrorAnnotator::annotate(HttpResponse& response) const {
    if (response.status != 500) return;
    const auto file = response.header("X-Tabulon-Error-File");
    const auto lineText = response.header("X-Tabulon-Error-Line");
    if (!file || !lineText) return;
    long lineNumber = 0;
    if (std::from_chars(lineText->data(), lineText->data() + lineText->size(), lineNumber).ec != std::errc() ||
        lineNumber < 1)
        return;
    const auto kind = templateKindOfPage(*file);
    if (!kind) return;
    const auto path = site_.findFile(*file);
    if (!path) return;
    const auto raw = lineOfFile(*path, lineNumber);
    if (!raw) return;
    std::string line;
    try {
        line = gbk::decode(*raw);
    } catch (const Error&) {
        return;  // not a GBK page: not one we generated
    }
    const auto origins = findTemplateOrigins(templates_, *kind, line);
    if (origins.empty()) return;

    std::string text = "该行来自";
    std::string header;
    for (const auto& origin : origins) {
        text += (header.empty() ? " " : "、") + origin.describe();
        header += (header.empty() ? "" : ", ") + std::to_string(origin.id) + ":" + std::to_string(origin.line);
    }
    text += "（可在模板编辑器中修改后重新生成页面）";
    const auto paragraph =
        inPageCharset(response, "<p class=\"tabulon-template\"><b>" + escapeHtml(text) + "</b></p>\n");
    const auto lowered = asciiLowered(response.body);
    const auto bodyEnd = lowered.rfind("</body>");
    response.body.insert(bodyEnd == std::string::npos ? response.body.size() : bodyEnd, paragraph);
    response.setHeader("X-Tabulon-Error-Template", header);
}

}  // namespace tabulon::preview
