// Takes the screenshots of docs/desktop.md: run under Xvfb with
// a window manager,
//   xvfb-run -a -s "-screen 0 1600x1000x24" sh -c 'openbox & sleep 1;
//       quillon_screenshots <output folder>'
// and, for the main, log and help windows at twice the scale, with
// QT_SCALE_FACTOR=2 and the option --escala-2 (a larger screen, e.g.
// 2800x1800):
//   quillon_screenshots --escala-2 <output folder>
// It opens each window in turn, fills it with the results of real runs of
// the sample data, and captures the screen area of the window with
// ImageMagick's "import -window root".
#include "acerca_de.h"
#include "aplicacion.h"
#include "ayuda.h"
#include "calculo.h"
#include "comun_widgets.h"
#include "dialogo_anadir_punto.h"
#include "dialogo_editar_punto.h"
#include "huso.h"
#include "mapa.h"
#include "presentador.h"
#include "principal.h"
#include "progreso.h"
#include "services.h"
#include "splash.h"
#include "tablas.h"
#include "ventanalog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <utility>

namespace {

void Settle(int milliseconds = 700) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The screen area of `window` with its frame, in device pixels.
bool Capture(const QWidget* window, const QString& path) {
    const qreal scale = window->devicePixelRatioF();
    const QRect area = window->frameGeometry();
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(qRound(area.width() * scale))
                             .arg(qRound(area.height() * scale))
                             .arg(qRound(area.x() * scale))
                             .arg(qRound(area.y() * scale));
    const int status = QProcess::execute(
        QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                   QStringLiteral("-crop"), crop, QStringLiteral("+repage"), path});
    std::printf("%s %s -> %d\n", qPrintable(path), qPrintable(crop), status);
    return status == 0;
}

// The whole screen, for pictures of two windows at once.
bool CaptureScreen(const QRect& area, const QString& path) {
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(area.width())
                             .arg(area.height())
                             .arg(area.x())
                             .arg(area.y());
    const int status = QProcess::execute(
        QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                   QStringLiteral("-crop"), crop, QStringLiteral("+repage"), path});
    std::printf("%s %s -> %d\n", qPrintable(path), qPrintable(crop), status);
    return status == 0;
}

// Messages go to the terminal instead of a modal box; questions are
// answered yes.
class PrintedMessages : public quillon::MessageSink {
public:
    void Show(const QString& text, const QString& title, quillon::MessageIcon) override {
        std::printf("[%s] %s\n", qPrintable(title), qPrintable(text));
    }
    bool Ask(const QString& text, const QString& title) override {
        std::printf("[%s] %s -> Sí\n", qPrintable(title), qPrintable(text));
        return true;
    }
};

// The open dialog chooses the file set in `next`; nothing is saved.
class SampleDialogs : public quillon::FileDialogs {
public:
    QString ShowOpen(quillon::CommonDialog& dialog) override {
        dialog.fileName = next;
        dialog.filterIndex = filter;
        return next;
    }
    QString ShowSave(quillon::CommonDialog& dialog) override {
        dialog.fileName.clear();
        return {};
    }
    QString next;
    int filter = 2;
};

