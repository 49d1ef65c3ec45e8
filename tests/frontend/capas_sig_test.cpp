// GIS layers from the window: the form's method carried into the layer run,
// which goes on a worker thread behind the progress window.
#include "capas_sig.h"
#include "point_list_fixture.h"
#include "progreso.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <string>
#include <vector>

namespace quillon_test {
namespace {

using quillon::FormChoices;
using quillon::Method;
using quillon::Model;
using quillon::SearchCentre;

// The choices of the form, and the options of quillon-cli capa that carry
// them; every set of options is one capa accepts for an ED50 UTM layer going
// to ETRS89.
TEST(LayerMethodArgumentsTest, TheFormsMethodBecomesCapaOptions) {
    const auto choices = [](Method method, Model model, int nearest, int distance,
                            bool orthometric) {
        FormChoices c;
        c.method = method;
        c.model = model;
        c.nearestIndex = nearest;
        c.distanceIndex = distance;
        c.orthometricHeights = orthometric;
        c.centre = SearchCentre::MassCentre;
        return c;
    };
    const QString catalogue = QStringLiteral(QUILLON_SOURCE_DATA_DIR "/vertex_catalogue.tsv");
    const struct {
        const char* name;
        FormChoices choices;
        QString catalogue;
        bool utm;
        QStringList expected;
    } cases[] = {
        {"national",
         choices(Method::National, Model::Molodensky, 2, 0, false),
         catalogue,
         true,
         {"--parametros", "nacionales"}},
        {"national, orthometric H of UTM",
         choices(Method::National, Model::Helmert3D, 0, 0, true),
         "",
         true,
         {"--parametros", "nacionales", "--geoide"}},
        {"grid, geodetic layer: no geoid",
         choices(Method::Grid, Model::Affine2D, 0, 0, true),
         "",
         false,
         {"--parametros", "rejilla"}},
        {"regional with a catalogue",
         choices(Method::Regional, Model::Molodensky, 0, 0, false),
         catalogue,
         true,
         {"--parametros", "regionales", "--modelo", "molodensky", "--catalogo", catalogue}},
        {"5 nearest vertices, affine",
         choices(Method::Local, Model::Affine2D, 3, 0, false),
         "",
         true,
         {"--parametros", "vecinos", "--modelo", "afin", "--seleccion", "5"}},
        {"10 nearest vertices",
         choices(Method::Local, Model::Helmert3D, 4, 0, true),
         "",
         true,
         {"--parametros", "vecinos", "--modelo", "helmert", "--seleccion", "10", "--geoide"}},
        {"within 50 km",
         choices(Method::Local, Model::Helmert3D, 0, 2, false),
         "",
         false,
         {"--parametros", "distancia", "--modelo", "helmert", "--seleccion", "50000"}},
        {"within 150 km",
         choices(Method::Local, Model::Molodensky, 0, 4, false),
         "",
         true,
         {"--parametros", "distancia", "--modelo", "molodensky", "--seleccion", "150000"}},
        {"local without limits is regional",
         choices(Method::Local, Model::Affine2D, 0, 0, false),
         "",
         true,
         {"--parametros", "regionales", "--modelo", "afin"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList arguments = quillon::LayerMethodArguments(c.choices, c.catalogue, c.utm);
        EXPECT_EQ(arguments, c.expected);

        std::vector<std::string> request = {"--sistema-a", c.utm ? "EPSG:23030" : "EPSG:4230",
                                            "--sistema-b", c.utm ? "EPSG:25830" : "EPSG:4258"};
        for (const QString& argument : arguments) {
            request.push_back(argument.toStdString());
        }
        request.insert(request.end(), {"a.gpkg", "b.gpkg"});
        std::string error;
        EXPECT_TRUE(
            dezadiravevava::api::ParseRequest(dezadiravevava::api::Order::kCapa, request, error))
            << error;
    }
}

// The vertices of a layer file as ogrinfo lists them, without the file's
// own name.
QString Vertices(const QString& path) {
    QProcess ogrinfo;
    ogrinfo.start(QStringLiteral("ogrinfo"), {"-ro", "-al", "-q", "-nomd", path});
    EXPECT_TRUE(ogrinfo.waitForFinished(-1));
    EXPECT_EQ(ogrinfo.exitCode(), 0) << ogrinfo.readAllStandardError().toStdString();
    return QString::fromUtf8(ogrinfo.readAllStandardOutput());
}

// A GeoPackage run from the window with a local fit (5 nearest vertices,
// Molodensky) has the vertices quillon-cli capa gives the same file with the
// same options, and not those of the national set. The progress window
// follows the run.
TEST_F(PointListTest, ALayerRunTakesTheFormsLocalFit) {
    if (QStandardPaths::findExecutable(QStringLiteral("ogr2ogr")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty()) {
        GTEST_SKIP() << "GDAL's ogr2ogr and ogrinfo (gdal-bin) are not installed";
    }
    const QString csv = WriteFile("hitos.csv", "nombre,x,y\n"
                                               "H1,447000,4139000\n"
                                               "H2,448000,4140000\n"
                                               "H3,452500,4133250\n");
    const QString input = QString::fromStdString(folder.File("hitos.gpkg"));
    QProcess ogr2ogr;
    ogr2ogr.start(QStringLiteral("ogr2ogr"), {"-a_srs", "EPSG:23030", "-oo", "X_POSSIBLE_NAMES=x",
                                              "-oo", "Y_POSSIBLE_NAMES=y", input, csv});
    ASSERT_TRUE(ogr2ogr.waitForFinished(-1));
    ASSERT_EQ(ogr2ogr.exitCode(), 0) << ogr2ogr.readAllStandardError().toStdString();

    presenter.SetMethod(Method::Local);
    presenter.SetNearestIndex(3);
    presenter.SetModel(Model::Molodensky);
    struct CountShows : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            shown += event->type() == QEvent::Show ? 1 : 0;
            return false;
        }
        int shown = 0;
    } shows;
    programa.progreso()->installEventFilter(&shows);
    const QString output = QString::fromStdString(folder.File("ventana.gpkg"));
    files.answers.push_back({output, 1});
    presenter.OpenDroppedFile(input);
    programa.progreso()->removeEventFilter(&shows);
    EXPECT_EQ(QFileInfo(files.saved.back().fileName).fileName(), "hitos_ETRS89.gpkg");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Capa transformada de EPSG:23030 a EPSG:25830"))
        << messages.shown[0].text.toStdString();
    EXPECT_GE(shows.shown, 1);
    EXPECT_FALSE(programa.progreso()->isVisible());
    EXPECT_FALSE(presenter.running());

    const auto cli = [&](const char* name, const QStringList& options) {
        const QString path = QString::fromStdString(folder.File(name));
        QProcess run;
        run.start(QUILLON_CLI_PATH,
                  QStringList{"capa", input, path, "--sistema-b", "EPSG:25830"} + options);
        EXPECT_TRUE(run.waitForFinished(-1));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        return Vertices(path).replace(QFileInfo(path).completeBaseName(), "salida");
    };
    const QString ours = Vertices(output).replace("ventana", "salida");
    EXPECT_TRUE(ours.contains("POINT (")) << ours.toStdString();
    EXPECT_EQ(ours, cli("local.gpkg",
                        {"--parametros", "vecinos", "--seleccion", "5", "--modelo", "molodensky"}));
    EXPECT_NE(ours, cli("nacional.gpkg", {}));
}

// The run on its worker thread tells the window's thread, in order: the
// progress opened, steps that never go back, the progress closed, and then
// that it has finished, with what it wrote.
TEST_F(PointListTest, ALayerRunReportsItsProgressInOrder) {
    const QString input =
        WriteFile("hitos.geojson",
                  "{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":"
                  "{\"name\":\"urn:ogc:def:crs:EPSG::23030\"}},\"features\":[{\"type\":"
                  "\"Feature\",\"properties\":{\"id\":1},\"geometry\":{\"type\":\"LineString\","
                  "\"coordinates\":[[455000.0,4120000.0],[455100.0,4120100.0]]}}]}");
    quillon::LayerRun run;
    QStringList events;
    quint64 last = 0;
    bool backwards = false;
    QObject::connect(&run, &quillon::LayerRun::progressOpened,
                     [&](const QString&, quint64) { events << "open"; });
    QObject::connect(&run, &quillon::LayerRun::progressStepped, [&](quint64 position) {
        backwards |= position < last;
        last = position;
        if (events.isEmpty() || events.last() != "step") {
            events << "step";
        }
    });
    QObject::connect(&run, &quillon::LayerRun::progressClosed, [&] { events << "close"; });
    QEventLoop wait;
    QObject::connect(&run, &quillon::LayerRun::finished, [&] {
        events << "finished";
        wait.quit();
    });
    run.Start(input, QString::fromStdString(folder.File("salida.geojson")),
              {"--parametros", "regionales", "--modelo", "helmert"});
    wait.exec();

    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events.first(), "open");
    EXPECT_EQ(events.mid(events.size() - 2), QStringList({"close", "finished"}));
    EXPECT_FALSE(backwards);
    const quillon::LayerRunResult result = run.result();
    EXPECT_TRUE(result.succeeded) << result.failure.toStdString();
    EXPECT_EQ(result.features, 1);
    EXPECT_EQ(result.vertices, 2);
}

} // namespace
} // namespace quillon_test
