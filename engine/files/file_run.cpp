#include "files/file_run.h"

#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <new>

namespace dezadiravevava {

namespace {

bool IsDatum(int datum) {
    return datum == kDatumEd50 || datum == kDatumEtrs89;
}
bool IsKind(int kind) {
    return kind >= kKindPlane && kind <= kKindGeocentric;
}

// A number as a log line names it: 30.7, 1e+300, inf, nan.
std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The last line of a text, without its end.
std::string_view LastLine(std::string_view text) {
    while (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    const std::size_t start = text.rfind('\n');
    return start == std::string_view::npos ? text : text.substr(start + 1);
}

} // namespace

FitRun FitRunOf(const RunArguments& run, int model) {
    FitRun fit;
    fit.in = {run.da, run.pa, run.h_entrada};
    fit.out = {run.db, run.pb, run.h_salida};
    fit.parametros = run.parametros;
    fit.model = model;
    fit.origin_x = run.x;
    fit.origin_y = run.y;
    fit.orthometric_heights = run.orthometric_heights;
    fit.grid_path = run.grid_path;
    return fit;
}

bool IsZoneArgument(double zone) {
    return zone == std::floor(zone) &&
           ((zone >= 1.0 && zone <= 60.0) || zone == 0.0 || zone == -1.0);
}

SameFiles FindSameFiles(const std::string& entrada, const std::string& salida,
                        const std::string& log_path) {
    if (SameFile(log_path, entrada)) {
        return SameFiles::kLogIsInput;
    }
    if (SameFile(log_path, salida)) {
        return SameFiles::kLogIsOutput;
    }
    if (SameFile(salida, entrada)) {
        return SameFiles::kOutputIsInput;
    }
    return SameFiles::kNone;
}

std::string_view SameFilesMessage(SameFiles same) {
    switch (same) {
    case SameFiles::kLogIsInput:
        return "El registro coincide con el archivo de entrada";
    case SameFiles::kLogIsOutput:
        return "El registro coincide con el archivo de salida";
    case SameFiles::kOutputIsInput:
        return "El archivo de salida coincide con el de entrada";
    case SameFiles::kNone:
        break;
    }
    return {};
}

std::string UnwritableOutput(const std::string& salida) {
    return "Error al escribir el archivo de salida: " + salida + "\n";
}

std::string InvalidRunArguments(const RunArguments& run) {
    if (!IsDatum(run.da)) {
        return "Datum de entrada no admitido: " + std::to_string(run.da) + "\n";
    }
    if (!IsDatum(run.db)) {
        return "Datum de salida no admitido: " + std::to_string(run.db) + "\n";
    }
    if (!IsKind(run.pa)) {
        return "Proyección de entrada no admitida: " + std::to_string(run.pa) + "\n";
    }
    if (!IsKind(run.pb)) {
        return "Proyección de salida no admitida: " + std::to_string(run.pb) + "\n";
    }
    if (run.pa == kKindPlane || run.pb == kKindPlane) {
        return "No se puede transformar la proyección plana\n";
    }
    if (!IsZoneArgument(run.h_entrada)) {
        return "Huso de entrada no válido: " + NumberText(run.h_entrada) + "\n";
    }
    if (!IsZoneArgument(run.h_salida)) {
        return "Huso de salida no válido: " + NumberText(run.h_salida) + "\n";
    }
    // The grid method runs no model: whatever model was asked for is ignored.
    if (run.parametros != kParametersGrid &&
        (run.model < kModelHelmert || run.model > kModelAffine2D)) {
        return "Tipo de transformación no admitido: " + std::to_string(run.model) + "\n";
    }
    if (run.parametros < kParametersSpain || run.parametros > kParametersGrid) {
        return "Elección de parámetros no admitida: " + std::to_string(run.parametros) + "\n";
    }
    if (!std::isfinite(run.selec_param)) {
        return "Selección de vértices no válida: " + NumberText(run.selec_param) + "\n";
    }
    if (!std::isfinite(run.x) || !std::isfinite(run.y) || !std::isfinite(run.z)) {
        return "Punto de origen no válido: (" + NumberText(run.x) + " ; " + NumberText(run.y) +
               " ; " + NumberText(run.z) + ")\n";
    }
    return {};
}

FileRun::FileRun(std::string log_path, const RunArguments& run, ProgressSink* progress,
                 std::size_t line_limit, RunOutcome* outcome)
    : log_path_(std::move(log_path)), run_(run), progress_(progress), outcome_(outcome),
      input_(line_limit) {}

bool FileRun::Start(const std::string& invalid, FoundVertexList& found) {
    const SameFiles same = FindSameFiles(run_.entrada, run_.salida, log_path_);
    if (same == SameFiles::kLogIsInput || same == SameFiles::kLogIsOutput) {
        Note(SameFilesMessage(same)); // the log cannot be written: nothing is
        return false;
    }
    if (!log_.Open(log_path_)) {
        Note("No se puede crear el registro: " + log_path_);
        return false;
    }
    Log(RunHeader(run_));
    if (same == SameFiles::kOutputIsInput) {
        Fail(std::string(SameFilesMessage(same)) + "\n");
        return false;
    }
    if (!invalid.empty()) {
        Fail(invalid);
        return false;
    }
    if (!input_.Open(run_.entrada)) {
        Fail(kUnreadableInput);
        return false;
    }
    if (!output_.Open(run_.salida)) {
        Fail("No se puede crear el archivo de salida: " + run_.salida + "\n");
        return false;
    }
    window_.emplace(progress_, kCaptionTransforming, input_.size());
    model_ = run_.model;
    std::string report;
    const bool ready = PrepareParameters(
        run_.da, run_.pa, run_.db, model_, run_.parametros, run_.selec_param, run_.x, run_.y,
        run_.z, run_.h_entrada, found, set_, &report, true, run_.grid_path, CatalogueOf(run_));
    if (ready) {
        const FitRun fit = FitRunOf(run_, model_);
        report += FitDetailBlock(fit, found, set_);
        if (outcome_) {
            outcome_->proj_pipeline = ProjPipeline(fit, set_).value_or("");
        }
    }
    // Orthometric heights need the geoid, named in the log after the parameters.
    const bool heights =
        ready && (!run_.orthometric_heights || PrepareGeoid(set_, run_.geoid_path, &report));
    set_.orthometric_geodetic_in = run_.orthometric_geodetic_in;
    set_.orthometric_geodetic_out = run_.orthometric_geodetic_out;
    Log(report);
    if (!heights) {
        Fail(""); // the report ends with the reason
        Note(LastLine(report));
        return false;
    }
    if ((run_.parametros == kParametersByDistance || run_.parametros == kParametersByNumber) &&
        run_.da != run_.db) {
        coverage_.emplace(VerticesUsed(found), run_.da);
    }
    return true;
}

void FileRun::Note(std::string_view reason) noexcept {
    if (!outcome_) {
        return;
    }
    try {
        while (!reason.empty() && reason.back() == '\n') {
            reason.remove_suffix(1);
        }
        outcome_->failure = reason;
    } catch (...) {
        // what the caller can report is only a courtesy
    }
}

int FileRun::Fail(std::string_view reason) noexcept {
    output_.Discard();
    input_.Close();
    Note(reason);
    if (run_.keep_log_when_cancelled && window_ && window_->Cancelled()) {
        log_.Discard(); // stopped by the caller, who keeps the previous log
        return 0;
    }
    if (log_.is_open()) {
        try {
            Log(reason);
        } catch (...) {
            log_.Discard(); // a log that cannot say why is no log
            return 0;
        }
        const bool written = log_.Commit();
        if (outcome_) {
            outcome_->log_written = written;
        }
    }
    return 0;
}

int FileRun::FailUnexpectedly() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return Fail("Memoria insuficiente\n");
    } catch (...) {
        return Fail("Error inesperado\n");
    }
}

