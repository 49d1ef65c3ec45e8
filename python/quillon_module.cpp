// quillon._quillon: the engine's point arrays, prepared runs and file runs
// for Python, through the library's C interface only. The Python package
// (quillon/__init__.py) builds the runs from names and raises the errors.
#include "dezadiravevava.h"
#include "transform_request.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// An engine failure: its code and its Spanish message.
struct EngineError {
    std::int32_t code;
    std::string message;
};

// A dzv_run built from the package's dictionary of fields, with the strings
// it points to and its message buffer.
class Run {
public:
    explicit Run(const py::dict& fields) {
        dzv_run_init(&run_);
        run_.datum_a = Int(fields, "datum_a");
        run_.kind_a = Int(fields, "kind_a");
        run_.zone_a = Double(fields, "zone_a");
        run_.datum_b = Int(fields, "datum_b");
        run_.kind_b = Int(fields, "kind_b");
        run_.zone_b = Double(fields, "zone_b");
        run_.model = Int(fields, "model");
        run_.parametros = Int(fields, "parametros");
        run_.seleccion = Double(fields, "seleccion");
        run_.origin_x = Double(fields, "origin_x");
        run_.origin_y = Double(fields, "origin_y");
        run_.origin_from_data = Int(fields, "origin_from_data");
        run_.orthometric_heights = Int(fields, "orthometric_heights");
        run_.orthometric_geodetic = Int(fields, "orthometric_geodetic");
        run_.region_only = Int(fields, "region_only");
        grid_ = Text(fields, "grid_path");
        geoid_ = Text(fields, "geoid_path");
        catalogue_ = Text(fields, "catalogue_path");
        run_.grid_path = grid_.c_str();
        run_.geoid_path = geoid_.c_str();
        run_.catalogue_path = catalogue_.c_str();
        run_.message = message_;
        run_.message_size = sizeof message_;
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    dzv_run& get() { return run_; }
    // Raises the engine's failure when `code` is not DZV_OK.
    void Check(std::int32_t code) const {
        if (code != DZV_OK) {
            throw EngineError{code, message_[0] ? message_ : "Error del motor"};
        }
    }

private:
    static std::int32_t Int(const py::dict& d, const char* key) {
        return d.contains(key) ? d[key].cast<std::int32_t>() : 0;
    }
    static double Double(const py::dict& d, const char* key) {
        return d.contains(key) ? d[key].cast<double>() : 0.0;
    }
    static std::string Text(const py::dict& d, const char* key) {
        return d.contains(key) && !d[key].is_none() ? d[key].cast<std::string>() : std::string();
    }

    dzv_run run_;
    std::string grid_;
    std::string geoid_;
    std::string catalogue_;
    char message_[4096] = {};
};

using InputArray = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The number of points of a 2-D array and its columns.
std::int64_t PointCount(const InputArray& points, int& columns) {
    if (points.ndim() != 2) {
        throw py::value_error("Los puntos son una matriz de N filas y 2, 3 o 4 columnas");
    }
    columns = static_cast<int>(points.shape(1));
    return static_cast<std::int64_t>(points.shape(0));
}

// The geometries of a layer as WKB (ISO or extended, either byte order),
// read where Python holds them, with where each vertex's x is in its
// geometry: the vertices can be moved in a copy of each geometry, its
// structure left as it was. Nothing grows vertex by vertex: a layer of a
// million vertices is read without reallocating.
class WkbLayer {
public:
    explicit WkbLayer(const py::list& geometries) {
        const std::size_t count = geometries.size();
        data_.reserve(count);
        first_vertex_.reserve(count + 1);
        std::size_t total = 0;
        for (const py::handle item : geometries) {
            if (item.is_none()) {
                data_.emplace_back();
                continue;
            }
            if (!PyBytes_Check(item.ptr())) {
                throw py::type_error("Se esperan geometrías WKB (bytes) o None");
            }
            data_.emplace_back(PyBytes_AS_STRING(item.ptr()),
                               static_cast<std::size_t>(PyBytes_GET_SIZE(item.ptr())));
            total += data_.back().size();
        }
        // Every vertex takes 16 bytes or more.
        vertices_.reserve(total / 16);
        for (std::size_t g = 0; g < count; ++g) {
            first_vertex_.push_back(vertices_.size());
            if (data_[g].data() == nullptr) {
                continue;
            }
            geometry_ = data_[g];
            std::size_t position = 0;
            if (!Geometry(position, 0) || position != geometry_.size()) {
                throw py::value_error("Geometría WKB no válida en la posición " +
                                      std::to_string(g));
            }
        }
        first_vertex_.push_back(vertices_.size());
    }

