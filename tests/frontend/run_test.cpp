// The transformation run and the saving of results, end to end on the real
// form with the real engine, offscreen.
#include "apunto.h"
#include "guardar.h"
#include "huso.h"
#include "mapa.h"
#include "program_fixture.h"
#include "transformacion.h"
#include "ventanalog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace quillon_test {
namespace {

using quillon::MessageIcon;
using quillon::NumberText;

QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

class RunTest : public ProgramTest {
protected:
    // A point as the point list holds it.
    void Add(const QString& id, double c1, double c2, double c3, int zone = 0) {
        quillon::ProgramState& state = programa.state();
        state.PointTable[state.pointCount++] = {id, c1, c2, c3, static_cast<std::int16_t>(zone)};
        QString line = id + QLatin1Char(',') + NumberText(c1) + QLatin1Char(',') + NumberText(c2) +
                       QLatin1Char(',') + NumberText(c3);
        if (form.Option3->isChecked()) {
            line += QLatin1Char(',') + NumberText(zone);
        }
        form.List1->addItem(line);
    }
    void Datums(int source, int target) { // 0 ED50, 1 ETRS89
        form.Combo1->setCurrentIndex(source);
        form.Combo1_Click();
        form.Combo2->setCurrentIndex(target);
        form.Combo2_Click();
    }
    // Selecting an option runs its handler, as a click does.
    static void Select(QRadioButton* option) { option->setChecked(true); }
    void Run() { form.Command10_Click(); }
    QStringList LogLines() { return Lines(programa.ventanalog()->List1); }
    bool Shown(const QString& text) const {
        for (const auto& m : messages.shown) {
            if (m.text == text) {
                return true;
            }
        }
        return false;
    }

    // The four published catalogue vertices, ED50 UTM 30.
    void PublishedVertices() {
        Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
        Add(QStringLiteral("CABEZAS 1"), 179274.028, 4172646.558, 250.2, 30);
        Add(QStringLiteral("SAN FERNANDO"), 212903.466, 4040539.144, 43.12, 30);
        Add(QStringLiteral("SAN GARCÍA"), 281035.667, 3998752.728, 30.7, 30);
    }
};

TEST_F(RunTest, PublishedVerticesAgreeWithTheCommandLine) {
    Datums(0, 1);
    PublishedVertices();
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    const QStringList results = Lines(form.List2);
    ASSERT_EQ(results.size(), 4);
    // quillon-cli punto, the engine's own numbers, to the last printed digit.
    QProcess cli;
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {"punto", "--datum-a", "ED50", "--tipo-a", "utm", "--huso-a", "30", "--datum-b",
               "ETRS89", "--tipo-b", "utm", "298569.727,4295339.009,520.6",
               "179274.028,4172646.558,250.2", "212903.466,4040539.144,43.12",
               "281035.667,3998752.728,30.7"});
    ASSERT_TRUE(cli.waitForFinished());
    const QStringList printed = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    const QStringList names = {"SERVILLETA", "CABEZAS 1", "SAN FERNANDO", "SAN GARCÍA"};
    for (int i = 0; i < 4; ++i) {
        const QStringList f = printed[i].split('\t');
        EXPECT_EQ(results[i], names[i] + "," + NumberText(f[0].toDouble()) + "," +
                                  NumberText(f[1].toDouble()) + "," + NumberText(f[2].toDouble()) +
                                  "," + NumberText(f[3].toDouble()));
    }
    EXPECT_EQ(results[0], "SERVILLETA, 298459.538, 4295133.07, 520.6, 30");
    EXPECT_TRUE(form.Command5->isEnabled());
    EXPECT_TRUE(form.Command8->isEnabled());
    EXPECT_TRUE(form.Command9->isEnabled());
    EXPECT_TRUE(form.Command13->isEnabled());
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

TEST_F(RunTest, GeodeticPointsRegionalToGeocentric) {
    Datums(0, 1);
    Select(form.Option2);
    Select(form.Option4);
    Select(form.Option8);
    Add(QStringLiteral("P1"), 37.4557947, -4.0512, 500.0);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    const QStringList results = Lines(form.List2);
    ASSERT_EQ(results.size(), 1);
    const QStringList f = results[0].split(',');
    ASSERT_EQ(f.size(), 4);
    EXPECT_EQ(f[0], "P1");
    EXPECT_NEAR(f[1].toDouble(), 5032000, 5000);
    EXPECT_EQ(form.Label12->text(), "180 vértices empleados");
    EXPECT_TRUE(
        LogLines().contains("Tipo de transformación: USAR PARÁMETROS VÁLIDOS PARA ANDALUCÍA"));
}

TEST_F(RunTest, GeodeticResultsCarryHeightsAndAreRoundedDown) {
    Datums(1, 0); // ETRS89 -> ED50
    Select(form.Option2);
    Select(form.Option5);
    Add(QStringLiteral("A"), 37.4557947, -4.0512, 812.5);
    Run();
    const QStringList f = Lines(form.List2).value(0).split(',');
    ASSERT_EQ(f.size(), 4);
    const quillon::PointRecord& r = programa.state().ResultTable[0];
    // Packed angles kept to 8 decimals, rounded down; h to the millimetre.
    EXPECT_EQ(r.c1, std::floor(r.c1 * 1e8) / 1e8);
    EXPECT_EQ(f[1], NumberText(r.c1));
    EXPECT_NEAR(r.c3, 812.5 - 80, 5); // ED50 heights lie some 80 m below ETRS89 ones here
    EXPECT_NE(r.c3, 0.0);
}

TEST_F(RunTest, LocalRunFromGeocentricPoints) {
    Datums(0, 1);
    Select(form.Option1);
    Select(form.Option4);
    Select(form.Option9);
    form.Combo3->setCurrentIndex(3); // 5 nearest
    form.Combo3_Click();
    Add(QStringLiteral("G1"), 5047344.4296, -428168.4639, 3865411.0328);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    EXPECT_EQ(Lines(form.List2).size(), 1);
    EXPECT_EQ(form.Label12->text(), " 5 vértices empleados");
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
    EXPECT_EQ(form.List1->item(1)->text(), "#fuera, 200000, 4100000, 2");
    EXPECT_EQ(form.List1->currentRow(), 1);
    const QStringList results = Lines(form.List2);
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0].startsWith("uno, 298459.538,"));
    EXPECT_TRUE(results[1].startsWith("tres, 280923.327,"));
}

