#include "importer/page_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/header_page.h"

namespace tabulon::importer {

using jet::Error;
using jet::getU16;
using jet::getU32;
using jet::getU8;

namespace {

constexpr std::size_t kVersionAt = 0x14, kMaskedAt = 0x18, kCodePageAt = 0x3C, kKeyAt = 0x3E, kPasswordAt = 0x42,
                      kCreatedAt = 0x72;
constexpr std::uint32_t kMinimumPages = 3;  // header, free-page map, MSysObjects

std::string pageName(std::uint32_t page) { return "第 " + std::to_string(page) + " 页"; }

// What to do with a file this reader is not allowed to (or cannot) read.
std::string afterwards() { return "请在 Access 中打开它，撤销数据库密码（解密数据库）后另存一份，再导入那一份。"; }

}  // namespace

std::string versionName(FileVersion version) {
    switch (version) {
    case FileVersion::Jet3: return "Access 97（Jet 3）";
    case FileVersion::Jet4: return "Access 2000–2003（Jet 4）";
    case FileVersion::Ace12: return "Access 2007（ACE 12）";
    case FileVersion::Ace14: return "Access 2010（ACE 14）";
    case FileVersion::Ace15: return "Access 2013（ACE 15）";
    case FileVersion::Ace16: return "Access 2016（ACE 16）";
    case FileVersion::Ace17: return "Access 2019（ACE 17）";
    }
    return "Access";
}

struct PageFile::Source {
    virtual ~Source() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::string read(std::uint64_t at, std::size_t length) = 0;
};

namespace {

class DiskSource final : public PageFile::Source {
public:
    explicit DiskSource(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        if (!in_) throw Error("无法打开文件 " + path.string());
        in_.seekg(0, std::ios::end);
        size_ = static_cast<std::uint64_t>(in_.tellg());
    }
    std::uint64_t size() const override { return size_; }
    std::string read(std::uint64_t at, std::size_t length) override {
        std::string bytes(length, '\0');
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        in_.read(bytes.data(), static_cast<std::streamsize>(length));
        if (static_cast<std::size_t>(in_.gcount()) != length) throw Error("读取文件时出错（文件在读取中被改动？）");
        return bytes;
    }

private:
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

class MemorySource final : public PageFile::Source {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::string read(std::uint64_t at, std::size_t length) override {
        return bytes_.substr(static_cast<std::size_t>(at), length);
    }

private:
    std::string bytes_;
};

}  // namespace

PageFile PageFile::open(const std::filesystem::path& path, std::size_t cachedPages) {
    return PageFile(std::make_unique<DiskSource>(path), cachedPages);
}

PageFile PageFile::fromBytes(std::string bytes, std::size_t cachedPages) {
    return PageFile(std::make_unique<MemorySource>(std::move(bytes)), cachedPages);
}

PageFile::PageFile(std::unique_ptr<Source> source, std::size_t cachedPages)
    : source_(std::move(source)), capacity_(std::max<std::size_t>(cachedPages, 8)) {
    readHeader();
}

PageFile::PageFile(PageFile&&) noexcept = default;
PageFile& PageFile::operator=(PageFile&&) noexcept = default;
PageFile::~PageFile() = default;

void PageFile::readHeader() {
    if (source_->size() < 0x100) throw Error("文件太短，不是 Access 数据库");
    std::string header = source_->read(0, 0x100);
    const std::string_view engine(header.data() + 4, 15);
    if (getU8(header, 0) != 0 || (engine != "Standard Jet DB" && engine != "Standard ACE DB")) {
        if (engine.substr(0, 6) == "MSISAM") throw Error("文件是 Microsoft Money 的数据库，不是 Access 数据库");
        throw Error("文件不是 Access 数据库（文件头没有 Jet 或 ACE 的标记）");
    }
    const std::uint8_t version = getU8(header, kVersionAt);
    switch (version) {
    case 0: format_.version = FileVersion::Jet3; break;
    case 1: format_.version = FileVersion::Jet4; break;
    case 2: format_.version = FileVersion::Ace12; break;
    case 3: format_.version = FileVersion::Ace14; break;
    case 4: format_.version = FileVersion::Ace15; break;
    case 5: format_.version = FileVersion::Ace16; break;
    case 6: format_.version = FileVersion::Ace17; break;
    default:
        throw Error("文件的格式版本号是 " + std::to_string(version) +
                    "，本程序不认识这个 Access 版本（能读 Access 97、2000–2003 的 .mdb 和 2007–2019 的 .accdb）。"
                    "请在 Access 中把它另存为 Access 2000 或 2007 格式，再导入。");
    }
    format_.pageSize = format_.jet3() ? 2048 : 4096;
    const std::string_view key("\xC7\xDA\x39\x6B", 4);
    const std::size_t masked = format_.jet3() ? 126 : 128;
    const std::string stream = jet::rc4Keystream(key, masked);
    for (std::size_t i = 0; i < masked; ++i)
        header[kMaskedAt + i] = static_cast<char>(header[kMaskedAt + i] ^ stream[i]);
    format_.codePage = getU16(header, kCodePageAt);
    const std::string name = versionName(format_.version);
    if (getU32(header, kKeyAt) != 0) throw Error("文件是 " + name + " 数据库，已加密，不能读取。" + afterwards());
    if (format_.version == FileVersion::Jet3) {
        const std::string_view password(header.data() + kPasswordAt, 20);
        if (password.find_first_not_of('\0') != std::string_view::npos)
            throw Error("文件是 " + name + " 数据库，设有数据库密码。" + afterwards());
    } else if (format_.version == FileVersion::Jet4) {
        // The password area is masked with the whole days of the creation date.
        const double created = jet::getDouble(header, kCreatedAt);
        const auto days = std::isfinite(created) && std::fabs(created) < 2e9
                              ? static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(created)))
                              : 0u;
        for (std::size_t i = 0; i < 40; ++i) {
            const auto mask = static_cast<std::uint8_t>(days >> (8 * (i % 4)));
            if ((getU8(header, kPasswordAt + i) ^ mask) != 0)
                throw Error("文件是 " + name + " 数据库，设有数据库密码。" + afterwards());
        }
    }
    const std::uint64_t pages = source_->size() / format_.pageSize;
    if (pages < kMinimumPages)
        throw Error("文件是 " + name + " 数据库，但已被截断（只有 " + std::to_string(pages) + " 页）");
    pageCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(pages, 0xFFFFFF));
}

Page PageFile::page(std::uint32_t n) {
    if (n >= pageCount_) throw Error(pageName(n) + "超出文件末尾（文件已截断或已损坏）");
    if (const auto found = cached_.find(n); found != cached_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second);
        return found->second->second;
    }
    auto bytes = std::make_shared<const std::string>(
        source_->read(static_cast<std::uint64_t>(n) * format_.pageSize, format_.pageSize));
    ++pagesRead_;
    recent_.emplace_front(n, bytes);
    cached_[n] = recent_.begin();
    if (recent_.size() > capacity_) {
        cached_.erase(recent_.back().first);
        recent_.pop_back();
    }
    return bytes;
}

}  // namespace tabulon::importer
