// How well the vertices of a local fit cover the points it transforms: points
// far from every vertex used, or outside the polygon around them, are
// extrapolated rather than interpolated, and the fit says little there.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"
#include "geodesy/utm.h"
#include "geodesy/vertex_catalogue.h"

#include <span>
#include <string>
#include <vector>

namespace dezadiravevava {

// A point farther than this from the nearest vertex used is far from the fit.
inline constexpr double kFarFromVertices = 25000.0; // metres, planimetric

// What the points of a run (or of one block of them) add up to.
struct CoverageTally {
    long long far = 0;     // points farther than kFarFromVertices from every vertex
    double farthest = 0.0; // the largest of those distances, metres
    long long outside = 0; // points outside the convex hull of the vertices

    void Add(const CoverageTally& other);
};

class VertexCoverage {
public:
    // `vertices`: the vertices used by the fit; `datum`: the source datum of
    // the run, whose catalogue positions (UTM zone 30) the points are compared
    // with.
    VertexCoverage(std::span<const VertexRecord> vertices, int datum);

    // Counts a point given as the run's input has it (datum, kind, zone).
    void Count(const CoordTriple& point, int kind, double zone, CoverageTally& tally) const;
    // Counts a point already in the source datum's UTM zone 30.
    void Count(PlanePoint point, CoverageTally& tally) const;

private:
    bool Inside(PlanePoint point) const;

    int datum_;
    ParameterSet plain_; // no parameters, no geoid: only re-expression
    std::vector<PlanePoint> vertices_;
    std::vector<PlanePoint> hull_; // counter-clockwise, no repeated corner
};

// The log lines (UTF-8, no line end) of a tally: none when every point is
// near the vertices and inside their polygon.
//   "Aviso: 37 puntos a más de 25 km del vértice empleado más cercano (máximo 131 km)"
//   "Aviso: 12 puntos fuera del polígono de los vértices empleados"
std::vector<std::string> CoverageWarnings(const CoverageTally& tally);

} // namespace dezadiravevava