TEST_F(RunTest, AllPointsOutsideNeverReachTheEngine) {
    Datums(0, 1);
    form.List2->addItem(QStringLiteral("resultado anterior"));
    Add(QStringLiteral("lejos"), 700000, 4100000, 0, 30);
    Run();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "No se transformará ningún punto");
    EXPECT_EQ(messages.shown[1].title, "aviso");
    EXPECT_EQ(Lines(form.List2), QStringList{"resultado anterior"});
    EXPECT_FALSE(QFile::exists(programa.TempFile("temp_log")));
    EXPECT_FALSE(QFile::exists(programa.TempFile("temp_b")));
}

TEST_F(RunTest, NoPointsAtAll) {
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No se han introducido coordenadas para transformar");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(QDir(programa.TempFolder()).isEmpty());
}

TEST_F(RunTest, LocalRunWithFewerThanThreeVertices) {
    Datums(0, 1);
    Select(form.Option9);
    form.Combo4->setCurrentIndex(1); // 25 km: nothing near this point of the Gulf of Cadiz
    form.Combo4_Click();
    Add(QStringLiteral("mar"), 120000, 4000000, 0, 30);
    form.List2->addItem(QStringLiteral("viejo"));
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "El número de vértices encontrados es menor a 3.\r No se realizará la "
              "transformación");
    EXPECT_EQ(form.List2->count(), 0);
    EXPECT_FALSE(QFile::exists(programa.TempFile("temp_log")));
}

TEST_F(RunTest, EngineFailureShowsTheLog) {
    // Three nearest around SAN FERNANDO GPS 1995: the blunder is screened out
    // and two vertices are too few.
    Datums(0, 1);
    Select(form.Option9);
    form.Combo3->setCurrentIndex(1);
    form.Combo3_Click();
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
    EXPECT_EQ(form.List2->count(), 0);
}

TEST_F(RunTest, AllVerticesFallsBackToRegionalParameters) {
    Datums(0, 1);
    Select(form.Option9);
    Add(QStringLiteral("p"), 298569.727, 4295339.009, 0, 30);
    Run();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, "al seleccionar todos los vértices disponibles se pasa al "
                                      "empleo de parámetros regionales");
    EXPECT_TRUE(form.Option8->isChecked());
    EXPECT_EQ(form.List2->count(), 1);
}

TEST_F(RunTest, MapShowsTheCentroidSquareAndVertices) {
    Datums(0, 1);
    Select(form.Option9);
    form.Combo3->setCurrentIndex(4); // 10 nearest
    form.Combo3_Click();
    Add(QStringLiteral("a"), 370000, 4100000, 0, 30);
    Add(QStringLiteral("b"), 372000, 4101000, 0, 30);
    Run();
    const QImage& image = programa.mapa()->Picture1->image();
    // The 2 km wide data is drawn as an 8 km square around its centre: its
    // top edge is light blue.
    const QPointF corner =
        quillon::MapToPixel(371000 - 4000, 4100500 + 4000, image.width(), image.height());
    bool blue_edge = false;
    for (int dy = -1; dy <= 1; ++dy) {
        const QColor c = image.pixelColor(qRound(corner.x()) + 3, qRound(corner.y()) + dy);
        blue_edge = blue_edge || (c.blue() > 200 && c.red() < 150);
    }
    EXPECT_TRUE(blue_edge);
    EXPECT_EQ(form.Label12->text(), " 10 vértices empleados");
}

