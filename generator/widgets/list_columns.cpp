#include "generator/widgets/list_columns.h"

#include "generator/text/fragment.h"
#include "generator/widgets/linked_source.h"

namespace tabulon::generator {
namespace {

// Stored values are shown as text, never as markup (Null shows as nothing).
constexpr std::string_view kPlainCell = "<%=server.HTMLEncode(rs(\"$name$\")&\"\")%>";
// Rich text keeps its markup, cleaned by the allow-list of the save (see the display page).
constexpr std::string_view kRichTextCell = "<%=SiteCleanHtml(rs(\"$name$\")&\"\")%>";

// The stored value is the linked record's id. A value that is not an id (a cascade
// target left unset stores an empty text) skips the look-up: in the query it would
// break the whole list.
constexpr std::string_view kLinkedCell =
    "<span style=\"cursor:pointer\" title=\"<%=server.HTMLEncode(rs(\"$name$\")&\"\")%>\">\t<%\r\n"
    " RsListID=rs(\"$name$\")\r\n"
    " \r\n"
    " RsSql=\"select id,$column$ from $table$ where id=\"&RsListID\r\n"
    " if SearchMatches(RsListID,\"^[0-9]+$$\") then\r\n"
    " RsList.open RsSql,conn,1,1\r\n"
    " \r\n"
    " \r\n"
    " if not RsList.eof then\r\n"
    "\tresponse.Write(server.HTMLEncode(RsList(\"$column$\")&\"\"))\t \r\n"
    " end if\r\n"
    " RsList.close\r\n"
    " end if\r\n"
    "\t%>";

}  // namespace

std::string_view searchTypeCode(const catalogue::Field& field) {
    const catalogue::DataTypeRow* row = catalogue::dataTypeRow(field.dataType);
    return row && !row->searchCode.empty() ? row->searchCode : "0";
}

bool isDateField(const catalogue::Field& field) {
    const catalogue::DataTypeRow* row = catalogue::dataTypeRow(field.dataType);
    return row && row->clientCheck == catalogue::ClientCheck::Date;
}

namespace list_cell {

std::string plain(const catalogue::Snapshot&, const catalogue::Field& field) {
    return fill(kPlainCell, {{"name", field.name}});
}

std::string richText(const catalogue::Snapshot&, const catalogue::Field& field) {
    return fill(kRichTextCell, {{"name", field.name}});
}

std::string linked(const catalogue::Snapshot& model, const catalogue::Field& field) {
    // A broken link is not reported here: the form pages already report it.
    const auto* table = linkedTable(model, field);
    const auto column = linkedFieldName(model, field);
    if (table && column) return fill(kLinkedCell, {{"name", field.name}, {"column", *column}, {"table", table->name}});
    return plain(model, field);
}

}  // namespace list_cell

}  // namespace tabulon::generator
