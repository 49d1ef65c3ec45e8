#include "files/txt_processing.h"

#include "files/line_blocks.h"
#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "files/point_fields.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/served_region.h"
#include "geodesy/transform.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

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

// The uncertainty column of a point line: a TAB, then metres with 3
// decimals, or "nan" for a point of a set that knows none.
char* WriteUncertainty(char* out, double metres) {
    *out++ = '\t';
    if (metres >= 0.0) {
        return WriteFixedPoint(out, metres, 3);
    }
    for (const char c : {'n', 'a', 'n'}) {
        *out++ = c;
    }
    return out;
}

// A block of point lines and what the workers make of it: the output lines,
// the lines rejected (number and reason) and the count of points written.
struct PointBlock {
    LineBlock lines;
    std::string output;
    std::vector<std::pair<std::int64_t, std::string>> rejected;
    long long points = 0;
    ZoneCounts zones{};           // points per output zone, when each point has its own
    CoverageTally coverage;       // points far from a local fit's vertices
    UncertaintyRange uncertainty; // of the points written
};

// Transforms the points of a block, as the lines of a file one after another.
class PointBlockWork {
public:
    PointBlockWork(const RunArguments& run, const ParameterSet& set, int model,
                   const VertexCoverage* coverage)
        : run_(run), set_(set), model_(model), coverage_(coverage),
          zone_per_point_(run.pa == kKindUtm && run.h_entrada < 1.0),
          zone_out_per_point_(run.pb == kKindUtm && run.h_salida < 1.0),
          region_only_(run.region_only && run.parametros != kParametersGrid),
          zone_field_checked_(run.check_zone_field && run.pa == kKindUtm && !zone_per_point_) {}

    void operator()(PointBlock& block) const {
        block.output.clear();
        block.rejected.clear();
        block.points = 0;
        block.zones.fill(0);
        block.coverage = CoverageTally();
        block.uncertainty = UncertaintyRange();
        ForEachLine(block.lines, [&](std::int64_t number, std::string_view line, bool too_long) {
            Transform(block, number, line, too_long);
        });
    }

private:
    void Transform(PointBlock& block, std::int64_t line_number, std::string_view line,
                   bool too_long) const {
        PointLine point = ReadPointLine(line, zone_per_point_, too_long);
        if (point.kind == PointLine::Kind::kNotAPoint) {
            return;
        }
        if (point.kind == PointLine::Kind::kRejected) {
            block.rejected.emplace_back(line_number, std::move(point.reason));
            return;
        }
        if (zone_field_checked_) {
            const int own = ZoneFieldOf(line);
            if (own != 0 && own != run_.h_entrada) {
                block.rejected.emplace_back(
                    line_number, "el huso del punto (" + std::to_string(own) +
                                     ") no es el de la entrada (" +
                                     std::to_string(static_cast<int>(run_.h_entrada)) + ")");
                return;
            }
        }
        const double zone_in = zone_per_point_ ? point.zone : run_.h_entrada;
        double zone_out = 0.0;
        CoordTriple out;
        if (const char* reason = CarryFilePoint(point.coords, zone_in, run_, set_, model_,
                                                region_only_, out, zone_out)) {
            block.rejected.emplace_back(line_number, reason);
            return;
        }
        // The line is made in place and added to the block's output at once;
        // the point number is copied as the input has it when that is how it
        // would be written.
        char line_out[kPointNumberLength + kPointFieldsLength + kFixedPointLength + 3];
        char* end = line_out;
        if (!point.number_text.empty()) {
            end = std::copy(point.number_text.begin(), point.number_text.end(), end);
        } else {
            end = WriteInteger(end, point.number);
        }
        end = WritePointFields(end, run_.pb, out, zone_out);
        // Every point's uncertainty, for the range the log states; the column
        // only when asked for.
        const double uncertainty =
            HorizontalUncertainty95(point.coords, run_.da, run_.pa, zone_in, run_.db, set_, model_);
        block.uncertainty.Add(uncertainty);
        if (run_.uncertainty_column) {
            end = WriteUncertainty(end, uncertainty);
        }
        *end++ = '\r';
        *end++ = '\n';
        block.output.append(line_out, end);
        ++block.points;
        if (zone_out_per_point_) {
            ++block.zones[static_cast<std::size_t>(zone_out)]; // a zone 1 to 60: IsWritablePoint
        }
        if (coverage_) {
            coverage_->Count(point.coords, run_.pa, zone_in, block.coverage);
        }
    }

