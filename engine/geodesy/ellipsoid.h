// Reference ellipsoids indexed by the datum codes of the automation interface.
#pragma once

#include <array>

namespace dezadiravevava {

// One row of the ellipsoid table. Only a and f enter any computation; the three
// physical constants are carried for completeness (row 19 alone sets them).
struct Ellipsoid {
    double a = 0.0;     // semi-major axis [m]
    double f = 0.0;     // flattening
    double omega = 0.0; // angular velocity [rad/s]
    double gm = 0.0;    // geocentric gravitational constant
    double c20 = 0.0;   // second-degree zonal coefficient

    // First eccentricity squared, e^2 = f (2 - f).
    double e2() const { return f * (2.0 - f); }
    // Semi-minor axis b = a (1 - f).
    double b() const { return a * (1.0 - f); }
};

// Datum codes: rows of the ellipsoid table that the system uses.
inline constexpr int kDatumEd50 = 14;   // International 1924
inline constexpr int kDatumEtrs89 = 19; // computed with the WGS 84 constants
inline constexpr int kEllipsoidGrs80 = 11;
inline constexpr int kEllipsoidCount = 20;

// The fixed table of 20 ellipsoids, built once.
const std::array<Ellipsoid, kEllipsoidCount>& EllipsoidTable();

// Row `code` of the table; codes outside 0..19 give row 0, as a freshly made
// point holds until its owner copies another row in.
const Ellipsoid& EllipsoidRow(int code);

} // namespace dezadiravevava
