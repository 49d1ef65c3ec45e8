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
// and zone of `arguments`) to the map, carried to ED50 UTM zone 30 with the
// national set; those `leftOut` marks go to the refused ones.
void AddPointsToMap(MapDrawing& map, const QVector<PointRecord>& points, int count,
                    CoordinateKind kind, const EngineArguments& arguments,
                    const QVector<LeftOut>& leftOut);

// Puts the vertices a run's set was estimated from (those it used), with
// their residuals, on the map in place of the vertices its search found.
// Leaves the map as it is when the run estimated nothing (national set,
// grid).
void AddResidualsToMap(MapDrawing& map,
                       const std::vector<dezadiravevava::api::VertexResidual>& vertices);

} // namespace quillon
