// The point list: reading point files and drawings, deleting points, and
// dropping files on the window, offscreen.
#include "dialogo_punto.h"
#include "huso.h"
#include "point_list_fixture.h"
#include "progreso.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace quillon_test {
namespace {

using quillon::MessageIcon;

void ExpectPointButtons(const quillon::Calculo& form, bool add, bool edit, bool remove,
                        bool removeAll) {
    // Their own state: the form may be disabled behind a dialog.
    EXPECT_EQ(form.addPointButton->isEnabledTo(&form), add);
    EXPECT_EQ(form.editPointButton->isEnabledTo(&form), edit);
    EXPECT_EQ(form.deletePointButton->isEnabledTo(&form), remove);
    EXPECT_EQ(form.deleteAllButton->isEnabledTo(&form), removeAll);
}

// --- Reading point files -------------------------------------------------------

TEST_F(PointListTest, UtmFileAddsItsPointsAfterTheHeader) {
    ReadUtm("puntos.txt", "P1,455000.5,4120000,10,30\r\n");

    EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30"}));
    EXPECT_EQ(form.pointCountLabel->text(), "1 puntos en total");
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 1);
    EXPECT_EQ(state.PointTable[0].c1, 455000.5);
    EXPECT_EQ(state.PointTable[0].zone, 30);
    EXPECT_EQ(state.inputFileName, QString::fromStdString(folder.File("puntos.txt")));
    ExpectPointButtons(form, true, true, true, true);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(presenter.pointModel()->headerData(1, Qt::Horizontal).toString(), "X UTM\n(m)");
}

TEST_F(PointListTest, ReadingDropsTheResultsOfTheLastRun) {
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    RunForResults();
    ReadUtm("dos.txt", "P2,455000.5,4120000,10,30\r\n");
    ExpectResultsCleared();
}

// Bad lines are refused on their own, each named by its line in the file and
// its identifier; the good lines around them are read.
TEST_F(PointListTest, BadLinesAreToldInOneMessageByLineAndIdentifier) {
    ReadUtm("primero.txt", "P1,455000.5,4120000,10,30\r\n");
    ReadUtm("segundo.txt", "P2,455000,4120000,10,28\r\n"
                           "P3,abc,4120000,x,31\r\n"
                           "\r\n"
                           "P4,456000,4121000,12,31\r\n"
                           "P5,455000,4120000,10\r\n"
                           "P6,456000,4121000,12,31,7\r\n"
                           "\"P7,456000\r\n");

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "6 filas leídas: 1 puntos añadidos y 5 rechazados.\r\r"
                                      "línea 2 (P2): el huso debe ser el 29, 30 ó 31 «28»\r"
                                      "línea 3 (P3): X no es un dato numérico «abc»\r"
                                      "línea 6 (P5): 4 datos; se esperan 5 (identificador, X, "
                                      "Y, H, huso)\r"
                                      "línea 7 (P6): 6 datos; se esperan 5 (identificador, X, "
                                      "Y, H, huso)\r"
                                      "línea 8 (): comillas sin cerrar");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30",
                                        "P4\t456000.000\t4121000.000\t12.000\t31"}));
    EXPECT_EQ(form.pointCountLabel->text(), "2 puntos en total");
}

// A file of many bad lines: one message with the counts and the first ten
// lines, every refused line under "Ver todas".
TEST_F(PointListTest, ThreeHundredBadLinesMakeOneMessage) {
    QByteArray bytes = "ID,X UTM,Y UTM,H,Huso\r\n";
    for (int i = 1; i <= 310; ++i) {
        const bool bad = i > 10;
        bytes += "V" + QByteArray::number(i) +
                 (bad ? ",455000,no,10,30\r\n" : ",455000,4120000,10,30\r\n");
    }
    int rowsBehindTheMessage = -1;
    messages.onDetailed = [&] { rowsBehindTheMessage = presenter.pointModel()->rowCount(); };
    Read(WriteFile("malas.txt", bytes), 2);
    EXPECT_EQ(rowsBehindTheMessage, 10); // the table shows the points read

    ASSERT_EQ(messages.shown.size(), 1u);
    const ShownMessage& shown = messages.shown[0];
    const QStringList lines = shown.text.split('\r');
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], "310 filas leídas: 10 puntos añadidos y 300 rechazados.");
    EXPECT_EQ(lines[2], "línea 12 (V11): Y no es un dato numérico «no»");
    EXPECT_EQ(lines[11], "línea 21 (V20): Y no es un dato numérico «no»");
    EXPECT_EQ(lines[12], "… y 290 más (Ver todas).");
    ASSERT_EQ(shown.all.size(), 300);
    EXPECT_EQ(shown.all.back(), "línea 311 (V310): Y no es un dato numérico «no»");
    EXPECT_EQ(programa.state().pointCount, 10);
}

