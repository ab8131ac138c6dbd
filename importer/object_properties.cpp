#include "importer/object_properties.h"

#include <vector>

#include "importer/table_shape.h"
#include "jet/byte_io.h"
#include "jet/text_codec.h"

namespace tabulon::importer {
namespace {

constexpr std::uint16_t kNamePool = 0x80;
constexpr std::uint8_t kTextType = 0x0A, kMemoType = 0x0C;

class Blob {
public:
    Blob(std::string_view bytes, const FileFormat& format) : bytes_(bytes), format_(format) {}
    bool has(std::size_t at, std::size_t n) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
    std::uint16_t u16(std::size_t at) const { return jet::getU16(bytes_, at); }
    std::uint32_t u32(std::size_t at) const { return jet::getU32(bytes_, at); }
    std::string text(std::size_t at, std::size_t n) const {
        const std::string_view raw = bytes_.substr(at, n);
        if (format_.jet3()) return codePageText(raw, format_.codePage);
        return jet::utf16ToUtf8(jet::decodeJetText(raw));
    }

private:
    std::string_view bytes_;
    const FileFormat& format_;
};

}  // namespace

ObjectProperties readTextProperties(std::string_view bytes, const FileFormat& format) {
    ObjectProperties out;
    const Blob blob(bytes, format);
    if (!blob.has(0, 4) ||
        (bytes.substr(0, 4) != std::string_view("KKD\0", 4) && bytes.substr(0, 4) != std::string_view("MR2\0", 4)))
        return out;
    std::vector<std::string> names;
    try {
        for (std::size_t at = 4; blob.has(at, 6);) {
            const std::size_t length = blob.u32(at);
            const std::uint16_t kind = blob.u16(at + 4);
            if (length < 6 || !blob.has(at, length)) break;
            const std::size_t end = at + length;
            std::size_t pos = at + 6;
            if (kind == kNamePool) {
                while (blob.has(pos, 2) && pos + 2 <= end) {
                    const std::size_t n = blob.u16(pos);
                    if (!blob.has(pos + 2, n) || pos + 2 + n > end) break;
                    names.push_back(blob.text(pos + 2, n));
                    pos += 2 + n;
                }
            } else if (blob.has(pos, 6)) {
                // The block names its object (empty or the table's name for the table itself).
                const std::size_t nameBlock = blob.u32(pos);
                const std::size_t n = blob.u16(pos + 4);
                const std::string object = blob.has(pos + 6, n) && pos + 6 + n <= end ? blob.text(pos + 6, n) : "";
                pos += nameBlock < 6 ? 6 + n : nameBlock;
                while (blob.has(pos, 8) && pos + 8 <= end) {
                    const std::size_t entry = blob.u16(pos);
                    const std::uint8_t type = static_cast<std::uint8_t>(bytes[pos + 3]);
                    const std::size_t nameIndex = blob.u16(pos + 4);
                    const std::size_t size = blob.u16(pos + 6);
                    if (entry < 8 || pos + entry > end || !blob.has(pos + 8, size)) break;
                    if (nameIndex < names.size() && (type == kTextType || type == kMemoType)) {
                        const std::string value = blob.text(pos + 8, size);
                        (kind == 0 ? out.table : out.columns[object])[names[nameIndex]] = value;
                    }
                    pos += entry;
                }
            }
            at = end;
        }
    } catch (const std::exception&) {
        // Damaged text inside the blob: keep what was read.
    }
    return out;
}

}  // namespace tabulon::importer
