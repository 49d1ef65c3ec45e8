// One processing run (ProcesarTXT, ProcesarDXF) and its three files, from the
// check that they are three different files to the commit of the finished
// ones.
//
// Nothing is opened before input, output and log are known to be different
// files. The output and the log are new files that replace their targets
// only at the end (see output_file.h). The log is put in place at the end of
// every run that could write it, success or failure, so that it says how the
// run ended; until then the previous log stays as it was. The output is put
// in place only when the run succeeded and its log was written: a run whose
// log cannot be written fails and replaces nothing.
#pragma once

#include "files/execution_log.h"
#include "files/line_reader.h"
#include "files/output_file.h"
#include "files/progress.h"
#include "geodesy/fit_report.h"
#include "geodesy/parameter_set.h"
#include "geodesy/vertex_coverage.h"
#include "geodesy/vertex_search.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

// What a caller learns of a run besides its result.
struct RunOutcome {
    bool log_written = false; // the log now holds this run's account
    std::string failure;      // why the run failed, one line (UTF-8), when it failed
    long long rejected = 0;   // point lines rejected (TXT runs)
    long long points = 0;     // points transformed and written (TXT runs)
    // Model-space entities of a drawing left as they were (DXF runs), and
    // their kinds with their counts ("3DSOLID 2, MPOLYGON 1").
    long long untransformed = 0;
    std::string untransformed_kinds;
    // Warnings of a successful run, as its log has them (UTF-8, no line end):
    // points that a local fit extrapolates to.
    std::vector<std::string> warnings;
    // The PROJ pipeline of the run's parameter set (ProjPipeline), once the
    // set is prepared; empty when PROJ has no equivalent.
    std::string proj_pipeline;
};

// Files of a run that name the same file (see SameFile), in the order they are
// checked: a log over another file could not even say why the run stopped.
enum class SameFiles { kNone, kLogIsInput, kLogIsOutput, kOutputIsInput };
SameFiles FindSameFiles(const std::string& entrada, const std::string& salida,
                        const std::string& log_path);
// The message for each case (no line end): "El archivo de salida coincide con
// el de entrada", "El registro coincide con el archivo de entrada", ...
std::string_view SameFilesMessage(SameFiles same);

// Log lines of the failures every run may meet.
inline constexpr std::string_view kUnreadableInput = "No se puede leer el archivo de entrada\n";
std::string UnwritableOutput(const std::string& salida);

// Checks the codes and numbers of a run, returning the log line that names
// the first bad one, or an empty string. Zones are whole numbers: 1 to 60,
// or 0 (or -1) for a zone per point.
std::string InvalidRunArguments(const RunArguments& run);

// A zone argument the engine accepts: 1 to 60, or 0 and -1 for "per point".
bool IsZoneArgument(double zone);

// The sides, choice and model of a run, as the detail of its parameter set
// (the "Detalle del ajuste" block and its PROJ pipeline) describes it.
FitRun FitRunOf(const RunArguments& run, int model);

class FileRun {
public:
    // `line_limit`: the longest input line read whole (see LineReader).
    // `outcome`, when given, receives what the caller may report.
    FileRun(std::string log_path, const RunArguments& run, ProgressSink* progress,
            std::size_t line_limit, RunOutcome* outcome);
    FileRun(const FileRun&) = delete;
    FileRun& operator=(const FileRun&) = delete;

    // The start of the run, in this order: the check for files named twice,
    // the log and its header, the arguments (`invalid`: the line naming a bad
    // one, or empty), the input, the output, the progress window and the
    // parameter set, whose report goes to the log and whose search fills
    // `found`. False when the run cannot go on: it has then ended (0).
    bool Start(const std::string& invalid, FoundVertexList& found);

    LineReader& input() { return input_; }
    OutputFile& output() { return output_; }
    ProgressWindow& window() { return *window_; }
    const ParameterSet& set() const { return set_; }
    int model() const { return model_; }
    // The vertices of a local fit (choices by distance and by number) between
    // two datums, to tell the points it extrapolates to; null for other runs.
    const VertexCoverage* coverage() const { return coverage_ ? &*coverage_ : nullptr; }

    // Text (UTF-8, "\n" line ends) for the log.
    void Log(std::string_view utf8) { log_.WriteText(utf8); }

    // Ends a failed run: `reason` (a line) ends the log, which is put in
    // place; the output is abandoned. Returns 0.
    int Fail(std::string_view reason) noexcept;
    // Ends a run whose input has been read to its end: a read or write error
    // fails it; otherwise `summary` ends the log, followed by the warnings of
    // a local fit's `coverage` of the points, and both files are put in
    // place. Returns 1, or 0 on failure.
    int Finish(std::string_view summary, const CoverageTally& coverage = {});
    // Ends a run interrupted by an exception (memory exhausted, say). Returns 0.
    int FailUnexpectedly() noexcept;

private:
    void Note(std::string_view reason) noexcept;

    std::string log_path_;
    const RunArguments& run_;
    ProgressSink* progress_;
    RunOutcome* outcome_;
    OutputFile log_;
    LineReader input_;
    OutputFile output_;
    std::optional<ProgressWindow> window_;
    ParameterSet set_;
    int model_ = 0;
    std::optional<VertexCoverage> coverage_;
};

} // namespace dezadiravevava
