#include "gbk.h"

#include <cerrno>
#include <iconv.h>

#include "error.h"

namespace tabulon::gbk {
namespace {

// One conversion descriptor per call keeps the functions thread-safe; opening one costs
// a few microseconds, far below a page's generation time.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw Error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; on an unconvertible or invalid sequence returns false and
    // sets `stoppedAt` to its offset.
    bool run(std::string_view in, std::string& out, std::size_t& stoppedAt) {
        out.clear();
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                const std::size_t used = static_cast<std::size_t>(dst - out.data());
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            stoppedAt = in.size() - srcLeft;
            return false;
        }
        out.resize(static_cast<std::size_t>(dst - out.data()));
        return true;
    }

private:
    iconv_t cd_;
};

std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

}  // namespace

Encoded encode(std::string_view utf8) {
    Encoded result;
    std::size_t stoppedAt = 0;
    Converter converter("GBK", "UTF-8");
    if (!converter.run(utf8, result.bytes, stoppedAt)) {
        const std::size_t length =
            std::min(utf8Length(static_cast<unsigned char>(utf8[stoppedAt])), utf8.size() - stoppedAt);
        result.failure = Unencodable{stoppedAt, std::string(utf8.substr(stoppedAt, length))};
        result.bytes.clear();
    }
    return result;
}

bool encodable(std::string_view utf8) { return static_cast<bool>(encode(utf8)); }

std::string decode(std::string_view gbkBytes) {
    std::string out;
    std::size_t stoppedAt = 0;
    Converter converter("UTF-8", "GBK");
    if (!converter.run(gbkBytes, out, stoppedAt))
        throw Error("GBK 文本在第 " + std::to_string(stoppedAt) + " 个字节处无效");
    return out;
}

}  // namespace tabulon::gbk
