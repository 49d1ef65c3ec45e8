// SHA-256 after FIPS 180-4, sections 4.1.2 (functions), 4.2.2 (constants),
// 5.1.1 (padding), 5.3.3 (initial hash value) and 6.2.2 (computation).
#include "files/sha256.h"

#include <bit>

namespace dezadiravevava {

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64
// primes.
constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The first 32 bits of the fractional parts of the square roots of the first
// 8 primes.
constexpr std::array<std::uint32_t, 8> kInitialHash = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

} // namespace

Sha256::Sha256() : state_(kInitialHash) {}

void Sha256::Compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> w;
    for (std::size_t t = 0; t < 16; ++t) {
        w[t] = std::uint32_t{block[4 * t]} << 24 | std::uint32_t{block[4 * t + 1]} << 16 |
               std::uint32_t{block[4 * t + 2]} << 8 | std::uint32_t{block[4 * t + 3]};
    }
    for (std::size_t t = 16; t < 64; ++t) {
        const std::uint32_t s0 =
            std::rotr(w[t - 15], 7) ^ std::rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
        const std::uint32_t s1 =
            std::rotr(w[t - 2], 17) ^ std::rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (std::size_t t = 0; t < 64; ++t) {
        const std::uint32_t sigma1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t ch = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + sigma1 + ch + kRoundConstants[t] + w[t];
        const std::uint32_t sigma0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = sigma0 + maj;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a, state_[1] += b, state_[2] += c, state_[3] += d;
    state_[4] += e, state_[5] += f, state_[6] += g, state_[7] += h;
}

void Sha256::Add(std::string_view bytes) {
    length_ += bytes.size();
    for (const char byte : bytes) {
        block_[filled_++] = static_cast<std::uint8_t>(byte);
        if (filled_ == block_.size()) {
            Compress(block_.data());
            filled_ = 0;
        }
    }
}

std::array<std::uint8_t, 32> Sha256::Finish() {
    // Padding: a 1 bit, zeros up to 56 bytes into a block, then the message
    // length in bits as a big-endian 64-bit number.
    const std::uint64_t bits = length_ * 8;
    block_[filled_++] = 0x80;
    if (filled_ > 56) {
        while (filled_ < 64) {
            block_[filled_++] = 0;
        }
        Compress(block_.data());
        filled_ = 0;
    }
    while (filled_ < 56) {
        block_[filled_++] = 0;
    }
    for (int i = 7; i >= 0; --i) {
        block_[filled_++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    Compress(block_.data());
    std::array<std::uint8_t, 32> digest;
    for (std::size_t i = 0; i < 8; ++i) {
        for (std::size_t j = 0; j < 4; ++j) {
            digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
        }
    }
    return digest;
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Add(bytes);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : hash.Finish()) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

} // namespace dezadiravevava
