// quillon-cli txt, dxf, centroide and txt-a-dxf: the engine's file operations.
#include "commands.h"
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/number_format.h"
#include "files/txt_processing.h"
#include "geodesy/least_squares.h"
#include "options.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillon_cli {

using namespace dezadiravevava;

namespace {

constexpr const char* kFileHelp =
    R"(Uso: quillon-cli txt|dxf ENTRADA SALIDA
           --datum-a ED50|ETRS89 --tipo-a geocentricas|geodesicas|utm [--huso-a N]
           --datum-b ED50|ETRS89 --tipo-b geocentricas|geodesicas|utm [--huso-b N]
           [--modelo helmert|molodensky|afin]
           [--parametros nacionales|regionales|distancia|vecinos|rejilla]
           [--seleccion V] [--origen X,Y] [--rejilla RUTA.gsb] [--geoide [RUTA.gtx]]
           [--log RUTA] [--hilos N]

Transforma un archivo de puntos TXT (txt) o un dibujo DXF (dxf) del sistema A al B.

  --huso-a N     huso de toda la entrada; sin él, el de cada punto (campo 5 del TXT).
                 Un dibujo UTM necesita --huso-a.
  --huso-b N     huso de salida; sin él, el huso natural de cada punto
  --modelo       modelo de los parámetros estimados (por defecto helmert; los
                 parámetros nacionales son siempre Helmert 3D)
  --parametros   nacionales (por defecto), regionales (los 180 vértices del catálogo),
                 distancia (vértices a menos de V metros del origen),
                 vecinos (los V vértices más cercanos al origen) o
                 rejilla (la rejilla oficial del IGN SPED2ETV2, NTv2; el modelo no
                 se usa; los puntos fuera de la rejilla se rechazan)
  --seleccion V  la distancia en metros o el número de vértices
  --origen X,Y   origen de la búsqueda de vértices en ED50 UTM huso 30; por defecto,
                 el centro del rectángulo que encuadra los datos
  --rejilla R    otra rejilla NTv2 en lugar de la que acompaña al programa
  --geoide [R]   alturas ortométricas: la H de los puntos UTM se relaciona con la
                 altura elipsoidal ETRS89 por el geoide EGM08-REDNAP (h = H + N) u
                 otro geoide GTX R; los puntos fuera del geoide se rechazan
  --log RUTA     registro de ejecución; por defecto SALIDA seguido de ".log"
  --hilos N      hilos que transforman los puntos; por defecto, uno por núcleo del
                 equipo; 1 los transforma en el hilo principal. El resultado y el
                 registro son los mismos con cualquier número de hilos

Archivo TXT: una línea de título y un punto por línea, campos separados por
tabuladores: número, c1, c2, c3 y, para UTM, el huso. Una línea cuyas coordenadas no
se pueden leer enteras no se transforma: el registro la nombra ("Línea N rechazada").

SALIDA y el registro se escriben aparte y sustituyen a los archivos anteriores sólo
al terminar; si la transformación falla o se interrumpe, los anteriores quedan como
estaban. Termina con estado 0 si la transformación ha tenido éxito y no hay líneas
rechazadas; si no, con estado 1 y un mensaje que dice por qué (y nombra el registro
si se ha escrito).
)";

constexpr const char* kCentroideHelp =
    R"(Uso: quillon-cli centroide ENTRADA --datum-a ED50|ETRS89
                      --tipo-a geocentricas|geodesicas|utm [--huso-a N] [--hilos N]

Centroide, rectángulo que encuadra y número de puntos de un archivo TXT (o de las
coordenadas de un dibujo, si ENTRADA termina en ".dxf"), en ED50 UTM huso 30
calculados con los parámetros nacionales. --hilos N como en "txt".
)";

constexpr const char* kTxtToDxfHelp =
    R"(Uso: quillon-cli txt-a-dxf ENTRADA SALIDA --tipo geocentricas|geodesicas|utm [--hilos N]

