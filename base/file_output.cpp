#include "file_output.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

#include "error.h"

namespace tabulon {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

[[noreturn]] void fail(const std::filesystem::path& path, const char* what, int error) {
    throw Error("无法写入文件 " + displayPath(path) + "：" + what + "（" + std::strerror(error) + "）");
}

}  // namespace

std::string displayPath(const std::filesystem::path& path) { return path.string(); }

namespace {

// Writes all of `bytes` to `fd`; returns 0 or the errno of the failure.
int writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

}  // namespace

void writeFileAtomicallyIn(int folderFd, const std::string& name, std::string_view bytes,
                           const std::filesystem::path& path) {
    // A per-process name: a temporary left by a crashed run is simply overwritten.
    static const std::string suffix = "." + std::to_string(::getpid()) + ".tmp";
    const std::string temporary = name + suffix;
    FileDescriptor fd(::openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) fail(path, "不能创建临时文件", errno);

    auto removeTemporary = [&] { ::unlinkat(folderFd, temporary.c_str(), 0); };
    if (const int error = writeAll(fd.get(), bytes)) {
        removeTemporary();
        fail(path, "写入失败", error);
    }
    // No fsync: the rename already guarantees that a crashed run leaves either the old or
    // the new page, and syncing every page would make a large site several times slower.
    if (::close(fd.release()) != 0) {
        const int error = errno;
        removeTemporary();
        fail(path, "写入失败", error);
    }
    if (::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) {
        const int error = errno;
        removeTemporary();
        fail(path, "不能替换原文件", error);
    }
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    writeFileAtomicallyIn(AT_FDCWD, path.string(), bytes, path);
}

}  // namespace tabulon