TEST_F(RunTest, PrivateTemporaryFolder) {
    const QFileInfo folder(programa.TempFolder());
    ASSERT_TRUE(folder.isDir());
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    EXPECT_NE(programa.TempFolder(), QDir::tempPath());
}

TEST_F(RunTest, UnwritableTemporaryFileStopsTheRunAndRestoresTheList) {
    Datums(0, 1);
    Add(QStringLiteral("uno"), 298569.727, 4295339.009, 1, 30);
    Add(QStringLiteral("fuera"), 700000, 4100000, 2, 30);
    const QStringList before = Lines(form.List1);
    QDir(programa.TempFolder()).mkdir(QStringLiteral("temp_a")); // a folder where the file goes
    Run();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("No se ha podido escribir el archivo temporal"));
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(Lines(form.List1), before);
    EXPECT_EQ(form.List2->count(), 0);
}

// --- Saving -------------------------------------------------------------

class SaveTest : public RunTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        Datums(0, 1);
        Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
        Add(QStringLiteral("SAN GARCÍA"), 281035.667, 3998752.728, 0.25, 30);
        Run();
        ASSERT_EQ(form.List2->count(), 2);
    }
    QString Path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
};

TEST_F(SaveTest, GuardarComoTextThenGuardar) {
    files.answers.push_back({Path("zona.txt"), 1});
    form.Command8_Click();
    EXPECT_EQ(ReadFile(Path("zona.txt")),
              QByteArray("ID,X UTM,Y UTM,h,Huso\r\n"
                         "SERVILLETA, 298459.538, 4295133.07, 520.6, 30\r\n"
                         "SAN GARC\xCD"
                         "A, 280923.327, 3998547.762, .25, 30\r\n"));
    // The metadata file holds the log window's lines.
    const QByteArray metadata = ReadFile(Path("zona_metadatos.txt"));
    EXPECT_TRUE(metadata.startsWith("QUILLON. ARCHIVO LOG DE EJECUCIONES.\r\n"));
    EXPECT_TRUE(metadata.contains("\r\nConversi\xF3"
                                  "n realizada el d\xED"
                                  "a "));
    EXPECT_EQ(metadata.count("\r\n"), programa.ventanalog()->List1->count());
    // "Guardar" writes the same results, TAB-separated, without asking.
    form.Command5_Click();
    EXPECT_EQ(files.saved.size(), 1u);
    EXPECT_EQ(ReadFile(Path("zona.txt")),
              QByteArray("ID\tX UTM\tY UTM\tH\tHuso\r\n"
                         "SERVILLETA,\t 298459.538\t 4295133.07\t 520.6\t 30\r\r\n"
                         "SAN GARC\xCD"
                         "A,\t 280923.327\t 3998547.762\t .25\t 30\r\r\n"));
}

TEST_F(SaveTest, GuardarComoDrawing) {
    files.answers.push_back({Path("zona.dxf"), 2});
    form.Command8_Click();
    const QByteArray drawing = ReadFile(Path("zona.dxf"));
    EXPECT_TRUE(drawing.startsWith("  0\r\nSECTION\r\n"));
    EXPECT_TRUE(
        drawing.contains("  0\r\nPOINT\r\n  5\r\n3e8\r\n  8\r\n0\r\n 10\r\n298459.538000\r\n"
                         " 20\r\n4295133.070000\r\n 30\r\n520.600000\r\n"));
    EXPECT_TRUE(drawing.contains("\r\n3e9\r\n"));
    EXPECT_TRUE(drawing.endsWith("  0\r\nENDSEC\r\n  0\r\nEOF\r\n"));
    EXPECT_TRUE(QFile::exists(Path("zona_metadatos.txt")));
    EXPECT_FALSE(QFile::exists(programa.TempFile("tempdxf")));
    // Only the drawing and its metadata are left in the folder.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(SaveTest, FailedSaveSaysSoAndKeepsTheOldFile) {
    // A drawing whose point file cannot be written: the old drawing stays.
    const QString target = Path("zona.dxf");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("dibujo anterior");
    old.close();
    QDir(programa.TempFolder()).mkdir(QStringLiteral("tempdxf"));
    files.answers.push_back({target, 2});
    form.Command8_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No se ha podido guardar el archivo\r" + target);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ReadFile(target), QByteArray("dibujo anterior"));
    EXPECT_FALSE(QFile::exists(Path("zona_metadatos.txt")));
    // A text file where a folder stands cannot be written either.
    QDir(folder.path()).mkdir(QStringLiteral("carpeta.txt"));
    files.answers.push_back({Path("carpeta.txt"), 1});
    form.Command8_Click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "No se ha podido guardar el archivo\r" + Path("carpeta.txt"));
}

