#include "acerca_de.h"
#include "ayuda.h"
#include "comun.h"
#include "mapa.h"
#include "mapa_vista.h"
#include "principal.h"
#include "program_fixture.h"
#include "splash.h"
#include "temp_dir.h"
#include "ventanalog.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTextCursor>
#include <QTreeView>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <vector>

namespace quillon_test {
namespace {

void PressEscape(QWidget* window) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &escape);
}

void MovePointer(QWidget* widget, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// --- Splash and frame ---------------------------------------------------------

using ShellTest = ProgramTest;

TEST_F(ShellTest, EnterOpensTheFrameAndHidesTheSplash) {
    programa.Start();
    quillon::Splash* splash = programa.splash();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->enterButton->text(), "&ENTRAR");
    splash->enterButton->click();
    EXPECT_TRUE(programa.principal()->isVisible());
    EXPECT_TRUE(programa.principal()->isEnabled());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_FALSE(splash->isEnabled());
}

TEST_F(ShellTest, FrameHasItsTitleAndHoldsTheForm) {
    quillon::Principal* frame = programa.principal();
    frame->show();
    EXPECT_TRUE(frame->windowTitle().startsWith(" Quillon - "));
    EXPECT_GT(frame->windowTitle().size(), QStringLiteral(" Quillon - ").size());
    EXPECT_EQ(frame->centralWidget(), &form);
    // The frame takes any size from the form's smallest up.
    const QSize smallest = frame->minimumSizeHint();
    frame->resize(smallest + QSize(300, 200));
    EXPECT_EQ(frame->size(), smallest + QSize(300, 200));
    frame->resize(100, 100);
    EXPECT_EQ(frame->size(), frame->minimumSize().expandedTo(smallest));
}

TEST(DataFolder, InstalledThenBuildTree) {
    TempDir root;
    const QString base = QString::fromStdString(root.path().string());
    QDir(base).mkpath(QStringLiteral("bin"));
    QDir(base).mkpath(QStringLiteral("share/quillon"));
    EXPECT_EQ(quillon::FindDataFolder(base + "/bin"), QString());

    QFile program(base + "/bin/ayudaQuillon.pdf");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    EXPECT_EQ(quillon::FindDataFolder(base + "/bin"), QDir::cleanPath(base + "/bin"));

    QFile installed(base + "/bin/" + QStringLiteral(QUILLON_DATA_RELATIVE) + "/ayudaQuillon.pdf");
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(quillon::FindDataFolder(base + "/bin"),
              QDir::cleanPath(base + "/bin/" + QStringLiteral(QUILLON_DATA_RELATIVE)));
}

// --- Map window -----------------------------------------------------------------------

using MapTest = ProgramTest;

// The pointer's ED50 UTM zone 30 coordinates: at the middle of the map as
// it opens, the middle of the region served (82482-641448 m, 3951850-4308027 m).
TEST_F(MapTest, PointerReadOutInZone30Metres) {
    quillon::Mapa* mapa = programa.mapa();
    mapa->show();
    EXPECT_EQ(mapa->xValueLabel->text(), "- - - - - - - - - - - - - ");
    quillon::MapView* view = mapa->mapView;
    const QPointF middle(view->width() / 2.0, view->height() / 2.0);
    MovePointer(view, middle);
    EXPECT_EQ(mapa->xValueLabel->text(), "361965.000");
    EXPECT_EQ(mapa->yValueLabel->text(), "4129938.500");

    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    MovePointer(view, middle);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(mapa->yValueLabel->text(), "4129938,500");
}

