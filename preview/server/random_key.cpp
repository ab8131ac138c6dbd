#include "preview/server/random_key.h"

#include <sys/random.h>

#include <cerrno>
#include <vector>

#include "base/error.h"

namespace tabulon::preview {

std::string randomHexKey(std::size_t bytes) {
    std::vector<unsigned char> raw(bytes);
    std::size_t filled = 0;
    while (filled < raw.size()) {
        const ssize_t got = getrandom(raw.data() + filled, raw.size() - filled, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw Error("系统的随机数发生器不可用，无法启动预览主机。");
        filled += static_cast<std::size_t>(got);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes * 2);
    for (const unsigned char b : raw) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

}  // namespace tabulon::preview
