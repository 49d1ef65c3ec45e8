// Transverse Mercator series after Snyder, "Map Projections: A Working Manual"
// (USGS PP 1395, 1987), equations 8-9 to 8-25 (forward) and 8-12 to 8-25 with
// the footpoint latitude (inverse), meridian arc to the e^6 term (eq. 3-21).
//
// Each call takes one sine and cosine of one angle and derives every multiple
// angle from them; the coefficients come from the ellipsoid's constants,
// computed once. The footpoint latitude inverts the same truncated meridian
// arc as the forward projection uses, to rounding: Snyder's footpoint series
// (eq. 3-26, which inverts the untruncated arc) gives a start within 2e-10 rad,
// and one Newton step on the truncated arc removes the rest.
#include "geodesy/utm.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace dezadiravevava {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The series' factorials, as multipliers (a division costs several times a
// multiplication).
constexpr double kSixth = 1.0 / 6.0;
constexpr double k24th = 1.0 / 24.0;
constexpr double k120th = 1.0 / 120.0;
constexpr double k720th = 1.0 / 720.0;

// sum_{j=1..K} coef[j-1] sin(2 j x), from sin 2x and cos 2x alone (Clenshaw's
// recurrence b_j = coef_j + 2 cos(2x) b_{j+1} - b_{j+2}; the sum is b_1 sin 2x).
template <std::size_t K>
double SineSeries(const double (&coef)[K], double sin2x, double cos2x) {
    const double alpha = 2.0 * cos2x;
    double b1 = 0.0, b2 = 0.0;
    for (std::size_t j = K; j-- > 0;) {
        const double b0 = coef[j] + alpha * b1 - b2;
        b2 = b1;
        b1 = b0;
    }
    return b1 * sin2x;
}

// sum_{j=1..K} coef[j-1] cos(2 j x), by the same recurrence: b_1 cos 2x - b_2.
template <std::size_t K>
double CosineSeries(const double (&coef)[K], double cos2x) {
    const double alpha = 2.0 * cos2x;
    double b1 = 0.0, b2 = 0.0;
    for (std::size_t j = K; j-- > 0;) {
        const double b0 = coef[j] + alpha * b1 - b2;
        b2 = b1;
        b1 = b0;
    }
    return b1 * cos2x - b2;
}

// Sine and cosine of x + d from those of x, for |d| < 0.01: the Taylor series
// of sin d and cos d end where their next terms (d^7 / 5040, d^8 / 40320) drop
// below 2e-18, far below a rounding of the results.
void Turn(double& sin_x, double& cos_x, double d) {
    const double d2 = d * d;
    const double sin_d = d * (1.0 - d2 * kSixth * (1.0 - d2 * (1.0 / 20.0)));
    const double cos_d_minus_1 = -d2 * 0.5 * (1.0 - d2 * (1.0 / 12.0) * (1.0 - d2 * (1.0 / 30.0)));
    const double s = sin_x + (sin_x * cos_d_minus_1 + cos_x * sin_d);
    cos_x = cos_x + (cos_x * cos_d_minus_1 - sin_x * sin_d);
    sin_x = s;
}

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

