// The transformation run, end to end on the real form with the real engine,
// offscreen.
#include "dialogo_anadir_punto.h"
#include "huso.h"
#include "mapa.h"
#include "mapa_vista.h"
#include "run_fixture.h"
#include "transformacion.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon_test {
namespace {

using quillon::MessageIcon;

QString C(double v) {
    return quillon::DecimalText(v, QLocale::c());
}

TEST_F(RunTest, PublishedVerticesAgreeWithTheCommandLine) {
    Datums(0, 1);
    PublishedVertices();
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    const QStringList results = ResultRows();
    ASSERT_EQ(results.size(), 4);
    // quillon-cli punto, the engine's own numbers, to the last printed digit.
    QProcess cli;
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {"punto", "--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30", "--datum-b",
               "ETRS89", "--tipo-b", "utm", "298569.727,4295339.009,520.6",
               "179274.028,4172646.558,250.2", "212903.466,4040539.144,43.12",
               "281035.667,3998752.728,30.7"});
    ASSERT_TRUE(cli.waitForFinished(-1)); // no time limit
    const QStringList printed = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    const QStringList names = {"SERVILLETA", "CABEZAS 1", "SAN FERNANDO", "SAN GARCÍA"};
    for (int i = 0; i < 4; ++i) {
        const QStringList f = printed[i].split('\t');
        // Metres to the millimetre, as the table shows them.
        const auto mm = [&f](int k) { return QString::number(f[k].toDouble(), 'f', 3); };
        EXPECT_EQ(results[i], names[i] + "\t" + mm(0) + "\t" + mm(1) + "\t" + mm(2) + "\t" +
                                  C(f[3].toDouble()) + "\t1.900"); // the national set's uncertainty
    }
    EXPECT_EQ(results[0], "SERVILLETA\t298459.538\t4295133.070\t520.600\t30\t1.900");
    EXPECT_TRUE(form.saveButton->isEnabled());
    EXPECT_TRUE(form.saveAsButton->isEnabled());
    EXPECT_TRUE(form.mapButton->isEnabled());
    EXPECT_TRUE(form.logButton->isEnabled());
    // The log: no temporary paths, the date as fourth line and an empty fifth.
    const QStringList log = LogLines();
    ASSERT_GT(log.size(), 20);
    EXPECT_EQ(log[0], "QUILLON. ARCHIVO LOG DE EJECUCIONES.");
    EXPECT_TRUE(log[3].startsWith("Conversión realizada el día "));
    EXPECT_EQ(log[4], "");
    EXPECT_EQ(log[8], "Datum de entrada......: ED 1950");
    EXPECT_EQ(log[12], "Datum de salida.......: ETRS 1989");
    for (const QString& line : log) {
        EXPECT_FALSE(line.contains("Archivo de")) << line.toStdString();
        EXPECT_FALSE(line.contains(programa.TempFolder())) << line.toStdString();
    }
    // Nothing of the run is left in the temporary folder.
    EXPECT_TRUE(QDir(programa.TempFolder()).isEmpty());
}

// The count label says how many vertices the estimation used, as its log
// reports them: the regional set screens out the catalogue's two blunders.
TEST_F(RunTest, GeodeticPointsRegionalToGeocentricCountsTheVerticesUsed) {
    Datums(0, 1);
    form.sourceGeodeticOption->click();
    form.targetGeocentricOption->click();
    form.regionalOption->click();
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    Add(QStringLiteral("P1"), 37.4557947, -4.0512, 500.0);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    const QStringList results = ResultRows();
    ASSERT_EQ(results.size(), 1);
    const QStringList f = results[0].split('\t');
    ASSERT_EQ(f.size(), 5);
    EXPECT_EQ(f[0], "P1");
    // The regional fit's 95 % radius: about the regional set's error over the
    // catalogue (p95 1.37 m against the IGN grid).
    EXPECT_GT(f[4].toDouble(), 0.5);
    EXPECT_LT(f[4].toDouble(), 2.0);
    EXPECT_NEAR(f[1].toDouble(), 5032000, 5000);
    EXPECT_TRUE(LogLines().contains("Número de puntos utilizados: 178"));
    EXPECT_EQ(form.verticesLabel->text(), "178 vértices empleados");
    EXPECT_TRUE(
        LogLines().contains("Tipo de transformación: USAR PARÁMETROS VÁLIDOS PARA ANDALUCÍA"));
}

