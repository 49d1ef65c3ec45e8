// The vertices of a layer's geometries as the engine takes them: gathered
// into one array of (x, y, z), transformed there, and scattered back into
// the geometries in the same order.
#pragma once

#include "layer_gdal.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ogrsf_frmts.h>
#include <vector>

namespace quillon::layers {

// A coordinate transformation that hands the vertices of a geometry to a
// sink: GDAL's own walk over every kind of geometry (curves, surfaces,
// collections) reaches each simple curve and point with it.
class VertexWalk : public OGRCoordinateTransformation {
public:
    using Sink = void (*)(void* context, int n, double* x, double* y, double* z);
    VertexWalk(Sink sink, void* context, OGRSpatialReference* target)
        : sink_(sink), context_(context), target_(target) {}
    OGRSpatialReference* GetSourceCS() override { return nullptr; }
    OGRSpatialReference* GetTargetCS() override { return target_; }
    int Transform(int n, double* x, double* y, double* z, double*, int* success) override {
        sink_(context_, n, x, y, z);
        if (success) {
            std::fill(success, success + n, TRUE);
        }
        return TRUE;
    }
    OGRCoordinateTransformation* Clone() const override { return new VertexWalk(*this); }
    OGRCoordinateTransformation* GetInverse() const override { return nullptr; }

private:
    Sink sink_;
    void* context_;
    OGRSpatialReference* target_;
};

// Features read but not yet written, with their vertices (x, y, z) in one
// array for the engine.
struct Batch {
    std::vector<Feature> features;
    std::vector<std::size_t> first{0}; // each feature's first vertex; then the end
    std::vector<bool> unreadable;      // its geometry could not be read
    std::vector<double> points;
    std::vector<std::int32_t> status;
    std::size_t cursor = 0; // the vertex the writing walk gives next
    double seconds = 0.0;   // the engine's time on it
};

// Appends the vertices of a geometry to `points` in the order GDAL's own
// walk (OGRGeometry::transform) gives them to Scatter, reading the lines and
// rings straight into the array; the kinds it does not know go through that
// walk.
void GatherVertices(OGRGeometry& geometry, std::vector<double>& points);

// A VertexWalk sink (its context a Batch) that gives the geometry walked the
// batch's transformed vertices from its cursor on, and moves the cursor.
void Scatter(void* context, int n, double* x, double* y, double* z);

// Gives a geometry the batch's transformed vertices from its cursor on, in
// the order GatherVertices took them, moves the cursor, and gives the
// geometry `target` as its system: lines and rings are written straight from
// the array (their M values and dimensions untouched), the kinds
// GatherVertices left to GDAL's walk go through it again. False when that
// walk fails.
bool ScatterVertices(OGRGeometry& geometry, Batch& batch, OGRSpatialReference* target);

} // namespace quillon::layers
