// The per-point transformation that the file processors call for every point.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"

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
// Heights: the 3D models enter a UTM point with h = 0 (its H is orthometric and
// there is no geoid); the 2D affine model does not touch heights, so its third
// output is the input's own height.
CoordTriple TransformPoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                           int datum_out, int kind_out, double zone_out, const ParameterSet& set,
                           int model, double& out_zone);

} // namespace dezadiravevava