// The official IGN grid with orthometric heights: no vertices searched, the
// same point as quillon-cli gives, and the label and the map say which
// method it was.
TEST_F(RunTest, TheOfficialGridWithOrthometricHeightsAgreesWithTheCommandLine) {
    Datums(0, 1);
    form.gridOption->click();
    const QString caption = "Rejilla oficial del IGN (SPED2ETV2): ningún vértice empleado";
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    EXPECT_FALSE(form.modelGroup->isEnabledTo(&form));
    form.orthometricCheck->click();
    form.targetGeodeticOption->click();
    Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    ASSERT_EQ(transf.processes.size(), 1u);
    EXPECT_EQ(transf.processes[0].arguments.parametros, 4);
    EXPECT_EQ(transf.processes[0].arguments.alturasOrtometricas, 1);
    EXPECT_EQ(transf.incertidumbre, 1); // the results' uncertainty column
    EXPECT_TRUE(transf.searches.empty());

    QProcess cli;
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {"punto", "--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30", "--datum-b",
               "ETRS89", "--tipo-b", "geodesicas", "--parametros", "rejilla", "--geoide",
               "298569.727,4295339.009,520.6"});
    ASSERT_TRUE(cli.waitForFinished(-1)); // no time limit
    const QStringList f = QString::fromUtf8(cli.readAllStandardOutput()).trimmed().split('\t');
    ASSERT_EQ(f.size(), 3);
    const quillon::PointRecord& r = programa.state().ResultTable[0];
    EXPECT_EQ(r.c1, std::floor(quillon::DegreesToPacked(f[1].toDouble()) * 1e8) / 1e8);
    EXPECT_EQ(r.c2, std::floor(quillon::DegreesToPacked(f[0].toDouble()) * 1e8) / 1e8);
    EXPECT_EQ(r.c3, std::floor(f[2].toDouble() * 1000) / 1000); // h = H + N, 574.539
    EXPECT_NEAR(r.c3, 574.54, 0.01);

    EXPECT_TRUE(
        LogLines().contains("Elección de parámetros: USAR REJILLA OFICIAL DEL IGN (SPED2ETV2)"));
    EXPECT_TRUE(LogLines().contains("Alturas...............: ORTOMÉTRICAS"));
    EXPECT_EQ(form.verticesLabel->text(), caption);
    form.mapButton->click();
    EXPECT_EQ(programa.mapa()->methodNoteLabel->text(),
              "Rejilla oficial del IGN (SPED2ETV2): no se emplean vértices");
    programa.mapa()->closeButton->click();

    // The national set again: the map says nothing of a grid.
    form.nationalOption->click();
    Run();
    form.mapButton->click();
    EXPECT_EQ(programa.mapa()->methodNoteLabel->text(), "");
}

TEST_F(RunTest, GeodeticResultsCarryHeightsAndAreRoundedDown) {
    Datums(1, 0); // ETRS89 -> ED50
    form.sourceGeodeticOption->click();
    form.targetGeodeticOption->click();
    Add(QStringLiteral("A"), 37.4557947, -4.0512, 812.5);
    Run();
    const QStringList f = ResultRows().value(0).split('\t');
    ASSERT_EQ(f.size(), 5);
    const quillon::PointRecord& r = programa.state().ResultTable[0];
    // Packed angles kept to 8 decimals, rounded down; h to the millimetre.
    EXPECT_EQ(r.c1, std::floor(r.c1 * 1e8) / 1e8);
    // Shown as kept: a packed angle of 8 decimals is whole at 9.
    EXPECT_EQ(f[1], QString::number(r.c1, 'f', 9));
    EXPECT_NEAR(r.c3, 812.5 - 80, 5); // ED50 heights lie some 80 m below ETRS89 ones here
    EXPECT_NE(r.c3, 0.0);
}

