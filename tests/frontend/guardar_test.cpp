// Saving the results of a run: the files written, the dialog's proposals,
// and the rules that keep "Guardar" from writing over a file it was not
// given for these results.
#include "dialogo_punto.h"
#include "guardar.h"
#include "huso.h"
#include "principal.h"
#include "run_fixture.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>

namespace quillon_test {
namespace {

using quillon::CoordinateKind;
using quillon::MessageIcon;

class SaveTest : public RunTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(out.isValid());
        Datums(0, 1);
        Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
        Add(QStringLiteral("SAN GARCÍA"), 281035.667, 3998752.728, 0.25, 30);
        Run();
        ASSERT_EQ(ResultRows().size(), 2);
    }
    QString Path(const QString& name) const { return out.filePath(name); }
    void SaveAs(const QString& path, int filter) {
        files.answers.push_back({path, filter});
        form.saveAsButton->click();
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir out;
};

const QByteArray kSavedAs = "ID,X UTM,Y UTM,h,Huso\r\n"
                            "SERVILLETA, 298459.538, 4295133.07, 520.6, 30\r\n"
                            "SAN GARC\xCD"
                            "A, 280923.327, 3998547.762, .25, 30\r\n";

TEST_F(SaveTest, GuardarComoTextThenGuardar) {
    SaveAs(Path("zona.txt"), 1);
    EXPECT_EQ(ReadFile(Path("zona.txt")), kSavedAs);
    // The metadata file holds the log window's lines.
    const QByteArray metadata = ReadFile(Path("zona_metadatos.txt"));
    EXPECT_TRUE(metadata.startsWith("QUILLON. ARCHIVO LOG DE EJECUCIONES.\r\n"));
    EXPECT_TRUE(metadata.contains("\r\nConversi\xF3"
                                  "n realizada el d\xED"
                                  "a "));
    EXPECT_EQ(metadata.count("\r\n"), LogLines().size());
    // "Guardar" writes the same results, TAB-separated, without asking.
    form.saveButton->click();
    EXPECT_EQ(files.saved.size(), 1u);
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(ReadFile(Path("zona.txt")),
              QByteArray("ID\tX UTM\tY UTM\tH\tHuso\r\n"
                         "SERVILLETA,\t 298459.538\t 4295133.07\t 520.6\t 30\r\r\n"
                         "SAN GARC\xCD"
                         "A,\t 280923.327\t 3998547.762\t .25\t 30\r\r\n"));
}

TEST_F(SaveTest, GuardarComoDrawing) {
    SaveAs(Path("zona.dxf"), 2);
    const QByteArray drawing = ReadFile(Path("zona.dxf"));
    EXPECT_TRUE(drawing.startsWith("  0\r\nSECTION\r\n"));
    EXPECT_TRUE(
        drawing.contains("  0\r\nPOINT\r\n  5\r\n3e8\r\n  8\r\n0\r\n 10\r\n298459.538000\r\n"
                         " 20\r\n4295133.070000\r\n 30\r\n520.600000\r\n"));
    EXPECT_TRUE(drawing.contains("\r\n3e9\r\n"));
    EXPECT_TRUE(drawing.endsWith("  0\r\nENDSEC\r\n  0\r\nEOF\r\n"));
    EXPECT_TRUE(QFile::exists(Path("zona_metadatos.txt")));
    EXPECT_FALSE(QFile::exists(programa.TempFile("tempdxf")));
    EXPECT_EQ(transf.conversions, std::vector<std::int32_t>({2}));
    // Only the drawing and its metadata are left in the folder.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// Results of zones 29 and 30 (CABEZAS 1 lies west of 6 W) make a drawing of
// one zone: none chosen, nothing is written and the message names the
// zones; zone 30 chosen, the zone-29 result is projected into it, where
// PROJ's EPSG:1632 pipeline into ETRS89 UTM zone 30 puts the ED50 point
// (cct with h = 0: 179163.2428, 4172441.7963; the results keep 3 decimals);
// labels carry the identifiers.
TEST_F(SaveTest, ADrawingOfResultsOfTwoZonesIsOfTheZoneChosen) {
    Add(QStringLiteral("CABEZAS 1"), 179274.028, 4172646.558, 250.2, 30);
    Run();
    const QVector<int> zones =
        quillon::ZonesOf(programa.state().ResultTable, 3, CoordinateKind::Utm);
    ASSERT_EQ(zones, QVector<int>({29, 30}));
    files.answers.push_back({Path("dos.dxf"), 2});
    form.saveAsButton->click();
    ASSERT_FALSE(files.saved.empty());
    EXPECT_TRUE(files.saved.back().drawingOptions);
    EXPECT_EQ(files.saved.back().drawingZones, zones);
    EXPECT_FALSE(QFile::exists(Path("dos.dxf")));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.back().text.startsWith(
        QStringLiteral("Los resultados tienen puntos de los husos 29 y 30: un dibujo es de un "
                       "solo huso.")))
        << messages.shown.back().text.toStdString();

    files.answers.push_back({Path("dos.dxf"), 2, 30, true});
    form.saveAsButton->click();
    const QByteArray drawing = ReadFile(Path("dos.dxf"));
    ASSERT_FALSE(drawing.isEmpty());
    EXPECT_EQ(drawing.count("\r\nPOINT\r\n"), 3);
    EXPECT_TRUE(drawing.contains("  8\r\nIDENTIFICADORES\r\n")) << drawing.left(400).data();
    EXPECT_TRUE(drawing.contains("  1\r\nCABEZAS 1\r\n"));
    EXPECT_TRUE(drawing.contains("  1\r\nSERVILLETA\r\n"));
    const qsizetype point = drawing.indexOf("  5\r\n3ec\r\n  8\r\n0\r\n 10\r\n");
    ASSERT_GE(point, 0);
    const QList<QByteArray> lines = drawing.mid(point).split('\n');
    EXPECT_NEAR(lines[5].trimmed().toDouble(), 179163.2428, 0.002);
    EXPECT_NEAR(lines[7].trimmed().toDouble(), 4172441.7963, 0.002);
}

TEST_F(SaveTest, FailedSaveSaysSoAndKeepsTheOldFile) {
    // A drawing whose point file cannot be written: the old drawing stays.
    const QString target = Path("zona.dxf");
    Write(target, "dibujo anterior");
    QDir(programa.TempFolder()).mkdir(QStringLiteral("tempdxf"));
    SaveAs(target, 2);
    ASSERT_EQ(messages.asked.size(), 1u); // replace it? yes
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("No se ha podido guardar el archivo\r" + target +
                                                  "\r")); // and why
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ReadFile(target), QByteArray("dibujo anterior"));
    EXPECT_FALSE(QFile::exists(Path("zona_metadatos.txt")));
    // A text file where a folder stands cannot be written either.
    QDir(out.path()).mkdir(QStringLiteral("carpeta.txt"));
    SaveAs(Path("carpeta.txt"), 1);
    // The system's reason follows the name of the file.
    ASSERT_EQ(messages.shown.size(), 2u);
    const QStringList lines = messages.shown[1].text.split('\r');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "No se ha podido guardar el archivo");
    EXPECT_EQ(lines[1], Path("carpeta.txt"));
    EXPECT_FALSE(lines[2].trimmed().isEmpty());
}

