// quillon-cli txt, tabla, dxf, centroide and txt-a-dxf: the engine's file
// operations.
#include "commands.h"
#include "options.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillon_cli {

namespace {

constexpr const char* kFileHelp =
    R"(Uso: quillon-cli txt|dxf ENTRADA SALIDA --sistema-a CÓDIGO --sistema-b CÓDIGO [OPCIONES]
     quillon-cli txt|dxf ENTRADA SALIDA
           --datum-a ED50|ETRS89 --tipo-a geocentricas|geodesicas|utm [--huso-a N]
           --datum-b ED50|ETRS89 --tipo-b geocentricas|geodesicas|utm [--huso-b N]
           [--modelo helmert|molodensky|afin]
           [--parametros nacionales|regionales|distancia|vecinos|rejilla]
           [--seleccion V] [--origen X,Y] [--rejilla RUTA.gsb] [--geoide [RUTA.gtx]]
           [--catalogo ARCHIVO] [--log RUTA] [--hilos N] [--fuera-de-region] [--incertidumbre]
           [--estricto]
     quillon-cli txt|dxf ENTRADA... --carpeta-salida CARPETA [OPCIONES]

Transforma un archivo de puntos TXT (txt) o un dibujo DXF (dxf) del sistema A al B.
Ejemplo: quillon-cli txt campo.txt campo_etrs89.txt --sistema-a EPSG:23030 --sistema-b EPSG:25830

  --sistema-a C  el sistema de la entrada por su código EPSG, en lugar de --datum-a,
  --sistema-b C  --tipo-a y --huso-a (o de las de B):
                   EPSG:23029, 23030, 23031  ED50 UTM husos 29, 30, 31
                   EPSG:25829, 25830, 25831  ETRS89 UTM husos 29, 30, 31
                   EPSG:4230                 ED50 geográficas
                   EPSG:4258, 4937           ETRS89 geográficas (2D, 3D)
                   EPSG:4936                 ETRS89 geocéntricas
                   EPSG:25829+5782, 25830+5782, 25831+5782, 4258+5782
                                             ETRS89 con altitudes ortométricas
                                             (Alicante): el geoide, como --geoide
                 Las coordenadas geográficas van con la longitud primero, como en los
                 programas SIG.
  --huso-a N     huso de toda la entrada; sin él, el de cada punto (campo 5 del TXT;
                 con él, un punto cuyo campo 5 dice otro huso se rechaza).
                 Un dibujo UTM necesita --huso-a.
  --huso-b N     huso de salida; sin él, el huso natural de cada punto (el resumen del
                 registro dice cuántos puntos van a cada huso)
  --modelo       modelo de los parámetros estimados (por defecto helmert; los
                 parámetros nacionales son siempre Helmert 3D)
  --parametros   nacionales (por defecto), regionales (todos los vértices del catálogo),
                 distancia (vértices a menos de V metros del origen),
                 vecinos (los V vértices más cercanos al origen; al menos 3, 4 con el
                 modelo afín) o rejilla (la rejilla oficial del IGN SPED2ETV2, NTv2;
                 los puntos fuera de la rejilla se rechazan)
  --seleccion V  la distancia en metros o el número de vértices
  --origen X,Y   origen de la búsqueda de vértices en ED50 UTM huso 30; por defecto,
                 el centro del rectángulo que encuadra los datos
  --rejilla R    otra rejilla NTv2 en lugar de la que acompaña al programa
  --catalogo A   con regionales, distancia y vecinos: la tabla de puntos comunes A
                 (número, nombre, coordenadas ED50 y ETRS89; véase el manual) en lugar
                 del catálogo integrado, de demostración; el registro la nombra con su
                 SHA-256
  --geoide [R]   alturas ortométricas: la H de los puntos UTM se relaciona con la
                 altura elipsoidal ETRS89 por el geoide EGM08-REDNAP (h = H + N) u
                 otro geoide GTX R; los puntos fuera del geoide se rechazan
  --log RUTA     registro de ejecución; por defecto SALIDA seguido de ".log" (ninguno si
                 la salida es "-", un dispositivo o una tubería)
  --hilos N      hilos que transforman los puntos; por defecto, uno por núcleo del
                 equipo; 1 los transforma en el hilo principal. El resultado y el
                 registro son los mismos con cualquier número de hilos
  --fuera-de-region  transforma también los puntos fuera de Andalucía (por defecto se
                 rechazan: "fuera de la región de cálculo")
  --incertidumbre  (sólo txt) añade a cada punto, como última columna, su
                 incertidumbre horizontal al 95 % en metros (3 decimales; "nan" si el
                 ajuste no tiene redundancia); el registro da siempre su intervalo
  --estricto     (dxf) rechaza el dibujo si tiene entidades que no se pueden
                 transformar (sólidos y regiones ACIS, proxies, tipos desconocidos);
                 sin ella se escribe con ellas como estaban, el registro las nombra y
                 termina con estado 1 ("N entidades no transformadas").
  --carpeta-salida C  varias ENTRADAS: cada una a C/<nombre>_ETRS89.<ext> (o _ED50,
                 según el datum de B), con su registro

Una opción que no se aplica (--seleccion con los parámetros nacionales, --modelo con la
rejilla, --huso-b con salida no UTM...) es un error de uso (estado 2).

ENTRADA o SALIDA "-": la entrada o la salida estándar; el resumen va entonces a la
salida de errores.

Archivo TXT: una línea de título y un punto por línea, campos separados por
tabuladores: número (entero positivo), c1, c2, c3 y, para UTM, el huso. Una línea que
no es un punto completo no se transforma: el registro la nombra con el motivo
("Línea N rechazada: ..."). Con los parámetros distancia y vecinos, el registro y la
salida de errores avisan de los puntos a más de 25 km del vértice empleado más cercano
o fuera del polígono de los vértices empleados.

SALIDA y el registro se escriben aparte y sustituyen a los archivos anteriores sólo
al terminar; si la transformación falla o se interrumpe, los anteriores quedan como
estaban. Termina con estado 0 si la transformación ha tenido éxito y no hay líneas
rechazadas; si no, con estado 1 y un mensaje que dice por qué (y nombra el registro
si se ha escrito).
)";

