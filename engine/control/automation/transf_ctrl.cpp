#include "control/automation/transf_ctrl.h"

#include "control/request_codes.h"
#include "files/catalogue_file.h"
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/vertex_search.h"

#include <cmath>
#include <exception>
#include <utility>

namespace dezadiravevava {

namespace {

// A side given by its EPSG code (SistemaA, SistemaB) in place of the method's
// datum, kind and zone arguments.
void ApplySystem(const std::string& code, std::int32_t& datum, std::int32_t& kind, double& zone,
                 bool& orthometric, bool& orthometric_geodetic) {
    if (code.empty()) {
        return;
    }
    const auto side = api::SideOfEpsg(code);
    if (!side) {
        return; // the property refuses such a code when it is put
    }
    datum = api::DatumCode(side->side.datum);
    kind = api::KindCode(side->side.kind);
    zone = side->side.zone;
    if (side->orthometric_heights) {
        orthometric = true;
        orthometric_geodetic = side->side.kind == api::Kind::kGeodetic;
    }
}

// The input side of the methods that read one file: their arguments, or
// SistemaA in their place.
struct InputSide {
    std::int32_t datum;
    std::int32_t kind;
    double zone;
};
InputSide InputSideOf(const CTransfCtrl& control, std::int32_t datum, std::int32_t kind,
                      double zone) {
    bool orthometric = false;
    bool geodetic = false;
    ApplySystem(control.SistemaA, datum, kind, zone, orthometric, geodetic);
    return {datum, kind, zone};
}

RunArguments Run(const CTransfCtrl& control, const std::string& entrada, std::int32_t Da,
                 std::int32_t Pa, double hEntrada, const std::string& salida, std::int32_t Db,
                 std::int32_t Pb, double hSalida, std::int32_t model, std::int32_t parametros,
                 double selec_param, double x, double y, double z) {
    RunArguments run;
    run.entrada = entrada;
    run.da = Da;
    run.pa = Pa;
    run.h_entrada = hEntrada;
    run.salida = salida;
    run.db = Db;
    run.pb = Pb;
    run.h_salida = hSalida;
    run.model = model;
    run.parametros = parametros;
    run.selec_param = selec_param;
    run.x = x;
    run.y = y;
    run.z = z;
    run.orthometric_heights = control.AlturasOrtometricas != 0;
    run.grid_path = control.RutaRejilla;
    run.geoid_path = control.RutaGeoide;
    run.threads = control.Hilos;
    run.region_only = control.SoloRegion != 0;
    run.catalogue = control.shared_catalogue();
    run.uncertainty_column = control.Incertidumbre != 0;
    ApplySystem(control.SistemaA, run.da, run.pa, run.h_entrada, run.orthometric_heights,
                run.orthometric_geodetic_in);
    ApplySystem(control.SistemaB, run.db, run.pb, run.h_salida, run.orthometric_heights,
                run.orthometric_geodetic_out);
    return run;
}

// Nothing escapes a method: an exception (memory exhausted, say) is a failure.
template <typename Body>
std::int16_t Guarded(Body body) noexcept {
    try {
        return static_cast<std::int16_t>(body() == 1 ? 1 : 0);
    } catch (...) {
        return 0;
    }
}

} // namespace

CTransfCtrl::CTransfCtrl() {
    std::string unused;
    catalogue_ = CatalogueOfPath("", unused);
}

bool CTransfCtrl::SetCatalogo(const std::string& path, std::string& failure) {
    auto catalogue = CatalogueOfPath(path, failure);
    if (!catalogue) {
        return false;
    }
    catalogue_ = std::move(catalogue);
    catalogue_path_ = path;
    return true;
}

void CTransfCtrl::MethodProgress::Open(std::string_view caption, std::uint64_t size) {
    if (control_.progress_) {
        control_.progress_->Open(caption, size);
    }
}

void CTransfCtrl::MethodProgress::Step(std::uint64_t position) {
    if (control_.progress_) {
        control_.progress_->Step(position);
    }
}

void CTransfCtrl::MethodProgress::Close() {
    if (control_.progress_) {
        control_.progress_->Close();
    }
}

bool CTransfCtrl::MethodProgress::CancelRequested() {
    return control_.cancel_requested_.load(std::memory_order_relaxed) ||
           (control_.progress_ && control_.progress_->CancelRequested());
}

ProgressSink* CTransfCtrl::StartMethod() {
    cancel_requested_.store(false, std::memory_order_relaxed);
    return &method_progress_;
}

std::int16_t CTransfCtrl::ProcesarDXF(const std::string& nlog, const std::string& entrada,
                                      std::int32_t Da, std::int32_t Pa, double hEntrada,
                                      const std::string& salida, std::int32_t Db, std::int32_t Pb,
                                      double hSalida, std::int32_t model, std::int32_t parametros,
                                      double selec_param, double x, double y, double z) {
    RunOutcome outcome;
    TuberiaProj.clear();
    const std::int16_t status = Guarded([&] {
        return dezadiravevava::ProcesarDXF(nlog,
                                           Run(*this, entrada, Da, Pa, hEntrada, salida, Db, Pb,
                                               hSalida, model, parametros, selec_param, x, y, z),
                                           StartMethod(), &outcome, &found_);
    });
    TuberiaProj = std::move(outcome.proj_pipeline);
    return status;
}

std::int16_t CTransfCtrl::ProcesarTXT(const std::string& nlog, const std::string& entrada,
                                      std::int32_t Da, std::int32_t Pa, double hEntrada,
                                      const std::string& salida, std::int32_t Db, std::int32_t Pb,
                                      double hSalida, std::int32_t model, std::int32_t parametros,
                                      double selec_param, double x, double y, double z) {
    RunOutcome outcome;
    TuberiaProj.clear();
    const std::int16_t status = Guarded([&] {
        return dezadiravevava::ProcesarTXT(nlog,
                                           Run(*this, entrada, Da, Pa, hEntrada, salida, Db, Pb,
                                               hSalida, model, parametros, selec_param, x, y, z),
                                           StartMethod(), &outcome, &found_);
    });
    TuberiaProj = std::move(outcome.proj_pipeline);
    return status;
}

namespace {

// The seven centroid results go to the properties after every call.
template <typename Compute>
std::int16_t Centroid(CTransfCtrl& control, Compute compute) {
    CentroidResult result;
    const std::int16_t status = Guarded([&] { return compute(result); });
    control.XCentroide = result.x;
    control.YCentroide = result.y;
    control.XMinMRE = result.x_min;
    control.XMaxMRE = result.x_max;
    control.YMinMRE = result.y_min;
    control.YMaxMRE = result.y_max;
    control.NumeroPuntosArchivo = static_cast<double>(result.count);
    return status;
}

} // namespace

std::int16_t CTransfCtrl::CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                                       double hEntrada) {
    return Centroid(*this, [&](CentroidResult& result) {
        const InputSide a = InputSideOf(*this, Da, Pa, hEntrada);
        return dezadiravevava::CentroideDXF(entrada, a.datum, a.kind, a.zone, result, StartMethod(),
                                            Hilos, SoloRegion != 0);
    });
}