    const RunArguments& run_;
    const ParameterSet& set_;
    const int model_;
    const VertexCoverage* const coverage_;
    const bool zone_per_point_;
    const bool zone_out_per_point_;
    const bool region_only_;
    const bool zone_field_checked_;
};

int TransformPointFile(FileRun& file_run, const RunArguments& run, FoundVertexList& found,
                       RunOutcome* outcome) {
    if (!file_run.Start(InvalidRunArguments(run), found)) {
        return 0;
    }
    LineReader& input = file_run.input();
    OutputFile& output = file_run.output();

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

    // The points, transformed on the worker threads; written, counted and
    // named in the log here, in input order.
    long long points = 0;
    ZoneCounts zones{};
    CoverageTally coverage;
    UncertaintyRange uncertainty;
    Rejections rejected(file_run);
    LineBlockReader reader(input, file_run.window(), 2);
    const LinesEnd end = RunLineBlocks<PointBlock>(
        reader, RunThreads(run.threads),
        PointBlockWork(run, file_run.set(), file_run.model(), file_run.coverage()),
        [&](PointBlock& block) {
            output.WriteRaw(block.output);
            for (const auto& [line_number, reason] : block.rejected) {
                rejected.Add(line_number, reason);
            }
            points += block.points;
            for (std::size_t zone = 0; zone < zones.size(); ++zone) {
                zones[zone] += block.zones[zone];
            }
            coverage.Add(block.coverage);
            uncertainty.Add(block.uncertainty);
            return output.ok(); // no use going on with an output that cannot be written
        });
    if (end == LinesEnd::kCancelled) {
        return file_run.Fail(kCancelledLine);
    }
    if (end == LinesEnd::kStopped) {
        return file_run.Fail(UnwritableOutput(run.salida));
    }
    rejected.Close();
    if (outcome) {
        outcome->rejected = rejected.count();
        outcome->points = points;
    }
    return file_run.Finish(TxtSummary(points, rejected.count(), zones, uncertainty), coverage);
}

// A block of point lines and their points in ED50 UTM zone 30, x and y.
struct CentroidBlock {
    LineBlock lines;
    std::vector<double> xy;
};

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
                 CentroidResult& result, ProgressSink* progress, int threads, bool region_only) {
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
    // Transformed on the worker threads, summed here in input order: the
    // same sums, to the last bit, whatever the number of threads.
    double sum_x = 0.0, sum_y = 0.0;
    LineBlockReader reader(input, window, 2);
    const LinesEnd end = RunLineBlocks<CentroidBlock>(
        reader, RunThreads(threads),
        [&](CentroidBlock& block) {
            block.xy.clear();
            ForEachLine(block.lines, [&](std::int64_t, std::string_view text, bool too_long) {
                const PointLine point = ReadPointLine(text, zone_per_point, too_long);
                if (point.kind != PointLine::Kind::kPoint) {
                    return;
                }
                const double zone_in = zone_per_point ? point.zone : zone;
                if (region_only && !IsInServedRegion(point.coords, kind, zone_in)) {
                    return;
                }
                double zone30 = 30.0;
                PointStatus status = PointStatus::kTransformed;
                const CoordTriple out =
                    TransformPoint(point.coords, datum, kind, zone_in, kDatumEd50, kKindUtm, 30.0,
                                   set, kModelHelmert, zone30, status);
                if (status != PointStatus::kTransformed) {
                    return; // outside the domain
                }
                block.xy.push_back(out.c1);
                block.xy.push_back(out.c2);
            });
        },
        [&](CentroidBlock& block) {
            for (std::size_t i = 0; i + 1 < block.xy.size(); i += 2) {
                AccumulateCentroid(result, block.xy[i], block.xy[i + 1], sum_x, sum_y);
            }
            return true;
        });
    if (end == LinesEnd::kCancelled) {
        result = CentroidResult();
        return 0;
    }
    if (input.failed()) {
        result = CentroidResult();
        return 0;
    }
    FinishCentroid(result, sum_x, sum_y);
    return 1;
}

} // namespace dezadiravevava
