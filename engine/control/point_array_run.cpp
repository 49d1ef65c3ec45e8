// Arrays of points with a typed request (see transform_request.h): the
// request becomes a PreparedRun once, and the arrays go through it.
#include "control/point_run.h"
#include "files/execution_log.h"
#include "files/text_encoding.h"
#include "geodesy/transform.h"
#include "request_codes.h"
#include "transform_request.h"

#include <algorithm>

namespace dezadiravevava::api {

namespace {

RunDescription DescriptionOf(const TransformRequest& request) {
    RunDescription d;
    d.da = DatumCode(request.a.datum);
    d.pa = KindCode(request.a.kind);
    d.zone_a = request.a.zone;
    d.db = DatumCode(request.b.datum);
    d.pb = KindCode(request.b.kind);
    d.zone_b = request.b.zone;
    d.model = ModelCode(request.model);
    d.parametros = MethodCode(request.method);
    d.seleccion = request.selection;
    if (request.origin) {
        d.origin_x = (*request.origin)[0];
        d.origin_y = (*request.origin)[1];
    }
    d.orthometric_heights = request.orthometric_heights;
    d.grid_path = request.grid_path;
    d.geoid_path = request.geoid_path;
    d.orthometric_geodetic_in = request.a.orthometric && request.a.kind == Kind::kGeodetic;
    d.orthometric_geodetic_out = request.b.orthometric && request.b.kind == Kind::kGeodetic;
    return d;
}

bool IsLocal(Method method) {
    return method == Method::kDistance || method == Method::kNearest;
}

} // namespace

std::string_view PointResultReason(PointResult status) {
    switch (status) {
    case PointResult::kTransformed:
        return {};
    case PointResult::kNotFinite:
        return "coordenada no numérica";
    case PointResult::kZoneInvalid:
        return "huso fuera de 1..60";
    case PointResult::kOutsideRegion:
        return dezadiravevava::PointStatusText(dezadiravevava::PointStatus::kOutsideRegion);
    case PointResult::kOutOfRange:
        return "resultado fuera de rango";
    case PointResult::kOutsideGrid:
        return dezadiravevava::PointStatusText(dezadiravevava::PointStatus::kOutsideGrid);
    case PointResult::kOutsideGeoid:
        return dezadiravevava::PointStatusText(dezadiravevava::PointStatus::kOutsideGeoid);
    case PointResult::kOutsideDomain:
        return dezadiravevava::PointStatusText(dezadiravevava::PointStatus::kOutsideDomain);
    }
    return "estado desconocido";
}

void AddToExtent(const TransformRequest& request, std::int64_t n, const double* points, int columns,
                 DataExtent& extent) {
    PointLayout layout;
    layout.in_columns = columns;
    const CentroidResult part = PointsExtent(n, points, DescriptionOf(request), layout);
    if (part.count == 0) {
        return;
    }
    if (extent.count == 0) {
        extent = {part.x_min, part.x_max, part.y_min, part.y_max, 0};
    } else {
        extent.x_min = std::min(extent.x_min, part.x_min);
        extent.x_max = std::max(extent.x_max, part.x_max);
        extent.y_min = std::min(extent.y_min, part.y_min);
        extent.y_max = std::max(extent.y_max, part.y_max);
    }
    extent.count += part.count;
}

struct PointArrayRun::State {
    TransformRequest request;
    std::optional<PreparedRun> prepared;
};

PointArrayRun::PointArrayRun(std::unique_ptr<State> state) : state_(std::move(state)) {}
PointArrayRun::PointArrayRun(PointArrayRun&&) noexcept = default;
PointArrayRun& PointArrayRun::operator=(PointArrayRun&&) noexcept = default;
PointArrayRun::~PointArrayRun() = default;

std::optional<PointArrayRun> PointArrayRun::Make(const TransformRequest& request,
                                                 const DataExtent* extent, std::string& failure) {
    for (const Side* side : {&request.a, &request.b}) {
        if (side->kind == Kind::kUtm && side->zone == 0) {
            failure = "Falta el huso de la UTM de " + std::string(side == &request.a ? "A" : "B");
            return std::nullopt;
        }
    }
    auto state = std::make_unique<State>();
    state->request = request;
    if (IsLocal(request.method) && !request.origin) {
        if (!extent || extent->count == 0) {
            failure = "No hay puntos alrededor de los que buscar vértices: dé el origen de la "
                      "búsqueda (--origen X,Y)";
            return std::nullopt;
        }
        state->request.origin = std::array<double, 2>{(extent->x_min + extent->x_max) * 0.5,
                                                      (extent->y_min + extent->y_max) * 0.5};
    }
    const RunArguments run = RunArgumentsOf(state->request);
    if (!request.catalogue_path.empty() && !run.catalogue && IsLocal(request.method)) {
        failure = "Catálogo de vértices no válido: " + request.catalogue_path;
        return std::nullopt;
    }
    state->prepared =
        PreparedRun::Prepare(DescriptionOf(state->request), failure, run.catalogue.get());
    if (!state->prepared) {
        return std::nullopt;
    }
    return PointArrayRun(std::move(state));
}

void PointArrayRun::Transform(std::int64_t n, const double* in, double* out, int columns,
                              std::int32_t* status) const {
    PointLayout layout;
    layout.in_columns = columns;
    layout.out_columns = columns;
    layout.region_only = state_->request.region_only && state_->request.method != Method::kGrid;
    state_->prepared->TransformAll(n, in, out, status, layout, state_->request.threads);
}

std::string PointArrayRun::LogHead(const std::string& input, const std::string& output) const {
    RunArguments run = RunArgumentsOf(state_->request);
    run.entrada = input;
    run.salida = output;
    return RunHeader(run) + state_->prepared->report();
}

std::optional<std::array<double, 2>> PointArrayRun::origin() const {
    return state_->request.origin;
}

std::string LogFileBytes(std::string_view text) {
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

} // namespace dezadiravevava::api