    std::size_t geometry_count() const { return data_.size(); }
    std::size_t vertex_count() const { return vertices_.size(); }

    // Every vertex as x, y, z (z 0 for a vertex without height) into `points`.
    void Points(double* points) const {
        for (std::size_t g = 0; g < data_.size(); ++g) {
            const char* base = data_[g].data();
            for (std::size_t i = first_vertex_[g]; i < first_vertex_[g + 1]; ++i) {
                const Vertex v = vertices_[i];
                points[i * 3] = Read(base + v.offset, v.swap);
                points[i * 3 + 1] = Read(base + v.offset + 8, v.swap);
                points[i * 3 + 2] = v.has_z ? Read(base + v.offset + 16, v.swap) : 0.0;
            }
        }
    }

    // The geometries with the vertices moved to `out` (x, y, z each), as a
    // list of bytes (None where there was none); a geometry with a vertex
    // whose status is not 0 stays as it was. `status` gets, per geometry, the
    // status of its first such vertex, and `failures` the first few of those
    // (geometry, status, x, y, z of the vertex as it came).
    py::list Rebuild(const double* out, const std::int32_t* vertex_status, std::int32_t* status,
                     py::list& failures) const {
        constexpr std::size_t kNamed = 3;
        py::list result(data_.size());
        for (std::size_t g = 0; g < data_.size(); ++g) {
            status[g] = 0;
            const std::string_view wkb = data_[g];
            if (wkb.data() == nullptr) {
                result[g] = py::none();
                continue;
            }
            std::size_t bad = first_vertex_[g + 1];
            for (std::size_t i = first_vertex_[g]; i < first_vertex_[g + 1]; ++i) {
                if (vertex_status[i] != 0) {
                    bad = i;
                    break;
                }
            }
            PyObject* copy =
                PyBytes_FromStringAndSize(wkb.data(), static_cast<py::ssize_t>(wkb.size()));
            if (copy == nullptr) {
                throw py::error_already_set();
            }
            py::object bytes = py::reinterpret_steal<py::object>(copy);
            if (bad != first_vertex_[g + 1]) {
                status[g] = vertex_status[bad];
                if (failures.size() < kNamed) {
                    const Vertex v = vertices_[bad];
                    const char* at = wkb.data() + v.offset;
                    failures.append(py::make_tuple(g, status[g], Read(at, v.swap),
                                                   Read(at + 8, v.swap),
                                                   v.has_z ? Read(at + 16, v.swap) : 0.0));
                }
            } else {
                char* base = PyBytes_AS_STRING(copy);
                for (std::size_t i = first_vertex_[g]; i < first_vertex_[g + 1]; ++i) {
                    const Vertex v = vertices_[i];
                    Write(base + v.offset, out[i * 3], v.swap);
                    Write(base + v.offset + 8, out[i * 3 + 1], v.swap);
                    if (v.has_z) {
                        Write(base + v.offset + 16, out[i * 3 + 2], v.swap);
                    }
                }
            }
            result[g] = std::move(bytes);
        }
        return result;
    }

private:
    struct Vertex {
        std::uint32_t offset; // of x in its geometry
        bool has_z;
        bool swap; // stored in the other byte order than this machine's
    };

    static constexpr std::uint32_t kZFlag = 0x80000000u; // extended WKB
    static constexpr std::uint32_t kMFlag = 0x40000000u;
    static constexpr std::uint32_t kSridFlag = 0x20000000u;
    static constexpr int kMaxDepth = 64;

