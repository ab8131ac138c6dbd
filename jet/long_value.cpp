#include "jet/long_value.h"

#include <algorithm>
#include <unordered_set>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/page_size.h"
#include "jet/page_store.h"

namespace tabulon::jet {
namespace {

constexpr std::size_t kChainPointer = 4;

}  // namespace

LongValueKind outOfRowKind(std::size_t length) {
    return length <= kMaxLongValueRow ? LongValueKind::OtherPage : LongValueKind::Chained;
}

LongValueKind longValueKind(std::string_view header) {
    return static_cast<LongValueKind>(static_cast<std::uint8_t>(header.at(3)) & 0xC0);
}

std::string longValueHeader(std::size_t length, LongValueKind kind, std::uint32_t pointer) {
    std::string header;
    putU32(header, static_cast<std::uint32_t>(length) | (static_cast<std::uint32_t>(kind) << 24));
    putU32(header, pointer);
    putU32(header, 0);
    return header;
}

LongValueWriter::LongValueWriter(PageStore& store, std::function<std::uint32_t()> allocate)
    : store_(store), rows_(store, data_page::kLongValueOwner, std::move(allocate)) {}

std::uint32_t LongValueWriter::write(std::string_view data) {
    if (outOfRowKind(data.size()) == LongValueKind::OtherPage) return rows_.add(data);

    // A chain: every piece starts with the pointer to the next one (0 at the
    // end). Pieces are placed first and their pointers filled in afterwards.
    const std::size_t chunk = kMaxLongValueRow - kChainPointer;
    std::vector<std::uint32_t> pieces;
    std::string piece;
    for (std::size_t at = 0; at < data.size(); at += chunk) {
        piece.assign(kChainPointer, '\0');
        piece.append(data.substr(at, chunk));
        pieces.push_back(rows_.add(piece));
    }
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        char* page = store_.page(pointerPage(pieces[i]));
        const std::size_t start = data_page::rowStart(std::string_view(page, kPageSize), pointerRow(pieces[i]));
        setU32(page + start, pieces[i + 1]);
    }
    return pieces.front();
}

std::string readLongValue(std::string_view header, std::string_view file) {
    if (header.size() < kLongValueHeader) throw Error("备注字段的长值头不完整");
    const std::uint32_t word = getU32(header, 0);
    const std::size_t length = word & 0x3FFFFFFF;
    const auto kind = static_cast<std::uint8_t>(word >> 24) & 0xC0;
    const std::uint32_t pointer = getU32(header, 4);
    if (kind == static_cast<std::uint8_t>(LongValueKind::Inline)) {
        if (header.size() < kLongValueHeader + length) throw Error("备注字段的内联数据不完整");
        return std::string(header.substr(kLongValueHeader, length));
    }
    // A value is stored once in the file, so it cannot be longer than the file.
    if (length > file.size()) throw Error("备注字段的长度 " + std::to_string(length) + " 超出文件大小");
    if (kind == static_cast<std::uint8_t>(LongValueKind::OtherPage)) {
        const std::string_view row = data_page::rowAt(file, pointer);
        if (row.size() < length)
            throw Error("备注字段的长值行不完整（第 " + std::to_string(pointerPage(pointer)) + " 页）");
        return std::string(row.substr(0, length));
    }
    if (kind != static_cast<std::uint8_t>(LongValueKind::Chained)) throw Error("备注字段的长值类型未知");
    std::string out;
    out.reserve(length);
    std::unordered_set<std::uint32_t> visited;
    std::uint32_t next = pointer;
    while (next != 0 && out.size() < length) {
        if (!visited.insert(next).second) {
            throw Error("备注字段的长值链在第 " + std::to_string(pointerPage(next)) + " 页绕回自身");
        }
        const std::string_view row = data_page::rowAt(file, next);
        if (row.size() <= kChainPointer) {
            throw Error("备注字段的长值链已损坏（第 " + std::to_string(pointerPage(next)) + " 页）");
        }
        out.append(row.substr(kChainPointer, std::min(row.size() - kChainPointer, length - out.size())));
        next = getU32(row, 0);
    }
    if (out.size() < length) throw Error("备注字段的长值链不完整");
    return out;
}

}  // namespace tabulon::jet
