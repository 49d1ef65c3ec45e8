// Transverse Mercator by Krueger's series to sixth order in the third
// flattening, as given by Karney, "Transverse Mercator with an accuracy of a
// few nanometers" (J. Geodesy 85, 2011): the geodetic point goes to the
// conformal sphere, then by the spherical transverse Mercator to zeta' = xi' +
// i eta', and a trigonometric series in zeta' carries it to the ellipsoid's
// zeta = xi + i eta (eqs. 7-11). Six terms leave an error of a few nanometres
// within 4000 km of the central meridian, so the projection agrees with PROJ's
// etmerc (the exact transverse Mercator that PROJ, GDAL and QGIS use for UTM)
// to rounding, inside and far outside a 6-degree zone.
//
// The forward projection takes the latitude's sine and cosine as given and
// derives the double angles of xi' and eta' from tan(phi') and the
// longitude's sine and cosine; the inverse finds tan(phi) from tan(phi') by
// Newton's method (Karney eqs. 19-21), one or two steps.
#include "geodesy/utm.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace dezadiravevava {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// sum_{j=1..6} coef[j-1] sin(2 j z) for complex z = x + i y, from sin 2x,
// cos 2x, sinh 2y and cosh 2y alone (Clenshaw's recurrence b_j = coef_j +
// 2 cos(2z) b_{j+1} - b_{j+2}; the sum is b_1 sin 2z). Real and imaginary parts
// go to re and im.
void KruegerSum(const double (&coef)[6], double sin2x, double cos2x, double sinh2y, double cosh2y,
                double& re, double& im) {
    // 2 cos 2z = 2 (cos 2x cosh 2y - i sin 2x sinh 2y)
    const double ar = 2.0 * cos2x * cosh2y;
    const double ai = -2.0 * sin2x * sinh2y;
    double b1r = 0.0, b1i = 0.0, b2r = 0.0, b2i = 0.0;
    for (int j = 5; j >= 0; --j) {
        const double b0r = coef[j] + ar * b1r - ai * b1i - b2r;
        const double b0i = ar * b1i + ai * b1r - b2i;
        b2r = b1r;
        b2i = b1i;
        b1r = b0r;
        b1i = b0i;
    }
    // sin 2z = sin 2x cosh 2y + i cos 2x sinh 2y
    const double sr = sin2x * cosh2y;
    const double si = cos2x * sinh2y;
    re = b1r * sr - b1i * si;
    im = b1r * si + b1i * sr;
}

// sigma = sinh(e atanh(e sin phi)) of the conformal latitude (Karney eq. 7):
// atanh by log1p, and the sinh of an angle below e atanh(e) = 0.0067 by its
// series to the fifth power (the next term, y^7 / 5040, is below 2e-19).
double Sigma(double sin_phi, const EllipsoidConstants& k) {
    const double es = k.e * sin_phi;
    const double y = 0.5 * k.e * std::log1p(2.0 * es / (1.0 - es));
    const double y2 = y * y;
    return y * (1.0 + y2 * (1.0 / 6.0) * (1.0 + y2 * (1.0 / 20.0)));
}

// tan(phi) from tan(phi') by Newton's method (Karney eqs. 19-21), starting from
// tau' / (1 - e^2); one step suffices near the equator, two elsewhere. Each
// step evaluates tau' = tau sqrt(1 + sigma^2) - sigma sqrt(1 + tau^2). The
// search is a value of its own so that a block of points can take its steps
// together (UtmToGeodeticSines on a block).
struct TangentSearch {
    double taup = 0.0;
    double tau = 0.0;
    double tolerance = 0.0;
    int steps = 0;
    bool done = false;
};

constexpr int kMaxTangentSteps = 5;

TangentSearch StartTangent(double taup, const EllipsoidConstants& k) {
    TangentSearch s;
    s.taup = taup;
    s.tau = taup / k.e2m;
    s.tolerance = 1.5e-9 * std::fmax(1.0, std::fabs(taup)); // sqrt(eps) / 10
    // Within 1e-8 rad of a pole, or not finite: tau' / (1 - e^2) stands.
    s.done = !(std::fabs(s.tau) < 1.0e8);
    return s;
}

void TangentStep(TangentSearch& s, const EllipsoidConstants& k) {
    const double tau = s.tau;
    const double tau1 = std::sqrt(1.0 + tau * tau);
    const double sigma = Sigma(tau / tau1, k);
    const double taupa = std::sqrt(1.0 + sigma * sigma) * tau - sigma * tau1;
    const double dtau = (s.taup - taupa) * (1.0 + k.e2m * tau * tau) /
                        (k.e2m * tau1 * std::sqrt(1.0 + taupa * taupa));
    s.tau = tau + dtau;
    s.done = !(std::fabs(dtau) >= s.tolerance) || ++s.steps == kMaxTangentSteps;
}

double GeodeticTangent(double taup, const EllipsoidConstants& k) {
    TangentSearch s = StartTangent(taup, k);
    while (!s.done) {
        TangentStep(s, k);
    }
    return s.tau;
}

