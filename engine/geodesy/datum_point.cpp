#include "geodesy/datum_point.h"

#include <cmath>
#include <numbers>

namespace dezadiravevava {

DatumPoint::DatumPoint() : ellipsoid_(EllipsoidRow(0)) {}

DatumPoint::DatumPoint(const Ellipsoid& ellipsoid) : ellipsoid_(ellipsoid) {}

void DatumPoint::SetGeodetic(double lambda, double phi, double h) {
    geodetic_.Set(lambda, phi, h);
    geocentric_ = GeodeticToGeocentric(ellipsoid_, geodetic_.c1, geodetic_.c2, geodetic_.c3);
}

void DatumPoint::SetGeocentric(double x, double y, double z) {
    geocentric_.Set(x, y, z);
    geodetic_ = GeocentricToGeodetic(ellipsoid_, geocentric_.c1, geocentric_.c2, geocentric_.c3);
}

CoordTriple GeodeticToGeocentric(const Ellipsoid& ellipsoid, double lambda, double phi, double h) {
    const double a = ellipsoid.a;
    const double e2 = ellipsoid.e2();
    const double sphi = std::sin(phi);
    const double cphi = std::cos(phi);
    // N: radius of curvature in the prime vertical.
    const double n = a / std::sqrt(1.0 - e2 * sphi * sphi);
    return CoordTriple((n + h) * cphi * std::cos(lambda), (n + h) * cphi * std::sin(lambda),
                       (n * (1.0 - e2) + h) * sphi);
}

CoordTriple GeocentricToGeodetic(const Ellipsoid& ellipsoid, double x, double y, double z) {
    const double a = ellipsoid.a;
    const double e2 = ellipsoid.e2();
    const double p = std::hypot(x, y); // distance from the polar axis

    if (p == 0.0) {
        // The geocentre has no direction: report (0, 0, 0), which is what the
        // national parameter set's centroids at the geocentre expect.
        if (z == 0.0) {
            return CoordTriple(0.0, 0.0, 0.0);
        }
        // On the polar axis the latitude is a pole, the longitude is arbitrary
        // (0 by convention) and the height is measured from the pole, |Z| - b.
        const double pole = std::numbers::pi / 2.0;
        return CoordTriple(0.0, z > 0.0 ? pole : -pole, std::fabs(z) - ellipsoid.b());
    }

    // Iterate latitude and height together from the spherical-ish start
    // phi0 = atan(Z / ((1 - e^2) P)), h0 = 0. Each pass uses the previous
    // latitude for N and h. Convergence is geometric and reached in a handful of
    // passes for any point near the Earth; the pass limit only guards against
    // non-finite input and a last-bit oscillation that the height tolerance
    // (1e-10 m, below one ulp of a 6e6 m value) could otherwise never accept.
    constexpr int kMaxPasses = 100;
    double phi = std::atan(z / ((1.0 - e2) * p));
    double h = 0.0;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        const double phi_prev = phi;
        const double h_prev = h;
        const double sphi = std::sin(phi_prev);
        const double n = a / std::sqrt(1.0 - e2 * sphi * sphi);
        phi = std::atan((z / p) / (1.0 - e2 * n / (n + h_prev)));
        h = p / std::cos(phi_prev) - n;
        if (std::fabs(phi - phi_prev) <= 1e-12 && std::fabs(h - h_prev) <= 1e-10) {
            break;
        }
    }
    // Four-quadrant longitude: a point with X < 0 lies on the far side of the
    // Greenwich meridian plane, not 180 degrees away from it.
    return CoordTriple(std::atan2(y, x), phi, h);
}

} // namespace dezadiravevava
