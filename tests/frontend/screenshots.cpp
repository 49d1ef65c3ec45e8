// Takes the README's screenshots of the desktop program: run under Xvfb,
//   xvfb-run -a -s "-screen 0 1280x900x24" quillon_screenshots <output folder>
// It opens each window in turn, fills it with sample content where the
// window shows the results of a run, and captures the screen area of the
// window with ImageMagick's "import -window root".
#include "acerca_de.h"
#include "apunto.h"
#include "ayuda.h"
#include "calculo.h"
#include "epunto.h"
#include "huso.h"
#include "mapa.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"
#include "services.h"
#include "splash.h"
#include "ventanalog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>
#include <utility>

namespace {

void Settle(int milliseconds = 700) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Capture(const QWidget* window, const QString& path) {
    const QRect area = window->frameGeometry();
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

// Messages go to the terminal instead of a modal box.
class PrintedMessages : public quillon::MessageSink {
public:
    void Show(const QString& text, const QString& title, quillon::MessageIcon) override {
        std::printf("[%s] %s\n", qPrintable(title), qPrintable(text));
    }
};

// The open dialog chooses the sample point list ("TXT - UTM"); nothing is saved.
class SampleDialogs : public quillon::FileDialogs {
public:
    explicit SampleDialogs(QString sample) : sample_(std::move(sample)) {}
    QString ShowOpen(quillon::CommonDialog& dialog) override {
        dialog.fileName = sample_;
        dialog.filterIndex = 2;
        return sample_;
    }
    QString ShowSave(quillon::CommonDialog& dialog) override {
        dialog.fileName.clear();
        return {};
    }

private:
    QString sample_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setFont(quillon::SansFont(8));
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString dataFolder = QStringLiteral(QUILLON_TEST_DATA_DIR);

    PrintedMessages messages;
    SampleDialogs files(QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_lista_ed50_utm.txt"));
    quillon::Programa programa(messages, files, dataFolder);
    bool ok = true;

    programa.Start();
    Settle();
    ok &= Capture(programa.splash(), out.filePath(QStringLiteral("splash.png")));

    programa.splash()->Command1->click();
    Settle();
    quillon::Calculo& form = *programa.calculo();
    ok &= Capture(programa.principal(), out.filePath(QStringLiteral("frame_calculo.png")));

    // A real run: the bundled sample points, ED50 UTM to ETRS89 UTM, with a
    // local Helmert fit to the 10 vertices nearest the centre of the data.
    form.Combo1->setCurrentIndex(0);
    form.Combo1_Click();
    form.Combo2->setCurrentIndex(1);
    form.Combo2_Click();
    form.Option9->setChecked(true);
    form.Combo3->setCurrentIndex(4);
    form.Combo3_Click();
    form.Command1->click(); // "Leer archivo": the sample point list
    form.Command10->click();
    Settle();
    ok &= Capture(programa.principal(), out.filePath(QStringLiteral("frame_run.png")));

    form.Command9->click(); // the map as the run left it
    quillon::Mapa* mapa = programa.loadedMapa();
    mapa->move(programa.principal()->x(), programa.principal()->y());
    mapa->Picture1_MouseMove(350, 200);
    Settle();
    ok &= Capture(mapa, out.filePath(QStringLiteral("mapa.png")));
    mapa->Command1->click();

    form.Command13->click(); // the log of the run
    quillon::VentanaLog* log = programa.loadedVentanaLog();
    Settle();
    ok &= Capture(log, out.filePath(QStringLiteral("ventanalog.png")));
    log->Command1->click();

    form.Command11->click();
    Settle(1500);
    ok &= Capture(programa.loadedAyuda(), out.filePath(QStringLiteral("ayuda.png")));
    programa.loadedAyuda()->Command1(1)->click();

    form.Command12->click();
    Settle();
    ok &= Capture(programa.loadedAcercaDe(), out.filePath(QStringLiteral("acerca_de.png")));
    programa.loadedAcercaDe()->Command1->click();

    // The add-point dialog for geographic points, with its example.
    form.List1->clear();
    form.Command2->click();
    quillon::Apunto* apunto = programa.apunto();
    apunto->Text1->setText(QStringLiteral("Vértice 12"));
    apunto->Text2->setText(QStringLiteral("37.4557947"));
    apunto->Text3->setText(QStringLiteral("-4.0512"));
    apunto->Text4->setText(QStringLiteral("500"));
    Settle();
    ok &= Capture(apunto, out.filePath(QStringLiteral("apunto.png")));
    apunto->Text1->clear();
    apunto->Command2->click();

    // The edit-point dialog on a UTM point.
    form.Option3->setChecked(true);
    quillon::ProgramState& state = programa.state();
    state.PointTable[0] = {QStringLiteral("V1"), 455000.25, 4120000.0, 0.5, 30};
    state.pointCount = 1;
    form.List1->addItem(QStringLiteral("V1, 455000.25, 4120000, .5, 30"));
    form.List1->setCurrentRow(0);
    form.Command3->setEnabled(true);
    form.Command3->click();
    Settle();
    ok &= Capture(programa.epunto(), out.filePath(QStringLiteral("epunto.png")));
    programa.epunto()->Command2->click();

    // The zone dialog of a drawing.
    state.pointCount = 0;
    form.List1->clear();
    form.List1->addItems(
        {QStringLiteral("Se ha abierto el archivo:"), QStringLiteral("plano.dxf")});
    programa.huso()->Abrir();
    programa.huso()->Text1->setText(QStringLiteral("30"));
    Settle();
    ok &= Capture(programa.huso(), out.filePath(QStringLiteral("huso.png")));
    programa.huso()->Command2->click();
    Settle(100);
    return ok ? 0 : 1;
}