Convierte un archivo de puntos TXT en un dibujo DXF R12 con una entidad POINT por
punto, con las coordenadas tal como están en el archivo. --hilos N como en "txt".
)";

// Set by SIGINT, SIGTERM and SIGHUP: the running operation stops between lines
// and abandons its files, so that no temporary file is left behind. A second
// signal ends the program at once.
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

// A progress bar on a terminal, and the stop request of the signals.
class TerminalProgress : public ProgressSink {
public:
    void Open(std::string_view caption, std::uint64_t size) override {
        if (!drawn_) {
            return;
        }
        caption_ = caption;
        size_ = size;
        Step(0);
    }
    void Step(std::uint64_t position) override {
        if (!drawn_) {
            return;
        }
        const int percent = size_ ? static_cast<int>(position * 100 / size_) : 100;
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", caption_.c_str(),
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(30 - filled), ' ').c_str(), percent);
        std::fflush(stderr);
    }
    void Close() override {
        if (drawn_) {
            std::fprintf(stderr, "\r%*s\r", 50, "");
        }
    }
    bool CancelRequested() override { return stop_requested != 0; }

private:
    bool drawn_ = ::isatty(STDERR_FILENO) != 0;
    std::string caption_;
    std::uint64_t size_ = 0;
};

ProgressSink* TerminalSink() {
    static TerminalProgress sink;
    CatchStopSignals();
    return &sink;
}

bool IsDrawing(const std::string& path) {
    return path.size() >= 4 && (path.compare(path.size() - 4, 4, ".dxf") == 0 ||
                                path.compare(path.size() - 4, 4, ".DXF") == 0);
}

int Centroid(const std::string& path, const Side& a, CentroidResult& result, int threads) {
    return IsDrawing(path)
               ? CentroideDXF(path, a.datum, a.kind, a.zone, result, TerminalSink(), threads)
               : CentroideTXT(path, a.datum, a.kind, a.zone, result, TerminalSink(), threads);
}

int RunFile(const std::vector<std::string>& args, bool drawing) {
    const Arguments parsed(args,
                           {"datum-a", "tipo-a", "huso-a", "datum-b", "tipo-b", "huso-b", "modelo",
                            "parametros", "seleccion", "origen", "log", kGridOption,
                            kThreadsOption},
                           {}, {kGeoidOption});
    if (parsed.positional().size() != 2) {
        throw UsageError{"hacen falta ENTRADA y SALIDA"};
    }
    const std::string& input = parsed.positional()[0];
    const std::string& output = parsed.positional()[1];
    const Side a = ReadSide(parsed, "a");
    const Side b = ReadSide(parsed, "b");
    RunArguments run;
    run.entrada = input;
    run.salida = output;
    run.da = a.datum;
    run.pa = a.kind;
    run.h_entrada = a.zone;
    run.db = b.datum;
    run.pb = b.kind;
    run.h_salida = b.zone;
    run.model = parsed.Has("modelo") ? ParseModel(*parsed.Get("modelo")) : kModelHelmert;
    run.parametros =
        parsed.Has("parametros") ? ParseChoice(*parsed.Get("parametros")) : kParametersSpain;
    const GridOptions options = ReadGridOptions(parsed, run.parametros);
    run.grid_path = options.grid_path;
    run.orthometric_heights = options.orthometric_heights;
    run.geoid_path = options.geoid_path;
    run.threads = ReadThreads(parsed);
    if (run.parametros == kParametersByDistance || run.parametros == kParametersByNumber) {
        run.selec_param = ParseNumbers(parsed.Require("seleccion"), 1, 1, "--seleccion")[0];
    }
    if (const auto origin = parsed.Get("origen")) {
        const auto xy = ParseNumbers(*origin, 2, 2, "--origen");
        run.x = xy[0];
        run.y = xy[1];
    } else if (run.parametros == kParametersByDistance || run.parametros == kParametersByNumber) {
        // As the desktop program does: the centre of the rectangle around the
        // data. Only the local choices search around an origin, so the other
        // runs do not read and transform the whole input twice.
        CentroidResult centroid;
        Centroid(input, a, centroid, run.threads);
        if (centroid.count > 0) {
            run.x = (centroid.x_min + centroid.x_max) * 0.5;
            run.y = (centroid.y_min + centroid.y_max) * 0.5;
        }
    }
    const std::string log = parsed.Get("log").value_or(output + ".log");
    RunOutcome outcome;
    const int result = drawing ? ProcesarDXF(log, run, TerminalSink(), &outcome)
                               : ProcesarTXT(log, run, TerminalSink(), &outcome);
    if (result != 1) {
        std::cerr << "quillon-cli: la transformación no ha tenido éxito: " << outcome.failure
                  << '\n';
        if (outcome.log_written) {
            std::cerr << "quillon-cli: vea el registro " << log << '\n';
        }
        return 1;
    }
    std::cout << "Resultado: " << output << "\nRegistro: " << log << '\n';
    for (const std::string& warning : outcome.warnings) {
        std::cerr << "quillon-cli: " << warning << '\n'; // a warning: the status stays
    }
    if (outcome.rejected > 0 && outcome.points == 0 && !drawing) {
        std::cerr << "quillon-cli: ningún punto transformado: " << outcome.rejected
                  << " líneas rechazadas; vea el registro " << log << '\n';
        return 1;
    }
    if (outcome.rejected > 0) {
        // As for bad points of "punto": the rest is done, the status says not all.
        std::cerr << "quillon-cli: " << outcome.rejected
                  << " líneas rechazadas (no transformadas); vea el registro " << log << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int RunTxt(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kFileHelp;
        return 0;
    }
    return RunFile(args, false);
}

int RunDxf(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kFileHelp;
        return 0;
    }
    return RunFile(args, true);
}

