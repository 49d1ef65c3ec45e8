#include "files/table_processing.h"

#include "files/line_blocks.h"
#include "files/line_reader.h"
#include "files/output_file.h"
#include "files/point_fields.h"
#include "files/table_rows.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/served_region.h"
#include "geodesy/transform.h"

#include <memory>
#include <utility>

namespace dezadiravevava {

namespace {

// The lines of a table as they are, ends included, for the worker threads.
struct RawLineBlock {
    struct Line {
        std::size_t content = 0; // bytes without the end
        std::size_t end = 0;     // bytes of the end (0, 1 or 2)
        bool too_long = false;   // longer than a table line: nothing of it is held
    };
    std::int64_t first_line = 0;
    std::string text;
    std::vector<Line> lines;
    std::size_t count = 0;

    std::size_t bytes() const { return text.size() + lines.size() * sizeof(Line); }
};

// LineBlockReader for raw lines.
class RawLineBlockReader {
public:
    RawLineBlockReader(LineReader& input, ProgressWindow& window, std::int64_t next_line)
        : input_(input), window_(window), next_line_(next_line) {}

    bool Fill(RawLineBlock& block) {
        block.first_line = next_line_;
        block.text.clear();
        block.lines.clear();
        block.count = 0;
        if (cancelled_) {
            return false;
        }
        while (block.count < kLineBlockLines && block.text.size() < kLineBlockBytes) {
            if (!input_.Next(content_, &raw_)) {
                cancelled_ = input_.failed() && window_.Cancelled();
                return false;
            }
            window_.Step(input_.position());
            if (window_.Cancelled()) {
                cancelled_ = true;
                return false;
            }
            if (input_.too_long()) {
                block.lines.push_back({0, 0, true});
            } else {
                block.text += raw_;
                block.lines.push_back({content_.size(), raw_.size() - content_.size(), false});
            }
            ++block.count;
            ++next_line_;
        }
        return true;
    }
    bool cancelled() const { return cancelled_; }

private:
    LineReader& input_;
    ProgressWindow& window_;
    std::int64_t next_line_;
    std::string content_;
    std::string raw_;
    bool cancelled_ = false;
};

template <typename Each>
void ForEachRawLine(const RawLineBlock& block, Each each) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        const RawLineBlock::Line& line = block.lines[i];
        const std::string_view text(block.text);
        each(block.first_line + static_cast<std::int64_t>(i), text.substr(at, line.content),
             text.substr(at + line.content, line.end), line.too_long);
        at += line.content + line.end;
    }
}

// A block of rows and what the workers make of it.
struct RowBlock {
    RawLineBlock lines;
    std::string output;
    std::vector<std::pair<std::int64_t, std::string>> rejected;
    long long points = 0;
    ZoneCounts zones{};
    CoverageTally coverage;
    UncertaintyRange uncertainty;

    void Clear() {
        output.clear();
        rejected.clear();
        points = 0;
        zones.fill(0);
        coverage = CoverageTally();
        uncertainty = UncertaintyRange();
    }
};

class RowWork {
public:
    RowWork(const TableShape& shape, const RunArguments& run, const ParameterSet& set, int model,
            const VertexCoverage* coverage)
        : shape_(shape), run_(run), set_(set), model_(model), coverage_(coverage),
          region_only_(run.region_only && run.parametros != kParametersGrid) {}

    void operator()(RowBlock& block) const {
        block.Clear();
        TableRowReading row;
        ForEachRawLine(block.lines,
                       [&](std::int64_t number, std::string_view line, std::string_view end,
                           bool too_long) { Transform(block, row, number, line, end, too_long); });
    }

    void Transform(RowBlock& block, TableRowReading& row, std::int64_t line_number,
                   std::string_view line, std::string_view end, bool too_long) const {
        ReadTableRow(shape_, line, too_long, row);
        if (row.kind == TableRowReading::Kind::kBlank) {
            block.output.append(line);
            block.output.append(end);
            return;
        }
        if (row.kind == TableRowReading::Kind::kRejected) {
            block.rejected.emplace_back(line_number, std::move(row.reason));
            return;
        }
        double zone_out = 0.0;
        CoordTriple out;
        if (const char* reason = CarryFilePoint(row.coords, row.zone, run_, set_, model_,
                                                region_only_, out, zone_out)) {
            block.rejected.emplace_back(line_number, reason);
            return;
        }
        const double uncertainty =
            HorizontalUncertainty95(row.coords, run_.da, run_.pa, row.zone, run_.db, set_, model_);
        WriteRow(shape_, line, row, out, zone_out, uncertainty, end, block.output);
        block.uncertainty.Add(uncertainty);
        ++block.points;
        if (run_.pb == kKindUtm && shape_.zone_out == 0.0) {
            ++block.zones[static_cast<std::size_t>(zone_out)];
        }
        if (coverage_) {
            coverage_->Count(row.coords, run_.pa, row.zone, block.coverage);
        }
    }

private:
    const TableShape& shape_;
    const RunArguments& run_;
    const ParameterSet& set_;
    const int model_;
    const VertexCoverage* const coverage_;
    const bool region_only_;
};