// Leaving with results never saved asks first, whichever way the user
// leaves ("Salir", Ctrl+Q, the window's close box); "No" keeps the program.
// Saved results, or none, let it end without a question.
TEST_F(SaveTest, LeavingWithUnsavedResultsAsks) {
    messages.answers = {false, false, false};
    form.exitButton->click();
    form.quitAction->trigger();
    EXPECT_FALSE(programa.principal()->close());
    ASSERT_EQ(messages.asked.size(), 3u);
    for (const ShownMessage& asked : messages.asked) {
        EXPECT_EQ(asked.text, "Los resultados de la última transformación no se han guardado.\r"
                              "¿Desea salir sin guardarlos?");
        EXPECT_EQ(asked.title, "Salir");
    }
    SaveAs(Path("guardado.txt"), 1);
    ASSERT_EQ(messages.shown.size(), 0u);
    EXPECT_TRUE(programa.End());
    EXPECT_EQ(messages.asked.size(), 3u);
}

// Once saved, the drawing's summary says where instead of asking for a save.
TEST_F(SaveTest, SavedDrawingSaysWhere) {
    const QString drawing = Path("plano.dxf");
    Write(drawing, "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n 10\n300000.0\n 20\n4100000.0\n"
                   "  0\nENDSEC\n  0\nEOF\n");
    presenter.OpenFile(drawing, quillon::InputFormat::Drawing);
    programa.huso()->acceptButton->click();
    Run();
    const QString ask = "Guarde el dibujo transformado con «Guardar» o «Guardar Como».";
    ASSERT_TRUE(presenter.DrawingResultText().endsWith(ask));
    SaveAs(Path("plano_ETRS89.dxf"), 1);
    EXPECT_FALSE(presenter.DrawingResultText().contains(ask));
    EXPECT_TRUE(presenter.DrawingResultText().endsWith("Dibujo transformado guardado en " +
                                                       Path("plano_ETRS89.dxf")));
}

