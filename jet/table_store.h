#pragma once
// A user table held in memory: its design, layout and rows already encoded
// as Jet row images. Long values that leave the row wait here until the
// file is written and their pages are known.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "jet/spilled_bytes.h"
#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::jet {

struct PendingLongValue {
    std::uint32_t row = 0;           // index of the row it belongs to
    std::uint16_t headerOffset = 0;  // where its 12-byte header sits in the row image
    std::uint16_t column = 0;        // column number
    std::uint64_t start = 0;         // where its stored bytes sit among the table's long values
    std::uint32_t length = 0;
};

// The pages the file writer made of a table: they hold page numbers, so they serve again
// only where the table starts at the same page.
struct WrittenPages {
    std::uint32_t firstPage = 0;
    std::uint32_t tdefPage = 0;
    std::string bytes;
};

class StoredTable {
public:
    StoredTable(TableDefinition definition, double createdOleDate);
    // With the layout and all-null row size already worked out for `definition`.
    StoredTable(TableDefinition definition, TableLayout layout, std::size_t minimumRowSize, double createdOleDate);

    const TableDefinition& definition() const { return definition_; }
    const TableLayout& layout() const { return layout_; }
    double created() const { return created_; }
    std::int32_t lastId() const { return lastId_; }
    std::size_t rowCount() const { return ids_.size(); }
    std::int32_t rowId(std::size_t i) const { return ids_[i]; }
    // Valid until the next rowImage().
    std::string_view rowImage(std::size_t i) const;
    const std::vector<PendingLongValue>& longValues() const { return longValues_; }
    // Valid until the next longValueData().
    std::string_view longValueData(const PendingLongValue& value) const {
        return longValueBytes_.read(value.start, value.length);
    }
    // Rows and long values beyond a few megabytes wait in an unnamed temporary file in
    // `folder` instead of memory.
    void spillTo(const std::filesystem::path& folder);
    // Bytes of the smallest row the table can hold (every value null).
    std::size_t minimumRowSize() const { return minimumRowSize_; }
    // Bytes of the table's definition (TDEF) as written: page numbers and counts change
    // its content, never its length.
    std::size_t definitionLength() const;
    // Pages the table takes in a file at least, for the writer to make room.
    std::size_t pagesAtLeast() const;

    // Encodes and appends a row, numbering it after the last id. Either the
    // row is added whole or an Error is thrown and nothing changes.
    std::int32_t insert(const std::vector<std::pair<std::string, Value>>& values);

    // Appends a row read back from a file, keeping its id; `values` follows
    // the design's columns.
    void restore(std::int32_t id, const std::vector<Value>& values);
    void raiseLastId(std::int32_t id);

    std::vector<Row> rows() const;

    // What the last file write made of the table while it has not changed since: a
    // database written again after a change to one table rewrites only that table.
    const std::optional<WrittenPages>& writtenPages() const { return written_; }
    void rememberWrittenPages(WrittenPages pages) const { written_ = std::move(pages); }

private:
    void append(std::int32_t id, const std::vector<const Value*>& byColumn);
    // The name lookups, made on the first insert: most tables never get one by name.
    void indexColumnNames();

    TableDefinition definition_;
    TableLayout layout_;
    double created_;
    std::int32_t lastId_ = 0;
    std::size_t minimumRowSize_ = 0;
    std::unordered_map<std::string, std::size_t> columnByName_;        // -> design column index
    std::unordered_map<std::string, std::size_t> columnByFoldedName_;  // the same, by nameFoldKey
    bool columnNamesIndexed_ = false;
    SpilledBytes rowBytes_;
    SpilledBytes longValueBytes_;
    std::vector<std::uint32_t> rowEnds_;
    std::vector<std::int32_t> ids_;
    std::vector<PendingLongValue> longValues_;
    mutable std::optional<WrittenPages> written_;
};

}  // namespace tabulon::jet