    template <typename T>
    static T Swapped(T value) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &value, sizeof(T));
        std::reverse(b, b + sizeof(T));
        std::memcpy(&value, b, sizeof(T));
        return value;
    }
    static double Read(const char* at, bool swap) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, at, 8);
        return std::bit_cast<double>(swap ? Swapped(bits) : bits);
    }
    static void Write(char* at, double value, bool swap) {
        std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
        bits = swap ? Swapped(bits) : bits;
        std::memcpy(at, &bits, 8);
    }
    bool Has(std::size_t position, std::size_t length) const {
        return position <= geometry_.size() && length <= geometry_.size() - position;
    }
    std::uint32_t Read32(std::size_t position, bool swap) const {
        std::uint32_t value = 0;
        std::memcpy(&value, geometry_.data() + position, 4);
        return swap ? Swapped(value) : value;
    }

    // A sequence of `count` points of `dims` doubles; false past the end.
    bool Points(std::size_t& position, std::uint32_t count, int dims, bool has_z, bool swap,
                bool skip_empty_point) {
        const std::size_t size = static_cast<std::size_t>(dims) * 8;
        if (!Has(position, static_cast<std::size_t>(count) * size) ||
            geometry_.size() > UINT32_MAX) {
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i, position += size) {
            // POINT EMPTY is written as NaN coordinates: nothing to move.
            if (skip_empty_point && std::isnan(Read(geometry_.data() + position, swap)) &&
                std::isnan(Read(geometry_.data() + position + 8, swap))) {
                continue;
            }
            vertices_.push_back({static_cast<std::uint32_t>(position), has_z, swap});
        }
        return true;
    }

    bool Geometry(std::size_t& position, int depth) {
        if (depth > kMaxDepth || !Has(position, 5)) {
            return false;
        }
        const char order = geometry_[position];
        if (order != 0 && order != 1) {
            return false;
        }
        const bool swap = (order == 1) != (std::endian::native == std::endian::little);
        std::uint32_t type = Read32(position + 1, swap);
        position += 5;
        bool has_z = (type & kZFlag) != 0;
        bool has_m = (type & kMFlag) != 0;
        if (type & kSridFlag) {
            if (!Has(position, 4)) {
                return false;
            }
            position += 4;
        }
        type &= 0x0FFFFFFFu;
        if (type >= 1000 && type < 4000) {
            has_z = has_z || type / 1000 == 1 || type / 1000 == 3;
            has_m = has_m || type / 1000 == 2 || type / 1000 == 3;
            type %= 1000;
        }
        const int dims = 2 + (has_z ? 1 : 0) + (has_m ? 1 : 0);
        if (type == 1) {
            return Points(position, 1, dims, has_z, swap, true);
        }
        if (!Has(position, 4)) {
            return false;
        }
        const std::uint32_t count = Read32(position, swap);
        position += 4;
        switch (type) {
        case 2: // line string
            return Points(position, count, dims, has_z, swap, false);
        case 3: // polygon: its rings
            for (std::uint32_t r = 0; r < count; ++r) {
                if (!Has(position, 4)) {
                    return false;
                }
                const std::uint32_t points = Read32(position, swap);
                position += 4;
                if (!Points(position, points, dims, has_z, swap, false)) {
                    return false;
                }
            }
            return true;
        case 4: // multi point, line string, polygon, collection: geometries
        case 5:
        case 6:
        case 7:
            for (std::uint32_t p = 0; p < count; ++p) {
                if (!Geometry(position, depth + 1)) {
                    return false;
                }
            }
            return true;
        default:
            return false;
        }
    }

    std::vector<std::string_view> data_; // each geometry; data() null: none
    std::vector<std::size_t> first_vertex_;
    std::vector<Vertex> vertices_;
    std::string_view geometry_; // the one being read
};

// The vertices of WKB geometries as an N x 3 array (x, y, z; z 0 without one).
py::array_t<double> WkbVertices(const py::list& geometries) {
    const WkbLayer layer(geometries);
    py::array_t<double> result(
        {static_cast<py::ssize_t>(layer.vertex_count()), static_cast<py::ssize_t>(3)});
    layer.Points(result.mutable_data());
    return result;
}

