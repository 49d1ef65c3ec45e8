#include "geodesy/transform.h"

#include "geodesy/geocentric.h"
#include "geodesy/models.h"
#include "geodesy/served_region.h"
#include "geodesy/utm.h"

#include <cmath>
#include <limits>
#include <optional>

namespace dezadiravevava {

namespace {

constexpr double kZone30 = 30.0;

// The limits of the coordinates the conversions take (IsInDomain).
constexpr double kLongitudeLimit = 180.0;   // degrees
constexpr double kLatitudeLimit = 90.0;     // degrees
constexpr double kFalseEasting = 500000.0;  // x of the central meridian
constexpr double kEastingReach = 1000000.0; // farthest x from it, metres

CoordTriple NotANumber() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return CoordTriple(nan, nan, nan);
}

// Orthometric heights on an ED50 input: passes of the height search and the
// miss at which it stops. The datum step changes heights by nearly the same
// amount whatever the height, so the second pass already lands within
// micrometres; the third confirms it.
constexpr int kMaxHeightPasses = 4;
constexpr double kHeightTolerance = 1e-6; // metres

bool IsNationalPair(int datum_in, int datum_out) {
    return (datum_in == kDatumEd50 && datum_out == kDatumEtrs89) ||
           (datum_in == kDatumEtrs89 && datum_out == kDatumEd50);
}

// The input as geodetic coordinates on its own ellipsoid. `utm_height` is the
// h given to a UTM input, whose H is not an ellipsoidal height. Plane
// coordinates are not transformed: they read as (0, 0, 0).
GeodeticPosition GeodeticOfInput(const CoordTriple& point, const EllipsoidConstants& k, int kind,
                                 double zone, double utm_height) {
    switch (kind) {
    case kKindGeodetic:
        return {point.c1 * kRadiansPerDegree, Latitude::Of(point.c2 * kRadiansPerDegree), point.c3};
    case kKindUtm: {
        GeodeticPosition g = UtmToGeodetic(point.c1, point.c2, k, zone);
        g.h = utm_height;
        return g;
    }
    case kKindGeocentric:
        return GeocentricToGeodetic(k, point.c1, point.c2, point.c3);
    default:
        return {};
    }
}

// The input as geocentric coordinates on its own ellipsoid.
CoordTriple GeocentricOfInput(const CoordTriple& point, const EllipsoidConstants& k, int kind,
                              double zone, double utm_height) {
    if (kind == kKindGeocentric) {
        return CoordTriple(point.c1, point.c2, point.c3);
    }
    if (kind == kKindUtm) {
        // The conversion takes the latitude's sine and cosine only.
        const GeodeticPosition g = UtmToGeodeticSines(point.c1, point.c2, k, zone);
        return GeodeticToGeocentric(k, g.lambda, g.phi, utm_height);
    }
    if (kind != kKindGeodetic) {
        return CoordTriple(0.0, 0.0, 0.0);
    }
    const GeodeticPosition g = GeodeticOfInput(point, k, kind, zone, utm_height);
    return GeodeticToGeocentric(k, g.lambda, g.phi, g.h);
}

// A point given geodetically on the target ellipsoid, in the output kind. For
// UTM the zone is zone_out when it is at least 1, else whatever the caller's
// out_zone holds (computed from the longitude when that is below 1).
CoordTriple OutputOfGeodetic(const GeodeticPosition& g, const EllipsoidConstants& k, int kind,
                             double zone_out, double& out_zone) {
    switch (kind) {
    case kKindGeodetic:
        return CoordTriple(g.lambda * kDegreesPerRadian, g.phi.radians * kDegreesPerRadian, g.h);
    case kKindUtm: {
        if (zone_out >= 1.0) {
            out_zone = zone_out;
        }
        const PlanePoint xy = GeodeticToUtm(g.lambda, g.phi, k, out_zone);
        return CoordTriple(xy.x, xy.y, g.h);
    }
    case kKindGeocentric:
        return GeodeticToGeocentric(k, g.lambda, g.phi, g.h);
    default:
        return CoordTriple();
    }
}

// A point given geocentrically on the target ellipsoid, in the output kind:
// geocentric output needs no conversion at all, and the projection no
// latitude angle. Without `height` the output's c3 is 0 where the height
// would cost a computation of its own.
CoordTriple OutputOfGeocentric(const CoordTriple& xyz, const EllipsoidConstants& k, int kind,
                               double zone_out, double& out_zone,
                               OutputHeight height = OutputHeight::kWanted) {
    if (kind == kKindGeocentric) {
        return CoordTriple(xyz.c1, xyz.c2, xyz.c3);
    }
    if (kind != kKindGeodetic && kind != kKindUtm) {
        return CoordTriple();
    }
    const GeodeticOmit omit = kind == kKindGeodetic ? GeodeticOmit::kNothing
                              : height == OutputHeight::kWanted
                                  ? GeodeticOmit::kLatitudeAngle
                                  : GeodeticOmit::kLatitudeAngleAndHeight;
    return OutputOfGeodetic(GeocentricToGeodetic(k, xyz.c1, xyz.c2, xyz.c3, omit), k, kind,
                            zone_out, out_zone);
}

// The point only re-expressed in another kind on its own ellipsoid: no
// detour through geocentric coordinates unless one side is geocentric.
CoordTriple Reexpress(const CoordTriple& point, const EllipsoidConstants& k, int kind_in,
                      double zone_in, int kind_out, double zone_out, double utm_height,
                      double& out_zone) {
    if (kind_in != kKindGeodetic && kind_in != kKindUtm) {
        return OutputOfGeocentric(GeocentricOfInput(point, k, kind_in, zone_in, utm_height), k,
                                  kind_out, zone_out, out_zone);
    }
    return OutputOfGeodetic(GeodeticOfInput(point, k, kind_in, zone_in, utm_height), k, kind_out,
                            zone_out, out_zone);
}

// Longitude, latitude and ellipsoidal height of a triple of a kind on a datum.
GeodeticPosition PositionOf(const CoordTriple& t, int datum, int kind, double zone) {
    const EllipsoidConstants& k = ConstantsOfRow(datum);
    switch (kind) {
    case kKindGeodetic:
        return {t.c1 * kRadiansPerDegree, Latitude::Of(t.c2 * kRadiansPerDegree), t.c3};
    case kKindUtm: {
        GeodeticPosition g = UtmToGeodetic(t.c1, t.c2, k, zone);
        g.h = t.c3;
        return g;
    }
    default:
        return GeocentricToGeodetic(k, t.c1, t.c2, t.c3);
    }
}

// `utm_height`, when given, is the ellipsoidal height of a UTM input, carried
// through instead of its H.
CoordTriple TransformAffine(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                            int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                            double& out_zone, std::optional<double> utm_height) {
    const EllipsoidConstants& source = ConstantsOfRow(datum_in);

    // Geodetic coordinates of a geocentric input, computed once (the zone-30
    // step takes any kind but 1 and 2 as geocentric). A geocentric input
    // carries its ellipsoidal height through the 2D transformation.
    GeodeticPosition geocentric_input;
    if (kind_in != kKindGeodetic && kind_in != kKindUtm) {
        geocentric_input = GeocentricToGeodetic(source, point.c1, point.c2, point.c3);
    }
    const double height = kind_in == kKindGeocentric          ? geocentric_input.h
                          : kind_in == kKindUtm && utm_height ? *utm_height
                                                              : point.c3;

    // Same datum: nothing to estimate or apply, the point is only re-expressed.
    if (datum_in == datum_out) {
        CoordTriple out =
            Reexpress(point, source, kind_in, zone_in, kind_out, zone_out, height, out_zone);
        if (kind_out != kKindGeocentric) {
            out.c3 = height;
        }
        return out;
    }

    // 1. Into zone 30 on the source ellipsoid.
    PlanePoint xy;
    if (kind_in == kKindUtm && zone_in == kZone30) {
        xy = {point.c1, point.c2};
    } else {
        double lambda = 0.0;
        Latitude phi;
        if (kind_in == kKindGeodetic) {
            lambda = point.c1 * kRadiansPerDegree;
            phi = Latitude::Of(point.c2 * kRadiansPerDegree);
        } else if (kind_in == kKindUtm) {
            const GeodeticPosition g = UtmToGeodetic(point.c1, point.c2, source, zone_in);
            lambda = g.lambda;
            phi = g.phi;
        } else {
            lambda = geocentric_input.lambda;
            phi = geocentric_input.phi;
        }
        double zone = kZone30;
        xy = GeodeticToUtm(lambda, phi, source, zone);
        out_zone = kZone30;
    }

    // 2. The affine step.
    const CoordTriple moved = ApplyAffine2D(CoordTriple(xy.x, xy.y, 0.0), set);

    // 3. Out of zone 30 on the target ellipsoid.
    if (kind_out == kKindUtm && zone_out == kZone30) {
        out_zone = kZone30;
        return CoordTriple(moved.c1, moved.c2, height);
    }
    const EllipsoidConstants& target = ConstantsOfRow(datum_out);
    const GeodeticPosition g = UtmToGeodetic(moved.c1, moved.c2, target, kZone30);
    switch (kind_out) {
    case kKindGeodetic:
        return CoordTriple(g.lambda * kDegreesPerRadian, g.phi.radians * kDegreesPerRadian, height);
    case kKindUtm: {
        out_zone = zone_out;
        const PlanePoint out = GeodeticToUtm(g.lambda, g.phi, target, out_zone);
        return CoordTriple(out.x, out.y, height);
    }
    case kKindGeocentric:
        return GeodeticToGeocentric(target, g.lambda, g.phi, height);
    default:
        return CoordTriple();
    }
}

// One point through the run's method. `utm_height`, when given, is the
// ellipsoidal height with which a UTM input enters (otherwise 0 for the 3D
// models and the grid, its own c3 for the affine model).
CoordTriple Carry(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                  int datum_out, int kind_out, double zone_out, const ParameterSet& set, int model,
                  double& out_zone, std::optional<double> utm_height, PointStatus& status,
                  OutputHeight height = OutputHeight::kWanted) {
    status = PointStatus::kTransformed;
    if (model == kModelAffine2D) {
        return TransformAffine(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out,
                               set, out_zone, utm_height);
    }

    // 3D models and the grid. Each side's ellipsoid constants come from the
    // table, computed once for the whole run.
    const double h = utm_height.value_or(0.0);
    const EllipsoidConstants& source = ConstantsOfRow(datum_in);
    const EllipsoidConstants& target = ConstantsOfRow(datum_out);
    if (datum_in == datum_out) {
        // Re-expression only; no parameters apply.
        return Reexpress(point, source, kind_in, zone_in, kind_out, zone_out, h, out_zone);
    }
    if (!IsNationalPair(datum_in, datum_out)) {
        // The engine knows no transformation between other datum pairs: the
        // geocentric coordinates are kept and read on the other ellipsoid.
        return OutputOfGeocentric(GeocentricOfInput(point, source, kind_in, zone_in, h), target,
                                  kind_out, zone_out, out_zone, height);
    }
    if (model == kModelGrid) {
        // A horizontal shift: the ellipsoidal height goes through unchanged.
        const GeodeticPosition g = GeodeticOfInput(point, source, kind_in, zone_in, h);
        double lambda = g.lambda, phi = g.phi.radians;
        const bool inside = set.grid && (datum_in == kDatumEd50 ? set.grid->Forward(lambda, phi)
                                                                : set.grid->Inverse(lambda, phi));
        if (!inside) {
            status = PointStatus::kOutsideGrid;
            return CoordTriple();
        }
        return OutputOfGeodetic({lambda, Latitude::Of(phi), g.h}, target, kind_out, zone_out,
                                out_zone);
    }
    if (model == kModelMolodensky) {
        const GeodeticPosition g = GeodeticOfInput(point, source, kind_in, zone_in, h);
        const CoordTriple moved = ApplyMolodensky(CoordTriple(g.lambda, g.phi.radians, g.h), set);
        return OutputOfGeodetic({moved.c1, Latitude::Of(moved.c2), moved.c3}, target, kind_out,
                                zone_out, out_zone);
    }
    const CoordTriple moved =
        ApplyHelmert(GeocentricOfInput(point, source, kind_in, zone_in, h), set);
    return OutputOfGeocentric(moved, target, kind_out, zone_out, out_zone, height);
}

// Carry with orthometric heights on UTM points (see transform.h).
CoordTriple CarryOrthometric(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                             int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                             int model, double& out_zone, PointStatus& status) {
    const auto carry = [&](std::optional<double> utm_height) {
        return Carry(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out, set, model,
                     out_zone, utm_height, status);
    };
    const auto undulation = [&](const GeodeticPosition& p, double& n) {
        if (set.geoid->UndulationAt(p.lambda, p.phi.radians, n)) {
            return true;
        }
        status = PointStatus::kOutsideGeoid;
        return false;
    };
    // Where the geoid applies: the ETRS89 side, or the one datum of the run.
    const bool geoid_on_input = datum_in == kDatumEtrs89 || datum_in == datum_out;
    double n = 0.0;

    if (kind_in == kKindUtm && kind_out == kKindUtm) {
        CoordTriple out = carry(std::nullopt);
        out.c3 = point.c3; // H does not depend on the datum
        return out;
    }
    if (kind_in == kKindUtm) {
        const double orthometric = point.c3;
        if (geoid_on_input) {
            if (!undulation(PositionOf(point, datum_in, kind_in, zone_in), n)) {
                return CoordTriple();
            }
            return carry(orthometric + n);
        }
        // ED50 in, ETRS89 out: search the ED50 height that lands on H + N.
        double h_in = orthometric;
        CoordTriple out;
        for (int pass = 0; pass < kMaxHeightPasses; ++pass) {
            out = carry(h_in);
            if (status != PointStatus::kTransformed) {
                return out;
            }
            const GeodeticPosition p = PositionOf(out, datum_out, kind_out, out_zone);
            if (!undulation(p, n)) {
                return CoordTriple();
            }
            const double miss = orthometric + n - p.h;
            if (std::abs(miss) <= kHeightTolerance) {
                break;
            }
            h_in += miss;
        }
        return out;
    }
    // An ellipsoidal height in, an orthometric height out.
    CoordTriple out = carry(std::nullopt);
    if (status != PointStatus::kTransformed) {
        return out;
    }
    const bool etrs_to_ed50 = datum_in == kDatumEtrs89 && datum_out != kDatumEtrs89;
    const GeodeticPosition p = etrs_to_ed50 ? PositionOf(point, datum_in, kind_in, zone_in)
                                            : PositionOf(out, datum_out, kind_out, out_zone);
    if (!undulation(p, n)) {
        return CoordTriple();
    }
    out.c3 = p.h - n;
    return out;
}

} // namespace

