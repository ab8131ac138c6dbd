#include "generator/login/sha256.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

namespace tabulon::generator {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void compress(std::array<std::uint32_t, 8>& state, const unsigned char* block) {
    std::array<std::uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = rotate(w[i - 15], 7) ^ rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = rotate(w[i - 2], 17) ^ rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 =
            h + (rotate(e, 6) ^ rotate(e, 11) ^ rotate(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        const std::uint32_t t2 = (rotate(a, 2) ^ rotate(a, 13) ^ rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> add = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) state[i] += add[i];
}

}  // namespace

std::array<unsigned char, 32> sha256(std::string_view data) {
    std::array<std::uint32_t, 8> state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string message(data);
    const std::uint64_t bits = std::uint64_t(data.size()) * 8;
    message.push_back(char(0x80));
    while (message.size() % 64 != 56) message.push_back('\0');
    for (int shift = 56; shift >= 0; shift -= 8) message.push_back(char((bits >> shift) & 0xff));
    for (std::size_t at = 0; at < message.size(); at += 64)
        compress(state, reinterpret_cast<const unsigned char*>(message.data() + at));
    std::array<unsigned char, 32> digest{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<unsigned char>(state[i] >> (24 - 8 * j));
    return digest;
}

std::string sha256Hex(std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : sha256(data)) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 15]);
    }
    return hex;
}

std::array<unsigned char, 32> hmacSha256(std::string_view key, std::string_view message) {
    std::string block(64, '\0');
    if (key.size() > 64) {
        const auto digest = sha256(key);
        std::copy(digest.begin(), digest.end(), block.begin());
    } else {
        std::copy(key.begin(), key.end(), block.begin());
    }
    std::string inner(block), outer(block);
    for (auto& c : inner) c = static_cast<char>(c ^ 0x36);
    for (auto& c : outer) c = static_cast<char>(c ^ 0x5c);
    const auto innerDigest = sha256(inner + std::string(message));
    return sha256(outer + std::string(reinterpret_cast<const char*>(innerDigest.data()), innerDigest.size()));
}

std::string pbkdf2Sha256(std::string_view password, std::string_view salt, int rounds, std::size_t length) {
    std::string out;
    for (std::uint32_t blockNumber = 1; out.size() < length; ++blockNumber) {
        std::string first(salt);
        for (int shift = 24; shift >= 0; shift -= 8) first.push_back(char((blockNumber >> shift) & 0xff));
        auto u = hmacSha256(password, first);
        auto total = u;
        for (int round = 2; round <= rounds; ++round) {
            u = hmacSha256(password, std::string_view(reinterpret_cast<const char*>(u.data()), u.size()));
            for (std::size_t i = 0; i < total.size(); ++i) total[i] ^= u[i];
        }
        out.append(reinterpret_cast<const char*>(total.data()), total.size());
    }
    out.resize(length);
    return out;
}

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64NoPadding(std::string_view bytes) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        std::uint32_t v = std::uint32_t(static_cast<unsigned char>(bytes[at])) << 16;
        if (at + 1 < bytes.size()) v |= std::uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 8;
        if (at + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[at + 2]);
        const std::size_t chars = std::min<std::size_t>(4, (bytes.size() - at) * 4 / 3 + 1);
        for (std::size_t i = 0; i < chars; ++i) text.push_back(kBase64[(v >> (18 - 6 * i)) & 63]);
    }
    return text;
}

}  // namespace

std::string passwordHash(std::string_view salt, std::string_view utf8Password, int rounds) {
    return "$p" + std::to_string(rounds) + "$" + std::string(salt) +
           base64NoPadding(pbkdf2Sha256(utf8Password, salt, rounds, 16));
}

std::string randomSalt() {
    // std::random_device reads the system's generator (getrandom / /dev/urandom).
    std::random_device device;
    std::uniform_int_distribution<int> digit(0, 63);
    std::string salt;
    for (std::size_t i = 0; i < kSaltLength; ++i) salt.push_back(kBase64[digit(device)]);
    return salt;
}

}  // namespace tabulon::generator
