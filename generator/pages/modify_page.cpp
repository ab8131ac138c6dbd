#include "generator/pages/modify_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/pages/page_safety.h"
#include "generator/pages/record_set.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_renderer.h"
#include "generator/widgets/modify_widgets.h"

namespace tabulon::generator {
namespace {

// Every request needs a record id of digits only, the postback as much as the form.
constexpr std::string_view kIdCheck =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "   ID=trim(request(\"ID\"))\r\n"
    "   if not SiteMatches(ID,\"^[0-9]{1,9}$\") then\r\n"
    "    sendmsg(\"编号必须是数字\")\r\n"
    "    goback()\r\n"
    "    response.End()\r\n"
    "   end if\r\n";

constexpr std::string_view kQuery =
    "sql=\"select * from $table$\"\r\n"
    "\r\n"
    "sql=sql&\" where id=\"&cstr(ID)\r\n"
    "\r\n"
    "\r\n";

constexpr std::string_view kFound =
    "'rsAdd.addnew\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    " if not rsAdd.eof then\r\n";

constexpr std::string_view kClose =
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n";

// The record asked for is gone: say so and go back.
constexpr std::string_view kMissingRecord =
    " else\r\n"
    "  \r\n"
    "$close$"
    "  \r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n"
    "  \r\n"
    "  goback()\r\n"
    "  \r\n"
    "  response.End()\r\n"
    " \r\n";

constexpr std::string_view kSaveAndReturn =
    "\r\n"
    "\r\n"
    " \r\n"
    "  rsAdd.update\r\n"
    "  \r\n"
    "$close$"
    "  sendmsg(\"修改成功\")\r\n"
    "  goback()\r\n"
    "  \r\n"
    "  response.End()\r\n"
    "\r\n"
    "$missing$"
    " end if\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "end if\r\n"
    "\r\n"
    "%>\r\n"
    "\r\n";

constexpr std::string_view kBackToList = "window.location.href='$base$_List.asp'";

constexpr std::string_view kRecordPageEnd =
    "\r\n"
    "\r\n"
    "\r\n"
    "<%\r\n"
    "\r\n"
    "$close$"
    "\r\n"
    "$missing$"
    "end if\r\n"
    "\r\n"
    "\r\n"
    "%>\r\n";

std::string missingRecord() { return fill(kMissingRecord, {{"close", kClose}}); }

}  // namespace

std::string recordQuery(std::string_view tableName) {
    return openRecordSet(fill(kQuery, {{"table", tableName}})) + std::string(kFound);
}

std::string recordPageEnd() { return fill(kRecordPageEnd, {{"close", kClose}, {"missing", missingRecord()}}); }

const PageKind& ModifyPageGenerator::kind() const { return pageKind(PageKindId::Modify); }

std::string ModifyPageGenerator::build(const PageInput& input, Messages& messages) const {
    // T1 head start, T2 title rest, T3 form start, T4/T5 around a caption, T6 row end, T7 buttons
    const auto& rows = input.rows;
    const std::string& tableName = input.table.name;
    const std::string base = pageBaseName(input.table);
    std::string pageHead = std::string(rows[0]) + tableName + std::string(rows[1]);

    FormState state;
    state.tableName = tableName;
    const FieldRows fields = buildFieldRows(input, rows[3], rows[4], rows[5],
                                            std::string(kIdCheck) + "\r\n" + postbackStart("modify").substr(4),
                                            modifyPageWidget, state, PasswordOnSave::WhenTyped, messages);

    const std::string openCode = recordQuery(tableName);
    const std::string save = fill(kSaveAndReturn, {{"close", kClose}, {"missing", missingRecord()}});
    std::string buttons(rows[6]);
    replaceFirst(buttons, "history.go(-1)", fill(kBackToList, {{"base", base}}));

    auto parts = headWithServerBlock(pageHead, anchor::kModifyHead,
                                     {fields.readCode, "\r\n", state.checkCode, fields.valueCode, "\r\n", openCode,
                                      "\r\n", fields.assignCode, save});
    const std::string end = recordPageEnd();
    parts.insert(parts.end(),
                 {"<%\r\n", openCode, "%>\r\n", rows[2], fields.formRows, fields.checkScript, buttons, end});
    return finishedPage(parts, "<form");
}

}  // namespace tabulon::generator
