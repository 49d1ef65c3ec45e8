// Numbers stored in binary grid files, in either byte order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace dezadiravevava::binary {

enum class Order { kLittle, kBig };

inline std::uint32_t Uint32(const unsigned char* p, Order order) {
    if (order == Order::kLittle) {
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
               std::uint32_t{p[3]} << 24;
    }
    return std::uint32_t{p[3]} | std::uint32_t{p[2]} << 8 | std::uint32_t{p[1]} << 16 |
           std::uint32_t{p[0]} << 24;
}

inline std::uint64_t Uint64(const unsigned char* p, Order order) {
    const std::uint64_t first = Uint32(p, order);
    const std::uint64_t second = Uint32(p + 4, order);
    return order == Order::kLittle ? (second << 32 | first) : (first << 32 | second);
}

inline std::int32_t Int32(const unsigned char* p, Order order) {
    return std::bit_cast<std::int32_t>(Uint32(p, order));
}

inline float Float32(const unsigned char* p, Order order) {
    return std::bit_cast<float>(Uint32(p, order));
}

inline double Float64(const unsigned char* p, Order order) {
    return std::bit_cast<double>(Uint64(p, order));
}

} // namespace dezadiravevava::binary
