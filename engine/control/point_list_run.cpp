// Point lists held in memory (see transform_request.h): the points of the
// list go through what a TXT run does with the lines of its file, point by
// point, and the log is made of the same pieces as that run's log.
#include "control/point_run.h"
#include "files/number_format.h"
#include "files/ordered_work.h"
#include "files/point_fields.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/served_region.h"
#include "geodesy/vertex_coverage.h"
#include "request_codes.h"
#include "transform_request.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <thread>

namespace dezadiravevava::api {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Points transformed between two progress steps and stop requests.
constexpr std::int64_t kBlockPoints = 4096;
// The progress window counts a point as the bytes of its line in the list's
// file, about this many, so that it shows for the lists whose file would
// show it.
constexpr std::uint64_t kLineBytes = 40;

// The value an output line holds for `value` written with `decimals`.
double AsWritten(double value, int decimals) {
    char text[kFixedPointLength];
    char* const end = WriteFixedPoint(text, value, decimals);
    double read = kNaN;
    std::from_chars(text, end, read);
    return read;
}

// The status of a point that CarryFilePoint refused for `reason`.
PointResult StatusOfReason(std::string_view reason) {
    for (const PointResult status : {PointResult::kOutsideRegion, PointResult::kOutsideGrid,
                                     PointResult::kOutsideGeoid, PointResult::kOutsideDomain}) {
        if (reason == PointResultReason(status)) {
            return status;
        }
    }
    return PointResult::kOutOfRange;
}

// What the points of a range add to the summary of the log.
struct ListTally {
    long long points = 0;
    ZoneCounts zones{};
    CoverageTally coverage;
    UncertaintyRange uncertainty;

    void Add(const ListTally& other) {
        points += other.points;
        for (std::size_t zone = 0; zone < zones.size(); ++zone) {
            zones[zone] += other.zones[zone];
        }
        coverage.Add(other.coverage);
        uncertainty.Add(other.uncertainty);
    }
};

// Carries the points of a list as a TXT run carries the lines of its file.
class ListWork {
public:
    ListWork(const RunArguments& run, const PreparedRun& prepared, const VertexCoverage* coverage,
             const PointList& list, PointListOutcome& outcome, std::vector<std::string_view>& why)
        : run_(run), prepared_(prepared), coverage_(coverage), list_(list), outcome_(outcome),
          why_(why), zone_per_point_(run.pa == kKindUtm && run.h_entrada < 1.0),
          zone_out_per_point_(run.pb == kKindUtm && run.h_salida < 1.0),
          region_only_(run.region_only && run.parametros != kParametersGrid),
          decimals_(run.pb == kKindGeodetic ? 12 : 3) {}

    void operator()(std::int64_t first, std::int64_t last, ListTally& tally) const {
        for (std::int64_t i = first; i < last; ++i) {
            Carry(static_cast<std::size_t>(i), tally);
        }
    }

private:
    void Refuse(std::size_t i, PointResult status, std::string_view reason) const {
        outcome_.status[i] = status;
        why_[i] = reason;
    }

    void Carry(std::size_t i, ListTally& tally) const {
        const double* c = &list_.coordinates[i * 3];
        const CoordTriple point(c[0], c[1], c[2]);
        if (!std::isfinite(point.c1) || !std::isfinite(point.c2) || !std::isfinite(point.c3)) {
            Refuse(i, PointResult::kNotFinite, PointResultReason(PointResult::kNotFinite));
            return;
        }
        double zone_in = run_.h_entrada;
        if (zone_per_point_) {
            zone_in = i < list_.zones.size() ? list_.zones[i] : 0;
            if (zone_in < 1.0 || zone_in > 60.0) {
                Refuse(i, PointResult::kZoneInvalid, PointResultReason(PointResult::kZoneInvalid));
                return;
            }
        }
        CoordTriple out;
        double zone_out = 0.0;
        if (const char* reason = CarryFilePoint(point, zone_in, run_, prepared_.set(),
                                                prepared_.model(), region_only_, out, zone_out)) {
            Refuse(i, StatusOfReason(reason), reason);
            return;
        }
        outcome_.status[i] = PointResult::kTransformed;
        double* r = &outcome_.results[i * 3];
        r[0] = AsWritten(out.c1, decimals_);
        r[1] = AsWritten(out.c2, decimals_);
        r[2] = AsWritten(out.c3, decimals_);
        if (run_.pb == kKindUtm) {
            outcome_.zones[i] = static_cast<std::int32_t>(zone_out);
        }
        const double uncertainty = HorizontalUncertainty95(
            point, run_.da, run_.pa, zone_in, run_.db, prepared_.set(), prepared_.model());
        tally.uncertainty.Add(uncertainty);
        if (run_.uncertainty_column) {
            outcome_.uncertainty[i] = uncertainty >= 0.0 ? AsWritten(uncertainty, 3) : kNaN;
        }
        ++tally.points;
        if (zone_out_per_point_) {
            ++tally.zones[static_cast<std::size_t>(zone_out)];
        }
        if (coverage_) {
            coverage_->Count(point, run_.pa, zone_in, tally.coverage);
        }
    }

