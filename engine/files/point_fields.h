// One transformed point as the TXT point files carry it.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"

#include <string>

namespace dezadiravevava {

// Appends the coordinate fields of an output line, each preceded by a TAB:
//   geocentric  X, Y, Z with 3 decimals
//   UTM         x, y, H with 3 decimals, then the zone with 0 decimals ("30.")
//   geodetic    longitude, latitude and h with 12 decimals
//   plane       nothing
void AppendPointFields(std::string& out, int kind, const CoordTriple& point, double zone);

// TransformPoint with the height rule of the point files: without a geoid, a
// UTM input keeps its own height H in a UTM or geodetic output (the 3D models
// enter it with h = 0, so the transformed height would be meaningless). With
// a geoid (orthometric heights) the heights are TransformPoint's own.
CoordTriple TransformFilePoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, int kind_out, double zone_out,
                               const ParameterSet& set, int model, double& out_zone,
                               PointStatus& status);

} // namespace dezadiravevava
