// A typed C++ client of the Transf control: one member per property and
// method, each a call through the library's dispatch interface. Header-only;
// link against libdezadiravevava.
#pragma once

#include "dezadiravevava.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

namespace dezadiravevava {

// A call the dispatch interface refused (a programming error, not an engine
// failure: those are the methods' 0 results).
class TransfError : public std::runtime_error {
public:
    TransfError(const std::string& what, std::int32_t code)
        : std::runtime_error(what + " (código " + std::to_string(code) + ")"), code_(code) {}
    std::int32_t code() const { return code_; }

private:
    std::int32_t code_;
};

class TransfClient {
public:
    // Dispatch identifiers of the interface.
    enum DispId : std::int32_t {
        kXCentroide = 1,
        kYCentroide,
        kXMinMRE,
        kXMaxMRE,
        kYMinMRE,
        kYMaxMRE,
        kNumeroPuntosEncontrados,
        kXED50SEL,
        kYED50SEL,
        kNumeroPuntosArchivo,
        kIDSEL,
        kNOMBRESEL,
        kProcesarDXF,
        kProcesarTXT,
        kCentroideDXF,
        kCentroideTXT,
        kBuscarPuntosPorDistancia,
        kBuscarPuntosPorNumero,
        kObtenerPuntoEncontrado,
        kConvertirTXTaDXF,
        kAlturasOrtometricas,
        kRutaRejilla,
        kRutaGeoide,
        kHilos,
        kSistemaA,
        kSistemaB,
        kSoloRegion,
        kCatalogo,
        kTuberiaProj,
        kIncertidumbre,
        kHusoDibujo = 31,
        kEtiquetasDibujo,
    };

    explicit TransfClient(const char* progid = "DATUMBOX.TransfCtrl.1") {
        Check(dzv_create(progid, &control_), "dzv_create");
    }
    ~TransfClient() { dzv_release(control_); }
    TransfClient(const TransfClient&) = delete;
    TransfClient& operator=(const TransfClient&) = delete;

