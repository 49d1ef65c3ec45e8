#include "mapa_datos.h"

#include "dezadiravevava.h"

#include <cmath>
#include <limits>
#include <vector>

namespace quillon {

namespace {

// The points of `rows` carried to ED50 UTM zone 30 with the national set:
// x, y of each (NaN for a point no conversion takes).
std::vector<double> Zone30Positions(const QVector<PointRecord>& points, const QVector<int>& rows,
                                    CoordinateKind kind, const EngineArguments& arguments) {
    const auto n = static_cast<std::size_t>(rows.size());
    std::vector<double> out(n * 2, std::numeric_limits<double>::quiet_NaN());
    if (n == 0) {
        return out;
    }
    dzv_run run;
    dzv_run_init(&run);
    run.datum_a = arguments.da;
    run.kind_a = KindCode(kind);
    run.zone_a = kind == CoordinateKind::Utm ? 0.0 : arguments.hEntrada;
    run.datum_b = DZV_DATUM_ED50;
    run.kind_b = DZV_KIND_UTM;
    run.zone_b = 30.0;
    run.model = DZV_MODEL_HELMERT;
    run.parametros = DZV_PARAMETERS_NATIONAL;
    run.threads = 0;
    // UTM points with their zone column.
    run.in_columns = kind == CoordinateKind::Utm ? 4 : 3;
    run.out_columns = 2;
    const auto columns = static_cast<std::size_t>(run.in_columns);
    std::vector<double> in(n * columns);
    for (std::size_t i = 0; i < n; ++i) {
        const PointRecord& p = points[rows[static_cast<qsizetype>(i)]];
        double* row = &in[i * columns];
        if (kind == CoordinateKind::Geodetic) {
            // Longitude first, in decimal degrees.
            row[0] = PackedToDegrees(p.c2);
            row[1] = PackedToDegrees(p.c1);
        } else {
            row[0] = p.c1;
            row[1] = p.c2;
        }
        row[2] = p.c3;
        if (columns == 4) {
            row[3] = p.zone;
        }
    }
    std::vector<double> carried(n * 2);
    std::vector<std::int32_t> status(n);
    if (dzv_transform_points(static_cast<std::int64_t>(n), in.data(), carried.data(), status.data(),
                             &run) == DZV_OK) {
        for (std::size_t i = 0; i < n; ++i) {
            if (status[i] == DZV_POINT_TRANSFORMED) {
                out[i * 2] = carried[i * 2];
                out[i * 2 + 1] = carried[i * 2 + 1];
            }
        }
    }
    return out;
}

} // namespace

void AddPointsToMap(MapDrawing& map, const QVector<PointRecord>& points, int count,
                    CoordinateKind kind, const EngineArguments& arguments,
                    const QVector<LeftOut>& leftOut, const QVector<int>& sentRows,
                    const std::vector<double>& sentZone30) {
    count = std::min<int>(count, static_cast<int>(points.size()));
    if (count <= 0) {
        return;
    }
    // The rows the run did not send (outside the region) are carried now;
    // the others have their place from the run's centroid.
    QVector<int> others;
    qsizetype sent = 0;
    for (int row = 0; row < count; ++row) {
        if (sent < sentRows.size() && sentRows[sent] == row) {
            ++sent;
        } else {
            others.push_back(row);
        }
    }
    const std::vector<double> otherZone30 = Zone30Positions(points, others, kind, arguments);
    sent = 0;
    qsizetype other = 0;
    for (int row = 0; row < count; ++row) {
        const double* xy = nullptr;
        if (sent < sentRows.size() && sentRows[sent] == row) {
            const auto k = static_cast<std::size_t>(sent++) * 2;
            if (k + 1 < sentZone30.size()) {
                xy = &sentZone30[k];
            }
        } else {
            xy = &otherZone30[static_cast<std::size_t>(other++) * 2];
        }
        if (xy == nullptr || !std::isfinite(xy[0]) || !std::isfinite(xy[1])) {
            continue;
        }
        const bool refused = row < leftOut.size() && leftOut[row] != LeftOut::No;
        (refused ? map.refused : map.points).push_back(QPointF(xy[0], xy[1]));
    }
}

void AddResidualsToMap(MapDrawing& map,
                       const std::vector<dezadiravevava::api::VertexResidual>& vertices) {
    QVector<QPointF> at;
    QVector<QPointF> residuals;
    for (const dezadiravevava::api::VertexResidual& vertex : vertices) {
        if (vertex.used) {
            // The map is drawn in ED50.
            at.push_back(QPointF(vertex.ed50_x, vertex.ed50_y));
            residuals.push_back(QPointF(vertex.residual_x, vertex.residual_y));
        }
    }
    if (!at.isEmpty()) {
        map.vertices = at;
        map.residuals = residuals;
    }
}

} // namespace quillon
