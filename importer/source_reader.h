#pragma once
// Reads the design and the rows of an Access file through its page cache.
//
//   auto file = importer::PageFile::open("old.mdb");
//   const auto source = importer::readSource(file);
//   importer::forEachValueRow(file, source.tables[0], [](const auto& values) { … });
#include <functional>
#include <string>
#include <vector>

#include "importer/page_file.h"
#include "importer/source_model.h"
#include "jet/types.h"

namespace tabulon::importer {

// The catalogue of the file: user tables (system and hidden ones left out), relationships,
// linked tables and queries. Throws jet::Error naming the table and page when the file is
// damaged.
SourceDatabase readSource(PageFile& file);

// One row's values, one per column of table.columns; `problems` holds a line for each value
// that could not be read (the value is then null), e.g. "字段 日期：日期值无效".
struct SourceRow {
    std::vector<jet::Value> values;
    std::vector<std::string> problems;
};

// Calls `visit` for every live row of `table`, in page order.
void forEachSourceRow(PageFile& file, const SourceTable& table, const std::function<void(const SourceRow&)>& visit);

// A stored value as the import carries it: text in UTF-8, numbers as numbers, currency
// and decimals as exact decimal text, GUIDs as "{…}", binary and OLE data as raw bytes.
jet::Value decodeStored(PageFile& file, const jet::ColumnLayout& column, std::string_view stored);

}  // namespace tabulon::importer
