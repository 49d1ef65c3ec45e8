// The C interface of point arrays, prepared runs and file runs. Every entry
// point checks its arguments, catches everything and reports a failure as a
// code and a Spanish message in the caller's buffer.
#include "control/dezadiravevava.h"
#include "control/point_run.h"
#include "control/request_codes.h"
#include "files/catalogue_file.h"
#include "files/dxf_processing.h"
#include "files/txt_processing.h"
#include "geodesy/fit_report.h"
#include "geodesy/least_squares.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

struct dzv_prepared {
    dezadiravevava::PreparedRun run;
};

namespace {

using dezadiravevava::PointLayout;
using dezadiravevava::PreparedRun;
using dezadiravevava::RunDescription;

// The fields every run has had since the first version.
constexpr std::size_t kSmallestRun = offsetof(dzv_run, origin_y) + sizeof(double);
// More points than any array of doubles can hold.
constexpr std::int64_t kMaxPoints = std::numeric_limits<std::int64_t>::max() / 64;

// Copies `text` into a caller's buffer, cut at a character boundary when the
// buffer is too small, always NUL-terminated.
void CopyMessage(std::string_view text, char* buffer, std::size_t size) {
    if (!buffer || size == 0) {
        return;
    }
    std::size_t length = std::min(text.size(), size - 1);
    if (length < text.size()) {
        // Do not cut a UTF-8 sequence: back off its continuation bytes.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

// The caller's run as this version knows it: fields beyond the caller's size
// read as zero.
class RunView {
public:
    explicit RunView(const dzv_run* run) {
        std::memset(&run_, 0, sizeof run_);
        if (run && run->size >= kSmallestRun) {
            std::memcpy(&run_, run, std::min<std::size_t>(run->size, sizeof run_));
            valid_ = true;
        }
    }

    bool valid() const { return valid_; }
    const dzv_run& run() const { return run_; }

    RunDescription Description() const {
        RunDescription description;
        description.da = run_.datum_a;
        description.pa = run_.kind_a;
        description.zone_a = run_.zone_a;
        description.db = run_.datum_b;
        description.pb = run_.kind_b;
        description.zone_b = run_.zone_b;
        description.model = run_.model;
        description.parametros = run_.parametros;
        description.seleccion = run_.seleccion;
        description.origin_x = run_.origin_x;
        description.origin_y = run_.origin_y;
        description.orthometric_heights = run_.orthometric_heights != 0;
        description.grid_path = run_.grid_path ? run_.grid_path : "";
        description.geoid_path = run_.geoid_path ? run_.geoid_path : "";
        description.orthometric_geodetic_in =
            (run_.orthometric_geodetic & DZV_ORTHOMETRIC_GEODETIC_A) != 0;
        description.orthometric_geodetic_out =
            (run_.orthometric_geodetic & DZV_ORTHOMETRIC_GEODETIC_B) != 0;
        return description;
    }

    PointLayout Layout() const {
        PointLayout layout;
        layout.in_columns = run_.in_columns == 0 ? 3 : run_.in_columns;
        layout.out_columns = run_.out_columns == 0 ? 3 : run_.out_columns;
        layout.region_only = run_.region_only != 0;
        return layout;
    }

    bool RegionOnly() const { return run_.region_only != 0; }

    // The run's catalogue, or null with `failure` set when its file is bad.
    std::shared_ptr<const dezadiravevava::Catalogue> Catalogue(std::string& failure) const {
        const std::string path = run_.catalogue_path ? run_.catalogue_path : "";
        auto catalogue = dezadiravevava::CatalogueOfPath(path, failure);
        if (!catalogue) {
            failure = "Catálogo de vértices no válido: " + path + "\n" + failure;
            while (!failure.empty() && failure.back() == '\n') {
                failure.pop_back();
            }
        }
        return catalogue;
    }

    // A local choice searches around an origin that may come from the data.
    bool OriginFromData() const {
        return run_.origin_from_data != 0 &&
               (run_.parametros == dezadiravevava::kParametersByDistance ||
                run_.parametros == dezadiravevava::kParametersByNumber);
    }

    std::int32_t Fail(std::int32_t code, std::string_view message) const {
        CopyMessage(message, run_.message, run_.message_size);
        return code;
    }

private:
    dzv_run run_;
    bool valid_ = false;
};

// Runs `body`, turning whatever it throws into a code and a message.
template <typename Body>
std::int32_t Guarded(const RunView& view, Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return view.Fail(DZV_E_OUT_OF_MEMORY, "Memoria insuficiente");
    } catch (...) {
        return view.Fail(DZV_E_RUN_FAILED, "Error inesperado");
    }
}

// Prepares the run's set, or says why it cannot.
std::int32_t PrepareInto(const RunView& view, const RunDescription& description,
                         std::optional<PreparedRun>& prepared) {
    std::string failure;
    const auto catalogue = view.Catalogue(failure);
    if (!catalogue) {
        return view.Fail(DZV_E_RUN_FAILED, failure);
    }
    prepared = PreparedRun::Prepare(description, failure, catalogue.get());
    if (prepared) {
        return DZV_OK;
    }
    // A description the engine refuses is a bad argument; a set it cannot prepare
    // (too few vertices, a singular system, a grid it cannot read) is a failed
    // run.
    return view.Fail(dezadiravevava::InvalidDescription(description).empty()
                         ? DZV_E_RUN_FAILED
                         : DZV_E_INVALID_ARGUMENT,
                     failure);
}

} // namespace

extern "C" {

void dzv_run_init(dzv_run* run) {
    if (!run) {
        return;
    }
    std::memset(run, 0, sizeof *run);
    run->size = sizeof *run;
}

int32_t dzv_prepare(const dzv_run* run, dzv_prepared** prepared) {
    const RunView view(run);
    if (!view.valid() || !prepared) {
        return view.Fail(DZV_E_INVALID_ARGUMENT, "Falta la ejecución o su tamaño");
    }
    *prepared = nullptr;
    return Guarded(view, [&]() -> std::int32_t {
        if (view.run().origin_from_data) {
            return view.Fail(DZV_E_INVALID_ARGUMENT,
                             "Un conjunto preparado necesita el origen de la búsqueda");
        }
        std::optional<PreparedRun> made;
        const std::int32_t code = PrepareInto(view, view.Description(), made);
        if (code != DZV_OK) {
            return code;
        }
        *prepared = new dzv_prepared{std::move(*made)};
        return DZV_OK;
    });
}

void dzv_release_prepared(dzv_prepared* prepared) {
    delete prepared;
}

int32_t dzv_transform_points(int64_t n, const double* in, double* out, int32_t* status,
                             const dzv_run* run) {
    const RunView view(run);
    if (!view.valid()) {
        return DZV_E_INVALID_ARGUMENT;
    }
    if (n < 0 || n > kMaxPoints || (n > 0 && (!in || !out || !status))) {
        return view.Fail(DZV_E_INVALID_ARGUMENT, "Puntos no válidos: número o matrices nulas");
    }
    return Guarded(view, [&]() -> std::int32_t {
        RunDescription description = view.Description();
        const PointLayout layout = view.Layout();
        const std::string bad_layout = dezadiravevava::InvalidLayout(description, layout);
        if (!bad_layout.empty()) {
            return view.Fail(DZV_E_INVALID_ARGUMENT, bad_layout);
        }
        if (static_cast<const void*>(in) == static_cast<const void*>(out) &&
            layout.in_columns != layout.out_columns) {
            return view.Fail(DZV_E_INVALID_ARGUMENT,
                             "Entrada y salida en la misma matriz con columnas distintas");
        }
        const PreparedRun* use = nullptr;
        std::optional<PreparedRun> own;
        if (const dzv_prepared* prepared = view.run().prepared) {
            if (view.run().origin_from_data || !(prepared->run.description() == description)) {
                return view.Fail(DZV_E_INVALID_ARGUMENT,
                                 "La ejecución no es aquella para la que se prepararon los "
                                 "parámetros");
            }
            use = &prepared->run;
        } else {
            if (view.OriginFromData()) {
                // As quillon-cli does: the centre of the rectangle around the data.
                const auto extent = dezadiravevava::PointsExtent(n, in, description, layout);
                if (extent.count > 0) {
                    description.origin_x = (extent.x_min + extent.x_max) * 0.5;
                    description.origin_y = (extent.y_min + extent.y_max) * 0.5;
                }
            }
            const std::int32_t code = PrepareInto(view, description, own);
            if (code != DZV_OK) {
                return code;
            }
            use = &*own;
        }
        use->TransformAll(n, in, out, status, layout, view.run().threads, view.run().uncertainty);
        return DZV_OK;
    });
}

int32_t dzv_points_extent(int64_t n, const double* in, const dzv_run* run, double extent[4],
                          int64_t* count) {
    const RunView view(run);
    if (!view.valid() || !extent || n < 0 || n > kMaxPoints || (n > 0 && !in)) {
        return view.Fail(DZV_E_INVALID_ARGUMENT, "Puntos no válidos: número o matrices nulas");
    }
    return Guarded(view, [&]() -> std::int32_t {
        const RunDescription description = view.Description();
        PointLayout layout = view.Layout();
        // Only the input side matters here.
        if ((description.da != dezadiravevava::kDatumEd50 &&
             description.da != dezadiravevava::kDatumEtrs89) ||
            description.pa < dezadiravevava::kKindGeodetic ||
            description.pa > dezadiravevava::kKindGeocentric ||
            !dezadiravevava::IsZoneArgument(description.zone_a)) {
            return view.Fail(DZV_E_INVALID_ARGUMENT, "Sistema de entrada no válido");
        }
        layout.out_columns = 3;
        RunDescription input_side = description;
        input_side.pb = dezadiravevava::kKindUtm;
        const std::string bad_layout = dezadiravevava::InvalidLayout(input_side, layout);
        if (!bad_layout.empty()) {
            return view.Fail(DZV_E_INVALID_ARGUMENT, bad_layout);
        }
        const auto result = dezadiravevava::PointsExtent(n, in, description, layout);
        extent[0] = result.x_min;
        extent[1] = result.x_max;
        extent[2] = result.y_min;
        extent[3] = result.y_max;
        if (count) {
            *count = result.count;
        }
        return DZV_OK;
    });
}

int32_t dzv_prepared_parameters(const dzv_prepared* prepared, dzv_parameters* parameters) {
    // A caller's struct may end after `report`: the fields after it are
    // filled only when it has them.
    constexpr std::size_t kFirstSize = offsetof(dzv_parameters, report) + sizeof(const char*);
    if (!prepared || !parameters || parameters->size < kFirstSize) {
        return DZV_E_INVALID_ARGUMENT;
    }
    const PreparedRun& run = prepared->run;
    parameters->model = run.model();
    for (std::size_t k = 0; k < 7; ++k) {
        parameters->values[k] = run.set().params[k];
    }
    const auto& s = run.set().source_centroid.geocentric();
    const auto& t = run.set().target_centroid.geocentric();
    const double source[3] = {s.c1, s.c2, s.c3};
    const double target[3] = {t.c1, t.c2, t.c3};
    std::memcpy(parameters->source_centroid, source, sizeof source);
    std::memcpy(parameters->target_centroid, target, sizeof target);
    parameters->adjustment_error = run.adjustment_error();
    parameters->vertex_count = static_cast<std::int32_t>(run.vertices().size());
    parameters->used_count = run.used_count();
    parameters->report = run.report().c_str();
    if (parameters->size < sizeof(dzv_parameters)) {
        return DZV_OK;
    }
    const dezadiravevava::ParameterSet& set = run.set();
    double epsg[7] = {};
    double pivot[3] = {};
    if (run.model() == dezadiravevava::kModelHelmert) {
        const auto h = dezadiravevava::EpsgHelmertOf(set);
        const double values[7] = {h.tx, h.ty, h.tz, h.rx, h.ry, h.rz, h.ds};
        std::memcpy(epsg, values, sizeof values);
        pivot[0] = h.pivot.c1;
        pivot[1] = h.pivot.c2;
        pivot[2] = h.pivot.c3;
    } else if (run.model() == dezadiravevava::kModelAffine2D) {
        const auto a = dezadiravevava::EpsgAffineOf(set);
        const double values[7] = {a.a0, a.a1, a.a2, a.b0, a.b1, a.b2, 0.0};
        std::memcpy(epsg, values, sizeof values);
    } else {
        std::memcpy(epsg, set.params.data(), sizeof epsg);
    }
    std::memcpy(parameters->epsg, epsg, sizeof epsg);
    std::memcpy(parameters->pivot, pivot, sizeof pivot);
    parameters->proj = run.proj().c_str();
    return DZV_OK;
}

int32_t dzv_prepared_vertex(const dzv_prepared* prepared, int32_t index, dzv_vertex* vertex) {
    if (!prepared || !vertex || vertex->size < sizeof(dzv_vertex) || index < 0 ||
        static_cast<std::size_t>(index) >= prepared->run.vertices().size()) {
        return DZV_E_INVALID_ARGUMENT;
    }
    const auto& v = prepared->run.vertices()[static_cast<std::size_t>(index)];
    vertex->number = v.number;
    vertex->name = v.name.c_str();
    vertex->used = v.used ? 1 : 0;
    vertex->source_x = v.source_x;
    vertex->source_y = v.source_y;
    vertex->target_x = v.target_x;
    vertex->target_y = v.target_y;
    vertex->residual_x = v.residual_x;
    vertex->residual_y = v.residual_y;
    return DZV_OK;
}

int32_t dzv_prepared_save(const dzv_prepared* prepared, char* buffer, size_t size, size_t* length) {
    if (!prepared || !length || (size > 0 && !buffer)) {
        return DZV_E_INVALID_ARGUMENT;
    }
    try {
        const std::string text = prepared->run.Save();
        *length = text.size();
        if (size == 0) {
            return DZV_OK; // only the length was asked for
        }
        if (text.size() > size) {
            return DZV_E_INVALID_ARGUMENT;
        }
        std::memcpy(buffer, text.data(), text.size());
        return DZV_OK;
    } catch (...) {
        return DZV_E_OUT_OF_MEMORY;
    }
}

int32_t dzv_prepared_load(const char* text, size_t length, dzv_prepared** prepared, char* message,
                          size_t message_size) {
    if (!prepared || (length > 0 && !text)) {
        CopyMessage("Conjunto preparado no válido", message, message_size);
        return DZV_E_INVALID_ARGUMENT;
    }
    *prepared = nullptr;
    try {
        std::string failure;
        auto loaded = PreparedRun::Load(std::string_view(text ? text : "", length), failure);
        if (!loaded) {
            CopyMessage(failure, message, message_size);
            return DZV_E_INVALID_ARGUMENT;
        }
        *prepared = new dzv_prepared{std::move(*loaded)};
        return DZV_OK;
    } catch (...) {
        CopyMessage("Memoria insuficiente", message, message_size);
        return DZV_E_OUT_OF_MEMORY;
    }
}

int32_t dzv_process_file(int32_t format, const char* entrada, const char* salida,
                         const char* registro, const dzv_run* run, int64_t* rejected,
                         int32_t* log_written) {
    const RunView view(run);
    if (rejected) {
        *rejected = 0;
    }
    if (log_written) {
        *log_written = 0;
    }
    if (!view.valid() || !entrada || !salida ||
        (format != DZV_FILE_TXT && format != DZV_FILE_DXF)) {
        return view.Fail(DZV_E_INVALID_ARGUMENT, "Faltan la entrada, la salida o el formato");
    }
    return Guarded(view, [&]() -> std::int32_t {
        const RunDescription description = view.Description();
        dezadiravevava::RunArguments arguments = dezadiravevava::RunArgumentsOf(description);
        arguments.entrada = entrada;
        arguments.salida = salida;
        arguments.region_only = view.RegionOnly();
        std::string failure;
        arguments.catalogue = view.Catalogue(failure);
        if (!arguments.catalogue) {
            return view.Fail(DZV_E_RUN_FAILED, failure);
        }
        if (view.OriginFromData()) {
            dezadiravevava::api::CentreSearchOnData(arguments,
                                                    format == DZV_FILE_DXF
                                                        ? dezadiravevava::api::FileFormat::kDxf
                                                        : dezadiravevava::api::FileFormat::kTxt,
                                                    nullptr);
        }
        const std::string log = registro ? std::string(registro) : std::string(salida) + ".log";
        dezadiravevava::RunOutcome outcome;
        const int result = format == DZV_FILE_DXF
                               ? dezadiravevava::ProcesarDXF(log, arguments, nullptr, &outcome)
                               : dezadiravevava::ProcesarTXT(log, arguments, nullptr, &outcome);
        if (rejected) {
            *rejected = outcome.rejected;
        }
        if (log_written) {
            *log_written = outcome.log_written ? 1 : 0;
        }
        if (result != 1) {
            return view.Fail(DZV_E_RUN_FAILED,
                             outcome.failure.empty() ? "Error inesperado" : outcome.failure);
        }
        return DZV_OK;
    });
}

} // extern "C"
