#include "jet/tdef.h"

#include <algorithm>
#include <unordered_set>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/page_size.h"
#include "jet/page_store.h"
#include "jet/tdef_format.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

using namespace tdef_format;

// A bounds-checked reader over the definition bytes.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    void need(std::size_t at, std::size_t n) const {
        if (at + n > bytes_.size()) throw Error("表定义页已损坏（长度不足）");
    }
    std::uint8_t u8(std::size_t at) const { return need(at, 1), getU8(bytes_, at); }
    std::uint16_t u16(std::size_t at) const { return need(at, 2), getU16(bytes_, at); }
    std::uint32_t u32(std::size_t at) const { return need(at, 4), getU32(bytes_, at); }
    std::string_view slice(std::size_t at, std::size_t n) const { return need(at, n), bytes_.substr(at, n); }

private:
    std::string_view bytes_;
};

}  // namespace

TableLayout decodeTdef(std::string_view definition) {
    const Cursor in(definition);
    if (in.u8(0) != kTdefPage) throw Error("表定义页类型不符");
    TableLayout layout;
    layout.rowCount = in.u32(16);
    layout.lastAutoNumber = in.u32(20);
    layout.system = in.u8(40) == kSystemTable;
    const std::uint16_t columnCount = in.u16(45);
    const std::uint32_t logicalCount = in.u32(47);
    const std::uint32_t realCount = in.u32(51);
    if (columnCount == 0 || realCount > 64 || logicalCount > 64) throw Error("表定义页已损坏（计数不合理）");
    layout.ownedPages = in.u32(55);
    layout.freeSpacePages = in.u32(59);
    std::size_t at = kHeaderLength;
    layout.realIndexes.resize(realCount);
    for (RealIndexLayout& index : layout.realIndexes) {
        index.uniqueEntries = in.u32(at + 4);
        at += kRealIndexHeader;
    }
    std::vector<ColumnLayout> blocks(columnCount);
    for (ColumnLayout& c : blocks) {
        c.type = static_cast<JetType>(in.u8(at));
        c.number = in.u16(at + 5);
        c.varIndex = in.u16(at + 7);
        c.precision = in.u8(at + 11);
        c.scale = in.u8(at + 12);
        c.flags = in.u8(at + 15);
        c.extraFlags = in.u8(at + 16);
        c.fixedOffset = in.u16(at + 21);
        c.length = in.u16(at + 23);
        if (c.type != JetType::Numeric) c.precision = c.scale = 0;
        at += kColumnBlock;
    }
    for (ColumnLayout& c : blocks) {
        const std::uint16_t length = in.u16(at);
        c.name = utf16ToUtf8(fromUtf16leBytes(in.slice(at + 2, length)));
        at += 2 + length;
    }
    for (RealIndexLayout& index : layout.realIndexes) {
        for (std::size_t slot = 0; slot < kIndexSlots; ++slot) {
            const std::uint16_t column = in.u16(at + 4 + 3 * slot);
            if (column != 0xFFFF) index.columns.push_back(column);
        }
        index.usageMap = in.u32(at + 34);
        index.rootPage = in.u32(at + 38);
        index.flags = in.u8(at + 46);
        at += kRealIndexBlock;
    }
    layout.logicalIndexes.resize(logicalCount);
    for (LogicalIndexLayout& index : layout.logicalIndexes) {
        index.number = in.u32(at + 4);
        index.realIndex = in.u32(at + 8);
        index.kind = static_cast<LogicalIndexKind>(in.u8(at + 23));
        at += kLogicalIndexBlock;
    }
    for (LogicalIndexLayout& index : layout.logicalIndexes) {
        const std::uint16_t length = in.u16(at);
        index.name = utf16ToUtf8(fromUtf16leBytes(in.slice(at + 2, length)));
        at += 2 + length;
    }
    while (in.u16(at) != 0xFFFF) {
        layout.longValueMaps.push_back({in.u16(at), in.u32(at + 2), in.u32(at + 6)});
        at += kLongValueMapBlock;
    }

    // Column blocks may come in any order; the row format follows the numbers.
    for (const ColumnLayout& c : blocks) layout.blockOrder.push_back(c.number);
    std::sort(blocks.begin(), blocks.end(),
              [](const ColumnLayout& a, const ColumnLayout& b) { return a.number < b.number; });
    // Jet leaves gaps where columns were deleted, but never repeats a number.
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        if (blocks[i].number == blocks[i - 1].number) throw Error("表定义页已损坏（字段编号重复）");
    }
    layout.columns = std::move(blocks);
    return layout;
}

std::size_t tdefPageCount(std::size_t length) {
    if (length <= kPageSize) return 1;
    const std::size_t perPage = kPageSize - kPageHeader;
    return 1 + (length - kPageSize + perPage - 1) / perPage;
}

void writeTdefPages(PageStore& store, const std::vector<std::uint32_t>& pages, std::string_view definition) {
    std::size_t taken = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        char* page = store.page(pages[i]);
        const bool last = i + 1 == pages.size();
        std::size_t used;
        if (i == 0) {
            used = std::min(definition.size(), kPageSize);
            std::copy_n(definition.data(), used, page);
            taken = used;
        } else {
            page[0] = static_cast<char>(kTdefPage);
            page[1] = 0x01;
            const std::size_t chunk = std::min(definition.size() - taken, kPageSize - kPageHeader);
            std::copy_n(definition.data() + taken, chunk, page + kPageHeader);
            taken += chunk;
            used = kPageHeader + chunk;
        }
        // Jet reserves 8 bytes at the end of the last TDEF page; earlier pages count as full.
        const std::size_t free = last && used + 8 <= kPageSize ? kPageSize - used - 8 : 0;
        setU16(page + 2, static_cast<std::uint16_t>(free));
        setU32(page + 4, last ? 0 : pages[i + 1]);
    }
}

std::string readTdefBytes(std::string_view file, std::uint32_t firstPage) {
    std::string out;
    std::uint32_t page = firstPage;
    std::unordered_set<std::uint32_t> visited;
    while (page != 0) {
        const std::string where = "第 " + std::to_string(page) + " 页";
        if (static_cast<std::size_t>(page) >= file.size() / kPageSize) throw Error("表定义指向文件之外的" + where);
        if (!visited.insert(page).second) throw Error("表定义页的链在" + where + "绕回自身");
        const std::string_view bytes = file.substr(static_cast<std::size_t>(page) * kPageSize, kPageSize);
        if (getU8(bytes, 0) != kTdefPage) throw Error(where + "不是表定义页");
        out.append(out.empty() ? bytes : bytes.substr(kPageHeader));
        page = getU32(bytes, 4);
    }
    return out;
}

TableLayout readTableLayout(std::string_view file, std::uint32_t firstPage) {
    const std::string definition = readTdefBytes(file, firstPage);
    try {
        return decodeTdef(definition);
    } catch (const Error& e) {
        throw Error("第 " + std::to_string(firstPage) + " 页的表定义：" + e.what());
    }
}

}  // namespace tabulon::jet
