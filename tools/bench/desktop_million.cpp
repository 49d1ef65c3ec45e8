// The desktop program on a million points, offscreen: reads a point file of
// N points (1 000 000 unless given) through "Leer archivo", shows them in the
// point table, transforms them with TRANSFORMAR (ED50 UTM 30 -> ETRS89 UTM
// 30, national set) and shows the results, then times `quillon-cli txt` on
// the same file, written to a file. It prints each step's time and the peak
// memory of the program when it ended, the total, the CLI's time and the
// ratio (the CLI runs as a process of its own, so its memory is not counted).
//   desktop_million [points] [folder]
#include "aplicacion.h"
#include "calculo.h"
#include "paginas_grandes.h"
#include "presentador.h"
#include "services.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// Messages printed instead of shown; questions answered "yes", choices with
// the first one.
class PrintedMessages : public quillon::MessageSink {
public:
    void Show(const QString& text, const QString& title, quillon::MessageIcon) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
        ++shown;
    }
    bool Ask(const QString&, const QString&) override { return true; }
    int shown = 0;
};

class NoDialogs : public quillon::FileDialogs {
public:
    QString ShowOpen(quillon::CommonDialog&) override { return {}; }
    QString ShowSave(quillon::CommonDialog&) override { return {}; }
};

// Peak resident memory of this process, in MiB.
double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The points in the TXT layout both programs read: Andalusia in zone 30.
bool WritePoints(const QString& path, long count) {
    std::FILE* file = std::fopen(qPrintable(path), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fputs("ID\tX\tY\tH\tHuso\r\n", file);
    std::uint64_t state = 20261208;
    const auto next = [&state](double low, double high) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (long i = 1; i <= count; ++i) {
        const double x = next(150000.0, 600000.0);
        const double y = next(4000000.0, 4280000.0);
        std::fprintf(file, "%ld\t%.3f\t%.3f\t%.3f\t30\r\n", i, x, y, next(0.0, 2000.0));
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv) {
    // As the program starts: with huge pages for its large tables.
    quillon::RestartWithLargePages(argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    QTemporaryDir scratch;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : scratch.path();
    const QString input = folder + QStringLiteral("/puntos.txt");
    if (!WritePoints(input, count)) {
        std::fprintf(stderr, "desktop_million: cannot write %s\n", qPrintable(input));
        return 1;
    }

    PrintedMessages messages;
    NoDialogs files;
    QSettings settings(folder + QStringLiteral("/quillon.ini"), QSettings::IniFormat);
    quillon::Aplicacion programa(messages, files, settings, QStringLiteral(QUILLON_DATA_DIR));
    quillon::Calculo& form = *programa.calculo();
    quillon::FormPresenter& presenter = programa.presenter();
    form.sourceDatumCombo->setCurrentIndex(0); // ED50
    form.targetDatumCombo->setCurrentIndex(1); // ETRS89
    form.show();
    app.processEvents();
    std::printf("desktop_million: %ld points, peak memory at start %.0f MiB\n", count, PeakMiB());

    // Each step: its time and the peak memory when it has ended. A step ends
    // when the program has nothing left to do for it: the run may go on a
    // thread of its own, so the loop turns until the presenter says it ended.
    const auto settle = [&app, &presenter] {
        app.processEvents();
        while (presenter.running()) {
            app.processEvents(QEventLoop::WaitForMoreEvents);
        }
        app.processEvents();
    };
    QElapsedTimer timer;
    timer.start();
    presenter.OpenFile(input, quillon::InputFormat::PointsWithZone);
    const qint64 read = timer.restart();
    const double readPeak = PeakMiB();
    settle();
    form.pointTable->viewport()->repaint();
    const qint64 shown = timer.restart();
    const double shownPeak = PeakMiB();
    const int rows = presenter.pointModel()->rowCount();
    form.transformButton->click();
    while (presenter.running()) {
        app.processEvents(QEventLoop::WaitForMoreEvents);
    }
    const qint64 run = timer.restart();
    const double runPeak = PeakMiB();
    settle();
    form.resultTable->viewport()->repaint();
    const qint64 resultsShown = timer.elapsed();
    const int results = presenter.resultModel()->rowCount();
    const double peak = PeakMiB();
    const qint64 desktop = read + shown + run + resultsShown;

    // The CLI on the same file, its results written to a file.
    QProcess cli;
    const QString output = folder + QStringLiteral("/salida_cli.txt");
    timer.restart();
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {QStringLiteral("txt"), input, output, QStringLiteral("--datum-a"),
               QStringLiteral("ED50"), QStringLiteral("--tipo-a"), QStringLiteral("utm"),
               QStringLiteral("--huso-a"), QStringLiteral("30"), QStringLiteral("--datum-b"),
               QStringLiteral("ETRS89"), QStringLiteral("--tipo-b"), QStringLiteral("utm"),
               QStringLiteral("--huso-b"), QStringLiteral("30")});
    cli.waitForFinished(-1);
    const qint64 cliTime = timer.elapsed();

    std::printf("  read               %8.2f s  peak %5.0f MiB  (%d rows in the point table)\n",
                read / 1000.0, readPeak, rows);
    std::printf("  show points        %8.2f s  peak %5.0f MiB\n", shown / 1000.0, shownPeak);
    std::printf("  TRANSFORMAR        %8.2f s  peak %5.0f MiB\n", run / 1000.0, runPeak);
    std::printf("  show results       %8.2f s  peak %5.0f MiB  (%d rows in the result table)\n",
                resultsShown / 1000.0, peak, results);
    std::printf("  desktop total      %8.2f s\n", desktop / 1000.0);
    std::printf("  quillon-cli txt    %8.2f s  (exit %d)\n", cliTime / 1000.0, cli.exitCode());
    std::printf("  ratio desktop/CLI  %8.2f\n",
                cliTime > 0 ? static_cast<double>(desktop) / static_cast<double>(cliTime) : 0.0);
    std::printf("  peak memory        %8.0f MiB (the program, after the run)\n", peak);
    std::printf("  messages shown     %8d\n", messages.shown);
    return rows == count && results == count ? 0 : 2;
}
