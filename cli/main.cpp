// quillon-cli: the command-line host of the Dezadiravevava engine.
#include "commands.h"
#include "options.h"

#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp =
    R"(Uso: quillon-cli ORDEN [OPCIONES]
     quillon-cli --help | --version

Transformación de coordenadas entre ED50 y ETRS89 para Andalucía.

Órdenes:
  punto       convierte puntos sueltos (parámetros nacionales o rejilla del IGN)
  buscar      busca vértices del catálogo alrededor de un centro
  parametros  prepara un juego de parámetros y muestra su bloque del registro
  txt         transforma un archivo de puntos TXT
  tabla       transforma una tabla de puntos (CSV, TXT) y conserva sus demás columnas
  dxf         transforma un dibujo DXF
  centroide   centroide y rectángulo de un archivo de puntos o de un dibujo
  txt-a-dxf   convierte un archivo de puntos TXT en un dibujo DXF de puntos
)"
#ifdef QUILLON_WITH_LAYERS
    R"(  capa        transforma capas SIG (Shapefile, GeoPackage, GeoJSON...) con GDAL
)"
#endif
    R"(
Opciones:
  -h, --help  muestra esta ayuda y termina
  --version   muestra la versión y termina

"quillon-cli ORDEN --help" describe cada orden.
)";

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"punto", quillon_cli::RunPunto},
    {"buscar", quillon_cli::RunBuscar},
    {"parametros", quillon_cli::RunParametros},
    {"txt", quillon_cli::RunTxt},
    {"tabla", quillon_cli::RunTabla},
    {"dxf", quillon_cli::RunDxf},
    {"centroide", quillon_cli::RunCentroide},
    {"txt-a-dxf", quillon_cli::RunTxtToDxf},
#ifdef QUILLON_WITH_LAYERS
    {"capa", quillon_cli::RunCapa},
#endif
};

} // namespace

bool quillon_cli::WantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            return true;
        }
    }
    return false;
}

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        std::cout << kHelp;
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        std::cout << "quillon-cli " << QUILLON_VERSION << '\n';
        return 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (name == command.name) {
            try {
                return command.run(args);
            } catch (const quillon_cli::UsageError& error) {
                std::cerr << "quillon-cli " << name << ": " << error.message << '\n';
                return 2;
            } catch (const std::bad_alloc&) {
                std::cerr << "quillon-cli " << name << ": memoria insuficiente\n";
                return 1;
            } catch (...) {
                std::cerr << "quillon-cli " << name << ": error inesperado\n";
                return 1;
            }
        }
    }
    std::cerr << "quillon-cli: orden desconocida: " << name << " (vea quillon-cli --help)\n";
    return 2;
}