// The lines are read as A's kind of coordinates asks, whatever filter the
// open dialog was left at or whether the file was dropped; a file of the
// other layout is refused once, saying what was expected.
TEST_F(PointListTest, TheLayoutFollowsTheKindOfA) {
    const QString utm = QString::fromUtf8(QUILLON_SOURCE_DATA_DIR "/muestra_lista_ed50_utm.txt");
    const QString noZone =
        WriteFile("geocentricas.txt", "ID,X,Y,Z\r\nG1,5000000,-300000,3800000\r\n");
    const struct {
        const char* kind; // the option clicked for A
        QString path;
        int filter; // 0: dropped
        int points;
        const char* message;
    } cases[] = {
        {"utm", utm, 1, 20, nullptr},
        {"utm", utm, 0, 20, nullptr},
        {"utm", noZone, 2, 0,
         "Las coordenadas de origen son UTM: se esperan 5 datos por línea (identificador, X, Y, "
         "H, huso),\ry las líneas del archivo tienen 4.\rNo se ha leído ningún punto."},
        {"geocentric", utm, 2, 0,
         "Las coordenadas de origen son geocéntricas: se esperan 4 datos por línea "
         "(identificador, X, Y, Z),\ry las líneas del archivo tienen 5.\rNo se ha leído ningún "
         "punto."},
        {"geocentric", noZone, 0, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.path.toStdString() + " " +
                     std::to_string(c.filter));
        form.deleteAllButton->click();
        messages.shown.clear();
        (std::string(c.kind) == "utm" ? form.sourceUtmOption : form.sourceGeocentricOption)
            ->click();
        messages.shown.clear();
        if (c.filter == 0) {
            presenter.OpenDroppedFile(c.path);
        } else {
            Read(c.path, c.filter);
        }
        EXPECT_EQ(programa.state().pointCount, c.points);
        if (c.message == nullptr) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
        }
    }
}

// A file without a header line keeps its first point.
// A GIS layer chosen with "Leer archivo" or dropped is transformed whole to
// the other datum of its system, into the file the save dialog proposes
// (<name>_ETRS89.<ext> or _ED50): the same file quillon-cli capa writes.
TEST_F(PointListTest, ALayerIsTransformedWholeToANewFile) {
    const struct {
        const char* crs;
        const char* coordinates;
        bool dropped;
        const char* proposal;
        const char* target;
    } cases[] = {
        {"23030", "[455000.0,4120000.0]", true, "hitos_ETRS89.geojson", "EPSG:25830"},
        {"4258", "[-4.05,37.45]", false, "hitos_ED50.geojson", "EPSG:4230"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.crs);
        messages.shown.clear();
        const QString input = WriteFile(
            "hitos.geojson",
            QByteArray("{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":"
                       "{\"name\":\"urn:ogc:def:crs:EPSG::") +
                c.crs +
                "\"}},\"features\":[{\"type\":\"Feature\",\"properties\":{\"id\":1},"
                "\"geometry\":{\"type\":\"Point\",\"coordinates\":" +
                c.coordinates + "}}]}");
        QDir(QString::fromStdString(folder.path().string())).mkpath("cli");
        const QString output = QString::fromStdString(folder.File("salida.geojson"));
        const QString cliOutput = QString::fromStdString(folder.File("cli/salida.geojson"));
        QFile::remove(output);
        QFile::remove(cliOutput);
        if (c.dropped) {
            files.answers.push_back({output, 1});
            presenter.OpenDroppedFile(input);
        } else {
            files.answers.push_back({input, 4});
            files.answers.push_back({output, 1});
            form.readFileButton->click();
        }
        ASSERT_FALSE(files.saved.empty());
        EXPECT_EQ(QFileInfo(files.saved.back().fileName).fileName(), c.proposal);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("Capa transformada de EPSG:") +
                                                      c.crs + " a " + c.target))
            << messages.shown[0].text.toStdString();
        EXPECT_EQ(programa.state().pointCount, 0); // the point list is not the layer's

        QProcess cli;
        cli.start(QUILLON_CLI_PATH,
                  {"capa", input, cliOutput, "--sistema-b", QString::fromLatin1(c.target)});
        ASSERT_TRUE(cli.waitForFinished(-1));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        QFile ours(output), theirs(cliOutput);
        ASSERT_TRUE(ours.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly));
        EXPECT_EQ(ours.readAll(), theirs.readAll());
    }
}

