#include "transf_control.h"

namespace quillon {

namespace {

namespace api = dezadiravevava::api;

api::Datum DatumOfCode(std::int32_t code) {
    return code == DZV_DATUM_ED50 ? api::Datum::kEd50 : api::Datum::kEtrs89;
}

api::Kind KindOfCode(std::int32_t code) {
    switch (code) {
    case DZV_KIND_GEODETIC:
        return api::Kind::kGeodetic;
    case DZV_KIND_GEOCENTRIC:
        return api::Kind::kGeocentric;
    default:
        return api::Kind::kUtm;
    }
}

api::Model ModelOfCode(std::int32_t code) {
    switch (code) {
    case DZV_MODEL_MOLODENSKY:
        return api::Model::kMolodensky;
    case DZV_MODEL_AFFINE:
        return api::Model::kAffine;
    default:
        return api::Model::kHelmert;
    }
}

api::Method MethodOfCode(std::int32_t code) {
    switch (code) {
    case DZV_PARAMETERS_REGIONAL:
        return api::Method::kRegional;
    case DZV_PARAMETERS_DISTANCE:
        return api::Method::kDistance;
    case DZV_PARAMETERS_NEAREST:
        return api::Method::kNearest;
    case DZV_PARAMETERS_GRID:
        return api::Method::kGrid;
    default:
        return api::Method::kNational;
    }
}

} // namespace

std::int16_t TransfClientControl::CentroideTXT(const std::string& entrada, std::int32_t Da,
                                               std::int32_t Pa, double hEntrada) {
    return client_.CentroideTXT(entrada, Da, Pa, hEntrada);
}

std::int16_t TransfClientControl::CentroideDXF(const std::string& entrada, std::int32_t Da,
                                               std::int32_t Pa, double hEntrada) {
    return client_.CentroideDXF(entrada, Da, Pa, hEntrada);
}

double TransfClientControl::XCentroide() const {
    return client_.XCentroide();
}

double TransfClientControl::YCentroide() const {
    return client_.YCentroide();
}

double TransfClientControl::XMinMRE() const {
    return client_.XMinMRE();
}

double TransfClientControl::XMaxMRE() const {
    return client_.XMaxMRE();
}

double TransfClientControl::YMinMRE() const {
    return client_.YMinMRE();
}

double TransfClientControl::YMaxMRE() const {
    return client_.YMaxMRE();
}

void TransfClientControl::BuscarPuntosPorDistancia(double dist_max, double x, double y, double z,
                                                   double hEntrada, std::int32_t Datum,
                                                   std::int32_t Proyeccion) {
    client_.BuscarPuntosPorDistancia(dist_max, x, y, z, hEntrada, Datum, Proyeccion);
}

void TransfClientControl::BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z,
                                                double hEntrada, std::int32_t Datum,
                                                std::int32_t Proyeccion) {
    client_.BuscarPuntosPorNumero(numero, x, y, z, hEntrada, Datum, Proyeccion);
}

std::int32_t TransfClientControl::NumeroPuntosEncontrados() const {
    return client_.NumeroPuntosEncontrados();
}

std::int16_t TransfClientControl::ObtenerPuntoEncontrado(std::int32_t num) {
    return client_.ObtenerPuntoEncontrado(num);
}

double TransfClientControl::XED50SEL() const {
    return client_.XED50SEL();
}

double TransfClientControl::YED50SEL() const {
    return client_.YED50SEL();
}

std::int16_t TransfClientControl::ProcesarTXT(const std::string& nlog, const std::string& entrada,
                                              std::int32_t Da, std::int32_t Pa, double hEntrada,
                                              const std::string& salida, std::int32_t Db,
                                              std::int32_t Pb, double hSalida,
                                              std::int32_t dezadiravevava, std::int32_t parametros,
                                              double selec_param, double x, double y, double z) {
    return client_.ProcesarTXT(nlog, entrada, Da, Pa, hEntrada, salida, Db, Pb, hSalida,
                               dezadiravevava, parametros, selec_param, x, y, z);
}

