#include "jet/table_store.h"

#include <algorithm>
#include <limits>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/page_size.h"
#include "jet/names.h"
#include "jet/row.h"
#include "jet/tdef.h"
#include "jet/values.h"

namespace tabulon::jet {

namespace {

// Sizes that mean nothing for a column's type are reset, so that a design
// reads back from a file exactly as it is kept in memory.
TableDefinition normalized(TableDefinition definition) {
    const Column defaults;
    for (Column& column : definition.columns) {
        if (column.type != ColumnType::Text) column.length = defaults.length;
        if (column.type != ColumnType::Numeric) {
            column.precision = defaults.precision;
            column.scale = defaults.scale;
        }
    }
    return definition;
}

}  // namespace

StoredTable::StoredTable(TableDefinition definition, double createdOleDate)
    : definition_(normalized(std::move(definition))), layout_(userTableLayout(definition_)), created_(createdOleDate) {
    minimumRowSize_ = assembleRow(layout_, std::vector<Cell>(layout_.columns.size())).size();
}

// The sizes normalized() resets play no part in a layout, so one made from the design as
// given serves.
StoredTable::StoredTable(TableDefinition definition, TableLayout layout, std::size_t minimumRowSize,
                         double createdOleDate)
    : definition_(normalized(std::move(definition))),
      layout_(std::move(layout)),
      created_(createdOleDate),
      minimumRowSize_(minimumRowSize) {}

void StoredTable::indexColumnNames() {
    columnByName_.reserve(definition_.columns.size());
    columnByFoldedName_.reserve(definition_.columns.size());
    for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
        columnByFoldedName_.emplace(nameFoldKey(definition_.columns[i].name), i);
        columnByName_.emplace(definition_.columns[i].name, i);
    }
    columnNamesIndexed_ = true;
}

std::size_t StoredTable::definitionLength() const { return tdefLength(layout_); }

// A definition page, a usage-map page and the key's root page, then the bytes of the rows.
std::size_t StoredTable::pagesAtLeast() const {
    if (written_) return written_->bytes.size() / kPageSize;
    return 3 + static_cast<std::size_t>((rowBytes_.size() + longValueBytes_.size()) / kPageSize);
}

std::string_view StoredTable::rowImage(std::size_t i) const {
    const std::uint32_t start = i == 0 ? 0 : rowEnds_[i - 1];
    return rowBytes_.read(start, rowEnds_[i] - start);
}

void StoredTable::spillTo(const std::filesystem::path& folder) {
    rowBytes_.spillTo(folder);
    longValueBytes_.spillTo(folder);
}

std::int32_t StoredTable::insert(const std::vector<std::pair<std::string, Value>>& values) {
    if (!columnNamesIndexed_) indexColumnNames();
    std::vector<const Value*> byColumn(definition_.columns.size(), nullptr);
    for (const auto& [name, value] : values) {
        const auto exact = columnByName_.find(name);
        if (exact != columnByName_.end()) {
            if (byColumn[exact->second] != nullptr) {
                throw Error("表 " + definition_.name + " / 字段 " + name + ": 重复赋值");
            }
            byColumn[exact->second] = &value;
            continue;
        }
        const std::string folded = nameFoldKey(name);
        if (folded == "id")
            throw Error("表 " + definition_.name + " / 字段 " + name + ": id 由数据库自动编号，不能指定");
        const auto found = columnByFoldedName_.find(folded);
        if (found == columnByFoldedName_.end()) throw Error("表 " + definition_.name + ": 没有字段 " + name);
        if (byColumn[found->second] != nullptr)
            throw Error("表 " + definition_.name + " / 字段 " + name + ": 重复赋值");
        byColumn[found->second] = &value;
    }
    if (lastId_ == std::numeric_limits<std::int32_t>::max()) throw Error("表 " + definition_.name + ": 自动编号已用尽");
    const std::int32_t id = lastId_ + 1;
    append(id, byColumn);
    lastId_ = id;
    return id;
}

void StoredTable::restore(std::int32_t id, const std::vector<Value>& values) {
    std::vector<const Value*> byColumn;
    for (const Value& v : values) byColumn.push_back(&v);
    byColumn.resize(definition_.columns.size(), nullptr);
    append(id, byColumn);
    raiseLastId(id);
}

