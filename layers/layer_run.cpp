#include "layer_run.h"

#include "layer_gdal.h"
#include "layer_systems.h"
#include "layer_vertices.h"
#include "staged_output.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quillon::layers {

namespace fs = std::filesystem;

namespace {

// Vertices transformed together: enough to make a thread worth its start,
// few enough that a batch's vertices stay in the processor's cache and the
// features held meanwhile stay a few megabytes.
constexpr std::size_t kBatchVertices = 16384;
constexpr std::size_t kBatchFeatures = 20000;
// Layers of at least this many features are written with a larger SQLite cache.
constexpr GIntBig kManyFeatures = 50000;
// Most batches transformed at once, whatever the number of processors.
constexpr int kMostBatchesInFlight = 8;
// Rejected features named one by one in the log; those after are counted.
constexpr long long kRejectedNamed = 1000;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string DriverOfPath(const std::string& output) {
    static const std::pair<const char*, const char*> kByExtension[] = {{".gpkg", "GPKG"},
                                                                       {".shp", "ESRI Shapefile"},
                                                                       {".geojson", "GeoJSON"},
                                                                       {".json", "GeoJSON"},
                                                                       {".fgb", "FlatGeobuf"},
                                                                       {".csv", "CSV"},
                                                                       {".kml", "KML"},
                                                                       {".kmz", "LIBKML"},
                                                                       {".gml", "GML"},
                                                                       {".sqlite", "SQLite"},
                                                                       {".tab", "MapInfo File"},
                                                                       {".mif", "MapInfo File"},
                                                                       {".gpx", "GPX"},
                                                                       {".dxf", "DXF"},
                                                                       {".geojsonl", "GeoJSONSeq"},
                                                                       {".geojsons", "GeoJSONSeq"}};
    const std::string extension = Lower(fs::path(output).extension().string());
    for (const auto& [end, driver] : kByExtension) {
        if (extension == end) {
            return driver;
        }
    }
    throw Failure("No se reconoce el formato de salida por la extensión de " + output +
                  ": dé --formato (GPKG, \"ESRI Shapefile\", GeoJSON, FlatGeobuf, CSV...)");
}

struct LayerPlan {
    OGRLayer* in = nullptr;
    OGRLayer* out = nullptr;
    std::vector<int> field_map;
    bool keep_fid = false;
};

class Run {
public:
    Run(const api::TransformRequest& request, const std::string& input, const std::string& output,
        const LayerOptions& options, const api::Progress& progress, LayerOutcome& outcome)
        : request_(request), input_(input), output_(output), options_(options), progress_(progress),
          outcome_(outcome) {}

    // The log's text so far (empty before the run is prepared).
    std::string log;

