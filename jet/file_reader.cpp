#include "jet/file_reader.h"

#include <algorithm>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/long_value.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/tdef.h"
#include "jet/text_codec.h"
#include "jet/usage_map.h"
#include "jet/values.h"

namespace tabulon::jet {
namespace {

struct TableEntry {
  std::string name;
  std::uint32_t tdefPage;
  double created;
};

std::vector<std::uint32_t> ownedDataPages(std::string_view file, const TableLayout& layout) {
  return readPageMap(rowAt(file, layout.ownedPages), file);
}

// Calls `visit` with every live row of the table, in page order.
template <typename Visit>
void forEachRow(std::string_view file, std::uint32_t tdefPage, const TableLayout& layout, Visit visit) {
  for (std::uint32_t page : ownedDataPages(file, layout)) {
    if (static_cast<std::size_t>(page) * kPageSize + kPageSize > file.size()) throw Error("数据页指向文件之外");
    const std::string_view bytes = file.substr(static_cast<std::size_t>(page) * kPageSize, kPageSize);
    // Like the readers, skip pages that are not this table's data pages.
    if (getU8(bytes, 0) != data_page::kType || data_page::owner(bytes) != tdefPage) continue;
    for (unsigned n = 0; n < data_page::rowCount(bytes); ++n) {
      if (auto row = data_page::row(bytes, n)) visit(*row);
    }
  }
}

std::vector<TableEntry> userTables(std::string_view file) {
  namespace col = catalog::objects_column;
  const TableLayout objects = decodeTdef(readTdefBytes(file, catalog::kObjectsTdef));
  std::vector<TableEntry> tables;
  forEachRow(file, catalog::kObjectsTdef, objects, [&](std::string_view row) {
    const auto fields = splitRow(objects, row);
    if (!fields[col::kId] || !fields[col::kParentId] || !fields[col::kName] || !fields[col::kType]) return;
    const auto type = static_cast<std::int16_t>(getU16(*fields[col::kType], 0));
    const std::uint32_t parent = getU32(*fields[col::kParentId], 0);
    const std::uint32_t flags = fields[col::kFlags] ? getU32(*fields[col::kFlags], 0) : 0;
    if (type != catalog::kTypeTable || parent != catalog::kTablesId || (flags & catalog::kHiddenFlags) != 0) return;
    TableEntry entry;
    entry.name = utf16ToUtf8(decodeJetText(*fields[col::kName]));
    entry.tdefPage = getU32(*fields[col::kId], 0) & 0x00FFFFFF;
    entry.created = fields[col::kDateCreate] ? getDouble(*fields[col::kDateCreate], 0) : 0.0;
    tables.push_back(std::move(entry));
  });
  return tables;
}

StoredTable readUserTable(std::string_view file, const TableEntry& entry) {
  const TableLayout layout = decodeTdef(readTdefBytes(file, entry.tdefPage));
  StoredTable table(definitionFromLayout(entry.name, layout), entry.created);
  forEachRow(file, entry.tdefPage, layout, [&](std::string_view row) {
    const auto fields = splitRow(layout, row);
    if (!fields[0]) throw Error("表 " + entry.name + ": 有一行没有 id");
    const auto id = static_cast<std::int32_t>(getU32(*fields[0], 0));
    std::vector<Value> values;
    for (std::size_t c = 1; c < layout.columns.size(); ++c) {
      const ColumnLayout& column = layout.columns[c];
      if (!fields[c]) {
        values.emplace_back();
      } else if (column.isLongValue()) {
        values.push_back(decodeValue(column, readLongValue(*fields[c], file)));
      } else {
        values.push_back(decodeValue(column, *fields[c]));
      }
    }
    table.restore(id, values);
  });
  table.raiseLastId(static_cast<std::int32_t>(layout.lastAutoNumber));
  return table;
}

}  // namespace

std::vector<StoredTable> readDatabaseFile(std::string_view file) {
  if (file.size() < catalog::kSystemPageCount * kPageSize || file.size() % kPageSize != 0) {
    throw Error("文件长度不是 Jet 数据库的页长的整数倍，或文件过短");
  }
  checkHeaderPage(file.substr(0, kPageSize));
  std::vector<StoredTable> tables;
  for (const TableEntry& entry : userTables(file)) tables.push_back(readUserTable(file, entry));
  return tables;
}

}  // namespace tabulon::jet
