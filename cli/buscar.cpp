// quillon-cli buscar: catalogue vertices around a centre.
#include "commands.h"
#include "options.h"

#include <array>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace quillon_cli {

namespace {

constexpr const char* kBuscarHelp =
    R"(Uso: quillon-cli buscar --datum ED50|ETRS89 --tipo geocentricas|geodesicas|utm [--huso N]
                       (--distancia METROS | --numero N) [--catalogo ARCHIVO] CENTRO

Busca vértices geodésicos del catálogo alrededor de un centro, como hace la
transformación local.

  CENTRO          c1,c2[,c3] en el datum y tipo dados (geodésicas: longitud,latitud en
                  grados decimales; utm: x,y en metros en el huso --huso, 30 si no se da;
                  un centro de otro huso se lleva al 30, donde se busca)
  --distancia M   los vértices a menos de M metros, en el orden del catálogo
  --numero N      los N vértices más cercanos (N entre 3 y 180, o el tamaño del catálogo),
                  del más cercano al más lejano
  --catalogo A    busca en la tabla de puntos comunes A en lugar del catálogo integrado

Un centro ETRS89 se lleva a ED50 con los parámetros nacionales. La salida es una línea
de cabecera y una línea por vértice: número, nombre, x e y ED50 UTM huso 30 y distancia
al centro en metros, separados por tabuladores.
)";

// The side of the centre: --datum, --tipo and --huso (zone 30 by default),
// read by the library's own rules as side a of a centroid.
api::Side ReadCentreSide(std::vector<std::string> args) {
    for (auto& arg : args) {
        if (arg.rfind("--", 0) != 0) {
            continue; // a value
        }
        bool known = false;
        for (const std::string name : {"--datum", "--tipo", "--huso"}) {
            if (arg == name || arg.rfind(name + "=", 0) == 0) {
                arg.insert(name.size(), "-a");
                known = true;
                break;
            }
        }
        if (!known) {
            throw UsageError{"opción desconocida: " + arg.substr(0, arg.find('='))};
        }
    }
    api::Side side;
    try {
        side = ReadRequest(api::Order::kCentroide, args).request.a;
    } catch (UsageError& error) {
        // The library names the options of a side; here they have no "-a".
        for (const std::string name : {"--datum", "--tipo", "--huso"}) {
            for (std::size_t at = 0;
                 (at = error.message.find(name + "-a", at)) != std::string::npos;) {
                error.message.erase(at + name.size(), 2);
            }
        }
        throw;
    }
    if (side.kind == api::Kind::kUtm && side.zone == 0) {
        side.zone = 30;
    }
    return side;
}

} // namespace

int RunBuscar(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kBuscarHelp;
        return 0;
    }
    // The search's own options first; the rest describe the centre.
    std::vector<std::string> side_args;
    std::vector<std::string> centre;
    std::optional<double> distance;
    std::optional<int> count;
    std::optional<std::string> catalogue;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            centre.insert(centre.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                          args.end());
            break;
        }
        const bool takes_value = arg == "--distancia" || arg == "--numero" || arg == "--catalogo";
        if (takes_value || arg.rfind("--distancia=", 0) == 0 || arg.rfind("--numero=", 0) == 0 ||
            arg.rfind("--catalogo=", 0) == 0) {
            const std::string name = arg.substr(
                2, arg.find('=') == std::string::npos ? std::string::npos : arg.find('=') - 2);
            std::string value;
            if (!takes_value) {
                value = arg.substr(arg.find('=') + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError{"falta el valor de la opción --" + name};
            }
            // The library checks the range; here, only that it is a number
            // (and a count small enough to be an int).
            const auto number = api::NumberOfField(value);
            if (name == "catalogo") {
                if (catalogue) {
                    throw UsageError{"opción repetida: --catalogo"};
                }
                if (value.empty()) {
                    throw UsageError{"falta la ruta de --catalogo"};
                }
                catalogue = value;
            } else if (name == "distancia") {
                if (!number) {
                    throw UsageError{"distancia no válida: " + value};
                }
                distance = *number;
            } else {
                if (!number || *number != std::floor(*number) || std::fabs(*number) > 1e6) {
                    throw UsageError{"número de vértices no válido: " + value + " (de 3 a 180)"};
                }
                count = static_cast<int>(*number);
            }
        } else if (arg.rfind("--", 0) == 0) {
            side_args.push_back(arg);
            if (arg.find('=') == std::string::npos && i + 1 < args.size()) {
                side_args.push_back(args[++i]); // its value
            }
        } else {
            centre.push_back(arg);
        }
    }
    const api::Side side = ReadCentreSide(side_args);
    if (centre.size() != 1) {
        throw UsageError{"hace falta un CENTRO (c1,c2[,c3])"};
    }
    const auto fields = SplitFields(centre[0]);
    if (fields.size() < 2 || fields.size() > 3) {
        throw UsageError{"CENTRO: número de valores incorrecto: " + centre[0]};
    }
    std::array<double, 3> c = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        c[i] = RequireNumber(fields[i], "CENTRO");
    }
    if (distance.has_value() == count.has_value()) {
        throw UsageError{"dé --distancia o --numero (una de las dos)"};
    }
    std::string failure;
    const auto found =
        api::FindVertices(side, c, distance, count, failure, catalogue.value_or(std::string()));
    if (!found) {
        throw UsageError{failure};
    }
    std::cout << "numero\tnombre\ted50_x\ted50_y\tdistancia\n";
    for (const api::FoundVertex& v : *found) {
        std::cout << v.number << '\t' << v.name << '\t' << api::FixedText(v.ed50_x, 3) << '\t'
                  << api::FixedText(v.ed50_y, 3) << '\t' << api::FixedText(v.distance, 3) << '\n';
    }
    return 0;
}

} // namespace quillon_cli
