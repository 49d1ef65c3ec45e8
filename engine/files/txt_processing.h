// TXT point files: transforming every point of a file, and the centroid and
// bounding rectangle of a file's points in catalogue coordinates.
#pragma once

#include "files/execution_log.h"
#include "files/file_run.h"
#include "files/progress.h"
#include "geodesy/vertex_search.h"

#include <string>

namespace dezadiravevava {

// Centroid, bounding rectangle and point count, ED50 UTM zone 30.
struct CentroidResult {
    double x = 0.0;
    double y = 0.0;
    double x_min = 1e30;
    double x_max = -1e30;
    double y_min = 1e30;
    double y_max = -1e30;
    long long count = 0;
};

// Point lines named one by one in the log; those after are only counted.
inline constexpr long long kRejectedLinesNamed = 1000;

// Transforms the points of run.entrada into run.salida and writes the
// execution log `log_path`. Returns 1 on success, 0 on failure (the log says
// why, when it could be written). A point line that cannot be read whole is
// not transformed: the log names it ("Línea N rechazada: ...") and the run
// still succeeds. `found` (when given) receives the vertices of a local
// search; `outcome` what a caller may report.
int ProcesarTXT(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome = nullptr, FoundVertexList* found = nullptr);

// Centroid and rectangle of the points of a file, transformed to ED50 UTM
// zone 30 with the national set; lines that are not whole points are left
// out, and so are points outside the domain (IsInDomain) and, with
// `region_only`, those outside the served region. Returns 1, or 0 when the
// file cannot be read, the arguments are not valid or the user cancels (the
// result keeps its start values). `threads`: the threads that transform the
// points (0: the machine's cores).
int CentroideTXT(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress, int threads = 0,
                 bool region_only = false);

// Widens the rectangle and adds to the sums of a centroid.
void AccumulateCentroid(CentroidResult& result, double x, double y, double& sum_x, double& sum_y);
// Turns the sums into the centroid.
void FinishCentroid(CentroidResult& result, double sum_x, double sum_y);

} // namespace dezadiravevava