constexpr const char* kTablaHelp =
    R"(Uso: quillon-cli tabla ENTRADA SALIDA --sistema-a CÓDIGO --sistema-b CÓDIGO
           [--columnas ID,C1,C2[,C3[,HUSO]]] [--separador tab|punto-y-coma|coma|espacios]
           [--sexagesimal] [OPCIONES de txt]
     quillon-cli tabla ENTRADA... --carpeta-salida CARPETA [OPCIONES]

Transforma una tabla de puntos como la exportan las hojas de cálculo y los programas
SIG (CSV, TXT): escribe la misma tabla con las coordenadas sustituidas y todo lo demás
como estaba (cabecera, otras columnas, comillas, separador, marca decimal,
codificación y finales de línea). Las opciones del sistema, los parámetros, --log,
--hilos, --carpeta-salida, --incertidumbre... son las de "txt" (quillon-cli txt --help).
Ejemplo: quillon-cli tabla campo.csv campo_etrs89.csv --sistema-a EPSG:23030 --sistema-b EPSG:25830

  --columnas L   las columnas del identificador, la primera, segunda y tercera
                 coordenada y el huso, por su nombre en la cabecera (sin distinguir
                 mayúsculas) o su número (desde 1): "id,x,y,z", "1,3,4", ",x,y" (sin
                 identificador), "x,y" (solo las dos coordenadas). Sin ella, por los
                 nombres de la cabecera (id, nombre, numero, punto, name; x, este,
                 easting, e, lon, longitud, longitude; y, norte, northing, n, lat,
                 latitud, latitude; z, h, cota, altura, altitud; huso, zona, zone) si
                 tiene las dos primeras coordenadas, o si no por su posición: la primera
                 columna, si no es un número, es el identificador; las dos siguientes,
                 las coordenadas; la que las sigue, si es un número, la tercera.
  --separador S  tab, punto-y-coma, coma o espacios (o el carácter); por defecto, el
                 de la primera línea: tabulador, si no ";", si no "," si corta la línea
                 en más campos que los blancos, si no blancos
  --sexagesimal  las longitudes y latitudes son grados sexagesimales empaquetados,
                 gg.mmssss (-5.193045 es -5° 19' 30,45"); se escriben igual, con 5
                 decimales en los segundos

La primera línea no vacía es la cabecera si ninguno de sus campos es un número. Una
tabla sin tercera coordenada es 2D: sus puntos se transforman con altura 0 y no se
escribe ninguna. Con salida UTM sin --huso-b y sin columna de huso, la tabla gana
una última columna "huso"; con --incertidumbre, otra, "incertidumbre". Las filas que
no se pueden transformar no se escriben: el registro las nombra como en "txt"
("Línea N rechazada: ...") y la orden termina con estado 1. Las líneas de más de 4096
caracteres se rechazan.
)";

