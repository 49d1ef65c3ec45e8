// The engine control as the program drives it: the members of the Transf
// control that a run and a save call, and the point-list runs of the C++
// interface, one virtual member each, so that tests can watch the arguments
// the control receives. The program's only implementation forwards every
// call to one dezadiravevava::TransfClient, or to the C++ interface with the
// client's properties.
#pragma once

#include "dezadiravevava.h"
#include "transf_client.h"
#include "transform_request.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class TransfControl {
public:
    virtual ~TransfControl() = default;

    virtual std::int16_t CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                                      double hEntrada) = 0;
    virtual std::int16_t CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                                      double hEntrada) = 0;
    virtual double XCentroide() const = 0;
    virtual double YCentroide() const = 0;
    virtual double XMinMRE() const = 0;
    virtual double XMaxMRE() const = 0;
    virtual double YMinMRE() const = 0;
    virtual double YMaxMRE() const = 0;

    virtual void BuscarPuntosPorDistancia(double dist_max, double x, double y, double z,
                                          double hEntrada, std::int32_t Datum,
                                          std::int32_t Proyeccion) = 0;
    virtual void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z,
                                       double hEntrada, std::int32_t Datum,
                                       std::int32_t Proyeccion) = 0;
    virtual std::int32_t NumeroPuntosEncontrados() const = 0;
    virtual std::int16_t ObtenerPuntoEncontrado(std::int32_t num) = 0;
    virtual double XED50SEL() const = 0;
    virtual double YED50SEL() const = 0;

    virtual std::int16_t ProcesarTXT(const std::string& nlog, const std::string& entrada,
                                     std::int32_t Da, std::int32_t Pa, double hEntrada,
                                     const std::string& salida, std::int32_t Db, std::int32_t Pb,
                                     double hSalida, std::int32_t dezadiravevava,
                                     std::int32_t parametros, double selec_param, double x,
                                     double y, double z) = 0;
    virtual std::int16_t ProcesarDXF(const std::string& nlog, const std::string& entrada,
                                     std::int32_t Da, std::int32_t Pa, double hEntrada,
                                     const std::string& salida, std::int32_t Db, std::int32_t Pb,
                                     double hSalida, std::int32_t dezadiravevava,
                                     std::int32_t parametros, double selec_param, double x,
                                     double y, double z) = 0;
    virtual std::int16_t ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                          std::int32_t Proyeccion) = 0;

    // A point list held in memory, for the run of ProcesarTXT over the file
    // that would hold it: its centroid and rectangle (as CentroideTXT), and
    // its run with the arguments of ProcesarTXT and the properties set
    // (orthometric heights, catalogue, uncertainty, threads, region). Safe on
    // a worker thread; `progress` is called there. `zone30`, when given,
    // receives each point's place in ED50 UTM zone 30 (x, y; NaN: none).
    virtual dezadiravevava::api::CentroidOutcome
    CentroidePuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                    const dezadiravevava::api::Progress& progress, std::vector<double>* zone30) = 0;
    virtual dezadiravevava::api::PointListOutcome
    ProcesarPuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                   double hEntrada, std::int32_t Db, std::int32_t Pb, double hSalida,
                   std::int32_t dezadiravevava, std::int32_t parametros, double selec_param,
                   double x, double y, const dezadiravevava::api::Progress& progress) = 0;

    // The vertices the set of a drawing run with these arguments is estimated
    // from, with their residuals, for the map; none for the national set,
    // the grid or a set that cannot be prepared.
    virtual std::vector<dezadiravevava::api::VertexResidual>
    ResiduosDelConjunto(std::int32_t Da, std::int32_t Pa, double hEntrada, std::int32_t Db,
                        std::int32_t Pb, double hSalida, std::int32_t dezadiravevava,
                        std::int32_t parametros, double selec_param, double x, double y) {
        (void)Da, (void)Pa, (void)hEntrada, (void)Db, (void)Pb, (void)hSalida;
        (void)dezadiravevava, (void)parametros, (void)selec_param, (void)x, (void)y;
        return {};
    }

    // Property AlturasOrtometricas: 1 makes the H of UTM points orthometric
    // (through the geoid) in the file methods that follow.
    virtual void SetAlturasOrtometricas(std::int16_t value) = 0;
    // Property Catalogo: the table of common points that the searches and the
    // regional and local runs use ("" the built-in catalogue). Returns the
    // table's problems, one line each, and leaves the catalogue as it was
    // when the table is refused; empty when it is taken, with its number of
    // vertices in `vertices`.
    virtual std::string SetCatalogo(const std::string& path, std::int32_t& vertices) = 0;
    // Properties HusoDibujo, EtiquetasDibujo and SistemaA for the drawings
    // of ConvertirTXTaDXF that follow (0, false, "": the points as they are).
    virtual void SetPointDrawing(std::int16_t zone, bool labels, const std::string& system) {
        (void)zone;
        (void)labels;
        (void)system;
    }
    // Property Incertidumbre: 1 ends every point line of ProcesarTXT's output
    // with the point's 95 % horizontal uncertainty.
    virtual void SetIncertidumbre(std::int16_t value) = 0;

    // The host's drawing of the progress window (nullptr: none).
    virtual void SetProgress(const DzvProgressCallbacks* callbacks) = 0;
    // Whether the running method can be asked to stop, and the asking (safe
    // from inside the progress callbacks).
    virtual bool CanCancel() const = 0;
    virtual void Cancel() = 0;
};

