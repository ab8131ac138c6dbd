#pragma once
// A file written whole or not at all: the bytes go to a temporary file next to the target,
// renamed over it by commit(). Dropped without commit(), the temporary is removed and the
// target stays as it was.
#include <filesystem>
#include <string>

namespace tabulon {

class AtomicFile {
public:
    // Throws tabulon::Error naming `path` when the temporary cannot be created.
    explicit AtomicFile(const std::filesystem::path& path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Open for reading and writing until commit().
    int descriptor() const { return fd_; }
    // Closes the temporary and renames it over the target; throws tabulon::Error naming the
    // target (and removes the temporary) on failure.
    void commit();
    // Throws the message of a failed write of the temporary, with the errno given.
    [[noreturn]] void failWrite(int error) const;

private:
    std::filesystem::path path_;
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace tabulon
