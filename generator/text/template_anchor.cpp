#include "generator/text/template_anchor.h"

#include <vector>

namespace tabulon::generator {
namespace {

constexpr TemplateAnchor kAll[] = {
    anchor::kAddHead,    anchor::kModifyHead, anchor::kDisplayHead,
    anchor::kLoginTable, anchor::kLoginUser,  anchor::kMenuLoop,
};

std::string visible(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::span<const TemplateAnchor> templateAnchors() { return kAll; }

MissingAnchor::MissingAnchor(const TemplateAnchor& anchor)
    : Error("模板 " + std::string(anchor.kind) + " 第" + std::to_string(anchor.row + 1) + "行 中没有“" +
            visible(anchor.text) + "”（" + std::string(anchor.purpose) + "）"),
      anchor_(anchor) {}

std::size_t requireAnchor(std::string_view text, const TemplateAnchor& anchor) {
    const std::size_t at = text.find(anchor.text);
    if (at == std::string_view::npos) throw MissingAnchor(anchor);
    return at;
}

void replaceAnchor(std::string& text, const TemplateAnchor& anchor, std::string_view to) {
    text.replace(requireAnchor(text, anchor), anchor.text.size(), to);
}

std::string missingAnchorText(const catalogue::Snapshot& model, const TemplateAnchor& anchor) {
    std::string where = "模板 " + std::string(anchor.kind) + " 第" + std::to_string(anchor.row + 1) + "行";
    const auto records = model.templateRecords(anchor.kind);
    if (anchor.row < records.size()) where += " (ID " + std::to_string(records[anchor.row]->id) + ")";
    return where + " 中没有“" + visible(anchor.text) + "”（" + std::string(anchor.purpose) + "）";
}

std::vector<std::string> missingTemplateAnchors(const catalogue::Snapshot& model) {
    std::vector<std::string> missing;
    for (const TemplateAnchor& anchor : kAll) {
        const auto rows = model.templateRows(anchor.kind);
        if (anchor.row >= rows.size() || rows[anchor.row].find(anchor.text) == std::string_view::npos)
            missing.push_back(missingAnchorText(model, anchor));
    }
    return missing;
}

}  // namespace tabulon::generator