// A drawing of some megabytes, so that the engine shows its progress window
// long enough to be seen: the sample parcel's survey repeated over a grid of
// LINEs and POINTs near Antequera, in ED50 UTM zone 30.
QString LargeDrawing(const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("levantamiento_antequera.dxf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    QByteArray text = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    for (int i = 0; i < 120000; ++i) {
        const double x = 360000.0 + (i % 400) * 2.5;
        const double y = 4096000.0 + (i / 400) * 2.5;
        text += "  0\r\nLINE\r\n  8\r\nPARCELAS\r\n 10\r\n" + QByteArray::number(x, 'f', 3) +
                "\r\n 20\r\n" + QByteArray::number(y, 'f', 3) + "\r\n 30\r\n0.0\r\n 11\r\n" +
                QByteArray::number(x + 2.5, 'f', 3) + "\r\n 21\r\n" +
                QByteArray::number(y + 1.25, 'f', 3) + "\r\n 31\r\n0.0\r\n";
    }
    text += "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    file.write(text);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setFont(quillon::SansFont(9));
    quillon::InstallSpanishTranslations();
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const bool twice = arguments.removeAll(QStringLiteral("--escala-2")) > 0;
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: quillon_screenshots [--escala-2] <output folder>\n");
        return 2;
    }
    const QDir out(arguments.constFirst());
    const QString dataFolder = QStringLiteral(QUILLON_TEST_DATA_DIR);

    QTemporaryDir work;
    QSettings settings(work.filePath(QStringLiteral("quillon.ini")), QSettings::IniFormat);
    PrintedMessages messages;
    SampleDialogs files;
    quillon::Aplicacion programa(messages, files, settings, dataFolder);
    quillon::Calculo& form = *programa.calculo();
    quillon::Principal& frame = *programa.principal();
    bool ok = true;

    programa.Start();
    Settle();
    if (!twice) {
        ok &= Capture(programa.splash(), out.filePath(QStringLiteral("splash.png")));
    }
    programa.splash()->enterButton->click();
    frame.resize(1340, 760);
    frame.move(40, 30);
    Settle();
    if (!twice) {
        ok &= Capture(&frame, out.filePath(QStringLiteral("frame_calculo.png")));
    }

    // A real run: the bundled sample points, ED50 UTM to ETRS89 UTM, with a
    // local Helmert fit to the 10 vertices nearest the centre of the data.
    form.sourceDatumCombo->setCurrentIndex(0);
    form.targetDatumCombo->setCurrentIndex(1);
    form.localOption->click();
    form.nearestCombo->setCurrentIndex(4);
    files.next = QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_lista_ed50_utm.txt");
    form.readFileButton->click();
    form.transformButton->click();
    // Several results selected, as for copying them into a spreadsheet.
    quillon::CoordinateTable* results = form.resultTable;
    results->selectionModel()->clearSelection();
    for (const int row : {2, 3, 4, 7}) {
        results->selectionModel()->select(results->model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    results->setFocus();

    // The log with a selection over several lines and a search, and the help
    // with its contents opened at a chapter and a search; `suffix` ends the
    // files' names.
    const auto LogAndHelp = [&](const QString& suffix) {
        bool taken = true;
        form.logButton->click(); // the log of the run
        quillon::VentanaLog* log = programa.loadedVentanaLog();
        log->findEdit->setText(QStringLiteral("vértices"));
        log->FindNext();
        QTextCursor selection = log->logText->textCursor();
        selection.movePosition(QTextCursor::StartOfBlock);
        selection.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 3);
        selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        log->logText->setTextCursor(selection);
        log->logText->setFocus();
        Settle();
        taken &= Capture(log, out.filePath(QStringLiteral("ventanalog%1.png").arg(suffix)));
        log->closeButton->click();

        form.helpButton->click();
        quillon::Ayuda* ayuda = programa.loadedAyuda();
        const QAbstractItemModel* contents = ayuda->contentsView->model();
        for (int row = 0; row < contents->rowCount(); ++row) {
            if (contents->index(row, 0).data().toString().startsWith(QStringLiteral("6."))) {
                ayuda->contentsView->expand(contents->index(row, 0));
                ayuda->contentsView->setCurrentIndex(contents->index(row, 0));
                ayuda->OpenContentsEntry(contents->index(row, 0));
            }
        }
        ayuda->searchEdit->setText(QStringLiteral("huso"));
        Settle(1500);
        taken &= Capture(ayuda, out.filePath(QStringLiteral("ayuda%1.png").arg(suffix)));
        ayuda->pageButton(1)->click();
        return taken;
    };
    Settle();
    ok &= Capture(&frame, out.filePath(twice ? QStringLiteral("frame_2x.png")
                                             : QStringLiteral("frame_run.png")));
    if (twice) {
        ok &= LogAndHelp(QStringLiteral("_2x"));
        return ok ? 0 : 1;
    }

    // The same window made larger: the tables take the room.
    frame.resize(1500, 900);
    Settle();
    ok &= Capture(&frame, out.filePath(QStringLiteral("frame_1x_grande.png")));
    frame.resize(1340, 760);
    Settle();

    form.mapButton->click(); // the map as the run left it
    quillon::Mapa* mapa = programa.loadedMapa();
    mapa->move(frame.x() + 20, frame.y() + 40);
    mapa->ShowPointer(360270.875, 4112694.957);
    Settle();
    ok &= Capture(mapa, out.filePath(QStringLiteral("mapa.png")));
    mapa->closeButton->click();

    ok &= LogAndHelp(QString());

    form.aboutButton->click();
    Settle();
    ok &= Capture(programa.loadedAcercaDe(), out.filePath(QStringLiteral("acerca_de.png")));
    programa.loadedAcercaDe()->acceptButton->click();

    // The edit dialog on a point of the list.
    form.pointTable->selectRow(1);
    form.editPointButton->click();
    Settle();
    ok &=
        Capture(programa.dialogoEditar(), out.filePath(QStringLiteral("dialogo_editar_punto.png")));
    programa.dialogoEditar()->leaveButton->click();

    // The add-point dialog for geographic points, with its example.
    form.presenter().SetSourceKind(quillon::CoordinateKind::Geodetic);
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* anadir = programa.dialogoAnadir();
    anadir->identifierEdit->setText(QStringLiteral("Vértice 12"));
    anadir->coordinate1Edit->setText(QStringLiteral("37,4557947"));
    anadir->coordinate2Edit->setText(QStringLiteral("-4,0512"));
    anadir->coordinate3Edit->setText(QStringLiteral("500"));
    Settle();
    ok &= Capture(anadir, out.filePath(QStringLiteral("dialogo_anadir_punto.png")));
    anadir->identifierEdit->clear();
    anadir->leaveButton->click();
    form.presenter().SetSourceKind(quillon::CoordinateKind::Utm);

    // A large drawing: its zone, then the run with its progress window.
    const QString drawing = LargeDrawing(work);
    files.next = drawing;
    files.filter = 3;
    form.readFileButton->click();
    programa.huso()->zoneEdit->setText(QStringLiteral("30"));
    Settle();
    ok &= Capture(programa.huso(), out.filePath(QStringLiteral("huso.png")));
    programa.huso()->acceptButton->click();
    form.regionalOption->click();
    quillon::Progreso* progreso = programa.progreso();
    bool captured = false;
    QObject::connect(progreso->progressBar, &QProgressBar::valueChanged, progreso, [&](int value) {
        if (!captured && progreso->windowTitle() == QStringLiteral("Transformando") &&
            value > progreso->progressBar->maximum() * 2 / 5) {
            captured = true;
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            const QRect area = frame.frameGeometry().united(progreso->frameGeometry());
            ok &= CaptureScreen(area, out.filePath(QStringLiteral("progreso.png")));
        }
    });
    form.transformButton->click();
    ok &= captured;
    Settle();
    ok &= Capture(&frame, out.filePath(QStringLiteral("frame_dibujo.png")));
    Settle(100);
    return ok ? 0 : 1;
}