constexpr const char* kCentroideHelp =
    R"(Uso: quillon-cli centroide ENTRADA (--sistema-a CÓDIGO | --datum-a ED50|ETRS89
                      --tipo-a geocentricas|geodesicas|utm [--huso-a N])
                      [--hilos N] [--fuera-de-region]

Centroide, rectángulo que encuadra y número de puntos de un archivo TXT (o de las
coordenadas de un dibujo, si ENTRADA termina en ".dxf"), en ED50 UTM huso 30
calculados con los parámetros nacionales. Los puntos fuera de Andalucía no cuentan
salvo con --fuera-de-region. --sistema-a y --hilos N como en "txt".
)";

constexpr const char* kTxtToDxfHelp =
    R"(Uso: quillon-cli txt-a-dxf ENTRADA SALIDA (--tipo geocentricas|geodesicas|utm
                      [--datum ED50|ETRS89] | --sistema-a CÓDIGO) [--huso N]
                      [--etiquetas] [--hilos N] [--fuera-de-region]

Convierte un archivo de puntos TXT en un dibujo DXF R12 con una entidad POINT por
punto, con las coordenadas tal como están en el archivo; la cabecera encuadra los
puntos. Los puntos fuera de Andalucía se dejan fuera salvo con --fuera-de-region.
ENTRADA o SALIDA "-": la entrada o la salida estándar. --sistema-a y --hilos N
como en "txt".

Un dibujo es de un solo huso: los puntos UTM de varios husos (quinto campo) se
rechazan salvo con --huso N, que pasa al huso N los de otros husos con el
elipsoide de su datum (--datum, o el de --sistema-a, que da también el huso).
--etiquetas: junto a cada punto, su número como texto en la capa IDENTIFICADORES.
)";

// Set by SIGINT, SIGTERM and SIGHUP: the running operation stops between lines
// and abandons its files, so that no temporary file is left behind and the
// previous result and log stay. A second signal ends the program at once.
volatile std::sig_atomic_t stop_requested = 0;

extern "C" void RequestStop(int) {
    stop_requested = 1;
}

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESETHAND; // no SA_RESTART: a blocked read ends too
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

// A progress bar on a terminal, and the stop request of the signals.
api::Progress TerminalProgress() {
    CatchStopSignals();
    struct Bar {
        std::string caption;
        std::uint64_t size = 0;
        void Draw(std::uint64_t position) const {
            const int percent = size ? static_cast<int>(position * 100 / size) : 100;
            const int filled = percent * 30 / 100;
            std::fprintf(stderr, "\r%s [%s%s] %3d%%", caption.c_str(),
                         std::string(static_cast<std::size_t>(filled), '#').c_str(),
                         std::string(static_cast<std::size_t>(30 - filled), ' ').c_str(), percent);
            std::fflush(stderr);
        }
    };
    api::Progress progress;
    progress.stop_requested = [] { return stop_requested != 0; };
    if (::isatty(STDERR_FILENO) == 0) {
        return progress;
    }
    auto bar = std::make_shared<Bar>();
    progress.open = [bar](std::string_view caption, std::uint64_t size) {
        bar->caption = caption;
        bar->size = size;
        bar->Draw(0);
    };
    progress.step = [bar](std::uint64_t position) { bar->Draw(position); };
    progress.close = [] { std::fprintf(stderr, "\r%*s\r", 50, ""); };
    return progress;
}

