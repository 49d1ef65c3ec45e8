// quillon-cli punto: single points with the national parameter set or the
// official IGN grid, heights optionally orthometric.
#include "commands.h"
#include "options.h"

#include <iostream>
#include <string>
#include <vector>

namespace quillon_cli {

namespace {

constexpr const char* kPuntoHelp =
    R"(Uso: quillon-cli punto --sistema-a CÓDIGO --sistema-b CÓDIGO [OPCIONES] [PUNTO ...]
     quillon-cli punto --datum-a ED50|ETRS89 --tipo-a geocentricas|geodesicas|utm [--huso-a N]
                       --datum-b ED50|ETRS89 --tipo-b geocentricas|geodesicas|utm [--huso-b N]
                       [--parametros nacionales|rejilla] [--rejilla RUTA.gsb]
                       [--geoide [RUTA.gtx]] [--fuera-de-region] [--incertidumbre]
                       [PUNTO ...]

Convierte puntos sueltos del sistema A al sistema B con los parámetros nacionales
(Helmert 3D, EPSG:1632) o con la rejilla oficial del IGN (SPED2ETV2, EPSG:15932).
Ejemplo: quillon-cli punto --sistema-a EPSG:23030 --sistema-b EPSG:25830 235171.041,4142124.422

  --sistema-a C  los sistemas por su código EPSG, como en "txt" (quillon-cli txt --help
  --sistema-b C  los enumera); las geográficas van con la longitud primero
  PUNTO        c1,c2[,c3[,huso]][,más campos]
                 geocéntricas: X,Y,Z
                 geodésicas:   longitud,latitud[,h] en grados decimales
                 utm:          x,y[,H[,huso]]  (el huso hace falta si no se da --huso-a)
               Los campos que siguen a las coordenadas (y al huso) se copian tras el
               resultado, separados por tabuladores.
               Sin PUNTO, lee un punto por línea de la entrada estándar; los campos se
               separan con blancos, tabuladores o comas; las líneas que empiezan por
               "#" se copian tal cual.
  --huso-a N   huso UTM (1..60) de todos los puntos de entrada
  --huso-b N   huso UTM de salida; sin él, el huso natural de cada punto
  --parametros nacionales (por defecto) o rejilla: la rejilla NTv2 SPED2ETV2 que
               acompaña al programa; un punto fuera de la rejilla no se convierte
  --rejilla R  otra rejilla NTv2 (con --parametros rejilla)
  --geoide [R] alturas ortométricas: la H de los puntos UTM es ortométrica y se
               relaciona con la altura elipsoidal ETRS89 por el geoide
               EGM08-REDNAP (h = H + N), u otro geoide GTX R
  --fuera-de-region  convierte también los puntos fuera de Andalucía (por defecto
               se rechazan: "fuera de la región de cálculo")
  --incertidumbre  añade tras las coordenadas la incertidumbre horizontal al 95 %
               en metros, medida sobre los vértices del catálogo: 1.900 con los
               parámetros nacionales, 0.050 con la rejilla

Cada resultado es una línea con los campos separados por tabuladores, como en los
archivos TXT del motor sin el número de punto:
  utm          x, y, H con 3 decimales y el huso ("30.")
  geodesicas   longitud, latitud y h con 12 decimales
  geocentricas X, Y, Z con 3 decimales
De UTM a UTM se conserva la altura H de entrada; sin --geoide también de UTM a
geodésicas (no hay geoide).

Un punto erróneo (fuera de Andalucía, una latitud de más de 90°, un punto UTM a más
de 1000 km de su meridiano central...) se indica en una línea de la salida de
errores y no da ningún resultado; los demás se convierten igualmente y el programa
termina con estado 1.
)";

} // namespace

int RunPunto(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kPuntoHelp;
        return 0;
    }
    const auto [request, points] = ReadRequest(api::Order::kPunto, args);
    std::string failure;
    const auto converter = api::PointConverter::Make(request, failure);
    if (!converter) {
        std::cerr << "quillon-cli punto: " << failure;
        return 1;
    }
    // Converts one point, or says on standard error why it cannot.
    const auto convert = [&](const std::vector<std::string>& fields, const std::string& label) {
        std::string why;
        const auto result = converter->Convert(fields, why);
        if (!result) {
            std::cerr << "quillon-cli: punto " << label << ": " << why << '\n';
            return false;
        }
        std::cout << *result << '\n';
        return true;
    };
    bool all_good = true;
    if (!points.empty()) {
        for (const auto& point : points) {
            all_good &= convert(SplitFields(point), point);
        }
        return all_good ? 0 : 1;
    }
    std::string line;
    long line_number = 0;
    while (std::getline(std::cin, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") != std::string::npos &&
            line[line.find_first_not_of(" \t")] == '#') {
            std::cout << line << '\n'; // comments go through, as in cct
            continue;
        }
        const auto fields = SplitFields(line);
        if (fields.empty()) {
            continue;
        }
        all_good &= convert(fields, std::to_string(line_number) + " (" + line + ")");
    }
    return all_good ? 0 : 1;
}

} // namespace quillon_cli
