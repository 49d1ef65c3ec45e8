#include "geodesy/vertex_coverage.h"

#include "geodesy/transform.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava {

namespace {

constexpr double kZone30 = 30.0;

// Twice the signed area of (o, a, b): positive when b lies left of o -> a.
double Cross(PlanePoint o, PlanePoint a, PlanePoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain: the corners of the convex hull, counter-clockwise.
std::vector<PlanePoint> ConvexHull(std::vector<PlanePoint> points) {
    std::sort(points.begin(), points.end(),
              [](PlanePoint a, PlanePoint b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3) {
        return points;
    }
    std::vector<PlanePoint> hull(2 * points.size());
    std::size_t k = 0;
    for (const PlanePoint& p : points) { // lower chain
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0.0) {
            --k;
        }
        hull[k++] = p;
    }
    const std::size_t lower = k + 1;
    for (std::size_t i = points.size() - 1; i-- > 0;) { // upper chain
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0) {
            --k;
        }
        hull[k++] = points[i];
    }
    hull.resize(k - 1); // the last corner is the first
    return hull;
}

std::string Points(long long count) {
    return std::to_string(count) + (count == 1 ? " punto" : " puntos");
}

} // namespace

void CoverageTally::Add(const CoverageTally& other) {
    far += other.far;
    farthest = std::max(farthest, other.farthest);
    outside += other.outside;
}

VertexCoverage::VertexCoverage(std::span<const VertexRecord> vertices, int datum) : datum_(datum) {
    for (const VertexRecord& v : vertices) {
        vertices_.push_back(datum == kDatumEtrs89 ? PlanePoint{v.etrs_x, v.etrs_y}
                                                  : PlanePoint{v.ed50_x, v.ed50_y});
    }
    hull_ = ConvexHull(vertices_);
}

void VertexCoverage::Count(const CoordTriple& point, int kind, double zone,
                           CoverageTally& tally) const {
    if (kind == kKindUtm && zone == kZone30) {
        Count(PlanePoint{point.c1, point.c2}, tally);
        return;
    }
    double zone30 = kZone30;
    const CoordTriple xy = TransformPoint(point, datum_, kind, zone, datum_, kKindUtm, kZone30,
                                          plain_, kModelHelmert, zone30);
    Count(PlanePoint{xy.c1, xy.c2}, tally);
}

void VertexCoverage::Count(PlanePoint point, CoverageTally& tally) const {
    if (vertices_.empty()) {
        return;
    }
    double nearest = HUGE_VAL; // squared
    for (const PlanePoint& v : vertices_) {
        const double dx = point.x - v.x, dy = point.y - v.y;
        nearest = std::min(nearest, dx * dx + dy * dy);
    }
    if (nearest > kFarFromVertices * kFarFromVertices) {
        ++tally.far;
        tally.farthest = std::max(tally.farthest, std::sqrt(nearest));
    }
    if (!Inside(point)) {
        ++tally.outside;
    }
}

// On the boundary counts as inside. A hull of fewer than three corners (the
// vertices on one line) holds no area: only its own segment is inside.
bool VertexCoverage::Inside(PlanePoint point) const {
    if (hull_.size() < 3) {
        if (hull_.size() == 2) {
            const PlanePoint a = hull_[0], b = hull_[1];
            return Cross(a, b, point) == 0.0 && point.x >= std::min(a.x, b.x) &&
                   point.x <= std::max(a.x, b.x) && point.y >= std::min(a.y, b.y) &&
                   point.y <= std::max(a.y, b.y);
        }
        return hull_.size() == 1 && point.x == hull_[0].x && point.y == hull_[0].y;
    }
    for (std::size_t i = 0; i < hull_.size(); ++i) {
        if (Cross(hull_[i], hull_[(i + 1) % hull_.size()], point) < 0.0) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> CoverageWarnings(const CoverageTally& tally) {
    std::vector<std::string> lines;
    if (tally.far > 0) {
        lines.push_back("Aviso: " + Points(tally.far) + " a más de " +
                        std::to_string(std::llround(kFarFromVertices / 1000.0)) +
                        " km del vértice empleado más cercano (máximo " +
                        std::to_string(std::llround(tally.farthest / 1000.0)) + " km)");
    }
    if (tally.outside > 0) {
        lines.push_back("Aviso: " + Points(tally.outside) +
                        " fuera del polígono de los vértices empleados");
    }
    return lines;
}

} // namespace dezadiravevava
