// The detail of a prepared parameter set for a surveyor who checks or reuses
// it: the vertices of the fit with their residuals, the parameters in EPSG's
// terms, and a PROJ pipeline that does what the run does.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"
#include "geodesy/vertex_search.h"

#include <optional>
#include <string>

namespace dezadiravevava {

// One side of a run: datum code, kind and UTM zone (0: each point's own zone
// on input, its natural zone on output).
struct RunSide {
    int datum = kDatumEd50;
    int kind = kKindUtm;
    double zone = 30.0;
};

// What the detail needs to know of the run besides its set.
struct FitRun {
    RunSide in;
    RunSide out;
    int parametros = 0; // kParameters...
    int model = 0;      // the model applied (kModelHelmert for the national set)
    // Centre of a local search, ED50 UTM zone 30.
    double origin_x = 0.0, origin_y = 0.0;
    // The run's UTM heights are orthometric, through the geoid.
    bool orthometric_heights = false;
    // The grid of the grid choice: its path as given, empty for the bundled one.
    std::string grid_path;
};

// A Helmert set in EPSG's terms, position-vector convention (EPSG methods
// 1033 and, about an evaluation point, 1061): translations [m], rotations
// [arc-seconds], scale difference [ppm], and the evaluation point (the source
// centroid, geocentric [m]; the geocentre for the national set). The set does
// x' = t + p + (1 + ds) R (x - p), R the linearised rotation.
struct EpsgHelmert {
    double tx = 0.0, ty = 0.0, tz = 0.0;
    double rx = 0.0, ry = 0.0, rz = 0.0;
    double ds = 0.0;
    CoordTriple pivot;
};
EpsgHelmert EpsgHelmertOf(const ParameterSet& set);

// An affine set in EPSG's terms (affine parametric transformation, EPSG
// method 9624) on zone-30 UTM coordinates of the two ellipsoids:
//   E' = a0 + a1 E + a2 N,   N' = b0 + b1 E + b2 N.
struct EpsgAffine {
    double a0 = 0.0, a1 = 1.0, a2 = 0.0;
    double b0 = 0.0, b1 = 0.0, b2 = 1.0;
};
EpsgAffine EpsgAffineOf(const ParameterSet& set);

// The PROJ pipeline (for cct or cs2cs; geodetic coordinates in degrees,
// longitude first) that carries points from run.in to run.out as the run does.
// A UTM side with zone 0 is written as zone 30. Nothing when PROJ has no
// equivalent (the centroid-reduced Molodensky formulas); `why` then says so.
std::optional<std::string> ProjPipeline(const FitRun& run, const ParameterSet& set,
                                        std::string* why = nullptr);

// The "Detalle del ajuste" block of the execution log, for the national set
// and for estimated sets (empty for the grid). `found` holds the vertices of
// the search, blunders included.
std::string FitDetailBlock(const FitRun& run, const FoundVertexList& found,
                           const ParameterSet& set);

} // namespace dezadiravevava
