#include "gbk.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>
#include <iconv.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Unicode (BMP) -> GBK code, built once from iconv's own GBK table so the fast encoder
// agrees with iconv byte for byte: 0 = no GBK form, below 0x100 one byte, else two bytes.
class EncodeTable {
public:
    EncodeTable() : codes_(0x10000, 0) {
        Converter decoder("UTF-32LE", "GBK");
        std::string out;
        std::vector<char32_t> seenTwice;
        // A few single bytes above ASCII are characters too (0x80 is the euro sign).
        for (int single = 0x80; single <= 0xFF; ++single) {
            const char byte = static_cast<char>(single);
            std::size_t stoppedAt = 0;
            if (!decoder.run(std::string_view(&byte, 1), out, stoppedAt) || out.size() != 4) continue;
            char32_t codepoint = 0;
            std::memcpy(&codepoint, out.data(), 4);
            if (codepoint < 0x10000) codes_[codepoint] = static_cast<std::uint16_t>(single);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                std::size_t stoppedAt = 0;
                if (!decoder.run(std::string_view(pair, 2), out, stoppedAt) || out.size() != 4) continue;
                char32_t codepoint = 0;
                std::memcpy(&codepoint, out.data(), 4);
                if (codepoint >= 0x10000) continue;
                if (codes_[codepoint] != 0)
                    seenTwice.push_back(codepoint);
                else
                    codes_[codepoint] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        // Where two codes decode to one character, ask iconv which one it writes.
        Converter encoder("GBK", "UTF-32LE");
        for (const char32_t codepoint : seenTwice) {
            char in[4];
            std::memcpy(in, &codepoint, 4);
            std::size_t stoppedAt = 0;
            if (encoder.run(std::string_view(in, 4), out, stoppedAt) && out.size() == 2)
                codes_[codepoint] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                               static_cast<unsigned char>(out[1]));
        }
    }
    std::uint16_t code(char32_t codepoint) const { return codepoint < 0x10000 ? codes_[codepoint] : 0; }

private:
    std::vector<std::uint16_t> codes_;
};

const EncodeTable& encodeTable() {
    static const EncodeTable table;
    return table;
}

// Decodes one UTF-8 character at `i`; returns its length, or 0 for a malformed sequence.
std::size_t nextCodepoint(std::string_view text, std::size_t i, char32_t& codepoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
        codepoint = lead;
        return 1;
    }
    if ((lead >> 5) == 0x6) {
        length = 2;
        codepoint = lead & 0x1F;
    } else if ((lead >> 4) == 0xE) {
        length = 3;
        codepoint = lead & 0x0F;
    } else if ((lead >> 3) == 0x1E) {
        length = 4;
        codepoint = lead & 0x07;
    } else
        return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codepoint = codepoint << 6 | (byte(i + k) & 0x3F);
    }
    return length;
}

std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

// Copies the ASCII bytes from `in` on to `out` and returns where they end. `out` never runs
// ahead of `in` (GBK is never longer than UTF-8), so whole blocks may be stored even when
// only their start is ASCII: the rest is overwritten afterwards.
const char* copyAscii(const char* in, const char* end, char*& out) {
#ifdef __SSE2__
    while (end - in >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(block));
        if (high != 0) {
            const auto ascii = static_cast<std::size_t>(__builtin_ctz(high));
            out += ascii;
            return in + ascii;
        }
        in += 16;
        out += 16;
    }
#endif
    while (in < end && static_cast<unsigned char>(*in) < 0x80) *out++ = *in++;
    return in;
}

}  // namespace

Encoded encode(std::string_view utf8) {
    const EncodeTable& table = encodeTable();
    Encoded result;
    // A GBK form is never longer than the UTF-8 one (ASCII 1 -> 1, others 2..3 -> 1..2).
    result.bytes.resize(utf8.size());
    char* out = result.bytes.data();
    const char* const begin = utf8.data();
    const char* const end = begin + utf8.size();
    const char* in = begin;
    while (in < end) {
        in = copyAscii(in, end, out);
        if (in == end) break;

        // Hanzi are three bytes in UTF-8 and come in runs: decode those inline, the rest
        // the general way.
        bool hanzi = false;
        while (end - in >= 3 && (static_cast<unsigned char>(in[0]) >> 4) == 0xE) {
            const auto lead = static_cast<unsigned char>(in[0]);
            const auto second = static_cast<unsigned char>(in[1]);
            const auto third = static_cast<unsigned char>(in[2]);
            if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) break;
            const char32_t codepoint = (lead & 0x0Fu) << 12 | (second & 0x3Fu) << 6 | (third & 0x3Fu);
            const std::uint16_t code = table.code(codepoint);
            if (code == 0) break;
            if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
            *out++ = static_cast<char>(code & 0xFF);
            in += 3;
            hanzi = true;
        }
        if (hanzi) continue;
        const std::size_t offset = static_cast<std::size_t>(in - begin);
        char32_t codepoint = 0;
        const std::size_t length = nextCodepoint(utf8, offset, codepoint);
        const std::uint16_t code = length ? table.code(codepoint) : 0;
        if (code == 0) {
            const std::size_t shown = std::min(utf8Length(static_cast<unsigned char>(*in)), utf8.size() - offset);
            result.failure = Unencodable{offset, std::string(utf8.substr(offset, shown))};
            result.bytes.clear();
            return result;
        }
        if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
        *out++ = static_cast<char>(code & 0xFF);
        in += length;
    }
    result.bytes.resize(static_cast<std::size_t>(out - result.bytes.data()));
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
