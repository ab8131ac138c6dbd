#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon {
namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const char* what, int error) {
    throw Error("无法写入文件 " + displayPath(path) + "：" + what + "（" + std::strerror(error) + "）");
}

}  // namespace

// A per-process name: a temporary left by a crashed run is simply overwritten.
AtomicFile::AtomicFile(const std::filesystem::path& path)
    : path_(path), temporary_(path.string() + "." + std::to_string(::getpid()) + ".tmp") {
    fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) fail(path_, "不能创建临时文件", errno);
}

AtomicFile::~AtomicFile() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temporary_.c_str());
}

void AtomicFile::failWrite(int error) const { fail(path_, "写入失败", error); }

void AtomicFile::commit() {
    // No fsync: the rename already guarantees that a crashed run leaves either the old or
    // the new file, and syncing every file would make a large site several times slower.
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        fail(path_, "写入失败", error);
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        fail(path_, "不能替换原文件", error);
    }
}

}  // namespace tabulon
