#pragma once
// An Access file read page by page, whatever engine wrote it: Jet 3 (2 KB pages, text in
// the file's code page), Jet 4 and ACE (4 KB pages, UTF-16 text). Pages come through a
// small cache, so memory stays bounded however large the file is.
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tabulon::importer {

enum class FileVersion { Jet3, Jet4, Ace12, Ace14, Ace15, Ace16, Ace17 };

struct FileFormat {
    FileVersion version = FileVersion::Jet4;
    std::size_t pageSize = 4096;
    std::uint16_t codePage = 1252;  // Jet 3 text only

    bool jet3() const { return version == FileVersion::Jet3; }
};

// "Access 97（Jet 3）", "Access 2000–2003（Jet 4）", "Access 2007（ACE 12）", …
std::string versionName(FileVersion version);

using Page = std::shared_ptr<const std::string>;

class PageFile {
public:
    // Throws jet::Error for a file that is not an Access database, is encrypted or has a
    // password, or is of a version this reader does not know; the message names the version
    // and what to do.
    static PageFile open(const std::filesystem::path& path, std::size_t cachedPages = 256);
    // The same over bytes in memory (tests, fuzzing).
    static PageFile fromBytes(std::string bytes, std::size_t cachedPages = 256);

    PageFile(PageFile&&) noexcept;
    PageFile& operator=(PageFile&&) noexcept;
    ~PageFile();

    const FileFormat& format() const { return format_; }
    std::uint32_t pageCount() const { return pageCount_; }
    // Page `n`, whole; throws jet::Error naming the page when the file has no such page.
    Page page(std::uint32_t n);
    // Pages read from disk so far (cache misses), for the benchmark.
    std::size_t pagesRead() const { return pagesRead_; }

    struct Source;  // where the bytes come from: a file on disk or memory

private:
    PageFile(std::unique_ptr<Source> source, std::size_t cachedPages);
    void readHeader();

    std::unique_ptr<Source> source_;
    FileFormat format_;
    std::uint32_t pageCount_ = 0;
    std::size_t capacity_;
    std::size_t pagesRead_ = 0;
    std::list<std::pair<std::uint32_t, Page>> recent_;  // most recent first
    std::unordered_map<std::uint32_t, std::list<std::pair<std::uint32_t, Page>>::iterator> cached_;
};

}  // namespace tabulon::importer