PlanePoint GeodeticToUtm(double lambda, const Latitude& phi, const EllipsoidConstants& k,
                         double& zone) {
    if (zone < 1.0) {
        zone = ZoneOfLongitude(lambda);
    }
    const double sphi = phi.sin;
    const double cphi = phi.cos;
    // Meridian arc from the equator (the arc at the origin latitude 0 is 0),
    // its multiple angles from sin 2phi = 2 s c and cos 2phi = c^2 - s^2.
    const double m = k.a * (k.arc0 * phi.radians +
                            SineSeries(k.arc, 2.0 * sphi * cphi, (cphi - sphi) * (cphi + sphi)));
    if (cphi == 0.0) {
        // At a pole every meridian meets: the series' terms in A = dlambda
        // cos(phi) all vanish (N tan(phi) A^2 tends to 0 with cos(phi)), and the
        // point lies on the central meridian at the arc's length.
        return PlanePoint{kUtmFalseEasting, kUtmScale * m};
    }
    const double tphi = sphi / cphi;
    const double n = k.a / std::sqrt(1.0 - k.e2 * sphi * sphi);
    const double t = tphi * tphi;
    const double c = k.ep2 * cphi * cphi;
    const double aa = NormalizeAngle(lambda - CentralMeridian(zone)) * cphi;

    const double a2 = aa * aa;
    const double a3 = a2 * aa;
    const double a4 = a2 * a2;
    const double a5 = a4 * aa;
    const double a6 = a4 * a2;

    PlanePoint out;
    out.x = kUtmScale * n *
                (aa + (1.0 - t + c) * a3 * kSixth +
                 (5.0 - 18.0 * t + t * t + 72.0 * c - 58.0 * k.ep2) * a5 * k120th) +
            kUtmFalseEasting;
    out.y =
        kUtmScale * (m + n * tphi *
                             (a2 * 0.5 + (5.0 - t + 9.0 * c + 4.0 * c * c) * a4 * k24th +
                              (61.0 - 58.0 * t + t * t + 600.0 * c - 330.0 * k.ep2) * a6 * k720th));
    return out;
}

GeodeticPosition UtmToGeodetic(double x, double y, const EllipsoidConstants& k, double zone) {
    const double lambda0 = CentralMeridian(zone);
    const double arc = (y / kUtmScale) * k.inv_a; // meridian arc M / a

    // Footpoint latitude: the start from the rectifying latitude mu ...
    const double mu = arc / k.arc0;
    double s1 = std::sin(mu);
    double c1 = std::cos(mu);
    const double shift = SineSeries(k.foot, 2.0 * s1 * c1, (c1 - s1) * (c1 + s1));
    Turn(s1, c1, shift); // |shift| < 3e-3
    double phi1 = mu + shift;
    // ... and one Newton step on arc0 phi + sum arc_j sin(2 j phi) = M / a.
    // The start is within 2e-10 rad, so the step leaves an error of order
    // 1e-21 rad (the series' curvature, 1e-2, times the square of the error).
    const double cos2 = (c1 - s1) * (c1 + s1);
    const double slopes[3] = {2.0 * k.arc[0], 4.0 * k.arc[1], 6.0 * k.arc[2]};
    const double residual = k.arc0 * phi1 + SineSeries(k.arc, 2.0 * s1 * c1, cos2) - arc;
    const double step = -residual / (k.arc0 + CosineSeries(slopes, cos2));
    Turn(s1, c1, step);
    phi1 += step;

    GeodeticPosition out;
    if (std::fabs(phi1) >= kPi / 2.0) {
        // Northings at or beyond the pole's arc: the pole, on the central
        // meridian.
        out.phi = y < 0.0 ? Latitude{-kPi / 2.0, -1.0, 0.0} : Latitude{kPi / 2.0, 1.0, 0.0};
        out.lambda = lambda0;
        return out;
    }

    const double inv_c1 = 1.0 / c1;
    const double t1tan = s1 * inv_c1;
    const double t1 = t1tan * t1tan;
    const double cc1 = k.ep2 * c1 * c1;
    // With w = 1 - e^2 sin^2(phi1): N1 = a / sqrt(w) and R1 = a (1 - e^2) /
    // w^(3/2), so D = (x - x0) sqrt(w) / (a k0) and N1 tan(phi1) / R1 =
    // tan(phi1) w / (1 - e^2) = tan(phi1) w (1 + e'^2).
    const double w = 1.0 - k.e2 * s1 * s1;
    const double d = (x - kUtmFalseEasting) * std::sqrt(w) * (k.inv_a / kUtmScale);
    const double d2 = d * d;
    const double d3 = d2 * d;
    const double d4 = d2 * d2;
    const double d5 = d4 * d;
    const double d6 = d4 * d2;

    const double dphi =
        -t1tan * w * (1.0 + k.ep2) *
        (d2 * 0.5 - (5.0 + 3.0 * t1 + 10.0 * cc1 - 4.0 * cc1 * cc1 - 9.0 * k.ep2) * d4 * k24th +
         (61.0 + 90.0 * t1 + 298.0 * cc1 + 45.0 * t1 * t1 - 252.0 * k.ep2 - 3.0 * cc1 * cc1) * d6 *
             k720th);
    out.lambda = NormalizeAngle(
        lambda0 + (d - (1.0 + 2.0 * t1 + cc1) * d3 * kSixth +
                   (5.0 - 2.0 * cc1 + 28.0 * t1 - 3.0 * cc1 * cc1 + 8.0 * k.ep2 + 24.0 * t1 * t1) *
                       d5 * k120th) *
                      inv_c1);
    // The latitude's sine and cosine follow from the footpoint's for the
    // correction that the series leaves small (a few thousandths of a radian
    // within a zone); only a far-off point pays for a sincos of its own.
    if (std::fabs(dphi) < 0.01) {
        Turn(s1, c1, dphi);
        out.phi = Latitude{phi1 + dphi, s1, c1};
    } else {
        out.phi = Latitude::Of(phi1 + dphi);
    }
    return out;
}

