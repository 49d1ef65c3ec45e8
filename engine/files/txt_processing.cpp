#include "files/txt_processing.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "files/point_fields.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"

#include <memory>

namespace dezadiravevava {

namespace {

bool IsTransformableKind(int kind) {
    return kind >= kKindGeodetic && kind <= kKindGeocentric;
}

// The rejected lines of a run: the first ones named in the log, then counted.
class Rejections {
public:
    explicit Rejections(FileRun& run) : run_(run) {}

    void Add(long long line_number, const std::string& reason) {
        if (++count_ <= kRejectedLinesNamed) {
            run_.Log("Línea " + std::to_string(line_number) + " rechazada: " + reason + "\n");
        }
    }
    // The count of the lines not named, before the summary.
    void Close() {
        if (count_ > kRejectedLinesNamed) {
            run_.Log("Otras " + std::to_string(count_ - kRejectedLinesNamed) +
                     " líneas rechazadas no se detallan\n");
        }
    }
    long long count() const { return count_; }

private:
    FileRun& run_;
    long long count_ = 0;
};

int TransformPointFile(FileRun& file_run, const RunArguments& run, FoundVertexList& found,
                       RunOutcome* outcome) {
    if (!file_run.Start(InvalidRunArguments(run), found)) {
        return 0;
    }
    LineReader& input = file_run.input();
    OutputFile& output = file_run.output();
    ProgressWindow& window = file_run.window();

    // Line 1 is a free title, copied as it is, piece by piece if it is long.
    std::string line;
    if (!input.Next(line)) {
        return file_run.Finish({}); // an empty file: nothing to do, no summary
    }
    output.WriteRaw(line);
    while (input.too_long() && input.NextPiece(line)) {
        output.WriteRaw(line);
    }
    if (!input.ended_by_line_feed()) {
        return file_run.Finish({}); // the file ends within its title: no summary
    }
    output.WriteRaw("\r\n");

    const bool zone_per_point = run.pa == kKindUtm && run.h_entrada < 1.0;
    long long points = 0;
    long long line_number = 1;
    Rejections rejected(file_run);
    std::string out_line;
    while (input.Next(line)) {
        ++line_number;
        window.Step(input.position());
        if (window.Cancelled()) {
            return file_run.Fail(kCancelledLine);
        }
        PointLine point = ReadPointLine(line, zone_per_point, input.too_long());
        if (point.kind == PointLine::Kind::kNotAPoint) {
            continue;
        }
        if (point.kind == PointLine::Kind::kRejected) {
            rejected.Add(line_number, point.reason);
            continue;
        }
        const double zone_in = zone_per_point ? point.zone : run.h_entrada;
        double zone_out = run.h_salida; // chosen afresh for every point
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out =
            TransformFilePoint(point.coords, run.da, run.pa, zone_in, run.db, run.pb, run.h_salida,
                               file_run.set(), file_run.model(), zone_out, status);
        if (status != PointStatus::kTransformed) {
            rejected.Add(line_number, PointStatusText(status)); // outside the grid or the geoid
            continue;
        }
        if (!IsWritablePoint(run.pb, out, zone_out)) {
            rejected.Add(line_number, "resultado fuera de rango");
            continue;
        }
        out_line.clear();
        AppendInteger(out_line, point.number);
        AppendPointFields(out_line, run.pb, out, zone_out);
        out_line += "\r\n";
        output.WriteRaw(out_line);
        ++points;
    }
    rejected.Close();
    if (outcome) {
        outcome->rejected = rejected.count();
    }
    return file_run.Finish(TxtSummary(points, rejected.count()));
}

} // namespace

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

int ProcesarTXT(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome, FoundVertexList* found) {
    FileRun file_run(log_path, run, progress, kTxtLineLimit, outcome);
    try {
        std::unique_ptr<FoundVertexList> own;
        if (!found) {
            own = std::make_unique<FoundVertexList>();
            found = own.get();
        }
        return TransformPointFile(file_run, run, *found, outcome);
    } catch (...) {
        return file_run.FailUnexpectedly();
    }
}

int CentroideTXT(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress) {
    result = CentroidResult();
    if (!(datum == kDatumEd50 || datum == kDatumEtrs89) || !IsTransformableKind(kind) ||
        !IsZoneArgument(zone)) {
        return 0;
    }
    LineReader input(kTxtLineLimit);
    if (!input.Open(entrada)) {
        return 0;
    }
    ProgressWindow window(progress, kCaptionCentroid, input.size());
    ParameterSet set;
    SetSpainParametersWithReport(DirectionOf(datum, kDatumEd50), set, nullptr);

    // Line 1, the title, is dropped, however long.
    std::string line;
    if (!input.Next(line)) {
        return input.failed() ? 0 : 1;
    }
    while (input.too_long() && input.NextPiece(line)) {
    }
    if (!input.ended_by_line_feed()) {
        return input.failed() ? 0 : 1; // title line only
    }
    const bool zone_per_point = kind == kKindUtm && zone < 1.0;
    double sum_x = 0.0, sum_y = 0.0;
    while (input.Next(line)) {
        window.Step(input.position());
        if (window.Cancelled()) {
            result = CentroidResult();
            return 0;
        }
        const PointLine point = ReadPointLine(line, zone_per_point, input.too_long());
        if (point.kind != PointLine::Kind::kPoint) {
            continue;
        }
        double zone30 = 30.0;
        const CoordTriple out =
            TransformPoint(point.coords, datum, kind, zone_per_point ? point.zone : zone,
                           kDatumEd50, kKindUtm, 30.0, set, kModelHelmert, zone30);
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
