#include "stored_state.h"

#include <cstring>

namespace tabulon::preview::host {
namespace {

constexpr std::string_view kMagic = "TABULON-HOST-STATE 1\n";

class Writer {
public:
    void u8(std::uint8_t v) { out_ += static_cast<char>(v); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_ += static_cast<char>(v >> (8 * i) & 0xFF);
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) out_ += static_cast<char>(v >> (8 * i) & 0xFF);
    }
    void bytes(std::string_view v) {
        u32(static_cast<std::uint32_t>(v.size()));
        out_ += v;
    }
    void text(std::u16string_view v) {
        u32(static_cast<std::uint32_t>(v.size()));
        for (const char16_t c : v) {
            out_ += static_cast<char>(c & 0xFF);
            out_ += static_cast<char>(c >> 8);
        }
    }
    void value(const StoredValue& v) {
        u32(v.type);
        u8(static_cast<std::uint8_t>(v.payload));
        switch (v.payload) {
        case StoredValue::Payload::None: break;
        case StoredValue::Payload::Integer: u64(static_cast<std::uint64_t>(v.integer)); break;
        case StoredValue::Payload::Number: {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &v.number, sizeof bits);
            u64(bits);
            break;
        }
        case StoredValue::Payload::Text: text(v.text); break;
        case StoredValue::Payload::Bytes: bytes(v.bytes); break;
        case StoredValue::Payload::Array:
            u32(static_cast<std::uint32_t>(v.bounds.size()));
            for (const auto& [lower, count] : v.bounds) {
                u32(static_cast<std::uint32_t>(lower));
                u32(count);
            }
            u32(static_cast<std::uint32_t>(v.items.size()));
            for (const auto& item : v.items) value(item);
            break;
        }
    }
    void values(const StoredValues& list) {
        u32(static_cast<std::uint32_t>(list.size()));
        for (const auto& [name, v] : list) {
            text(name);
            value(v);
        }
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Reads with bounds checks everywhere: a short or damaged file sets `failed` and reads zeros.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool failed() const { return failed_; }
    bool atEnd() const { return at_ == in_.size(); }

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)[0]); }
    std::uint32_t u32() {
        const auto b = take(4);
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[i]);
        return v;
    }
    std::uint64_t u64() {
        const auto b = take(8);
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[i]);
        return v;
    }
    std::string bytes() {
        const auto size = u32();
        return std::string(take(size));
    }
    std::u16string text() {
        const auto size = u32();
        if (size > remaining() / 2) return fail(), std::u16string();
        const auto raw = take(std::size_t{size} * 2);
        std::u16string out(size, u'\0');
        for (std::size_t i = 0; i < size; ++i)
            out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                           static_cast<unsigned char>(raw[2 * i + 1]) << 8);
        return out;
    }
    StoredValue value(int depth) {
        StoredValue v;
        const auto type = u32();
        if (type > 0xFFFF) return fail(), v;
        v.type = static_cast<std::uint16_t>(type);
        const auto payload = u8();
        if (payload > static_cast<std::uint8_t>(StoredValue::Payload::Array)) return fail(), v;
        v.payload = static_cast<StoredValue::Payload>(payload);
        switch (v.payload) {
        case StoredValue::Payload::None: break;
        case StoredValue::Payload::Integer: v.integer = static_cast<std::int64_t>(u64()); break;
        case StoredValue::Payload::Number: {
            const auto bits = u64();
            std::memcpy(&v.number, &bits, sizeof bits);
            break;
        }
        case StoredValue::Payload::Text: v.text = text(); break;
        case StoredValue::Payload::Bytes: v.bytes = bytes(); break;
        case StoredValue::Payload::Array: {
            if (depth >= kDeepestStoredArray) return fail(), v;
            const auto dimensions = u32();
            if (dimensions == 0 || dimensions > 60 || dimensions > remaining() / 8) return fail(), v;
            std::uint64_t total = 1;
            for (std::uint32_t d = 0; d < dimensions && !failed_; ++d) {
                const auto lower = static_cast<std::int32_t>(u32());
                const auto count = u32();
                v.bounds.emplace_back(lower, count);
                total *= count;
                if (total > remaining()) return fail(), v;  // each item takes at least 5 bytes
            }
            const auto count = u32();
            if (count != total || count > remaining() / 5) return fail(), v;
            v.items.reserve(count);
            for (std::uint32_t i = 0; i < count && !failed_; ++i) v.items.push_back(value(depth + 1));
            break;
        }
        }
        return v;
    }
    StoredValues values() {
        StoredValues out;
        const auto count = u32();
        if (count > remaining() / 9) return fail(), out;
        for (std::uint32_t i = 0; i < count && !failed_; ++i) {
            auto name = text();
            auto v = value(0);
            out.emplace_back(std::move(name), std::move(v));
        }
        return out;
    }
    std::size_t remaining() const { return in_.size() - at_; }

private:
    void fail() { failed_ = true; }
    std::string_view take(std::size_t size) {
        static constexpr char kZeros[8] = {};
        if (failed_ || size > remaining()) {
            failed_ = true;
            return std::string_view(kZeros, size <= sizeof kZeros ? size : 0);
        }
        const auto out = in_.substr(at_, size);
        at_ += size;
        return out;
    }

    std::string_view in_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace

std::string encodeState(const StoredState& state) {
    Writer w;
    w.bytes(state.cookieName);
    w.values(state.application);
    w.u32(static_cast<std::uint32_t>(state.sessions.size()));
    for (const auto& s : state.sessions) {
        w.bytes(s.cookieValue);
        w.u32(static_cast<std::uint32_t>(s.id));
        w.u32(static_cast<std::uint32_t>(s.timeoutMinutes));
        w.u64(static_cast<std::uint64_t>(s.lastUse));
        w.values(s.values);
    }
    return std::string(kMagic) + w.take();
}

std::optional<StoredState> decodeState(std::string_view bytes) {
    if (!bytes.starts_with(kMagic)) return std::nullopt;
    Reader r(bytes.substr(kMagic.size()));
    StoredState state;
    state.cookieName = r.bytes();
    state.application = r.values();
    const auto sessions = r.u32();
    if (sessions > r.remaining() / 20) return std::nullopt;
    for (std::uint32_t i = 0; i < sessions && !r.failed(); ++i) {
        StoredSession s;
        s.cookieValue = r.bytes();
        s.id = static_cast<std::int32_t>(r.u32());
        s.timeoutMinutes = static_cast<std::int32_t>(r.u32());
        s.lastUse = static_cast<std::int64_t>(r.u64());
        s.values = r.values();
        state.sessions.push_back(std::move(s));
    }
    if (r.failed() || !r.atEnd()) return std::nullopt;
    return state;
}

}  // namespace tabulon::preview::host