TEST_F(SaveTest, NothingToSave) {
    presenter.DeletePoints({0, 1});
    EXPECT_FALSE(form.saveAsButton->isEnabled());
    presenter.SaveAs();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No hay ningún punto para salvar");
    EXPECT_TRUE(files.saved.empty());
}

// Replacing a file, or the metadata file beside it, is asked first; "No"
// writes nothing.
TEST_F(SaveTest, ReplacingAnExistingFileAsks) {
    Write(Path("zona.txt"), "mis datos");
    messages.answers.push_back(false);
    SaveAs(Path("zona.txt"), 1);
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0].text,
              "El archivo " + Path("zona.txt") + " ya existe.\r¿Desea reemplazarlo?");
    EXPECT_EQ(ReadFile(Path("zona.txt")), QByteArray("mis datos"));
    EXPECT_FALSE(QFile::exists(Path("zona_metadatos.txt")));
    EXPECT_FALSE(presenter.saveTarget().has_value());

    Write(Path("otra_metadatos.txt"), "notas");
    SaveAs(Path("otra.txt"), 1);
    ASSERT_EQ(messages.asked.size(), 2u);
    EXPECT_EQ(messages.asked[1].text,
              "El archivo " + Path("otra_metadatos.txt") + " ya existe.\r¿Desea reemplazarlo?");
    EXPECT_EQ(ReadFile(Path("otra.txt")), kSavedAs);

    SaveAs(Path("zona.txt"), 1); // answered yes
    EXPECT_EQ(ReadFile(Path("zona.txt")), kSavedAs);
}

// "Guardar" writes only into the file that "Guardar Como" chose for the
// results on screen.
TEST_F(SaveTest, GuardarNeverWritesIntoAFileOfOtherResults) {
    SaveAs(Path("zona.txt"), 1);
    const QByteArray saved = ReadFile(Path("zona.txt"));

    // The target kind changes: the results go, and "Guardar" with them.
    form.targetGeodeticOption->click();
    EXPECT_FALSE(form.saveButton->isEnabled());
    presenter.Save();
    EXPECT_EQ(ReadFile(Path("zona.txt")), saved);

    // A new run of the same points: "Guardar" asks where, as "Guardar Como".
    Run();
    ASSERT_TRUE(form.saveButton->isEnabled());
    form.saveButton->click();
    EXPECT_EQ(files.saved.size(), 2u);
    EXPECT_EQ(ReadFile(Path("zona.txt")), saved);

    // A refused run: nothing to save.
    form.targetUtmOption->click();
    form.localOption->click();
    form.distanceCombo->setCurrentIndex(1);
    presenter.ReplacePoint(0, {QStringLiteral("mar"), 120000, 4000000, 0, 30});
    presenter.DeletePoints({1});
    Run();
    EXPECT_FALSE(form.saveButton->isEnabled());
    presenter.Save();
    EXPECT_EQ(ReadFile(Path("zona.txt")), saved);
}

