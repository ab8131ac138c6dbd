#pragma once
// The file being built: zero-filled 4 KB pages handed out in order. Held whole in memory,
// or backed by a file: then only a bounded cache of recently used pages stays in memory,
// the others are written out (pwrite) and read back when touched again.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "jet/page_size.h"

namespace tabulon::jet {

class PageStore {
public:
    // Pages held in memory; release() gives the file.
    PageStore() = default;
    // Pages written to `fd` (open for writing and reading), at most `cachedPages` held;
    // `name` is the file's name for messages.
    PageStore(int fd, std::size_t cachedPages, std::string name);

    // Number of the new page. Pointers from page() and view() do not survive allocate(),
    // nor, when backed by a file, touching as many other pages as the cache holds.
    std::uint32_t allocate();
    std::uint32_t count() const { return count_; }
    char* page(std::uint32_t number);
    std::string_view view(std::uint32_t number) { return {page(number), kPageSize}; }
    // Whole pages made earlier, appended as they are.
    void append(std::string_view pages);
    // A copy of every page from `first` on.
    std::string copyFrom(std::uint32_t first);
    void reserve(std::size_t pages);
    // Held in memory: the whole file.
    std::string release() &&;
    // Backed by a file: writes every page still held.
    void flush();

private:
    struct Cached {
        std::uint32_t number;
        std::unique_ptr<char[]> bytes;
    };
    char* cached(std::uint32_t number, bool fresh);
    void writeOut(const Cached& page);

    std::uint32_t count_ = 0;
    std::string bytes_;  // held in memory
    int fd_ = -1;        // backed by a file
    std::string name_;
    std::size_t capacity_ = 0;
    std::list<Cached> recent_;  // most recent first
    std::unordered_map<std::uint32_t, std::list<Cached>::iterator> where_;
};

}  // namespace tabulon::jet
