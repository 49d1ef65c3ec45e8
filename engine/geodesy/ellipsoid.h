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

// Everything the conversions derive from a and f, computed once per ellipsoid
// so that no point pays for it. The table rows have theirs computed once, at
// first use (ConstantsOfRow); a one-off conversion on another ellipsoid builds
// its own.
struct EllipsoidConstants {
    double a = 0.0;     // semi-major axis [m]
    double f = 0.0;     // flattening
    double inv_a = 0.0; // 1 / a
    double b = 0.0;     // semi-minor axis, a (1 - f)
    double e2 = 0.0;    // first eccentricity squared, f (2 - f)
    double e2m = 0.0;   // 1 - e^2 = (b/a)^2
    double e4 = 0.0;    // e^4, of the closed-form geocentric inverse
    double ep2 = 0.0;   // second eccentricity squared, e^2 / (1 - e^2)

    // Meridian arc from the equator, truncated after the e^6 terms (Snyder,
    // "Map Projections: A Working Manual", 1987, eq. 3-21):
    //   M / a = arc0 phi + arc[0] sin 2phi + arc[1] sin 4phi + arc[2] sin 6phi
    // with arc0 = 1 - e^2/4 - 3e^4/64 - 5e^6/256, arc[0] = -(3/8)(e^2 + e^4/4 +
    // 15e^6/128), arc[1] = (15/256)(e^4 + 3e^6/4), arc[2] = -35e^6/3072.
    double arc0 = 0.0;
    double arc[3] = {0.0, 0.0, 0.0};

    // Footpoint latitude from the rectifying latitude mu = M / (a arc0)
    // (Snyder eq. 3-26, in e1 = (1 - sqrt(1 - e^2)) / (1 + sqrt(1 - e^2))):
    //   phi1 = mu + foot[0] sin 2mu + foot[1] sin 4mu + foot[2] sin 6mu
    //             + foot[3] sin 8mu
    double foot[4] = {0.0, 0.0, 0.0, 0.0};

    EllipsoidConstants() = default;
    explicit EllipsoidConstants(const Ellipsoid& ellipsoid);
};

// The constants of row `code`, with the row choice of EllipsoidRow.
const EllipsoidConstants& ConstantsOfRow(int code);

} // namespace dezadiravevava
