#include "generator/pages/list_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_renderer.h"
#include "generator/widgets/list_columns.h"
#include "generator/widgets/list_search.h"

namespace tabulon::generator {
namespace {

constexpr std::string_view kListForm = "<form name=\"form1\" action=\"?\" method=\"post\">";
constexpr std::string_view kDeleteForm =
    "<form name=\"form1\" action=\"$base$_Delete.asp?action=Delete\" method=\"post\">";
constexpr std::string_view kDisplayLink = "Show_Display.asp";
constexpr std::string_view kRowClick =
    "<tr onclick=\"var t=(event.target||event.srcElement).tagName;if(t!='A'&&t!='INPUT')"
    "location.href='$base$_Display.asp?ID=<%=rs(\"id\")%>'\" ";
constexpr std::string_view kDisplayAnchor = "<a href=\"$base$_Display.asp?ID=<%=rs(\"id\")%>\">";
constexpr std::string_view kTemplateColspan = "<td colspan=\"12\"";
constexpr std::string_view kColspan = "<td colspan=\"$count$\"";

// A case of the condition builder's switch on the chosen field; the template row that
// follows it builds the 从…至… condition from the two date inputs.
constexpr std::string_view kDateCase =
    "\r\n"
    " case \"$name$\": \r\n";

// A case of the field-change handler: a date field asks for a date range.
constexpr std::string_view kDateSwitch =
    "\r\n"
    "   case \"$name$\" : \r\n"
    "  GetId(\"SearchTimeZone\").style.display=\"block\";//显示  \r\n"
    "  GetId(\"keyword\").style.display=\"none\";\r\n"
    "  GetId(\"bank\").style.display=\"none\";\r\n"
    "      break; \r\n";

constexpr std::string_view kFieldOption =
    "\r\n"
    "<option value=\"$name$\">$caption$</option>\r\n";

constexpr std::string_view kRowEnd =
    "<a href=\"$base$_Modify.asp?ID=<%=rs(\"id\")%>\">修改</a></td>"
    "    <td align=\"center\"><input type=\"checkbox\" name=\"ID\" value=\"<%=rs(\"id\")%>\" "
    "style=\"border:0\"></td>\r\n"
    "  </tr>";

// Template rows T1…T16 by their role.
enum Row {
    Head = 0,
    HeadRest,
    DateCase,
    BuilderEnd,
    FieldSelect,
    SearchFormEnd,
    ListForm,
    HeaderStart,
    HeaderCellStart,
    HeaderCellEnd,
    HeaderEnd,
    DataRowStart,
    DataCellStart,
    DataCellEnd,
    ModifyCell,
    PageEnd
};

struct Pieces {
    std::string fieldList, typeList, header, dataRow, dateCases, dateSwitches, fieldOptions;
};

}  // namespace

const PageKind& ListPageGenerator::kind() const { return pageKind(PageKindId::List); }

std::string ListPageGenerator::build(const PageInput& input, Messages&) const {
    const auto row = [&](Row r) { return std::string(input.rows[r]); };
    const std::string& tableName = input.table.name;
    const std::string base = pageBaseName(input.table);

    std::string listForm = row(ListForm);
    replaceFirst(listForm, kListForm, fill(kDeleteForm, {{"base", base}}));
    Pieces pieces;
    pieces.header = listForm + row(HeaderStart);
    pieces.dataRow = row(DataRowStart);
    replaceFirst(pieces.dataRow, kDisplayLink, base + "_Display.asp");
    // A link between a row and its cells is moved out of the table by browsers: it goes
    // around the first cell's value instead, and the ModifyCell row loses its closing tag.
    const std::string displayLink = fill(kDisplayAnchor, {{"base", base}});
    std::string modifyCell = row(ModifyCell);
    const bool linkMoved = replaceFirst(pieces.dataRow, displayLink, "");
    if (linkMoved) {
        replaceFirst(modifyCell, "    </a>", "    ");
        // The whole row opens the record too (its first cell may be empty), except where a
        // click means something else: the 修改 link and the check box.
        replaceFirst(pieces.dataRow, "<tr ", fill(kRowClick, {{"base", base}}));
    }

    const auto& rows = input.rows;
    std::size_t shown = 0;
    for (const auto* field : input.fields) {
        if (isPasswordField(input.model, input.table, *field)) continue;  // neither shown nor searchable
        const std::string& caption = fieldCaption(*field);
        const bool first = shown++ == 0;
        pieces.fieldList.append(field->name).append(",");
        pieces.typeList.append(searchTypeCode(*field)).append(",");
        pieces.header.append(rows[HeaderCellStart]).append(caption).append(rows[HeaderCellEnd]);
        pieces.dataRow.append(rows[DataCellStart]);
        if (first && linkMoved) pieces.dataRow.append(displayLink);
        pieces.dataRow.append(listCell(input.model, *field));
        if (first && linkMoved) pieces.dataRow.append("</a>");
        pieces.dataRow.append(rows[DataCellEnd]);
        if (isDateField(*field)) {
            fillInto(pieces.dateCases, kDateCase, {{"name", field->name}});
            pieces.dateCases.append(rows[DateCase]);
            fillInto(pieces.dateSwitches, kDateSwitch, {{"name", field->name}});
        }
        fillInto(pieces.fieldOptions, kFieldOption, {{"name", field->name}, {"caption", caption}});
    }
    pieces.header.append(rows[HeaderEnd]);
    pieces.dataRow += modifyCell + fill(kRowEnd, {{"base", base}});
    addFormToken(pieces.header, "<form name=\"form1\"");

    // The empty-list row and the paging bar span every header column: the fields, 修改 and 删除.
    std::string pageEnd = row(PageEnd);
    replaceLeading(pageEnd, kTemplateColspan, fill(kColspan, {{"count", std::to_string(shown + 2)}}), 2);

    return finishedPage({rows[Head], tableName, rows[HeadRest], pieces.dateCases, rows[BuilderEnd], pieces.dateSwitches,
                         rows[FieldSelect], pieces.fieldOptions, rows[SearchFormEnd], pieces.header,
                         listSearchScript(tableName, pieces.fieldList, pieces.typeList), pieces.dataRow, pageEnd},
                        std::nullopt);
}

}  // namespace tabulon::generator