    // --- Properties ---
    double XCentroide() const { return GetDouble(kXCentroide); }
    void XCentroide(double v) { PutDouble(kXCentroide, v); }
    double YCentroide() const { return GetDouble(kYCentroide); }
    void YCentroide(double v) { PutDouble(kYCentroide, v); }
    double XMinMRE() const { return GetDouble(kXMinMRE); }
    void XMinMRE(double v) { PutDouble(kXMinMRE, v); }
    double XMaxMRE() const { return GetDouble(kXMaxMRE); }
    void XMaxMRE(double v) { PutDouble(kXMaxMRE, v); }
    double YMinMRE() const { return GetDouble(kYMinMRE); }
    void YMinMRE(double v) { PutDouble(kYMinMRE, v); }
    double YMaxMRE() const { return GetDouble(kYMaxMRE); }
    void YMaxMRE(double v) { PutDouble(kYMaxMRE, v); }
    std::int32_t NumeroPuntosEncontrados() const { return GetLong(kNumeroPuntosEncontrados); }
    void NumeroPuntosEncontrados(std::int32_t v) { PutLong(kNumeroPuntosEncontrados, v); }
    double XED50SEL() const { return GetDouble(kXED50SEL); }
    void XED50SEL(double v) { PutDouble(kXED50SEL, v); }
    double YED50SEL() const { return GetDouble(kYED50SEL); }
    void YED50SEL(double v) { PutDouble(kYED50SEL, v); }
    double NumeroPuntosArchivo() const { return GetDouble(kNumeroPuntosArchivo); }
    void NumeroPuntosArchivo(double v) { PutDouble(kNumeroPuntosArchivo, v); }
    std::int32_t IDSEL() const { return GetLong(kIDSEL); }
    void IDSEL(std::int32_t v) { PutLong(kIDSEL, v); }
    std::string NOMBRESEL() const { return GetString(kNOMBRESEL); }
    void NOMBRESEL(const std::string& v) { PutString(kNOMBRESEL, v); }
    // Options of the file runs: orthometric heights (0 or 1), the NTv2 grid of
    // parametros 4 and the GTX geoid ("" = the bundled files).
    std::int16_t AlturasOrtometricas() const {
        return GetShort(kAlturasOrtometricas, "AlturasOrtometricas");
    }
    void AlturasOrtometricas(std::int16_t v) {
        PutShort(kAlturasOrtometricas, v, "AlturasOrtometricas");
    }
    std::string RutaRejilla() const { return GetString(kRutaRejilla); }
    void RutaRejilla(const std::string& v) { PutString(kRutaRejilla, v); }
    std::string RutaGeoide() const { return GetString(kRutaGeoide); }
    void RutaGeoide(const std::string& v) { PutString(kRutaGeoide, v); }
    // Threads of the file methods: 1 the calling thread alone, 0 the machine's cores.
    std::int32_t Hilos() const { return GetLong(kHilos); }
    void Hilos(std::int32_t v) { PutLong(kHilos, v); }
    // The systems of sides A and B by EPSG code ("EPSG:23030"; "" = the
    // methods' own arguments), and the region check (0 or 1).
    std::string SistemaA() const { return GetString(kSistemaA); }
    void SistemaA(const std::string& v) { PutString(kSistemaA, v); }
    std::string SistemaB() const { return GetString(kSistemaB); }
    void SistemaB(const std::string& v) { PutString(kSistemaB, v); }
    std::int16_t SoloRegion() const { return GetShort(kSoloRegion, "SoloRegion"); }
    void SoloRegion(std::int16_t v) { PutShort(kSoloRegion, v, "SoloRegion"); }
    // The catalogue of common points of the searches and of the regional and
    // local runs: a table file, "" the built-in one. A file that is not a
    // valid catalogue is refused (TransfError, DZV_E_INVALID_ARGUMENT; its
    // problems from CatalogueProblems) and the property keeps its value.
    std::string Catalogo() const { return GetString(kCatalogo); }
    void Catalogo(const std::string& v) { PutString(kCatalogo, v); }
    // What is wrong with a catalogue file, one line a problem; empty when it
    // is valid. `vertices`, when given, receives its size.
    static std::string CatalogueProblems(const std::string& path,
                                         std::int32_t* vertices = nullptr) {
        char message[4096];
        std::int32_t count = 0;
        const std::int32_t code =
            dzv_check_catalogue(path.c_str(), &count, message, sizeof message);
        if (vertices) {
            *vertices = count;
        }
        return code == DZV_OK ? std::string() : std::string(message);
    }
    // Point drawings of ConvertirTXTaDXF: the zone of the drawing (0 = not
    // chosen) and the identifiers as labels (0 or 1).
    std::int16_t HusoDibujo() const { return GetShort(kHusoDibujo, "HusoDibujo"); }
    void HusoDibujo(std::int16_t v) { PutShort(kHusoDibujo, v, "HusoDibujo"); }
    std::int16_t EtiquetasDibujo() const { return GetShort(kEtiquetasDibujo, "EtiquetasDibujo"); }
    void EtiquetasDibujo(std::int16_t v) { PutShort(kEtiquetasDibujo, v, "EtiquetasDibujo"); }
    std::string TuberiaProj() const { return GetString(kTuberiaProj); }
    // The uncertainty column of ProcesarTXT's output (0 or 1).
    std::int16_t Incertidumbre() const { return GetShort(kIncertidumbre, "Incertidumbre"); }
    void Incertidumbre(std::int16_t v) { PutShort(kIncertidumbre, v, "Incertidumbre"); }