std::int16_t TransfClientControl::ProcesarDXF(const std::string& nlog, const std::string& entrada,
                                              std::int32_t Da, std::int32_t Pa, double hEntrada,
                                              const std::string& salida, std::int32_t Db,
                                              std::int32_t Pb, double hSalida,
                                              std::int32_t dezadiravevava, std::int32_t parametros,
                                              double selec_param, double x, double y, double z) {
    return client_.ProcesarDXF(nlog, entrada, Da, Pa, hEntrada, salida, Db, Pb, hSalida,
                               dezadiravevava, parametros, selec_param, x, y, z);
}

std::int16_t TransfClientControl::ConvertirTXTaDXF(const std::string& entrada,
                                                   const std::string& salida,
                                                   std::int32_t Proyeccion) {
    return client_.ConvertirTXTaDXF(entrada, salida, Proyeccion);
}

api::CentroidOutcome TransfClientControl::CentroidePuntos(const api::PointList& points,
                                                          std::int32_t Da, std::int32_t Pa,
                                                          const api::Progress& progress,
                                                          std::vector<double>* zone30) {
    api::TransformRequest request;
    request.a.datum = DatumOfCode(Da);
    request.a.kind = KindOfCode(Pa);
    request.region_only = false;
    return api::PointListCentroid(request, points, progress, zone30);
}

api::PointListOutcome TransfClientControl::ProcesarPuntos(
    const api::PointList& points, std::int32_t Da, std::int32_t Pa, double hEntrada,
    std::int32_t Db, std::int32_t Pb, double hSalida, std::int32_t model, std::int32_t parametros,
    double selec_param, double x, double y, const api::Progress& progress) {
    return api::TransformPointList(
        Request(Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param, x, y), points,
        progress);
}

std::vector<api::VertexResidual>
TransfClientControl::ResiduosDelConjunto(std::int32_t Da, std::int32_t Pa, double hEntrada,
                                         std::int32_t Db, std::int32_t Pb, double hSalida,
                                         std::int32_t model, std::int32_t parametros,
                                         double selec_param, double x, double y) {
    std::string failure;
    return api::EstimationVertices(
               Request(Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param, x, y),
               failure)
        .value_or(std::vector<api::VertexResidual>{});
}

api::TransformRequest TransfClientControl::Request(std::int32_t Da, std::int32_t Pa,
                                                   double hEntrada, std::int32_t Db,
                                                   std::int32_t Pb, double hSalida,
                                                   std::int32_t model, std::int32_t parametros,
                                                   double selec_param, double x, double y) const {
    api::TransformRequest request;
    request.a = {DatumOfCode(Da), KindOfCode(Pa), static_cast<int>(hEntrada), {}, false};
    request.b = {DatumOfCode(Db), KindOfCode(Pb), static_cast<int>(hSalida), {}, false};
    request.model = ModelOfCode(model);
    request.method = MethodOfCode(parametros);
    request.selection = selec_param;
    request.origin = std::array<double, 2>{x, y};
    request.orthometric_heights = client_.AlturasOrtometricas() != 0;
    request.catalogue_path = client_.Catalogo();
    request.region_only = client_.SoloRegion() != 0;
    request.threads = client_.Hilos();
    request.uncertainty = client_.Incertidumbre() != 0;
    return request;
}

void TransfClientControl::SetAlturasOrtometricas(std::int16_t value) {
    client_.AlturasOrtometricas(value);
}

std::string TransfClientControl::SetCatalogo(const std::string& path, std::int32_t& vertices) {
    std::string problems = dezadiravevava::TransfClient::CatalogueProblems(path, &vertices);
    if (problems.empty()) {
        client_.Catalogo(path);
    }
    return problems;
}

void TransfClientControl::SetPointDrawing(std::int16_t zone, bool labels,
                                          const std::string& system) {
    client_.HusoDibujo(zone);
    client_.EtiquetasDibujo(labels ? 1 : 0);
    client_.SistemaA(system);
}

void TransfClientControl::SetIncertidumbre(std::int16_t value) {
    client_.Incertidumbre(value);
}

void TransfClientControl::SetProgress(const DzvProgressCallbacks* callbacks) {
    client_.SetProgress(callbacks);
}

bool TransfClientControl::CanCancel() const {
    return true;
}

void TransfClientControl::Cancel() {
    client_.Cancel();
}

} // namespace quillon
