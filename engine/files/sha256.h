// SHA-256 (FIPS 180-4), to name a file by its contents in the execution log.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dezadiravevava {

// Incremental SHA-256: Add the bytes in any pieces, then Finish once.
class Sha256 {
public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest of everything added; the object must not be used afterwards.
    std::array<std::uint8_t, 32> Finish();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t filled_ = 0;   // bytes waiting in block_
    std::uint64_t length_ = 0; // bytes added so far
};

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

} // namespace dezadiravevava