std::int16_t CTransfCtrl::CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                                       double hEntrada) {
    return Centroid(*this, [&](CentroidResult& result) {
        const InputSide a = InputSideOf(*this, Da, Pa, hEntrada);
        return dezadiravevava::CentroideTXT(entrada, a.datum, a.kind, a.zone, result, StartMethod(),
                                            Hilos, SoloRegion != 0);
    });
}

namespace {

// A search centre the engine can place: finite numbers and a zone it accepts.
bool IsSearchCentre(double x, double y, double z, double zone) {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && IsZoneArgument(zone);
}

} // namespace

void CTransfCtrl::BuscarPuntosPorDistancia(double dist_max, double x, double y, double z,
                                           double hEntrada, std::int32_t Datum,
                                           std::int32_t Proyeccion) {
    StartMethod();
    found_.entries.clear();
    if (IsSearchCentre(x, y, z, hEntrada) && !std::isnan(dist_max)) {
        SearchByDistance(found_, dist_max, x, y, z, hEntrada, Datum, Proyeccion, false,
                         *catalogue_);
    }
    NumeroPuntosEncontrados = found_.count();
}

void CTransfCtrl::BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z,
                                        double hEntrada, std::int32_t Datum,
                                        std::int32_t Proyeccion) {
    StartMethod();
    found_.entries.clear();
    if (IsSearchCentre(x, y, z, hEntrada)) {
        SearchByNumber(found_, numero, x, y, z, hEntrada, Datum, Proyeccion, false, *catalogue_);
    }
    NumeroPuntosEncontrados = found_.count();
}

std::int16_t CTransfCtrl::ObtenerPuntoEncontrado(std::int32_t num) {
    StartMethod();
    return Guarded([&] {
        const auto vertex = GetFoundVertex(found_, num);
        if (!vertex) {
            return 0;
        }
        IDSEL = vertex->number;
        XED50SEL = vertex->ed50_x;
        YED50SEL = vertex->ed50_y;
        NOMBRESEL = Cp1252ToUtf8(vertex->name);
        return 1;
    });
}

std::int16_t CTransfCtrl::ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                           std::int32_t Proyeccion) {
    return Guarded([&] {
        const InputSide a = InputSideOf(*this, 0, Proyeccion, 0.0);
        PointDrawing drawing;
        // SistemaA gives the datum of the list, and its zone unless one is chosen.
        drawing.zone = HusoDibujo > 0 ? HusoDibujo : static_cast<int>(a.zone);
        drawing.datum = a.datum;
        drawing.labels = EtiquetasDibujo != 0;
        return dezadiravevava::ConvertirTXTaDXF(entrada, salida, a.kind, StartMethod(), Hilos,
                                                SoloRegion != 0, drawing);
    });
}

} // namespace dezadiravevava
