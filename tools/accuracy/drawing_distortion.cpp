// How far a datum change bends a drawing: the largest rotation and scale
// change that carrying ED50 UTM into ETRS89 UTM of the same zone applies to
// the plane, over Andalusia, for each way of preparing the parameters.
//
// A drawing keeps its radii, rotations, scales and direction vectors while
// its points move; this is the error that doing so leaves. At each node of a
// 0.1-degree grid over the region (36.0 to 38.8 N, 7.6 to 1.6 W, in the
// zone of its own longitude, 29 or 30), the Jacobian J of the plane map
// (x, y) -> (x', y') is taken by central differences 10 m wide; its
// rotation is atan2(J21 - J12, J11 + J22) and its scale change
// sqrt(det J) - 1 (both near zero: the map is a near-identity).
//
// Usage: drawing_distortion
#include "geodesy/ellipsoid.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace dezadiravevava;

constexpr double kStep = 10.0; // metres, half the width of the differences
constexpr double kArcSecondsPerRadian = 206264.80624709636;

struct Method {
    std::string name;
    int model;
    int parametros;
    double selection;
};

struct Worst {
    double rotation = 0.0; // radians
    double scale = 0.0;    // relative
};

PlanePoint Carry(double x, double y, double zone, const ParameterSet& set, int model) {
    double out_zone = zone;
    const CoordTriple out = TransformPoint(CoordTriple(x, y, kNoThird), kDatumEd50, kKindUtm, zone,
                                           kDatumEtrs89, kKindUtm, zone, set, model, out_zone);
    return {out.c1, out.c2};
}

// Rotation and scale change of the map at (x, y).
Worst Distortion(double x, double y, double zone, const ParameterSet& set, int model) {
    const PlanePoint east = Carry(x + kStep, y, zone, set, model);
    const PlanePoint west = Carry(x - kStep, y, zone, set, model);
    const PlanePoint north = Carry(x, y + kStep, zone, set, model);
    const PlanePoint south = Carry(x, y - kStep, zone, set, model);
    const double j11 = (east.x - west.x) / (2 * kStep), j21 = (east.y - west.y) / (2 * kStep);
    const double j12 = (north.x - south.x) / (2 * kStep), j22 = (north.y - south.y) / (2 * kStep);
    return {std::atan2(j21 - j12, j11 + j22), std::sqrt(j11 * j22 - j12 * j21) - 1.0};
}

} // namespace

int main() {
    const std::vector<Method> methods = {
        {"national set (EPSG:1632)", kModelHelmert, kParametersSpain, 0},
        {"regional Helmert 3D", kModelHelmert, kParametersAndalusia, 0},
        {"regional Molodensky", kModelMolodensky, kParametersAndalusia, 0},
        {"regional 2D affine", kModelAffine2D, kParametersAndalusia, 0},
        {"local Helmert 3D, 5 nearest", kModelHelmert, kParametersByNumber, 5},
        {"local 2D affine, 5 nearest", kModelAffine2D, kParametersByNumber, 5},
    };
    const Ellipsoid& ed50 = EllipsoidRow(kDatumEd50);
    std::printf("%-30s %22s %18s\n", "method", "largest rotation", "largest scale");
    for (const Method& method : methods) {
        Worst worst;
        ParameterSet set;
        FoundVertexList found;
        int model = method.model;
        const bool local = method.parametros == kParametersByNumber;
        if (!local &&
            !PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, method.parametros,
                               method.selection, 0, 0, 0, 30, found, set, nullptr, true)) {
            std::printf("%-30s cannot be prepared\n", method.name.c_str());
            continue;
        }
        for (double lat = 36.0; lat <= 38.8 + 1e-9; lat += 0.1) {
            for (double lon = -7.6; lon <= -1.6 + 1e-9; lon += 0.1) {
                double zone = 0; // the zone of the node's own longitude
                const PlanePoint node =
                    GeodeticToUtm(lon * kRadiansPerDegree, lat * kRadiansPerDegree, ed50, zone);
                if (local) {
                    // A local fit around the node itself, as a run on a
                    // drawing there would make it.
                    double zone30 = 30;
                    const PlanePoint centre = GeodeticToUtm(lon * kRadiansPerDegree,
                                                            lat * kRadiansPerDegree, ed50, zone30);
                    model = method.model;
                    if (!PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model,
                                           method.parametros, method.selection, centre.x, centre.y,
                                           0, 30, found, set, nullptr, true)) {
                        continue;
                    }
                }
                const Worst here = Distortion(node.x, node.y, zone, set, model);
                if (std::fabs(here.rotation) > std::fabs(worst.rotation)) {
                    worst.rotation = here.rotation;
                }
                if (std::fabs(here.scale) > std::fabs(worst.scale)) {
                    worst.scale = here.scale;
                }
            }
        }
        std::printf("%-30s %8.2f µrad (%5.2f\") %11.2f ppm\n", method.name.c_str(),
                    worst.rotation * 1e6, worst.rotation * kArcSecondsPerRadian, worst.scale * 1e6);
    }
    return 0;
}