// A parameter set prepared once; shared by the copies of a Transformacion.
class Prepared {
public:
    explicit Prepared(const py::dict& fields) : fields_(fields) {
        Run run(fields_);
        dzv_prepared* made = nullptr;
        run.Check(dzv_prepare(&run.get(), &made));
        handle_.reset(made, dzv_release_prepared);
    }

    Prepared(const py::dict& fields, const py::bytes& saved) : fields_(fields) {
        const std::string text = saved;
        char message[512] = {};
        dzv_prepared* made = nullptr;
        const std::int32_t code =
            dzv_prepared_load(text.data(), text.size(), &made, message, sizeof message);
        if (code != DZV_OK) {
            throw EngineError{code, message};
        }
        handle_.reset(made, dzv_release_prepared);
    }

    // (output, status) of the points, and with `uncertainty` their 95 %
    // horizontal uncertainty as a third array; the GIL is released while the
    // engine works, so other Python threads (a Dask worker's) run meanwhile.
    py::tuple Transform(const InputArray& points, int out_columns, int threads, bool region_only,
                        bool uncertainty) {
        int in_columns = 0;
        const std::int64_t n = PointCount(points, in_columns);
        Run run(fields_);
        run.get().prepared = handle_.get();
        run.get().in_columns = in_columns;
        run.get().out_columns = out_columns;
        run.get().threads = threads;
        run.get().region_only = region_only ? 1 : 0;
        py::array_t<double> out(
            {static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(out_columns)});
        py::array_t<std::int32_t> status(static_cast<py::ssize_t>(n));
        const double* in = points.data();
        double* out_data = out.mutable_data();
        std::int32_t* status_data = status.mutable_data();
        py::array_t<double> metres(uncertainty ? static_cast<py::ssize_t>(n) : 0);
        run.get().uncertainty = uncertainty ? metres.mutable_data() : nullptr;
        std::int32_t code = DZV_OK;
        {
            py::gil_scoped_release release;
            code = dzv_transform_points(n, in, out_data, status_data, &run.get());
        }
        run.Check(code);
        return uncertainty ? py::make_tuple(out, status, metres) : py::make_tuple(out, status);
    }

    // (geometries, status, vertices not transformed, first failures) of WKB
    // geometries with every vertex transformed at once, in place (x, y and z;
    // a vertex without height enters at 0 and stays without one): see
    // WkbLayer::Rebuild.
    py::tuple TransformWkb(const py::list& geometries, int threads, bool region_only) {
        const WkbLayer layer(geometries);
        const auto n = static_cast<std::int64_t>(layer.vertex_count());
        std::vector<double> points(layer.vertex_count() * 3);
        layer.Points(points.data());
        std::vector<std::int32_t> vertex_status(layer.vertex_count());
        Run run(fields_);
        run.get().prepared = handle_.get();
        run.get().in_columns = 3;
        run.get().out_columns = 3;
        run.get().threads = threads;
        run.get().region_only = region_only ? 1 : 0;
        std::int32_t code = DZV_OK;
        {
            py::gil_scoped_release release;
            code = dzv_transform_points(n, points.data(), points.data(), vertex_status.data(),
                                        &run.get());
        }
        run.Check(code);
        py::array_t<std::int32_t> status(static_cast<py::ssize_t>(layer.geometry_count()));
        py::list failures;
        py::list result =
            layer.Rebuild(points.data(), vertex_status.data(), status.mutable_data(), failures);
        const auto refused = std::count_if(vertex_status.begin(), vertex_status.end(),
                                           [](std::int32_t c) { return c != 0; });
        return py::make_tuple(result, status, refused, failures);
    }

