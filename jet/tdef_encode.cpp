// Encoding a table definition (TDEF) and knowing its length without encoding it.
#include <algorithm>
#include <utility>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/tdef.h"
#include "jet/tdef_format.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

using namespace tdef_format;

constexpr const char* kNotUtf8 = "名称: 不是有效的 UTF-8 文本";

// Bytes a name takes in the definition: its byte count, then UTF-16LE.
std::size_t storedNameLength(const std::string& utf8) {
    const auto units = utf16Length(utf8);
    if (!units) throw Error(kNotUtf8);
    return 2 + 2 * *units;
}

// Writes into a buffer sized beforehand; never past its end.
class Writer {
public:
    Writer(char* begin, char* end) : at_(begin), end_(end) {}
    void u8(std::uint8_t v) { setU8(take(1), v); }
    void u16(std::uint16_t v) { setU16(take(2), v); }
    void u32(std::uint32_t v) { setU32(take(4), v); }
    void zeros(std::size_t n) { std::fill_n(take(n), n, '\0'); }
    void name(const std::string& utf8) {
        room(2 + 2 * utf8.size());  // the most its UTF-16LE form can take
        char* const end = writeUtf16le(utf8, at_ + 2);
        if (end == nullptr) throw Error(kNotUtf8);
        setU16(at_, static_cast<std::uint16_t>(end - at_ - 2));
        at_ = end;
    }
    std::size_t written(const char* begin) const { return static_cast<std::size_t>(at_ - begin); }

private:
    void room(std::size_t n) const {
        if (static_cast<std::size_t>(end_ - at_) < n) throw Error("内部错误：表定义超出预留的长度");
    }
    char* take(std::size_t n) {
        room(n);
        return std::exchange(at_, at_ + n);
    }
    char* at_;
    char* end_;
};

// The definition's length when each name takes `nameLength(name)` bytes.
template <typename NameLength>
std::size_t lengthWithNames(const TableLayout& layout, NameLength nameLength) {
    std::size_t length = kHeaderLength + kRealIndexHeader * layout.realIndexes.size() +
                         kColumnBlock * layout.blockOrder.size() + kRealIndexBlock * layout.realIndexes.size() +
                         kLogicalIndexBlock * layout.logicalIndexes.size() +
                         kLongValueMapBlock * layout.longValueMaps.size() + kEndMarker;
    for (std::uint16_t number : layout.blockOrder) length += nameLength(layout.columns.at(number).name);
    for (const LogicalIndexLayout& index : layout.logicalIndexes) length += nameLength(index.name);
    return length;
}

void putColumnBlock(Writer& out, const TableLayout& layout, const ColumnLayout& c) {
    out.u8(static_cast<std::uint8_t>(c.type));
    out.u32(kTdefMagic);
    out.u16(c.number);
    out.u16(c.isVariable() ? c.varIndex : 0);
    // Jet leaves the second number 0 in its own tables; Access repeats the number.
    out.u16(layout.system ? 0 : c.number);
    if (c.type == JetType::Numeric) {
        out.u8(c.precision);
        out.u8(c.scale);
        out.u16(0);
    } else {
        out.u16(kSortGeneral);  // sort order, version 0
        out.u16(0);
    }
    out.u8(c.flags);
    out.u8(c.extraFlags);
    out.u32(0);
    out.u16(c.isVariable() ? 0 : c.fixedOffset);
    out.u16(c.length);
}

}  // namespace

std::size_t tdefLength(const TableLayout& layout) { return lengthWithNames(layout, storedNameLength); }

std::string encodeTdef(const TableLayout& layout) {
    // Room for names of two UTF-16 bytes per UTF-8 byte, the most they take, then cut.
    const std::size_t room = lengthWithNames(layout, [](const std::string& name) { return 2 + 2 * name.size(); });
    std::string bytes(room, '\0');
    Writer out(bytes.data(), bytes.data() + bytes.size());
    out.u8(kTdefPage);
    out.u8(0x01);
    out.u16(0);  // free space, set per page
    out.u32(0);  // next TDEF page, set per page
    out.u32(0);  // definition length, set below
    out.u32(kTdefMagic);
    out.u32(layout.rowCount);
    out.u32(layout.lastAutoNumber);
    out.u8(0x01);  // autonumbering enabled
    out.zeros(15);
    out.u8(layout.system ? kSystemTable : kUserTable);
    const auto columnCount = static_cast<std::uint16_t>(layout.columns.size());
    out.u16(columnCount);  // highest column count a row may carry
    out.u16(layout.variableColumnCount());
    out.u16(columnCount);
    out.u32(static_cast<std::uint32_t>(layout.logicalIndexes.size()));
    out.u32(static_cast<std::uint32_t>(layout.realIndexes.size()));
    out.u32(layout.ownedPages);
    out.u32(layout.freeSpacePages);
    for (const RealIndexLayout& index : layout.realIndexes) {
        out.u32(0);
        out.u32(index.uniqueEntries);
        out.u32(0);
    }
    for (std::uint16_t number : layout.blockOrder) putColumnBlock(out, layout, layout.columns.at(number));
    for (std::uint16_t number : layout.blockOrder) out.name(layout.columns.at(number).name);
    for (const RealIndexLayout& index : layout.realIndexes) {
        out.u32(kRealIndexMagic);
        for (std::size_t slot = 0; slot < kIndexSlots; ++slot) {
            if (slot < index.columns.size()) {
                out.u16(index.columns[slot]);
                out.u8(0x01);  // ascending
            } else {
                out.u16(0xFFFF);
                out.u8(0);
            }
        }
        out.u32(index.usageMap);
        out.u32(index.rootPage);
        out.u32(0);
        out.u8(index.flags);
        out.zeros(5);
    }
    for (const LogicalIndexLayout& index : layout.logicalIndexes) {
        out.u32(kTdefMagic);
        out.u32(index.number);
        out.u32(index.realIndex);
        out.u8(0);            // related table type (foreign keys only)
        out.u32(0xFFFFFFFF);  // related index
        out.u32(0);           // related table
        out.u8(kNoCascade);
        out.u8(kNoCascade);
        out.u8(static_cast<std::uint8_t>(index.kind));
        out.u32(0);
    }
    for (const LogicalIndexLayout& index : layout.logicalIndexes) out.name(index.name);
    for (const LongValueMaps& maps : layout.longValueMaps) {
        out.u16(maps.column);
        out.u32(maps.ownedPages);
        out.u32(maps.freeSpacePages);
    }
    out.u16(0xFFFF);
    bytes.resize(out.written(bytes.data()));
    setU32(&bytes[8], static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

}  // namespace tabulon::jet
