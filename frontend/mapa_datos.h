// What a run hands the map besides its centre and rectangle: the input
// points in ED50 UTM zone 30, and the residuals of the vertices its
// parameters were estimated from.
#pragma once

#include "comun.h"
#include "lectura_puntos.h"
#include "opciones.h"
#include "transformacion.h"

namespace quillon {

// Adds the first `count` points of `points` (of `kind`, in the source datum
// and zone of `arguments`) to the map, carried to ED50 UTM zone 30 with the
// national set; those `leftOut` marks go to the refused ones.
void AddPointsToMap(MapDrawing& map, const QVector<PointRecord>& points, int count,
                    CoordinateKind kind, const EngineArguments& arguments,
                    const QVector<LeftOut>& leftOut);

// Estimates the run's set again around the map's centre, from the vertices of
// `catalogue` (empty: the built-in one), and puts the vertices it used, with
// their residuals, on the map. Leaves the map as it is when
// the run estimates nothing (national set, grid) or the estimation fails.
void AddResidualsToMap(MapDrawing& map, const EngineArguments& arguments, const QString& catalogue);

} // namespace quillon
