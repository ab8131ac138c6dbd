#include "importer/row_scan.h"

#include <unordered_set>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/row.h"

namespace tabulon::importer {

using jet::Error;
using jet::getU16;
using jet::getU32;
using jet::getU8;

namespace {

constexpr std::uint8_t kDataPageType = 0x01, kBitmapPageType = 0x05;
constexpr std::uint16_t kOffsetMask = 0x1FFF, kDeleted = 0x8000, kMoved = 0x4000;
constexpr std::size_t kMaxLongValue = 0x3FFFFFFF;

std::string pageName(std::uint32_t page) { return "第 " + std::to_string(page) + " 页"; }

// The slot table of a data page: Jet 3 keeps the row count at 8, Jet 4 and ACE at 12.
struct DataPage {
    Page bytes;
    std::size_t slots;  // offset of slot 0
    unsigned count;

    DataPage(Page page, const FileFormat& format) : bytes(std::move(page)) {
        const std::size_t countAt = format.jet3() ? 8 : 12;
        slots = countAt + 2;
        count = getU16(*bytes, countAt);
        if (slots + 2 * std::size_t{count} > bytes->size())
            throw Error("数据页已损坏（行数 " + std::to_string(count) + " 超出页面）");
    }
    std::uint16_t slot(unsigned n) const { return getU16(*bytes, slots + 2 * n); }
    std::string_view row(unsigned n) const {
        if (n >= count) throw Error("指针指向不存在的行 " + std::to_string(n));
        const std::size_t start = slot(n) & kOffsetMask;
        const std::size_t end = n == 0 ? bytes->size() : slot(n - 1) & kOffsetMask;
        if (start > end || end > bytes->size() || start < slots + 2 * std::size_t{count})
            throw Error("数据页已损坏（行偏移无效）");
        return std::string_view(*bytes).substr(start, end - start);
    }
};

DataPage dataPageAt(PageFile& file, std::uint32_t page) {
    if (page == 0) throw Error("行指针指向文件头");
    Page bytes = file.page(page);
    if (getU8(*bytes, 0) != kDataPageType) throw Error("行指针指向的" + pageName(page) + "不是数据页");
    return DataPage(std::move(bytes), file.format());
}

}  // namespace

std::vector<std::uint32_t> readUsageMap(PageFile& file, std::string_view row) {
    std::vector<std::uint32_t> pages;
    if (row.size() < 5) throw Error("页面映射行已损坏");
    auto collect = [&](std::string_view bitmap, std::uint64_t first) {
        for (std::size_t i = 0; i < bitmap.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bitmap[i]);
            for (int bit = 0; byte != 0 && bit < 8; ++bit) {
                if (((byte >> bit) & 1) == 0) continue;
                const std::uint64_t page = first + i * 8 + static_cast<std::size_t>(bit);
                if (page >= file.pageCount())
                    throw Error("页面映射列出的" + pageName(static_cast<std::uint32_t>(page)) + "超出文件末尾");
                pages.push_back(static_cast<std::uint32_t>(page));
            }
        }
    };
    if (getU8(row, 0) == 0) {
        collect(row.substr(5), getU32(row, 1));
    } else if (getU8(row, 0) == 1) {
        const std::uint64_t perBitmap = (file.format().pageSize - 4) * 8;
        for (std::size_t slot = 0; 1 + 4 * slot + 4 <= row.size(); ++slot) {
            const std::uint32_t page = getU32(row, 1 + 4 * slot);
            if (page == 0) continue;
            const Page bitmap = file.page(page);
            if (getU8(*bitmap, 0) != kBitmapPageType) throw Error("页面映射的位图页（" + pageName(page) + "）类型不符");
            collect(std::string_view(*bitmap).substr(4), slot * perBitmap);
        }
    } else {
        throw Error("未知的页面映射类型");
    }
    return pages;
}

RowFields splitJet3Row(const jet::TableLayout& layout, std::string_view row) {
    auto broken = [] { return Error("数据行已损坏"); };
    if (row.size() < 2) throw broken();
    const std::size_t rowColumns = getU8(row, 0);
    const std::size_t maskSize = (rowColumns + 7) / 8;
    if (maskSize + 1 > row.size()) throw broken();
    const std::string_view nullMask = row.substr(row.size() - maskSize);
    auto present = [&](std::uint16_t number) {
        return number < rowColumns && (static_cast<unsigned char>(nullMask[number / 8]) >> (number % 8)) & 1;
    };
    std::size_t rowVariables = 0;
    std::vector<std::size_t> offsets;
    if (layout.variableColumnCount() > 0) {
        // From the end: null mask, variable count, jump table, end-of-data offset, offsets.
        const std::size_t end = row.size() - 1;
        if (end < maskSize) throw broken();
        const std::size_t countAt = end - maskSize;
        rowVariables = getU8(row, countAt);
        std::size_t jumps = (row.size() - 1) / 256;
        if (countAt < jumps + 1) throw broken();
        const std::size_t offsetsAt = countAt - jumps - 1;
        // The last jump entry can be a placeholder that no offset uses.
        if (offsetsAt < rowVariables || (offsetsAt - rowVariables) / 256 < jumps) jumps = jumps == 0 ? 0 : jumps - 1;
        if (offsetsAt < rowVariables) throw broken();
        std::size_t jumpsUsed = 0;
        for (std::size_t i = 0; i <= rowVariables; ++i) {
            while (jumpsUsed < jumps && i == getU8(row, countAt - jumpsUsed - 1)) ++jumpsUsed;
            offsets.push_back(getU8(row, offsetsAt - i) + jumpsUsed * 256);
        }
    }
    RowFields values(layout.columnSlots());
    for (const jet::ColumnLayout& c : layout.columns) {
        if (c.type == jet::JetType::Boolean) {
            values[c.number] = present(c.number) ? std::string_view("\x01", 1) : std::string_view();
        } else if (!present(c.number)) {
            continue;
        } else if (!c.isVariable()) {
            const std::size_t size = jet::fixedSize(c.type) != 0 ? jet::fixedSize(c.type) : c.length;
            if (1u + c.fixedOffset + size > row.size()) throw broken();
            values[c.number] = row.substr(1u + c.fixedOffset, size);
        } else if (c.varIndex < rowVariables) {
            const std::size_t start = offsets[c.varIndex], stop = offsets[c.varIndex + 1u];
            if (start > stop || stop > row.size()) throw broken();
            values[c.number] = row.substr(start, stop - start);
        }
    }
    return values;
}

