// Quillon: ED50 <-> ETRS89 coordinate transformation for Andalusia, the
// desktop program.
#include "aplicacion.h"
#include "comun_widgets.h"
#include "paginas_grandes.h"
#include "qt_services.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kHelp =
    "Uso: quillon [OPCIONES]\n"
    "\n"
    "Quillon: transformación de coordenadas entre ED50 y ETRS89 para Andalucía.\n"
    "Abre la ventana de presentación; su botón ENTRAR muestra el formulario de\n"
    "transformación. Para trabajar desde un terminal, vea quillon-cli --help.\n"
    "\n"
    "  -h, --help     muestra esta ayuda y termina\n"
    "  -v, --version  muestra la versión y termina\n";

// --help and --version are answered before any window system is touched, so
// they work without a display.
bool AnsweredOnTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("quillon %s\n", QUILLON_VERSION);
            return true;
        }
    }
    return false;
}

// True when Qt has a window system to open: an X display, a Wayland
// compositor, or a platform named in QT_QPA_PLATFORM or with Qt's -platform
// option (offscreen, vnc...). Without one QApplication aborts with its own
// message, so the program says so first, in its language.
bool HasWindowSystem(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (AnsweredOnTerminal(argc, argv)) {
        return 0;
    }
    if (!HasWindowSystem(argc, argv)) {
        std::fputs("quillon: no hay pantalla: ni DISPLAY ni WAYLAND_DISPLAY están definidas; "
                   "use quillon-cli\n",
                   stderr);
        return 1;
    }
    quillon::RestartWithLargePages(argv);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QApplication::setFont(quillon::SansFont(9));
    quillon::InstallSpanishTranslations();

    const QString dataFolder = quillon::FindDataFolder(QApplication::applicationDirPath());
    QApplication::setWindowIcon(QIcon(dataFolder + QStringLiteral("/quillon.png")));

    QSettings settings;
    quillon::QtMessageSink messages;
    quillon::QtFileDialogs files;
    quillon::Aplicacion programa(messages, files, settings, dataFolder);
    programa.Start();
    return QApplication::exec();
}
