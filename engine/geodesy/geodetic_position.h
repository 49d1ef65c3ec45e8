// Geodetic coordinates as the per-point conversions hand them on.
#pragma once

#include <cmath>

namespace dezadiravevava {

// A latitude with its sine and cosine. The closed-form geocentric inverse
// yields the sine and cosine without trigonometry and the projection needs
// nothing else, so no step recomputes what the previous one knew.
struct Latitude {
    double radians = 0.0;
    double sin = 0.0;
    double cos = 1.0;

    // One sine and cosine of the same angle (the compiler pairs them into a
    // single sincos call).
    static Latitude Of(double phi) { return Latitude{phi, std::sin(phi), std::cos(phi)}; }
};

// Longitude in radians, latitude, ellipsoidal height in metres.
struct GeodeticPosition {
    double lambda = 0.0;
    Latitude phi;
    double h = 0.0;
};

} // namespace dezadiravevava
