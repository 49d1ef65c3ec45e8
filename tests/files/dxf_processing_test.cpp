// DXF drawings: what is transformed, what is copied, and how.
#include "files/dxf_processing.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "support/recording_progress.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

// A DXF from its lines: LF line ends unless a line carries its own end.
std::string Dxf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line + "\n";
    }
    return out;
}

const std::string kHead = Dxf({"  0", "SECTION", "  2", "ENTITIES"});
const std::string kTail = Dxf({"  0", "ENDSEC", "  0", "EOF"});

class DxfProcessing : public ::testing::Test {
protected:
    int Process(const std::string& input, ProgressSink* progress = nullptr) {
        WriteWhole(dir_.File("in.dxf"), input);
        std::filesystem::remove(dir_.File("out.dxf"));
        RunArguments run = run_;
        run.entrada = dir_.File("in.dxf");
        run.salida = dir_.File("out.dxf");
        const int result = ProcesarDXF(dir_.File("log"), run, progress);
        output_ = ReadWhole(run.salida);
        log_ = Cp1252ToUtf8(ReadWhole(dir_.File("log")));
        return result;
    }

    // The text the engine writes for a transformed value (ED50 UTM 30 ->
    // ETRS89 UTM 30 with the national set), computed point by point.
    static std::pair<std::string, std::string> Moved(double x, double y) {
        ParameterSet set;
        SetSpainParameters(kDirectionEd50ToEtrs89, set);
        double zone = 30;
        const CoordTriple out = TransformPoint(CoordTriple(x, y, kNoThird), kDatumEd50, kKindUtm,
                                               30, kDatumEtrs89, kKindUtm, 30, set, 0, zone);
        return {CFixed(out.c1, 6), CFixed(out.c2, 6)};
    }

    bool LogEndsWith(const std::string& tail) const {
        return log_.size() >= tail.size() && log_.substr(log_.size() - tail.size()) == tail;
    }

    TempDir dir_;
    RunArguments run_ = [] {
        RunArguments run;
        run.da = kDatumEd50;
        run.pa = kKindUtm;
        run.h_entrada = 30;
        run.db = kDatumEtrs89;
        run.pb = kKindUtm;
        run.h_salida = 30;
        return run;
    }();
    std::string output_;
    std::string log_;
};

