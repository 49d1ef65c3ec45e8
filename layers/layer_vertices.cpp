#include "layer_vertices.h"

namespace quillon::layers {

namespace {

// A VertexWalk sink (its context a vector of points) that appends the
// vertices walked.
void Gather(void* context, int n, double* x, double* y, double* z) {
    auto& points = *static_cast<std::vector<double>*>(context);
    for (int i = 0; i < n; ++i) {
        points.push_back(x[i]);
        points.push_back(y[i]);
        points.push_back(z ? z[i] : 0.0);
    }
}

} // namespace

void GatherVertices(OGRGeometry& geometry, std::vector<double>& points) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbLineString:
    case wkbCircularString: {
        const OGRSimpleCurve& curve = *geometry.toSimpleCurve();
        const std::size_t n = static_cast<std::size_t>(curve.getNumPoints());
        const std::size_t first = points.size();
        points.resize(first + 3 * n, 0.0); // a 2D curve's heights are 0, as in the walk
        double* p = points.data() + first;
        constexpr int kStride = 3 * sizeof(double);
        curve.getPoints(p, kStride, p + 1, kStride, curve.Is3D() ? p + 2 : nullptr, kStride);
        return;
    }
    case wkbPolygon:
    case wkbCurvePolygon: {
        OGRCurvePolygon& polygon = *geometry.toCurvePolygon();
        if (OGRCurve* ring = polygon.getExteriorRingCurve()) {
            GatherVertices(*ring, points);
        }
        for (int i = 0; i < polygon.getNumInteriorRings(); ++i) {
            GatherVertices(*polygon.getInteriorRingCurve(i), points);
        }
        return;
    }
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbMultiCurve:
    case wkbMultiSurface:
    case wkbGeometryCollection: {
        OGRGeometryCollection& collection = *geometry.toGeometryCollection();
        for (int i = 0; i < collection.getNumGeometries(); ++i) {
            GatherVertices(*collection.getGeometryRef(i), points);
        }
        return;
    }
    default: {
        VertexWalk walk(Gather, &points, nullptr);
        geometry.transform(&walk);
        return;
    }
    }
}

void Scatter(void* context, int n, double* x, double* y, double* z) {
    auto& batch = *static_cast<Batch*>(context);
    const double* p = batch.points.data() + batch.cursor * 3;
    for (int i = 0; i < n; ++i) {
        x[i] = p[3 * i];
        y[i] = p[3 * i + 1];
        if (z) {
            z[i] = p[3 * i + 2];
        }
    }
    batch.cursor += static_cast<std::size_t>(n);
}

namespace {

bool ScatterInto(OGRGeometry& geometry, Batch& batch, VertexWalk& walk) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbLineString:
    case wkbCircularString: {
        OGRSimpleCurve& curve = *geometry.toSimpleCurve();
        const int n = curve.getNumPoints();
        const double* p = batch.points.data() + batch.cursor * 3;
        if (curve.Is3D()) {
            for (int i = 0; i < n; ++i, p += 3) {
                curve.setPoint(i, p[0], p[1], p[2]);
            }
        } else {
            for (int i = 0; i < n; ++i, p += 3) {
                curve.setPoint(i, p[0], p[1]);
            }
        }
        batch.cursor += static_cast<std::size_t>(n);
        return true;
    }
    case wkbPolygon:
    case wkbCurvePolygon: {
        OGRCurvePolygon& polygon = *geometry.toCurvePolygon();
        if (OGRCurve* ring = polygon.getExteriorRingCurve()) {
            if (!ScatterInto(*ring, batch, walk)) {
                return false;
            }
        }
        for (int i = 0; i < polygon.getNumInteriorRings(); ++i) {
            if (!ScatterInto(*polygon.getInteriorRingCurve(i), batch, walk)) {
                return false;
            }
        }
        return true;
    }
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbMultiCurve:
    case wkbMultiSurface:
    case wkbGeometryCollection: {
        OGRGeometryCollection& collection = *geometry.toGeometryCollection();
        for (int i = 0; i < collection.getNumGeometries(); ++i) {
            if (!ScatterInto(*collection.getGeometryRef(i), batch, walk)) {
                return false;
            }
        }
        return true;
    }
    default:
        return geometry.transform(&walk) == OGRERR_NONE;
    }
}

} // namespace

bool ScatterVertices(OGRGeometry& geometry, Batch& batch, OGRSpatialReference* target) {
    VertexWalk walk(Scatter, &batch, target);
    if (!ScatterInto(geometry, batch, walk)) {
        return false;
    }
    geometry.assignSpatialReference(target);
    return true;
}

} // namespace quillon::layers