void Add(RowBlock& total, const RowBlock& block) {
    total.points += block.points;
    for (std::size_t zone = 0; zone < total.zones.size(); ++zone) {
        total.zones[zone] += block.zones[zone];
    }
    total.coverage.Add(block.coverage);
    total.uncertainty.Add(block.uncertainty);
}

int TransformTable(FileRun& file_run, const RunArguments& run, const TableOptions& options,
                   FoundVertexList& found, RunOutcome* outcome) {
    if (!file_run.Start(InvalidRunArguments(run), found)) {
        return 0;
    }
    LineReader& input = file_run.input();
    OutputFile& output = file_run.output();
    TableStart start;
    if (!StartTable(input, options, run, start)) {
        return file_run.Fail(start.failure);
    }
    output.WriteRaw(start.before);

    RowBlock total;
    long long rejected = 0;
    const auto take = [&](RowBlock& block) {
        output.WriteRaw(block.output);
        for (const auto& [line_number, reason] : block.rejected) {
            if (++rejected <= kRejectedLinesNamed) {
                file_run.Log("Línea " + std::to_string(line_number) + " rechazada: " + reason +
                             "\n");
            }
        }
        Add(total, block);
        return output.ok();
    };
    const RowWork work(start.shape, run, file_run.set(), file_run.model(), file_run.coverage());
    if (start.has_row) {
        RowBlock first;
        TableRowReading row;
        work.Transform(first, row, start.row_line, start.row, start.row_end, false);
        take(first);
        RawLineBlockReader reader(input, file_run.window(), start.next_line);
        const LinesEnd end = RunLineBlocks<RowBlock>(reader, RunThreads(run.threads), work, take);
        if (end == LinesEnd::kCancelled) {
            return file_run.Fail(kCancelledLine);
        }
        if (end == LinesEnd::kStopped) {
            return file_run.Fail(UnwritableOutput(run.salida));
        }
    }
    if (rejected > kRejectedLinesNamed) {
        file_run.Log("Otras " + std::to_string(rejected - kRejectedLinesNamed) +
                     " líneas rechazadas no se detallan\n");
    }
    if (outcome) {
        outcome->rejected = rejected;
        outcome->points = total.points;
    }
    // The summary of a TXT file's, for a table.
    std::string summary = TxtSummary(total.points, rejected, total.zones, total.uncertainty);
    constexpr std::string_view kTxtKind = "Tipo de archivo......: TXT";
    if (const std::size_t at = summary.find(kTxtKind); at != std::string::npos) {
        summary.replace(at, kTxtKind.size(), "Tipo de archivo......: Tabla");
    }
    return file_run.Finish(summary, total.coverage);
}

} // namespace

int ProcesarTabla(const std::string& log_path, const RunArguments& run, const TableOptions& table,
                  ProgressSink* progress, RunOutcome* outcome, FoundVertexList* found) {
    FileRun file_run(log_path, run, progress, kTableLineLimit, outcome);
    try {
        std::unique_ptr<FoundVertexList> own;
        if (!found) {
            own = std::make_unique<FoundVertexList>();
            found = own.get();
        }
        return TransformTable(file_run, run, table, *found, outcome);
    } catch (...) {
        return file_run.FailUnexpectedly();
    }
}

int CentroideTabla(const std::string& entrada, const TableOptions& table, int datum, int kind,
                   double zone, CentroidResult& result, ProgressSink* progress, bool region_only) {
    result = CentroidResult();
    if (!(datum == kDatumEd50 || datum == kDatumEtrs89) || kind < kKindGeodetic ||
        kind > kKindGeocentric || !IsZoneArgument(zone)) {
        return 0;
    }
    LineReader input(kTableLineLimit);
    if (!input.Open(entrada)) {
        return 0;
    }
    ProgressWindow window(progress, kCaptionCentroid, input.size());
    ParameterSet set;
    SetSpainParametersWithReport(DirectionOf(datum, kDatumEd50), set, nullptr);
    RunArguments run;
    run.da = datum;
    run.pa = kind;
    run.h_entrada = zone;
    run.db = kDatumEd50;
    run.pb = kKindUtm;
    run.h_salida = 30.0;
    TableStart start;
    if (!StartTable(input, table, run, start)) {
        return 0;
    }
    double sum_x = 0.0, sum_y = 0.0;
    TableRowReading row;
    std::string content;
    const auto add = [&](std::string_view line, bool too_long) {
        ReadTableRow(start.shape, line, too_long, row);
        if (row.kind != TableRowReading::Kind::kPoint ||
            (region_only && !IsInServedRegion(row.coords, kind, row.zone))) {
            return;
        }
        double zone30 = 30.0;
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(row.coords, datum, kind, row.zone, kDatumEd50,
                                               kKindUtm, 30.0, set, kModelHelmert, zone30, status);
        if (status == PointStatus::kTransformed) {
            AccumulateCentroid(result, out.c1, out.c2, sum_x, sum_y);
        }
    };
    if (start.has_row) {
        add(start.row, false);
        while (input.Next(content)) {
            window.Step(input.position());
            if (window.Cancelled()) {
                result = CentroidResult();
                return 0;
            }
            add(content, input.too_long());
        }
    }
    if (input.failed()) {
        result = CentroidResult();
        return 0;
    }
    FinishCentroid(result, sum_x, sum_y);
    return 1;
}

} // namespace dezadiravevava