// Each way of zooming or panning changes the view; "Ajustar" brings back the
// fitted view with all the content in sight.
TEST_F(MapTest, ZoomAndPanChangeTheViewAndFitBringsAllBack) {
    quillon::Mapa* mapa = programa.mapa();
    mapa->show();
    quillon::MapView* view = mapa->mapView;
    const QTransform fitted = view->transform();
    ASSERT_TRUE(view->visibleArea().contains(view->contentArea()));
    const QPointF middle(view->width() / 2.0, view->height() / 2.0);
    const auto key = [view](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
    };
    const auto mouse = [view](QEvent::Type type, QPointF at, Qt::MouseButton button) {
        QMouseEvent event(type, at, view->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"wheel",
         [&] {
             QWheelEvent wheel(middle + QPointF(40, 20), view->mapToGlobal(middle), QPoint(),
                               QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                               false);
             QCoreApplication::sendEvent(view, &wheel);
         }},
        {"+ key", [&] { key(Qt::Key_Plus); }},
        {"- button", [&] { mapa->zoomOutButton->click(); }},
        {"+ button", [&] { mapa->zoomInButton->click(); }},
        {"drag",
         [&] {
             mouse(QEvent::MouseButtonPress, middle, Qt::LeftButton);
             mouse(QEvent::MouseMove, middle + QPointF(60, -30), Qt::NoButton);
             mouse(QEvent::MouseButtonRelease, middle + QPointF(60, -30), Qt::LeftButton);
         }},
        {"arrow key", [&] { key(Qt::Key_Left); }},
    };
    for (const auto& [name, act] : ways) {
        const QTransform before = view->transform();
        act();
        EXPECT_NE(view->transform(), before) << name;
    }
    // A zoom keeps the map point under the wheel where it was.
    const QPointF anchor(30, 40);
    const QPointF under = view->transform().inverted().map(anchor);
    view->zoomBy(2.0, anchor);
    const QPointF after = view->transform().map(under);
    EXPECT_NEAR(after.x(), anchor.x(), 1e-6);
    EXPECT_NEAR(after.y(), anchor.y(), 1e-6);
    EXPECT_FALSE(view->visibleArea().contains(view->contentArea()));

    mapa->fitButton->click();
    EXPECT_EQ(view->transform(), fitted);
    EXPECT_TRUE(view->visibleArea().contains(view->contentArea()));
}

