// quillon-cli parametros: prepares a parameter set and shows its log block.
#include "commands.h"
#include "options.h"

#include <iostream>
#include <string>
#include <vector>

namespace quillon_cli {

namespace {

constexpr const char* kParametrosHelp =
    R"(Uso: quillon-cli parametros (--datum-a ED50|ETRS89 [--tipo-a T] [--huso-a H] | --sistema-a CÓDIGO)
                           (--datum-b ED50|ETRS89 [--tipo-b T] [--huso-b H] | --sistema-b CÓDIGO)
                           --parametros nacionales|regionales|distancia|vecinos|rejilla
                           [--modelo helmert|molodensky|afin] [--seleccion V] [--origen X,Y]
                           [--rejilla RUTA.gsb] [--catalogo ARCHIVO] [--proj]

Prepara el juego de parámetros de una transformación de A a B y muestra el bloque
que el motor escribe en el registro de ejecución, con su detalle: los vértices
empleados y sus residuos, los parámetros en los términos de EPSG y una tubería de
PROJ que hace lo mismo que una ejecución con esos sistemas.

  --parametros    nacionales: los parámetros fijos para España (siempre Helmert 3D)
                  regionales: estimados con todos los vértices del catálogo
                  distancia:  estimados con los vértices a menos de V metros del origen
                  vecinos:    estimados con los V vértices más cercanos al origen
                  rejilla:    la rejilla oficial del IGN (SPED2ETV2), o la de --rejilla
  --modelo        modelo de los parámetros estimados (por defecto helmert)
  --seleccion V   distancia en metros o número de vértices
  --origen X,Y    origen de la búsqueda en ED50 UTM huso 30 (distancia y vecinos)
  --catalogo A    la tabla de puntos comunes A en lugar del catálogo integrado
                  (regionales, distancia y vecinos)
  --tipo-a T, --huso-a H, --tipo-b T, --huso-b H
                  tipo (geodesicas, utm, geocentricas) y huso de los lados para la
                  tubería; sin ellos, un lado dado por su datum es UTM huso 30
  --proj          muestra solo la tubería de PROJ, de A a B, en una línea (para cct:
                  echo "X Y H" | cct TUBERÍA); los lados UTM llevan su huso. El modelo
                  de Molodensky no tiene equivalente en PROJ (termina con estado 1)

Los vértices cuya transformación nacional se aparta más de 10 m de su posición ETRS89
se descartan como errores groseros y se nombran en el bloque. Termina con estado 1 si
no se ha podido preparar el juego (por ejemplo, menos de 3 vértices válidos).
)";

} // namespace

int RunParametros(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kParametrosHelp;
        return 0;
    }
    const auto [request, operands] = ReadRequest(api::Order::kParametros, args);
    if (!operands.empty()) {
        throw UsageError{"argumento de más: " + operands[0]};
    }
    if (request.proj_pipeline) {
        std::string failure;
        const auto pipeline = api::ProjPipeline(request, failure);
        if (!pipeline) {
            std::cerr << "quillon-cli parametros: " << failure << '\n';
            return 1;
        }
        std::cout << *pipeline << '\n';
        return 0;
    }
    bool ready = false;
    std::cout << api::ParameterReport(request, ready);
    if (!ready) {
        const bool local =
            request.method == api::Method::kDistance || request.method == api::Method::kNearest;
        std::cerr << "quillon-cli parametros: no se ha podido preparar el juego de parámetros"
                  << (local ? " (¿menos de 3 vértices?)" : "") << '\n';
        return 1;
    }
    return 0;
}

} // namespace quillon_cli
