#include "mapa_datos.h"

#include "dezadiravevava.h"

#include <cmath>
#include <vector>

namespace quillon {

void AddPointsToMap(MapDrawing& map, const QVector<PointRecord>& points, int count,
                    CoordinateKind kind, const EngineArguments& arguments,
                    const QVector<LeftOut>& leftOut) {
    count = std::min<int>(count, static_cast<int>(points.size()));
    if (count <= 0) {
        return;
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
    run.in_columns = 4;
    run.out_columns = 2;
    std::vector<double> in(static_cast<std::size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        const PointRecord& p = points[i];
        double* row = &in[static_cast<std::size_t>(i) * 4];
        if (kind == CoordinateKind::Geodetic) {
            // Longitude first, in decimal degrees.
            row[0] = PackedToDegrees(p.c2);
            row[1] = PackedToDegrees(p.c1);
        } else {
            row[0] = p.c1;
            row[1] = p.c2;
        }
        row[2] = p.c3;
        row[3] = p.zone;
    }
    if (kind != CoordinateKind::Utm) {
        // Without a zone column.
        run.in_columns = 3;
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < 3; ++c) {
                in[static_cast<std::size_t>(i) * 3 + c] = in[static_cast<std::size_t>(i) * 4 + c];
            }
        }
    }
    std::vector<double> out(static_cast<std::size_t>(count) * 2);
    std::vector<std::int32_t> status(static_cast<std::size_t>(count));
    if (dzv_transform_points(count, in.data(), out.data(), status.data(), &run) != DZV_OK) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const QPointF at(out[static_cast<std::size_t>(i) * 2],
                         out[static_cast<std::size_t>(i) * 2 + 1]);
        if (status[static_cast<std::size_t>(i)] != DZV_POINT_TRANSFORMED ||
            !std::isfinite(at.x()) || !std::isfinite(at.y())) {
            continue;
        }
        const bool refused = i < leftOut.size() && leftOut[i] != LeftOut::No;
        (refused ? map.refused : map.points).push_back(at);
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