TEST_F(RunTest, LocalRunFromGeocentricPoints) {
    Datums(0, 1);
    form.sourceGeocentricOption->click();
    form.targetGeocentricOption->click();
    form.localOption->click();
    form.nearestCombo->setCurrentIndex(3); // 5 nearest
    Add(QStringLiteral("G1"), 5047344.4296, -428168.4639, 3865411.0328);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    EXPECT_EQ(ResultRows().size(), 1);
    EXPECT_EQ(form.verticesLabel->text(), "5 vértices empleados");
    EXPECT_TRUE(LogLines().contains("Número de puntos......: 5"));
}

TEST_F(RunTest, PointsOutsideAreMarkedAndResultsKeepTheirNames) {
    Datums(0, 1);
    Add(QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30);
    Add(QStringLiteral("fuera"), 200000, 4100000, 2, 31); // zone 31 ends at x 96166.156
    Add(QStringLiteral("tres"), 281035.667, 3998752.728, 3, 30);
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No se han transformado 1 puntos (marcados con #).\rSe "
                                      "encuentran fuera de la región de cálculo del programa");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    // The marked point keeps all of its values, its zone too.
    EXPECT_EQ(PointRows()[1], "#fuera\t200000.000\t4100000.000\t2.000\t31");
    EXPECT_TRUE(presenter.pointModel()->IsOutside(1));
    EXPECT_FALSE(presenter.pointModel()->IsOutside(0));
    const QStringList results = ResultRows();
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].startsWith("uno\t298459.538\t"));
    EXPECT_TRUE(results[1].startsWith("tres\t280923.327\t"));
}

// "#" marks belong to the run that set them: once the point is mended, the
// mark goes, and the next run transforms the point with its zone.
TEST_F(RunTest, MarksGoWithTheirRun) {
    Datums(0, 1);
    Add(QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30);
    Add(QStringLiteral("fuera"), 200000, 4100000, 2, 31);
    Run();
    ASSERT_TRUE(presenter.pointModel()->IsOutside(1));
    presenter.ReplacePoint(1, {QStringLiteral("fuera"), 281035.667, 3998752.728, 2, 30});
    EXPECT_FALSE(presenter.pointModel()->IsOutside(1));
    EXPECT_EQ(PointRows()[1], "fuera\t281035.667\t3998752.728\t2.000\t30");
    messages.shown.clear();
    Run();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ResultRows().size(), 2);
    EXPECT_EQ(programa.state().ResultTable[1].zone, 30);
}

// The engine leaves the lines it refuses out of its result file: results go
// to their points by number, the refused point is marked with the engine's
// reason, and the message gives the log's count of refused lines.
TEST_F(RunTest, APointTheEngineRefusesIsMarkedAndNoOtherPointTakesItsResult) {
    Datums(0, 1);
    Add(QStringLiteral("fuera"), 200000, 4100000, 0, 31); // not sent: numbers have a gap
    Add(QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30);
    Add(QStringLiteral("alto"), 281035.667, 3998752.728, 2e8, 30); // a height beyond any file
    Add(QStringLiteral("tres"), 281035.667, 3998752.728, 3, 30);
    Run();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "El cálculo ha rechazado 1 puntos (marcados con !): no se han transformado.\r"
              "Líneas rechazadas.....: 1\rEl motivo figura en los metadatos («Ver Metadatos»).");
    EXPECT_EQ(messages.shown[1].title, "Aviso");
    EXPECT_EQ(ResultRows(), (QStringList{"uno\t298459.538\t4295133.070\t1.000\t30\t1.900",
                                         "tres\t280923.327\t3998547.762\t3.000\t30\t1.900"}));
    const quillon::CoordinateTableModel* points = presenter.pointModel();
    EXPECT_TRUE(points->IsOutside(0));
    EXPECT_TRUE(points->IsRejected(2));
    EXPECT_FALSE(points->IsRejected(1) || points->IsRejected(3));
    EXPECT_EQ(PointRows()[2], "!alto\t281035.667\t3998752.728\t200000000.000\t30");
    EXPECT_EQ(points->index(2, 0).data(Qt::ToolTipRole).toString(),
              "Rechazado por el cálculo: resultado fuera de rango");
    EXPECT_TRUE(LogLines().contains("Líneas rechazadas.....: 1"));
    EXPECT_TRUE(form.saveButton->isEnabled());

    // Every point refused: the run succeeds with nothing to save.
    presenter.DeletePoints({0, 1, 3});
    presenter.AddPoint({QStringLiteral("alto 2"), 298569.727, 4295339.009, 3e8, 30});
    messages.shown.clear();
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("El cálculo ha rechazado 2 puntos"));
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_FALSE(form.saveButton->isEnabled());
    EXPECT_FALSE(form.saveAsButton->isEnabled());
    presenter.Save();
    EXPECT_TRUE(messages.Shown("No hay ningún punto para salvar"));
    EXPECT_TRUE(files.saved.empty());
    presenter.DeletePoints({1});
    presenter.AddPoint({QStringLiteral("tres"), 281035.667, 3998752.728, 3, 30});
    presenter.AddPoint({QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30});

    // Mended, the point is sent again and its mark goes.
    presenter.ReplacePoint(0, {QStringLiteral("alto"), 281035.667, 3998752.728, 2, 30});
    EXPECT_FALSE(points->IsRejected(0));
    messages.shown.clear();
    Run();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ResultRows(), (QStringList{"alto\t280923.327\t3998547.762\t2.000\t30\t1.900",
                                         "tres\t280923.327\t3998547.762\t3.000\t30\t1.900",
                                         "uno\t298459.538\t4295133.070\t1.000\t30\t1.900"}));
}

