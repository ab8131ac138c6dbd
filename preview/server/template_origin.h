#pragma once
// Which page template row a line of a generated page came from, so that an error in a
// running page can name the row to fix in the template editor.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"

namespace tabulon::preview {

struct TemplateOrigin {
    catalogue::Id id = 0;
    std::string kind;  // 类型
    int line = 0;      // 1-based line within the row's 内容

    // "模板 添加 第3行 (ID 12)"
    std::string describe() const;
};

// The page kind (模板定义.类型) a generated page is built from, by its site path:
// manage/<base>_Add.asp → 添加 … , index.asp → 登录, top.asp → 菜单, menu.asp → 导航.
// Nothing for skeleton files and anything else.
std::optional<std::string> templateKindOfPage(std::string_view sitePath);

// The rows of `kind` holding `line` (UTF-8, without its line end): a row line equal to it
// apart from surrounding blanks, or, for a row's first or last line, which generated text
// may join on one side, its end or start. More than three rows holding it say nothing
// useful: then the answer is empty.
std::vector<TemplateOrigin> findTemplateOrigins(const std::vector<catalogue::TemplateRow>& rows, std::string_view kind,
                                                std::string_view line);

}  // namespace tabulon::preview