void StoredTable::raiseLastId(std::int32_t id) {
    if (id > lastId_) written_.reset();
    lastId_ = std::max(lastId_, id);
}

void StoredTable::append(std::int32_t id, const std::vector<const Value*>& byColumn) {
    written_.reset();
    std::vector<Cell> cells(layout_.columns.size());
    putU32(cells[0].bytes, static_cast<std::uint32_t>(id));
    cells[0].present = true;
    std::vector<std::pair<std::uint16_t, std::string>> outOfRow;  // column number, data
    for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
        const Value* value = byColumn[i];
        if (value == nullptr || std::holds_alternative<std::monostate>(*value)) continue;
        const ColumnLayout& column = layout_.columns[i + 1];
        Cell& cell = cells[column.number];
        try {
            std::string stored = encodeValue(column, *value);
            if (column.type == JetType::Boolean) {
                cell.present = !stored.empty();
                continue;
            }
            cell.present = true;
            if (!column.isLongValue()) {
                cell.bytes = std::move(stored);
                continue;
            }
            if (stored.size() > kMaxLongValueLength) throw Error("备注超过 16 MB");
            cell.bytes = longValueHeader(stored.size(), outOfRowKind(stored.size()), 0);
            outOfRow.emplace_back(column.number, std::move(stored));
        } catch (const Error& e) {
            throw Error("表 " + definition_.name + " / 字段 " + definition_.columns[i].name + ": " + e.what());
        }
    }
    // Short memos move into the row while it stays within Jet's row size.
    std::size_t rowSize = outOfRow.empty() ? 0 : assembleRow(layout_, cells).size();
    for (auto it = outOfRow.begin(); it != outOfRow.end();) {
        const std::string& data = it->second;
        if (data.size() <= kMaxInlineLongValue && rowSize + data.size() <= kMaxRowSize) {
            cells[it->first].bytes = longValueHeader(data.size(), LongValueKind::Inline, 0) + data;
            rowSize += data.size();
            it = outOfRow.erase(it);
        } else {
            ++it;
        }
    }
    const std::string row = assembleRow(layout_, cells);
    if (row.size() > kMaxRowSize) {
        throw Error("表 " + definition_.name + ": 一行有 " + std::to_string(row.size()) + " 字节，超过 Jet 的 " +
                    std::to_string(kMaxRowSize) + " 字节上限");
    }
    const auto rowIndex = static_cast<std::uint32_t>(ids_.size());
    if (!outOfRow.empty()) {
        const auto fields = splitRow(layout_, row);
        for (auto& [number, data] : outOfRow) {
            const auto offset = static_cast<std::uint16_t>(fields[number]->data() - row.data());
            longValues_.push_back(
                {rowIndex, offset, number, longValueBytes_.size(), static_cast<std::uint32_t>(data.size())});
            longValueBytes_.append(data);
        }
    }
    rowBytes_.append(row);
    rowEnds_.push_back(static_cast<std::uint32_t>(rowBytes_.size()));
    ids_.push_back(id);
}

std::vector<Row> StoredTable::rows() const {
    std::vector<Row> out;
    out.reserve(ids_.size());
    auto pending = longValues_.begin();
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        const auto fields = splitRow(layout_, rowImage(i));
        Row row;
        row.id = ids_[i];
        for (std::size_t c = 1; c < layout_.columns.size(); ++c) {
            const ColumnLayout& column = layout_.columns[c];
            if (!fields[c]) {
                row.values.emplace_back();
                continue;
            }
            if (!column.isLongValue()) {
                row.values.push_back(decodeValue(column, *fields[c]));
                continue;
            }
            const std::string_view header = *fields[c];
            if (longValueKind(header) == LongValueKind::Inline) {
                row.values.push_back(decodeValue(column, header.substr(kLongValueHeader)));
                continue;
            }
            while (pending != longValues_.end() && (pending->row < i || (pending->row == i && pending->column < c)))
                ++pending;
            if (pending == longValues_.end() || pending->row != i || pending->column != c) {
                throw Error("表 " + definition_.name + ": 内部错误，备注数据缺失");
            }
            row.values.push_back(decodeValue(column, longValueData(*pending)));
        }
        out.push_back(std::move(row));
    }
    return out;
}

}  // namespace tabulon::jet