    // --- Methods ---
    std::int16_t ProcesarDXF(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z) {
        return Short(kProcesarDXF,
                     {Str(nlog), Str(entrada), Long(Da), Long(Pa), Double(hEntrada), Str(salida),
                      Long(Db), Long(Pb), Double(hSalida), Long(dezadiravevava), Long(parametros),
                      Double(selec_param), Double(x), Double(y), Double(z)});
    }
    std::int16_t ProcesarTXT(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z) {
        return Short(kProcesarTXT,
                     {Str(nlog), Str(entrada), Long(Da), Long(Pa), Double(hEntrada), Str(salida),
                      Long(Db), Long(Pb), Double(hSalida), Long(dezadiravevava), Long(parametros),
                      Double(selec_param), Double(x), Double(y), Double(z)});
    }
    std::int16_t CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) {
        return Short(kCentroideDXF, {Str(entrada), Long(Da), Long(Pa), Double(hEntrada)});
    }
    std::int16_t CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) {
        return Short(kCentroideTXT, {Str(entrada), Long(Da), Long(Pa), Double(hEntrada)});
    }
    void BuscarPuntosPorDistancia(double dist_max, double x, double y, double z, double hEntrada,
                                  std::int32_t Datum, std::int32_t Proyeccion) {
        Call(kBuscarPuntosPorDistancia, {Double(dist_max), Double(x), Double(y), Double(z),
                                         Double(hEntrada), Long(Datum), Long(Proyeccion)});
    }
    void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z, double hEntrada,
                               std::int32_t Datum, std::int32_t Proyeccion) {
        Call(kBuscarPuntosPorNumero, {Long(numero), Double(x), Double(y), Double(z),
                                      Double(hEntrada), Long(Datum), Long(Proyeccion)});
    }
    std::int16_t ObtenerPuntoEncontrado(std::int32_t num) {
        return Short(kObtenerPuntoEncontrado, {Long(num)});
    }
    std::int16_t ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                  std::int32_t Proyeccion) {
        return Short(kConvertirTXTaDXF, {Str(entrada), Str(salida), Long(Proyeccion)});
    }

    // Asks the running method to stop (from a progress callback or another
    // thread); it then returns 0 and replaces no file.
    void Cancel() { Check(dzv_cancel(control_), "dzv_cancel"); }

    // The host's drawing of the engine's progress window (nullptr: none).
    void SetProgress(const DzvProgressCallbacks* callbacks) {
        Check(dzv_set_progress(control_, callbacks), "dzv_set_progress");
    }

private:
    static DzvValue Str(const std::string& s) {
        DzvValue value{};
        value.type = DZV_STR;
        value.v.str = const_cast<char*>(s.c_str()); // arguments are only read
        return value;
    }
    static DzvValue Long(std::int32_t v) {
        DzvValue value{};
        value.type = DZV_I4;
        value.v.i4 = v;
        return value;
    }
    static DzvValue Double(double v) {
        DzvValue value{};
        value.type = DZV_R8;
        value.v.r8 = v;
        return value;
    }
    static void Check(std::int32_t code, const char* what) {
        if (code != DZV_OK) {
            throw TransfError(std::string("Transf: ") + what, code);
        }
    }

    DzvValue Call(std::int32_t dispid, std::initializer_list<DzvValue> args) {
        DzvValue result{};
        Check(dzv_invoke(control_, dispid, args.begin(), static_cast<std::int32_t>(args.size()),
                         &result),
              "dzv_invoke");
        return result;
    }
    std::int16_t Short(std::int32_t dispid, std::initializer_list<DzvValue> args) {
        return Call(dispid, args).v.i2;
    }
    double GetDouble(std::int32_t dispid) const {
        DzvValue value{};
        Check(dzv_get_property(control_, dispid, &value), "dzv_get_property");
        return value.v.r8;
    }
    std::int32_t GetLong(std::int32_t dispid) const {
        DzvValue value{};
        Check(dzv_get_property(control_, dispid, &value), "dzv_get_property");
        return value.v.i4;
    }
    void PutDouble(std::int32_t dispid, double v) {
        const DzvValue value = Double(v);
        Check(dzv_put_property(control_, dispid, &value), "dzv_put_property");
    }
    std::string GetString(std::int32_t dispid) const {
        DzvValue value{};
        Check(dzv_get_property(control_, dispid, &value), "dzv_get_property");
        std::string text = value.v.str ? value.v.str : "";
        dzv_value_clear(&value);
        return text;
    }
    void PutString(std::int32_t dispid, const std::string& v) {
        const DzvValue value = Str(v);
        Check(dzv_put_property(control_, dispid, &value), "dzv_put_property");
    }
    void PutLong(std::int32_t dispid, std::int32_t v) {
        const DzvValue value = Long(v);
        Check(dzv_put_property(control_, dispid, &value), "dzv_put_property");
    }
    std::int16_t GetShort(std::int32_t dispid, const char* what) const {
        DzvValue value{};
        Check(dzv_get_property(control_, dispid, &value), what);
        return value.v.i2;
    }
    void PutShort(std::int32_t dispid, std::int16_t v, const char* what) {
        DzvValue value{};
        value.type = DZV_I2;
        value.v.i2 = v;
        Check(dzv_put_property(control_, dispid, &value), what);
    }

    DzvControl* control_ = nullptr;
};

} // namespace dezadiravevava
