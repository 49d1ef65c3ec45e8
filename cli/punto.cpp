// quillon-cli punto: single points with the national parameter set or the
// official IGN grid, heights optionally orthometric.
#include "commands.h"
#include "files/point_fields.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "options.h"

#include <iostream>
#include <string>
#include <vector>

namespace quillon_cli {

using namespace dezadiravevava;

namespace {

constexpr const char* kPuntoHelp =
    R"(Uso: quillon-cli punto --datum-a ED50|ETRS89 --tipo-a geocentricas|geodesicas|utm [--huso-a N]
                      --datum-b ED50|ETRS89 --tipo-b geocentricas|geodesicas|utm [--huso-b N]
                      [--parametros nacionales|rejilla] [--rejilla RUTA.gsb]
                      [--geoide [RUTA.gtx]] [PUNTO ...]

Convierte puntos sueltos del sistema A al sistema B con los parámetros nacionales
(Helmert 3D, EPSG:1632) o con la rejilla oficial del IGN (SPED2ETV2, EPSG:15932).

  PUNTO        c1,c2[,c3[,huso]]
                 geocéntricas: X,Y,Z
                 geodésicas:   longitud,latitud[,h] en grados decimales
                 utm:          x,y[,H[,huso]]  (el huso hace falta si no se da --huso-a)
               Sin PUNTO, lee un punto por línea de la entrada estándar; los campos se
               separan con blancos, tabuladores o comas.
  --huso-a N   huso UTM (1..60) de todos los puntos de entrada
  --huso-b N   huso UTM de salida; sin él, el huso natural de cada punto
  --parametros nacionales (por defecto) o rejilla: la rejilla NTv2 SPED2ETV2 que
               acompaña al programa; un punto fuera de la rejilla no se convierte
  --rejilla R  otra rejilla NTv2 (con --parametros rejilla)
  --geoide [R] alturas ortométricas: la H de los puntos UTM es ortométrica y se
               relaciona con la altura elipsoidal ETRS89 por el geoide
               EGM08-REDNAP (h = H + N), u otro geoide GTX R

Cada resultado es una línea con los campos separados por tabuladores, como en los
archivos TXT del motor sin el número de punto:
  utm          x, y, H con 3 decimales y el huso ("30.")
  geodesicas   longitud, latitud y h con 12 decimales
  geocentricas X, Y, Z con 3 decimales
De UTM a UTM se conserva la altura H de entrada; sin --geoide también de UTM a
geodésicas (no hay geoide).

Un punto erróneo se indica en una línea de la salida de errores; los demás se
convierten igualmente y el programa termina con estado 1.
)";

// Converts one point; returns false (after a message) when it is bad.
bool ConvertPoint(const std::vector<std::string>& fields, const std::string& label, const Side& a,
                  const Side& b, const ParameterSet& set, int model) {
    auto fail = [&](const std::string& why) {
        std::cerr << "quillon-cli: punto " << label << ": " << why << '\n';
        return false;
    };
    const std::size_t needed = a.kind == kKindGeocentric ? 3 : 2;
    if (fields.size() < needed) {
        return fail("faltan coordenadas");
    }
    const std::size_t allowed = a.kind == kKindUtm && !a.has_zone ? 4 : 3;
    if (fields.size() > allowed) {
        return fail("sobran campos");
    }
    double c[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < 3 && i < fields.size(); ++i) {
        const auto value = ParseNumber(fields[i]);
        if (!value) {
            return fail("coordenada no numérica: " + fields[i]);
        }
        c[i] = *value;
    }
    double zone_in = a.zone;
    if (a.kind == kKindUtm && !a.has_zone) {
        if (fields.size() < 4) {
            return fail("falta el huso (dé --huso-a o un cuarto campo)");
        }
        const auto zone = ParseZone(fields[3]);
        if (!zone) {
            return fail("huso fuera de 1..60: " + fields[3]);
        }
        zone_in = *zone;
    }
    double out_zone = b.zone;
    PointStatus status = PointStatus::kTransformed;
    const CoordTriple out =
        TransformFilePoint(CoordTriple(c[0], c[1], c[2]), a.datum, a.kind, zone_in, b.datum, b.kind,
                           b.zone, set, model, out_zone, status);
    if (status != PointStatus::kTransformed) {
        return fail(PointStatusText(status));
    }
    std::string line;
    AppendPointFields(line, b.kind, out, out_zone);
    std::cout << line.substr(1) << '\n'; // drop the TAB that precedes the first field
    return true;
}

} // namespace

int RunPunto(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kPuntoHelp;
        return 0;
    }
    const Arguments parsed(
        args,
        {"datum-a", "tipo-a", "huso-a", "datum-b", "tipo-b", "huso-b", "parametros", kGridOption},
        {}, {kGeoidOption});
    const Side a = ReadSide(parsed, "a");
    const Side b = ReadSide(parsed, "b");
    const int choice =
        parsed.Has("parametros") ? ParseChoice(*parsed.Get("parametros")) : kParametersSpain;
    if (choice != kParametersSpain && choice != kParametersGrid) {
        throw UsageError{"punto admite --parametros nacionales o rejilla"};
    }
    const GridOptions options = ReadGridOptions(parsed, choice);
    ParameterSet set;
    int model = kModelHelmert;
    std::string failure;
    if (choice == kParametersGrid) {
        model = kModelGrid;
        if (!PrepareGrid(set, options.grid_path, nullptr, &failure)) {
            std::cerr << "quillon-cli punto: " << failure;
            return 1;
        }
    } else {
        SetSpainParameters(DirectionOf(a.datum, b.datum), set);
    }
    if (options.orthometric_heights && !PrepareGeoid(set, options.geoid_path, nullptr, &failure)) {
        std::cerr << "quillon-cli punto: " << failure;
        return 1;
    }

    bool all_good = true;
    if (!parsed.positional().empty()) {
        for (const auto& point : parsed.positional()) {
            all_good &= ConvertPoint(SplitFields(point), point, a, b, set, model);
        }
    } else {
        std::string line;
        long line_number = 0;
        while (std::getline(std::cin, line)) {
            ++line_number;
            const auto fields = SplitFields(line);
            if (fields.empty()) {
                continue;
            }
            all_good &= ConvertPoint(fields, std::to_string(line_number) + " (" + line + ")", a, b,
                                     set, model);
        }
    }
    return all_good ? 0 : 1;
}

} // namespace quillon_cli