    const RunArguments& run_;
    const PreparedRun& prepared_;
    const VertexCoverage* const coverage_;
    const PointList& list_;
    PointListOutcome& outcome_;
    std::vector<std::string_view>& why_;
    const bool zone_per_point_;
    const bool zone_out_per_point_;
    const bool region_only_;
    const int decimals_;
};

// Runs `work` over the points first..last on up to `threads` threads and
// adds what they count to `tally`.
void RunRange(const ListWork& work, std::int64_t first, std::int64_t last, int threads,
              ListTally& tally) {
    const std::int64_t n = last - first;
    const std::int64_t parts = std::clamp<std::int64_t>(std::min<std::int64_t>(threads, n), 1, 64);
    if (parts == 1) {
        work(first, last, tally);
        return;
    }
    const std::int64_t chunk = (n + parts - 1) / parts;
    std::vector<ListTally> tallies(static_cast<std::size_t>(parts));
    std::vector<std::thread> helpers;
    for (std::int64_t p = 1; p < parts; ++p) {
        const std::int64_t from = first + p * chunk;
        const std::int64_t to = std::min(last, from + chunk);
        ListTally& own = tallies[static_cast<std::size_t>(p)];
        try {
            helpers.emplace_back([&work, from, to, &own] { work(from, to, own); });
        } catch (...) {
            work(from, to, own); // no thread: the caller does it
        }
    }
    work(first, std::min(last, first + chunk), tallies[0]);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const ListTally& part : tallies) {
        tally.Add(part);
    }
}

// The list's points as an array of `layout` (a zone column when each point
// has its own zone).
std::vector<double> ArrayOf(const PointList& list, const RunDescription& d, PointLayout& layout) {
    layout.in_columns = d.zone_per_point() ? 4 : 3;
    const std::size_t n = static_cast<std::size_t>(list.size());
    if (layout.in_columns == 3) {
        return list.coordinates;
    }
    std::vector<double> array(n * 4);
    for (std::size_t i = 0; i < n; ++i) {
        std::copy_n(&list.coordinates[i * 3], 3, &array[i * 4]);
        array[i * 4 + 3] = i < list.zones.size() ? list.zones[i] : 0.0;
    }
    return array;
}

std::string WithoutLineEnd(std::string text) {
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

CentroidOutcome PointListCentroid(const TransformRequest& request, const PointList& points,
                                  const Progress& progress, std::vector<double>* zone30) {
    ProgressAdapter sink(progress);
    const ProgressWindow window(&sink, kCaptionCentroid,
                                static_cast<std::uint64_t>(points.size()) * kLineBytes);
    RunArguments run = RunArgumentsOf(request);
    PointLayout layout;
    const RunDescription description = DescriptionOf(run);
    std::vector<double> array = ArrayOf(points, description, layout);
    const std::int64_t n = points.size();
    if (request.region_only) {
        // Only the points of the served region count, as in a file's centroid:
        // the others are made no coordinates, which the extent leaves out.
        const auto columns = static_cast<std::size_t>(layout.in_columns);
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
            double* p = &array[i * columns];
            const double zone = columns == 4 ? p[3] : run.h_entrada;
            if (!IsInServedRegion(CoordTriple(p[0], p[1], p[2]), run.pa, zone)) {
                p[0] = kNaN;
            }
        }
    }
    if (zone30 != nullptr) {
        zone30->assign(static_cast<std::size_t>(n) * 2, kNaN);
    }
    const CentroidResult c =
        PointsExtent(n, array.data(), description, layout, RunThreads(run.threads),
                     zone30 != nullptr ? zone30->data() : nullptr);
    CentroidOutcome outcome;
    outcome.succeeded = true;
    outcome.x = c.x;
    outcome.y = c.y;
    outcome.x_min = c.x_min;
    outcome.x_max = c.x_max;
    outcome.y_min = c.y_min;
    outcome.y_max = c.y_max;
    outcome.count = c.count;
    return outcome;
}

namespace {

// The vertices of a prepared set with their residuals, placed in ED50.
std::vector<VertexResidual> ResidualsOf(const PreparedRun& prepared, const RunArguments& run) {
    std::vector<VertexResidual> vertices;
    for (const dezadiravevava::VertexResidual& v : prepared.vertices()) {
        VertexResidual r;
        r.number = v.number;
        r.name = v.name;
        r.used = v.used;
        const bool ed50_source = run.da == kDatumEd50 || run.da == run.db;
        r.ed50_x = ed50_source ? v.source_x : v.target_x;
        r.ed50_y = ed50_source ? v.source_y : v.target_y;
        r.residual_x = v.residual_x;
        r.residual_y = v.residual_y;
        vertices.push_back(std::move(r));
    }
    return vertices;
}

} // namespace