TEST_F(RunTest, AllPointsOutsideNeverReachTheEngineAndLeaveNoResults) {
    Datums(0, 1);
    Add(QStringLiteral("dentro"), 298569.727, 4295339.009, 0, 30);
    Run();
    ASSERT_EQ(ResultRows().size(), 1);
    presenter.ReplacePoint(0, {QStringLiteral("lejos"), 700000, 4100000, 0, 30});
    presenter.AddPoint({QStringLiteral("lejos 2"), 700000, 4100000, 0, 30});
    Run();
    // One box for the event, saying both that the points lie outside and
    // that nothing will be transformed.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No se han transformado 2 puntos (marcados con #).\r"
                                      "Se encuentran fuera de la región de cálculo del programa\r"
                                      "No se transformará ningún punto");
    EXPECT_EQ(messages.shown[0].title, "Aviso");
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_FALSE(form.saveButton->isEnabled());
    EXPECT_EQ(transf.processes.size(), 1u);
}

// A drawing with entities the engine copies as they were (an opaque body):
// the run is done, and a warning counts them.
TEST_F(RunTest, ADrawingWithEntitiesLeftAsTheyWereWarns) {
    QTemporaryDir dir;
    const QString drawing = dir.filePath("solido.dxf");
    QFile file(drawing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("  0\nSECTION\n  2\nENTITIES\n  0\n3DSOLID\n  5\n2F\n  1\nACIS\n"
               "  0\nPOINT\n 10\n300000.0\n 20\n4100000.0\n  0\nENDSEC\n  0\nEOF\n");
    file.close();
    Datums(0, 1);
    presenter.OpenFile(drawing, quillon::InputFormat::Drawing);
    programa.huso()->acceptButton->click();
    Run();
    ASSERT_EQ(messages.shown.size(), 2u); // the zone assumed, then the warning
    EXPECT_EQ(messages.shown[1].text,
              "1 entidades del dibujo no se han transformado: se han copiado como estaban.\r"
              "El registro las nombra («Ver Metadatos»).");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Exclamation);
}

TEST_F(RunTest, NoPointsAtAll) {
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No se han introducido coordenadas para transformar");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(QDir(programa.TempFolder()).isEmpty());
    EXPECT_TRUE(transf.centroids.empty());
}

// A refused run leaves nothing of the run before it: no results, no
// "Guardar", and the map shows this run's search.
TEST_F(RunTest, LocalRunWithFewerThanThreeVerticesLeavesNothingToSave) {
    Datums(0, 1);
    Add(QStringLiteral("mar"), 120000, 4000000, 0, 30);
    Run();
    ASSERT_EQ(ResultRows().size(), 1);
    form.localOption->click();
    form.distanceCombo->setCurrentIndex(1); // 25 km: nothing near this point of the Gulf of Cadiz
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "El número de vértices encontrados es menor a 3.\r No se realizará la "
              "transformación");
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_FALSE(form.saveButton->isEnabled());
    EXPECT_FALSE(form.saveAsButton->isEnabled());
    EXPECT_FALSE(form.logButton->isEnabled());
    EXPECT_TRUE(form.mapButton->isEnabled());
    EXPECT_EQ(transf.processes.size(), 1u);
    EXPECT_FALSE(QFile::exists(programa.TempFile("temp_log")));
}

