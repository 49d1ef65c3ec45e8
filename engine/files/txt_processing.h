// TXT point files: transforming every point of a file, and the centroid and
// bounding rectangle of a file's points in catalogue coordinates.
#pragma once

#include "files/execution_log.h"
#include "files/line_reader.h"
#include "files/output_file.h"
#include "files/progress.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"

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

// Transforms the points of run.entrada into run.salida and writes the
// execution log `log_path`. Returns 1 on success, 0 on failure (the log says
// why once it exists).
int ProcesarTXT(const std::string& log_path, const RunArguments& run, ProgressSink* progress);

// Centroid and rectangle of the points of a file, transformed to ED50 UTM
// zone 30 with the national set. Returns 1, or 0 when the file cannot be read
// or its coordinates cannot be transformed (the result keeps its start values).
int CentroideTXT(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress);

// Shared by the file processors: checks the codes of a run, returning the log
// line that names the first bad one, or an empty string.
std::string InvalidRunArguments(const RunArguments& run);

// The start of a file run, shared by the processors: the log header, the
// check of the arguments (`invalid`, the line that names a bad one, goes to
// the log), the parameter set, whose model may change, and the geoid of
// orthometric heights. False ends the run.
bool StartRun(const std::string& log_path, const RunArguments& run, const std::string& invalid,
              ParameterSet& set, int& model);

// The end of a run's files: a read error on the input or a write error on the
// output makes the run a failure, removes the incomplete output and says so in
// the log. True when both files are complete.
bool FinishFiles(LineReader& input, OutputFile& output, const std::string& log_path,
                 const RunArguments& run);

// Points a run could not transform (outside the grid or the geoid): the log
// names the first kMaxListed lines, "Línea N rechazada: fuera de la rejilla",
// and counts the rest.
class RejectedPoints {
public:
    static constexpr long long kMaxListed = 1000;
    void Add(long long line_number, PointStatus status);
    long long count() const { return count_; }
    // The lines for the log, before the summary.
    std::string LogLines() const;

private:
    long long count_ = 0;
    std::string lines_;
};

// Widens the rectangle and adds to the sums of a centroid.
void AccumulateCentroid(CentroidResult& result, double x, double y, double& sum_x, double& sum_y);
// Turns the sums into the centroid.
void FinishCentroid(CentroidResult& result, double sum_x, double sum_y);

} // namespace dezadiravevava
