// What a run hands the map besides its centre and rectangle: the input
// points in ED50 UTM zone 30, and the residuals of the vertices its
// parameters were estimated from, as the run's result gives them.
#pragma once

#include "comun.h"
#include "lectura_puntos.h"
#include "opciones.h"
#include "transform_request.h"
#include "transformacion.h"

#include <vector>

namespace quillon {

// Adds the first `count` points of `points` (of `kind`, in the source datum
// of `arguments`) to the map in ED50 UTM zone 30, those `leftOut` marks as
// refused apart. The rows the run sent to the engine (`sentRows`, in order)
// take their place from `sentZone30` (x, y of each, as the run's centroid
// carried them; NaN: none); the others are carried here with the national
// set.
void AddPointsToMap(MapDrawing& map, const QVector<PointRecord>& points, int count,
                    CoordinateKind kind, const EngineArguments& arguments,
                    const QVector<LeftOut>& leftOut, const QVector<int>& sentRows,
                    const std::vector<double>& sentZone30);

// Puts the vertices a run's set was estimated from (those it used), with
// their residuals, on the map in place of the vertices its search found.
// Leaves the map as it is when the run estimated nothing (national set,
// grid).
void AddResidualsToMap(MapDrawing& map,
                       const std::vector<dezadiravevava::api::VertexResidual>& vertices);

} // namespace quillon