TEST_F(RunTest, EngineFailureShowsTheLog) {
    // Three nearest around SAN FERNANDO GPS 1995: the blunder is screened out
    // and two vertices are too few.
    Datums(0, 1);
    form.localOption->click();
    form.nearestCombo->setCurrentIndex(1);
    Add(QStringLiteral("sf"), 212903.466, 4040539.144, 0, 30);
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "La transformación no ha tenido éxito.\rSe visualizará el "
                                      "registro de operaciones efectuadas.");
    EXPECT_EQ(messages.shown[0].title, "Advertencia");
    EXPECT_TRUE(programa.ventanalog()->isVisible());
    EXPECT_FALSE(form.isEnabled());
    const QStringList log = LogLines();
    EXPECT_EQ(log.last(), "Imposible calcular: menos de 3 vértices válidos");
    EXPECT_FALSE(log.join('\n').contains("Conversión realizada"));
    EXPECT_TRUE(ResultRows().isEmpty());
    EXPECT_FALSE(form.saveButton->isEnabled());
}

TEST_F(RunTest, AllVerticesFallsBackToRegionalParameters) {
    Datums(0, 1);
    form.localOption->click();
    Add(QStringLiteral("p"), 298569.727, 4295339.009, 0, 30);
    Run();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, "al seleccionar todos los vértices disponibles se pasa al "
                                      "empleo de parámetros regionales");
    EXPECT_TRUE(form.regionalOption->isChecked());
    ASSERT_EQ(transf.processes.size(), 1u);
    EXPECT_EQ(transf.processes[0].arguments.parametros, 1);
    EXPECT_EQ(ResultRows().size(), 1);
}

// A local fit's map: the input points where they were given (ED50 UTM 30),
// the one outside the region apart, the vertices used with residual arrows,
// and an 8 km square around the centre of a small area.
TEST_F(RunTest, MapDrawsPointsRefusedPointsAndVertexArrows) {
    Datums(0, 1);
    form.localOption->click();
    form.nearestCombo->setCurrentIndex(4); // 10 nearest
    Add(QStringLiteral("a"), 370000, 4100000, 0, 30);
    Add(QStringLiteral("b"), 372000, 4101000, 0, 30);
    Add(QStringLiteral("fuera"), 900000, 4100000, 0, 30);
    Run();
    form.mapButton->click();
    quillon::MapView* view = programa.mapa()->mapView;
    ASSERT_TRUE(view->run().has_value());
    const quillon::MapDrawing& d = *view->run();
    ASSERT_EQ(d.points.size(), 2);
    EXPECT_NEAR(d.points[0].x(), 370000, 0.001);
    EXPECT_NEAR(d.points[1].y(), 4101000, 0.001);
    ASSERT_EQ(d.refused.size(), 1);
    EXPECT_NEAR(d.refused[0].x(), 900000, 0.001);
    EXPECT_DOUBLE_EQ(d.xMax - d.xMin, 8000.0);
    ASSERT_EQ(d.vertices.size(), 10);
    ASSERT_EQ(d.residuals.size(), 10);
    double longest = 0;
    for (const QPointF& r : d.residuals) {
        longest = std::max(longest, std::hypot(r.x(), r.y()));
    }
    // A local Helmert fit leaves residuals of centimetres to decimetres.
    EXPECT_GT(longest, 0.001);
    EXPECT_LT(longest, 2.0);
    EXPECT_GT(view->arrowScale(), 100.0);
    EXPECT_EQ(form.verticesLabel->text(), "10 vértices empleados");
    EXPECT_EQ(transf.searches.size(), 1u);
    EXPECT_TRUE(transf.searches[0].byNumber);

    // Drawn: each point's colour at its place, and the arrows' colour
    // somewhere along the longest arrow.
    view->resize(800, 600);
    view->fitAll();
    QImage image(view->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    view->render(painter, view->size());
    painter.end();
    const QTransform t = view->transform();
    const auto colourNear = [&](QPointF at, auto test) {
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                if (test(image.pixelColor(at.toPoint() + QPoint(dx, dy)))) {
                    return true;
                }
            }
        }
        return false;
    };
    const auto blue = [](QColor c) { return c.blue() > 150 && c.red() < 80; };
    const auto red = [](QColor c) { return c.red() > 180 && c.green() < 60 && c.blue() < 60; };
    const auto orange = [](QColor c) { return c.red() > 160 && c.green() > 50 && c.blue() < 40; };
    EXPECT_TRUE(colourNear(t.map(d.points[0]), blue));
    EXPECT_FALSE(colourNear(t.map(d.points[0]), red));
    EXPECT_TRUE(colourNear(t.map(d.refused[0]), red));
    qsizetype k = 0;
    for (qsizetype i = 0; i < d.residuals.size(); ++i) {
        if (std::hypot(d.residuals[i].x(), d.residuals[i].y()) >=
            std::hypot(d.residuals[k].x(), d.residuals[k].y())) {
            k = i;
        }
    }
    const QPointF tail = t.map(d.vertices[k]);
    const QPointF tip = t.map(d.vertices[k] + d.residuals[k] * view->arrowScale());
    EXPECT_GT(QLineF(tail, tip).length(), 20.0);
    EXPECT_TRUE(colourNear(tail + (tip - tail) * 0.6, orange));

    // A new input takes the map of the last run away.
    programa.mapa()->closeButton->click();
    ReadUtm("nuevo.txt", "N,298569.727,4295339.009,1,30\r\n");
    form.ShowMap();
    EXPECT_FALSE(form.mapButton->isEnabled());
    EXPECT_FALSE(view->run().has_value());
}

