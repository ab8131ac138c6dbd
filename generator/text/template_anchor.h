#pragma once
// Texts the generators patch in template rows and cannot do without: a row without its
// anchor would give a page that silently lost code (no server block, the wrong login
// table, a menu that opens only its first groups), so the page is not written and the row
// is named instead. The design check tests the rows against the same list.
//
// Other patches are the row's to decline: a back button of the user's own instead of
// history.go(-1), a list row without the default delete form, display link or colspan, a
// login row that compares the password in code rather than in its query. Those rows are
// used as they are.
#include <span>
#include <string>
#include <string_view>

#include "base/error.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

struct TemplateAnchor {
    std::string_view kind;     // 模板类型: "修改"
    std::size_t row;           // 0-based among the kind's rows in page order
    std::string_view text;     // what must be in that row
    std::string_view purpose;  // what it is for, in the message: "服务器代码的位置"
};

namespace anchor {
inline constexpr std::string_view kHeadMarker = "<html>\r\n<head>\r\n<title>";

inline constexpr TemplateAnchor kAddHead{"添加", 0, kHeadMarker, "服务器代码的位置"};
inline constexpr TemplateAnchor kModifyHead{"修改", 0, kHeadMarker, "服务器代码的位置"};
inline constexpr TemplateAnchor kDisplayHead{"显示", 0, kHeadMarker, "服务器代码的位置"};
inline constexpr TemplateAnchor kLoginTable{"登录", 0, "* from login", "登录表的查询"};
inline constexpr TemplateAnchor kLoginUser{"登录", 0, " where (username=", "帐号字段的条件"};
inline constexpr TemplateAnchor kMenuLoop{"导航", 0, "for (var i=1; i<8; i++)", "展开菜单的循环"};
}  // namespace anchor

// Every anchor, in the order above.
std::span<const TemplateAnchor> templateAnchors();

// A template row without its anchor; the page built from it is not written.
class MissingAnchor : public Error {
public:
    explicit MissingAnchor(const TemplateAnchor& anchor);
    const TemplateAnchor& anchor() const { return anchor_; }

private:
    TemplateAnchor anchor_;
};

// Replaces the first occurrence of the anchor's text in `text` (built from the anchor's
// row); throws MissingAnchor when there is none.
void replaceAnchor(std::string& text, const TemplateAnchor& anchor, std::string_view to);
// Throws MissingAnchor unless the anchor's text is in `text`; returns where it starts.
std::size_t requireAnchor(std::string_view text, const TemplateAnchor& anchor);

// "模板 修改 第1行 (ID 9) 中没有“<html>\r\n<head>\r\n<title>”（服务器代码的位置）", the line
// ends written as \r\n; the row is left out when the kind has no such row.
std::string missingAnchorText(const catalogue::Snapshot& model, const TemplateAnchor& anchor);

// Every anchor missing from the model's template rows, as missingAnchorText() says it.
std::vector<std::string> missingTemplateAnchors(const catalogue::Snapshot& model);

}  // namespace tabulon::generator