int RunCentroide(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kCentroideHelp;
        return 0;
    }
    const Arguments parsed(args, {"datum-a", "tipo-a", "huso-a", kThreadsOption});
    if (parsed.positional().size() != 1) {
        throw UsageError{"hace falta ENTRADA"};
    }
    const Side a = ReadSide(parsed, "a");
    CentroidResult c;
    if (Centroid(parsed.positional()[0], a, c, ReadThreads(parsed)) != 1) {
        std::cerr << "quillon-cli: no se puede calcular el centroide de " << parsed.positional()[0]
                  << '\n';
        return 1;
    }
    if (c.count == 0) {
        // No point read: the engine's extremes are still its starting values.
        std::cerr << "quillon-cli: " << parsed.positional()[0]
                  << " no tiene puntos: no hay centroide\n";
        return 1;
    }
    std::cout << "centroide_x\t" << CFixed(c.x, 3) << "\ncentroide_y\t" << CFixed(c.y, 3)
              << "\nx_min\t" << CFixed(c.x_min, 3) << "\nx_max\t" << CFixed(c.x_max, 3)
              << "\ny_min\t" << CFixed(c.y_min, 3) << "\ny_max\t" << CFixed(c.y_max, 3)
              << "\npuntos\t" << c.count << '\n';
    return 0;
}

int RunTxtToDxf(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << kTxtToDxfHelp;
        return 0;
    }
    const Arguments parsed(args, {"tipo", kThreadsOption});
    if (parsed.positional().size() != 2) {
        throw UsageError{"hacen falta ENTRADA y SALIDA"};
    }
    const int kind = ParseKind(parsed.Require("tipo"));
    if (SameFile(parsed.positional()[0], parsed.positional()[1])) {
        std::cerr << "quillon-cli: " << SameFilesMessage(SameFiles::kOutputIsInput) << '\n';
        return 1;
    }
    if (ConvertirTXTaDXF(parsed.positional()[0], parsed.positional()[1], kind, TerminalSink(),
                         ReadThreads(parsed)) != 1) {
        std::cerr << "quillon-cli: no se ha podido escribir " << parsed.positional()[1] << '\n';
        return 1;
    }
    std::cout << "Dibujo: " << parsed.positional()[1] << '\n';
    return 0;
}

} // namespace quillon_cli
