#include "files/txt_processing.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "files/point_fields.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"

#include <cstdio>

namespace dezadiravevava {

namespace {

bool IsDatum(int datum) {
    return datum == kDatumEd50 || datum == kDatumEtrs89;
}
bool IsKind(int kind) {
    return kind >= kKindPlane && kind <= kKindGeocentric;
}
bool IsTransformableKind(int kind) {
    return kind >= kKindGeodetic && kind <= kKindGeocentric;
}

// A UTM zone a point can be projected in.
bool IsZone(double zone) {
    return zone >= 1.0 && zone <= 60.0;
}

} // namespace

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
    // The grid method runs no model: whatever model was asked for is ignored.
    if (run.parametros != kParametersGrid &&
        (run.model < kModelHelmert || run.model > kModelAffine2D)) {
        return "Tipo de transformación no admitido: " + std::to_string(run.model) + "\n";
    }
    if (run.parametros < kParametersSpain || run.parametros > kParametersGrid) {
        return "Elección de parámetros no admitida: " + std::to_string(run.parametros) + "\n";
    }
    return {};
}

bool StartRun(const std::string& log_path, const RunArguments& run, const std::string& invalid,
              ParameterSet& set, int& model) {
    if (!WriteRunHeader(log_path, run)) {
        return false;
    }
    if (!invalid.empty()) {
        AppendToLog(log_path, invalid);
        return false;
    }
    model = run.model;
    if (!PrepareParameters(run.da, run.pa, run.db, model, run.parametros, run.selec_param, run.x,
                           run.y, run.z, run.h_entrada, set, log_path, true, true, run.grid_path)) {
        return false;
    }
    return !run.orthometric_heights || PrepareGeoid(set, run.geoid_path, log_path, true);
}

void RejectedPoints::Add(long long line_number, PointStatus status) {
    ++count_;
    if (count_ <= kMaxListed) {
        lines_ += "Línea " + std::to_string(line_number) +
                  " rechazada: " + PointStatusText(status) + "\n";
    }
}

std::string RejectedPoints::LogLines() const {
    std::string text = lines_;
    if (count_ > kMaxListed) {
        text += "... y " + std::to_string(count_ - kMaxListed) + " líneas rechazadas más\n";
    }
    return text;
}

bool FinishFiles(LineReader& input, OutputFile& output, const std::string& log_path,
                 const RunArguments& run) {
    input.Close();
    if (input.failed()) {
        output.Close();
        RemoveIncompleteFile(run.salida);
        AppendToLog(log_path, "Error al leer el archivo de entrada: " + run.entrada + "\n");
        return false;
    }
    if (!output.Close()) {
        // A full disk or a vanished folder: what was written is not the result.
        RemoveIncompleteFile(run.salida);
        AppendToLog(log_path, "Error al escribir el archivo de salida: " + run.salida + "\n");
        return false;
    }
    return true;
}

void AccumulateCentroid(CentroidResult& result, double x, double y, double& sum_x, double& sum_y) {
    sum_x += x;
    sum_y += y;
    ++result.count;
    if (x > result.x_max) {
        result.x_max = x;
    }
    if (y > result.y_max) {
        result.y_max = y;
    }
    if (x < result.x_min) {
        result.x_min = x;
    }
    if (y < result.y_min) {
        result.y_min = y;
    }
}

void FinishCentroid(CentroidResult& result, double sum_x, double sum_y) {
    if (result.count > 0) {
        result.x = sum_x / static_cast<double>(result.count);
        result.y = sum_y / static_cast<double>(result.count);
    } else {
        result.x = result.y = 0.0;
    }
}