    void Execute() {
        Dataset source = OpenInput(input_);
        const std::vector<OGRLayer*> layers = ChosenLayers(*source, options_.layer);
        const std::string driver_name =
            options_.format.empty() ? DriverOfPath(output_) : options_.format;
        if (EQUAL(driver_name.c_str(), "KML") || EQUAL(driver_name.c_str(), "LIBKML")) {
            throw Failure("KML no se admite como salida: sus coordenadas son siempre longitud y "
                          "latitud WGS 84; elija otro formato (GPKG, GeoJSON...)");
        }
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driver_name.c_str());
        if (!driver || !driver->GetMetadataItem(GDAL_DCAP_VECTOR) ||
            !driver->GetMetadataItem(GDAL_DCAP_CREATE)) {
            throw Failure("Formato de salida desconocido o que GDAL no puede escribir: " +
                          driver_name);
        }
        shapefile_ = EQUAL(driver->GetDescription(), "ESRI Shapefile");
        csv_ = EQUAL(driver->GetDescription(), "CSV");
        keeps_fid_ =
            EQUAL(driver->GetDescription(), "GPKG") || EQUAL(driver->GetDescription(), "SQLite");
        if (fs::exists(output_) && fs::exists(input_) && fs::equivalent(output_, input_)) {
            throw Failure("La salida es la propia entrada: " + output_);
        }
        CheckLayerSystems(layers, request_);
        const bool has_z = std::any_of(layers.begin(), layers.end(), [](OGRLayer* layer) {
            return OGR_GT_HasZ(layer->GetGeomType()) != 0;
        });
        api::DataExtent extent;
        const bool local =
            request_.method == api::Method::kDistance || request_.method == api::Method::kNearest;
        if (local && !request_.origin) {
            for (OGRLayer* layer : layers) {
                AddLayerExtent(*layer, extent);
            }
        }
        // Each batch is transformed on one thread, and as many batches at
        // once as the request has threads.
        const int threads = request_.threads > 0
                                ? request_.threads
                                : static_cast<int>(std::thread::hardware_concurrency());
        in_flight_ = static_cast<std::size_t>(std::clamp(threads, 1, kMostBatchesInFlight));
        api::TransformRequest one_thread = request_;
        one_thread.threads = 1;
        std::string failure;
        auto run = api::PointArrayRun::Make(one_thread, &extent, failure);
        if (!run) {
            throw Failure(failure);
        }
        log = run->LogHead(input_, output_);
        OGRSpatialReference target;
        const std::string target_code = TargetCode(request_, has_z);
        if (target.SetFromUserInput(target_code.c_str()) != OGRERR_NONE) {
            throw Failure("GDAL no conoce el sistema de salida " + target_code);
        }
        target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        log += "Sistema de la salida..: " + target_code + "\n\n";

        // SQLite's page cache (GeoPackage, SQLite outputs) up to 64 MB for
        // layers of many features, unless the user chose otherwise: with
        // GDAL's default they spend much of their time reading back and
        // writing again the pages of their tables and spatial indexes. Layers
        // of few long features only lose by it.
        GIntBig features = 0;
        for (OGRLayer* layer : layers) {
            features += std::max<GIntBig>(0, layer->GetFeatureCount(FALSE));
        }
        if (features >= kManyFeatures && !CPLGetConfigOption("OGR_SQLITE_CACHE", nullptr)) {
            CPLSetConfigOption("OGR_SQLITE_CACHE", "64");
        }
        StagedOutput staged(output_);
        {
            CPLErrorReset();
            Dataset out(driver->Create(staged.path().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
            if (!out) {
                throw Failure("No se puede crear el archivo de salida: " + output_ +
                              LastGdalError());
            }
            for (OGRLayer* layer : layers) {
                LayerPlan plan = PlanLayer(*layer, *out, target);
                CopyLayer(plan, *run, target);
            }
            // Closing writes what the driver still holds; its failure is the
            // last error GDAL reports.
            CPLErrorReset();
            out.reset();
            if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) {
                throw Failure("No se puede escribir el archivo de salida: " + output_ +
                              LastGdalError());
            }
        }
        if (Stopped()) {
            throw Failure("Operación cancelada por el usuario");
        }
        log += Summary();
        if (!WriteLog(outcome_.log_path, log)) {
            throw Failure("No se puede escribir el registro: " + outcome_.log_path);
        }
        outcome_.log_written = true;
        try {
            staged.Commit(shapefile_);
        } catch (const fs::filesystem_error& error) {
            throw Failure("No se puede escribir el archivo de salida: " + output_ + " (" +
                          error.code().message() + ")");
        }
        outcome_.transform_seconds = transform_seconds_;
        outcome_.succeeded = true;
    }

private:
    bool Stopped() const { return progress_.stop_requested && progress_.stop_requested(); }

    void AddLayerExtent(OGRLayer& layer, api::DataExtent& extent) {
        std::vector<double> points;
        layer.ResetReading();
        for (Feature feature(layer.GetNextFeature()); feature;
             feature.reset(layer.GetNextFeature())) {
            if (OGRGeometry* geometry = feature->GetGeometryRef()) {
                GatherVertices(*geometry, points);
            }
            if (points.size() >= kBatchVertices * 3) {
                api::AddToExtent(request_, static_cast<std::int64_t>(points.size() / 3),
                                 points.data(), 3, extent);
                points.clear();
                if (Stopped()) {
                    throw Failure("Operación cancelada por el usuario");
                }
            }
        }
        api::AddToExtent(request_, static_cast<std::int64_t>(points.size() / 3), points.data(), 3,
                         extent);
    }

