// Error propagation from an adjustment to the points it transforms.
//
// The estimated models are linear in their parameters x, so the shift a set
// gives a point is J x, J being the design matrix rows of that point (the
// rows the estimation would give it as a vertex), turned into metres east
// and north. A new point's error is the fit's own scatter plus what the
// parameters' error carries there:
//   Cov = sigma0^2 (I + J Q J^T)          (2x2, east and north)
// the prediction covariance of a new observation in a Gauss-Markov model
// (Koch, "Parameter Estimation and Hypothesis Testing in Linear Models",
// 1999, sec. 3.2.8). The 95 % radius is that of the circle around the
// ellipse's larger axis, k sigma0 sqrt(lambda_max(I + J Q J^T)), with the
// F-based factor k of PredictionFactor95 for sigma0's own uncertainty.
#include "geodesy/point_uncertainty.h"

#include "geodesy/geocentric.h"
#include "geodesy/models.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <cmath>
#include <limits>

namespace dezadiravevava {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kZone30 = 30.0;
constexpr double kOutsideProbability = 0.05;

// Rows of J for the east and north shifts of one point.
struct ShiftRows {
    double east[7] = {};
    double north[7] = {};
};

// The source side of a point as the transformation finds it: geodetic
// (h = 0 for a UTM point, which enters the 3D models on the ellipsoid).
GeodeticPosition SourcePosition(const CoordTriple& point, const EllipsoidConstants& k, int kind,
                                double zone) {
    switch (kind) {
    case kKindGeodetic:
        return {point.c1 * kRadiansPerDegree, Latitude::Of(point.c2 * kRadiansPerDegree), point.c3};
    case kKindUtm:
        return UtmToGeodetic(point.c1, point.c2, k, zone);
    default:
        return GeocentricToGeodetic(k, point.c1, point.c2, point.c3);
    }
}

// Helmert 3D: the geocentric shift rows (those of the adjustment) turned to
// the local east and north at the point.
ShiftRows HelmertRows(const GeodeticPosition& g, const EllipsoidConstants& k,
                      const ParameterSet& set) {
    const CoordTriple x = GeodeticToGeocentric(k, g.lambda, g.phi, g.h);
    const CoordTriple& s = set.source_centroid.geocentric();
    const double dx = x.c1 - s.c1, dy = x.c2 - s.c2, dz = x.c3 - s.c3;
    const HelmertDesignRows rows = HelmertDesign(dx, dy, dz);
    const double slam = std::sin(g.lambda), clam = std::cos(g.lambda);
    const double east[3] = {-slam, clam, 0.0};
    const double north[3] = {-g.phi.sin * clam, -g.phi.sin * slam, g.phi.cos};
    ShiftRows j;
    for (int c = 0; c < 7; ++c) {
        for (int i = 0; i < 3; ++i) {
            j.east[c] += east[i] * rows.row[i][c];
            j.north[c] += north[i] * rows.row[i][c];
        }
    }
    return j;
}

// Molodensky: the latitude and longitude rows, angles, times the arcs they
// span at the point (the metric scale of the adjustment's residuals).
ShiftRows MolodenskyRowsAt(const GeodeticPosition& g, const EllipsoidConstants& k,
                           const ParameterSet& set) {
    const CoordTriple& s = set.source_centroid.geodetic();
    const MolodenskyRows rows = MolodenskyDesign(g.lambda - s.c1, g.phi.radians - s.c2, g.h - s.c3,
                                                 set.params[5], set.params[6]);
    const double w = 1.0 - k.e2 * g.phi.sin * g.phi.sin;
    const double n = k.a / std::sqrt(w);                      // prime vertical radius
    const double m = k.a * (1.0 - k.e2) / (w * std::sqrt(w)); // meridian radius
    const double to_north = m + g.h;
    const double to_east = (n + g.h) * g.phi.cos;
    ShiftRows j;
    for (int c = 0; c < 5; ++c) {
        j.north[c] = rows.phi[c] * to_north;
        j.east[c] = rows.lambda[c] * to_east;
    }
    return j;
}

// 2D affine: the rows of the adjustment at the point's zone-30 position.
ShiftRows AffineRows(const CoordTriple& point, const GeodeticPosition& g,
                     const EllipsoidConstants& k, int kind, double zone, const ParameterSet& set) {
    double x = point.c1, y = point.c2;
    if (!(kind == kKindUtm && zone == kZone30)) {
        double zone30 = kZone30;
        const PlanePoint xy = GeodeticToUtm(g.lambda, g.phi, k, zone30);
        x = xy.x;
        y = xy.y;
    }
    const CoordTriple& s = set.source_centroid.geocentric();
    const double dx = x - s.c1, dy = y - s.c2;
    const AffineDesignRows rows = AffineDesign(dx, dy);
    ShiftRows j;
    for (int c = 0; c < 6; ++c) {
        j.east[c] = rows.row[0][c];
        j.north[c] = rows.row[1][c];
    }
    return j;
}

// Q v for a row of the fit's unknowns.
std::array<double, 7> TimesCofactors(const FitCovariance& fit, const double* v) {
    const int n = fit.unknowns;
    std::array<double, 7> out{};
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            out[static_cast<std::size_t>(r)] +=
                fit.cofactors[static_cast<std::size_t>(r * n + c)] * v[c];
        }
    }
    return out;
}