const char* PointStatusText(PointStatus status) {
    switch (status) {
    case PointStatus::kOutsideGrid:
        return "fuera de la rejilla";
    case PointStatus::kOutsideGeoid:
        return "fuera del geoide";
    case PointStatus::kOutsideDomain:
        return "fuera del dominio de las coordenadas";
    case PointStatus::kOutsideRegion:
        return "fuera de la región de cálculo";
    default:
        return "";
    }
}

bool IsInDomain(const CoordTriple& point, int kind) {
    if (!std::isfinite(point.c1) || !std::isfinite(point.c2) || !std::isfinite(point.c3)) {
        return false;
    }
    switch (kind) {
    case kKindGeodetic:
        return std::fabs(point.c1) <= kLongitudeLimit && std::fabs(point.c2) <= kLatitudeLimit;
    case kKindUtm:
        return std::fabs(point.c1 - kFalseEasting) <= kEastingReach;
    default:
        return true;
    }
}

bool IsRefusedByRegion(const CoordTriple& point, int kind, double zone) {
    return IsInDomain(point, kind) && !IsInServedRegion(point, kind, zone);
}

namespace {

// TransformPoint with orthometric heights on UTM points only.
CoordTriple TransformPointWithUtmHeights(const CoordTriple& point, int datum_in, int kind_in,
                                         double zone_in, int datum_out, int kind_out,
                                         double zone_out, const ParameterSet& set, int model,
                                         double& out_zone, PointStatus& status,
                                         OutputHeight height = OutputHeight::kWanted) {
    if (!IsInDomain(point, kind_in)) {
        status = PointStatus::kOutsideDomain;
        return NotANumber();
    }
    const bool orthometric =
        set.geoid && point.has_c3 && (kind_in == kKindUtm || kind_out == kKindUtm);
    const CoordTriple out =
        orthometric ? CarryOrthometric(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                       zone_out, set, model, out_zone, status)
                    : Carry(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out, set,
                            model, out_zone, std::nullopt, status, height);
    if (status == PointStatus::kTransformed &&
        !(std::isfinite(out.c1) && std::isfinite(out.c2) && std::isfinite(out.c3))) {
        status = PointStatus::kOutsideDomain;
        return NotANumber();
    }
    return out;
}

} // namespace

CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone, PointStatus& status) {
    const bool orthometric_in = set.orthometric_geodetic_in && kind_in == kKindGeodetic;
    const bool orthometric_out = set.orthometric_geodetic_out && kind_out == kKindGeodetic;
    if (!set.geoid || !point.has_c3 || (!orthometric_in && !orthometric_out)) {
        return TransformPointWithUtmHeights(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                            zone_out, set, model, out_zone, status);
    }
    // Geodetic points with orthometric heights: h = H + N where they come in,
    // H = h - N where they go out, the geoid read at their own position.
    double n = 0.0;
    CoordTriple in = point;
    if (orthometric_in) {
        if (!IsInDomain(point, kind_in)) {
            status = PointStatus::kOutsideDomain;
            return NotANumber();
        }
        if (!set.geoid->UndulationAt(point.c1 * kRadiansPerDegree, point.c2 * kRadiansPerDegree,
                                     n)) {
            status = PointStatus::kOutsideGeoid;
            return NotANumber();
        }
        in.c3 = point.c3 + n;
    }
    CoordTriple out =
        TransformPointWithUtmHeights(in, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out,
                                     set, model, out_zone, status);
    if (status == PointStatus::kTransformed && orthometric_out) {
        if (!set.geoid->UndulationAt(out.c1 * kRadiansPerDegree, out.c2 * kRadiansPerDegree, n)) {
            status = PointStatus::kOutsideGeoid;
            return NotANumber();
        }
        out.c3 -= n;
    }
    return out;
}

CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone, PointStatus& status, OutputHeight height) {
    if (height == OutputHeight::kWanted || set.geoid) {
        return TransformPoint(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out, set,
                              model, out_zone, status);
    }
    return TransformPointWithUtmHeights(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                        zone_out, set, model, out_zone, status, height);
}

CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone) {
    PointStatus status = PointStatus::kTransformed;
    return TransformPoint(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out, set,
                          model, out_zone, status);
}

bool IsUtmBlockRun(int datum_in, int kind_in, int datum_out, int kind_out, const ParameterSet& set,
                   int model) {
    return kind_in == kKindUtm && kind_out == kKindUtm && IsNationalPair(datum_in, datum_out) &&
           model != kModelAffine2D && model != kModelGrid && model != kModelMolodensky &&
           !set.geoid;
}

void TransformUtmBlock(int n, const CoordTriple* points, const double* zone_in, int datum_in,
                       int datum_out, double zone_out, const ParameterSet& set, CoordTriple* out,
                       double* out_zone, PointStatus* status) {
    const EllipsoidConstants& source = ConstantsOfRow(datum_in);
    const EllipsoidConstants& target = ConstantsOfRow(datum_out);
    // The points inside the domain, by their place in the block.
    int taken[kUtmBlock];
    double x[kUtmBlock];
    double y[kUtmBlock];
    double zone[kUtmBlock];
    int m = 0;
    for (int i = 0; i < n; ++i) {
        out_zone[i] = zone_out;
        if (IsInDomain(points[i], kKindUtm)) {
            taken[m] = i;
            x[m] = points[i].c1;
            y[m] = points[i].c2;
            zone[m] = zone_in[i];
            ++m;
        } else {
            status[i] = PointStatus::kOutsideDomain;
            out[i] = NotANumber();
        }
    }
    // The same steps as Carry's for these runs (a UTM input enters with h =
    // 0), each over the whole block.
    GeodeticPosition g[kUtmBlock];
    CoordTriple xyz[kUtmBlock];
    UtmToGeodeticSines(m, x, y, zone, source, g);
    for (int j = 0; j < m; ++j) {
        xyz[j] = ApplyHelmert(GeodeticToGeocentric(source, g[j].lambda, g[j].phi, 0.0), set);
    }
    for (int j = 0; j < m; ++j) {
        g[j] = GeocentricToGeodetic(target, xyz[j].c1, xyz[j].c2, xyz[j].c3,
                                    GeodeticOmit::kLatitudeAngleAndHeight);
    }
    double lambda[kUtmBlock];
    Latitude phi[kUtmBlock];
    double zone_used[kUtmBlock];
    PlanePoint xy[kUtmBlock];
    for (int j = 0; j < m; ++j) {
        lambda[j] = g[j].lambda;
        phi[j] = g[j].phi;
        zone_used[j] = zone_out;
    }
    GeodeticToUtm(m, lambda, phi, target, zone_used, xy);
    for (int j = 0; j < m; ++j) {
        const int i = taken[j];
        out_zone[i] = zone_used[j];
        if (std::isfinite(xy[j].x) && std::isfinite(xy[j].y) && std::isfinite(g[j].h)) {
            status[i] = PointStatus::kTransformed;
            out[i] = CoordTriple(xy[j].x, xy[j].y, g[j].h);
        } else {
            status[i] = PointStatus::kOutsideDomain;
            out[i] = NotANumber();
        }
    }
}

} // namespace dezadiravevava
