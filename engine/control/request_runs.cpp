// The runs of the C++ interface (see transform_request.h): each turns the
// typed request into the engine's own arguments once, here.
#include "files/catalogue_file.h"
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/file_run.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "files/point_fields.h"
#include "files/table_processing.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/transform.h"
#include "geodesy/vertex_search.h"
#include "request_codes.h"
#include "transform_request.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>

namespace dezadiravevava::api {

namespace {

// "-" is standard input; anything else a path.
std::string InputPath(const std::string& input) {
    return input == "-" ? "/dev/stdin" : input;
}

// The catalogue of a request, or null with `failure` naming the file and,
// on lines of their own, its problems.
std::shared_ptr<const Catalogue> CatalogueOfRequest(const std::string& path, std::string& failure) {
    auto catalogue = CatalogueOfPath(path, failure);
    if (!catalogue) {
        failure = "Catálogo de vértices no válido: " + path + "\n" + failure;
        failure.pop_back();
    }
    return catalogue;
}

int CentroidOf(const std::string& input, FileFormat format, int datum, int kind, double zone,
               int threads, bool region_only, CentroidResult& result, ProgressSink* sink,
               const TableOptions& table = {}) {
    switch (format) {
    case FileFormat::kDxf:
        return CentroideDXF(input, datum, kind, zone, result, sink, threads, region_only);
    case FileFormat::kTable:
        return CentroideTabla(input, table, datum, kind, zone, result, sink, region_only);
    case FileFormat::kTxt:
        break;
    }
    return CentroideTXT(input, datum, kind, zone, result, sink, threads, region_only);
}

TableOptions TableOptionsOf(const TransformRequest& request) {
    TableOptions table;
    table.separator = request.table_separator;
    table.columns = request.table_columns;
    table.sexagesimal = request.sexagesimal;
    return table;
}

} // namespace

bool IsStream(const std::string& path) {
    return IsStreamTarget(path);
}

FileFormat FormatOfPath(std::string_view path) {
    std::string end(path.substr(path.size() < 4 ? 0 : path.size() - 4));
    for (char& c : end) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return end == ".dxf" ? FileFormat::kDxf : FileFormat::kTxt;
}

void CentreSearchOnData(RunArguments& run, FileFormat format, ProgressSink* progress,
                        const TableOptions& table) {
    // Only the local choices search around an origin, so the other runs do
    // not read and transform the whole input twice.
    if (run.parametros != kParametersByDistance && run.parametros != kParametersByNumber) {
        return;
    }
    CentroidResult centroid;
    CentroidOf(run.entrada, format, run.da, run.pa, run.h_entrada, run.threads, run.region_only,
               centroid, progress, table);
    if (centroid.count > 0) {
        run.x = (centroid.x_min + centroid.x_max) * 0.5;
        run.y = (centroid.y_min + centroid.y_max) * 0.5;
    }
}

RunArguments RunArgumentsOf(const TransformRequest& request) {
    RunArguments run;
    run.da = DatumCode(request.a.datum);
    run.pa = KindCode(request.a.kind);
    run.h_entrada = request.a.zone;
    run.db = DatumCode(request.b.datum);
    run.pb = KindCode(request.b.kind);
    run.h_salida = request.b.zone;
    run.model = ModelCode(request.model);
    run.parametros = MethodCode(request.method);
    run.selec_param = request.selection;
    if (request.origin) {
        run.x = (*request.origin)[0];
        run.y = (*request.origin)[1];
    }
    run.orthometric_heights = request.orthometric_heights;
    run.grid_path = request.grid_path;
    run.geoid_path = request.geoid_path;
    run.threads = request.threads;
    run.keep_log_when_cancelled = request.keep_log_when_stopped;
    run.region_only = request.region_only;
    run.strict_drawing = request.strict;
    run.check_zone_field = true;
    run.uncertainty_column = request.uncertainty;
    run.orthometric_geodetic_in = request.a.orthometric && request.a.kind == Kind::kGeodetic;
    run.orthometric_geodetic_out = request.b.orthometric && request.b.kind == Kind::kGeodetic;
    // Only the runs that search read their catalogue.
    if (!request.catalogue_path.empty() && run.parametros != kParametersSpain &&
        run.parametros != kParametersGrid) {
        std::string failure;
        run.catalogue = CatalogueOfRequest(request.catalogue_path, failure);
    }
    return run;
}

FileOutcome TransformFile(FileFormat format, const TransformRequest& request,
                          const std::string& input, const std::string& output,
                          const Progress& progress) {
    ProgressAdapter sink(progress);
    RunArguments run = RunArgumentsOf(request);
    run.entrada = InputPath(input);
    run.salida = output;
    FileOutcome result;
    if (!request.catalogue_path.empty() && !run.catalogue && run.parametros != kParametersSpain &&
        run.parametros != kParametersGrid) {
        CatalogueOfRequest(request.catalogue_path, result.failure);
        return result;
    }
    if (!request.origin) {
        // A local search around the centre of the data reads the input a
        // first time, which a stream cannot give twice.
        const bool local =
            request.method == Method::kDistance || request.method == Method::kNearest;
        if (local && IsStreamTarget(run.entrada)) {
            result.failure = "La entrada no es un archivo que se pueda leer dos veces: dé el "
                             "origen de la búsqueda de vértices (--origen X,Y)";
            return result;
        }
        CentreSearchOnData(run, format, &sink, TableOptionsOf(request));
    }
    result.log_path = request.log_path;
    if (result.log_path.empty() && !IsStreamTarget(output)) {
        result.log_path = output + ".log";
    }
    RunOutcome outcome;
    const std::string log = result.log_path.empty() ? "/dev/null" : result.log_path;
    int done = 0;
    switch (format) {
    case FileFormat::kDxf:
        done = ProcesarDXF(log, run, &sink, &outcome);
        break;
    case FileFormat::kTable:
        done = ProcesarTabla(log, run, TableOptionsOf(request), &sink, &outcome);
        break;
    case FileFormat::kTxt:
        done = ProcesarTXT(log, run, &sink, &outcome);
        break;
    }
    result.succeeded = done == 1;
    result.log_written = outcome.log_written && !result.log_path.empty();
    result.failure = outcome.failure;
    result.rejected = outcome.rejected;
    result.points = outcome.points;
    result.untransformed = outcome.untransformed;
    result.untransformed_kinds = outcome.untransformed_kinds;
    result.warnings = outcome.warnings;
    return result;
}

std::string BatchOutputPath(const std::string& input, const std::string& folder, Datum target) {
    const std::filesystem::path path(input);
    std::string name = path.stem().string();
    name += target == Datum::kEtrs89 ? "_ETRS89" : "_ED50";
    name += path.extension().string();
    return (std::filesystem::path(folder) / name).string();
}

CentroidOutcome FileCentroid(const TransformRequest& request, const std::string& path,
                             const Progress& progress) {
    ProgressAdapter sink(progress);
    CentroidResult c;
    CentroidOutcome result;
    result.succeeded = CentroidOf(InputPath(path), FormatOfPath(path), DatumCode(request.a.datum),
                                  KindCode(request.a.kind), request.a.zone, request.threads,
                                  request.region_only, c, &sink) == 1;
    result.x = c.x;
    result.y = c.y;
    result.x_min = c.x_min;
    result.x_max = c.x_max;
    result.y_min = c.y_min;
    result.y_max = c.y_max;
    result.count = c.count;
    return result;
}

bool TxtToDxf(const TransformRequest& request, const std::string& input, const std::string& output,
              const Progress& progress, std::string& failure) {
    if (SameFile(InputPath(input), output)) {
        failure = SameFilesMessage(SameFiles::kOutputIsInput);
        return false;
    }
    ProgressAdapter sink(progress);
    PointDrawing drawing;
    drawing.zone = request.drawing_zone;
    drawing.datum = request.drawing_datum ? DatumCode(*request.drawing_datum) : 0;
    drawing.labels = request.drawing_labels;
    return ConvertirTXTaDXF(InputPath(input), output, KindCode(request.a.kind), &sink,
                            request.threads, request.region_only, drawing, &failure) == 1;
}

// ---- Single points ------------------------------------------------------

struct PointConverter::State {
    TransformRequest request;
    ParameterSet set;
    int model = kModelHelmert;
};

PointConverter::PointConverter(std::unique_ptr<State> state) : state_(std::move(state)) {}
PointConverter::PointConverter(PointConverter&&) noexcept = default;
PointConverter& PointConverter::operator=(PointConverter&&) noexcept = default;
PointConverter::~PointConverter() = default;

std::optional<PointConverter> PointConverter::Make(const TransformRequest& request,
                                                   std::string& failure) {
    auto state = std::make_unique<State>();
    state->request = request;
    if (request.method == Method::kGrid) {
        state->model = kModelGrid;
        if (!PrepareGrid(state->set, request.grid_path, nullptr, &failure)) {
            return std::nullopt;
        }
    } else {
        SetSpainParameters(DirectionOf(DatumCode(request.a.datum), DatumCode(request.b.datum)),
                           state->set);
    }
    if (request.orthometric_heights &&
        !PrepareGeoid(state->set, request.geoid_path, nullptr, &failure)) {
        return std::nullopt;
    }
    state->set.orthometric_geodetic_in = request.a.orthometric && request.a.kind == Kind::kGeodetic;
    state->set.orthometric_geodetic_out =
        request.b.orthometric && request.b.kind == Kind::kGeodetic;
    return PointConverter(std::move(state));
}

std::optional<std::string> PointConverter::Convert(const std::vector<std::string>& fields,
                                                   std::string& failure) const {
    const Side& a = state_->request.a;
    const Side& b = state_->request.b;
    const auto fail = [&](std::string why) -> std::optional<std::string> {
        failure = std::move(why);
        return std::nullopt;
    };
    const bool zone_field = a.kind == Kind::kUtm && a.zone == 0;
    const std::size_t needed = a.kind == Kind::kGeocentric ? 3 : 2;
    if (fields.size() < needed) {
        return fail("faltan coordenadas");
    }
    double c[3] = {0.0, 0.0, 0.0};
    std::size_t used = 0;
    for (; used < needed; ++used) {
        const auto value = NumberOfField(fields[used]);
        if (!value) {
            return fail("coordenada no numérica: " + fields[used]);
        }
        c[used] = *value;
    }
    // A third number is the height; after it (or after x, y), anything else
    // is the caller's and goes through. The zone, when points carry theirs,
    // follows the height, which must then be given.
    if (used == 2 && fields.size() > 2) {
        const auto height = NumberOfField(fields[2]);
        if (height) {
            c[2] = *height;
            used = 3;
        } else if (zone_field) {
            return fail("coordenada no numérica: " + fields[2]);
        }
    }
    double zone_in = a.zone;
    if (zone_field) {
        if (fields.size() < 4 || used < 3) {
            return fail("falta el huso (dé --huso-a o un cuarto campo)");
        }
        const auto zone = NumberOfField(fields[3]);
        if (!zone || *zone < 1.0 || *zone > 60.0 || *zone != std::floor(*zone)) {
            return fail("huso fuera de 1..60: " + fields[3]);
        }
        zone_in = *zone;
        used = 4;
    }
    const CoordTriple point(c[0], c[1], c[2]);
    if (state_->request.region_only && state_->request.method != Method::kGrid &&
        IsRefusedByRegion(point, KindCode(a.kind), zone_in)) {
        return fail("fuera de la región de cálculo");
    }
    double out_zone = b.zone;
    PointStatus status = PointStatus::kTransformed;
    const CoordTriple out =
        TransformFilePoint(point, DatumCode(a.datum), KindCode(a.kind), zone_in, DatumCode(b.datum),
                           KindCode(b.kind), b.zone, state_->set, state_->model, out_zone, status);
    if (status != PointStatus::kTransformed) {
        return fail(PointStatusText(status));
    }
    if (!IsWritablePoint(KindCode(b.kind), out, out_zone)) {
        return fail("resultado fuera de rango");
    }
    std::string line;
    AppendPointFields(line, KindCode(b.kind), out, out_zone);
    if (state_->request.uncertainty) {
        const double metres =
            HorizontalUncertainty95(point, DatumCode(a.datum), KindCode(a.kind), zone_in,
                                    DatumCode(b.datum), state_->set, state_->model);
        line += '\t';
        line += metres >= 0.0 ? CFixed(metres, 3) : std::string("nan");
    }
    for (std::size_t i = used; i < fields.size(); ++i) {
        line += '\t';
        line += fields[i];
    }
    return line.substr(1); // no TAB before the first field
}

// ---- Vertices and parameters ----------------------------------------------

std::optional<std::vector<FoundVertex>>
FindVertices(const Side& side, const std::array<double, 3>& centre, std::optional<double> distance,
             std::optional<int> count, std::string& failure, const std::string& catalogue_path) {
    if (distance.has_value() == count.has_value()) {
        failure = "dé --distancia o --numero (una de las dos)";
        return std::nullopt;
    }
    const int datum = DatumCode(side.datum);
    const int kind = KindCode(side.kind);
    double c[3] = {centre[0], centre[1], centre[2]};
    double zone = 30.0;
    if (kind == kKindGeodetic) {
        c[0] *= kRadiansPerDegree; // the search takes geodetic centres in radians
        c[1] *= kRadiansPerDegree;
    } else if (kind == kKindUtm && side.zone != 0 && side.zone != 30) {
        // The search works in zone 30: a centre of another zone is carried
        // there on its own datum (no parameters: only re-expressed).
        const ParameterSet none;
        double out_zone = 30.0;
        const CoordTriple moved =
            TransformPoint(CoordTriple(c[0], c[1], c[2]), datum, kKindUtm, side.zone, datum,
                           kKindUtm, 30.0, none, kModelHelmert, out_zone);
        c[0] = moved.c1;
        c[1] = moved.c2;
    }
    const auto ed50 = SearchCentreToEd50Utm(c[0], c[1], c[2], zone, datum, kind);
    if (!ed50) {
        failure = "el centro no es un punto válido";
        return std::nullopt;
    }
    const auto catalogue = CatalogueOfRequest(catalogue_path, failure);
    if (!catalogue) {
        return std::nullopt;
    }
    const int size = static_cast<int>(catalogue->vertices.size());
    FoundVertexList found;
    if (distance) {
        if (!(*distance >= 0.0) || !std::isfinite(*distance)) {
            failure = "distancia no válida: " + CFixed(*distance, 3);
            return std::nullopt;
        }
        SearchByDistance(found, *distance, c[0], c[1], c[2], zone, datum, kind, false, *catalogue);
    } else {
        if (*count < 3 || *count > size) {
            failure = "número de vértices no válido: " + std::to_string(*count) + " (de 3 a " +
                      std::to_string(size) + ")";
            return std::nullopt;
        }
        SearchByNumber(found, *count, c[0], c[1], c[2], zone, datum, kind, false, *catalogue);
    }
    std::vector<FoundVertex> vertices;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        vertices.push_back({v.number, Cp1252ToUtf8(v.name), v.ed50_x, v.ed50_y,
                            std::hypot(v.ed50_x - ed50->x, v.ed50_y - ed50->y)});
    }
    return vertices;
}