TEST_F(RunTest, PrivateTemporaryFolder) {
    const QFileInfo folder(programa.TempFolder());
    ASSERT_TRUE(folder.isDir());
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    EXPECT_NE(programa.TempFolder(), QDir::tempPath());
}

// A point list goes to the engine in memory, on a worker thread: nothing is
// written to the temporary folder, not even while the engine works.
TEST_F(RunTest, PointRunWritesNoTemporaryFile) {
    Datums(0, 1);
    Add(QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30);
    Add(QStringLiteral("fuera"), 700000, 4100000, 2, 30);
    QStringList during = {QStringLiteral("not called")};
    QThread* runThread = nullptr;
    transf.duringPointRun = [&] {
        during = QDir(programa.TempFolder())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        runThread = QThread::currentThread();
    };
    Run();
    EXPECT_TRUE(during.isEmpty()) << during.join(' ').toStdString();
    ASSERT_NE(runThread, nullptr);
    EXPECT_NE(runThread, qApp->thread());
    EXPECT_EQ(ResultRows().size(), 1);
    EXPECT_TRUE(QDir(programa.TempFolder()).isEmpty());
    ASSERT_EQ(transf.processes.size(), 1u);
    EXPECT_TRUE(transf.processes[0].input.empty());
}

// From pressing TRANSFORMAR to the filled result table, for 10000 points:
// measured and printed, not asserted (the machine decides the figure).
TEST_F(RunTest, TenThousandPointsFromTheButtonToTheTable) {
    constexpr int kPoints = 10000;
    Datums(0, 1);
    for (int i = 0; i + 1 < kPoints; ++i) {
        programa.state().PointTable[i] = {QStringLiteral("P%1").arg(i + 1),
                                          200000.0 + 30.0 * (i % 1000),
                                          4100000.0 + 25.0 * (i / 1000), 100.0 + i % 7, 30};
    }
    programa.state().pointCount = kPoints - 1;
    presenter.AddPoint({QStringLiteral("P10000"), 298569.727, 4295339.009, 520.6, 30});
    ASSERT_EQ(presenter.pointModel()->rowCount(), kPoints);
    messages.shown.clear();

    QElapsedTimer timer;
    timer.start();
    form.transformButton->click();
    const qint64 elapsed = timer.elapsed();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    ASSERT_EQ(presenter.resultModel()->rowCount(), kPoints);
    EXPECT_EQ(presenter.resultModel()->index(9999, 0).data().toString(), "P10000");
    std::printf("[ figure ] 10000 points, TRANSFORMAR to filled result table: %lld ms\n",
                static_cast<long long>(elapsed));
    RecordProperty("milliseconds", static_cast<int>(elapsed));
}