    // (model, values, source centroid, target centroid, adjustment error,
    // report, vertices, values in EPSG's terms, evaluation point, PROJ
    // pipeline) with each vertex (number, name, used, source x, y, target x,
    // y, residual x, y).
    py::tuple Parameters() const {
        dzv_parameters p{};
        p.size = sizeof p;
        if (dzv_prepared_parameters(handle_.get(), &p) != DZV_OK) {
            throw EngineError{DZV_E_INVALID_ARGUMENT, "Conjunto preparado no válido"};
        }
        py::list vertices;
        for (std::int32_t i = 0; i < p.vertex_count; ++i) {
            dzv_vertex v{};
            v.size = sizeof v;
            dzv_prepared_vertex(handle_.get(), i, &v);
            vertices.append(py::make_tuple(v.number, py::str(v.name), v.used != 0, v.source_x,
                                           v.source_y, v.target_x, v.target_y, v.residual_x,
                                           v.residual_y));
        }
        const auto triple = [](const double* t) { return py::make_tuple(t[0], t[1], t[2]); };
        py::list values, epsg;
        for (const double v : p.values) {
            values.append(v);
        }
        for (const double v : p.epsg) {
            epsg.append(v);
        }
        return py::make_tuple(p.model, py::tuple(values), triple(p.source_centroid),
                              triple(p.target_centroid), p.adjustment_error, py::str(p.report),
                              vertices, py::tuple(epsg), triple(p.pivot), py::str(p.proj));
    }

    py::bytes Save() const {
        std::size_t length = 0;
        dzv_prepared_save(handle_.get(), nullptr, 0, &length);
        std::string text(length, '\0');
        if (dzv_prepared_save(handle_.get(), text.data(), text.size(), &length) != DZV_OK) {
            throw EngineError{DZV_E_OUT_OF_MEMORY, "Memoria insuficiente"};
        }
        return py::bytes(text);
    }

private:
    py::dict fields_;
    std::shared_ptr<dzv_prepared> handle_;
};

// (x_min, x_max, y_min, y_max, count) of the points in ED50 UTM zone 30.
py::tuple Extent(const InputArray& points, const py::dict& fields) {
    int in_columns = 0;
    const std::int64_t n = PointCount(points, in_columns);
    Run run(fields);
    run.get().in_columns = in_columns;
    double extent[4] = {};
    std::int64_t count = 0;
    std::int32_t code = DZV_OK;
    {
        py::gil_scoped_release release;
        code = dzv_points_extent(n, points.data(), &run.get(), extent, &count);
    }
    run.Check(code);
    return py::make_tuple(extent[0], extent[1], extent[2], extent[3], count);
}

namespace api = dezadiravevava::api;

// (datum, kind, zone, orthometric heights) of an EPSG code in the run's codes
// ("EPSG:25830+5782", "23030"), as quillon-cli's --sistema-a takes it; None
// for a code it does not know.
py::object SideOfCode(const std::string& code) {
    const std::optional<api::EpsgSide> found = api::SideOfEpsg(code);
    if (!found) {
        return py::none();
    }
    const api::Side& side = found->side;
    const int datum = side.datum == api::Datum::kEd50 ? DZV_DATUM_ED50 : DZV_DATUM_ETRS89;
    const int kind = side.kind == api::Kind::kGeodetic ? DZV_KIND_GEODETIC
                     : side.kind == api::Kind::kUtm    ? DZV_KIND_UTM
                                                       : DZV_KIND_GEOCENTRIC;
    return py::make_tuple(datum, kind, side.zone, found->orthometric_heights);
}

