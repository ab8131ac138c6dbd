#include "jet/page_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "jet/error.h"

namespace tabulon::jet {
namespace {

std::string ioProblem(const std::string& name, const char* what, int error) {
    return "无法写入文件 " + name + "：" + what + "失败（" + std::strerror(error) + "）";
}

off_t offsetOf(std::uint32_t number) { return static_cast<off_t>(number) * static_cast<off_t>(kPageSize); }

}  // namespace

PageStore::PageStore(int fd, std::size_t cachedPages, std::string name)
    : fd_(fd), name_(std::move(name)), capacity_(std::max<std::size_t>(cachedPages, 8)) {}

std::uint32_t PageStore::allocate() {
    if (fd_ < 0) {
        bytes_.append(kPageSize, '\0');
    } else {
        cached(count_, true);
    }
    return count_++;
}

char* PageStore::page(std::uint32_t number) {
    if (fd_ < 0) return bytes_.data() + static_cast<std::size_t>(number) * kPageSize;
    return cached(number, false);
}

char* PageStore::cached(std::uint32_t number, bool fresh) {
    if (!recent_.empty() && recent_.front().number == number) return recent_.front().bytes.get();
    if (const auto found = where_.find(number); found != where_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second);
        return recent_.front().bytes.get();
    }
    std::unique_ptr<char[]> bytes;
    if (recent_.size() >= capacity_) {
        writeOut(recent_.back());
        where_.erase(recent_.back().number);
        bytes = std::move(recent_.back().bytes);
        recent_.pop_back();
    } else {
        bytes = std::make_unique<char[]>(kPageSize);
    }
    std::fill_n(bytes.get(), kPageSize, '\0');
    if (!fresh) {
        // A page written out earlier: every page below count_ was, unless still held.
        std::size_t done = 0;
        while (done < kPageSize) {
            const ssize_t got = ::pread(fd_, bytes.get() + done, kPageSize - done, offsetOf(number) + done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw Error(ioProblem(name_, "读回", errno));
            if (got == 0) break;  // never written out: still zero
            done += static_cast<std::size_t>(got);
        }
    }
    recent_.push_front({number, std::move(bytes)});
    where_[number] = recent_.begin();
    return recent_.front().bytes.get();
}

void PageStore::writeOut(const Cached& page) {
    std::size_t done = 0;
    while (done < kPageSize) {
        const ssize_t put = ::pwrite(fd_, page.bytes.get() + done, kPageSize - done, offsetOf(page.number) + done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw Error(ioProblem(name_, "写入", errno));
        done += static_cast<std::size_t>(put);
    }
}

void PageStore::append(std::string_view pages) {
    for (std::size_t at = 0; at + kPageSize <= pages.size(); at += kPageSize) {
        const std::uint32_t number = allocate();
        std::copy_n(pages.data() + at, kPageSize, page(number));
    }
}

std::string PageStore::copyFrom(std::uint32_t first) {
    if (fd_ < 0) return bytes_.substr(static_cast<std::size_t>(first) * kPageSize);
    std::string copy;
    copy.reserve(static_cast<std::size_t>(count_ - first) * kPageSize);
    for (std::uint32_t number = first; number < count_; ++number) copy.append(view(number));
    return copy;
}

void PageStore::reserve(std::size_t pages) {
    if (fd_ < 0) bytes_.reserve(pages * kPageSize);
}

std::string PageStore::release() && { return std::move(bytes_); }

void PageStore::flush() {
    if (fd_ < 0) return;
    for (const Cached& page : recent_) writeOut(page);
}

}  // namespace tabulon::jet