    LayerPlan PlanLayer(OGRLayer& layer, GDALDataset& out, OGRSpatialReference& target) {
        LayerPlan plan;
        plan.in = &layer;
        OGRFeatureDefn* defn = layer.GetLayerDefn();
        if (defn->GetGeomFieldCount() > 1) {
            throw Failure("La capa " + std::string(layer.GetName()) +
                          " tiene varias geometrías por entidad, que no se admiten");
        }
        const OGRwkbGeometryType type = layer.GetGeomType();
        std::vector<std::string> options;
        if (keeps_fid_ && layer.GetFIDColumn() && *layer.GetFIDColumn()) {
            options.push_back(std::string("FID=") + layer.GetFIDColumn());
        }
        if (EQUAL(out.GetDriver()->GetDescription(), "GPKG") && layer.GetGeometryColumn() &&
            *layer.GetGeometryColumn()) {
            options.push_back(std::string("GEOMETRY_NAME=") + layer.GetGeometryColumn());
        }
        if (csv_ && type != wkbNone) {
            options.push_back(wkbFlatten(type) == wkbPoint ? "GEOMETRY=AS_XY" : "GEOMETRY=AS_WKT");
        }
        std::vector<const char*> raw;
        for (const std::string& option : options) {
            raw.push_back(option.c_str());
        }
        raw.push_back(nullptr);
        CPLErrorReset();
        plan.out = out.CreateLayer(layer.GetName(), type == wkbNone ? nullptr : &target, type,
                                   const_cast<char**>(raw.data()));
        if (!plan.out) {
            throw Failure("No se puede crear la capa " + std::string(layer.GetName()) +
                          " en la salida" + LastGdalError());
        }
        plan.field_map.assign(static_cast<std::size_t>(defn->GetFieldCount()), -1);
        for (int i = 0; i < defn->GetFieldCount(); ++i) {
            const int before = plan.out->GetLayerDefn()->GetFieldCount();
            if (plan.out->CreateField(defn->GetFieldDefn(i), TRUE) != OGRERR_NONE ||
                plan.out->GetLayerDefn()->GetFieldCount() != before + 1) {
                throw Failure("No se puede crear el campo " +
                              std::string(defn->GetFieldDefn(i)->GetNameRef()) + " de la capa " +
                              layer.GetName() + " en la salida" + LastGdalError());
            }
            plan.field_map[static_cast<std::size_t>(i)] = before;
        }
        // FIDs of a source that keeps them (a column of its own, as in a
        // GeoPackage); a Shapefile's are only record numbers from 0.
        plan.keep_fid = keeps_fid_ && layer.GetFIDColumn() && *layer.GetFIDColumn();
        return plan;
    }