// Input points are drawn where they are, a few as symbols and very many as
// dots; the fit shows them all, the one in the corner of the scale bar too.
TEST_F(MapTest, FewAndManyPointsDrawnWhereTheyAre) {
    quillon::MapView* view = programa.mapa()->mapView;
    view->resize(400, 400);
    for (const int count : {3, 20000}) {
        quillon::MapDrawing drawing;
        drawing.xc = 300000, drawing.yc = 4100000;
        drawing.xMin = 250000, drawing.xMax = 350000;
        drawing.yMin = 4050000, drawing.yMax = 4150000;
        for (int i = 0; i < count; ++i) {
            // Along a diagonal beyond the rectangle.
            drawing.points.push_back(
                QPointF(200000 + 200000.0 * i / (count - 1), 4000000 + 200000.0 * i / (count - 1)));
        }
        view->setRun(drawing);
        EXPECT_TRUE(view->visibleArea().contains(QRectF(200000, 4000000, 200000, 200000))) << count;
        QImage image(view->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->render(painter, view->size());
        painter.end();
        for (const qsizetype i : {qsizetype{0}, drawing.points.size() - 1}) {
            const QColor c = image.pixelColor(view->transform().map(drawing.points[i]).toPoint());
            EXPECT_TRUE(c.blue() > 150 && c.red() < 80) << count << " " << i;
        }
    }
}

// The legend and the read-out sit beside the map, never over it, at any size.
TEST_F(MapTest, LegendBesideTheMapAtAnySize) {
    quillon::Mapa* mapa = programa.mapa();
    mapa->show();
    for (const QSize size : {mapa->minimumSizeHint(), QSize(1600, 1000)}) {
        mapa->resize(size);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QRect map = mapa->mapView->geometry();
        for (const QWidget* side : std::initializer_list<const QWidget*>{
                 mapa->legend, mapa->xValueLabel, mapa->yValueLabel, mapa->fitButton}) {
            EXPECT_FALSE(map.intersects(side->geometry()))
                << side->objectName().toStdString() << " " << size.width();
        }
        // The map is at least as large as the legend is wide.
        EXPECT_GE(mapa->mapView->width(), mapa->legend->width());
    }
    EXPECT_EQ(mapa->legend->lines().size(), 7);
    EXPECT_EQ(mapa->legend->lines().last(), "Flechas: residuo × 1");
}

// Export writes files other programs read: a PNG of the map and its legend, and an SVG.
TEST_F(MapTest, ExportWritesReadablePngAndSvg) {
    TempDir folder;
    quillon::Mapa* mapa = programa.mapa();
    mapa->show();
    const QString base = QString::fromStdString(folder.path().string());
    const QString png = base + "/mapa.png";
    ASSERT_TRUE(mapa->Export(png));
    // The map and, at its right, the legend.
    const QImage image(png);
    const qreal ratio = mapa->mapView->devicePixelRatioF();
    EXPECT_EQ(image.height(), qRound(mapa->mapView->height() * ratio));
    EXPECT_GT(image.width(), qRound((mapa->mapView->width() + mapa->legend->width()) * ratio));
    const QString svg = base + "/mapa.svg";
    ASSERT_TRUE(mapa->Export(svg));
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_FALSE(mapa->Export(base + "/no/such/folder/mapa.png"));

    // Through the button: a name without an extension gets the chosen kind's.
    files.answers.push_back({base + "/elegido", 2});
    mapa->exportButton->click();
    EXPECT_TRUE(QSvgRenderer(base + "/elegido.svg").isValid());
    EXPECT_TRUE(messages.shown.empty());
}

// The background: its text form, and the bundled one puts Sevilla on land and
// the Alborán Sea off it, and has the lines between the provinces.
TEST_F(MapTest, BackgroundTextAndTheBundledRegion) {
    struct Case {
        const char* text;
        int land;
        int borders;
    };
    const Case cases[] = {
        {"# c\ntierra 3\n0 0\n10 0\n0 10\nlimite 2\n0 0\n5 5\n", 1, 1},
        {"tierra 3\n0 0\n10 0\n", 0, 0},                    // cut short
        {"tierra 2\n0 0\n1 1\ntierra 2\n0 x\n1 1\n", 1, 0}, // damaged second line
        {"otra 2\n0 0\n1 1\n", 0, 0},                       // unknown layer
    };
    for (const Case& c : cases) {
        const quillon::MapBackground b = quillon::ReadMapBackground(c.text);
        EXPECT_EQ(b.land.size(), c.land) << c.text;
        EXPECT_EQ(b.borders.size(), c.borders) << c.text;
    }
    QFile bundled(QStringLiteral(":/mapa/fondo_andalucia.txt"));
    programa.mapa();
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
    const QByteArray text = bundled.readAll();
    EXPECT_LT(text.size(), 300 * 1024);
    const quillon::MapBackground b = quillon::ReadMapBackground(text);
    const auto onLand = [&b](QPointF p) {
        return std::any_of(b.land.begin(), b.land.end(), [p](const QPolygonF& ring) {
            return ring.containsPoint(p, Qt::OddEvenFill);
        });
    };
    EXPECT_TRUE(onLand(QPointF(236000, 4141000)));  // Sevilla
    EXPECT_FALSE(onLand(QPointF(550000, 3990000))); // Alborán Sea

    // The province lines: a road between two provincial capitals crosses
    // one, a road within a province none.
    const auto crossings = [&b](QPointF from, QPointF to) {
        int count = 0;
        const QLineF road(from, to);
        for (const QPolygonF& line : b.borders) {
            for (qsizetype i = 1; i < line.size(); ++i) {
                count += road.intersects(QLineF(line[i - 1], line[i]), nullptr) ==
                         QLineF::BoundedIntersection;
            }
        }
        return count;
    };
    const QPointF sevilla(236000, 4141000), carmona(266700, 4148000), cordoba(343700, 4195900),
        jaen(430500, 4180500), granada(447000, 4114000), malaga(373000, 4064000),
        almeria(548000, 4077000);
    const struct {
        const char* road;
        QPointF from, to;
        int crossings;
    } roads[] = {
        {"Sevilla - Carmona", sevilla, carmona, 0}, {"Sevilla - Córdoba", sevilla, cordoba, 1},
        {"Córdoba - Jaén", cordoba, jaen, 1},       {"Jaén - Granada", jaen, granada, 1},
        {"Granada - Málaga", granada, malaga, 1},   {"Granada - Almería", granada, almeria, 1},
        {"Málaga - Sevilla", malaga, sevilla, 1},
    };
    for (const auto& r : roads) {
        EXPECT_EQ(crossings(r.from, r.to), r.crossings) << r.road;
    }
}

TEST_F(MapTest, EscapeAndCloseBoxEnableTheForm) {
    form.ShowMap();
    PressEscape(programa.loadedMapa());
    EXPECT_FALSE(programa.loadedMapa()->isVisible());
    EXPECT_TRUE(form.isEnabled());

    form.ShowMap();
    programa.loadedMapa()->close();
    EXPECT_TRUE(form.isEnabled());
}

// --- Log window ------------------------------------------------------------------------

TEST_F(ShellTest, LogWindowOverTheFormAndItsClose) {
    programa.principal()->show();
    form.ShowLog();
    quillon::VentanaLog* log = programa.loadedVentanaLog();
    ASSERT_NE(log, nullptr);
    const QPoint formCentre = form.mapToGlobal(form.rect().center());
    // Centred up to the window frame, which the window's position includes.
    EXPECT_LE((log->geometry().center() - formCentre).manhattanLength(), 8);

    log->closeButton->click();
    EXPECT_FALSE(log->isVisible());
    EXPECT_TRUE(form.isEnabled());
    form.ShowLog();
    PressEscape(log);
    EXPECT_FALSE(log->isVisible());
    EXPECT_TRUE(form.isEnabled());
}

// The log is text: any part of it, across lines, is selected and copied
// (Ctrl+C); the find field selects the next or previous occurrence, going
// round the end, and says when there is none.
TEST_F(ShellTest, LogTextIsSelectableCopiedAndFound) {
    quillon::VentanaLog* log = programa.ventanalog();
    log->SetLines({"Método: REGIONAL", "Número de puntos utilizados: 178", "Fin: 178 puntos"});
    EXPECT_EQ(log->Lines().size(), 3);
    EXPECT_TRUE(log->logText->isReadOnly());
    QTextCursor cursor = log->logText->textCursor();
    cursor.setPosition(8);                           // after "Método: "
    cursor.setPosition(23, QTextCursor::KeepAnchor); // after "Número"
    log->logText->setTextCursor(cursor);
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(log->logText, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "REGIONAL\nNúmero");

    struct Step {
        const char* find;
        bool backward;
        bool found;
        int line; // of the selection
    };
    const std::vector<Step> steps = {
        {"178", false, true, 1}, {"178", false, true, 2},   {"178", false, true, 1}, // round
        {"178", true, true, 2},  {"Método", true, true, 0}, {"ausente", false, false, 0},
    };
    log->logText->moveCursor(QTextCursor::Start);
    for (const Step& step : steps) {
        log->findEdit->setText(QString::fromUtf8(step.find));
        const bool found = step.backward ? log->FindPrevious() : log->FindNext();
        EXPECT_EQ(found, step.found) << step.find;
        EXPECT_EQ(log->findStatusLabel->text(), step.found ? "" : "No encontrado") << step.find;
        if (step.found) {
            EXPECT_EQ(log->logText->textCursor().selectedText(), QString::fromUtf8(step.find));
            EXPECT_EQ(log->logText->textCursor().blockNumber(), step.line) << step.find;
        }
    }
}

// --- Help window -------------------------------------------------------------------------

// The help document of the build, or a three-page stand-in when it has not
// been made.
QString HelpDocument(const TempDir& folder) {
    const QString built = QStringLiteral(QUILLON_TEST_DATA_DIR "/ayudaQuillon.pdf");
    if (QFile::exists(built)) {
        return built;
    }
    const QString path = QString::fromStdString(folder.File("ayuda.pdf"));
    QPdfWriter writer(path);
    QPainter painter(&writer);
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) {
            writer.newPage();
        }
        painter.drawText(QPointF(500, 500), QStringLiteral("Página %1").arg(page));
    }
    return path;
}