// Sine and cosine of x + d from those of x, for |d| < 0.01: the Taylor series
// of sin d and cos d end where their next terms (d^7 / 5040, d^8 / 40320) drop
// below 2e-18, far below a rounding of the results.
void Turn(double& sin_x, double& cos_x, double d) {
    const double d2 = d * d;
    const double sin_d = d * (1.0 - d2 * (1.0 / 6.0) * (1.0 - d2 * (1.0 / 20.0)));
    const double cos_d_minus_1 = -d2 * 0.5 * (1.0 - d2 * (1.0 / 12.0) * (1.0 - d2 * (1.0 / 30.0)));
    const double s = sin_x + (sin_x * cos_d_minus_1 + cos_x * sin_d);
    cos_x = cos_x + (cos_x * cos_d_minus_1 - sin_x * sin_d);
    sin_x = s;
}

// The same for the hyperbolic sine and cosine of y + d.
void HyperbolicTurn(double& sinh_y, double& cosh_y, double d) {
    const double d2 = d * d;
    const double sinh_d = d * (1.0 + d2 * (1.0 / 6.0) * (1.0 + d2 * (1.0 / 20.0)));
    const double cosh_d_minus_1 = d2 * 0.5 * (1.0 + d2 * (1.0 / 12.0) * (1.0 + d2 * (1.0 / 30.0)));
    const double s = sinh_y + (sinh_y * cosh_d_minus_1 + cosh_y * sinh_d);
    cosh_y = cosh_y + (cosh_y * cosh_d_minus_1 + sinh_y * sinh_d);
    sinh_y = s;
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

namespace {

// The forward projection as far as the conformal sphere: the sine and cosine
// of the longitude from the central meridian and tan(phi'), or the pole.
struct ConformalPosition {
    double sl = 0.0;
    double cl = 0.0;
    double taup = 0.0;
    bool pole = false;
};

ConformalPosition ToConformal(double lambda, const Latitude& phi, const EllipsoidConstants& k,
                              double& zone) {
    if (zone < 1.0) {
        zone = ZoneOfLongitude(lambda);
    }
    ConformalPosition out;
    if (phi.cos <= 0.0) {
        out.pole = true;
        out.taup = phi.sin;
        return out;
    }
    const double dlambda = NormalizeAngle(lambda - CentralMeridian(zone));
    out.sl = std::sin(dlambda);
    out.cl = std::cos(dlambda);
    // tau' = tau sqrt(1 + sigma^2) - sigma sqrt(1 + tau^2), with tau = sin / cos.
    const double sigma = Sigma(phi.sin, k);
    out.taup = (phi.sin * std::sqrt(1.0 + sigma * sigma) - sigma) / phi.cos;
    return out;
}

PlanePoint FromConformal(const ConformalPosition& p, const EllipsoidConstants& k) {
    const double scale = kUtmScale * k.rect_a;
    if (p.pole) {
        // At a pole every meridian meets: the point lies on the central
        // meridian at the quarter meridian's length (xi = +-pi/2, eta = 0).
        return PlanePoint{kUtmFalseEasting, std::copysign(scale * kPi / 2.0, p.taup)};
    }
    const double sl = p.sl, cl = p.cl, taup = p.taup;
    // xi' = atan2(tau', cos dl), sinh eta' = sin dl / r with r^2 = tau'^2 +
    // cos^2 dl, cosh eta' = sqrt(1 + tau'^2) / r: the double angles follow
    // without further trigonometry.
    const double r2 = taup * taup + cl * cl;
    const double xip = std::atan2(taup, cl);
    const double etap = std::asinh(sl / std::sqrt(r2));
    const double inv_r2 = 1.0 / r2;
    const double sin2xi = 2.0 * taup * cl * inv_r2;
    const double cos2xi = (cl * cl - taup * taup) * inv_r2;
    const double sinh2eta = 2.0 * sl * std::sqrt(1.0 + taup * taup) * inv_r2;
    const double cosh2eta = 1.0 + 2.0 * sl * sl * inv_r2;
    double dxi = 0.0, deta = 0.0;
    KruegerSum(k.alpha, sin2xi, cos2xi, sinh2eta, cosh2eta, dxi, deta);
    return PlanePoint{kUtmFalseEasting + scale * (etap + deta), scale * (xip + dxi)};
}

} // namespace

PlanePoint GeodeticToUtm(double lambda, const Latitude& phi, const EllipsoidConstants& k,
                         double& zone) {
    return FromConformal(ToConformal(lambda, phi, k, zone), k);
}

void GeodeticToUtm(int n, const double* lambda, const Latitude* phi, const EllipsoidConstants& k,
                   double* zone, PlanePoint* out) {
    ConformalPosition conformal[kUtmBlock];
    for (int i = 0; i < n; ++i) {
        conformal[i] = ToConformal(lambda[i], phi[i], k, zone[i]);
    }
    for (int i = 0; i < n; ++i) {
        out[i] = FromConformal(conformal[i], k);
    }
}

namespace {

// The inverse projection as far as the conformal sphere: tan(phi') and the
// longitude, or the pole for northings at or beyond the pole's.
struct SpherePosition {
    double taup = 0.0;
    double lambda = 0.0;
    bool pole = false;
};

SpherePosition ToSphere(double x, double y, const EllipsoidConstants& k, double zone) {
    const double lambda0 = CentralMeridian(zone);
    const double inv_scale = 1.0 / (kUtmScale * k.rect_a);
    const double xi = y * inv_scale;
    const double eta = (x - kUtmFalseEasting) * inv_scale;

    SpherePosition out;
    if (!(std::fabs(xi) < kPi / 2.0)) {
        // The pole, on the central meridian; taup keeps the hemisphere.
        out.pole = true;
        out.taup = y;
        out.lambda = lambda0;
        return out;
    }
    // One sine and cosine of xi and one exponential of eta give the double
    // angles; those of xi' and eta' follow by turning through the series'
    // correction (below 0.01 within 1500 km of the central meridian).
    double sxi = std::sin(xi);
    double cxi = std::cos(xi);
    const double em1 = std::expm1(eta); // e^eta - 1, exact near eta = 0
    double sheta = 0.5 * (em1 + em1 / (em1 + 1.0));
    double cheta = sheta + 1.0 / (em1 + 1.0);
    const double sin2xi = 2.0 * sxi * cxi;
    const double cos2xi = (cxi - sxi) * (cxi + sxi);
    const double sinh2eta = 2.0 * sheta * cheta;
    const double cosh2eta = 1.0 + 2.0 * sheta * sheta;
    double dxi = 0.0, deta = 0.0;
    KruegerSum(k.beta, sin2xi, cos2xi, sinh2eta, cosh2eta, dxi, deta);
    if (std::fabs(dxi) < 0.01 && std::fabs(deta) < 0.01) {
        Turn(sxi, cxi, -dxi);
        HyperbolicTurn(sheta, cheta, -deta);
    } else {
        sxi = std::sin(xi - dxi);
        cxi = std::cos(xi - dxi);
        sheta = std::sinh(eta - deta);
    }

    // Back from the sphere (Karney eq. 18): tan(phi') = sin xi' / sqrt(sinh^2
    // eta' + cos^2 xi'), lambda = atan2(sinh eta', cos xi').
    out.taup = sxi / std::sqrt(sheta * sheta + cxi * cxi);
    out.lambda = NormalizeAngle(lambda0 + std::atan2(sheta, cxi));
    return out;
}

// The geodetic position of a point on the sphere whose tan(phi) is `tau`
// (ignored at the pole); the latitude's angle is skipped (NaN in its place)
// when `with_angle` is false.
GeodeticPosition FromSphere(const SpherePosition& p, double tau, bool with_angle) {
    GeodeticPosition out;
    out.lambda = p.lambda;
    if (p.pole) {
        out.phi = p.taup < 0.0 ? Latitude{-kPi / 2.0, -1.0, 0.0} : Latitude{kPi / 2.0, 1.0, 0.0};
        return out;
    }
    const double cphi = 1.0 / std::sqrt(1.0 + tau * tau);
    out.phi = Latitude{with_angle ? std::atan(tau) : std::numeric_limits<double>::quiet_NaN(),
                       tau * cphi, cphi};
    return out;
}

GeodeticPosition InverseProjection(double x, double y, const EllipsoidConstants& k, double zone,
                                   bool with_angle) {
    const SpherePosition p = ToSphere(x, y, k, zone);
    return FromSphere(p, p.pole ? 0.0 : GeodeticTangent(p.taup, k), with_angle);
}

} // namespace

GeodeticPosition UtmToGeodetic(double x, double y, const EllipsoidConstants& k, double zone) {
    return InverseProjection(x, y, k, zone, true);
}

GeodeticPosition UtmToGeodeticSines(double x, double y, const EllipsoidConstants& k, double zone) {
    return InverseProjection(x, y, k, zone, false);
}

void UtmToGeodeticSines(int n, const double* x, const double* y, const double* zone,
                        const EllipsoidConstants& k, GeodeticPosition* out) {
    // Each step over the whole block: the Newton steps of one point wait on
    // each other, those of different points do not.
    SpherePosition sphere[kUtmBlock];
    TangentSearch search[kUtmBlock];
    for (int i = 0; i < n; ++i) {
        sphere[i] = ToSphere(x[i], y[i], k, zone[i]);
        search[i] = StartTangent(sphere[i].taup, k);
        search[i].done = search[i].done || sphere[i].pole;
    }
    for (int step = 0; step < kMaxTangentSteps; ++step) {
        for (int i = 0; i < n; ++i) {
            if (!search[i].done) {
                TangentStep(search[i], k);
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        out[i] = FromSphere(sphere[i], search[i].tau, false);
    }
}

PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone) {
    return GeodeticToUtm(lambda, Latitude::Of(phi), EllipsoidConstants(ellipsoid), zone);
}

GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone) {
    const GeodeticPosition g = UtmToGeodetic(x, y, EllipsoidConstants(ellipsoid), zone);
    return GeodeticAngles{g.lambda, g.phi.radians};
}

} // namespace dezadiravevava
