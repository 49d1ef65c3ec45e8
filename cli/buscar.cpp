// quillon-cli buscar: catalogue vertices around a centre.
#include "commands.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "geodesy/vertex_search.h"
#include "options.h"

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

namespace quillon_cli {

using namespace dezadiravevava;

namespace {

constexpr const char* kBuscarHelp =
    R"(Uso: quillon-cli buscar --datum ED50|ETRS89 --tipo geocentricas|geodesicas|utm [--huso N]
                       (--distancia METROS | --numero N) CENTRO

Busca vértices geodésicos del catálogo alrededor de un centro, como hace la
transformación local.

  CENTRO          c1,c2[,c3] en el datum y tipo dados (geodésicas: longitud,latitud en
                  grados decimales; utm: x,y en metros, usados tal cual en el huso 30)
  --distancia M   los vértices a menos de M metros, en el orden del catálogo
  --numero N      los N vértices más cercanos (N entre 3 y 180), del más cercano al más lejano

Un centro ETRS89 se lleva a ED50 con los parámetros nacionales. La salida es una línea
de cabecera y una línea por vértice: número, nombre, x e y ED50 UTM huso 30 y distancia
al centro en metros, separados por tabuladores.
)";

} // namespace

int RunBuscar(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kBuscarHelp;
        return 0;
    }
    const Arguments parsed(args, {"datum", "tipo", "huso", "distancia", "numero"});
    const int datum = ParseDatum(parsed.Require("datum"));
    const int kind = ParseKind(parsed.Require("tipo"));
    double zone = 30.0;
    if (const auto huso = parsed.Get("huso")) {
        const auto value = ParseZone(*huso);
        if (!value) {
            throw UsageError{"huso fuera de 1..60: " + *huso};
        }
        zone = *value;
    }
    if (parsed.positional().size() != 1) {
        throw UsageError{"hace falta un CENTRO (c1,c2[,c3])"};
    }
    std::vector<double> c = ParseNumbers(parsed.positional()[0], 2, 3, "CENTRO");
    c.resize(3, 0.0);
    if (kind == kKindGeodetic) {
        c[0] *= kRadiansPerDegree; // the search takes geodetic centres in radians
        c[1] *= kRadiansPerDegree;
    }
    const auto centre = SearchCentreToEd50Utm(c[0], c[1], c[2], zone, datum, kind);
    if (parsed.Has("distancia") == parsed.Has("numero")) {
        throw UsageError{"dé --distancia o --numero (una de las dos)"};
    }
    FoundVertexList found;
    if (const auto distance = parsed.Get("distancia")) {
        const auto value = ParseNumber(*distance);
        if (!value || *value < 0.0) {
            throw UsageError{"distancia no válida: " + *distance};
        }
        SearchByDistance(found, *value, c[0], c[1], c[2], zone, datum, kind, false);
    } else {
        const std::string count = *parsed.Get("numero");
        const auto value = ParseNumber(count);
        if (!value || *value != std::floor(*value) || *value < 1.0 || *value > 1e6) {
            throw UsageError{"número de vértices no válido: " + count};
        }
        SearchByNumber(found, static_cast<std::int32_t>(*value), c[0], c[1], c[2], zone, datum,
                       kind, false);
    }
    std::cout << "numero\tnombre\ted50_x\ted50_y\tdistancia\n";
    for (std::int32_t i = 0; i < found.count; ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        std::cout << v.number << '\t' << Cp1252ToUtf8(v.name) << '\t' << CFixed(v.ed50_x, 3) << '\t'
                  << CFixed(v.ed50_y, 3) << '\t'
                  << CFixed(std::hypot(v.ed50_x - centre->x, v.ed50_y - centre->y), 3) << '\n';
    }
    return 0;
}

} // namespace quillon_cli
