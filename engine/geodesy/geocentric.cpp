// Geodetic <-> geocentric conversions.
//
// The inverse is closed-form, after H. Vermeille, "Direct transformation from
// geocentric coordinates to geodetic coordinates", Journal of Geodesy 76
// (2002) 451-454, and "Computing geodetic coordinates from geocentric
// coordinates", J. Geod. 78 (2004) 94-95, in the arrangement of C. F. F. Karney
// (GeographicLib, Geocentric), which stays accurate inside the evolute near the
// geocentre and divides by nothing that can vanish. The height is then taken
// from the latitude with compensated arithmetic, because near the surface it
// is the small difference of three numbers near a.
#include "geodesy/geocentric.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace dezadiravevava {

namespace {

constexpr double kHalfPi = std::numbers::pi / 2.0;

// A double and the rounding error that it left out: hi + lo is the exact
// value. Error-free transformations after T. J. Dekker, "A floating-point
// technique for extending the available precision", Numer. Math. 18 (1971),
// and T. Ogita, S. M. Rump, S. Oishi, "Accurate sum and dot product", SIAM J.
// Sci. Comput. 26 (2005).
struct Compensated {
    double hi = 0.0;
    double lo = 0.0;
};

// x y exactly: the fused multiply-add gives the rounding error of the product.
Compensated TwoProduct(double x, double y) {
    const double p = x * y;
    return {p, std::fma(x, y, -p)};
}

// x + y exactly, whatever their magnitudes.
Compensated TwoSum(double x, double y) {
    const double s = x + y;
    const double v = s - x;
    return {s, (x - (s - v)) + (y - v)};
}

// Distance from the polar axis, sqrt(x^2 + y^2), to twice double precision:
// its rounding alone (half an ulp of 6.4e6 m, 4.7e-10 m) would use up half of
// the height's error budget. The caller has made sure that x^2 + y^2 neither
// overflows nor vanishes.
Compensated AxisDistance(double x, double y) {
    const Compensated x2 = TwoProduct(x, x);
    const Compensated y2 = TwoProduct(y, y);
    const Compensated sum = TwoSum(x2.hi, y2.hi);
    const double rho = std::sqrt(sum.hi);
    // One Newton step on rho^2 = x^2 + y^2 for the part that rho left out.
    const double residual = std::fma(-rho, rho, sum.hi) + (sum.lo + x2.lo + y2.lo);
    return {rho, residual * 0.5 / rho};
}

// Height of the point (rho, z) over the ellipsoid along the normal of latitude
// phi, given by its sine s and cosine c:
//   h = rho c + z s - a sqrt(c^2 + (1 - e^2) s^2).
// The expression is stationary in phi at the foot of the normal (a latitude
// error d moves h by about a d^2), and it is homogeneous of degree one in
// (c, s), so an error e in their norm moves h by e h only. What is left is
// the cancellation of its three terms near a; each is carried with its
// rounding error, so the result is good to about 1e-10 m.
double HeightAlongNormal(const EllipsoidConstants& k, const Compensated& rho, double z, double s,
                         double c) {
    const Compensated rc = TwoProduct(rho.hi, c);
    const Compensated zs = TwoProduct(z, s);
    // m = c^2 + (1 - e^2) s^2 and its square root, each as hi + lo.
    const Compensated c2 = TwoProduct(c, c);
    const Compensated e2m_s = TwoProduct(k.e2m, s);
    const Compensated e2m_s2 = TwoProduct(e2m_s.hi, s);
    const Compensated m = TwoSum(c2.hi, e2m_s2.hi);
    const double m_lo = m.lo + c2.lo + e2m_s2.lo + e2m_s.lo * s;
    const double root = std::sqrt(m.hi);
    const double root_lo = (std::fma(-root, root, m.hi) + m_lo) * 0.5 / root;
    const Compensated foot = TwoProduct(k.a, root);
    const double foot_lo = foot.lo + k.a * root_lo;
    const Compensated sum = TwoSum(rc.hi, zs.hi);
    const Compensated height = TwoSum(sum.hi, -foot.hi);
    return height.hi + (sum.lo + height.lo + rc.lo + rho.lo * c + zs.lo - foot_lo);
}

} // namespace

CoordTriple GeodeticToGeocentric(const EllipsoidConstants& k, double lambda, const Latitude& phi,
                                 double h) {
    // N: radius of curvature in the prime vertical.
    const double n = k.a / std::sqrt(1.0 - k.e2 * phi.sin * phi.sin);
    return CoordTriple((n + h) * phi.cos * std::cos(lambda), (n + h) * phi.cos * std::sin(lambda),
                       (n * (1.0 - k.e2) + h) * phi.sin);
}