// The layer run shows the progress window; its Cancel stops the run, and no
// output is left.
TEST_F(PointListTest, CancelInTheProgressWindowStopsALayerRun) {
    const QString input =
        WriteFile("hitos.geojson",
                  "{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":"
                  "{\"name\":\"urn:ogc:def:crs:EPSG::23030\"}},\"features\":[{\"type\":"
                  "\"Feature\",\"properties\":{\"id\":1},\"geometry\":{\"type\":\"Point\","
                  "\"coordinates\":[455000.0,4120000.0]}}]}");
    const QString output = QString::fromStdString(folder.File("cancelada.geojson"));
    // Cancel pressed as soon as the progress window shows.
    struct CancelOnShow : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                ++shown;
                static_cast<quillon::Progreso*>(watched)->cancelButton->click();
            }
            return false;
        }
        int shown = 0;
    } cancel;
    programa.progreso()->installEventFilter(&cancel);
    files.answers.push_back({output, 1});
    presenter.OpenDroppedFile(input);
    programa.progreso()->removeEventFilter(&cancel);

    EXPECT_EQ(cancel.shown, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("La capa no se ha transformado"))
        << messages.shown[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(output));
}

TEST_F(PointListTest, AFileWithoutHeaderKeepsItsFirstPoint) {
    Read(WriteFile("sin_cabecera.txt", "P1,455000.5,4120000,10,30\r\nP2,455100,4120000,10,30\r\n"),
         2);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30",
                                        "P2\t455100.000\t4120000.000\t10.000\t30"}));
}

// With points listed, "Leer archivo" asks whether to add the file's points
// or replace the list; Esc leaves everything as it was. Undo brings the
// list back.
TEST_F(PointListTest, ReadingAsksToAddOrReplace) {
    const struct {
        int choice;
        QStringList rows;
    } cases[] = {
        {0, {"P1\t455000.500\t4120000.000\t10.000\t30", "A1\t455200.000\t4120000.000\t10.000\t30"}},
        {1, {"A1\t455200.000\t4120000.000\t10.000\t30"}},
        {-1, {"P1\t455000.500\t4120000.000\t10.000\t30"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.choice);
        form.deleteAllButton->click();
        ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
        messages.chosen.clear();
        messages.choices = {c.choice};
        ReadUtm("otro.txt", "A1,455200,4120000,10,30\r\n");
        ASSERT_EQ(messages.chosen.size(), 1u);
        EXPECT_EQ(messages.chosen[0].text, "La lista ya tiene 1 puntos.\r¿Añadir los del archivo "
                                           "a la lista o sustituirla por ellos?");
        EXPECT_EQ(messages.chosen[0].all, QStringList({"Añadir", "Sustituir"}));
        EXPECT_EQ(PointRows(), c.rows);
        if (c.choice >= 0) {
            presenter.undoStack()->undo();
            EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30"}));
        }
    }
}

TEST_F(PointListTest, Utf8AndWindows1252FilesReadTheSameText) {
    ReadUtm("utf8.txt", "\xC3\x81lamo,455000,4120000,10,30\r\n");
    ReadUtm("ansi.txt", "\xC1lamo \x80,455000,4120000,10,30\r\n");
    ASSERT_EQ(programa.state().pointCount, 2);
    EXPECT_EQ(programa.state().PointTable[0].id, "Álamo");
    EXPECT_EQ(programa.state().PointTable[1].id, "Álamo €");
}

// Files whose items are separated by TAB or ';' carry decimal commas; the
// comma-separated layout keeps the decimal point.
TEST_F(PointListTest, DecimalCommasInTabAndSemicolonFiles) {
    Read(WriteFile("tab.txt", "ID\tX\tY\tH\tHuso\r\nP1\t343622,117\t4194099,358\t120,5\t30\r\n"),
         2);
    Read(WriteFile("puntoycoma.txt",
                   "ID;X;Y;H;Huso\nP2; 343622,117 ;4194099.358;-0,25;29\nP3;1;2;3;31\n"),
         2);
    Read(WriteFile("comas.txt", "ID,X,Y,H,Huso\r\nP4,343622.117,4194099.358,120,30\r\n"), 2);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 4);
    EXPECT_EQ(state.PointTable[0].c1, 343622.117);
    EXPECT_EQ(state.PointTable[0].c2, 4194099.358);
    EXPECT_EQ(state.PointTable[0].c3, 120.5);
    EXPECT_EQ(state.PointTable[1].c1, 343622.117);
    EXPECT_EQ(state.PointTable[1].c3, -0.25);
    EXPECT_EQ(state.PointTable[1].zone, 29);
    EXPECT_EQ(state.PointTable[2].zone, 31);
    EXPECT_EQ(state.PointTable[3].c1, 343622.117);
}

