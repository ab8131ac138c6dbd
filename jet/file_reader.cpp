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

// The file is rewritten from what is read, so anything this writer cannot
// write again is refused instead of being dropped on the next save.
[[noreturn]] void cannotKeep(const std::string& what) {
  throw Error("数据库含有本程序不能原样保留的内容（" + what + "），为免保存时丢失，不打开此文件");
}

// Calls `visit` with every row of the table, in page order, following rows
// Jet moved to another page when they grew.
template <typename Visit>
void forEachRow(std::string_view file, std::uint32_t tdefPage, const TableLayout& layout, Visit visit) {
  for (std::uint32_t page : readPageMap(data_page::rowAt(file, layout.ownedPages), file)) {
    if (static_cast<std::size_t>(page) * kPageSize + kPageSize > file.size()) throw Error("数据页指向文件之外");
    const std::string_view bytes = file.substr(static_cast<std::size_t>(page) * kPageSize, kPageSize);
    // Like the readers, skip pages that are not this table's data pages.
    if (getU8(bytes, 0) != data_page::kType || data_page::owner(bytes) != tdefPage) continue;
    for (unsigned n = 0; n < data_page::rowCount(bytes); ++n) {
      switch (data_page::slotState(bytes, n)) {
        case data_page::SlotState::Live: visit(data_page::rowBytes(bytes, n)); break;
        case data_page::SlotState::Moved: {
          const std::string_view stub = data_page::rowBytes(bytes, n);
          if (stub.size() < 4) throw Error("数据页已损坏（移动行的指针不完整）");
          visit(data_page::rowAt(file, getU32(stub, 0)));
          break;
        }
        case data_page::SlotState::Deleted: break;
      }
    }
  }
}

bool isJetObject(std::uint32_t id, std::uint32_t parent, const std::string& name) {
  const auto objects = catalog::systemObjects();
  return std::any_of(objects.begin(), objects.end(), [&](const catalog::CatalogObject& o) {
    return o.id == id && o.parentId == parent && o.name == name;
  });
}

std::vector<TableEntry> userTables(std::string_view file) {
  namespace col = catalog::objects_column;
  const TableLayout objects = decodeTdef(readTdefBytes(file, catalog::kObjectsTdef));
  std::vector<TableEntry> tables;
  forEachRow(file, catalog::kObjectsTdef, objects, [&](std::string_view row) {
    const auto fields = splitRow(objects, row);
    if (!fields[col::kId] || !fields[col::kParentId] || !fields[col::kName] || !fields[col::kType]) {
      cannotKeep("不完整的目录行");
    }
    const std::string name = utf16ToUtf8(decodeJetText(*fields[col::kName]));
    const std::uint32_t id = getU32(*fields[col::kId], 0);
    const std::uint32_t parent = getU32(*fields[col::kParentId], 0);
    const auto type = static_cast<std::int16_t>(getU16(*fields[col::kType], 0));
    const std::uint32_t flags = fields[col::kFlags] ? getU32(*fields[col::kFlags], 0) : 0;
    if (isJetObject(id, parent, name)) return;
    if (type != catalog::kTypeTable || parent != catalog::kTablesId || flags != 0) {
      cannotKeep("对象 " + name + "，类型 " + std::to_string(type));
    }
    if (fields[col::kLvProp]) cannotKeep("表 " + name + " 的属性");
    tables.push_back({name, id & 0x00FFFFFF, fields[col::kDateCreate] ? getDouble(*fields[col::kDateCreate], 0) : 0.0});
  });
  if (decodeTdef(readTdefBytes(file, catalog::kQueriesTdef)).rowCount != 0) cannotKeep("查询");
  if (decodeTdef(readTdefBytes(file, catalog::kRelationshipsTdef)).rowCount != 0) cannotKeep("表间关系");
  return tables;
}

StoredTable readUserTable(std::string_view file, const TableEntry& entry) {
  const TableLayout layout = decodeTdef(readTdefBytes(file, entry.tdefPage));
  if (layout.realIndexes.size() != 1 || layout.logicalIndexes.size() != 1 ||
      layout.realIndexes[0].columns != std::vector<std::uint16_t>{0}) {
    cannotKeep("表 " + entry.name + " 的索引");
  }
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
  // Ids of deleted rows are not handed out again.
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