TEST_F(SaveTest, NothingToSave) {
    form.List2->clear();
    form.Command8_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No hay ningún punto para salvar");
    EXPECT_TRUE(files.saved.empty());
}

TEST(SaveFormats, MetadataNameAndPointFileOfADrawing) {
    EXPECT_EQ(quillon::MetadataFileName("/datos/v1.2/zona"), "/datos/v1.2/zona_metadatos.txt");
    EXPECT_EQ(quillon::MetadataFileName("/datos/v1.2/zona.txt"), "/datos/v1.2/zona_metadatos.txt");
    EXPECT_EQ(quillon::MetadataFileName("zona.final.txt"), "zona.final_metadatos.txt");
    QVector<quillon::PointRecord> results(2);
    results[0] = {"A", 37.4557947, -4.0512, 500, 0};
    EXPECT_EQ(quillon::DrawingPointFile(results, 1, 1),
              QByteArray("ID\tLong\tLat\tZ\r\n 1\t-4.08666666666667\t 37.7660963888889\t 500\r\n"));
    EXPECT_EQ(quillon::ResultsTextAs(results, 0, 3), QByteArray("ID,X,Y,Z\n\r\n"));
    EXPECT_EQ(quillon::ResultsText(results, 0, 1), QByteArray("ID\tLatitud\tLongitud\th\r\n"));
}

} // namespace
} // namespace quillon_test

namespace quillon_test {
namespace {

// Points typed in the add dialog, and a drawing chosen with the zone dialog.
class TypedRunTest : public RunTest {
protected:
    void Type(const char* id, const char* c1, const char* c2, const char* c3,
              const char* zone = "") {
        quillon::Apunto* dialog = programa.apunto();
        dialog->Text1->setText(QString::fromUtf8(id));
        dialog->Text2->setText(QString::fromLatin1(c1));
        dialog->Text3->setText(QString::fromLatin1(c2));
        dialog->Text4->setText(QString::fromLatin1(c3));
        dialog->Text5->setText(QString::fromLatin1(zone));
        dialog->Command1->click();
    }
};

TEST_F(TypedRunTest, TypedUtmPointsThroughTheAddDialog) {
    Datums(0, 1);
    form.Command2->click(); // "Añadir punto"
    Type("SERVILLETA", "298569.727", "4295339.009", "520.6", "30");
    Type("SAN GARCÍA", "281035.667", "3998752.728", "30.7", "30");
    programa.apunto()->Command2->click(); // "Cerrar"
    ASSERT_EQ(programa.state().pointCount, 2);
    Run();
    ASSERT_TRUE(messages.shown.empty());
    EXPECT_EQ(Lines(form.List2), (QStringList{"SERVILLETA, 298459.538, 4295133.07, 520.6, 30",
                                              "SAN GARCÍA, 280923.327, 3998547.762, 30.7, 30"}));
}

TEST_F(TypedRunTest, DrawingWithTheZoneDialogMatchesTheCommandLine) {
    Datums(0, 1);
    const QString drawing = QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_parcela_ed50.dxf");
    files.answers.push_back({drawing, 3});
    form.Command1->click(); // "Leer archivo", Autocad DXF
    programa.huso()->Text1->setText(QStringLiteral("30"));
    programa.huso()->Command1->click();
    EXPECT_EQ(Lines(form.List1),
              (QStringList{"Se ha abierto el archivo:", "muestra_parcela_ed50.dxf", "(Huso 30)"}));
    EXPECT_TRUE(form.Check2->isChecked()); // UTM output: zone 30 ticked
    Run();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front().text.toStdString();
    EXPECT_EQ(Lines(form.List2), (QStringList{"Transformación realizada.",
                                              "Se ha escrito el archivo:", "salida.dxf"}));
    EXPECT_FALSE(form.Command5->isEnabled());
    EXPECT_TRUE(form.Command8->isEnabled());
    // Saved, it is the drawing the engine writes for the same run from the
    // command line.
    QTemporaryDir folder;
    files.answers.push_back({folder.filePath("parcela.dxf"), 1});
    form.Command8_Click();
    QProcess cli;
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              {"dxf", drawing, folder.filePath("cli.dxf"), "--datum-a", "ED50", "--tipo-a", "utm",
               "--huso-a", "30", "--datum-b", "ETRS89", "--tipo-b", "utm", "--huso-b", "30"});
    ASSERT_TRUE(cli.waitForFinished());
    EXPECT_EQ(ReadFile(folder.filePath("parcela.dxf")), ReadFile(folder.filePath("cli.dxf")));
    EXPECT_TRUE(QFile::exists(folder.filePath("parcela_metadatos.txt")));
}

} // namespace
} // namespace quillon_test
