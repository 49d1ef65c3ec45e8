// The point value passed between every routine of the engine.
#pragma once

namespace dezadiravevava {

// Third value meaning "no third coordinate".
inline constexpr double kNoThird = -1e90;

// Three coordinates in one kind: geodetic (longitude, latitude, height),
// geocentric (X, Y, Z) or UTM (easting, northing, height). Longitude first.
struct CoordTriple {
    double c1 = 0.0;
    double c2 = 0.0;
    double c3 = 0.0;
    bool has_c3 = false;

    CoordTriple() = default;
    CoordTriple(double v1, double v2, double v3) { Set(v1, v2, v3); }

    // A third value equal to kNoThird stores 0 and clears has_c3.
    void Set(double v1, double v2, double v3) {
        c1 = v1;
        c2 = v2;
        if (v3 == kNoThird) {
            c3 = 0.0;
            has_c3 = false;
        } else {
            c3 = v3;
            has_c3 = true;
        }
    }

    void Clear() { *this = CoordTriple(); }
};

} // namespace dezadiravevava
