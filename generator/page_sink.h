#pragma once
// Where finished files go. Generators never touch the disk: they hand whole files to a
// sink, which writes them (or, for a dry run, only records them).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::generator {

class PageSink {
public:
    virtual ~PageSink() = default;
    // Stores the whole file; throws tabulon::Error naming the path when it cannot.
    virtual void write(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Makes sure a folder exists (and its parents below the run folder).
    virtual void ensureFolder(const std::filesystem::path& folder) = 0;
};

// Writes each file atomically (a crash never leaves half a page); a file that already
// holds exactly the new bytes is left untouched.
class FileSink final : public PageSink {
public:
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void ensureFolder(const std::filesystem::path& folder) override;
};

// Keeps the files in memory: the dry run, tests and benchmarks.
class MemorySink final : public PageSink {
public:
    struct File {
        std::filesystem::path path;
        std::string bytes;
    };
    void write(const std::filesystem::path& path, std::string_view bytes) override;
    void ensureFolder(const std::filesystem::path&) override {}
    const std::vector<File>& files() const { return files_; }

private:
    std::vector<File> files_;
};

}  // namespace tabulon::generator
