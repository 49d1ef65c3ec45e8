#include "files/point_fields.h"

#include "files/number_format.h"
#include "geodesy/transform.h"

namespace dezadiravevava {

void AppendPointFields(std::string& out, int kind, const CoordTriple& point, double zone) {
    const int decimals = kind == kKindGeodetic ? 12 : 3;
    switch (kind) {
    case kKindGeocentric:
    case kKindUtm:
    case kKindGeodetic:
        for (const double value : {point.c1, point.c2, point.c3}) {
            out += '\t';
            AppendFixedPoint(out, value, decimals);
        }
        if (kind == kKindUtm) {
            out += '\t';
            AppendFixedPoint(out, zone, 0);
        }
        break;
    default:
        break;
    }
}

CoordTriple TransformFilePoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, int kind_out, double zone_out,
                               const ParameterSet& set, int model, double& out_zone,
                               PointStatus& status) {
    CoordTriple out = TransformPoint(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                     zone_out, set, model, out_zone, status);
    if (!set.geoid && kind_in == kKindUtm && (kind_out == kKindUtm || kind_out == kKindGeodetic)) {
        out.c3 = point.c3;
    }
    return out;
}

} // namespace dezadiravevava