// The control of the program: one Transf instance for the program's life,
// so its result properties persist between calls.
class TransfClientControl : public TransfControl {
public:
    TransfClientControl() = default;

    std::int16_t CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) override;
    std::int16_t CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) override;
    double XCentroide() const override;
    double YCentroide() const override;
    double XMinMRE() const override;
    double XMaxMRE() const override;
    double YMinMRE() const override;
    double YMaxMRE() const override;
    void BuscarPuntosPorDistancia(double dist_max, double x, double y, double z, double hEntrada,
                                  std::int32_t Datum, std::int32_t Proyeccion) override;
    void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z, double hEntrada,
                               std::int32_t Datum, std::int32_t Proyeccion) override;
    std::int32_t NumeroPuntosEncontrados() const override;
    std::int16_t ObtenerPuntoEncontrado(std::int32_t num) override;
    double XED50SEL() const override;
    double YED50SEL() const override;
    std::int16_t ProcesarTXT(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z) override;
    std::int16_t ProcesarDXF(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida,
                             std::int32_t dezadiravevava, std::int32_t parametros,
                             double selec_param, double x, double y, double z) override;
    std::int16_t ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                  std::int32_t Proyeccion) override;
    dezadiravevava::api::CentroidOutcome
    CentroidePuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                    const dezadiravevava::api::Progress& progress,
                    std::vector<double>* zone30) override;
    dezadiravevava::api::PointListOutcome
    ProcesarPuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                   double hEntrada, std::int32_t Db, std::int32_t Pb, double hSalida,
                   std::int32_t dezadiravevava, std::int32_t parametros, double selec_param,
                   double x, double y, const dezadiravevava::api::Progress& progress) override;
    std::vector<dezadiravevava::api::VertexResidual>
    ResiduosDelConjunto(std::int32_t Da, std::int32_t Pa, double hEntrada, std::int32_t Db,
                        std::int32_t Pb, double hSalida, std::int32_t dezadiravevava,
                        std::int32_t parametros, double selec_param, double x, double y) override;
    void SetAlturasOrtometricas(std::int16_t value) override;
    std::string SetCatalogo(const std::string& path, std::int32_t& vertices) override;
    void SetPointDrawing(std::int16_t zone, bool labels, const std::string& system) override;
    void SetIncertidumbre(std::int16_t value) override;
    void SetProgress(const DzvProgressCallbacks* callbacks) override;
    bool CanCancel() const override;
    void Cancel() override;

    dezadiravevava::TransfClient& client() { return client_; }

private:
    // The request of a run with these arguments and the control's properties.
    dezadiravevava::api::TransformRequest Request(std::int32_t Da, std::int32_t Pa, double hEntrada,
                                                  std::int32_t Db, std::int32_t Pb, double hSalida,
                                                  std::int32_t dezadiravevava,
                                                  std::int32_t parametros, double selec_param,
                                                  double x, double y) const;

    dezadiravevava::TransfClient client_;
};

} // namespace quillon