int ProcesarTXT(const std::string& log_path, const RunArguments& run, ProgressSink* progress) {
    LineReader input;
    if (!input.Open(run.entrada)) {
        return 0;
    }
    OutputFile output;
    if (!output.Open(run.salida, OutputFile::Mode::kTruncate)) {
        return 0;
    }
    ProgressWindow window(progress, kCaptionTransforming, input.size());
    ParameterSet set;
    int model = run.model;
    if (!StartRun(log_path, run, InvalidRunArguments(run), set, model)) {
        return 0;
    }

    // Line 1 is a free title, copied as it is.
    std::string line;
    if (!input.Next(line)) {
        return output.Close() ? 1 : 0;
    }
    output.WriteRaw(line);
    if (!input.ended_by_line_feed()) {
        // The file ends within its title: nothing else to do, no summary.
        return output.Close() ? 1 : 0;
    }
    output.WriteRaw("\r\n");

    long long points = 0;
    long long bad_zone = 0;
    long long line_number = 1;
    RejectedPoints rejected;
    std::string out_line;
    while (input.Next(line)) {
        ++line_number;
        window.Step(input.position());
        if (window.Cancelled()) {
            output.Close();
            RemoveIncompleteFile(run.salida);
            AppendToLog(log_path, kCancelledLine);
            return 0;
        }
        const TabFields fields(line);
        const int number = ReadPointNumber(fields[0]);
        if (number <= 0) {
            continue;
        }
        const double zone_in = run.h_entrada >= 1.0 ? run.h_entrada : ReadDecimal(fields[4]);
        if (run.pa == kKindUtm && !IsZone(zone_in)) {
            ++bad_zone; // a UTM point without a usable zone cannot be placed
            continue;
        }
        double zone_out = run.h_salida; // chosen afresh for every point
        const CoordTriple point(ReadDecimal(fields[1]), ReadDecimal(fields[2]),
                                ReadDecimal(fields[3]));
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformFilePoint(point, run.da, run.pa, zone_in, run.db, run.pb,
                                                   run.h_salida, set, model, zone_out, status);
        if (status != PointStatus::kTransformed) {
            rejected.Add(line_number, status); // never written as if transformed
            continue;
        }
        out_line.clear();
        AppendInteger(out_line, number);
        AppendPointFields(out_line, run.pb, out, zone_out);
        out_line += "\r\n";
        output.WriteRaw(out_line);
        ++points;
    }
    if (!FinishFiles(input, output, log_path, run)) {
        return 0;
    }
    std::string summary = rejected.count() > 0 ? rejected.LogLines() + "\n" : std::string();
    summary += TxtSummary(points);
    if (rejected.count() > 0) {
        summary += "Líneas rechazadas.....: " + std::to_string(rejected.count()) + "\n";
    }
    if (bad_zone > 0) {
        summary += "Advertencia: " + std::to_string(bad_zone) +
                   " puntos UTM sin huso válido (1 a 60) no se han transformado\n";
    }
    return AppendToExistingLog(log_path, summary) ? 1 : 0;
}

int CentroideTXT(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress) {
    result = CentroidResult();
    if (!IsDatum(datum) || !IsTransformableKind(kind)) {
        return 0;
    }
    LineReader input;
    if (!input.Open(entrada)) {
        return 0;
    }
    ProgressWindow window(progress, kCaptionCentroid, input.size());
    ParameterSet set;
    int model = kModelHelmert;
    PrepareParameters(datum, kind, kDatumEd50, model, kParametersSpain, 0, 0, 0, 0, -1, set, "",
                      false, true);

    std::string line;
    if (!input.Next(line) || !input.ended_by_line_feed()) {
        return 1; // title line only
    }
    double sum_x = 0.0, sum_y = 0.0;
    while (input.Next(line)) {
        window.Step(input.position());
        if (window.Cancelled()) {
            result = CentroidResult();
            return 0;
        }
        const TabFields fields(line);
        const double zone_in = zone >= 1.0 ? zone : ReadDecimal(fields[4]);
        if (ReadPointNumber(fields[0]) <= 0 || (kind == kKindUtm && !IsZone(zone_in))) {
            continue;
        }
        double zone30 = 30.0;
        const CoordTriple out = TransformPoint(
            CoordTriple(ReadDecimal(fields[1]), ReadDecimal(fields[2]), ReadDecimal(fields[3])),
            datum, kind, zone_in, kDatumEd50, kKindUtm, 30.0, set, model, zone30);
        AccumulateCentroid(result, out.c1, out.c2, sum_x, sum_y);
    }
    if (input.failed()) {
        result = CentroidResult();
        return 0;
    }
    FinishCentroid(result, sum_x, sum_y);
    return 1;
}

} // namespace dezadiravevava