    // Reads the features of a layer into batches; while the engine transforms
    // the batches read before, each on a thread of its own, the oldest one is
    // written and the next read.
    void CopyLayer(LayerPlan& plan, const api::PointArrayRun& run, OGRSpatialReference& target) {
        ++outcome_.layers;
        if (progress_.open) {
            const GIntBig count = plan.in->GetFeatureCount(FALSE);
            progress_.open("Transformando " + std::string(plan.in->GetName()),
                           count > 0 ? static_cast<std::uint64_t>(count) : 0);
        }
        plan.in->ResetReading();
        in_transaction_ = plan.out->StartTransaction() == OGRERR_NONE;
        // The batch being read and those in flight, in turn: the one after
        // the batch being read is always the oldest.
        const std::size_t ring = in_flight_ + 1;
        std::vector<Batch> batches(ring);
        std::vector<std::future<void>> transforming(ring);
        std::size_t filling = 0;
        const auto write_transformed = [&](std::size_t index) {
            if (transforming[index].valid()) {
                transforming[index].get();
                transform_seconds_ += batches[index].seconds;
                WriteBatch(plan, target, batches[index]);
            }
        };
        std::uint64_t read = 0;
        for (;;) {
            Batch& batch = batches[filling];
            CPLErrorReset();
            Feature feature(plan.in->GetNextFeature());
            if (!feature) {
                break;
            }
            OGRGeometry* geometry = feature->GetGeometryRef();
            const bool unreadable = !geometry && CPLGetLastErrorType() >= CE_Failure;
            if (geometry) {
                GatherVertices(*geometry, batch.points);
            }
            batch.features.push_back(std::move(feature));
            batch.first.push_back(batch.points.size() / 3);
            batch.unreadable.push_back(unreadable);
            ++read;
            if (batch.points.size() >= kBatchVertices * 3 ||
                batch.features.size() >= kBatchFeatures) {
                if (Stopped()) {
                    throw Failure("Operación cancelada por el usuario");
                }
                transforming[filling] = TransformBatch(run, batch);
                filling = (filling + 1) % ring;
                write_transformed(filling); // the oldest, before it is read into again
                if (progress_.step) {
                    progress_.step(read);
                }
            }
        }
        if (!batches[filling].features.empty()) {
            transforming[filling] = TransformBatch(run, batches[filling]);
        }
        for (std::size_t k = 1; k <= ring; ++k) {
            write_transformed((filling + k) % ring); // oldest first
        }
        if (Stopped()) {
            throw Failure("Operación cancelada por el usuario");
        }
        if (in_transaction_ && plan.out->CommitTransaction() != OGRERR_NONE) {
            throw Failure("No se puede escribir la capa " + std::string(plan.in->GetName()) +
                          LastGdalError());
        }
        if (progress_.close) {
            progress_.close();
        }
    }

    // The engine's work on a batch, on a thread of its own: only the batch's
    // arrays are touched there, never GDAL's objects.
    std::future<void> TransformBatch(const api::PointArrayRun& run, Batch& batch) {
        return std::async(std::launch::async, [&run, &batch] {
            const std::size_t n = batch.points.size() / 3;
            batch.status.resize(n);
            const auto start = std::chrono::steady_clock::now();
            run.Transform(static_cast<std::int64_t>(n), batch.points.data(), batch.points.data(), 3,
                          batch.status.data());
            batch.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        });
    }

    void WriteBatch(LayerPlan& plan, OGRSpatialReference& target, Batch& batch) {
        for (std::size_t f = 0; f < batch.features.size(); ++f) {
            OGRFeature& feature = *batch.features[f];
            const std::size_t first = batch.first[f];
            const std::size_t last = batch.first[f + 1];
            if (batch.unreadable[f]) {
                Reject(plan, feature, "geometría que no se puede leer");
                continue;
            }
            std::int32_t bad = 0;
            for (std::size_t i = first; i < last && bad == 0; ++i) {
                bad = batch.status[i];
            }
            if (bad != 0) {
                Reject(plan, feature, api::PointResultReason(static_cast<api::PointResult>(bad)));
                continue;
            }
            batch.cursor = first;
            OGRGeometry* geometry = feature.GetGeometryRef();
            if (geometry && !ScatterVertices(*geometry, batch, &target)) {
                Reject(plan, feature, "geometría que no se puede leer");
                continue;
            }
            Write(plan, feature, last - first);
        }
        batch.features.clear();
        batch.first.assign(1, 0);
        batch.unreadable.clear();
        batch.points.clear();
    }

    void Write(LayerPlan& plan, OGRFeature& feature, std::size_t vertices) {
        Feature copy(OGRFeature::CreateFeature(plan.out->GetLayerDefn()));
        if (copy->SetFrom(&feature, plan.field_map.data(), TRUE) != OGRERR_NONE) {
            throw Failure("No se pueden copiar los campos de la entidad " +
                          std::to_string(feature.GetFID()) + LastGdalError());
        }
        if (plan.keep_fid) {
            copy->SetFID(feature.GetFID());
        }
        CPLErrorReset();
        if (plan.out->CreateFeature(copy.get()) != OGRERR_NONE) {
            throw Failure("No se puede escribir la entidad " + std::to_string(feature.GetFID()) +
                          " de la capa " + plan.in->GetName() + LastGdalError());
        }
        ++outcome_.features;
        outcome_.vertices += static_cast<long long>(vertices);
    }

