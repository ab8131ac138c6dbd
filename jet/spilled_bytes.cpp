#include "jet/spilled_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "jet/error.h"

namespace tabulon::jet {
namespace {

// Bytes held before they go to the file, and read back from it at once.
constexpr std::size_t kHeld = 4 << 20;
constexpr std::size_t kWindow = 1 << 20;

// An unnamed file in `folder`: nothing to clean up, whatever ends the process.
int unnamedFile(const std::filesystem::path& folder) {
#ifdef O_TMPFILE
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
#endif
    std::string name = (folder / ".tabulon-rows-XXXXXX").string();
    const int named = ::mkstemp(name.data());
    if (named >= 0) ::unlink(name.c_str());
    return named;
}

}  // namespace

SpilledBytes::SpilledBytes(SpilledBytes&& other) noexcept { *this = std::move(other); }

SpilledBytes& SpilledBytes::operator=(SpilledBytes&& other) noexcept {
    if (this == &other) return *this;
    if (fd_ >= 0) ::close(fd_);
    folder_ = std::move(other.folder_);
    fd_ = std::exchange(other.fd_, -1);
    flushed_ = std::exchange(other.flushed_, 0);
    tail_ = std::move(other.tail_);
    size_ = std::exchange(other.size_, 0);
    window_ = std::move(other.window_);
    windowStart_ = other.windowStart_;
    other.tail_.clear();
    other.window_.clear();
    return *this;
}

SpilledBytes::~SpilledBytes() {
    if (fd_ >= 0) ::close(fd_);
}

void SpilledBytes::spillTo(const std::filesystem::path& folder) { folder_ = folder; }

void SpilledBytes::append(std::string_view bytes) {
    tail_.append(bytes);
    size_ += bytes.size();
    if (folder_ && tail_.size() >= kHeld) spill();
}

void SpilledBytes::spill() {
    if (fd_ < 0) {
        fd_ = unnamedFile(*folder_);
        if (fd_ < 0) {
            folder_.reset();  // no room for a temporary there: memory it is
            return;
        }
    }
    std::size_t done = 0;
    while (done < tail_.size()) {
        const ssize_t put =
            ::pwrite(fd_, tail_.data() + done, tail_.size() - done, static_cast<off_t>(flushed_ + done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            folder_.reset();  // the disk is full, say: what is held stays in memory
            return;
        }
        done += static_cast<std::size_t>(put);
    }
    flushed_ += tail_.size();
    tail_.clear();
}

std::string_view SpilledBytes::read(std::uint64_t start, std::size_t length) const {
    if (start >= flushed_) return std::string_view(tail_).substr(start - flushed_, length);
    if (start < windowStart_ || start + length > windowStart_ + window_.size()) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::max(kWindow, length), flushed_ - start));
        window_.resize(wanted);
        windowStart_ = start;
        std::size_t done = 0;
        while (done < wanted) {
            const ssize_t got = ::pread(fd_, window_.data() + done, wanted - done, static_cast<off_t>(start + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) throw Error(std::string("读回临时文件失败（") + std::strerror(got < 0 ? errno : EIO) + "）");
            done += static_cast<std::size_t>(got);
        }
    }
    return std::string_view(window_).substr(start - windowStart_, length);
}

}  // namespace tabulon::jet