TEST_F(PointListTest, ImpossibleSexagesimalAnglesInAFileAreRefused) {
    form.sourceGeodeticOption->click();
    Read(WriteFile("geo.txt", "ID,Lat,Long,h\r\n"
                              "bien,37.4557947,-4.0512,500\r\n"
                              "minutos,37.6500000,-4.0512,500\r\n"
                              "segundos,37.4575000,-4.0512,500\r\n"
                              "longitud,37.4557947,-4.0575,500\r\n"
                              "polo,91.0000000,-4.0512,500\r\n"),
         1);
    EXPECT_EQ(programa.state().pointCount, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "5 filas leídas: 1 puntos añadidos y 4 rechazados.\r\r"
              "línea 3 (minutos): Latitud: los minutos han de ser menores que 60 «37.6500000»\r"
              "línea 4 (segundos): Latitud: los segundos han de ser menores que 60 «37.4575000»\r"
              "línea 5 (longitud): Longitud: los segundos han de ser menores que 60 «-4.0575»\r"
              "línea 6 (polo): Latitud fuera de ±90° «91.0000000»");
}

TEST_F(PointListTest, UnreadableFileIsNamed) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    const QString missing = QString::fromStdString(folder.File("no_existe.txt"));
    Read(missing, 2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("No se puede leer el archivo:\r" + missing));
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    // A folder cannot be read either; the points stay.
    Read(QString::fromStdString(folder.path().string()), 2);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].text.startsWith("No se puede leer el archivo:\r"));
    EXPECT_EQ(programa.state().pointCount, 1);
    EXPECT_EQ(form.pointCountLabel->text(), "1 puntos en total");
}

// No 10000-point ceiling: a file of 25000 points read after 9998 listed ones
// comes into the table as rows inserted through the model, never a reset;
// deleting them all removes the rows.
TEST_F(PointListTest, ManyPointsComeAndGoAsRowsOfTheModel) {
    quillon::ProgramState& state = programa.state();
    for (int i = 0; i < 9997; ++i) {
        state.PointTable[i] = {QStringLiteral("P"), 455000, 4120000, 10, 30};
    }
    state.pointCount = 9997;
    presenter.AddPoint({QStringLiteral("P"), 455000, 4120000, 10, 30});
    const QAbstractItemModel* model = presenter.pointModel();
    ASSERT_EQ(model->rowCount(), 9998);

    // The rows each insertion and removal announced, and the resets.
    std::vector<std::pair<int, int>> inserted;
    std::vector<std::pair<int, int>> removed;
    int resets = 0;
    QObject::connect(
        model, &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); });
    QObject::connect(
        model, &QAbstractItemModel::rowsRemoved,
        [&](const QModelIndex&, int first, int last) { removed.emplace_back(first, last); });
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QByteArray bytes;
    for (int i = 1; i <= 25000; ++i) {
        bytes += "N" + QByteArray::number(i) + "," + QByteArray::number(400000 + i) +
                 ",4120000.125,10,30\r\n";
    }
    Read(WriteFile("grande.txt", bytes), 2);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(state.pointCount, 34998);
    EXPECT_EQ(model->rowCount(), 34998);
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{9998, 34997}}));
    EXPECT_EQ(model->index(34997, 0).data().toString(), "N25000");
    EXPECT_EQ(model->index(34997, 1).data().toString(), "425000.000");
    EXPECT_EQ(form.pointCountLabel->text(), "34998 puntos en total");

    form.deleteAllButton->click();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(removed, (std::vector<std::pair<int, int>>{{0, 34997}}));
    EXPECT_EQ(resets, 0);
}

// --- Drawings ----------------------------------------------------------------------