GeodeticPosition GeocentricToGeodetic(const EllipsoidConstants& k, double x, double y, double z,
                                      GeodeticOmit omit) {
    GeodeticPosition out;
    const double rho2 = x * x + y * y;
    // Beyond 2 a / epsilon (5.7e22 m) from the geocentre, the geodetic and
    // geocentric latitudes differ by less than e^2 a / distance, below a
    // rounding of the latitude, and a is below half an ulp of the distance;
    // the closed form would overflow a little further out.
    const double far = 2.0 * k.a / std::numeric_limits<double>::epsilon();
    if (!(rho2 + z * z <= far * far)) {
        // Far from the Earth, or not finite (NaN stays NaN).
        const double rho = std::hypot(x, y);
        const double distance = std::hypot(rho, z);
        out.lambda = std::atan2(y, x);
        out.phi = Latitude{std::atan2(z, rho), z / distance, rho / distance};
        out.h = distance - k.a;
        return out;
    }

    // Within 1e-154 m of the polar axis x^2 + y^2 underflows: such a point
    // counts as on the axis.
    if (rho2 == 0.0) {
        // The geocentre has no direction: it reads (0, 0, 0), which is what
        // the national parameter set's centroids at the geocentre expect.
        if (z == 0.0) {
            return out;
        }
        // On the polar axis the nearest point of the ellipsoid is the pole on
        // the same side (the squared distance to (a cos u, b sin u) is concave
        // in sin u, so its minimum is at sin u = +-1): latitude +-90 degrees,
        // height |Z| - b, longitude 0 by convention.
        out.phi = z > 0.0 ? Latitude{kHalfPi, 1.0, 0.0} : Latitude{-kHalfPi, -1.0, 0.0};
        out.h = std::fabs(z) - k.b;
        return out;
    }
    const Compensated rho = AxisDistance(x, y);

    // Four-quadrant longitude: a point with X < 0 lies on the far side of the
    // Greenwich meridian plane, not 180 degrees away from it.
    out.lambda = std::atan2(y, x);

    // Vermeille's quantities p, q, r (the paper's names).
    const double p = (rho.hi * k.inv_a) * (rho.hi * k.inv_a);
    const double q = k.e2m * (z * k.inv_a) * (z * k.inv_a);
    const double r = (p + q - k.e4) * (1.0 / 6.0);
    // Direction of the normal through the point, (cos phi, sin phi) up to a
    // positive factor.
    double normal_c = 0.0;
    double normal_s = 0.0;
    if (!(k.e4 * q == 0.0 && r <= 0.0)) {
        // The paper's s and t are carried as S = r^3 s and T = r t, so that
        // nothing is divided by r, which vanishes on a small ellipsoid (semi-
        // axes a e^2 and a e^2 / sqrt(1 - e^2), about 43 km) around the
        // geocentre.
        const double big_s = k.e4 * p * q * 0.25;
        const double r2 = r * r;
        const double r3 = r * r2;
        const double disc = big_s * (2.0 * r3 + big_s);
        double u = r;
        if (disc >= 0.0) {
            // One real root. T^3 = S + r^3 + sqrt(disc): the square root takes
            // the sign of S + r^3 so that the sum does not cancel; u does not
            // depend on that choice. std::cbrt is the real cube root.
            double t3 = big_s + r3;
            t3 += t3 < 0.0 ? -std::sqrt(disc) : std::sqrt(disc);
            const double t = std::cbrt(t3);
            // T = 0 only where r = 0 as well, and then r^2 / T tends to 0.
            u += t + (t != 0.0 ? r2 / t : 0.0);
        } else {
            // Three real roots (disc < 0 implies r < 0): inside the evolute,
            // within about a e^2 = 43 km of the geocentre. Of the three cube
            // roots the trigonometric form takes the one that avoids
            // cancellation.
            const double angle = std::atan2(std::sqrt(-disc), -(big_s + r3));
            u += 2.0 * r * std::cos(angle / 3.0);
        }
        const double v = std::sqrt(u * u + k.e4 * q); // positive
        // u + v, without the cancellation that u < 0 would bring; positive.
        const double uv = u < 0.0 ? k.e4 * q / (v - u) : u + v;
        // w must not go negative through the rounding of uv - q.
        const double w = std::max(0.0, k.e2 * (uv - q) * 0.5 / v);
        // k = sqrt(u + v + w^2) - w, rearranged to avoid the subtraction.
        const double kk = uv / (std::sqrt(uv + w * w) + w);
        // tan(phi) = Z (k + e^2) / (k rho); k > 0 since uv > 0 and w >= 0.
        normal_s = z * (kk + k.e2);
        normal_c = rho.hi * kk;
    } else {
        // On the equatorial plane within a e^2 of the axis (q = 0, p <= e^4):
        // there k = 0 and the general formulas give 0 / 0. Their limit: the
        // two nearest points lie symmetrically north and south, with
        // sin^2(phi) / cos^2(phi) = (e^4 - p) / ((1 - e^2) p); the northern one
        // is taken unless Z is negative.
        normal_s = std::sqrt((k.e4 - p) / k.e2m);
        normal_c = std::sqrt(p);
        if (z < 0.0) {
            normal_s = -normal_s;
        }
    }
    const double inv_norm = 1.0 / std::sqrt(normal_c * normal_c + normal_s * normal_s);
    const bool angle = omit == GeodeticOmit::kNothing;
    out.phi =
        Latitude{angle ? std::atan2(normal_s, normal_c) : std::numeric_limits<double>::quiet_NaN(),
                 normal_s * inv_norm, normal_c * inv_norm};
    out.h = omit == GeodeticOmit::kLatitudeAngleAndHeight
                ? 0.0
                : HeightAlongNormal(k, rho, z, out.phi.sin, out.phi.cos);
    return out;
}

GeodeticPosition GeocentricToGeodetic(const EllipsoidConstants& k, double x, double y, double z) {
    return GeocentricToGeodetic(k, x, y, z, GeodeticOmit::kNothing);
}

CoordTriple GeodeticToGeocentric(const Ellipsoid& ellipsoid, double lambda, double phi, double h) {
    return GeodeticToGeocentric(EllipsoidConstants(ellipsoid), lambda, Latitude::Of(phi), h);
}

CoordTriple GeocentricToGeodetic(const Ellipsoid& ellipsoid, double x, double y, double z) {
    const GeodeticPosition g = GeocentricToGeodetic(EllipsoidConstants(ellipsoid), x, y, z);
    return CoordTriple(g.lambda, g.phi.radians, g.h);
}

} // namespace dezadiravevava