bool StopRequested() {
    return stop_requested != 0;
}

namespace {

// The system's reason for an error number, in the words of a Spanish system
// whatever the locale the program runs in.
std::string Reason(int error) {
    switch (error) {
    case ENOENT:
        return "No existe el archivo o el directorio";
    case EACCES:
    case EPERM:
        return "Permiso denegado";
    case ENOTDIR:
        return "No es un directorio";
    case EISDIR:
        return "Es un directorio";
    case EROFS:
        return "Sistema de ficheros de sólo lectura";
    case ENOSPC:
        return "No queda espacio en el dispositivo";
    default:
        return std::strerror(error);
    }
}

// After a failed run: what the system says of the files, one line each, so
// the user knows what to mend (the input that cannot be read, the folder
// that is missing or closed).
} // namespace

void ExplainFiles(const std::string& input, const std::string& output, const std::string& log) {
    if (input != "-") {
        const int fd = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::cerr << "quillon-cli: " << input << ": " << Reason(errno) << '\n';
        } else {
            ::close(fd);
        }
    }
    std::filesystem::path said;
    for (const std::string* path : {&output, &log}) {
        if (path->empty() || *path == "-") {
            continue;
        }
        std::filesystem::path folder = std::filesystem::path(*path).parent_path();
        if (folder.empty()) {
            folder = ".";
        }
        if (folder == said) {
            continue; // the log beside the output: one word for both
        }
        said = folder;
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            std::cerr << "quillon-cli: no existe la carpeta " << folder.string() << '\n';
        } else if (!S_ISDIR(info.st_mode)) {
            std::cerr << "quillon-cli: " << folder.string() << ": No es un directorio\n";
        } else if (::access(folder.c_str(), W_OK) != 0) {
            std::cerr << "quillon-cli: " << folder.string() << ": " << Reason(errno) << '\n';
        }
    }
}

namespace {

// One input into one output; prints what the user needs and returns the
// exit status.
int TransformOne(api::FileFormat format, const api::TransformRequest& request,
                 const std::string& input, const std::string& output) {
    const api::FileOutcome outcome =
        api::TransformFile(format, request, input, output, TerminalProgress());
    // With the result on standard output, the summary goes to standard error.
    // The summary of a stream output goes to standard error, not into the result.
    std::ostream& summary = api::IsStream(output) ? std::cerr : std::cout;
    if (!outcome.succeeded) {
        std::cerr << "quillon-cli: la transformación no ha tenido éxito: " << outcome.failure
                  << '\n';
        if (stop_requested == 0) {
            ExplainFiles(input, output, outcome.log_path);
        }
        if (outcome.log_written) {
            std::cerr << "quillon-cli: vea el registro " << outcome.log_path << '\n';
        }
        return 1;
    }
    summary << "Resultado: " << output << '\n';
    if (!outcome.log_path.empty()) {
        summary << "Registro: " << outcome.log_path << '\n';
    }
    for (const std::string& warning : outcome.warnings) {
        std::cerr << "quillon-cli: " << warning << '\n'; // a warning: the status stays
    }
    const std::string see_log =
        outcome.log_path.empty() ? std::string() : "; vea el registro " + outcome.log_path;
    if (outcome.rejected > 0 && outcome.points == 0 && format != api::FileFormat::kDxf) {
        std::cerr << "quillon-cli: ningún punto transformado: " << outcome.rejected
                  << " líneas rechazadas" << see_log << '\n';
        return 1;
    }
    if (outcome.untransformed > 0) {
        // The drawing is written, but not everything in it moved.
        std::cerr << "quillon-cli: " << outcome.untransformed << " entidades no transformadas ("
                  << outcome.untransformed_kinds << ")" << see_log << '\n';
        return 1;
    }
    if (outcome.rejected > 0) {
        // As for bad points of "punto": the rest is done, the status says not all.
        std::cerr << "quillon-cli: " << outcome.rejected << " líneas rechazadas (no transformadas)"
                  << see_log << '\n';
        return 1;
    }
    return 0;
}

int RunFile(const std::vector<std::string>& args, api::Order order) {
    auto [request, files] = ReadRequest(order, args);
    request.keep_log_when_stopped = true;
    const api::FileFormat format = order == api::Order::kDxf     ? api::FileFormat::kDxf
                                   : order == api::Order::kTabla ? api::FileFormat::kTable
                                                                 : api::FileFormat::kTxt;
    if (request.output_folder.empty()) {
        if (files.size() != 2) {
            throw UsageError{files.size() > 2
                                 ? "se espera una ENTRADA y una SALIDA; para transformar varias "
                                   "entradas, dé --carpeta-salida CARPETA"
                                 : "hacen falta ENTRADA y SALIDA"};
        }
        return TransformOne(format, request, files[0], files[1]);
    }
    if (files.empty()) {
        throw UsageError{"con --carpeta-salida hace falta al menos una ENTRADA"};
    }
    if (!request.log_path.empty()) {
        throw UsageError{"--log no se aplica con --carpeta-salida: cada salida lleva su registro"};
    }
    int status = 0;
    for (const std::string& input : files) {
        if (input == "-") {
            throw UsageError{"con --carpeta-salida las entradas son archivos, no \"-\""};
        }
    }
    for (const std::string& input : files) {
        const std::string output =
            api::BatchOutputPath(input, request.output_folder, request.b.datum);
        status = std::max(status, TransformOne(format, request, input, output));
        if (stop_requested != 0) {
            break;
        }
    }
    return status;
}

} // namespace