TEST_F(SaveTest, ADrawingSavedOnceIsNeverOverwrittenByPointResults) {
    // A drawing run, saved with "Guardar Como".
    const QString drawing = QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_parcela_ed50.dxf");
    presenter.OpenFile(drawing, quillon::InputFormat::Drawing);
    programa.huso()->acceptButton->click();
    Run();
    ASSERT_TRUE(form.saveAsButton->isEnabled());
    SaveAs(Path("parcela.dxf"), 1);
    const QByteArray saved = ReadFile(Path("parcela.dxf"));
    ASSERT_TRUE(saved.startsWith("  0\nSECTION\n")); // the engine's copy of the drawing
    form.saveButton->click();                        // the same drawing again, into the same file
    EXPECT_EQ(files.saved.size(), 1u);
    EXPECT_EQ(ReadFile(Path("parcela.dxf")), saved);

    // Then points: "Guardar" asks, and the drawing stays a drawing.
    ReadUtm("puntos.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    Run();
    form.saveButton->click();
    EXPECT_EQ(files.saved.size(), 2u);
    EXPECT_EQ(ReadFile(Path("parcela.dxf")), saved);
}

// The dialog proposes the input's folder and name, with the target datum
// and the format's extension, and adds the extension when the name lacks it.
TEST_F(SaveTest, DialogProposesTheInputsFolderAndName) {
    form.saveAsButton->click(); // typed points: the home folder, "puntos"
    ASSERT_EQ(files.saved.size(), 1u);
    EXPECT_EQ(files.saved[0].fileName, QDir::home().filePath("puntos_ETRS89.txt"));
    EXPECT_EQ(files.saved[0].filter, "txt (*.txt)|*.txt|Autocad 12 dxf (*.dxf)|*.dxf");

    ReadUtm("vertices.txt", "SERVILLETA,298569.727,4295339.009,520.6,30\r\n");
    Run();
    form.saveAsButton->click();
    EXPECT_EQ(files.saved[1].fileName, QString::fromStdString(folder.File("vertices_ETRS89.txt")));

    SaveAs(Path("sin_extension"), 2); // the drawing filter
    EXPECT_TRUE(QFile::exists(Path("sin_extension.dxf")));
    EXPECT_TRUE(QFile::exists(Path("sin_extension_metadatos.txt")));
    form.saveAsButton->click(); // the drawing filter is kept
    EXPECT_EQ(files.saved[3].filterIndex, 2);
    EXPECT_EQ(files.saved[3].fileName, QString::fromStdString(folder.File("vertices_ETRS89.dxf")));

    SaveAs(Path("texto"), 1);
    EXPECT_EQ(ReadFile(Path("texto.txt")).left(22), QByteArray("ID,X UTM,Y UTM,h,Huso\r"));
    SaveAs(Path("MAYUSCULAS.DXF"), 1); // the extension asks for a drawing
    EXPECT_TRUE(ReadFile(Path("MAYUSCULAS.DXF")).startsWith("  0\r\nSECTION"));
    // Typed points again: the folder saved to last.
    messages.answers.push_back(true);
    form.deleteAllButton->click();
    Add(QStringLiteral("SERVILLETA"), 298569.727, 4295339.009, 520.6, 30);
    Run();
    form.saveAsButton->click();
    EXPECT_EQ(files.saved.back().fileName, Path("puntos_ETRS89.dxf"));
}

TEST_F(SaveTest, DrawingDialogProposesADrawingName) {
    const QString drawing = Path("plano.dxf");
    QFile::copy(QStringLiteral(QUILLON_SOURCE_DATA_DIR "/muestra_parcela_ed50.dxf"), drawing);
    presenter.OpenFile(drawing, quillon::InputFormat::Drawing);
    programa.huso()->acceptButton->click();
    Run();
    form.saveAsButton->click();
    ASSERT_EQ(files.saved.size(), 1u);
    EXPECT_EQ(files.saved[0].filter, "Autocad DXF (*.dxf)|*.dxf|");
    EXPECT_EQ(files.saved[0].fileName, Path("plano_ETRS89.dxf"));
    SaveAs(Path("plano_nuevo"), 1);
    EXPECT_TRUE(ReadFile(Path("plano_nuevo.dxf")).startsWith("  0\nSECTION\n"));
}

TEST(SaveFormats, MetadataNameAndPointFileOfADrawing) {
    EXPECT_EQ(quillon::MetadataFileName("/datos/v1.2/zona"), "/datos/v1.2/zona_metadatos.txt");
    EXPECT_EQ(quillon::MetadataFileName("/datos/v1.2/zona.txt"), "/datos/v1.2/zona_metadatos.txt");
    EXPECT_EQ(quillon::MetadataFileName("zona.final.txt"), "zona.final_metadatos.txt");
    QVector<quillon::PointRecord> results(2);
    results[0] = {"A", 37.4557947, -4.0512, 500, 0};
    EXPECT_EQ(quillon::DrawingPointFile(results, 1, CoordinateKind::Geodetic),
              QByteArray("ID\tLong\tLat\tZ\r\n 1\t-4.08666666666667\t 37.7660963888889\t 500\r\n"));
    EXPECT_EQ(quillon::ResultsTextAs(results, 0, CoordinateKind::Geocentric),
              QByteArray("ID,X,Y,Z\n\r\n"));
    EXPECT_EQ(quillon::ResultsText(results, 0, CoordinateKind::Geodetic),
              QByteArray("ID\tLatitud\tLongitud\th\r\n"));
    EXPECT_EQ(quillon::WithExtension("/a/b.c/zona", quillon::SaveFormat::Text), "/a/b.c/zona.txt");
    EXPECT_EQ(quillon::WithExtension("/a/zona.TXT", quillon::SaveFormat::Text), "/a/zona.TXT");
    EXPECT_EQ(quillon::WithExtension("/a/zona.txt", quillon::SaveFormat::Drawing),
              "/a/zona.txt.dxf");
}

} // namespace
} // namespace quillon_test