void forEachRow(PageFile& file, const TableShape& shape, const std::function<void(const RowFields&)>& visit) {
    const std::string table = "表（定义在" + pageName(shape.tdefPage) + "）";
    std::vector<std::uint32_t> pages;
    try {
        const DataPage holder = dataPageAt(file, jet::pointerPage(shape.ownedPages));
        pages = readUsageMap(file, holder.row(jet::pointerRow(shape.ownedPages)));
    } catch (const Error& e) {
        throw Error(table + "的数据页映射已损坏：" + e.what());
    }
    const bool jet3 = file.format().jet3();
    auto split = [&](std::string_view row) {
        return jet3 ? splitJet3Row(shape.layout, row) : jet::splitRow(shape.layout, row);
    };
    for (const std::uint32_t number : pages) {
        const Page bytes = file.page(number);
        // Pages listed for the table but owned by another are skipped, as the other readers do.
        if (getU8(*bytes, 0) != kDataPageType || getU32(*bytes, 4) != shape.tdefPage) continue;
        unsigned n = 0;
        try {
            const DataPage page(bytes, file.format());
            for (; n < page.count; ++n) {
                const std::uint16_t slot = page.slot(n);
                if ((slot & kDeleted) != 0) continue;
                std::string_view row = page.row(n);
                if ((slot & kMoved) != 0) {
                    // The row moved: its first 4 bytes point to where it lives now.
                    if (row.size() < 4) throw Error("移动行的指针不完整");
                    const std::uint32_t pointer = getU32(row, 0);
                    const DataPage target = dataPageAt(file, jet::pointerPage(pointer));
                    if (getU32(*target.bytes, 4) != shape.tdefPage) throw Error("移动行指向另一个表的页");
                    visit(split(target.row(jet::pointerRow(pointer))));
                    continue;
                }
                visit(split(row));
            }
        } catch (const Error& e) {
            throw Error("数据" + pageName(number) + "第 " + std::to_string(n) + " 行已损坏：" + e.what());
        }
    }
}

std::string readLongValue(PageFile& file, std::string_view header) {
    if (header.size() < 12) throw Error("长值头不完整");
    const std::uint32_t word = getU32(header, 0);
    const std::size_t length = word & kMaxLongValue;
    const auto kind = static_cast<std::uint8_t>(word >> 24) & 0xC0;
    const std::uint32_t pointer = getU32(header, 4);
    if (kind == 0x80) {
        if (header.size() < 12 + length) throw Error("长值的内联数据不完整");
        return std::string(header.substr(12, length));
    }
    // A value is stored once in the file, so it cannot be longer than the file.
    if (length > std::uint64_t{file.pageCount()} * file.format().pageSize)
        throw Error("长值的长度 " + std::to_string(length) + " 超出文件大小");
    if (kind == 0x40) {
        const DataPage page = dataPageAt(file, jet::pointerPage(pointer));
        const std::string_view row = page.row(jet::pointerRow(pointer));
        if (row.size() < length) throw Error("长值行不完整（" + pageName(jet::pointerPage(pointer)) + "）");
        return std::string(row.substr(0, length));
    }
    if (kind != 0) throw Error("长值的类型未知");
    std::string out;
    out.reserve(std::min<std::size_t>(length, 1 << 20));
    std::unordered_set<std::uint32_t> visited;
    for (std::uint32_t next = pointer; next != 0 && out.size() < length;) {
        if (!visited.insert(next).second) throw Error("长值链在" + pageName(jet::pointerPage(next)) + "绕回自身");
        const DataPage page = dataPageAt(file, jet::pointerPage(next));
        const std::string_view row = page.row(jet::pointerRow(next));
        if (row.size() <= 4) throw Error("长值链已损坏（" + pageName(jet::pointerPage(next)) + "）");
        out.append(row.substr(4, std::min(row.size() - 4, length - out.size())));
        next = getU32(row, 0);
    }
    if (out.size() < length) throw Error("长值链不完整");
    return out;
}

}  // namespace tabulon::importer