TEST_F(DxfProcessing, LinePairsAreReplacedAndHeightsKept) {
    const std::string input =
        Dxf({"  0", "SECTION", "  2", "HEADER", "  9", "$EXTMIN", " 10", "300000.0", " 20",
             "4100000.0", "  0", "ENDSEC"}) +
        kHead +
        Dxf({"  0", "LINE", "  8", "0", " 10", "300000.0", " 20", "4100000.0", " 30", "512.25",
             " 11", "300100.5", " 21", "4100200.25", " 31", "0.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    const auto start = Moved(300000.0, 4100000.0);
    const auto end = Moved(300100.5, 4100200.25);
    const std::string expected =
        Dxf({"  0", "SECTION", "  2", "HEADER", "  9", "$EXTMIN", " 10", "300000.0", " 20",
             "4100000.0", "  0", "ENDSEC"}) +
        kHead +
        Dxf({"  0", "LINE", "  8", "0", " 10", start.first, " 20", start.second, " 30", "512.25",
             " 11", end.first, " 21", end.second, " 31", "0.0"}) +
        kTail;
    EXPECT_EQ(output_, expected);
    EXPECT_TRUE(LogEndsWith("Número de textos.....: 0\r\nNúmero de puntos.....: 0\r\n"
                            "Número de líneas.....: 1\r\nNúmero de polilíneas.: 0\r\n"
                            "Número LW polilíneas.: 0\r\n"));
    // The same point through PROJ's EPSG:1632 pipeline: 299888.349194, 4099794.571549.
    EXPECT_NEAR(std::stod(start.first), 299888.349194, 1e-3);
    EXPECT_NEAR(std::stod(start.second), 4099794.571549, 1e-3);
}

TEST_F(DxfProcessing, OnlyHandledEntitiesAreTouched) {
    const std::string circle =
        Dxf({"  0", "CIRCLE", "  8", "0", " 10", "300000.0", " 20", "4100000.0", " 40", "5.0"});
    const auto text = Moved(300010.0, 4100010.0);
    const auto vertex = Moved(300020.0, 4100020.0);
    const auto lw1 = Moved(300030.0, 4100030.0);
    const auto lw2 = Moved(300040.0, 4100040.0);
    const std::string input =
        kHead + circle + Dxf({"  0", "TEXT", " 10", "300010.0", " 20", "4100010.0", "  1", "A"}) +
        Dxf({"  0", "POLYLINE", " 66", "1", " 10", "0.0", " 20", "0.0", "  0", "VERTEX", " 10",
             "300020.0", " 20", "4100020.0", "  0", "SEQEND"}) +
        Dxf({"  0", "LWPOLYLINE", " 90", "2", " 10", "300030.0", " 20", "4100030.0", " 10",
             "300040.0", " 20", "4100040.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    const std::string expected =
        kHead + circle + Dxf({"  0", "TEXT", " 10", text.first, " 20", text.second, "  1", "A"}) +
        Dxf({"  0", "POLYLINE", " 66", "1", " 10", "0.0", " 20", "0.0", "  0", "VERTEX", " 10",
             vertex.first, " 20", vertex.second, "  0", "SEQEND"}) +
        Dxf({"  0", "LWPOLYLINE", " 90", "2", " 10", lw1.first, " 20", lw1.second, " 10", lw2.first,
             " 20", lw2.second}) +
        kTail;
    EXPECT_EQ(output_, expected);
    EXPECT_TRUE(LogEndsWith("Número de textos.....: 1\r\nNúmero de puntos.....: 0\r\n"
                            "Número de líneas.....: 0\r\nNúmero de polilíneas.: 1\r\n"
                            "Número LW polilíneas.: 1\r\n"))
        << log_;
}

TEST_F(DxfProcessing, CodeZeroWithoutBlanksNeverEndsAnEntity) {
    // "0" reads as group code 0, whose value "LINE" is copied as a value: the
    // POINT runs to the end of the drawing, taking the LINE's pair as its own.
    const std::string input =
        kHead + Dxf({"0", "POINT", " 10", "300000.0", " 20", "4100000.0", "0", "LINE", " 10",
                     "300100.0", " 20", "4100100.0", "0", "EOF"});
    ASSERT_EQ(Process(input), 1);
    const auto first = Moved(300000.0, 4100000.0);
    const auto second = Moved(300100.0, 4100100.0);
    EXPECT_EQ(output_,
              kHead + Dxf({"0", "POINT", " 10", first.first, " 20", first.second, "0", "LINE",
                           " 10", second.first, " 20", second.second, "0", "EOF"}));
    EXPECT_NE(log_.find("Número de puntos.....: 1\r\nNúmero de líneas.....: 0\r\n"),
              std::string::npos)
        << log_;
    EXPECT_NE(log_.find("Advertencia: el dibujo termina dentro de una entidad"), std::string::npos);
}

TEST_F(DxfProcessing, DrawingWithoutHandledEntitiesIsCopiedAsItIs) {
    const std::string input = kHead +
                              Dxf({"  0", "ARC", " 10", "1.0", " 20", "2.0", "  0", "INSERT", "  2",
                                   "BLOQUE", " 10", "3.0", " 20", "4.0"}) +
                              kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, input);
    EXPECT_TRUE(LogEndsWith("Número de textos.....: 0\r\nNúmero de puntos.....: 0\r\n"
                            "Número de líneas.....: 0\r\nNúmero de polilíneas.: 0\r\n"
                            "Número LW polilíneas.: 0\r\n"));
}

TEST_F(DxfProcessing, CopiedLinesKeepTheirBytesAndLength) {
    // CR LF and LF lines, a 600-character comment, trailing blanks: all copied
    // byte for byte; a replaced line keeps the end of the line it replaces.
    const std::string comment = "999\r\n" + std::string(600, 'c') + "  \r\n";
    const std::string input = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + comment +
                              "  0\r\nPOINT\r\n 10\r\n300000.0\r\n 20\n4100000.0\r\n" +
                              "  0\r\nENDSEC\r\n  0\r\nEOF";
    ASSERT_EQ(Process(input), 1);
    const auto p = Moved(300000.0, 4100000.0);
    EXPECT_EQ(output_, "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + comment +
                           "  0\r\nPOINT\r\n 10\r\n" + p.first + "\r\n 20\n" + p.second +
                           "\r\n  0\r\nENDSEC\r\n  0\r\nEOF");
}

TEST_F(DxfProcessing, UtmZoneIsWrittenNowhere) {
    run_.h_salida = 0; // natural zone per pair
    run_.pb = kKindUtm;
    const std::string input = kHead + Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0",
                                           " 30", "30.0", "  0", "ENDSEC", "  0", "EOF"});
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_.find("30.\n"), std::string::npos);
    EXPECT_NE(output_.find(" 30\n30.0\n"), std::string::npos);
}

TEST_F(DxfProcessing, DrawingThatEndsInsideAnEntity) {
    const std::string input = kHead + Dxf({"  0", "LINE", " 10", "300000.0", " 20"});
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, input); // every input line, nothing invented
    EXPECT_TRUE(LogEndsWith("Número LW polilíneas.: 0\r\n"
                            "Advertencia: el dibujo termina dentro de una entidad\r\n"))
        << log_;
    ASSERT_EQ(Process(kHead + Dxf({"  0", "POLYLINE", "  0", "VERTEX", " 10", "1", " 20", "2",
                                   "  0", "VERTEX"})),
              1);
    EXPECT_TRUE(LogEndsWith("Advertencia: el dibujo termina dentro de una entidad\r\n"));
}

