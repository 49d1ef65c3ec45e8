// The engine as one automation control object: twelve result properties and eight
// methods over the file processors, the centroid computations, the vertex
// searches and the point-file-to-drawing conversion; and four option
// properties that the file runs read (orthometric heights, the grid file, the
// geoid file and the number of threads).
#pragma once

#include "files/progress.h"
#include "geodesy/vertex_search.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace dezadiravevava {

class CTransfCtrl {
public:
    // Result properties (dispatch identifiers 1 to 12). Their values before
    // the first call that sets them are zero and empty.
    double XCentroide = 0.0;
    double YCentroide = 0.0;
    double XMinMRE = 0.0;
    double XMaxMRE = 0.0;
    double YMinMRE = 0.0;
    double YMaxMRE = 0.0;
    std::int32_t NumeroPuntosEncontrados = 0;
    double XED50SEL = 0.0;
    double YED50SEL = 0.0;
    double NumeroPuntosArchivo = 0.0;
    std::int32_t IDSEL = 0;
    std::string NOMBRESEL; // UTF-8

    // Options of the file runs (dispatch identifiers 21 to 24), read by
    // ProcesarTXT and ProcesarDXF. Their defaults keep the runs as they were.
    // 1: the heights of UTM points are orthometric (the geoid relates them to
    // ellipsoidal heights); 0: carried as a plain third coordinate.
    std::int16_t AlturasOrtometricas = 0;
    // NTv2 grid of the grid method (parametros 4); empty: the bundled
    // SPED2ETV2. UTF-8 path.
    std::string RutaRejilla;
    // GTX geoid of orthometric heights; empty: the bundled EGM08-REDNAP.
    std::string RutaGeoide;
    // Threads that transform the points of the file methods (dispatch
    // identifier 24): 1 the calling thread alone; 0 (or less) one for each of
    // the machine's cores. Results are the same whatever the count.
    std::int32_t Hilos = 0;
    // The systems of the file and centroid methods by EPSG code (dispatch
    // identifiers 25 and 26, "EPSG:23030", "EPSG:25830+5782"...): when not
    // empty, they take the place of the datum, kind and zone arguments of
    // that side (and a compound code turns orthometric heights on). Only
    // the codes the engine knows are taken (see transform_request.h).
    std::string SistemaA;
    std::string SistemaB;
    // 1: points outside the served region are refused, as quillon-cli does
    // by default (dispatch identifier 27); 0 (default): no check.
    std::int16_t SoloRegion = 0;
    // The point drawings of ConvertirTXTaDXF (dispatch identifiers 31 and
    // 32). The zone of a drawing of UTM points, 1 to 60: points of other
    // zones are projected into it on the ellipsoid of SistemaA's datum
    // (without SistemaA such a list is refused); 0 (default): not chosen,
    // SistemaA's zone if given, else the list must be of one zone.
    std::int16_t HusoDibujo = 0;
    // 1: each POINT has its identifier beside it as a TEXT on the layer
    // IDENTIFICADORES; 0 (default): points alone.
    std::int16_t EtiquetasDibujo = 0;

    // The catalogue of common points of the searches and of the regional and
    // local runs (dispatch identifier 28): a table file (UTF-8 path), read
    // when the property is put; "" (default) the built-in catalogue.
    const std::string& Catalogo() const { return catalogue_path_; }
    // Reads the file and makes it the catalogue; false, with `failure` naming
    // the problems (one line each) and nothing changed, when it is not a
    // valid catalogue.
    bool SetCatalogo(const std::string& path, std::string& failure);
    // The catalogue in use.
    const Catalogue& catalogue() const { return *catalogue_; }
    std::shared_ptr<const Catalogue> shared_catalogue() const { return catalogue_; }
    // Read-only (dispatch identifier 29): the PROJ pipeline of the set of the
    // last ProcesarTXT or ProcesarDXF, from its side A to its side B, as its
    // log's "Detalle del ajuste" gives it; empty when the set was not
    // prepared or PROJ has no equivalent (Molodensky).
    std::string TuberiaProj;
    // 1: every point line of ProcesarTXT's output ends with the point's 95 %
    // horizontal uncertainty in metres (dispatch identifier 30); 0 (default):
    // the output as before. The log's summary gives the range either way.
    std::int16_t Incertidumbre = 0;

    // Methods (13 to 20). Each returns 1 for success and 0 for failure and
    // never throws. Strings are UTF-8 paths of any length. `parametros` 4 is
    // the official IGN grid (the model is then ignored).
    std::int16_t ProcesarDXF(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z);
    std::int16_t ProcesarTXT(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z);
    std::int16_t CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada);
    std::int16_t CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada);
    void BuscarPuntosPorDistancia(double dist_max, double x, double y, double z, double hEntrada,
                                  std::int32_t Datum, std::int32_t Proyeccion);
    void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z, double hEntrada,
                               std::int32_t Datum, std::int32_t Proyeccion);
    std::int16_t ObtenerPuntoEncontrado(std::int32_t num);
    std::int16_t ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                  std::int32_t Proyeccion);

    // The host's drawing of the progress window; none by default.
    void set_progress(ProgressSink* sink) { progress_ = sink; }

    // Asks the method running on this control to stop; it then returns 0 and
    // replaces no file. Safe from the progress callbacks and from any thread.
    // The request is forgotten when the next method starts.
    void Cancel() { cancel_requested_.store(true, std::memory_order_relaxed); }

    // A property written by the host marks the control as modified.
    bool modified() const { return modified_; }
    void MarkModified() { modified_ = true; }

    CTransfCtrl();

private:
    // What the file methods see: the host's drawing, and this control's
    // cancel request.
    class MethodProgress : public ProgressSink {
    public:
        explicit MethodProgress(CTransfCtrl& control) : control_(control) {}
        void Open(std::string_view caption, std::uint64_t size) override;
        void Step(std::uint64_t position) override;
        void Close() override;
        bool CancelRequested() override;

    private:
        CTransfCtrl& control_;
    };

    // The start of every method: a new method is not cancelled.
    ProgressSink* StartMethod();

    // The searches' vertices: this control's own, whatever other controls do.
    FoundVertexList found_;
    std::string catalogue_path_;
    std::shared_ptr<const Catalogue> catalogue_;
    ProgressSink* progress_ = nullptr;
    std::atomic<bool> cancel_requested_{false};
    MethodProgress method_progress_{*this};
    bool modified_ = false;
};

} // namespace dezadiravevava
