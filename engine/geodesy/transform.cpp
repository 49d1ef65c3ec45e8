#include "geodesy/transform.h"

#include "geodesy/models.h"
#include "geodesy/utm.h"

namespace dezadiravevava {

namespace {

constexpr double kZone30 = 30.0;

bool IsNationalPair(int datum_in, int datum_out) {
    return (datum_in == kDatumEd50 && datum_out == kDatumEtrs89) ||
           (datum_in == kDatumEtrs89 && datum_out == kDatumEd50);
}

// The input as a point on its own ellipsoid. `utm_height` is the h given to a
// UTM input, whose H is not an ellipsoidal height.
DatumPoint InputPoint(const CoordTriple& point, int datum, int kind, double zone,
                      double utm_height) {
    DatumPoint p(EllipsoidRow(datum));
    switch (kind) {
    case kKindGeodetic:
        p.SetGeodetic(point.c1 * kRadiansPerDegree, point.c2 * kRadiansPerDegree, point.c3);
        break;
    case kKindUtm: {
        const GeodeticAngles g = UtmToGeodetic(point.c1, point.c2, p.ellipsoid(), zone);
        p.SetGeodetic(g.lambda, g.phi, utm_height);
        break;
    }
    case kKindGeocentric:
        p.SetGeocentric(point.c1, point.c2, point.c3);
        break;
    default:
        break; // plane coordinates are not transformed
    }
    return p;
}

// The point expressed in the output kind. For UTM the zone is zone_out when it
// is at least 1, else whatever the caller's out_zone holds (computed from the
// longitude when that is below 1).
CoordTriple OutputOf(const DatumPoint& p, int kind, double zone_out, double& out_zone) {
    const CoordTriple& g = p.geodetic();
    switch (kind) {
    case kKindGeodetic:
        return CoordTriple(g.c1 * kDegreesPerRadian, g.c2 * kDegreesPerRadian, g.c3);
    case kKindUtm: {
        if (zone_out >= 1.0) {
            out_zone = zone_out;
        }
        const PlanePoint xy = GeodeticToUtm(g.c1, g.c2, p.ellipsoid(), out_zone);
        return CoordTriple(xy.x, xy.y, g.c3);
    }
    case kKindGeocentric:
        return p.geocentric();
    default:
        return CoordTriple();
    }
}

// Height of the input that a 2D transformation carries through unchanged:
// c3 of a geodetic or UTM point, the ellipsoidal height of a geocentric one.
double InputHeight(const CoordTriple& point, int datum, int kind) {
    if (kind == kKindGeocentric) {
        DatumPoint p(EllipsoidRow(datum));
        p.SetGeocentric(point.c1, point.c2, point.c3);
        return p.geodetic().c3;
    }
    return point.c3;
}

CoordTriple TransformAffine(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                            int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                            double& out_zone) {
    const double height = InputHeight(point, datum_in, kind_in);

    // Same datum: nothing to estimate or apply, the point is only re-expressed.
    if (datum_in == datum_out) {
        const DatumPoint p = InputPoint(point, datum_in, kind_in, zone_in, height);
        CoordTriple out = OutputOf(p, kind_out, zone_out, out_zone);
        if (kind_out != kKindGeocentric) {
            out.c3 = height;
        }
        return out;
    }

    // 1. Into zone 30 on the source ellipsoid.
    const Ellipsoid& source = EllipsoidRow(datum_in);
    PlanePoint xy;
    if (kind_in == kKindUtm && zone_in == kZone30) {
        xy = {point.c1, point.c2};
    } else {
        GeodeticAngles g;
        if (kind_in == kKindGeodetic) {
            g = {point.c1 * kRadiansPerDegree, point.c2 * kRadiansPerDegree};
        } else if (kind_in == kKindUtm) {
            g = UtmToGeodetic(point.c1, point.c2, source, zone_in);
        } else { // geocentric
            DatumPoint p(source);
            p.SetGeocentric(point.c1, point.c2, point.c3);
            g = {p.geodetic().c1, p.geodetic().c2};
        }
        double zone = kZone30;
        xy = GeodeticToUtm(g.lambda, g.phi, source, zone);
        out_zone = kZone30;
    }

    // 2. The affine step.
    const CoordTriple moved = ApplyAffine2D(CoordTriple(xy.x, xy.y, 0.0), set);

    // 3. Out of zone 30 on the target ellipsoid.
    const Ellipsoid& target = EllipsoidRow(datum_out);
    if (kind_out == kKindUtm && zone_out == kZone30) {
        out_zone = kZone30;
        return CoordTriple(moved.c1, moved.c2, height);
    }
    const GeodeticAngles g = UtmToGeodetic(moved.c1, moved.c2, target, kZone30);
    switch (kind_out) {
    case kKindGeodetic:
        return CoordTriple(g.lambda * kDegreesPerRadian, g.phi * kDegreesPerRadian, height);
    case kKindUtm: {
        out_zone = zone_out;
        const PlanePoint out = GeodeticToUtm(g.lambda, g.phi, target, out_zone);
        return CoordTriple(out.x, out.y, height);
    }
    case kKindGeocentric: {
        DatumPoint p(target);
        p.SetGeodetic(g.lambda, g.phi, height);
        return p.geocentric();
    }
    default:
        return CoordTriple();
    }
}

} // namespace

CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone) {
    if (model == kModelAffine2D) {
        return TransformAffine(point, datum_in, kind_in, zone_in, datum_out, kind_out, zone_out,
                               set, out_zone);
    }

    // 3D models. A UTM input enters with h = 0.
    const DatumPoint source = InputPoint(point, datum_in, kind_in, zone_in, 0.0);
    DatumPoint target(EllipsoidRow(datum_out));
    if (datum_in == datum_out || !IsNationalPair(datum_in, datum_out)) {
        // Re-expression only; no parameters apply (the engine knows no
        // transformation between other datum pairs).
        const CoordTriple& xyz = source.geocentric();
        target.SetGeocentric(xyz.c1, xyz.c2, xyz.c3);
    } else if (model == kModelMolodensky) {
        const CoordTriple g = ApplyMolodensky(source.geodetic(), set);
        target.SetGeodetic(g.c1, g.c2, g.c3);
    } else {
        const CoordTriple xyz = ApplyHelmert(source.geocentric(), set);
        target.SetGeocentric(xyz.c1, xyz.c2, xyz.c3);
    }
    return OutputOf(target, kind_out, zone_out, out_zone);
}

} // namespace dezadiravevava
