#include "generator/pages/page_safety.h"

#include <algorithm>
#include <cctype>

#include "generator/login/login_generator.h"
#include "generator/widgets/widget_kind.h"

namespace tabulon::generator {

std::string withCodePage(std::string page) {
    if (page.rfind("<%@", 0) == 0) return page;
    return "<%@ CODEPAGE=936 %>\r\n" + page;
}

namespace {

// Where `needle` first occurs in `text`, ASCII letters compared without regard to case.
// Pages are long: no folded copy of them is made.
std::size_t findIgnoringCase(std::string_view text, std::string_view needle) {
    const auto fold = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    if (needle.empty()) return 0;
    const char first = needle[0];
    const bool firstIsLetter = fold(first) != static_cast<unsigned char>(first) || (first >= 'a' && first <= 'z');
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        // Tags start with "<": jump from one to the next instead of folding every byte.
        if (!firstIsLetter) {
            i = text.find(first, i);
            if (i == std::string_view::npos || i + needle.size() > text.size()) return std::string_view::npos;
        } else if (fold(text[i]) != fold(first)) {
            continue;
        }
        std::size_t k = 1;
        while (k < needle.size() && fold(text[i + k]) == fold(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

bool addFormToken(std::string& page, std::string_view formStart) {
    const std::size_t start = findIgnoringCase(page, formStart);
    if (start == std::string::npos) return false;
    const std::size_t end = page.find('>', start);
    if (end == std::string::npos) return false;
    page.insert(end + 1, "\r\n" + std::string(kTokenInput));
    return true;
}

std::string_view valueKind(const catalogue::Field& field) {
    const std::string_view type = field.type;
    if (widgetKindOf(field.inputType) == WidgetKind::RichText) return "html";
    if (type == "自动编号") return "auto";
    if (type == "长整型") return "long";
    if (type == "整型") return "short";
    if (type == "字节型") return "byte";
    if (type == "单精度") return "single";
    if (type == "双精度") return "double";
    if (type == "小数") return "decimal";
    if (type == "日期时间") return "date";
    if (type == "逻辑") return "bool";
    if (type == "备注") return "memo";
    return "text";
}

bool isPasswordField(const catalogue::Snapshot& model, const catalogue::Table& table, const catalogue::Field& field) {
    if (field.description != "password") return false;
    const auto login = findLoginFields(model, table.projectId);
    return login && login->table == table.name && login->passwordField == field.name;
}

}  // namespace tabulon::generator