double Dot(const double* u, const std::array<double, 7>& v, int n) {
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        sum += u[k] * v[static_cast<std::size_t>(k)];
    }
    return sum;
}

} // namespace

double PredictionFactor95(int redundancy) {
    if (redundancy < 1) {
        return kNaN;
    }
    const double r = redundancy;
    return std::sqrt(r * (std::pow(kOutsideProbability, -2.0 / r) - 1.0));
}

FitCovariance WithRadiusScale(FitCovariance fit) {
    fit.radius_scale = PredictionFactor95(fit.redundancy) * std::sqrt(fit.sigma0_squared);
    return fit;
}

double HorizontalUncertainty95(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, const ParameterSet& set, int model) {
    if (datum_in == datum_out) {
        return 0.0;
    }
    if (set.uncertainty.fixed) {
        return *set.uncertainty.fixed;
    }
    if (!set.uncertainty.fit || set.uncertainty.fit->redundancy < 1) {
        return kNaN;
    }
    const FitCovariance& fit = *set.uncertainty.fit;
    const EllipsoidConstants& k = ConstantsOfRow(datum_in);
    const bool plane_input = model == kModelAffine2D && kind_in == kKindUtm && zone_in == kZone30;
    const GeodeticPosition g =
        plane_input ? GeodeticPosition{} : SourcePosition(point, k, kind_in, zone_in);
    ShiftRows j;
    switch (model) {
    case kModelHelmert:
        j = HelmertRows(g, k, set);
        break;
    case kModelMolodensky:
        j = MolodenskyRowsAt(g, k, set);
        break;
    case kModelAffine2D:
        j = AffineRows(point, g, k, kind_in, zone_in, set);
        break;
    default:
        return kNaN;
    }
    // I + J Q J^T and its larger eigenvalue.
    const std::array<double, 7> q_east = TimesCofactors(fit, j.east);
    const std::array<double, 7> q_north = TimesCofactors(fit, j.north);
    const double ee = 1.0 + Dot(j.east, q_east, fit.unknowns);
    const double nn = 1.0 + Dot(j.north, q_north, fit.unknowns);
    const double en = Dot(j.east, q_north, fit.unknowns);
    const double half_sum = 0.5 * (ee + nn), half_difference = 0.5 * (ee - nn);
    const double largest =
        half_sum + std::sqrt(half_difference * half_difference + en * en); // no overflow here
    return fit.radius_scale * std::sqrt(largest);
}

} // namespace dezadiravevava
