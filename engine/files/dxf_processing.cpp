// The drawing is scanned as lines, not parsed into a model: entity starts and
// ends are recognised by whole lines ("LINE", "  0"), the group codes inside a
// handled entity are read as integers and the line after each is its value.
// A coordinate pair is a value of code 10 (or 11), the next line taken as its
// 20 (or 21) code and the line after that as the second value.
#include "files/dxf_processing.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>

namespace dezadiravevava {

namespace {

// One line of the drawing: its text without the end, and its exact bytes.
struct DxfLine {
    std::string content;
    std::string raw;
    bool ended = false; // ended by a line feed

    bool Is(std::string_view text) const { return ended && content == text; }
    // The end group code, written right-justified as DXF writers do.
    bool IsEntityEnd() const { return Is("  0"); }
    std::string_view Ending() const { return std::string_view(raw).substr(content.size()); }
};

// Receives each coordinate pair found and the number of the line that holds
// its first value; returns the pair to write in its place.
using PairHandler = std::function<PlanePoint(double x, double y, long long line_number)>;

class DxfScanner {
public:
    DxfScanner(LineReader& input, OutputFile* output, ProgressWindow& window, PairHandler on_pair)
        : input_(input), output_(output), window_(window), on_pair_(std::move(on_pair)) {}

    // Copies lines up to and including the first one that contains "ENTITIES";
    // false when the drawing ends first.
    bool CopyToEntities() {
        while (Read()) {
            Copy();
            if (line_.content.find("ENTITIES") != std::string::npos) {
                return true;
            }
            window_.Step(input_.position());
            if (window_.Cancelled()) {
                cancelled_ = true;
                return false;
            }
        }
        return false;
    }

    // The main scan, to the end of the drawing.
    void ScanEntities() {
        while (Read()) {
            Copy();
            window_.Step(input_.position());
            if (window_.Cancelled()) {
                cancelled_ = true;
                return;
            }
            if (line_.Is("TEXT")) {
                ++counts_.texts;
                HandlePairs({10, 11});
            } else if (line_.Is("POINT")) {
                ++counts_.points;
                HandlePairs({10});
            } else if (line_.Is("POLYLINE")) {
                HandlePolyline();
            } else if (line_.Is("LINE")) {
                ++counts_.lines;
                HandlePairs({10, 11});
            } else if (line_.Is("LWPOLYLINE")) {
                ++counts_.lw_polylines;
                HandlePairs({10});
            }
            if (truncated_) {
                return;
            }
        }
    }

    const DxfCounts& counts() const { return counts_; }
    // True when the drawing ended inside an entity or a polyline.
    bool truncated() const { return truncated_; }
    // True when the scan stopped at the user's request.
    bool cancelled() const { return cancelled_; }

private:
    bool Read() {
        if (!input_.Next(line_.content, &line_.raw)) {
            return false;
        }
        ++line_number_;
        line_.ended = input_.ended_by_line_feed();
        return true;
    }
    // Reads the next line inside an entity; the end of the drawing here means
    // the drawing is cut short.
    bool ReadInside() {
        if (Read()) {
            return true;
        }
        truncated_ = true;
        return false;
    }
    void Copy() { Write(line_.raw); }
    void Write(std::string_view bytes) {
        if (output_) {
            output_->WriteRaw(bytes);
        }
    }

    // Group lines of a handled entity up to its "  0", transforming the pairs
    // of the given codes.
    void HandlePairs(std::initializer_list<int> transformed) {
        while (ReadInside()) {
            Copy(); // the code line
            if (line_.IsEntityEnd()) {
                return;
            }
            const int code = ReadPointNumber(line_.content);
            if (!ReadInside()) {
                return;
            }
            if (line_.IsEntityEnd()) {
                Copy(); // a value line reading "  0" ends the entity as well
                return;
            }
            if (std::find(transformed.begin(), transformed.end(), code) == transformed.end()) {
                Copy();
                continue;
            }
            HandlePair(code);
            if (truncated_) {
                return;
            }
        }
    }

    // The current line is the first value of a pair of code 10 or 11.
    void HandlePair(int code) {
        const DxfLine x_line = line_;
        const long long x_line_number = line_number_;
        if (!ReadInside()) {
            Write(x_line.raw);
            return;
        }
        const DxfLine code_line = line_;
        if (!ReadInside()) {
            Write(x_line.raw);
            Write(code_line.raw);
            return;
        }
        const PlanePoint out =
            on_pair_(ReadDecimal(x_line.content), ReadDecimal(line_.content), x_line_number);
        if (output_) {
            // Each new line keeps the end of the line it replaces.
            std::string text;
            AppendCFixed(text, out.x, 6);
            text += x_line.Ending();
            text += code == 10 ? " 20" : " 21";
            text += code_line.Ending();
            AppendCFixed(text, out.y, 6);
            text += line_.Ending();
            Write(text);
        }
    }

    void HandlePolyline() {
        // The POLYLINE's own group lines are copied unchanged.
        while (ReadInside()) {
            Copy();
            if (line_.IsEntityEnd()) {
                break;
            }
            if (!ReadInside()) {
                return;
            }
            Copy();
        }
        if (truncated_ || !ReadInside()) {
            return;
        }
        Copy(); // the type of the entity that follows
        // A polyline without vertices goes straight to its SEQEND; testing
        // for it here keeps the scan from running on to another polyline's.
        while (line_.content.find("SEQEND") == std::string::npos) {
            if (line_.Is("VERTEX")) {
                HandlePairs({10});
                if (truncated_) {
                    return;
                }
            }
            if (!ReadInside()) {
                return;
            }
            Copy();
        }
        ++counts_.polylines;
    }