// --- Typed points and drawings ------------------------------------------------------------

TEST_F(RunTest, TypedUtmPointsThroughTheAddDialog) {
    Datums(0, 1);
    form.addPointButton->click();
    quillon::DialogoAnadirPunto* dialog = programa.dialogoAnadir();
    const auto type = [dialog](const char* id, const char* c1, const char* c2, const char* c3) {
        dialog->identifierEdit->setText(QString::fromUtf8(id));
        dialog->coordinate1Edit->setText(QString::fromLatin1(c1));
        dialog->coordinate2Edit->setText(QString::fromLatin1(c2));
        dialog->coordinate3Edit->setText(QString::fromLatin1(c3));
        dialog->zoneEdit->setText(QStringLiteral("30"));
        dialog->confirmButton->click();
    };
    type("SERVILLETA", "298569,727", "4295339,009", "520,6");
    type("SAN GARCÍA", "281035.667", "3998752.728", "30.7");
    dialog->leaveButton->click();
    ASSERT_EQ(programa.state().pointCount, 2);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    EXPECT_EQ(ResultRows(),
              (QStringList{"SERVILLETA\t298459.538\t4295133.070\t520.600\t30\t1.900",
                           "SAN GARCÍA\t280923.327\t3998547.762\t30.700\t30\t1.900"}));
}

TEST_F(RunTest, DrawingWithTheZoneDialogMatchesTheCommandLine) {
    Datums(0, 1);
    const QString drawing = QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_parcela_ed50.dxf");
    files.answers.push_back({drawing, 3});
    form.readFileButton->click(); // "Leer archivo", Autocad DXF
    programa.huso()->zoneEdit->setText(QStringLiteral("30"));
    programa.huso()->acceptButton->click();
    EXPECT_EQ(presenter.DrawingLines(),
              (QStringList{"Se ha abierto el archivo:", "muestra_parcela_ed50.dxf", "(Huso 30)"}));
    EXPECT_TRUE(form.zone30Check->isChecked()); // UTM output: the drawing's zone ticked
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    // The result area says what was done and how to keep it; it names no
    // file the user cannot reach.
    EXPECT_EQ(form.resultsStack->currentWidget(), form.drawingResultLabel);
    const QString said = form.drawingResultLabel->text();
    EXPECT_TRUE(said.startsWith("Transformación realizada.\nDibujo transformado: "
                                "muestra_parcela_ed50.dxf"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("Número de polilíneas.: 1"));
    EXPECT_TRUE(said.contains("«Guardar Como»"));
    EXPECT_FALSE(said.contains("salida.dxf"));
    EXPECT_TRUE(form.saveButton->isEnabled());
    EXPECT_TRUE(form.saveAsButton->isEnabled());
    // Saved, it is the drawing the engine writes for the same run from the
    // command line.
    QTemporaryDir folder;
    files.answers.push_back({folder.filePath("parcela.dxf"), 1});
    form.saveAsButton->click();
    QProcess cli;
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {"dxf", drawing, folder.filePath("cli.dxf"), "--datum-a", "ED50", "--tipo-a", "utm",
               "--huso-a", "30", "--datum-b", "ETRS89", "--tipo-b", "utm", "--huso-b", "30",
               // The desktop program moves a drawing whole, header included,
               // as the control does: no region check.
               "--fuera-de-region"});
    ASSERT_TRUE(cli.waitForFinished(-1)); // no time limit
    EXPECT_EQ(ReadFile(folder.filePath("parcela.dxf")), ReadFile(folder.filePath("cli.dxf")));
    EXPECT_TRUE(QFile::exists(folder.filePath("parcela_metadatos.txt")));
}

