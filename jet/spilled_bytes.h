#pragma once
// Bytes appended in order and read back by position: a table's encoded rows waiting for the
// file to be written. Held in memory; once a folder is given, everything past a few
// megabytes goes to an unnamed temporary file there (gone when closed, never seen by the
// user), so memory stays bounded however many rows the table gets.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::jet {

class SpilledBytes {
public:
    SpilledBytes() = default;
    SpilledBytes(SpilledBytes&& other) noexcept;
    SpilledBytes& operator=(SpilledBytes&& other) noexcept;
    SpilledBytes(const SpilledBytes&) = delete;
    SpilledBytes& operator=(const SpilledBytes&) = delete;
    ~SpilledBytes();

    // From now on bytes may go to a temporary file in `folder`.
    void spillTo(const std::filesystem::path& folder);
    std::uint64_t size() const { return size_; }
    // Never fails for the temporary file: where it cannot be written, bytes stay in memory.
    void append(std::string_view bytes);
    // Bytes [start, start + length) of one append() or part of it; valid until the next
    // read(). Not for two threads at once.
    std::string_view read(std::uint64_t start, std::size_t length) const;
    bool spilled() const { return fd_ >= 0; }

private:
    void spill();

    std::optional<std::filesystem::path> folder_;
    int fd_ = -1;
    std::uint64_t flushed_ = 0;  // bytes [0, flushed_) are in the file
    std::string tail_;           // bytes [flushed_, size_)
    std::uint64_t size_ = 0;
    mutable std::string window_;  // bytes read back from the file
    mutable std::uint64_t windowStart_ = 0;
};

}  // namespace tabulon::jet
