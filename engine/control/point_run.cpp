#include "control/point_run.h"

#include "files/catalogue_file.h"
#include "files/file_run.h"
#include "files/point_fields.h"
#include "files/text_encoding.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/served_region.h"
#include "geodesy/transform.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <thread>

namespace dezadiravevava {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kZone30 = 30.0;

// Below this many points a thread costs more than it saves.
constexpr std::int64_t kPointsPerThread = 32768;

bool IsZoneNumber(double zone) {
    return zone >= 1.0 && zone <= 60.0 && zone == std::floor(zone);
}

std::string WithoutLineEnd(std::string text) {
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// The last line of a report: the reason a preparation failed.
std::string LastLine(const std::string& text) {
    const std::string trimmed = WithoutLineEnd(text);
    const std::size_t start = trimmed.rfind('\n');
    return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

// The point as its columns give it: a missing third value is 0, as a UTM
// height that nothing depends on or a geodetic point on the ellipsoid.
CoordTriple InputPoint(const double* in, int columns) {
    return CoordTriple(in[0], in[1], columns >= 3 ? in[2] : 0.0);
}

// NaN over the output of a point refused for `code`.
PointStatusCode Refuse(double* out, const PointLayout& layout, PointStatusCode code) {
    for (int k = 0; k < layout.out_columns; ++k) {
        out[k] = kNaN;
    }
    return code;
}

// The checks before a point's conversion: its coordinates as its columns give
// them and its zone, or why it is refused (kTransformed: it goes on).
PointStatusCode Admit(const RunDescription& description, const double* in,
                      const PointLayout& layout, CoordTriple& point, double& zone_in) {
    point = InputPoint(in, layout.in_columns);
    if (!std::isfinite(point.c1) || !std::isfinite(point.c2) || !std::isfinite(point.c3)) {
        return PointStatusCode::kNotFinite;
    }
    zone_in = description.zone_a;
    if (description.zone_per_point()) {
        zone_in = in[3];
        if (!IsZoneNumber(zone_in)) {
            return PointStatusCode::kZoneInvalid;
        }
    }
    if (layout.region_only && IsRefusedByRegion(point, description.pa, zone_in)) {
        return PointStatusCode::kOutsideRegion;
    }
    return PointStatusCode::kTransformed;
}

// A transformed point's values as the layout takes them (c1, c2, c3, the zone
// used), or its refusal when the output cannot hold them.
PointStatusCode WriteResult(int kind_out, const CoordTriple& result, double zone_out, double* out,
                            const PointLayout& layout) {
    if (!IsWritablePoint(kind_out, result, zone_out)) {
        return Refuse(out, layout, PointStatusCode::kOutOfRange);
    }
    const double values[4] = {result.c1, result.c2, result.c3, zone_out};
    if (layout.out_columns == 4) {
        std::memcpy(out, values, sizeof values);
    } else {
        std::memcpy(out, values, sizeof(double) * static_cast<std::size_t>(layout.out_columns));
    }
    return PointStatusCode::kTransformed;
}

} // namespace

RunArguments RunArgumentsOf(const RunDescription& description) {
    RunArguments run;
    run.da = description.da;
    run.pa = description.pa;
    run.h_entrada = description.zone_a;
    run.db = description.db;
    run.pb = description.pb;
    run.h_salida = description.zone_b;
    run.model = description.model;
    run.parametros = description.parametros;
    run.selec_param = description.seleccion;
    run.x = description.origin_x;
    run.y = description.origin_y;
    run.orthometric_heights = description.orthometric_heights;
    run.grid_path = description.grid_path;
    run.geoid_path = description.geoid_path;
    run.orthometric_geodetic_in = description.orthometric_geodetic_in;
    run.orthometric_geodetic_out = description.orthometric_geodetic_out;
    return run;
}

RunDescription DescriptionOf(const RunArguments& run) {
    RunDescription d;
    d.da = run.da;
    d.pa = run.pa;
    d.zone_a = run.h_entrada;
    d.db = run.db;
    d.pb = run.pb;
    d.zone_b = run.h_salida;
    d.model = run.model;
    d.parametros = run.parametros;
    d.seleccion = run.selec_param;
    d.origin_x = run.x;
    d.origin_y = run.y;
    d.orthometric_heights = run.orthometric_heights;
    d.grid_path = run.grid_path;
    d.geoid_path = run.geoid_path;
    d.orthometric_geodetic_in = run.orthometric_geodetic_in;
    d.orthometric_geodetic_out = run.orthometric_geodetic_out;
    return d;
}

std::string InvalidDescription(const RunDescription& description) {
    const std::string invalid = WithoutLineEnd(InvalidRunArguments(RunArgumentsOf(description)));
    if (!invalid.empty()) {
        return invalid;
    }
    // Orthometric geodetic heights go through the geoid, to a geodetic side.
    const bool orthometric_geodetic =
        description.orthometric_geodetic_in || description.orthometric_geodetic_out;
    if (orthometric_geodetic && !description.orthometric_heights) {
        return "Las altitudes ortométricas de coordenadas geodésicas necesitan el geoide "
               "(alturas ortométricas)";
    }
    if ((description.orthometric_geodetic_in && description.pa != kKindGeodetic) ||
        (description.orthometric_geodetic_out && description.pb != kKindGeodetic)) {
        return "Las altitudes ortométricas geodésicas solo se dan a un lado de coordenadas "
               "geodésicas";
    }
    return {};
}

std::string InvalidLayout(const RunDescription& description, const PointLayout& layout) {
    if (layout.in_columns < 2 || layout.in_columns > 4) {
        return "Columnas de entrada no admitidas: " + std::to_string(layout.in_columns);
    }
    if (layout.out_columns < 2 || layout.out_columns > 4) {
        return "Columnas de salida no admitidas: " + std::to_string(layout.out_columns);
    }
    if (description.zone_per_point() && layout.in_columns != 4) {
        return "Sin huso de entrada, cada punto UTM lleva su huso en la cuarta columna";
    }
    if (!description.zone_per_point() && layout.in_columns == 4) {
        return "La cuarta columna de entrada es el huso de cada punto UTM, y la entrada no lo "
               "lleva";
    }
    if (description.pa == kKindGeocentric && layout.in_columns < 3) {
        return "Las coordenadas geocéntricas de entrada necesitan tres columnas";
    }
    if (description.pb == kKindGeocentric && layout.out_columns < 3) {
        return "Las coordenadas geocéntricas de salida necesitan tres columnas";
    }
    if (description.pb != kKindUtm && layout.out_columns == 4) {
        return "La cuarta columna de salida es el huso, y la salida no es UTM";
    }
    return {};
}

std::optional<PreparedRun> PreparedRun::Prepare(const RunDescription& description,
                                                std::string& failure, const Catalogue* catalogue,
                                                FoundVertexList* found_out, std::string* report) {
    failure = InvalidDescription(description);
    if (!failure.empty()) {
        if (report) {
            *report = failure + "\n";
        }
        return std::nullopt;
    }
    PreparedRun prepared;
    prepared.description_ = description;
    prepared.model_ = description.model;
    FoundVertexList own_found;
    FoundVertexList& found = found_out ? *found_out : own_found;
    const bool fitted = PrepareParameters(
        description.da, description.pa, description.db, prepared.model_, description.parametros,
        description.seleccion, description.origin_x, description.origin_y, 0.0, description.zone_a,
        found, prepared.set_, &prepared.report_, true, description.grid_path,
        catalogue ? *catalogue : BuiltInCatalogue());
    if (fitted) {
        prepared.report_ += FitDetailBlock(FitRunOf(RunArgumentsOf(description), prepared.model_),
                                           found, prepared.set_);
    }
    // Orthometric heights need the geoid, named in the report after the set.
    const bool ready =
        fitted && (!description.orthometric_heights ||
                   PrepareGeoid(prepared.set_, description.geoid_path, &prepared.report_));
    if (report) {
        *report = prepared.report_;
    }
    if (!ready) {
        failure = LastLine(prepared.report_);
        return std::nullopt;
    }
    prepared.SetOrthometricGeodetic(description.orthometric_geodetic_in,
                                    description.orthometric_geodetic_out);
    if (description.parametros != kParametersSpain) {
        prepared.FindResiduals(found);
    }
    prepared.FindPipeline();
    return prepared;
}

void PreparedRun::FindPipeline() {
    proj_ = ProjPipeline(FitRunOf(RunArgumentsOf(description_), model_), set_).value_or("");
}

void PreparedRun::FindResiduals(const FoundVertexList& found) {
    // The set maps the source of its direction to its target, whatever the
    // datums of the run (between equal datums it is estimated all the same).
    const int direction = DirectionOf(description_.da, description_.db);
    const bool reverse = direction == kDirectionEtrs89ToEd50;
    const int source_datum = reverse ? kDatumEtrs89 : kDatumEd50;
    const int target_datum = reverse ? kDatumEd50 : kDatumEtrs89;
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    vertices_.clear();
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        VertexResidual r;
        r.number = v.number;
        r.name = Cp1252ToUtf8(v.name);
        r.used = NationalDeviation(v, national) <= kBlunderLimit;
        r.source_x = reverse ? v.etrs_x : v.ed50_x;
        r.source_y = reverse ? v.etrs_y : v.ed50_y;
        r.target_x = reverse ? v.ed50_x : v.etrs_x;
        r.target_y = reverse ? v.ed50_y : v.etrs_y;
        double zone = kZone30;
        const CoordTriple moved =
            TransformPoint(CoordTriple(r.source_x, r.source_y, 0.0), source_datum, kKindUtm,
                           kZone30, target_datum, kKindUtm, kZone30, set_, model_, zone);
        r.residual_x = r.target_x - moved.c1;
        r.residual_y = r.target_y - moved.c2;
        vertices_.push_back(std::move(r));
    }
}

int PreparedRun::used_count() const {
    return static_cast<int>(
        std::count_if(vertices_.begin(), vertices_.end(), [](const auto& v) { return v.used; }));
}

double PreparedRun::adjustment_error() const {
    if (used_count() == 0) {
        return kNaN; // the national set: nothing was adjusted
    }
    constexpr std::string_view kLabel = "Error ajuste:";
    const std::size_t at = report_.rfind(kLabel);
    if (at == std::string::npos) {
        return kNaN;
    }
    std::size_t start = at + kLabel.size();
    while (start < report_.size() && report_[start] == ' ') {
        ++start;
    }
    if (start < report_.size() && report_[start] == '+') {
        ++start; // from_chars takes no plus sign
    }
    double value = kNaN;
    const char* first = report_.data() + start;
    const auto result = std::from_chars(first, report_.data() + report_.size(), value);
    return result.ec == std::errc() ? value : kNaN; // "indeterminado": no redundancy
}

PointStatusCode PreparedRun::Transform(const double* in, double* out,
                                       const PointLayout& layout) const {
    CoordTriple point;
    double zone_in = 0.0;
    if (const PointStatusCode code = Admit(description_, in, layout, point, zone_in);
        code != PointStatusCode::kTransformed) {
        return Refuse(out, layout, code);
    }
    double zone_out = description_.zone_b; // chosen afresh for every point
    PointStatus status = PointStatus::kTransformed;
    const CoordTriple result =
        TransformFilePoint(point, description_.da, description_.pa, zone_in, description_.db,
                           description_.pb, description_.zone_b, set_, model_, zone_out, status);
    if (status == PointStatus::kOutsideGrid) {
        return Refuse(out, layout, PointStatusCode::kOutsideGrid);
    }
    if (status == PointStatus::kOutsideGeoid) {
        return Refuse(out, layout, PointStatusCode::kOutsideGeoid);
    }
    if (status == PointStatus::kOutsideDomain) {
        return Refuse(out, layout, PointStatusCode::kOutsideDomain);
    }
    return WriteResult(description_.pb, result, zone_out, out, layout);
}

double PreparedRun::Uncertainty(const double* in, const PointLayout& layout) const {
    const double zone_in = description_.zone_per_point() ? in[3] : description_.zone_a;
    return HorizontalUncertainty95(InputPoint(in, layout.in_columns), description_.da,
                                   description_.pa, zone_in, description_.db, set_, model_);
}

void PreparedRun::TransformBlocks(std::int64_t first, std::int64_t last, const double* in,
                                  double* out, std::int32_t* status,
                                  const PointLayout& layout) const {
    const auto settle = [&](std::int64_t i, PointStatusCode code) {
        status[i] = static_cast<std::int32_t>(code);
    };
    // Transform's checks before the conversion, point by point; the points
    // that pass go through the conversion together.
    CoordTriple points[kUtmBlock];
    double zones[kUtmBlock];
    std::int64_t index[kUtmBlock];
    CoordTriple results[kUtmBlock];
    double out_zones[kUtmBlock];
    PointStatus statuses[kUtmBlock];
    for (std::int64_t next = first; next < last;) {
        int m = 0;
        for (; next < last && m < kUtmBlock; ++next) {
            const PointStatusCode code =
                Admit(description_, in + next * layout.in_columns, layout, points[m], zones[m]);
            if (code != PointStatusCode::kTransformed) {
                settle(next, Refuse(out + next * layout.out_columns, layout, code));
                continue;
            }
            index[m++] = next;
        }
        TransformUtmBlock(m, points, zones, description_.da, description_.db, description_.zone_b,
                          set_, results, out_zones, statuses);
        for (int j = 0; j < m; ++j) {
            double* at = out + index[j] * layout.out_columns;
            if (statuses[j] != PointStatus::kTransformed) {
                settle(index[j], Refuse(at, layout, PointStatusCode::kOutsideDomain));
                continue;
            }
            // The input's own H, as TransformFilePoint gives it without a geoid.
            const CoordTriple result(results[j].c1, results[j].c2, points[j].c3);
            settle(index[j], WriteResult(description_.pb, result, out_zones[j], at, layout));
        }
    }
}

void PreparedRun::TransformAll(std::int64_t n, const double* in, double* out, std::int32_t* status,
                               const PointLayout& layout, int threads, double* uncertainty) const {
    const bool blocks =
        !uncertainty && IsUtmBlockRun(description_.da, description_.pa, description_.db,
                                      description_.pb, set_, model_);
    const auto range = [&](std::int64_t first, std::int64_t last) noexcept {
        if (blocks) {
            TransformBlocks(first, last, in, out, status, layout);
            return;
        }
        for (std::int64_t i = first; i < last; ++i) {
            const double* point = in + i * layout.in_columns;
            // Before the transformation, which may write over its input.
            const double metres = uncertainty ? Uncertainty(point, layout) : kNaN;
            const PointStatusCode code = Transform(point, out + i * layout.out_columns, layout);
            status[i] = static_cast<std::int32_t>(code);
            if (uncertainty) {
                uncertainty[i] = code == PointStatusCode::kTransformed ? metres : kNaN;
            }
        }
    };
    std::int64_t wanted = threads > 0 ? threads : std::thread::hardware_concurrency();
    wanted = std::clamp<std::int64_t>(std::min(wanted, n / kPointsPerThread), 1, 256);
    if (wanted == 1) {
        range(0, n);
        return;
    }
    // The caller's thread takes the first chunk; helpers the others. A helper
    // that cannot be started leaves its chunk to the caller.
    const std::int64_t chunk = (n + wanted - 1) / wanted;
    std::vector<std::thread> helpers;
    std::vector<std::pair<std::int64_t, std::int64_t>> left;
    try {
        helpers.reserve(static_cast<std::size_t>(wanted - 1));
    } catch (...) {
        range(0, n);
        return;
    }
    for (std::int64_t first = chunk; first < n; first += chunk) {
        const std::int64_t last = std::min(n, first + chunk);
        try {
            helpers.emplace_back(range, first, last);
        } catch (...) {
            range(first, last);
        }
    }
    range(0, std::min(n, chunk));
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

CentroidResult PointsExtent(std::int64_t n, const double* in, const RunDescription& description,
                            const PointLayout& layout, int threads, double* zone30) {
    CentroidResult result;
    ParameterSet set;
    SetSpainParameters(DirectionOf(description.da, kDatumEd50), set);
    // Each point carried to zone 30 (NaN: left out), block by block on the
    // threads; the sums are made here in input order, so that they are the
    // same to the last bit whatever the number of threads.
    const auto carry = [&](std::int64_t first, std::int64_t last, double* xy) noexcept {
        for (std::int64_t i = first; i < last; ++i, xy += 2) {
            xy[0] = xy[1] = kNaN;
            const double* p = in + i * layout.in_columns;
            const CoordTriple point = InputPoint(p, layout.in_columns);
            if (!std::isfinite(point.c1) || !std::isfinite(point.c2) || !std::isfinite(point.c3)) {
                continue;
            }
            const double zone = description.zone_per_point() ? p[3] : description.zone_a;
            if (description.zone_per_point() && !IsZoneNumber(zone)) {
                continue;
            }
            if (description.da == kDatumEd50 && description.pa == kKindUtm && zone == kZone30 &&
                IsInServedRegion(point, kKindUtm, zone)) {
                // Already there: the round trip through geodetic coordinates
                // would give the same place to a nanometre.
                xy[0] = point.c1;
                xy[1] = point.c2;
                continue;
            }
            double zone30 = kZone30;
            PointStatus status = PointStatus::kTransformed;
            const CoordTriple out =
                TransformPoint(point, description.da, description.pa, zone, kDatumEd50, kKindUtm,
                               kZone30, set, kModelHelmert, zone30, status);
            if (status == PointStatus::kTransformed) { // else outside the domain
                xy[0] = out.c1;
                xy[1] = out.c2;
            }
        }
    };
    constexpr std::int64_t kBlock = 65536;
    std::vector<double> block(
        zone30 != nullptr ? 0 : static_cast<std::size_t>(std::min(n, kBlock)) * 2);
    const std::int64_t parts = std::clamp<std::int64_t>(threads, 1, 64);
    double sum_x = 0.0, sum_y = 0.0;
    for (std::int64_t first = 0; first < n; first += kBlock) {
        const std::int64_t last = std::min(n, first + kBlock);
        const std::int64_t chunk = (last - first + parts - 1) / parts;
        double* const xy = zone30 != nullptr ? zone30 + first * 2 : block.data();
        std::vector<std::thread> helpers;
        for (std::int64_t from = first + chunk; from < last; from += chunk) {
            const std::int64_t to = std::min(last, from + chunk);
            double* at = xy + (from - first) * 2;
            try {
                helpers.emplace_back(carry, from, to, at);
            } catch (...) {
                carry(from, to, at); // no thread: the caller does it
            }
        }
        carry(first, std::min(last, first + chunk), xy);
        for (std::thread& helper : helpers) {
            helper.join();
        }
        for (std::int64_t i = 0; i < last - first; ++i) {
            const double x = xy[i * 2];
            if (!std::isnan(x)) {
                AccumulateCentroid(result, x, xy[i * 2 + 1], sum_x, sum_y);
            }
        }
    }
    FinishCentroid(result, sum_x, sum_y);
    return result;
}

// ---- The prepared run as text ---------------------------------------------
//
// One item a line: a keyword, then numbers (shortest round-trip form, so that
// every double reads back to the same bits) or one length-prefixed string
// ("5:texto"), which may hold any byte, line ends included.

namespace {

constexpr std::string_view kSavedTitle = "dezadiravevava-preparada 1";
// A saved run holds a report of a few kilobytes and at most 180 vertices.
constexpr std::size_t kSavedLimit = 1 << 20;

void AppendNumber(std::string& out, double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out += ' ';
    out.append(buffer, result.ptr);
}

void AppendText(std::string& out, std::string_view text) {
    out += ' ';
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

void AppendEllipsoid(std::string& out, const DatumPoint& p) {
    const Ellipsoid& e = p.ellipsoid();
    for (const double v : {e.a, e.f, e.omega, e.gm, e.c20}) {
        AppendNumber(out, v);
    }
    const CoordTriple& g = p.geocentric();
    for (const double v : {g.c1, g.c2, g.c3}) {
        AppendNumber(out, v);
    }
}

class SavedReader {
public:
    explicit SavedReader(std::string_view text) : text_(text) {}

    bool Keyword(std::string_view word) {
        SkipBlanks();
        if (text_.substr(at_, word.size()) != word) {
            return false;
        }
        at_ += word.size();
        return true;
    }
    bool Number(double& value) {
        SkipBlanks();
        const auto result = std::from_chars(text_.data() + at_, text_.data() + text_.size(), value);
        if (result.ec != std::errc()) {
            return false;
        }
        at_ = static_cast<std::size_t>(result.ptr - text_.data());
        return true;
    }
    bool Integer(int& value) {
        double number = 0.0;
        if (!Number(number) || number != std::floor(number) || std::fabs(number) > 1e9) {
            return false;
        }
        value = static_cast<int>(number);
        return true;
    }
    bool Text(std::string& value) {
        SkipBlanks();
        std::size_t length = 0;
        const auto result =
            std::from_chars(text_.data() + at_, text_.data() + text_.size(), length);
        if (result.ec != std::errc() || result.ptr == text_.data() + text_.size() ||
            *result.ptr != ':') {
            return false;
        }
        at_ = static_cast<std::size_t>(result.ptr - text_.data()) + 1;
        if (length > text_.size() - at_) {
            return false;
        }
        value.assign(text_.substr(at_, length));
        at_ += length;
        return true;
    }
    bool LineEnd() {
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == '\n') {
            ++at_;
            return true;
        }
        return false;
    }
    bool AtEnd() const { return at_ == text_.size(); }

private:
    void SkipBlanks() {
        while (at_ < text_.size() && text_[at_] == ' ') {
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

bool ReadEllipsoid(SavedReader& in, DatumPoint& p) {
    Ellipsoid e;
    double x = 0.0, y = 0.0, z = 0.0;
    if (!(in.Number(e.a) && in.Number(e.f) && in.Number(e.omega) && in.Number(e.gm) &&
          in.Number(e.c20) && in.Number(x) && in.Number(y) && in.Number(z))) {
        return false;
    }
    // The geodetic side is derived again exactly as it was when the set was
    // made: from the geocentric centroid.
    p.set_ellipsoid(e);
    p.SetGeocentric(x, y, z);
    return true;
}

} // namespace

std::string PreparedRun::Save() const {
    std::string out(kSavedTitle);
    out += "\nrun";
    for (const double v : {double(description_.da), double(description_.pa), description_.zone_a,
                           double(description_.db), double(description_.pb), description_.zone_b,
                           double(description_.model), double(description_.parametros),
                           description_.seleccion, description_.origin_x, description_.origin_y,
                           description_.orthometric_heights ? 1.0 : 0.0}) {
        AppendNumber(out, v);
    }
    out += "\ngrid";
    AppendText(out, description_.grid_path);
    out += "\ngeoid";
    AppendText(out, description_.geoid_path);
    if (description_.orthometric_geodetic_in || description_.orthometric_geodetic_out) {
        // A line only runs with orthometric geodetic heights have; without it
        // geodetic heights are ellipsoidal.
        out += "\northogeodetic";
        AppendNumber(out, description_.orthometric_geodetic_in ? 1.0 : 0.0);
        AppendNumber(out, description_.orthometric_geodetic_out ? 1.0 : 0.0);
    }
    out += "\nmodel";
    AppendNumber(out, model_);
    out += "\nparams";
    for (const double v : set_.params) {
        AppendNumber(out, v);
    }
    out += "\nsource";
    AppendEllipsoid(out, set_.source_centroid);
    out += "\ntarget";
    AppendEllipsoid(out, set_.target_centroid);
    if (const auto& fit = set_.uncertainty.fit) {
        // The adjustment's covariance, for the uncertainty of the points.
        out += "\nfit";
        AppendNumber(out, fit->unknowns);
        AppendNumber(out, fit->redundancy);
        AppendNumber(out, fit->sigma0_squared);
        for (int k = 0; k < fit->unknowns * fit->unknowns; ++k) {
            AppendNumber(out, fit->cofactors[static_cast<std::size_t>(k)]);
        }
    }
    for (const VertexResidual& v : vertices_) {
        out += "\nvertex";
        for (const double x : {double(v.number), v.used ? 1.0 : 0.0, v.source_x, v.source_y,
                               v.target_x, v.target_y, v.residual_x, v.residual_y}) {
            AppendNumber(out, x);
        }
        AppendText(out, v.name);
    }
    out += "\nreport";
    AppendText(out, report_);
    out += "\nend\n";
    return out;
}

std::optional<PreparedRun> PreparedRun::Load(std::string_view text, std::string& failure) {
    failure = "Conjunto preparado no válido";
    if (text.size() > kSavedLimit) {
        return std::nullopt;
    }
    SavedReader in(text);
    PreparedRun p;
    RunDescription& s = p.description_;
    int ortho = 0;
    if (!(in.Keyword(kSavedTitle) && in.LineEnd() && in.Keyword("run") && in.Integer(s.da) &&
          in.Integer(s.pa) && in.Number(s.zone_a) && in.Integer(s.db) && in.Integer(s.pb) &&
          in.Number(s.zone_b) && in.Integer(s.model) && in.Integer(s.parametros) &&
          in.Number(s.seleccion) && in.Number(s.origin_x) && in.Number(s.origin_y) &&
          in.Integer(ortho) && in.LineEnd() && in.Keyword("grid") && in.Text(s.grid_path) &&
          in.LineEnd() && in.Keyword("geoid") && in.Text(s.geoid_path) && in.LineEnd())) {
        return std::nullopt;
    }
    s.orthometric_heights = ortho != 0;
    if (in.Keyword("orthogeodetic")) {
        int ortho_in = 0, ortho_out = 0;
        if (!(in.Integer(ortho_in) && in.Integer(ortho_out) && in.LineEnd())) {
            return std::nullopt;
        }
        s.orthometric_geodetic_in = ortho_in != 0;
        s.orthometric_geodetic_out = ortho_out != 0;
        p.SetOrthometricGeodetic(s.orthometric_geodetic_in, s.orthometric_geodetic_out);
    }
    if (!(in.Keyword("model") && in.Integer(p.model_) && in.LineEnd() && in.Keyword("params"))) {
        return std::nullopt;
    }
    for (double& v : p.set_.params) {
        if (!in.Number(v)) {
            return std::nullopt;
        }
    }
    if (!(in.LineEnd() && in.Keyword("source") && ReadEllipsoid(in, p.set_.source_centroid) &&
          in.LineEnd() && in.Keyword("target") && ReadEllipsoid(in, p.set_.target_centroid) &&
          in.LineEnd())) {
        return std::nullopt;
    }
    if (in.Keyword("fit")) {
        FitCovariance fit;
        if (!(in.Integer(fit.unknowns) && fit.unknowns >= 1 && fit.unknowns <= 7 &&
              in.Integer(fit.redundancy) && in.Number(fit.sigma0_squared))) {
            return std::nullopt;
        }
        for (int k = 0; k < fit.unknowns * fit.unknowns; ++k) {
            if (!in.Number(fit.cofactors[static_cast<std::size_t>(k)])) {
                return std::nullopt;
            }
        }
        if (!in.LineEnd()) {
            return std::nullopt;
        }
        p.set_.uncertainty.fit = WithRadiusScale(fit);
    }
    if (s.parametros == kParametersSpain) {
        p.set_.uncertainty.fixed = kNationalUncertainty95;
    }
    while (in.Keyword("vertex")) {
        VertexResidual v;
        int used = 0;
        if (p.vertices_.size() >= kCatalogueVertexLimit ||
            !(in.Integer(v.number) && in.Integer(used) && in.Number(v.source_x) &&
              in.Number(v.source_y) && in.Number(v.target_x) && in.Number(v.target_y) &&
              in.Number(v.residual_x) && in.Number(v.residual_y) && in.Text(v.name) &&
              in.LineEnd())) {
            return std::nullopt;
        }
        v.used = used != 0;
        p.vertices_.push_back(std::move(v));
    }
    if (!(in.Keyword("report") && in.Text(p.report_) && in.LineEnd() && in.Keyword("end") &&
          in.LineEnd() && in.AtEnd())) {
        return std::nullopt;
    }
    // What was saved must be a run this engine can do, with the model it
    // would have chosen itself.
    const std::string invalid = InvalidDescription(s);
    const int expected_model = s.parametros == kParametersSpain  ? kModelHelmert
                               : s.parametros == kParametersGrid ? kModelGrid
                                                                 : s.model;
    if (!invalid.empty() || p.model_ != expected_model) {
        return std::nullopt;
    }
    // The grid and the geoid are files, read again here: the set names them by
    // path ("" for the bundled ones, found beside the loading library).
    if ((s.parametros == kParametersGrid && !PrepareGrid(p.set_, s.grid_path, nullptr, &failure)) ||
        (s.orthometric_heights && !PrepareGeoid(p.set_, s.geoid_path, nullptr, &failure))) {
        failure = WithoutLineEnd(failure);
        return std::nullopt;
    }
    p.FindPipeline();
    failure.clear();
    return p;
}

} // namespace dezadiravevava