TEST_F(PointListTest, DrawingWithUtmSourceAsksForItsZoneBeforeReplacingThePoints) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    EXPECT_TRUE(programa.huso()->isVisible());
    EXPECT_FALSE(form.isEnabled());
    EXPECT_EQ(programa.state().pointCount, 1); // nothing replaced yet

    programa.huso()->zoneEdit->setText("29");
    programa.huso()->acceptButton->click();
    EXPECT_EQ(form.drawingLabel->text(), "Se ha abierto el archivo:\nplano.dxf\n(Huso 29)");
    EXPECT_EQ(form.pointsStack->currentWidget(), form.drawingLabel);
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_TRUE(programa.state().drawingMode);
    EXPECT_EQ(form.pointCountLabel->text(), " ");
    ExpectPointButtons(form, false, false, false, true);
    EXPECT_TRUE(form.zone29Check->isChecked()); // the drawing's zone for a UTM output
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(PointListTest, CancelledZoneKeepsThePointsAsTheyWere) {
    ReadUtm("dos.txt", "P1,455000.5,4120000,10,30\r\nP2,455100,4120000,10,30\r\n");
    const QStringList before = PointRows();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    programa.huso()->cancelButton->click();
    EXPECT_EQ(PointRows(), before);
    EXPECT_EQ(programa.state().pointCount, 2);
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_FALSE(form.zone30Check->isChecked());
    EXPECT_TRUE(form.isEnabled());
    ExpectPointButtons(form, true, true, true, true);
}

// The zone ticked for a drawing goes with the drawing: zone-29 points read
// afterwards come out in their own zone, not in the drawing's.
TEST_F(PointListTest, TheDrawingsZoneTickGoesWithTheDrawing) {
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    programa.huso()->zoneEdit->setText("30");
    programa.huso()->acceptButton->click();
    ASSERT_TRUE(form.zone30Check->isChecked());
    ReadUtm("huso29.txt", "P1,655000.5,4120000,10,29\r\n");
    EXPECT_FALSE(form.zone30Check->isChecked());
    EXPECT_EQ(presenter.choices().outputZone, 0);

    // A zone the user ticks stays with everything.
    form.zone31Check->click();
    Read(WriteFile("otro.dxf", "0\r\nEOF\r\n"), 3);
    programa.huso()->zoneEdit->setText("30");
    programa.huso()->acceptButton->click();
    messages.answers.push_back(true);
    form.deleteAllButton->click();
    EXPECT_TRUE(form.zone31Check->isChecked());
}

TEST_F(PointListTest, PointFileReplacesADrawing) {
    form.sourceGeodeticOption->click();
    form.targetGeocentricOption->click();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    EXPECT_FALSE(programa.huso()->isVisible()); // no zone asked, none ticked
    EXPECT_FALSE(form.zone30Check->isChecked());
    EXPECT_TRUE(programa.state().drawingMode);

    Read(WriteFile("geo.txt", "ID,Lat,Long,h\r\nV1,37.4557947,-4.0512,500\r\n"), 1);
    EXPECT_EQ(PointRows(), QStringList({"V1\t37.455794700\t-4.051200000\t500.000"}));
    EXPECT_FALSE(programa.state().drawingMode);
    ExpectPointButtons(form, true, true, true, true);
}

TEST_F(PointListTest, UnreadablePointFileKeepsTheDrawing) {
    form.sourceGeodeticOption->click();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    Read(QString::fromStdString(folder.File("no_existe.txt")), 1);
    EXPECT_TRUE(programa.state().drawingMode);
    EXPECT_EQ(form.pointsStack->currentWidget(), form.drawingLabel);
}

TEST_F(PointListTest, EmptyPointFileAfterADrawingLeavesAWorkingEmptyList) {
    form.sourceGeodeticOption->click();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    Read(WriteFile("vacio.txt", "ID,Lat,Long,h\r\n"), 1);
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    EXPECT_FALSE(programa.state().drawingMode);
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");
    ExpectPointButtons(form, true, false, false, false);
}

// --- Deleting ------------------------------------------------------------------------

TEST_F(PointListTest, DeletingTheLastOfThreeSelectsTheNewLastLine) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    form.pointTable->selectRow(2);
    form.deletePointButton->click();
    EXPECT_EQ(PointRows(),
              QStringList({"P1\t1.000\t2.000\t3.000\t29", "P2\t4.000\t5.000\t6.000\t30"}));
    EXPECT_EQ(form.pointTable->SelectedRows(), QList<int>({1}));
    EXPECT_EQ(form.pointCountLabel->text(), "2 puntos en total");
}

