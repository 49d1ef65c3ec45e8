// DXF drawings: transforming the plan coordinates of TEXT, POINT, POLYLINE
// vertices, LINE and LWPOLYLINE entities, copying everything else; and the
// centroid of those coordinates.
#pragma once

#include "files/execution_log.h"
#include "files/progress.h"
#include "files/txt_processing.h"

#include <string>

namespace dezadiravevava {

// Transforms run.entrada into run.salida with the execution log `log_path`.
// Returns 1 on success, 0 on failure (the log says why, when it could be
// written). `found` and `outcome` as for ProcesarTXT.
int ProcesarDXF(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome = nullptr, FoundVertexList* found = nullptr);

// Centroid and rectangle, in ED50 UTM zone 30, of the coordinate pairs that
// ProcesarDXF would transform. Returns 1, or 0 when the drawing cannot be read,
// has no ENTITIES line or its coordinates cannot be transformed.
int CentroideDXF(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress);

} // namespace dezadiravevava