class HelpTest : public ProgramTest {
protected:
    HelpTest() : ayuda(new quillon::Ayuda(programa, HelpDocument(folder))) {}
    ~HelpTest() override { delete ayuda.data(); }
    TempDir folder;
    QPointer<quillon::Ayuda> ayuda;
};

TEST_F(HelpTest, PageButtons) {
    const int pages = ayuda->document()->pageCount();
    ASSERT_GE(pages, 2);
    EXPECT_EQ(ayuda->pageButton(1)->text(), "&Salir");
    EXPECT_EQ(ayuda->pageButton(2)->text(), "&Inicio");
    EXPECT_EQ(ayuda->pageButton(3)->text(), "&Retroceder página");
    EXPECT_EQ(ayuda->pageButton(4)->text(), "&Avanzar página");
    EXPECT_EQ(ayuda->pageButton(5)->text(), "&Fin");
    ayuda->show();
    EXPECT_EQ(ayuda->currentPage(), 0);

    ayuda->pageButton(3)->click(); // nothing before the first page
    EXPECT_EQ(ayuda->currentPage(), 0);
    ayuda->pageButton(4)->click();
    EXPECT_EQ(ayuda->currentPage(), 1);
    ayuda->pageButton(5)->click();
    EXPECT_EQ(ayuda->currentPage(), pages - 1);
    ayuda->pageButton(4)->click(); // nothing after the last one
    EXPECT_EQ(ayuda->currentPage(), pages - 1);
    ayuda->pageButton(3)->click();
    EXPECT_EQ(ayuda->currentPage(), pages - 2);
    ayuda->pageButton(2)->click();
    EXPECT_EQ(ayuda->currentPage(), 0);
}