int FileRun::Finish(std::string_view summary, const CoverageTally& coverage) {
    input_.Close();
    if (input_.failed()) {
        // A stop signal ends a read that waits on a pipe: the read fails, and
        // the run is cancelled, not unreadable.
        return Fail(window_ && window_->Cancelled() ? kCancelledLine : kUnreadableInput);
    }
    if (!output_.Flush()) {
        return Fail(UnwritableOutput(run_.salida));
    }
    Log(summary);
    if (coverage_) {
        std::vector<std::string> warnings = CoverageWarnings(coverage);
        for (const std::string& warning : warnings) {
            Log(warning + "\n");
        }
        if (outcome_) {
            outcome_->warnings = std::move(warnings);
        }
    }
    if (!log_.Flush()) {
        // A run whose log cannot be written replaces nothing.
        output_.Discard();
        log_.Discard();
        Note("No se puede escribir el registro: " + log_path_);
        return 0;
    }
    if (!output_.Commit()) {
        return Fail(UnwritableOutput(run_.salida));
    }
    const bool written = log_.Commit();
    if (outcome_) {
        outcome_->log_written = written;
    }
    if (!written) {
        Note("No se puede escribir el registro: " + log_path_);
        return 0;
    }
    return 1;
}

} // namespace dezadiravevava