TEST_F(PointListTest, DeletingInTheMiddleKeepsEachZoneWithItsPoint) {
    ReadUtm("tres.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\n");
    form.pointTable->selectRow(1);
    form.deletePointButton->click();
    const quillon::ProgramState& state = programa.state();
    ASSERT_EQ(state.pointCount, 2);
    EXPECT_EQ(state.PointTable[0].zone, 29);
    EXPECT_EQ(state.PointTable[1].id, "P3");
    EXPECT_EQ(state.PointTable[1].c3, 9.0);
    EXPECT_EQ(state.PointTable[1].zone, 31);
    EXPECT_EQ(PointRows(),
              QStringList({"P1\t1.000\t2.000\t3.000\t29", "P3\t7.000\t8.000\t9.000\t31"}));
    EXPECT_EQ(form.pointTable->SelectedRows(), QList<int>({1}));
}

TEST_F(PointListTest, DeletingSeveralSelectedPoints) {
    ReadUtm("cuatro.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\nP3,7,8,9,31\r\nP4,1,1,1,30\r\n");
    form.pointTable->selectRow(0);
    form.pointTable->selectionModel()->select(presenter.pointModel()->index(2, 1),
                                              QItemSelectionModel::Select);
    form.deletePointButton->click();
    EXPECT_EQ(PointRows(),
              QStringList({"P2\t4.000\t5.000\t6.000\t30", "P4\t1.000\t1.000\t1.000\t30"}));
}

TEST_F(PointListTest, DeletingTheOnlyPointLeavesNoSelectionAndDisablesTheButtons) {
    ReadUtm("uno.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    RunForResults();
    form.pointTable->selectRow(0);
    form.deletePointButton->click();
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    EXPECT_TRUE(form.pointTable->SelectedRows().isEmpty());
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");
    ExpectPointButtons(form, true, false, false, false);
    ExpectResultsCleared();
}

TEST_F(PointListTest, DeletingOrEditingWithoutASelectionAsksForOne) {
    ReadUtm("dos.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\n");
    form.pointTable->clearSelection();
    form.deletePointButton->click();
    form.editPointButton->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const ShownMessage& shown : messages.shown) {
        EXPECT_EQ(shown.text, "Debe seleccionar al menos un punto de la lista");
        EXPECT_EQ(shown.title, "Error");
    }
    EXPECT_EQ(programa.state().pointCount, 2);
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(PointListTest, DeleteAllAsksFirst) {
    ReadUtm("dos.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\n");
    messages.answers.push_back(false);
    form.deleteAllButton->click();
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0].text, "¿Desea eliminar los 2 puntos de la lista?");
    EXPECT_EQ(programa.state().pointCount, 2);

    form.deleteAllButton->click(); // answered yes
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    EXPECT_EQ(programa.state().pointCount, 0);
    EXPECT_EQ(form.pointCountLabel->text(), "0 puntos en total");

    form.sourceGeocentricOption->click();
    Read(WriteFile("plano.dxf", "0\r\nEOF\r\n"), 3);
    form.deleteAllButton->click();
    ASSERT_EQ(messages.asked.size(), 3u);
    EXPECT_EQ(messages.asked[2].text, "¿Desea quitar el dibujo plano.dxf de la lista?");
    EXPECT_FALSE(programa.state().drawingMode);
    ExpectPointButtons(form, true, false, false, false); // points can be added again
}

// Every change of the points is one step of the undo stack: undone, the
// list is as it was before; redone, as it was after.
TEST_F(PointListTest, EveryChangeOfThePointsIsUndoneAndRedone) {
    ReadUtm("dos.txt", "P1,1,2,3,29\r\nP2,4,5,6,30\r\n");
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const std::vector<Case> cases = {
        {"button delete",
         [&] {
             form.pointTable->selectRow(0);
             form.deletePointButton->click();
         }},
        {"Delete key",
         [&] {
             form.pointTable->selectRow(0);
             PressKey(form.pointTable, Qt::Key_Delete);
         }},
        {"add",
         [&] {
             presenter.AddPoint({QStringLiteral("P3"), 7, 8, 9, 31});
         }},
        {"edit",
         [&] {
             presenter.ReplacePoint(0, {QStringLiteral("Q1"), 1, 2, 3.5, 29});
         }},
        {"delete all", [&] { form.deleteAllButton->click(); }},
        {"read", [&] { ReadUtm("otro.txt", "P9,9,9,9,30\r\n"); }},
    };
    for (const Case& c : cases) {
        const QStringList before = PointRows();
        c.change();
        const QStringList after = PointRows();
        ASSERT_NE(after, before) << c.name;
        ASSERT_TRUE(form.undoAction->isEnabled()) << c.name;
        form.undoAction->trigger();
        EXPECT_EQ(PointRows(), before) << c.name;
        EXPECT_EQ(form.pointCountLabel->text(),
                  QStringLiteral("%1 puntos en total").arg(before.size()))
            << c.name;
        form.redoAction->trigger();
        EXPECT_EQ(PointRows(), after) << c.name;
    }
}

