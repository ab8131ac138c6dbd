#pragma once
// Building one page of a design the way the driver does, and the pieces of the default
// templates that the page tests compare against.
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "generator/pages/page_generator.h"
#include "tests/support/design_builder.h"

namespace tabulon::pages_test {

// The page `Generator` builds for a table of `model`, with the messages it reported.
struct Built {
    std::string page;
    std::vector<std::string> messages;
};

template <class Generator>
Built buildPage(const catalogue::Snapshot& model, catalogue::Id tableId) {
    const Generator generator;
    const auto rows = model.templateRows(generator.kind().templateKind);
    const catalogue::Table* table = model.table(tableId);
    if (!table) throw std::logic_error("no table " + std::to_string(tableId));
    RecordedMessages messages;
    const generator::PageInput input{model, *table, model.fieldsOf(tableId), rows};
    std::string page = generator.build(input, messages);
    return {std::move(page), messages.texts()};
}

// The template rows of a kind in page order, as owned strings (T1 is entry 0).
inline std::vector<std::string> rowsOf(const catalogue::Snapshot& model, std::string_view kind) {
    std::vector<std::string> rows;
    for (const auto row : model.templateRows(kind)) rows.emplace_back(row);
    return rows;
}

inline catalogue::Snapshot sampleModel() { return catalogue::Snapshot::load(catalogue::Catalogue::inMemory()); }

// A drop-down field fed by `linkTable`/`linkField` (ids as text).
inline catalogue::Field dropDownField(std::string name, std::string linkTable, std::string linkField) {
    auto field = testing::makeField(std::move(name), "文本", "组合框");
    field.linkTable = std::move(linkTable);
    field.linkField = std::move(linkField);
    return field;
}

// The number of times `part` occurs in `text`.
inline std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Replaces the content of every default template row of `kind` at position `index`
// (0-based, page order) with `content`.
inline void replaceTemplateRow(catalogue::Catalogue& catalogue, std::string_view kind, std::size_t index,
                               const std::string& content) {
    auto rows = catalogue.templates(kind);
    rows.at(index).content = content;
    catalogue.updateTemplate(rows.at(index));
}

// The first template row of every form page kind, as the default catalogue holds it: the
// connection include, the login check and the head up to the title.
inline const std::string kFormHeadStart =
    "<!-- #include file=\"conn.asp\" -->\r\n<%\r\nif request.Cookies(\"kovel_username\")=\"\" then\r\n  "
    "sendmsg(\"没有权限，请重新登陆\")\r\n  response.end\r\nend if\r\n%>\r\n";
inline const std::string kHeadMarker = "<html>\r\n<head>\r\n<title>";

// Every generated per-table page starts with the code page directive.
inline const std::string kCodePage = "<%@ CODEPAGE=936 %>\r\n";

// The hidden input with the session's form token, right after a form's start tag.
inline const std::string kToken = "\r\n<input type=\"hidden\" name=\"kovel_token\" value=\"<%=SiteToken()%>\">";

// The browser-side check() of a form page around the per-field `checks`.
inline std::string checkScript(const std::string& checks) {
    return "\r\n<script type=\"text/javascript\">\r\nfunction check(){\r\n"
           " function box(n){var all=document.getElementsByName(n);for(var "
           "i=0;i<all.length;i++){if(all[i].tagName==\"SELECT\""
           "||all[i].tagName==\"INPUT\"||all[i].tagName==\"TEXTAREA\")return all[i];}return null;}\r\n"
           " function refuse(e,text){alert(text);try{e.focus();}catch(x){}return false;}\r\n"
           " function number(e,whole,low,high,places,name,outside){var "
           "v=e.value.replace(/^\\s+|\\s+$/g,\"\");if(v==\"\")return "
           "true;\r\n"
           "  if(!(whole?/^[-+]?[0-9]+$/:/^[-+]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/).test(v))return "
           "refuse(e,name+(whole?\"必须是整数\":\"必须是数字\"));\r\n"
           "  var x=Number(v);if(!(x>=low&&x<=high))return refuse(e,name+outside);\r\n"
           "  if(places>=0){var p=v.toLowerCase().split(\"e\"),f=(p[0].split(\".\")[1]||\"\").replace(/0+$/,\"\");"
           "if(f.length-(Number(p[1])||0)>places)return refuse(e,name+\"最多只能有 \"+places+\" 位小数\");}\r\n"
           "  return true;}\r\n"
           " var e;\r\n" +
           checks + " return true;\r\n}\r\n</script>\r\n";
}

// The server's type check of the value posted for field `n`.
inline std::string valueCheck(int n, const std::string& kind, const std::string& caption) {
    const std::string s = std::to_string(n);
    return "S_" + s + "=SiteValue(S_" + s + ",\"" + kind + "\",\"" + caption + "\")\r\n";
}

}  // namespace tabulon::pages_test
