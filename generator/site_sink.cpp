#include "generator/site_sink.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "base/error.h"
#include "base/file_output.h"
#include "base/gbk.h"
#include "jet/database.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

// True when the file `name` in the open folder `folderFd` already holds exactly `bytes`.
bool holds(int folderFd, const std::string& name, std::string_view bytes) {
    struct stat status {};
    if (::fstatat(folderFd, name.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) != bytes.size())
        return false;
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string existing(bytes.size(), '\0');
    std::size_t got = 0;
    while (got < existing.size()) {
        const ssize_t n = ::read(fd, existing.data() + got, existing.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got == existing.size() && existing == bytes;
}

std::optional<std::string> readDisk(const fs::path& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw Error("无法打开 " + displayPath(path) + "，未做任何改动。");
    // One read of the whole file: the site database runs to megabytes.
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw Error("无法读取 " + displayPath(path) + "，未做任何改动。");
    return bytes;
}

// One spelling of a folder, however the step named it (relative, absolute, "a/./b").
fs::path sameFolder(const fs::path& folder) {
    std::error_code error;
    const fs::path absolute = fs::absolute(folder, error);
    return (error ? folder : absolute).lexically_normal();
}

}  // namespace

void SiteSink::writeText(const fs::path& path, std::string_view utf8, const UnencodableMessage& unencodable) {
    auto encoded = gbk::encode(utf8);
    if (!encoded) throw Error(unencodable(encoded.failure->character));
    store(path, encoded.bytes, FileKind::Text);
}

void SiteSink::writeBytes(const fs::path& path, std::string_view bytes) { store(path, bytes, FileKind::Binary); }

void SiteSink::writeDatabase(const fs::path& path, const jet::Database& database) {
    writeBytes(path, database.bytes());
}

std::optional<std::string> SiteSink::readBack(const fs::path& path) const { return readDisk(path); }

bool SiteSink::exists(const fs::path& path) const {
    std::error_code error;
    return fs::exists(path, error);
}

bool SiteSink::isFolder(const fs::path& folder) const {
    std::error_code error;
    return fs::is_directory(folder, error);
}

FileSink::~FileSink() {
    for (const auto& [path, folder] : folders_)
        if (folder.fd >= 0) ::close(folder.fd);
}

FileSink::Folder FileSink::folder(const fs::path& folder) {
    const std::lock_guard lock(mutex_);
    auto [it, added] = folders_.try_emplace(folder);
    if (added) {
        it->second.fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        it->second.new_ = made_.contains(sameFolder(folder));
    }
    const Folder found = it->second;
    // Not there yet: asked again once it may have been made.
    if (found.fd < 0) folders_.erase(it);
    return found;
}

void FileSink::store(const fs::path& path, std::string_view bytes, FileKind) {
    const Folder at = folder(path.parent_path());
    // Writing below its full path reports what is wrong with the folder.
    if (at.fd < 0) return writeFileAtomically(path, bytes);
    const std::string name = path.filename().string();
    // Regenerating an unchanged page leaves the file (and its time stamp) alone; comparing
    // is far cheaper than creating and renaming a new file. A folder this sink made holds
    // nothing to compare with.
    if (!at.new_ && holds(at.fd, name, bytes)) return;
    // New files too go through a temporary name: a run stopped halfway never leaves a
    // page that looks finished but is cut short.
    writeFileAtomicallyIn(at.fd, name, bytes, path);
}

void FileSink::writeDatabase(const fs::path& path, const jet::Database& database) { database.save(path); }

bool FileSink::writeBytesIfAbsent(const fs::path& path, std::string_view bytes) {
    // The whole file is written under a name of its own first, then linked to its final
    // name, which fails instead of replacing a file that is already there.
    const fs::path staging = path.string() + "." + std::to_string(::getpid()) + ".new";
    writeFileAtomically(staging, bytes);
    std::error_code error;
    fs::create_hard_link(staging, path, error);
    if (!error) {
        fs::remove(staging, error);
        return true;
    }
    bool stored = false;
    if (error != std::errc::file_exists && !fs::exists(path)) {
        // A folder without hard links: the name is checked, then taken.
        fs::rename(staging, path, error);
        if (error) throw Error("无法写入文件 " + displayPath(path) + "：" + error.message());
        stored = true;
    }
    fs::remove(staging, error);
    return stored;
}

void FileSink::makeFolders(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return;
    // The folders about to be made: the missing ones from `folder` up.
    std::vector<fs::path> missing;
    for (fs::path step = folder; !step.empty() && !fs::exists(step, error); step = step.parent_path()) {
        missing.push_back(step);
        if (step == step.parent_path()) break;
    }
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder))
        throw Error("无法创建文件夹 " + displayPath(folder) + "：" + error.message());
    const std::lock_guard lock(mutex_);
    for (const auto& made : missing) made_.insert(sameFolder(made));
}

void MemorySink::store(const fs::path& path, std::string_view bytes, FileKind) {
    std::lock_guard lock(mutex_);
    files_.push_back({path, std::string(bytes)});
}

const std::string* MemorySink::findLocked(const fs::path& path) const {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it)
        if (it->path == path) return &it->bytes;
    return nullptr;
}

const std::string* MemorySink::find(const fs::path& path) const {
    std::lock_guard lock(mutex_);
    return findLocked(path);
}

std::optional<std::string> MemorySink::readBack(const fs::path& path) const {
    std::lock_guard lock(mutex_);
    if (const auto* bytes = findLocked(path)) return *bytes;
    return std::nullopt;
}

bool MemorySink::exists(const fs::path& path) const { return find(path) != nullptr; }

bool MemorySink::writeBytesIfAbsent(const fs::path& path, std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (findLocked(path)) return false;
    files_.push_back({path, std::string(bytes)});
    return true;
}

void DryRunSink::store(const fs::path& path, std::string_view bytes, FileKind kind) {
    std::lock_guard lock(mutex_);
    auto [it, added] = files_.try_emplace(path);
    if (added) order_.push_back(path);
    it->second = kind == FileKind::Binary ? std::optional<std::string>(bytes) : std::nullopt;
}

bool DryRunSink::writeBytesIfAbsent(const fs::path& path, std::string_view bytes) {
    // The check and the store under one lock: two callers cannot both take the name.
    std::lock_guard lock(mutex_);
    if (files_.contains(path) || folders_.contains(path) || SiteSink::exists(path)) return false;
    files_.emplace(path, std::string(bytes));
    order_.push_back(path);
    return true;
}

void DryRunSink::makeFolders(const fs::path& folder) {
    std::lock_guard lock(mutex_);
    for (fs::path step = folder; !step.empty() && step != step.root_path(); step = step.parent_path())
        folders_.insert(step);
}

std::optional<std::string> DryRunSink::readBack(const fs::path& path) const {
    {
        std::lock_guard lock(mutex_);
        if (const auto it = files_.find(path); it != files_.end() && it->second) return it->second;
    }
    return readDisk(path);
}

bool DryRunSink::exists(const fs::path& path) const {
    {
        std::lock_guard lock(mutex_);
        if (files_.contains(path) || folders_.contains(path)) return true;
    }
    return SiteSink::exists(path);
}

bool DryRunSink::isFolder(const fs::path& folder) const {
    {
        std::lock_guard lock(mutex_);
        if (folders_.contains(folder)) return true;
    }
    return SiteSink::isFolder(folder);
}

std::vector<fs::path> DryRunSink::paths() const {
    std::lock_guard lock(mutex_);
    return order_;
}

}  // namespace tabulon::generator
