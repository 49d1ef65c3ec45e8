// DXF drawings: moving every model-space entity of a drawing to the output
// reference system, copying everything else byte for byte; and the centroid
// of the drawing's points.
//
// The drawing is read as (group code, value) pairs (dxf_tags.h), compiled
// where an entity needs it (dxf_compiled.h), and each
// model-space entity of the ENTITIES section has its points carried, in world
// or object coordinates (dxf_entities.h, dxf_ocs.h), by the drawing reader
// (dxf_walk.h), which hands them to the moves on worker threads
// (dxf_moves.h). Block definitions, paper space and the OBJECTS section stay
// as they are, but for the drawing's geolocation (dxf_geodata.h); of the
// header, $EXTMIN,
// $EXTMAX, $LIMMIN, $LIMMAX (the extents of the transformed drawing) and
// $INSBASE change. The geometry of a model-space DIMENSION, an anonymous block
// drawn where the dimension is, moves with it.
//
// A run reads the drawing twice: once to measure it (its extents, the zone of
// the whole drawing, coordinates that cannot be carried, a drawing cut short)
// and once to write it, so that nothing is written for a drawing that cannot
// be transformed whole. Each pass reads on the calling thread and moves the
// points on worker threads (run.threads), in blocks taken back in order. Every line reaches the
// output: a moved coordinate replaces its value line, keeping the line's end (LF or CR LF) as
// found.
#pragma once

#include "files/execution_log.h"
#include "files/progress.h"
#include "files/txt_processing.h"

#include <string>

namespace dezadiravevava {

// Transforms run.entrada into run.salida with the execution log `log_path`.
// Returns 1 on success, 0 on failure (the log says why, when it could be
// written; the previous output stays as it was). `found` and `outcome` as for
// ProcesarTXT; outcome->rejected counts the coordinates that could not be
// carried.
int ProcesarDXF(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome = nullptr, FoundVertexList* found = nullptr);

// Centroid and rectangle, in ED50 UTM zone 30, of the points of the drawing's
// model-space entities, leaving out points outside the domain (IsInDomain)
// and, with `region_only`, those outside the served region. Returns 1, or 0
// when the drawing cannot be read whole or has no ENTITIES section (the
// result keeps its start values). `threads`: the threads that transform the
// points (0: the machine's cores).
int CentroideDXF(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress, int threads = 0,
                 bool region_only = false);

} // namespace dezadiravevava
