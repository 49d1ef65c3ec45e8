// An entity's tags compiled: each value read as the type its group code
// gives it, and the coordinates of a point (x under code c, y under c + 10,
// z under c + 20) gathered into one point tag, as DXF libraries such as
// ezdxf compile them. A compiled tag names the raw tags (dxf_tags.h) it was
// made of, so a writer still replaces only the coordinate values and copies
// every other byte as it stands.
//
// The y and z of a point are the first of their codes after its x and before
// the next x of the same code: old programs wrote the tags of two points
// interleaved (10, 11, 20, 21), and this reads them as they meant.
#pragma once

#include "files/dxf_tags.h"

#include <array>
#include <cstddef>
#include <limits>
#include <span>
#include <vector>

namespace dezadiravevava {

// The type of a group code's value, by the ranges of the DXF reference.
enum class DxfValueType { kString, kDouble, kInteger, kPoint };

// kPoint for the x codes of points (10–18, 110–112, 210, 1010–1013); kDouble
// for their y and z codes and other reals; kInteger for flags, counts and
// colours; kString for names, texts, handles and binary chunks.
DxfValueType ValueTypeOf(int code);

// The code of a point's y (part 1) or z (part 2), from the code of its x.
constexpr int PointPartCode(int x_code, int part) {
    return x_code + 10 * part;
}

struct CompiledTag {
    static constexpr std::size_t kNoTag = std::numeric_limits<std::size_t>::max();

    int code = 0;
    DxfValueType type = DxfValueType::kString;
    // The raw tags: the tag itself, or a point's x, y and z (kNoTag when the
    // entity has none).
    std::array<std::size_t, 3> raw{kNoTag, kNoTag, kNoTag};
    // The value read: a real, or a point's coordinates (z 0 when absent), or
    // an integer. False from valid() when a part of it is not a number of its
    // type (then the value is 0); strings are always valid.
    std::array<double, 3> number{};
    long long integer = 0;
    bool valid = true;

    bool has_y() const { return raw[1] != kNoTag; }
    bool has_z() const { return raw[2] != kNoTag; }
};

// Compiles the tags of one entity (after its code 0), in the order of their
// first raw tag.
std::vector<CompiledTag> CompileTags(std::span<const DxfTag> tags);

} // namespace dezadiravevava