namespace {

// The set of a request prepared as parametros prepares it, with its report;
// nothing ready, and the report saying why, when its catalogue is refused.
struct PreparedSet {
    FoundVertexList found;
    ParameterSet set;
    FitRun fit;
    std::string report;
    std::string failure; // a refused catalogue
    bool ready = false;
};

std::unique_ptr<PreparedSet> PrepareSet(const TransformRequest& request) {
    auto p = std::make_unique<PreparedSet>();
    const auto catalogue =
        CatalogueOfRequest(request.method == Method::kNational || request.method == Method::kGrid
                               ? std::string()
                               : request.catalogue_path,
                           p->failure);
    if (!catalogue) {
        p->report = p->failure + "\n";
        return p;
    }
    RunArguments run = RunArgumentsOf(request);
    int model = run.model;
    p->ready = PrepareParameters(run.da, kKindUtm, run.db, model, run.parametros, run.selec_param,
                                 run.x, run.y, 0.0, 30.0, p->found, p->set, &p->report, true,
                                 run.grid_path, *catalogue);
    p->fit = FitRunOf(run, model);
    return p;
}

} // namespace

std::string ParameterReport(const TransformRequest& request, bool& ready) {
    const auto prepared = PrepareSet(request);
    ready = prepared->ready;
    if (ready) {
        prepared->report += FitDetailBlock(prepared->fit, prepared->found, prepared->set);
    }
    return prepared->report;
}

std::optional<std::string> ProjPipeline(const TransformRequest& request, std::string& failure) {
    const auto prepared = PrepareSet(request);
    if (!prepared->ready) {
        failure = prepared->failure.empty() ? "no se ha podido preparar el juego de parámetros"
                                            : prepared->failure;
        return std::nullopt;
    }
    return dezadiravevava::ProjPipeline(prepared->fit, prepared->set, &failure);
}

} // namespace dezadiravevava::api
