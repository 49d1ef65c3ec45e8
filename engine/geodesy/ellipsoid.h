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

    // Transverse Mercator by Krueger's series to sixth order in the third
    // flattening n = f / (2 - f) (Karney, "Transverse Mercator with an accuracy
    // of a few nanometers", J. Geodesy 85, 2011, eqs. 14, 35 and 36):
    double e = 0.0;      // first eccentricity
    double n = 0.0;      // third flattening
    double rect_a = 0.0; // rectifying radius A = a / (1 + n) (1 + n^2/4 + n^4/64 + n^6/256)
    // zeta = zeta' + sum alpha[j-1] sin(2 j zeta') (conformal to rectifying) and
    // zeta' = zeta - sum beta[j-1] sin(2 j zeta) (its inverse), j = 1..6.
    double alpha[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    double beta[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

    EllipsoidConstants() = default;
    explicit EllipsoidConstants(const Ellipsoid& ellipsoid);
};

// The constants of row `code`, with the row choice of EllipsoidRow.
const EllipsoidConstants& ConstantsOfRow(int code);

} // namespace dezadiravevava