// A drawing run's map shows the vertices of its local fit with their
// residual arrows, as a point run's does.
TEST_F(RunTest, DrawingRunMapsTheVerticesWithTheirResiduals) {
    Datums(0, 1);
    form.localOption->click();
    form.nearestCombo->setCurrentIndex(4); // 10 nearest
    files.answers.push_back(
        {QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_parcela_ed50.dxf"), 3});
    form.readFileButton->click();
    programa.huso()->zoneEdit->setText(QStringLiteral("30"));
    programa.huso()->acceptButton->click();
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    EXPECT_EQ(form.verticesLabel->text(), "10 vértices empleados");
    form.mapButton->click();
    ASSERT_TRUE(programa.mapa()->mapView->run().has_value());
    const quillon::MapDrawing& d = *programa.mapa()->mapView->run();
    EXPECT_EQ(d.vertices.size(), 10);
    ASSERT_EQ(d.residuals.size(), 10);
    for (const QPointF& r : d.residuals) {
        EXPECT_LT(std::hypot(r.x(), r.y()), 2.0);
    }
}

// "Catálogo de vértices: de archivo…": a table the engine refuses is named
// with its bad rows and the built-in catalogue stays; a good one (four
// built-in vertices, renamed) is what a regional run fits, the form and the
// log name it, and "integrado" brings the built-in catalogue back.
TEST_F(RunTest, TheUsersCatalogue) {
    Datums(0, 1);
    form.regionalOption->click();
    EXPECT_EQ(form.catalogueInUseLabel->text(),
              "En uso: integrado (de demostración: 176 de 180 vértices sintéticos)");
    const QByteArray header = "numero\tnombre\tetrs_x\tetrs_y\ted50_x\ted50_y\n";
    const QString bad = WriteFile("malo.tsv", header + "1\tA\t1\t2\t3\t4\n2\tB\t1\t2\t3\tx\n");
    files.answers.push_back({bad, 1});
    form.catalogueCombo->activated(1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "El catálogo de vértices malo.tsv no se puede usar:\r"
                                      "línea 3: ed50_y no es un número");
    EXPECT_EQ(form.catalogueCombo->currentIndex(), 0);
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run

    const QString own =
        WriteFile("propio.tsv",
                  header + "98555\tPROPIO A\t254558.486\t4138026.189\t254669.906\t4138230.449\n"
                           "100377\tPROPIO B\t254248.386\t4132835.272\t254359.935\t4133039.504\n"
                           "98438\tPROPIO C\t240781.484\t4137251.537\t240892.881\t4137455.58\n"
                           "96374\tPROPIO D\t260660.454\t4158366.653\t260771.585\t4158571.342\n");
    files.answers.push_back({own, 1});
    form.catalogueCombo->activated(1);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(form.catalogueCombo->currentIndex(), 1);
    EXPECT_EQ(form.catalogueInUseLabel->text(), "En uso: propio.tsv (4 vértices)");
    EXPECT_EQ(form.verticesLabel->text(), ""); // nothing before a run
    Add(QStringLiteral("P1"), 250000.0, 4140000.0, 10.0, 30);
    Run();
    EXPECT_TRUE(LogLines().contains("Número de puntos utilizados: 4"));
    EXPECT_EQ(form.verticesLabel->text(), "4 vértices empleados");
    EXPECT_TRUE(LogLines()
                    .filter(QStringLiteral("Catálogo de vértices..: "))
                    .join("")
                    .contains("propio.tsv (SHA-256 "));
    // The map shows the vertices of that catalogue, at their ED50 places.
    form.mapButton->click();
    ASSERT_TRUE(programa.mapa()->mapView->run().has_value());
    QVector<QPointF> drawn = programa.mapa()->mapView->run()->vertices;
    std::sort(drawn.begin(), drawn.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    const QPointF own_places[] = {{240892.881, 4137455.58},
                                  {254359.935, 4133039.504},
                                  {254669.906, 4138230.449},
                                  {260771.585, 4158571.342}};
    ASSERT_EQ(drawn.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(drawn[i].x(), own_places[i].x(), 0.001) << i;
        EXPECT_NEAR(drawn[i].y(), own_places[i].y(), 0.001) << i;
    }
    programa.mapa()->closeButton->click();

    form.catalogueCombo->activated(0);
    EXPECT_EQ(form.catalogueInUseLabel->text(),
              "En uso: integrado (de demostración: 176 de 180 vértices sintéticos)");
    EXPECT_EQ(form.verticesLabel->text(), ""); // the run's count went with its catalogue
}

} // namespace
} // namespace quillon_test
