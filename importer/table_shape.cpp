#include "importer/table_shape.h"

#include <algorithm>
#include <iconv.h>
#include <unordered_set>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/text_codec.h"

namespace tabulon::importer {

using jet::Error;

namespace {

constexpr std::uint8_t kTdefPageType = 0x02;
constexpr std::size_t kMaxTdefPages = 64;
constexpr std::size_t kMaxColumns = 255;  // Jet's own limit
constexpr std::size_t kMaxIndexes = 1000;
constexpr std::uint8_t kPrimaryKeyIndex = 1;

// Where the two generations of the format keep each field of a definition.
struct TdefOffsets {
    std::size_t rowCount, autoNumber, columnCount, logicalCount, realCount, ownedPages, realStart, realEntry;
    std::size_t columnBlock, typeAt, numberAt, varIndexAt, flagsAt, extraFlagsAt, fixedOffsetAt, lengthAt;
    std::size_t precisionAt, scaleAt, nameLengthSize;
    std::size_t realBlock, realColumnsAt, logicalBlock, logicalRealAt, logicalTypeAt;
};

constexpr TdefOffsets kJet3{12, 16, 25, 27, 31, 35, 43, 8, 18, 0, 1, 3, 13, 0, 14, 16, 11, 12, 1, 39, 0, 20, 4, 19};
constexpr TdefOffsets kJet4{16, 20, 45, 47, 51, 55, 63, 12, 25, 0, 5, 7, 15, 16, 21, 23, 11, 12, 2, 52, 4, 28, 8, 23};

class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    void need(std::size_t at, std::size_t n) const {
        if (at > bytes_.size() || n > bytes_.size() - at) throw Error("表定义已损坏（长度不足）");
    }
    std::uint8_t u8(std::size_t at) const { return need(at, 1), jet::getU8(bytes_, at); }
    std::uint16_t u16(std::size_t at) const { return need(at, 2), jet::getU16(bytes_, at); }
    std::uint32_t u32(std::size_t at) const { return need(at, 4), jet::getU32(bytes_, at); }
    std::string_view slice(std::size_t at, std::size_t n) const { return need(at, n), bytes_.substr(at, n); }

private:
    std::string_view bytes_;
};

std::string joinedDefinition(PageFile& file, std::uint32_t firstPage) {
    std::string out;
    std::unordered_set<std::uint32_t> visited;
    for (std::uint32_t page = firstPage; page != 0;) {
        if (!visited.insert(page).second || visited.size() > kMaxTdefPages)
            throw Error("表定义页的链在第 " + std::to_string(page) + " 页绕回自身或过长");
        const Page bytes = file.page(page);
        if (jet::getU8(*bytes, 0) != kTdefPageType) throw Error("第 " + std::to_string(page) + " 页不是表定义页");
        out.append(out.empty() ? std::string_view(*bytes) : std::string_view(*bytes).substr(8));
        page = jet::getU32(*bytes, 4);
    }
    return out;
}

TableShape decode(std::string_view definition, const FileFormat& format) {
    const TdefOffsets& at = format.jet3() ? kJet3 : kJet4;
    const Cursor in(definition);
    TableShape shape;
    shape.rowCount = in.u32(at.rowCount);
    shape.lastAutoNumber = in.u32(at.autoNumber);
    const std::size_t columnCount = in.u16(at.columnCount);
    const std::size_t logicalCount = in.u32(at.logicalCount);
    const std::size_t realCount = in.u32(at.realCount);
    if (columnCount == 0 || columnCount > kMaxColumns || logicalCount > kMaxIndexes || realCount > kMaxIndexes)
        throw Error("表定义已损坏（字段数或索引数不合理）");
    shape.ownedPages = in.u32(at.ownedPages);
    std::size_t pos = at.realStart + realCount * at.realEntry;
    std::vector<jet::ColumnLayout> columns(columnCount);
    for (jet::ColumnLayout& c : columns) {
        in.need(pos, at.columnBlock);
        c.type = static_cast<jet::JetType>(in.u8(pos + at.typeAt));
        c.number = in.u16(pos + at.numberAt);
        c.varIndex = in.u16(pos + at.varIndexAt);
        c.flags = in.u8(pos + at.flagsAt);
        c.extraFlags = format.jet3() ? 0 : in.u8(pos + at.extraFlagsAt);
        c.fixedOffset = in.u16(pos + at.fixedOffsetAt);
        c.length = in.u16(pos + at.lengthAt);
        if (c.type == jet::JetType::Numeric) {
            c.precision = in.u8(pos + at.precisionAt);
            c.scale = in.u8(pos + at.scaleAt);
        }
        pos += at.columnBlock;
    }
    for (jet::ColumnLayout& c : columns) {
        const std::size_t length = at.nameLengthSize == 1 ? in.u8(pos) : in.u16(pos);
        const std::string_view name = in.slice(pos + at.nameLengthSize, length);
        c.name = format.jet3() ? codePageText(name, format.codePage)
                               : jet::utf16ToUtf8(jet::fromUtf16leBytes(name.substr(0, name.size() & ~std::size_t{1})));
        pos += at.nameLengthSize + length;
    }
    std::vector<std::vector<std::uint16_t>> realColumns(realCount);
    for (auto& indexColumns : realColumns) {
        for (std::size_t slot = 0; slot < 10; ++slot) {
            const std::uint16_t column = in.u16(pos + at.realColumnsAt + 3 * slot);
            if (column != 0xFFFF) indexColumns.push_back(column);
        }
        pos += at.realBlock;
    }
    for (std::size_t i = 0; i < logicalCount; ++i) {
        const std::uint32_t real = in.u32(pos + at.logicalRealAt);
        if (in.u8(pos + at.logicalTypeAt) == kPrimaryKeyIndex && real < realColumns.size() && shape.primaryKey.empty())
            shape.primaryKey = realColumns[real];
        pos += at.logicalBlock;
    }
    std::sort(columns.begin(), columns.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    for (std::size_t i = 1; i < columns.size(); ++i)
        if (columns[i].number == columns[i - 1].number) throw Error("表定义已损坏（字段编号重复）");
    shape.layout.columns = std::move(columns);
    shape.layout.rowCount = shape.rowCount;
    shape.layout.lastAutoNumber = shape.lastAutoNumber;
    return shape;
}

}  // namespace

std::string codePageText(std::string_view bytes, std::uint16_t codePage) {
    // Plain ASCII needs no converter, and code page 0 means the engine's default.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    const std::string from = "CP" + std::to_string(codePage == 0 ? 1252 : codePage);
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Error("不认识文件的代码页 " + std::to_string(codePage));
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1)) break;
        // A byte the code page does not define becomes U+FFFD instead of stopping the import.
        if (outLeft < 3) break;
        *to++ = '\xEF', *to++ = '\xBF', *to++ = '\xBD';
        outLeft -= 3;
        ++in, --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

TableShape readTableShape(PageFile& file, std::uint32_t tdefPage) {
    try {
        TableShape shape = decode(joinedDefinition(file, tdefPage), file.format());
        shape.tdefPage = tdefPage;
        return shape;
    } catch (const Error& e) {
        throw Error("第 " + std::to_string(tdefPage) + " 页的表定义：" + e.what());
    }
}

}  // namespace tabulon::importer
