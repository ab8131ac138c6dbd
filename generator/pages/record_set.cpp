#include "generator/pages/record_set.h"

namespace tabulon::generator {
namespace {

constexpr std::string_view kOpen =
    "Set rsAdd = Server.CreateObject(\"ADODB.Recordset\")\r\n"
    "rsAdd.ActiveConnection = conn\r\n"
    "rsAdd.Source =sql\r\n"
    "rsAdd.CursorType = 0\r\n"
    "rsAdd.CursorLocation = 3\r\n"
    "rsAdd.LockType = 2\r\n"
    "rsAdd.Open()\r\n"
    "rs_numRows =0\r\n";

}  // namespace

std::string openRecordSet(std::string_view query) { return std::string(query) + std::string(kOpen); }

}  // namespace tabulon::generator
