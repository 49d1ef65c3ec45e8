// quillon-cli capa: GIS layers (Shapefile, GeoPackage, GeoJSON...) through GDAL.
#include "commands.h"
#include "options.h"

#include <climits>
#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <layer_run.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillon_cli {

namespace {

constexpr const char* kCapaHelp =
    R"(Uso: quillon-cli capa ENTRADA SALIDA [--capa NOMBRE] [--formato CONTROLADOR]
           [--sistema-a CÓDIGO | --datum-a ED50|ETRS89 --tipo-a geodesicas|utm [--huso-a N]]
           (--sistema-b CÓDIGO | --datum-b ED50|ETRS89 --tipo-b geodesicas|utm [--huso-b N])
           [--modelo helmert|molodensky|afin]
           [--parametros nacionales|regionales|distancia|vecinos|rejilla]
           [--seleccion V] [--origen X,Y] [--rejilla RUTA.gsb] [--geoide [RUTA.gtx]]
           [--catalogo ARCHIVO] [--log RUTA] [--hilos N] [--fuera-de-region]

Transforma las capas SIG de ENTRADA (Shapefile, GeoPackage, GeoJSON, FlatGeobuf,
CSV... todo lo que GDAL lee) al sistema B y las escribe en SALIDA: todos los vértices
de todas las geometrías (puntos, líneas, polígonos con huecos, geometrías múltiples y
colecciones; la Z se transforma como la tercera coordenada de "txt", la M se copia) y
todos los campos de cada entidad.
Ejemplo: quillon-cli capa parcelas.shp parcelas_etrs89.gpkg --sistema-b EPSG:25830

  --capa NOMBRE  sólo esa capa de ENTRADA; por defecto, todas
  --formato C    el controlador GDAL de SALIDA (GPKG, "ESRI Shapefile", GeoJSON,
                 FlatGeobuf, CSV...); por defecto, el de su extensión. KML no se
                 admite como salida: sus coordenadas son siempre longitud y latitud
                 WGS 84. Una salida CSV no lleva sistema de referencia.
  --sistema-a C  el sistema de ENTRADA; por defecto, el de la propia capa, que ha de
                 ser uno de los códigos de "txt --help". Si la capa dice el suyo y
                 las opciones otro, es un error
  --sistema-b C  el sistema de SALIDA, que se escribe en ella (EPSG:25830...); las
                 coordenadas geográficas van con la longitud primero
  --huso-b N     huso de la salida UTM; sin él, el de la entrada (una capa tiene un
                 solo sistema: no hay husos por punto)
  --origen X,Y   origen de la búsqueda de vértices de distancia y vecinos; por
                 defecto, el centro del rectángulo que encuadra los vértices
  Las demás opciones, como en "txt".

Una entidad con un vértice que no se puede transformar (fuera de la región o de
la rejilla) o con una geometría que no se puede leer no se escribe: el registro la
nombra con su FID, su capa y el motivo, y la orden termina con estado 1.

SALIDA (con todas sus partes: .shp, .shx, .dbf, .prj...) y el registro se escriben
aparte y sustituyen a los anteriores sólo al terminar; si la transformación falla o
se interrumpe, los anteriores quedan como estaban.
)";

bool SideAGiven(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        for (const char* name : {"--sistema-a", "--datum-a", "--tipo-a", "--huso-a"}) {
            const std::string option = name;
            if (arg == option || arg.rfind(option + "=", 0) == 0) {
                return true;
            }
        }
    }
    return false;
}

// Takes the value of --NAME (or --NAME=VALUE) out of `args`.
std::string TakeOption(std::vector<std::string>& args, const std::string& name) {
    std::string value;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            break;
        }
        if (args[i] == "--" + name) {
            if (i + 1 >= args.size()) {
                throw UsageError{"falta el valor de --" + name};
            }
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            --i;
        } else if (args[i].rfind("--" + name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 3);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        } else {
            continue;
        }
        if (value.empty()) {
            throw UsageError{"falta el valor de --" + name};
        }
    }
    return value;
}

