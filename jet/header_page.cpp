#include "jet/header_page.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "jet/byte_io.h"
#include "jet/error.h"

namespace tabulon::jet {
namespace {

// Bytes 0x18..0x97 are stored XOR-ed with an RC4 stream under a fixed key.
constexpr std::size_t kMaskStart = 0x18;
constexpr std::size_t kMaskLength = 128;
constexpr char kMaskKey[] = {'\xC7', '\xDA', '\x39', '\x6B'};

constexpr std::size_t kFormatVersion = 0x14;
constexpr std::uint8_t kJet4 = 1;
constexpr std::size_t kDatabaseKey = 0x3E;
constexpr std::size_t kPasswordArea = 0x42;
constexpr std::size_t kCreationDate = 0x72;

// The creation date, engine build word and the security ids written into the
// catalogue form one set taken from a database made by Jet itself; Jet
// relates the ids to the file, so none of them is changed on its own.
constexpr std::uint8_t kCreationDateBytes[8] = {0x3E, 0x85, 0xD3, 0x3B, 0x3E, 0xAB, 0xE4, 0x40};
constexpr std::uint16_t kEngineBuild = 0x261C;

void put(std::string& page, std::size_t at, std::string_view bytes) { page.replace(at, bytes.size(), bytes); }

void applyMask(std::string& page) {
    const std::string stream = rc4Keystream(std::string_view(kMaskKey, sizeof kMaskKey), kMaskLength);
    for (std::size_t i = 0; i < kMaskLength; ++i) page[kMaskStart + i] ^= stream[i];
}

}  // namespace

std::string rc4Keystream(std::string_view key, std::size_t length) {
    std::array<std::uint8_t, 256> state;
    for (int i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + static_cast<std::uint8_t>(key[i % key.size()]));
        std::swap(state[i], state[j]);
    }
    std::string out(length, '\0');
    std::uint8_t a = 0, b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + state[a]);
        std::swap(state[a], state[b]);
        out[n] = static_cast<char>(state[static_cast<std::uint8_t>(state[a] + state[b])]);
    }
    return out;
}

std::string buildHeaderPage() {
    std::string page(kPageSize, '\0');
    page[0] = 0x00;  // database definition page
    page[1] = 0x01;
    put(page, 0x04, std::string_view("Standard Jet DB\0", 16));
    page[kFormatVersion] = static_cast<char>(kJet4);

    // Masked region, written in clear and masked at the end.
    constexpr std::uint8_t kUnknownConstant[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                                   3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    put(page, 0x18, std::string_view(reinterpret_cast<const char*>(kUnknownConstant), sizeof kUnknownConstant));
    setU16(&page[0x3C], 1252);       // default code page
    setU32(&page[kDatabaseKey], 0);  // zero: pages are not encrypted

    // No password: the area holds the password mask itself, which is the
    // whole-day part of the creation date repeated.
    double created;
    std::memcpy(&created, kCreationDateBytes, sizeof created);
    const auto passwordMask = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (std::size_t i = 0; i < 40; i += 4) setU32(&page[kPasswordArea + i], passwordMask);

    setU16(&page[0x6A], kEngineBuild);
    setU16(&page[0x6E], 1033);  // sort order "General", version 0
    put(page, kCreationDate, std::string_view(reinterpret_cast<const char*>(kCreationDateBytes), 8));
    applyMask(page);

    setU32(&page[0x98], 1620);
    put(page, 0x9C, std::string_view("4.0\0", 4));
    constexpr std::uint8_t kFreshCounters[4] = {1, 1, 0, 1};
    put(page, 0xE00, std::string_view(reinterpret_cast<const char*>(kFreshCounters), 4));
    for (std::size_t at = 0xE04; at < kPageSize; at += 2) page[at + 1] = 0x01;
    return page;
}

void checkHeaderPage(std::string_view page) {
    if (page.size() < kPageSize || page[0] != 0x00 || page.substr(4, 16) != std::string_view("Standard Jet DB\0", 16)) {
        throw Error("文件不是 Jet 数据库（文件头不符）");
    }
    if (static_cast<std::uint8_t>(page[kFormatVersion]) != kJet4) {
        throw Error("文件不是 Jet 4（Access 2000）格式的数据库");
    }
    std::string clear(page.substr(0, kPageSize));
    applyMask(clear);
    if (getU32(clear, kDatabaseKey) != 0) throw Error("数据库已加密，无法打开");
}

}  // namespace tabulon::jet
