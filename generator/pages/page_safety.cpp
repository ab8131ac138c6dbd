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

bool addFormToken(std::string& page, std::string_view formStart) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
        return out;
    };
    const std::string folded = lower(page);
    const std::size_t start = folded.find(lower(formStart));
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