    LineReader& input_;
    OutputFile* output_;
    ProgressWindow& window_;
    PairHandler on_pair_;
    DxfLine line_;
    DxfCounts counts_;
    long long line_number_ = 0;
    bool truncated_ = false;
    bool cancelled_ = false;
};

std::string InvalidDrawingArguments(const RunArguments& run) {
    std::string invalid = InvalidRunArguments(run);
    if (invalid.empty() && run.pa == kKindUtm && !(run.h_entrada >= 1.0 && run.h_entrada <= 60.0)) {
        invalid = "Huso de entrada no válido para un dibujo: se necesita un huso de 1 a 60\n";
    }
    return invalid;
}

} // namespace

int ProcesarDXF(const std::string& log_path, const RunArguments& run, ProgressSink* progress) {
    ParameterSet set;
    int model = run.model;
    // A drawing's heights and elevations are never changed, so orthometric
    // heights have nothing to act on: no geoid is read, and the log says so.
    RunArguments plane_run = run;
    plane_run.orthometric_heights = false;
    if (!StartRun(log_path, plane_run, InvalidDrawingArguments(run), set, model)) {
        return 0;
    }
    if (run.orthometric_heights &&
        !AppendToLog(log_path, "Alturas ortométricas: no se aplican a un dibujo, cuyas alturas "
                               "no se cambian\n\n")) {
        return 0;
    }
    LineReader input;
    if (!input.Open(run.entrada)) {
        AppendToLog(log_path, "No se puede abrir el archivo de entrada: " + run.entrada + "\n");
        return 0;
    }
    OutputFile output;
    if (!output.Open(run.salida, OutputFile::Mode::kTruncate)) {
        AppendToLog(log_path, "No se puede crear el archivo de salida: " + run.salida + "\n");
        return 0;
    }
    ProgressWindow window(progress, kCaptionTransforming, input.size());

    // A coordinate the method cannot transform (outside the grid) cannot be
    // left out of a drawing, and keeping it would leave the drawing in two
    // datums: the drawing is not transformed.
    RejectedPoints rejected;
    DxfScanner scanner(input, &output, window, [&](double x, double y, long long line_number) {
        double zone_out = run.h_salida; // a zone per pair when below 1
        CoordTriple point(x, y, kNoThird);
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(point, run.da, run.pa, run.h_entrada, run.db, run.pb,
                                               run.h_salida, set, model, zone_out, status);
        if (status != PointStatus::kTransformed) {
            rejected.Add(line_number, status);
            return PlanePoint{x, y};
        }
        return PlanePoint{out.c1, out.c2};
    });
    const bool has_entities = scanner.CopyToEntities();
    if (has_entities) {
        scanner.ScanEntities();
    }
    if (scanner.cancelled()) {
        output.Close();
        RemoveIncompleteFile(run.salida);
        AppendToLog(log_path, kCancelledLine);
        return 0;
    }
    if (!FinishFiles(input, output, log_path, run)) {
        return 0;
    }
    if (rejected.count() > 0) {
        RemoveIncompleteFile(run.salida);
        AppendToLog(log_path, rejected.LogLines() +
                                  "El dibujo no se ha transformado (coordenadas rechazadas: " +
                                  std::to_string(rejected.count()) + ")\n");
        return 0;
    }
    if (!has_entities) {
        AppendToLog(log_path, "El dibujo no tiene sección ENTITIES\n");
        return 0;
    }
    std::string summary = DxfSummary(scanner.counts());
    if (scanner.truncated()) {
        summary += "Advertencia: el dibujo termina dentro de una entidad\n";
    }
    return AppendToExistingLog(log_path, summary) ? 1 : 0;
}

int CentroideDXF(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress) {
    result = CentroidResult();
    if (!(datum == kDatumEd50 || datum == kDatumEtrs89) || kind < kKindGeodetic ||
        kind > kKindGeocentric || (kind == kKindUtm && !(zone >= 1.0 && zone <= 60.0))) {
        return 0;
    }
    ParameterSet set;
    int model = kModelHelmert;
    PrepareParameters(datum, kind, kDatumEd50, model, kParametersSpain, 0, 0, 0, 0, -1, set, "",
                      false, true);
    LineReader input;
    if (!input.Open(entrada)) {
        return 0;
    }
    ProgressWindow window(progress, kCaptionCentroid, input.size());
    double sum_x = 0.0, sum_y = 0.0;
    DxfScanner scanner(input, nullptr, window, [&](double x, double y, long long) {
        double zone30 = 30.0;
        const CoordTriple out = TransformPoint(CoordTriple(x, y, kNoThird), datum, kind, zone,
                                               kDatumEd50, kKindUtm, 30.0, set, model, zone30);
        AccumulateCentroid(result, out.c1, out.c2, sum_x, sum_y);
        return PlanePoint{x, y};
    });
    if (!scanner.CopyToEntities()) {
        result = CentroidResult();
        return 0;
    }
    scanner.ScanEntities();
    if (input.failed() || scanner.cancelled()) {
        result = CentroidResult();
        return 0;
    }
    FinishCentroid(result, sum_x, sum_y);
    return 1;
}

} // namespace dezadiravevava