int RunTxt(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kFileHelp;
        return 0;
    }
    return RunFile(args, api::Order::kTxt);
}

int RunTabla(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kTablaHelp;
        return 0;
    }
    return RunFile(args, api::Order::kTabla);
}

int RunDxf(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kFileHelp;
        return 0;
    }
    return RunFile(args, api::Order::kDxf);
}

int RunCentroide(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kCentroideHelp;
        return 0;
    }
    const auto [request, files] = ReadRequest(api::Order::kCentroide, args);
    if (files.size() != 1) {
        throw UsageError{"hace falta ENTRADA"};
    }
    const api::CentroidOutcome c = api::FileCentroid(request, files[0], TerminalProgress());
    if (!c.succeeded) {
        std::cerr << "quillon-cli: no se puede calcular el centroide de " << files[0] << '\n';
        ExplainFiles(files[0], "", "");
        return 1;
    }
    if (c.count == 0) {
        std::cerr << "quillon-cli: " << files[0] << " no tiene puntos: no hay centroide\n";
        return 1;
    }
    std::cout << "centroide_x\t" << api::FixedText(c.x, 3) << "\ncentroide_y\t"
              << api::FixedText(c.y, 3) << "\nx_min\t" << api::FixedText(c.x_min, 3) << "\nx_max\t"
              << api::FixedText(c.x_max, 3) << "\ny_min\t" << api::FixedText(c.y_min, 3)
              << "\ny_max\t" << api::FixedText(c.y_max, 3) << "\npuntos\t" << c.count << '\n';
    return 0;
}

int RunTxtToDxf(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kTxtToDxfHelp;
        return 0;
    }
    const auto [request, files] = ReadRequest(api::Order::kTxtToDxf, args);
    if (files.size() != 2) {
        throw UsageError{"hacen falta ENTRADA y SALIDA"};
    }
    std::string failure;
    if (!api::TxtToDxf(request, files[0], files[1], TerminalProgress(), failure)) {
        if (failure.find(" un solo huso") != std::string::npos) {
            // The points of several zones: the user chooses the drawing's.
            std::cerr << "quillon-cli: " << failure << "; elija uno con --huso\n";
            return 1;
        }
        std::cerr << "quillon-cli: "
                  << (failure.empty() ? "no se ha podido escribir " + files[1] : failure) << '\n';
        if (stop_requested == 0) {
            ExplainFiles(files[0], files[1], "");
        }
        return 1;
    }
    (api::IsStream(files[1]) ? std::cerr : std::cout) << "Dibujo: " << files[1] << '\n';
    return 0;
}

} // namespace quillon_cli
