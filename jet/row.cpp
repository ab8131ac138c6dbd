#include "jet/row.h"

#include "jet/byte_io.h"
#include "jet/error.h"

namespace tabulon::jet {
namespace {

constexpr std::string_view kTrue("\x01", 1);
constexpr std::string_view kFalse;

std::size_t nullMaskSize(std::size_t columns) { return (columns + 7) / 8; }

}  // namespace

std::string assembleRow(const TableLayout& layout, const std::vector<Cell>& cells) {
    const std::size_t columnCount = layout.columns.size();
    const std::uint16_t variableCount = layout.variableColumnCount();
    std::string row;
    row.reserve(64);
    putU16(row, static_cast<std::uint16_t>(columnCount));
    // The whole fixed area is always written, even for null values.
    row.append(layout.fixedAreaLength(), '\0');
    std::string nullMask(nullMaskSize(columnCount), '\0');
    for (const ColumnLayout& c : layout.columns) {
        const Cell& cell = cells[c.number];
        if (!cell.present) continue;
        nullMask[c.number / 8] = static_cast<char>(nullMask[c.number / 8] | (1 << (c.number % 8)));
        if (!c.isVariable() && c.type != JetType::Boolean)
            row.replace(2 + c.fixedOffset, cell.bytes.size(), cell.bytes);
    }
    if (variableCount > 0) {
        std::vector<std::uint16_t> offsets(variableCount, 0);
        std::vector<const ColumnLayout*> byVarIndex(variableCount, nullptr);
        for (const ColumnLayout& c : layout.columns) {
            if (c.isVariable()) byVarIndex.at(c.varIndex) = &c;
        }
        for (std::uint16_t i = 0; i < variableCount; ++i) {
            offsets[i] = static_cast<std::uint16_t>(row.size());
            const Cell& cell = cells[byVarIndex[i]->number];
            if (cell.present) row += cell.bytes;
        }
        putU16(row, static_cast<std::uint16_t>(row.size()));  // end of variable data
        for (int i = variableCount - 1; i >= 0; --i) putU16(row, offsets[static_cast<std::size_t>(i)]);
        putU16(row, variableCount);
    }
    row += nullMask;
    return row;
}

std::vector<std::optional<std::string_view>> splitRow(const TableLayout& layout, std::string_view row) {
    auto broken = [] { return Error("数据行已损坏"); };
    if (row.size() < 3) throw broken();
    const std::uint16_t rowColumns = getU16(row, 0);
    const std::size_t maskSize = nullMaskSize(rowColumns);
    if (maskSize + 2 > row.size()) throw broken();
    const std::string_view nullMask = row.substr(row.size() - maskSize);
    auto present = [&](std::uint16_t number) {
        return number < rowColumns && (static_cast<unsigned char>(nullMask[number / 8]) >> (number % 8)) & 1;
    };

    std::uint16_t rowVariables = 0;
    std::vector<std::uint16_t> offsets;
    if (layout.variableColumnCount() > 0) {
        const std::size_t countAt = row.size() - maskSize - 2;
        rowVariables = getU16(row, countAt);
        if (countAt < 2u * (rowVariables + 1u)) throw broken();
        offsets.resize(rowVariables + 1u);
        for (std::uint16_t i = 0; i < rowVariables; ++i) offsets[i] = getU16(row, countAt - 2u * (i + 1u));
        offsets[rowVariables] = getU16(row, countAt - 2u * (rowVariables + 1u));
    }

    std::vector<std::optional<std::string_view>> values(layout.columnSlots());
    for (const ColumnLayout& c : layout.columns) {
        if (c.type == JetType::Boolean) {
            values[c.number] = present(c.number) ? kTrue : kFalse;
        } else if (!present(c.number)) {
            continue;
        } else if (!c.isVariable()) {
            // Fixed text and binary columns take their declared length.
            const std::size_t size = fixedSize(c.type) != 0 ? fixedSize(c.type) : c.length;
            if (2u + c.fixedOffset + size > row.size()) throw broken();
            values[c.number] = row.substr(2u + c.fixedOffset, size);
        } else if (c.varIndex < rowVariables) {
            const std::uint16_t start = offsets[c.varIndex];
            const std::uint16_t end = offsets[c.varIndex + 1u];
            if (start > end || end > row.size()) throw broken();
            values[c.number] = row.substr(start, end - start);
        }
    }
    return values;
}

}  // namespace tabulon::jet