// What the engine's rules for a run of points refuse in a run's fields (the
// rules quillon-cli applies to its options, in its words), or "".
std::string CheckFields(const py::dict& fields, int threads) {
    Run run(fields);
    const dzv_run& r = run.get();
    api::TransformRequest request;
    const auto side = [](int datum, int kind, double zone) {
        api::Side result;
        result.datum = datum == DZV_DATUM_ED50 ? api::Datum::kEd50 : api::Datum::kEtrs89;
        result.kind = kind == DZV_KIND_GEODETIC ? api::Kind::kGeodetic
                      : kind == DZV_KIND_UTM    ? api::Kind::kUtm
                                                : api::Kind::kGeocentric;
        result.zone = static_cast<int>(zone);
        return result;
    };
    request.a = side(r.datum_a, r.kind_a, r.zone_a);
    request.b = side(r.datum_b, r.kind_b, r.zone_b);
    request.a.orthometric = (r.orthometric_geodetic & DZV_ORTHOMETRIC_GEODETIC_A) != 0;
    request.b.orthometric = (r.orthometric_geodetic & DZV_ORTHOMETRIC_GEODETIC_B) != 0;
    switch (r.parametros) {
    case DZV_PARAMETERS_REGIONAL:
        request.method = api::Method::kRegional;
        break;
    case DZV_PARAMETERS_DISTANCE:
        request.method = api::Method::kDistance;
        break;
    case DZV_PARAMETERS_NEAREST:
        request.method = api::Method::kNearest;
        break;
    case DZV_PARAMETERS_GRID:
        request.method = api::Method::kGrid;
        break;
    default:
        request.method = api::Method::kNational;
    }
    request.model = r.model == DZV_MODEL_AFFINE       ? api::Model::kAffine
                    : r.model == DZV_MODEL_MOLODENSKY ? api::Model::kMolodensky
                                                      : api::Model::kHelmert;
    request.selection = r.seleccion;
    const bool local =
        request.method == api::Method::kDistance || request.method == api::Method::kNearest;
    // A centre that is not a point is left to the preparation, which names it.
    if (local && r.origin_from_data == 0 && std::isfinite(r.origin_x) &&
        std::isfinite(r.origin_y)) {
        request.origin = std::array<double, 2>{r.origin_x, r.origin_y};
    }
    request.orthometric_heights = r.orthometric_heights != 0;
    request.grid_path = r.grid_path;
    request.geoid_path = r.geoid_path;
    request.catalogue_path = r.catalogue_path;
    request.threads = threads;
    request.origin_in_region = true;
    return api::CheckRequest(api::Order::kTxt, request);
}

// (code, message, rejected lines, log written) of a TXT or DXF run.
py::tuple ProcessFile(int format, const std::string& entrada, const std::string& salida,
                      const std::string& registro, const py::dict& fields) {
    Run run(fields);
    std::int64_t rejected = 0;
    std::int32_t log_written = 0;
    std::int32_t code = DZV_OK;
    {
        py::gil_scoped_release release;
        code = dzv_process_file(format, entrada.c_str(), salida.c_str(), registro.c_str(),
                                &run.get(), &rejected, &log_written);
    }
    const char* message = code == DZV_OK ? "" : run.get().message;
    return py::make_tuple(code, py::str(message), rejected, log_written != 0);
}

} // namespace

PYBIND11_MODULE(_quillon, m) {
    m.doc() = "El motor Dezadiravevava (ED50 <-> ETRS89) desde Python";
    static py::exception<EngineError> error(m, "ErrorQuillon", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) {
                std::rethrow_exception(p);
            }
        } catch (const EngineError& e) {
            py::object instance = py::reinterpret_borrow<py::object>(error)(py::str(e.message));
            instance.attr("codigo") = e.code;
            PyErr_SetObject(error.ptr(), instance.ptr());
        }
    });

    py::class_<Prepared>(m, "Preparada")
        .def(py::init<const py::dict&>())
        .def(py::init<const py::dict&, const py::bytes&>())
        .def("transformar", &Prepared::Transform, py::arg("puntos"), py::arg("columnas_salida"),
             py::arg("hilos"), py::arg("solo_region"), py::arg("incertidumbre") = false)
        .def("transformar_wkb", &Prepared::TransformWkb, py::arg("geometrias"), py::arg("hilos"),
             py::arg("solo_region"))
        .def("parametros", &Prepared::Parameters)
        .def("guardar", &Prepared::Save);
    m.def("extension", &Extent, py::arg("puntos"), py::arg("ejecucion"));
    m.def("procesar_archivo", &ProcessFile, py::arg("formato"), py::arg("entrada"),
          py::arg("salida"), py::arg("registro"), py::arg("ejecucion"));
    m.def("lado_epsg", &SideOfCode, py::arg("codigo"));
    m.def("comprobar", &CheckFields, py::arg("ejecucion"), py::arg("hilos"));
    m.def("vertices_wkb", &WkbVertices, py::arg("geometrias"));
    m.attr("VERSION") = QUILLON_VERSION;
    m.attr("ARCHIVO_TXT") = DZV_FILE_TXT;
    m.attr("ARCHIVO_DXF") = DZV_FILE_DXF;
}