    void Reject(LayerPlan& plan, OGRFeature& feature, std::string_view reason) {
        if (outcome_.rejected < kRejectedNamed) {
            rejected_ += "Entidad " + std::to_string(feature.GetFID()) + " de la capa " +
                         plan.in->GetName() + " rechazada: " + std::string(reason) + "\n";
        }
        ++outcome_.rejected;
    }

    std::string Summary() const {
        std::string text = "Resumen de la conversión\n"
                           "==========================\n\n"
                           "Tipo de archivo......: CAPA SIG\n"
                           "Número de capas......: " +
                           std::to_string(outcome_.layers) +
                           "\n"
                           "Número de entidades..: " +
                           std::to_string(outcome_.features) +
                           "\n"
                           "Número de vértices...: " +
                           std::to_string(outcome_.vertices) + "\n";
        if (outcome_.rejected > 0) {
            text += "Entidades rechazadas.: " + std::to_string(outcome_.rejected) + "\n";
            text += rejected_;
            if (outcome_.rejected > kRejectedNamed) {
                text += "Otras " + std::to_string(outcome_.rejected - kRejectedNamed) +
                        " entidades rechazadas no se detallan\n";
            }
        }
        return text;
    }

    const api::TransformRequest& request_;
    const std::string& input_;
    const std::string& output_;
    const LayerOptions& options_;
    const api::Progress& progress_;
    LayerOutcome& outcome_;
    bool shapefile_ = false;
    bool csv_ = false;
    bool keeps_fid_ = false;
    bool in_transaction_ = false;
    std::size_t in_flight_ = 1; // batches transformed at once
    double transform_seconds_ = 0.0;
    std::string rejected_;
};

} // namespace

LayerOutcome TransformLayers(const api::TransformRequest& request, const std::string& input,
                             const std::string& output, const LayerOptions& options,
                             const api::Progress& progress) {
    LayerOutcome outcome;
    outcome.log_path = request.log_path.empty() ? output + ".log" : request.log_path;
    api::TransformRequest effective = request;
    if (request.a.kind == api::Kind::kGeocentric || request.b.kind == api::Kind::kGeocentric) {
        outcome.failure = "Las capas no se transforman en coordenadas geocéntricas";
        return outcome;
    }
    // A layer has one system: a UTM output without a zone keeps the input's.
    if (effective.b.kind == api::Kind::kUtm && effective.b.zone == 0) {
        if (effective.a.kind != api::Kind::kUtm) {
            outcome.failure = "Falta el huso de la salida UTM: dé --huso-b o --sistema-b";
            return outcome;
        }
        effective.b.zone = effective.a.zone;
    }
    Run run(effective, input, output, options, progress, outcome);
    try {
        run.Execute();
    } catch (const Failure& error) {
        outcome.failure = error.what();
    } catch (const std::bad_alloc&) {
        outcome.failure = "Memoria insuficiente";
    } catch (const std::exception& error) {
        outcome.failure = std::string("Error inesperado: ") + error.what();
    }
    if (!outcome.succeeded) {
        outcome.succeeded = false;
        // A run refused before its parameters were prepared (an input that
        // cannot be opened, a format or a system it cannot take) leaves the
        // previous log alone: there is no run to tell of.
        const bool stopped = progress.stop_requested && progress.stop_requested();
        if (!run.log.empty() && !(stopped && request.keep_log_when_stopped)) {
            outcome.log_written = WriteLog(outcome.log_path, run.log + outcome.failure + "\n");
        } else {
            outcome.log_written = false;
        }
    }
    return outcome;
}

} // namespace quillon::layers

const quillon::layers::LayerFunctions* quillon_layers_functions() {
    static const quillon::layers::LayerFunctions functions = {quillon::layers::LayerSystem,
                                                              quillon::layers::TransformLayers};
    return &functions;
}
