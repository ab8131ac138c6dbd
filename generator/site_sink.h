#pragma once
// Where finished files go. Steps never touch the disk: they hand whole files to a sink,
// which turns text into the site's code page (GBK) and stores the bytes: on disk, in
// memory, or only as names for a dry run. Every store may be called from several threads
// at once, each for a different path.
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::jet {
class Database;
}

namespace tabulon::generator {

enum class FileKind { Text, Binary };

// Says where a character GBK cannot hold came from, as the complete message text:
// character "😀" -> "项目 记账 / 表 流水帐 / 字段 收支：字段名称 中的字符“😀”无法用 GBK 编码，…".
using UnencodableMessage = std::function<std::string(std::string_view character)>;

class SiteSink {
public:
    virtual ~SiteSink() = default;

    // Encodes the UTF-8 text to GBK and stores it. When a character has no GBK form
    // nothing is stored and tabulon::Error is thrown with `unencodable(character)`.
    void writeText(const std::filesystem::path& path, std::string_view utf8, const UnencodableMessage& unencodable);
    // Stores bytes as they are (images, the database file).
    void writeBytes(const std::filesystem::path& path, std::string_view bytes);
    // Stores a database file; throws tabulon::Error naming the path when it cannot.
    virtual void writeDatabase(const std::filesystem::path& path, const jet::Database& database);

    // Stores bytes under a name no file holds yet: false, and nothing stored, when one does
    // (another run may take the name at the same moment; the check and the store are one).
    virtual bool writeBytesIfAbsent(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Makes sure a folder and its missing parents exist; throws tabulon::Error naming it.
    virtual void makeFolders(const std::filesystem::path& folder) = 0;
    // The content of a file as this run left it: stored by this sink, else on disk; nothing
    // when there is no such file. A file that is there but cannot be read throws
    // tabulon::Error, so that it is never taken for a missing one.
    virtual std::optional<std::string> readBack(const std::filesystem::path& path) const;
    // True when the file exists, counting files this sink has stored.
    virtual bool exists(const std::filesystem::path& path) const;
    // True when a folder exists, counting folders this sink has made.
    virtual bool isFolder(const std::filesystem::path& folder) const;
    // True when files go to disk: work may then wait in unnamed temporary files there.
    virtual bool onDisk() const { return false; }

protected:
    // Stores the whole file; throws tabulon::Error naming the path when it cannot.
    virtual void store(const std::filesystem::path& path, std::string_view bytes, FileKind kind) = 0;
};

// Writes each file atomically (a crash never leaves half a page); a file that already
// holds exactly the new bytes is left untouched.
class FileSink final : public SiteSink {
public:
    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool writeBytesIfAbsent(const std::filesystem::path& path, std::string_view bytes) override;
    // Straight from the writer's pages to the file, never the whole file in memory.
    void writeDatabase(const std::filesystem::path& path, const jet::Database& database) override;
    bool onDisk() const override { return true; }
    void makeFolders(const std::filesystem::path& folder) override;

protected:
    void store(const std::filesystem::path& path, std::string_view bytes, FileKind kind) override;

private:
    struct Folder {
        int fd = -1;        // open for the *at calls; -1 when it could not be opened
        bool new_ = false;  // made by this sink: no file in it is older than this sink
    };
    // The folder of a file, opened once: each file is then created, renamed and compared
    // relative to it instead of by its whole path.
    Folder folder(const std::filesystem::path& folder);

    std::mutex mutex_;
    std::map<std::filesystem::path, Folder> folders_;
    std::set<std::filesystem::path> made_;
};

// Keeps the files in memory, in the order they arrive (pages generated in parallel arrive
// in any order): tests and benchmarks.
class MemorySink final : public SiteSink {
public:
    struct File {
        std::filesystem::path path;
        std::string bytes;
    };
    bool writeBytesIfAbsent(const std::filesystem::path& path, std::string_view bytes) override;
    void makeFolders(const std::filesystem::path&) override {}
    std::optional<std::string> readBack(const std::filesystem::path& path) const override;
    bool exists(const std::filesystem::path& path) const override;
    bool isFolder(const std::filesystem::path&) const override { return true; }
    const std::vector<File>& files() const { return files_; }
    // The bytes stored last at `path`, or nothing; once no step runs any more.
    const std::string* find(const std::filesystem::path& path) const;

protected:
    void store(const std::filesystem::path& path, std::string_view bytes, FileKind kind) override;

private:
    const std::string* findLocked(const std::filesystem::path& path) const;
    mutable std::mutex mutex_;
    std::vector<File> files_;
};

// The dry run: touches nothing, remembers which files and folders would be written. The
// bytes of binary files are kept, since a later step reads the database back.
class DryRunSink final : public SiteSink {
public:
    bool writeBytesIfAbsent(const std::filesystem::path& path, std::string_view bytes) override;
    void makeFolders(const std::filesystem::path& folder) override;
    std::optional<std::string> readBack(const std::filesystem::path& path) const override;
    bool exists(const std::filesystem::path& path) const override;
    bool isFolder(const std::filesystem::path& folder) const override;
    // Every path stored, once each, in the order first stored.
    std::vector<std::filesystem::path> paths() const;

protected:
    void store(const std::filesystem::path& path, std::string_view bytes, FileKind kind) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::filesystem::path> order_;
    std::map<std::filesystem::path, std::optional<std::string>> files_;
    std::set<std::filesystem::path> folders_;
};

}  // namespace tabulon::generator
