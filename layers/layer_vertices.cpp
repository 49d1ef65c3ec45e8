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

// Calls `curve` on each line and ring of a geometry, and `other` on each part
// of another kind (points, compound curves, surfaces...), in the order in
// which GDAL's own walk (OGRGeometry::transform) reaches their vertices;
// stops at the first call that returns false, and returns false then.
template <typename Curve, typename Other>
bool ForEachPart(OGRGeometry& geometry, Curve& curve, Other& other) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbLineString:
    case wkbCircularString:
        return curve(*geometry.toSimpleCurve());
    case wkbPolygon:
    case wkbCurvePolygon: {
        OGRCurvePolygon& polygon = *geometry.toCurvePolygon();
        if (OGRCurve* ring = polygon.getExteriorRingCurve()) {
            if (!ForEachPart(*ring, curve, other)) {
                return false;
            }
        }
        for (int i = 0; i < polygon.getNumInteriorRings(); ++i) {
            if (!ForEachPart(*polygon.getInteriorRingCurve(i), curve, other)) {
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
            if (!ForEachPart(*collection.getGeometryRef(i), curve, other)) {
                return false;
            }
        }
        return true;
    }
    default:
        return other(geometry);
    }
}

} // namespace

void GatherVertices(OGRGeometry& geometry, std::vector<double>& points) {
    // Lines and rings straight into the array.
    auto curve = [&points](const OGRSimpleCurve& line) {
        const std::size_t n = static_cast<std::size_t>(line.getNumPoints());
        const std::size_t first = points.size();
        points.resize(first + 3 * n, 0.0); // a 2D curve's heights are 0, as in the walk
        double* p = points.data() + first;
        constexpr int kStride = 3 * sizeof(double);
        line.getPoints(p, kStride, p + 1, kStride, line.Is3D() ? p + 2 : nullptr, kStride);
        return true;
    };
    auto other = [&points](OGRGeometry& part) {
        VertexWalk walk(Gather, &points, nullptr);
        part.transform(&walk);
        return true;
    };
    ForEachPart(geometry, curve, other);
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

bool ScatterVertices(OGRGeometry& geometry, Batch& batch, OGRSpatialReference* target) {
    // Lines and rings straight from the array, point by point, which leaves
    // their M values and their dimension as they are.
    auto curve = [&batch](OGRSimpleCurve& line) {
        const int n = line.getNumPoints();
        const double* p = batch.points.data() + batch.cursor * 3;
        if (line.Is3D()) {
            for (int i = 0; i < n; ++i, p += 3) {
                line.setPoint(i, p[0], p[1], p[2]);
            }
        } else {
            for (int i = 0; i < n; ++i, p += 3) {
                line.setPoint(i, p[0], p[1]);
            }
        }
        batch.cursor += static_cast<std::size_t>(n);
        return true;
    };
    VertexWalk walk(Scatter, &batch, target);
    auto other = [&walk](OGRGeometry& part) { return part.transform(&walk) == OGRERR_NONE; };
    if (!ForEachPart(geometry, curve, other)) {
        return false;
    }
    geometry.assignSpatialReference(target);
    return true;
}

} // namespace quillon::layers
