#include "geodesy/models.h"

#include <cmath>

namespace dezadiravevava {

// Coordinate-frame convention (IERS / EPSG method 1032, linearised):
//   X' = Xt + (1 + mu) dX + Rz dY - Ry dZ + Tx
//   Y' = Yt - Rz dX + (1 + mu) dY + Rx dZ + Ty
//   Z' = Zt + Ry dX - Rx dY + (1 + mu) dZ + Tz
// The position-vector convention (EPSG method 1033) has the opposite sign on
// every rotation; a set published that way is used here with its rotations
// negated. The scale does not multiply the rotation terms (both are of order
// 1e-5, their product is below a millimetre at the Earth's radius).
CoordTriple ApplyHelmert(const CoordTriple& geocentric, const ParameterSet& set) {
    const auto& p = set.params;
    const double mu = p[0], rx = p[1], ry = p[2], rz = p[3], tx = p[4], ty = p[5], tz = p[6];
    const CoordTriple& s = set.source_centroid.geocentric();
    const CoordTriple& t = set.target_centroid.geocentric();
    const double dx = geocentric.c1 - s.c1;
    const double dy = geocentric.c2 - s.c2;
    const double dz = geocentric.c3 - s.c3;
    return CoordTriple(t.c1 + (1.0 + mu) * dx + rz * dy - ry * dz + tx,
                       t.c2 - rz * dx + (1.0 + mu) * dy + rx * dz + ty,
                       t.c3 + ry * dx - rx * dy + (1.0 + mu) * dz + tz);
}

HelmertDesignRows HelmertDesign(double dx, double dy, double dz) {
    return {{{dx, 0, -dz, dy, 1, 0, 0}, {dy, dz, 0, -dx, 0, 1, 0}, {dz, -dy, dx, 0, 0, 0, 1}}};
}

AffineDesignRows AffineDesign(double dx, double dy) {
    return {{{dx, -dy, 0, 0, 1, 0}, {0, 0, dx, dy, 0, 1}}};
}

MolodenskyRows MolodenskyDesign(double dlambda, double dphi, double dh, double a, double f) {
    const double b = a * (1.0 - f);
    const double e2 = f * (2.0 - f);
    const double sphi = std::sin(dphi), cphi = std::cos(dphi);
    const double slam = std::sin(dlambda), clam = std::cos(dlambda);
    const double w = 1.0 - e2 * sphi * sphi;
    const double n = a / std::sqrt(w);                    // prime vertical radius
    const double m = a * (1.0 - e2) / (w * std::sqrt(w)); // meridian radius
    const double mh = m + dh;
    const double nh = (n + dh) * cphi;
    return MolodenskyRows{
        {-sphi * clam / mh, -sphi * slam / mh, cphi / mh, e2 * n * sphi * cphi / (a * mh),
         (m * a / b + n * b / a) * sphi * cphi / mh},
        {-slam / nh, clam / nh, 0.0, 0.0, 0.0},
        {cphi * clam, cphi * slam, sphi, -a / n, (b / a) * n * sphi * sphi},
    };
}

CoordTriple ApplyMolodensky(const CoordTriple& geodetic, const ParameterSet& set) {
    const auto& p = set.params;
    const CoordTriple& s = set.source_centroid.geodetic();
    const CoordTriple& t = set.target_centroid.geodetic();
    const double dlambda = geodetic.c1 - s.c1;
    const double dphi = geodetic.c2 - s.c2;
    const double dh = geodetic.c3 - s.c3;
    const MolodenskyRows rows = MolodenskyDesign(dlambda, dphi, dh, p[5], p[6]);
    double shift_phi = 0.0, shift_lambda = 0.0, shift_h = 0.0;
    for (int k = 0; k < 5; ++k) {
        shift_phi += rows.phi[k] * p[static_cast<std::size_t>(k)];
        shift_lambda += rows.lambda[k] * p[static_cast<std::size_t>(k)];
        shift_h += rows.h[k] * p[static_cast<std::size_t>(k)];
    }
    return CoordTriple(t.c1 + dlambda + shift_lambda, t.c2 + dphi + shift_phi, t.c3 + dh + shift_h);
}

CoordTriple ApplyAffine2D(const CoordTriple& plane, const ParameterSet& set) {
    const auto& p = set.params;
    const CoordTriple& s = set.source_centroid.geocentric();
    const CoordTriple& t = set.target_centroid.geocentric();
    const double dx = plane.c1 - s.c1;
    const double dy = plane.c2 - s.c2;
    return CoordTriple(t.c1 + (1.0 + p[0]) * dx - p[1] * dy + p[4],
                       t.c2 + p[2] * dx + (1.0 + p[3]) * dy + p[5], 0.0);
}

} // namespace dezadiravevava
