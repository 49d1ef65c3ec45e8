// quillon._quillon: the engine's point arrays, prepared runs and file runs
// for Python, through the library's C interface only. The Python package
// (quillon/__init__.py) builds the runs from names and raises the errors.
#include "dezadiravevava.h"

#include <cstdint>
#include <memory>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <string>

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
        .def("parametros", &Prepared::Parameters)
        .def("guardar", &Prepared::Save);
    m.def("extension", &Extent, py::arg("puntos"), py::arg("ejecucion"));
    m.def("procesar_archivo", &ProcessFile, py::arg("formato"), py::arg("entrada"),
          py::arg("salida"), py::arg("registro"), py::arg("ejecucion"));
    m.attr("ARCHIVO_TXT") = DZV_FILE_TXT;
    m.attr("ARCHIVO_DXF") = DZV_FILE_DXF;
}