TEST_F(DxfProcessing, EmptyPolylineDoesNotSwallowTheNextEntities) {
    const auto p = Moved(300000.0, 4100000.0);
    const std::string input = kHead +
                              Dxf({"  0", "POLYLINE", " 66", "1", "  0", "SEQEND", "  8", "0"}) +
                              Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0"}) + kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_NE(output_.find(" 10\n" + p.first + "\n 20\n" + p.second + "\n"), std::string::npos);
    EXPECT_NE(log_.find("Número de puntos.....: 1\r\nNúmero de líneas.....: 0\r\n"
                        "Número de polilíneas.: 1\r\n"),
              std::string::npos)
        << log_;
}

TEST_F(DxfProcessing, FailuresAreReportedInTheLog) {
    const std::string no_entities =
        Dxf({"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "EOF"});
    EXPECT_EQ(Process(no_entities), 0);
    EXPECT_TRUE(LogEndsWith("El dibujo no tiene sección ENTITIES\r\n"));
    EXPECT_EQ(output_, no_entities);
    run_.h_entrada = 0; // a drawing has one zone, which must be given
    EXPECT_EQ(Process(kHead + kTail), 0);
    EXPECT_NE(log_.find("Huso de entrada no válido para un dibujo"), std::string::npos);
    run_.h_entrada = 30;
    run_.pb = kKindPlane;
    EXPECT_EQ(Process(kHead + kTail), 0);
    EXPECT_TRUE(LogEndsWith("No se puede transformar la proyección plana\r\n"));
    EXPECT_EQ(output_, ""); // never opened
}

TEST(CentroideDXF, CountsEveryPairOnce) {
    TempDir dir;
    const std::string path = dir.File("d.dxf");
    WriteWhole(path, kHead + Dxf({"  0", "LINE",     " 10", "300100.0",  " 20", "4100200.0",
                                  " 11", "300300.0", " 21", "4100400.0", "  0", "TEXT",
                                  " 10", "300200.0", " 20", "4100300.0", "  0", "CIRCLE",
                                  " 10", "9999.0",   " 20", "9999.0"}) +
                         kTail);
    CentroidResult result;
    quillon_test::RecordingProgress progress;
    ASSERT_EQ(CentroideDXF(path, kDatumEd50, kKindUtm, 30, result, &progress), 1);
    EXPECT_EQ(result.count, 3);
    // ED50 UTM 30 in and out: through geodetic and back, some 40 micrometres off.
    EXPECT_NEAR(result.x, 300200.0, 1e-4);
    EXPECT_NEAR(result.y, 4100300.0, 1e-4);
    EXPECT_NEAR(result.x_max, 300300.0, 1e-4);
    EXPECT_NEAR(result.y_min, 4100200.0, 1e-4);
    WriteWhole(path, Dxf({"  0", "EOF"}));
    EXPECT_EQ(CentroideDXF(path, kDatumEd50, kKindUtm, 30, result, nullptr), 0);
    EXPECT_EQ(result.x_min, 1e30);
    EXPECT_EQ(CentroideDXF(path, kDatumEd50, kKindPlane, 30, result, nullptr), 0);
}

// With the grid, a coordinate the grid does not hold cannot be left out of a
// drawing, and moving the rest would leave it in two datums: the drawing is
// not transformed, no output is left, and the log names the line.
TEST_F(DxfProcessing, GridRefusesADrawingReachingBeyondIt) {
    run_.parametros = kParametersGrid;
    const std::string inside = kHead + Dxf({"  0", "POINT", "  8", "0", " 10", "300000.0", " 20",
                                            "4150000.0", " 30", "0.0"});
    EXPECT_EQ(Process(inside + kTail), 1) << log_;
    EXPECT_NE(output_.find("\n 20\n4"), std::string::npos);
    EXPECT_EQ(Process(inside +
                      Dxf({"  0", "LINE", "  8", "0", " 10", "300000.0", " 20", "4150000.0", " 11",
                           "100000.0", " 21", "3800000.0", "  0", "ENDSEC", "  0", "EOF"})),
              0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.dxf")));
    EXPECT_TRUE(LogEndsWith("Línea 24 rechazada: fuera de la rejilla\r\n"
                            "El dibujo no se ha transformado (coordenadas rechazadas: 1)\r\n"))
        << log_;
    // Orthometric heights have nothing to change in a drawing: no geoid is
    // needed (a missing one does not fail the run) and the log says so.
    run_.orthometric_heights = true;
    run_.geoid_path = "/no/such/geoid.gtx";
    EXPECT_EQ(Process(inside + kTail), 1) << log_;
    EXPECT_NE(log_.find("Alturas ortométricas: no se aplican a un dibujo, cuyas alturas no se "
                        "cambian\r\n"),
              std::string::npos);
}

} // namespace
} // namespace dezadiravevava