std::optional<std::vector<VertexResidual>> EstimationVertices(const TransformRequest& request,
                                                              std::string& failure) {
    const RunArguments run = RunArgumentsOf(request);
    if (!request.catalogue_path.empty() && !run.catalogue) {
        failure = "Catálogo de vértices no válido: " + request.catalogue_path;
        return std::nullopt;
    }
    if (const std::string invalid = InvalidRunArguments(run); !invalid.empty()) {
        failure = WithoutLineEnd(invalid);
        return std::nullopt;
    }
    const std::optional<PreparedRun> prepared =
        PreparedRun::Prepare(DescriptionOf(run), failure, run.catalogue.get());
    if (!prepared) {
        return std::nullopt;
    }
    return ResidualsOf(*prepared, run);
}

PointListOutcome TransformPointList(const TransformRequest& request, const PointList& points,
                                    const Progress& progress) {
    PointListOutcome outcome;
    ProgressAdapter sink(progress);
    RunArguments run = RunArgumentsOf(request);
    run.entrada = points.input_name;
    run.salida = points.output_name;
    run.check_zone_field = false; // the list gives each point's zone apart
    const bool local =
        run.parametros == kParametersByDistance || run.parametros == kParametersByNumber;
    const bool name_files = !points.input_name.empty() || !points.output_name.empty();
    const auto fail = [&](const std::string& reason) {
        // A run that stops gives no point's result.
        outcome.status.clear();
        outcome.results.clear();
        outcome.zones.clear();
        outcome.uncertainty.clear();
        outcome.log += reason;
        outcome.failure = WithoutLineEnd(reason);
        const std::size_t last = outcome.failure.rfind('\n');
        if (last != std::string::npos) {
            outcome.failure.erase(0, last + 1);
        }
    };
    if (!request.catalogue_path.empty() && !run.catalogue && local) {
        outcome.failure = "Catálogo de vértices no válido: " + request.catalogue_path;
        return outcome;
    }
    const std::int64_t n = points.size();
    if (local && !request.origin) {
        const CentroidOutcome c = PointListCentroid(request, points, Progress{});
        if (c.count > 0) {
            run.x = (c.x_min + c.x_max) * 0.5;
            run.y = (c.y_min + c.y_max) * 0.5;
        }
    }
    if (local) {
        outcome.origin = std::array<double, 2>{run.x, run.y};
    }
    outcome.log = RunHeader(run, name_files);
    if (const std::string invalid = InvalidRunArguments(run); !invalid.empty()) {
        fail(invalid);
        return outcome;
    }
    ProgressWindow window(&sink, kCaptionTransforming, static_cast<std::uint64_t>(n) * kLineBytes);
    std::string failure;
    std::string report;
    FoundVertexList found;
    const std::optional<PreparedRun> prepared =
        PreparedRun::Prepare(DescriptionOf(run), failure, run.catalogue.get(), &found, &report);
    if (!prepared) {
        outcome.log += report; // it ends with the reason
        outcome.failure = failure;
        return outcome;
    }
    outcome.log += report;
    outcome.vertices = ResidualsOf(*prepared, run);
    if (run.parametros == kParametersAndalusia || local) {
        outcome.vertices_used = static_cast<int>(VerticesUsed(found).size());
    }
    std::optional<VertexCoverage> coverage;
    if (local && run.da != run.db) {
        coverage.emplace(VerticesUsed(found), run.da);
    }

    const auto size = static_cast<std::size_t>(n);
    outcome.status.assign(size, PointResult::kTransformed);
    outcome.results.assign(size * 3, kNaN);
    outcome.zones.assign(size, 0);
    if (run.uncertainty_column) {
        outcome.uncertainty.assign(size, kNaN);
    }
    std::vector<std::string_view> why(size);
    const ListWork work(run, *prepared, coverage ? &*coverage : nullptr, points, outcome, why);
    const int threads = RunThreads(run.threads);
    ListTally tally;
    for (std::int64_t first = 0; first < n; first += kBlockPoints) {
        if (window.Cancelled()) {
            outcome.cancelled = true;
            fail(std::string(kCancelledLine));
            return outcome;
        }
        const std::int64_t last = std::min(n, first + kBlockPoints);
        RunRange(work, first, last, threads, tally);
        window.Step(static_cast<std::uint64_t>(last) * kLineBytes);
    }
    if (window.Cancelled()) {
        outcome.cancelled = true;
        fail(std::string(kCancelledLine));
        return outcome;
    }

    // The refused points in list order, named as the lines of the list's
    // file (its line 1 is the title).
    RejectedLines rejected;
    for (std::size_t i = 0; i < size; ++i) {
        if (outcome.status[i] != PointResult::kTransformed) {
            rejected.Add(i + 2, why[i]);
            outcome.refused.emplace_back(static_cast<std::int64_t>(i), std::string(why[i]));
        }
    }
    outcome.log += rejected.Text();
    outcome.points = tally.points;
    outcome.rejected = rejected.count();
    outcome.log += TxtSummary(tally.points, rejected.count(), tally.zones, tally.uncertainty);
    if (coverage) {
        outcome.warnings = CoverageWarnings(tally.coverage);
        for (const std::string& warning : outcome.warnings) {
            outcome.log += warning + "\n";
        }
    }
    outcome.succeeded = true;
    return outcome;
}

} // namespace dezadiravevava::api
