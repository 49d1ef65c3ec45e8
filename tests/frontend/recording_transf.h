// The engine control of the program with a record of what it was asked:
// every call reaches the real engine, and the arguments of the calls that a
// run makes (point lists and drawings alike) are kept for the tests to
// compare with the form.
#pragma once

#include "opciones.h"
#include "transf_control.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon_test {

class RecordingTransf : public quillon::TransfClientControl {
public:
    struct Process {
        bool drawing = false;
        std::string log, input, output;
        quillon::EngineArguments arguments;
        double x = 0.0, y = 0.0, z = 0.0;
    };
    struct Centroid {
        bool drawing = false;
        std::string input;
        std::int32_t da = 0, pa = 0;
        double hEntrada = 0.0;
    };
    struct Search {
        bool byNumber = false;
        double selection = 0.0;
        double x = 0.0, y = 0.0, z = 0.0, zone = 0.0;
        std::int32_t datum = 0, kind = 0;
    };

    std::int16_t CentroideTXT(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) override {
        centroids.push_back({false, entrada, Da, Pa, hEntrada});
        return TransfClientControl::CentroideTXT(entrada, Da, Pa, hEntrada);
    }
    std::int16_t CentroideDXF(const std::string& entrada, std::int32_t Da, std::int32_t Pa,
                              double hEntrada) override {
        centroids.push_back({true, entrada, Da, Pa, hEntrada});
        return TransfClientControl::CentroideDXF(entrada, Da, Pa, hEntrada);
    }
    void BuscarPuntosPorDistancia(double dist_max, double x, double y, double z, double hEntrada,
                                  std::int32_t Datum, std::int32_t Proyeccion) override {
        searches.push_back({false, dist_max, x, y, z, hEntrada, Datum, Proyeccion});
        TransfClientControl::BuscarPuntosPorDistancia(dist_max, x, y, z, hEntrada, Datum,
                                                      Proyeccion);
    }
    void BuscarPuntosPorNumero(std::int32_t numero, double x, double y, double z, double hEntrada,
                               std::int32_t Datum, std::int32_t Proyeccion) override {
        searches.push_back(
            {true, static_cast<double>(numero), x, y, z, hEntrada, Datum, Proyeccion});
        TransfClientControl::BuscarPuntosPorNumero(numero, x, y, z, hEntrada, Datum, Proyeccion);
    }
    std::int16_t ProcesarTXT(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida, std::int32_t model,
                             std::int32_t parametros, double selec_param, double x, double y,
                             double z) override {
        Record(false, nlog, entrada, salida,
               {Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param,
                alturasOrtometricas},
               x, y, z);
        return TransfClientControl::ProcesarTXT(nlog, entrada, Da, Pa, hEntrada, salida, Db, Pb,
                                                hSalida, model, parametros, selec_param, x, y, z);
    }
    std::int16_t ProcesarDXF(const std::string& nlog, const std::string& entrada, std::int32_t Da,
                             std::int32_t Pa, double hEntrada, const std::string& salida,
                             std::int32_t Db, std::int32_t Pb, double hSalida, std::int32_t model,
                             std::int32_t parametros, double selec_param, double x, double y,
                             double z) override {
        Record(true, nlog, entrada, salida,
               {Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param,
                alturasOrtometricas},
               x, y, z);
        return TransfClientControl::ProcesarDXF(nlog, entrada, Da, Pa, hEntrada, salida, Db, Pb,
                                                hSalida, model, parametros, selec_param, x, y, z);
    }
    dezadiravevava::api::CentroidOutcome
    CentroidePuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                    const dezadiravevava::api::Progress& progress,
                    std::vector<double>* zone30) override {
        centroids.push_back({false, {}, Da, Pa, 0.0});
        return TransfClientControl::CentroidePuntos(points, Da, Pa, progress, zone30);
    }
    dezadiravevava::api::PointListOutcome
    ProcesarPuntos(const dezadiravevava::api::PointList& points, std::int32_t Da, std::int32_t Pa,
                   double hEntrada, std::int32_t Db, std::int32_t Pb, double hSalida,
                   std::int32_t model, std::int32_t parametros, double selec_param, double x,
                   double y, const dezadiravevava::api::Progress& progress) override {
        Record(false, {}, {}, {},
               {Da, Pa, hEntrada, Db, Pb, hSalida, model, parametros, selec_param,
                alturasOrtometricas},
               x, y, 0.0);
        if (duringPointRun) {
            duringPointRun();
        }
        return TransfClientControl::ProcesarPuntos(points, Da, Pa, hEntrada, Db, Pb, hSalida, model,
                                                   parametros, selec_param, x, y, progress);
    }
    std::int16_t ConvertirTXTaDXF(const std::string& entrada, const std::string& salida,
                                  std::int32_t Proyeccion) override {
        conversions.push_back(Proyeccion);
        return TransfClientControl::ConvertirTXTaDXF(entrada, salida, Proyeccion);
    }
    void SetAlturasOrtometricas(std::int16_t value) override {
        alturasOrtometricas = value;
        TransfClientControl::SetAlturasOrtometricas(value);
    }
    void SetIncertidumbre(std::int16_t value) override {
        incertidumbre = value;
        TransfClientControl::SetIncertidumbre(value);
    }
    bool CanCancel() const override { return cancellable; }
    void Cancel() override {
        ++cancels;
        TransfClientControl::Cancel();
    }

    std::vector<Centroid> centroids;
    std::vector<Search> searches;
    std::vector<Process> processes;
    std::vector<std::int32_t> conversions;
    std::int16_t alturasOrtometricas = 0; // the property as last set
    std::int16_t incertidumbre = 0;       // the property as last set
    bool cancellable = true;
    int cancels = 0;
    // Called inside each point-list run, on the thread that runs it.
    std::function<void()> duringPointRun;

private:
    void Record(bool drawing, const std::string& log, const std::string& input,
                const std::string& output, const quillon::EngineArguments& arguments, double x,
                double y, double z) {
        processes.push_back({drawing, log, input, output, arguments, x, y, z});
    }
};

} // namespace quillon_test
