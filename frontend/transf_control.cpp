#include "transf_control.h"

namespace quillon {

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
