// The per-point transformation that the file processors call for every point.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"
#include "geodesy/utm.h"

namespace dezadiravevava {

inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kRadiansPerDegree = 0.017453292519943295;

// Carries one point from (datum_in, kind_in, zone_in) to (datum_out, kind_out,
// zone_out) with the run's parameter set and model.
//
// Geodetic triples are (longitude, latitude, h) in decimal degrees. Zones are
// doubles; zone_out below 1 hands the choice to `out_zone`: a zone of at least 1
// found there is used, otherwise the zone of the output longitude is computed and
// stored there. For UTM output the zone used is left in `out_zone`.
//
// Models: Helmert 3D, Molodensky, 2D affine, or the official grid
// (kModelGrid, set.grid), which moves longitude and latitude and keeps the
// ellipsoidal height, as a horizontal grid shift does.
//
// Heights without a geoid (set.geoid absent): the 3D models and the grid enter
// a UTM point with h = 0 (its H is orthometric and there is no geoid); the 2D
// affine model does not touch heights, so its third output is the input's own
// height.
//
// Orthometric heights (set.geoid present, a point with a third coordinate):
// the geoid relates the orthometric height H of a UTM point to the ellipsoidal
// height on the ETRS89 side of the run, h = H + N, with N taken at the ETRS89
// position (the geoid is referred to ETRS89):
//   UTM in, UTM out: H is kept (it does not depend on the datum).
//   UTM in, geodetic or geocentric out: the point enters the datum step with
//     the ellipsoidal height that the step carries to H + N on ETRS89 (on an
//     ETRS89 input that is H + N itself; on an ED50 input the grid and the
//     estimated sets change heights little, the national set by about 80 m).
//   Geodetic or geocentric in, UTM out: H = h - N from the point's ETRS89
//     ellipsoidal height (the output's on an ETRS89 output, the input's when
//     ETRS89 goes to ED50).
//   Between two ED50 systems there is no ETRS89 side: the ED50 position and
//     height stand in for it (h on ED50 is then H + N of EGM08-REDNAP).
// Geodetic and geocentric coordinates are ellipsoidal on both sides.
CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone);

// Whether a point could be transformed. The output of a refused point means
// nothing and must not be written. When several reasons apply, the first of
// domain, region and grid or geoid is the one given.
enum class PointStatus {
    kTransformed,
    kOutsideGrid,   // no sub-grid of the grid holds it
    kOutsideGeoid,  // the geoid has no value there
    kOutsideDomain, // coordinates no conversion takes (IsInDomain), or a result not finite
    kOutsideRegion, // outside the served region; given by the runs that test it, never
                    // by TransformPoint
};

// The reason a point was refused, for the log ("fuera de la rejilla").
const char* PointStatusText(PointStatus status);

// Whether the coordinates of a point of a kind are ones the conversions can
// take: finite values, and a geodetic latitude within ±90° and longitude
// within ±180°, or a UTM easting at most 1000 km from the central meridian
// (|x - 500000| <= 1000000 m). Geocentric and plane coordinates only need to
// be finite.
bool IsInDomain(const CoordTriple& point, int kind);

// Whether a run that checks the region refuses a point for it before
// transforming it: inside the domain, outside the served region
// (served_region.h). A point outside the domain is left to TransformPoint,
// whose reason comes first.
bool IsRefusedByRegion(const CoordTriple& point, int kind, double zone);

// TransformPoint that says whether the point could be transformed. A point
// outside the domain, or one whose result is not finite, is refused
// (kOutsideDomain) and its output is NaN; a point refused by the grid or the
// geoid gives zeros.
CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone, PointStatus& status);

// Whether the caller uses the height TransformPoint gives (the output's c3).
enum class OutputHeight {
    kWanted,
    kDiscarded, // the caller writes a height of its own (a UTM input's H)
};

// TransformPoint for a caller that may not use the height: with kDiscarded
// and no geoid, the output's c3 is whatever is cheapest (0 where working it
// out takes a computation of its own, as a last geocentric inverse does);
// the other coordinates and the status are bit for bit TransformPoint's.
CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone, PointStatus& status, OutputHeight height);

// Whether TransformUtmBlock can carry the points of a run: UTM on both sides,
// one datum of the national pair to the other, a 3D Helmert set (the
// national, a regional or a local one) and no geoid.
bool IsUtmBlockRun(int datum_in, int kind_in, int datum_out, int kind_out, const ParameterSet& set,
                   int model);

// TransformPoint with OutputHeight::kDiscarded for up to kUtmBlock UTM
// points of such a run (`zone_in` each point's zone): the block goes through
// each step of the conversion in turn rather than point by point, so that
// the work of neighbouring points overlaps in the processor. Each point's
// c1, c2, out zone and status are bit for bit TransformPoint's, and its c3 is
// 0.
void TransformUtmBlock(int n, const CoordTriple* points, const double* zone_in, int datum_in,
                       int datum_out, double zone_out, const ParameterSet& set, CoordTriple* out,
                       double* out_zone, PointStatus* status);

} // namespace dezadiravevava