// The window is laid out: the pages take the room the window gains, and the
// buttons stay side by side below them.
TEST_F(HelpTest, PagesGrowWithTheWindowAndTheButtonsStayBelow) {
    ayuda->show();
    int previousWidth = 0;
    for (const QSize size : {QSize(808, 627), QSize(1200, 900)}) {
        ayuda->resize(size);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        EXPECT_GT(ayuda->pdfView->width(), previousWidth);
        previousWidth = ayuda->pdfView->width();
        for (int index = 1; index <= 5; ++index) {
            const QRect button = ayuda->pageButton(index)->geometry();
            EXPECT_GT(button.top(), ayuda->pdfView->mapTo(ayuda, QPoint(0, 0)).y() +
                                        ayuda->pdfView->height() - 1);
            EXPECT_LE(button.bottom(), size.height());
            if (index < 5) {
                EXPECT_LT(button.right(), ayuda->pageButton(index + 1)->geometry().left());
            }
        }
    }
}

// The contents list beside the pages holds the document's chapters; a click
// shows the page where the chapter's title stands.
TEST_F(HelpTest, ContentsEntriesOpenTheirChaptersPage) {
    const QAbstractItemModel* contents = ayuda->contentsView->model();
    ASSERT_GE(contents->rowCount(), 10);
    ayuda->show();
    for (int row = 0; row < contents->rowCount(); ++row) {
        const QModelIndex entry = contents->index(row, 0);
        const QString title = entry.data().toString();
        emit ayuda->contentsView->clicked(entry);
        const int page = ayuda->currentPage();
        EXPECT_TRUE(ayuda->document()->getAllText(page).text().simplified().contains(title))
            << title.toStdString() << " on page " << page + 1;
    }
    EXPECT_GT(ayuda->currentPage(), 0);
}

TEST_F(HelpTest, LeavingClosesTheWindowCompletely) {
    ayuda->show();
    PressEscape(ayuda);
    FlushDeletes();
    EXPECT_TRUE(ayuda.isNull());
}

TEST_F(ProgramTest, HelpIsLoadedAnewAfterItCloses) {
    form.helpButton->click();
    QPointer<quillon::Ayuda> first = programa.loadedAyuda();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first->windowTitle(), " Quillon - Ayuda");
    first->pageButton(1)->click();
    FlushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(programa.loadedAyuda(), nullptr);
    form.helpButton->click();
    EXPECT_NE(programa.loadedAyuda(), nullptr);
}

// --- About box -------------------------------------------------------------------------------

TEST_F(ProgramTest, AboutBoxShowsTheBuildVersionAndCredits) {
    form.aboutButton->click();
    QPointer<quillon::AcercaDe> about = programa.loadedAcercaDe();
    ASSERT_FALSE(about.isNull());
    EXPECT_EQ(about->windowTitle(), "Quillon - Acerca de...");
    EXPECT_EQ(about->versionLabel->text(), QStringLiteral("Versión " QUILLON_VERSION));
    EXPECT_EQ(about->authorsHeadingLabel->text(), "Realizado por:");
    const QString credits = about->creditsLabel->text();
    EXPECT_TRUE(credits.contains("sintético"));
    EXPECT_TRUE(credits.contains("176"));
    EXPECT_TRUE(credits.contains("CC-BY 4.0 www.ign.es"));
    EXPECT_TRUE(credits.contains("Natural Earth"));
    EXPECT_TRUE(credits.contains("Rejilla SPED2ETV2 y geoide EGM08-REDNAP: derivados de datos del "
                                 "IGN (www.ign.es), CC-BY 4.0"));

    PressEscape(about);
    FlushDeletes();
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(programa.principal()->isEnabled());
}

} // namespace
} // namespace quillon_test
