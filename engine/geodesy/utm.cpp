// Transverse Mercator series after Snyder, "Map Projections: A Working Manual"
// (USGS PP 1395, 1987), equations 8-9 to 8-25 (forward) and 8-12 to 8-25 with
// the footpoint latitude (inverse), meridian arc to the e^6 term.
#include "geodesy/utm.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace dezadiravevava {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Eccentricities and meridian-arc coefficients of one ellipsoid. The projection
// computes e^2 as 1 - (b/a)^2, which equals f (2 - f) up to rounding.
struct SeriesConstants {
    double e2;  // first eccentricity squared
    double ep2; // second eccentricity squared, e'^2 = e^2 / (1 - e^2)
    double a0, a2, a4, a6;

    explicit SeriesConstants(const Ellipsoid& ellipsoid) {
        const double ratio = ellipsoid.b() / ellipsoid.a;
        e2 = 1.0 - ratio * ratio;
        ep2 = e2 / (1.0 - e2);
        const double e4 = e2 * e2;
        const double e6 = e4 * e2;
        a0 = 1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0;
        a2 = (3.0 / 8.0) * (e2 + e4 / 4.0 + 15.0 * e6 / 128.0);
        a4 = (15.0 / 256.0) * (e4 + 3.0 * e6 / 4.0);
        a6 = 35.0 * e6 / 3072.0;
    }

    // Meridian arc from the equator, divided by a.
    double ArcOverA(double phi) const {
        return a0 * phi - a2 * std::sin(2.0 * phi) + a4 * std::sin(4.0 * phi) -
               a6 * std::sin(6.0 * phi);
    }
};

// One reduction step by whole turns; the quotient is taken in units large
// enough to fit a 32-bit (then 64-bit) integer, else one turn is removed.
double ReduceByTurns(double x) {
    const double turns = std::trunc(x / kTwoPi);
    if (std::fabs(turns) <= static_cast<double>(INT32_MAX)) {
        return x - turns * kTwoPi;
    }
    const double unit31 = kTwoPi * 2147483648.0; // 2 pi 2^31
    const double turns31 = std::trunc(x / unit31);
    if (std::fabs(turns31) <= static_cast<double>(INT32_MAX)) {
        return x - turns31 * unit31;
    }
    const double unit62 = kTwoPi * 4611686018427387904.0; // 2 pi 2^62
    const double turns62 = std::trunc(x / unit62);
    if (std::fabs(turns62) <= static_cast<double>(INT32_MAX)) {
        return x - turns62 * unit62;
    }
    return x - std::copysign(kTwoPi, x);
}

} // namespace

double NormalizeAngle(double x) {
    if (std::fabs(x) <= kPi) {
        return x;
    }
    for (int pass = 0; pass < 5 && std::fabs(x) > kPi; ++pass) {
        if (std::trunc(std::fabs(x) / kPi) < 2.0) {
            x -= std::copysign(kTwoPi, x);
        } else {
            x = ReduceByTurns(x);
        }
    }
    return x;
}

double ZoneOfLongitude(double lambda) {
    return std::floor(lambda * 30.0 / kPi + 31.0);
}

double CentralMeridian(double zone) {
    return (6.0 * std::fabs(zone) - 183.0) * (kPi / 180.0);
}

PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone) {
    if (zone < 1.0) {
        zone = ZoneOfLongitude(lambda);
    }
    const SeriesConstants k(ellipsoid);
    const double a = ellipsoid.a;
    const double sphi = std::sin(phi);
    const double cphi = std::cos(phi);
    const double tphi = std::tan(phi);
    const double n = a / std::sqrt(1.0 - k.e2 * sphi * sphi);
    const double t = tphi * tphi;
    const double c = k.ep2 * cphi * cphi;
    const double aa = NormalizeAngle(lambda - CentralMeridian(zone)) * cphi;
    const double m = a * k.ArcOverA(phi); // the arc at the origin latitude 0 is 0

    const double a2 = aa * aa;
    const double a3 = a2 * aa;
    const double a4 = a2 * a2;
    const double a5 = a4 * aa;
    const double a6 = a4 * a2;

    PlanePoint out;
    out.x = kUtmScale * n *
                (aa + (1.0 - t + c) * a3 / 6.0 +
                 (5.0 - 18.0 * t + t * t + 72.0 * c - 58.0 * k.ep2) * a5 / 120.0) +
            kUtmFalseEasting;
    out.y =
        kUtmScale * (m + n * tphi *
                             (a2 / 2.0 + (5.0 - t + 9.0 * c + 4.0 * c * c) * a4 / 24.0 +
                              (61.0 - 58.0 * t + t * t + 600.0 * c - 330.0 * k.ep2) * a6 / 720.0));
    return out;
}

GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone) {
    const SeriesConstants k(ellipsoid);
    const double a = ellipsoid.a;
    const double lambda0 = CentralMeridian(zone);
    const double mu = (y / kUtmScale) / a;

    // Footpoint latitude: fixed-point iteration on the meridian arc, one pass
    // and at most seven more, stopping when a pass changes it by <= 1e-10 rad.
    double phi1 = mu;
    for (int pass = 0; pass < 8; ++pass) {
        const double next = (mu + k.a2 * std::sin(2.0 * phi1) - k.a4 * std::sin(4.0 * phi1) +
                             k.a6 * std::sin(6.0 * phi1)) /
                            k.a0;
        const double change = std::fabs(next - phi1);
        phi1 = next;
        if (change <= 1e-10) {
            break;
        }
    }

    GeodeticAngles out;
    if (std::fabs(phi1) >= kPi / 2.0) {
        out.phi = std::copysign(kPi / 2.0, y);
        out.lambda = lambda0;
        return out;
    }

    const double s1 = std::sin(phi1);
    const double c1 = std::cos(phi1);
    const double t1tan = std::tan(phi1);
    const double w = 1.0 - k.e2 * s1 * s1;
    const double cc1 = k.ep2 * c1 * c1;
    const double t1 = t1tan * t1tan;
    const double n1 = a / std::sqrt(w);
    const double r1 = a * (1.0 - k.e2) / (w * std::sqrt(w));
    const double d = (x - kUtmFalseEasting) / (n1 * kUtmScale);
    const double d2 = d * d;
    const double d3 = d2 * d;
    const double d4 = d2 * d2;
    const double d5 = d4 * d;
    const double d6 = d4 * d2;

    out.phi =
        phi1 -
        (n1 * t1tan / r1) *
            (d2 / 2.0 - (5.0 + 3.0 * t1 + 10.0 * cc1 - 4.0 * cc1 * cc1 - 9.0 * k.ep2) * d4 / 24.0 +
             (61.0 + 90.0 * t1 + 298.0 * cc1 + 45.0 * t1 * t1 - 252.0 * k.ep2 - 3.0 * cc1 * cc1) *
                 d6 / 720.0);
    out.lambda = NormalizeAngle(
        lambda0 + (d - (1.0 + 2.0 * t1 + cc1) * d3 / 6.0 +
                   (5.0 - 2.0 * cc1 + 28.0 * t1 - 3.0 * cc1 * cc1 + 8.0 * k.ep2 + 24.0 * t1 * t1) *
                       d5 / 120.0) /
                      c1);
    return out;
}

} // namespace dezadiravevava