// A list of more rows than the table starts with, read from a file: "N1"
// at x 400001, "N2" at 400002, and so on.
QByteArray NumberedPoints(int first, int count) {
    QByteArray bytes = "ID,X,Y,H,Huso\r\n";
    for (int i = first; i < first + count; ++i) {
        bytes += "N" + QByteArray::number(i) + "," + QByteArray::number(400000 + i) +
                 ",4120000.125,10,30\r\n";
    }
    return bytes;
}

// The rows of NumberedPoints as the point table shows them.
QStringList NumberedRows(int first, int count) {
    QStringList rows;
    for (int i = first; i < first + count; ++i) {
        rows << QStringLiteral("N%1\t%2.000\t4120000.125\t10.000\t30").arg(i).arg(400000 + i);
    }
    return rows;
}

// Reads and deletes on lists longer than the table's first size take and
// bring rows, never whole copies: undone and redone, they give back exactly
// the rows of the list before and after them.
TEST_F(PointListTest, UndoAndRedoOfReadsAndDeletesGiveBackTheRows) {
    Read(WriteFile("base.txt", NumberedPoints(1, 12000)), 2);
    ASSERT_EQ(PointRows(), NumberedRows(1, 12000));
    const auto without = [](QStringList rows, std::vector<int> gone) {
        std::sort(gone.rbegin(), gone.rend());
        for (const int row : gone) {
            rows.removeAt(row);
        }
        return rows;
    };
    struct Case {
        const char* name;
        std::function<void()> change;
        QStringList after;
    };
    const QStringList base = NumberedRows(1, 12000);
    const std::vector<Case> cases = {
        {"read, added",
         [&] {
             messages.choices = {0};
             Read(WriteFile("mas.txt", NumberedPoints(20001, 3)), 2);
         },
         base + NumberedRows(20001, 3)},
        {"read, replacing",
         [&] {
             messages.choices = {1};
             Read(WriteFile("otra.txt", NumberedPoints(30001, 11000)), 2);
         },
         NumberedRows(30001, 11000)},
        {"delete of scattered rows",
         [&] {
             presenter.DeletePoints({11999, 0, 5, 6, 7, 500});
         },
         without(base, {0, 5, 6, 7, 500, 11999})},
        {"delete of every row",
         [&] {
             QList<int> all;
             for (int row = 0; row < 12000; ++row) {
                 all << row;
             }
             presenter.DeletePoints(all);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(PointRows(), c.after);
        form.undoAction->trigger();
        EXPECT_EQ(PointRows(), base);
        EXPECT_EQ(programa.state().pointCount, 12000);
        form.redoAction->trigger();
        EXPECT_EQ(PointRows(), c.after);
        form.undoAction->trigger();
        ASSERT_EQ(PointRows(), base);
    }
}

// Cancel in the progress window of a large file's reading (pressed as soon
// as the window opens) leaves the list as it was, whether the file was to be
// added or to replace it: no rows, no undo step, no message.
TEST_F(PointListTest, ACancelledReadLeavesTheListAsItWas) {
    ReadUtm("uno.txt", "P1,455000.5,4120000,10,30\r\n");
    const QStringList before = PointRows();
    const int steps = presenter.undoStack()->count();
    DzvProgressCallbacks callbacks{};
    callbacks.context = programa.progreso();
    callbacks.open = [](void* window, const char* caption, std::uint64_t size) {
        auto* progreso = static_cast<quillon::Progreso*>(window);
        progreso->Open(QString::fromUtf8(caption), size);
        progreso->cancelButton->click();
    };
    callbacks.step = [](void* window, std::uint64_t position) {
        static_cast<quillon::Progreso*>(window)->Step(position);
    };
    callbacks.close = [](void* window) { static_cast<quillon::Progreso*>(window)->Close(); };
    presenter.SetProgress(callbacks);
    // More than a mebibyte: the reading shows its progress.
    const QString large = WriteFile("grande.txt", NumberedPoints(1, 40000));
    ASSERT_GT(QFileInfo(large).size(), 1024 * 1024);
    for (const int choice : {0, 1}) {
        SCOPED_TRACE(choice);
        messages.choices = {choice};
        messages.shown.clear();
        Read(large, 2);
        EXPECT_EQ(PointRows(), before);
        EXPECT_EQ(presenter.undoStack()->count(), steps);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_FALSE(programa.progreso()->isVisible());
    }
    // Without Cancel the same file is read whole.
    presenter.SetProgress(programa.progreso()->Callbacks());
    messages.choices = {1};
    Read(large, 2);
    EXPECT_EQ(PointRows(), NumberedRows(1, 40000));
}

// A million points read, their reading undone and redone, all of them
// deleted and brought back, and transformed, within 300 MiB for the whole
// program: no step copies the list. Only in an optimised build without
// sanitizers, whose memory is the program's own. The times are printed.
TEST_F(PointListTest, AMillionPointsAndTheirUndoStayWithinMemory) {
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "memory is measured in an optimised build without sanitizers";
#else
    constexpr int kPoints = 1000000;
    const QString path = QString::fromStdString(folder.File("millon.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray bytes = "ID,X,Y,H,Huso\r\n";
        for (int i = 1; i <= kPoints; ++i) {
            bytes += "P" + QByteArray::number(i) + "," + QByteArray::number(150000 + i % 400000) +
                     ".125,4100000.5,10,30\r\n";
            if (bytes.size() > (1 << 20)) {
                file.write(bytes);
                bytes.clear();
            }
        }
        file.write(bytes);
    }
    QElapsedTimer timer;
    timer.start();
    Read(path, 2);
    const qint64 read = timer.elapsed();
    ASSERT_EQ(presenter.pointModel()->rowCount(), kPoints);
    form.undoAction->trigger();
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    form.redoAction->trigger();
    ASSERT_EQ(presenter.pointModel()->rowCount(), kPoints);
    messages.asked.clear();
    form.deleteAllButton->click();
    EXPECT_EQ(presenter.pointModel()->rowCount(), 0);
    form.undoAction->trigger();
    EXPECT_EQ(presenter.pointModel()->rowCount(), kPoints);
    EXPECT_EQ(presenter.pointModel()->index(kPoints - 1, 0).data().toString(), "P1000000");
    // ED50 to ETRS89 with the national set.
    form.targetDatumCombo->setCurrentIndex(1);
    form.nationalOption->click();
    messages.shown.clear();
    timer.restart();
    form.transformButton->click();
    const qint64 run = timer.elapsed();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    ASSERT_EQ(presenter.resultModel()->rowCount(), kPoints);
    EXPECT_EQ(presenter.resultModel()->index(kPoints - 1, 0).data().toString(), "P1000000");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::printf("[ figure ] 1000000 points: read %lld ms, TRANSFORMAR %lld ms, peak %.0f MiB\n",
                static_cast<long long>(read), static_cast<long long>(run), peak);
    EXPECT_LT(peak, 300.0) << "peak MiB";
#endif
}

// --- Drag and drop ---------------------------------------------------------------------

class DropTest : public PointListTest {
protected:
    // Drops `path` on the form; whether the form took the drag.
    bool Drop(const QString& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &drop);
        return true;
    }
};

TEST_F(DropTest, PointFileOrDrawingDroppedOnTheWindow) {
    EXPECT_TRUE(Drop(WriteFile("puntos.txt", "ID,X,Y,H,Huso\r\nP1,455000.5,4120000,10,30\r\n")));
    EXPECT_EQ(PointRows(), QStringList({"P1\t455000.500\t4120000.000\t10.000\t30"}));

    EXPECT_TRUE(Drop(WriteFile("PLANO.DXF", "0\r\nEOF\r\n")));
    ASSERT_TRUE(programa.huso()->isVisible()); // a UTM drawing needs its zone
    programa.huso()->acceptButton->click();    // empty: zone 30
    EXPECT_TRUE(programa.state().drawingMode);
    EXPECT_EQ(form.drawingLabel->text(), "Se ha abierto el archivo:\nPLANO.DXF\n(Huso 30)");

    EXPECT_FALSE(Drop(QString::fromStdString(folder.path().string()))); // a folder
}

} // namespace
} // namespace quillon_test