GeodeticAngles UtmToGeodeticByIteration(double x, double y, const Ellipsoid& ellipsoid,
                                        double zone) {
    // e^2 as 1 - (b/a)^2, which equals f (2 - f) up to rounding; the meridian
    // arc's coefficients as in EllipsoidConstants, from this e^2.
    const double a = ellipsoid.a;
    const double ratio = ellipsoid.b() / a;
    const double e2 = 1.0 - ratio * ratio;
    const double ep2 = e2 / (1.0 - e2);
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    const double a0 = 1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0;
    const double a2 = (3.0 / 8.0) * (e2 + e4 / 4.0 + 15.0 * e6 / 128.0);
    const double a4 = (15.0 / 256.0) * (e4 + 3.0 * e6 / 4.0);
    const double a6 = 35.0 * e6 / 3072.0;

    const double lambda0 = CentralMeridian(zone);
    const double mu = (y / kUtmScale) / a;
    double phi1 = mu;
    for (int pass = 0; pass < 8; ++pass) {
        const double next = (mu + a2 * std::sin(2.0 * phi1) - a4 * std::sin(4.0 * phi1) +
                             a6 * std::sin(6.0 * phi1)) /
                            a0;
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
    const double w = 1.0 - e2 * s1 * s1;
    const double cc1 = ep2 * c1 * c1;
    const double t1 = t1tan * t1tan;
    const double n1 = a / std::sqrt(w);
    const double r1 = a * (1.0 - e2) / (w * std::sqrt(w));
    const double d = (x - kUtmFalseEasting) / (n1 * kUtmScale);
    const double d2 = d * d;
    const double d3 = d2 * d;
    const double d4 = d2 * d2;
    const double d5 = d4 * d;
    const double d6 = d4 * d2;

    out.phi =
        phi1 -
        (n1 * t1tan / r1) *
            (d2 / 2.0 - (5.0 + 3.0 * t1 + 10.0 * cc1 - 4.0 * cc1 * cc1 - 9.0 * ep2) * d4 / 24.0 +
             (61.0 + 90.0 * t1 + 298.0 * cc1 + 45.0 * t1 * t1 - 252.0 * ep2 - 3.0 * cc1 * cc1) *
                 d6 / 720.0);
    out.lambda = NormalizeAngle(
        lambda0 + (d - (1.0 + 2.0 * t1 + cc1) * d3 / 6.0 +
                   (5.0 - 2.0 * cc1 + 28.0 * t1 - 3.0 * cc1 * cc1 + 8.0 * ep2 + 24.0 * t1 * t1) *
                       d5 / 120.0) /
                      c1);
    return out;
}

PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone) {
    return GeodeticToUtm(lambda, Latitude::Of(phi), EllipsoidConstants(ellipsoid), zone);
}

GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone) {
    const GeodeticPosition g = UtmToGeodetic(x, y, EllipsoidConstants(ellipsoid), zone);
    return GeodeticAngles{g.lambda, g.phi.radians};
}

} // namespace dezadiravevava
