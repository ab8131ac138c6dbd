#include "file_output.h"

#include <cerrno>
#include <string>
#include <unistd.h>

#include "base/atomic_file.h"

namespace tabulon {

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

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    AtomicFile file(path);
    if (const int error = writeAll(file.descriptor(), bytes)) file.failWrite(error);
    file.commit();
}

}  // namespace tabulon
