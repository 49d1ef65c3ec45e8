// The parameters of one datum transformation and the fixed national set.
#pragma once

#include "geodesy/datum_point.h"
#include "geodesy/geoid_grid.h"
#include "geodesy/ntv2_grid.h"
#include "geodesy/point_uncertainty.h"

#include <array>
#include <memory>

namespace dezadiravevava {

// Model codes.
inline constexpr int kModelHelmert = 0;
inline constexpr int kModelMolodensky = 1;
inline constexpr int kModelAffine2D = 2;
// The official grid: not a model a caller names, but the one the grid choice
// of parameters runs (whatever model was asked for).
inline constexpr int kModelGrid = 3;

// Coordinate kinds.
inline constexpr int kKindPlane = 0;
inline constexpr int kKindGeodetic = 1;
inline constexpr int kKindUtm = 2;
inline constexpr int kKindGeocentric = 3;

// Direction of the fixed national set.
inline constexpr int kDirectionEd50ToEtrs89 = 0;
inline constexpr int kDirectionEtrs89ToEd50 = 1;

// Slots of `params` by model:
//   Helmert 3D:   mu, Rx, Ry, Rz [rad], Tx, Ty, Tz [m]
//   Molodensky:   dX, dY, dZ [m], da [m], df, a and f of the source ellipsoid
//   2D affine:    p0 .. p5 (x' = xt + (1+p0) dx - p1 dy + p4, y' = yt + p2 dx + (1+p3) dy + p5), 0
struct ParameterSet {
    DatumPoint source_centroid; // reduction centre of the source coordinates
    DatumPoint target_centroid; // centre added back on the target side
    std::array<double, 7> params{};

    // The official ED50 -> ETRS89 grid, loaded for a run of the grid method
    // (model kModelGrid).
    std::shared_ptr<const Ntv2Grid> grid;
    // The geoid of a run with orthometric heights: when present, the third
    // coordinate of a UTM point is an orthometric height H (h = H + N on the
    // ETRS89 side). Absent, H is carried as a plain third coordinate.
    std::shared_ptr<const GeoidGrid> geoid;
    // With the geoid: the third coordinate of geodetic input (output) points
    // is an orthometric height too, as in EPSG:4258+5782 (ETRS89 with
    // Alicante heights); otherwise geodetic heights are ellipsoidal.
    bool orthometric_geodetic_in = false;
    bool orthometric_geodetic_out = false;

    // What the set knows of the accuracy of the points it carries: a fixed
    // figure (national set, grid) or the covariance of its adjustment.
    SetUncertainty uncertainty;
};

// Direction of a datum pair: ETRS89 -> ED50 exactly when source is 19 and
// target 14, ED50 -> ETRS89 for every other pair.
int DirectionOf(int source_datum, int target_datum);

// Loads the national set for Spain (EPSG:1632, "ED50 to ETRS89 (7)") of the
// given direction, with both centroids at the geocentre.
void SetSpainParameters(int direction, ParameterSet& set);

} // namespace dezadiravevava