// The layers module, loaded once: beside the program in a build tree, in the
// library folder once installed. Null, with `failure` set, when it cannot be.
const quillon::layers::LayerFunctions* LayerModule(std::string& failure) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        failure = "no se encuentra el programa";
        return nullptr;
    }
    const std::filesystem::path folder =
        std::filesystem::path(std::string(self, length)).parent_path();
    for (const char* relative : {"../layers/quillon_layers.so", QUILLON_LAYERS_INSTALLED}) {
        const std::filesystem::path module = folder / relative;
        std::error_code ignored;
        if (!std::filesystem::exists(module, ignored)) {
            continue;
        }
        void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            failure = ::dlerror();
            return nullptr;
        }
        using Entry = const quillon::layers::LayerFunctions* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(handle, "quillon_layers_functions"));
        if (!entry) {
            failure = ::dlerror();
            return nullptr;
        }
        return entry();
    }
    failure = "no está instalado el módulo de capas SIG (quillon_layers.so)";
    return nullptr;
}

} // namespace

int RunCapa(const std::vector<std::string>& given) {
    if (WantsHelp(given)) {
        std::cout << kCapaHelp;
        return 0;
    }
    std::string unavailable;
    const quillon::layers::LayerFunctions* layers = LayerModule(unavailable);
    if (!layers) {
        std::cerr << "quillon-cli capa: no se pueden leer capas SIG: " << unavailable << '\n';
        return 1;
    }
    std::vector<std::string> args = given;
    quillon::layers::LayerOptions options;
    options.layer = TakeOption(args, "capa");
    options.format = TakeOption(args, "formato");
    if (!SideAGiven(args)) {
        // The layer says what it is in: its code stands for --sistema-a.
        std::vector<std::string> operands;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--") {
                operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                args.end());
                break;
            }
            if (args[i].rfind("--", 0) == 0) {
                // --geoide takes a value only when it is a .gtx file.
                const bool geoid_path = i + 1 < args.size() && args[i + 1].size() > 4 &&
                                        args[i + 1].substr(args[i + 1].size() - 4) == ".gtx";
                const bool flag = args[i] == "--fuera-de-region" ||
                                  (args[i] == "--geoide" && !geoid_path) ||
                                  args[i].find('=') != std::string::npos;
                if (!flag) {
                    ++i; // its value
                }
                continue;
            }
            operands.push_back(args[i]);
        }
        if (operands.size() == 2) {
            std::string failure;
            const auto code = layers->layer_system(operands[0], options.layer, failure);
            if (!code) {
                std::cerr << "quillon-cli capa: " << failure << '\n';
                return failure.rfind("No se puede abrir", 0) == 0 ? 1 : 2;
            }
            args.insert(args.begin(), {"--sistema-a", *code});
        }
    }
    auto [request, files] = ReadRequest(api::Order::kCapa, args);
    request.keep_log_when_stopped = true;
    if (files.size() != 2) {
        throw UsageError{"hacen falta ENTRADA y SALIDA"};
    }
    const auto outcome =
        layers->transform_layers(request, files[0], files[1], options, TerminalProgress());
    if (!outcome.succeeded) {
        std::cerr << "quillon-cli: la transformación no ha tenido éxito: " << outcome.failure
                  << '\n';
        if (!StopRequested()) {
            ExplainFiles(files[0], files[1], outcome.log_path);
        }
        if (outcome.log_written) {
            std::cerr << "quillon-cli: vea el registro " << outcome.log_path << '\n';
        }
        return 1;
    }
    std::cout << "Resultado: " << files[1] << '\n' << "Registro: " << outcome.log_path << '\n';
    if (outcome.rejected > 0) {
        std::cerr << "quillon-cli: " << outcome.rejected
                  << " entidades rechazadas (no escritas); vea el registro " << outcome.log_path
                  << '\n';
        return 1;
    }
    return 0;
}

} // namespace quillon_cli
