// TXT point files end to end: output bytes, log summary and failures.
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "support/recording_progress.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::RecordingProgress;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

class TxtProcessing : public ::testing::Test {
protected:
    // Runs ProcesarTXT on `input` and keeps the output and the log.
    int Process(const std::string& input, RunArguments run, ProgressSink* progress = nullptr,
                RunOutcome* outcome = nullptr) {
        WriteWhole(dir_.File("in.txt"), input);
        run.entrada = dir_.File("in.txt");
        if (run.salida.empty()) {
            run.salida = dir_.File("out.txt");
        }
        const int result = ProcesarTXT(dir_.File("log"), run, progress, outcome);
        output_ = std::filesystem::is_regular_file(run.salida) ? ReadWhole(run.salida) : "";
        log_ = Cp1252ToUtf8(ReadWhole(dir_.File("log")));
        return result;
    }

    static RunArguments Run(int da, int pa, double h_in, int db, int pb, double h_out) {
        RunArguments run;
        run.da = da;
        run.pa = pa;
        run.h_entrada = h_in;
        run.db = db;
        run.pb = pb;
        run.h_salida = h_out;
        return run;
    }

    bool LogEndsWith(const std::string& tail) const {
        return log_.size() >= tail.size() && log_.substr(log_.size() - tail.size()) == tail;
    }

    TempDir dir_;
    std::string output_;
    std::string log_;
};

const RunArguments kUtmToUtm = [] {
    RunArguments run;
    run.da = kDatumEd50;
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.db = kDatumEtrs89;
    run.pb = kKindUtm;
    run.h_salida = 30;
    return run;
}();

TEST_F(TxtProcessing, TitleOnlyWithAndWithoutLineFeed) {
    EXPECT_EQ(Process("Solo título\n", kUtmToUtm), 1);
    EXPECT_EQ(output_, "Solo título\r\n");
    EXPECT_TRUE(LogEndsWith("Número de puntos.....: 0\r\n"));
    EXPECT_EQ(Process("Solo título", kUtmToUtm), 1);
    EXPECT_EQ(output_, "Solo título");
    EXPECT_EQ(log_.find("Resumen"), std::string::npos);
}

TEST_F(TxtProcessing, SkippedLinesAndHeightsKeptUtmToUtm) {
    // A blank line is skipped; point 0, a line without a number and point -2
    // are rejected (see rejected_lines_test.cpp).
    const std::string input = "Título\r\n"
                              "7\t298569.727\t4295339.009\t520.6456\t30\r\n"
                              "0\t298569.727\t4295339.009\t1\t30\r\n"
                              "\r\n"
                              "P3\t298569.727\t4295339.009\t1\t30\r\n"
                              "-2\t298569.727\t4295339.009\t1\t30\n"
                              "9\t281035.667\t3998752.728\t-0.0004\t29"; // zone field ignored
    ASSERT_EQ(Process(input, kUtmToUtm), 1);
    EXPECT_EQ(output_, "Título\r\n"
                       "7\t298459.538\t4295133.070\t520.646\t30.\r\n"
                       "9\t280923.327\t3998547.762\t-0.000\t30.\r\n");
    EXPECT_TRUE(LogEndsWith("Tipo de archivo......: TXT\r\nNúmero de puntos.....: 2\r\n"
                            "Líneas rechazadas.....: 3\r\n"
                            "Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"))
        << log_;
}

TEST_F(TxtProcessing, ZoneChosenPerPointAcrossSixDegreesWest) {
    // ED50 geodetic -> ED50 UTM, natural zone: PROJ gives 765384.5241,
    // 4121315.5474 in zone 29 and 234615.4759, 4121315.5474 in zone 30.
    const std::string input = "t\n1\t-6.01\t37.2\t100\n2\t-5.99\t37.2\t100\n";
    ASSERT_EQ(Process(input, Run(kDatumEd50, kKindGeodetic, 0, kDatumEd50, kKindUtm, 0)), 1);
    EXPECT_EQ(output_, "t\r\n1\t765384.524\t4121315.547\t100.000\t29.\r\n"
                       "2\t234615.476\t4121315.547\t100.000\t30.\r\n");
    EXPECT_NE(log_.find("Huso de salida........: INDICADO EN CADA PUNTO\r\n"), std::string::npos);
}

// A local fit warns of the points it extrapolates to: those more than 25 km
// from the nearest vertex it used, and those outside the polygon of its
// vertices, compared with the vertices' source-datum positions in
// data/vertex_catalogue.tsv (distances and polygons worked out by hand).
TEST_F(TxtProcessing, LocalFitsWarnOfPointsFarFromTheirVertices) {
    // Around (389000, 4150000): LUQUE (389373.393, 4154816.773), LAS CANELAS,
    // CARACOL and CANILES (412925.625, 4162132.432), the next one 31.9 km off.
    // Points: LUQUE itself, the centroid of the four, 10 km north of LUQUE
    // (outside, near), 100 km north (91.07 km from CANILES) and (330000,
    // 4150000) given in zone 29 (cct), 59.23 km from LUQUE.
    const std::string around_luque = "t\n1\t389373.393\t4154816.773\t0\t30\n"
                                     "2\t399121.526\t4149964.235\t0\t30\n"
                                     "3\t389373.393\t4164816.773\t0\t30\n"
                                     "4\t389000\t4250000\t0\t30\n"
                                     "5\t860588.816\t4156078.796\t0\t29\n";
    // Around CABEZAS 1, a blunder among its 4 nearest: MONAGO (ETRS89 at
    // 169909.5, 4190167.7), TABERNILLAS and VALLE DE LAS ROZAS are used, and
    // CABEZAS 1's own ETRS89 position lies outside their triangle, 21.9 km
    // from the nearest.
    const std::string around_cabezas = "t\n1\t178782.207\t4166489.028\t0\n"
                                       "2\t169909.482\t4190167.749\t0\n";
    const std::string far = "Aviso: 2 puntos a más de 25 km del vértice empleado más cercano "
                            "(máximo 91 km)";
    const std::string outside_3 = "Aviso: 3 puntos fuera del polígono de los vértices empleados";
    const std::string outside_1 = "Aviso: 1 punto fuera del polígono de los vértices empleados";
    struct Case {
        const std::string& input;
        int da, db, parametros;
        double selection, x, y, h_entrada;
        std::vector<std::string> warnings;
    };
    const std::vector<Case> cases = {
        {around_luque,
         kDatumEd50,
         kDatumEtrs89,
         kParametersByDistance,
         27000,
         389000,
         4150000,
         0,
         {far, outside_3}},
        {around_luque,
         kDatumEd50,
         kDatumEtrs89,
         kParametersByNumber,
         4,
         389000,
         4150000,
         0,
         {far, outside_3}},
        {around_luque, kDatumEd50, kDatumEtrs89, kParametersSpain, 0, 0, 0, 0, {}},
        {around_cabezas,
         kDatumEtrs89,
         kDatumEd50,
         kParametersByNumber,
         4,
         179274.028,
         4172646.558,
         30,
         {outside_1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parametros);
        RunArguments run = Run(c.da, kKindUtm, c.h_entrada, c.db, kKindUtm, 30);
        run.parametros = c.parametros;
        run.selec_param = c.selection;
        run.x = c.x;
        run.y = c.y;
        RunOutcome outcome;
        ASSERT_EQ(Process(c.input, run, nullptr, &outcome), 1) << log_;
        EXPECT_EQ(outcome.warnings, c.warnings);
        // The summary's last line, the uncertainty's range, then the warnings.
        EXPECT_NE(log_.find("Número de puntos.....: " + std::to_string(outcome.points) +
                            "\r\nIncertidumbre (95 %).: "),
                  std::string::npos)
            << log_;
        std::string tail = " m\r\n";
        for (const std::string& warning : c.warnings) {
            tail += warning + "\r\n";
        }
        EXPECT_TRUE(LogEndsWith(tail)) << log_;
    }
    EXPECT_NE(log_.find("Número de puntos utilizados: 3\r\n"), std::string::npos); // no blunder
}

TEST_F(TxtProcessing, GeodeticOutputCarriesHeights) {
    // A UTM input keeps its H; a geodetic input its transformed h.
    ASSERT_EQ(Process("t\n1\t298569.727\t4295339.009\t520.6\t30\n",
                      Run(kDatumEd50, kKindUtm, 0, kDatumEtrs89, kKindGeodetic, 0)),
              1);
    EXPECT_NE(output_.find("\t520.600000000000\r\n"), std::string::npos) << output_;
    // ED50 (-4.8488175670, 37.5333968230, 1386.316) -> ETRS89 h 1466.9872 (PROJ).
    ASSERT_EQ(Process("t\n1\t-4.8488175670\t37.5333968230\t1386.3160\n",
                      Run(kDatumEd50, kKindGeodetic, 0, kDatumEtrs89, kKindGeodetic, 0)),
              1);
    ASSERT_EQ(output_.substr(0, 5), "t\r\n1\t");
    const std::string line = output_.substr(3);
    const TabFields fields(line); // number, longitude, latitude, h
    EXPECT_NEAR(ReadDecimal(fields[1]), -4.8501286621, 2e-8);
    EXPECT_NEAR(ReadDecimal(fields[2]), 37.5321379133, 2e-8);
    EXPECT_NEAR(ReadDecimal(fields[3]), 1466.9872, 2e-3);
    EXPECT_EQ(fields[3].size(), std::string("1466.987200000000\r\n").size()) << output_;
}

TEST_F(TxtProcessing, ValuesBeyondTheWritableRangeAreRejectedNotWrittenInf) {
    ASSERT_EQ(Process("t\n1\t2e8\t0\t0\n2\t1e8\t0\t0\n",
                      Run(kDatumEd50, kKindGeocentric, 0, kDatumEd50, kKindGeocentric, 0)),
              1);
    EXPECT_EQ(output_, "t\r\n2\t100000000.000\t0.000\t0.000\r\n");
    EXPECT_NE(log_.find("Línea 2 rechazada: resultado fuera de rango\r\n"), std::string::npos);
}

TEST_F(TxtProcessing, PlaneCoordinatesAreRefused) {
    EXPECT_EQ(
        Process("t\n1\t1\t2\t3\n", Run(kDatumEd50, kKindPlane, 0, kDatumEtrs89, kKindUtm, 30)), 0);
    EXPECT_EQ(output_, "");
    EXPECT_TRUE(LogEndsWith("\r\n\r\nNo se puede transformar la proyección plana\r\n")) << log_;
    EXPECT_EQ(Process("t\n1\t1\t2\t3\t30\n", Run(kDatumEd50, kKindUtm, 0, kDatumEtrs89, 0, 0)), 0);
    EXPECT_TRUE(LogEndsWith("No se puede transformar la proyección plana\r\n"));
}

TEST_F(TxtProcessing, UtmPointsWithoutAZoneAreRejectedAndReported) {
    const RunArguments run = Run(kDatumEd50, kKindUtm, 0, kDatumEtrs89, kKindUtm, 30);
    ASSERT_EQ(Process("t\n1\t298569.727\t4295339.009\t0\n2\t298569.727\t4295339.009\t0\t30\n", run),
              1);
    EXPECT_EQ(output_, "t\r\n2\t298459.538\t4295133.070\t0.000\t30.\r\n");
    EXPECT_NE(log_.find("\r\nLínea 2 rechazada: falta el huso\r\nResumen de la conversión\r\n"),
              std::string::npos)
        << log_;
    EXPECT_TRUE(LogEndsWith("Número de puntos.....: 1\r\nLíneas rechazadas.....: 1\r\n"
                            "Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"))
        << log_;
}

TEST_F(TxtProcessing, LongLinesAreReadWhole) {
    // A title of 5000 characters and a point line whose fifth field is 3000
    // characters long: cut into pieces, the tail would read as point 12.
    const std::string title(5000, 'T');
    std::string tail = "\t30\t";
    while (tail.size() < 3000) {
        tail += "12\t300000\t4100000\t0\t30 ";
    }
    ASSERT_EQ(Process(title + "\n1\t298569.727\t4295339.009\t5" + tail + "\n", kUtmToUtm), 1);
    EXPECT_EQ(output_, title + "\r\n1\t298459.538\t4295133.070\t5.000\t30.\r\n");
}

TEST_F(TxtProcessing, WriteFailureIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    RunArguments run = kUtmToUtm;
    run.salida = "/dev/full";
    EXPECT_EQ(Process("t\n1\t298569.727\t4295339.009\t5\t30\n", run), 0);
    EXPECT_TRUE(LogEndsWith("Error al escribir el archivo de salida: /dev/full\r\n")) << log_;
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(TxtProcessing, FailuresBeforeAnyPoint) {
    RunArguments run = kUtmToUtm;
    run.entrada = dir_.File("missing.txt");
    run.salida = dir_.File("out.txt");
    EXPECT_EQ(ProcesarTXT(dir_.File("log"), run, nullptr), 0);
    EXPECT_TRUE(Cp1252ToUtf8(ReadWhole(dir_.File("log")))
                    .ends_with("\r\n\r\nNo se puede leer el archivo de entrada\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.txt")));
    // Fewer than 3 vertices in reach: the log says so, no output.
    run.parametros = kParametersByDistance;
    run.selec_param = 10;
    EXPECT_EQ(Process("t\n1\t298569.727\t4295339.009\t5\t30\n", run), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.txt")));
    EXPECT_TRUE(LogEndsWith("Punto de origen.......: (0.000 ; 0.000 ; 0.000)\r\n"
                            "Catálogo de vértices..: integrado (de demostración: 176 de 180 "
                            "vértices sintéticos)\r\n\r\n"
                            "Cálculo de los parámetros de transformación\r\n"
                            "=============================================\r\n\r\n"
                            "Imposible calcular: solo 0 vértices a menos de 10 m\r\n"))
        << log_;
    // An unknown parameter choice is refused, not run with whatever set.
    run.parametros = 5;
    EXPECT_EQ(Process("t\n", run), 0);
    EXPECT_TRUE(LogEndsWith("Elección de parámetros no admitida: 5\r\n"));
}

TEST_F(TxtProcessing, ProgressWindowAboveFiftyThousandBytes) {
    // A title line pads the file to an exact size.
    auto input_of_size = [](std::size_t size) {
        const std::string point = "1\t298569.727\t4295339.009\t5\t30\n";
        return std::string(size - point.size() - 1, 'x') + "\n" + point;
    };
    RecordingProgress small;
    ASSERT_EQ(Process(input_of_size(50000), kUtmToUtm, &small), 1);
    EXPECT_TRUE(small.events.empty());
    RecordingProgress large;
    ASSERT_EQ(Process(input_of_size(50001), kUtmToUtm, &large), 1);
    EXPECT_EQ(large.events, (std::vector<std::string>{"Open Transformando 50001", "Close"}));
    EXPECT_EQ(large.steps, std::vector<std::uint64_t>{50001});
    // Closed on a failure after opening, too.
    RecordingProgress failed;
    RunArguments run = kUtmToUtm;
    run.parametros = kParametersByDistance;
    run.selec_param = 1;
    EXPECT_EQ(Process(input_of_size(60000), run, &failed), 0);
    EXPECT_EQ(failed.open, 1);
    EXPECT_EQ(failed.close, 1);
}

TEST(CentroideTXT, CentroidRectangleAndCount) {
    TempDir dir;
    const std::string path = dir.File("in.txt");
    WriteWhole(path, "t\n1\t300100\t4100200\t0\n2\t300300\t4100600\t0\n0\t9999\t9999\t0\n"
                     "3\t300200\t4100100\t0\n");
    CentroidResult result;
    RecordingProgress progress;
    ASSERT_EQ(CentroideTXT(path, kDatumEd50, kKindUtm, 30, result, &progress), 1);
    EXPECT_EQ(result.count, 3);
    // ED50 UTM 30 in and out, through geodetic and back: within 0.1 mm.
    EXPECT_NEAR(result.x, 300200.0, 1e-4);
    EXPECT_NEAR(result.y, 4100300.0, 1e-4);
    EXPECT_NEAR(result.x_min, 300100.0, 1e-4);
    EXPECT_NEAR(result.x_max, 300300.0, 1e-4);
    EXPECT_NEAR(result.y_min, 4100100.0, 1e-4);
    EXPECT_NEAR(result.y_max, 4100600.0, 1e-4);
    EXPECT_TRUE(progress.events.empty());
    // ETRS89 input is carried to ED50 with the national set.
    WriteWhole(path, "t\n1\t298459.472\t4295133.07\t0\t30\n");
    ASSERT_EQ(CentroideTXT(path, kDatumEtrs89, kKindUtm, 0, result, nullptr), 1);
    EXPECT_NEAR(result.x, 298569.727, 0.2);
    EXPECT_NEAR(result.y, 4295339.009, 0.2);
}

TEST(CentroideTXT, StartValuesWhenNothingCounts) {
    TempDir dir;
    CentroidResult result;
    EXPECT_EQ(CentroideTXT(dir.File("missing"), kDatumEd50, kKindUtm, 30, result, nullptr), 0);
    EXPECT_EQ(result.x_min, 1e30);
    EXPECT_EQ(result.x_max, -1e30);
    WriteWhole(dir.File("t"), "solo título\n\n0\t1\t2\t3\n");
    ASSERT_EQ(CentroideTXT(dir.File("t"), kDatumEd50, kKindUtm, 30, result, nullptr), 1);
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(result.x, 0.0);
    EXPECT_EQ(result.y_min, 1e30);
    EXPECT_EQ(result.y_max, -1e30);
    WriteWhole(dir.File("p"), "t\n1\t1\t2\t3\n");
    EXPECT_EQ(CentroideTXT(dir.File("p"), kDatumEd50, kKindPlane, 30, result, nullptr), 0);
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(result.x_min, 1e30);
}

} // namespace
} // namespace dezadiravevava

namespace dezadiravevava {
namespace {

// Every long operation opens its window with its own caption and closes it.
TEST(ProgressWindow, CaptionsOfTheOtherOperations) {
    TempDir dir;
    const std::string big_txt = dir.File("big.txt");
    WriteWhole(big_txt, std::string(60000, 'x') + "\n1\t300000\t4100000\t0\t30\n");
    CentroidResult result;
    quillon_test::RecordingProgress centroid;
    ASSERT_EQ(CentroideTXT(big_txt, kDatumEd50, kKindUtm, 30, result, &centroid), 1);
    EXPECT_EQ(centroid.events,
              (std::vector<std::string>{"Open Calculando Centroide 60023", "Close"}));
    quillon_test::RecordingProgress writer;
    ASSERT_EQ(ConvertirTXTaDXF(big_txt, dir.File("out.dxf"), 2, &writer), 1);
    EXPECT_EQ(writer.events, (std::vector<std::string>{"Open Transformando 60023", "Close"}));
    const std::string big_dxf = dir.File("big.dxf");
    WriteWhole(big_dxf, "999\n" + std::string(60000, 'x') +
                            "\n  0\nSECTION\n  2\nENTITIES\n"
                            "  0\nENDSEC\n  0\nEOF\n");
    quillon_test::RecordingProgress drawing;
    ASSERT_EQ(CentroideDXF(big_dxf, kDatumEd50, kKindUtm, 30, result, &drawing), 1);
    EXPECT_EQ(drawing.events.front().rfind("Open Calculando Centroide", 0), 0u);
    EXPECT_EQ(drawing.close, 1);
}

// The grid refuses the points it does not hold, line by line (file line
// numbers: the title is line 1), and the run goes on; the log lists the first
// 1000 and counts the rest.
TEST_F(TxtProcessing, GridRejectsPointsOutsideIt) {
    RunArguments run = kUtmToUtm;
    run.parametros = kParametersGrid;
    std::string input = "t\n1\t300000\t4150000\t100\t30\n\n";
    for (int i = 0; i < 1002; ++i) {
        input += "2\t100000\t3800000\t5\t30\n"; // south of the grid, in the sea
    }
    input += "3\t400000\t4100000\t50\t30\n";
    ASSERT_EQ(Process(input, run), 1) << log_;
    EXPECT_EQ(output_.substr(0, output_.find("\r\n3\t")),
              "t\r\n1\t299888.481\t4149794.973\t100.000\t30.");
    EXPECT_NE(log_.find("Línea 4 rechazada: fuera de la rejilla\r\n"), std::string::npos);
    EXPECT_NE(log_.find("Línea 1003 rechazada: fuera de la rejilla\r\n"
                        "Otras 2 líneas rechazadas no se detallan\r\n"),
              std::string::npos);
    EXPECT_EQ(log_.find("Línea 1004 rechazada"), std::string::npos);
    EXPECT_TRUE(LogEndsWith("Número de puntos.....: 2\r\nLíneas rechazadas.....: 1002\r\n"
                            "Incertidumbre (95 %).: 0.050 a 0.050 m\r\n"))
        << log_;
}

// Coordinates no conversion takes are rejected line by line, with their
// reason, and the run goes on.
TEST_F(TxtProcessing, PointsOutsideTheDomainAreRejected) {
    struct Case {
        int kind;
        std::string coordinates;
    };
    const std::vector<Case> cases = {
        {kKindGeodetic, "-3.5\t90.5\t0"},   {kKindGeodetic, "181\t37\t0"},
        {kKindGeodetic, "1e300\t1e300\t0"}, {kKindUtm, "-600000\t4100000\t0"},
        {kKindUtm, "1600000\t4100000\t0"},  {kKindUtm, "1e300\t1e300\t0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coordinates);
        const double zone_in = c.kind == kKindUtm ? 30 : 0;
        ASSERT_EQ(Process("t\n1\t" + c.coordinates + "\n",
                          Run(kDatumEd50, c.kind, zone_in, kDatumEtrs89, kKindUtm, 30)),
                  1)
            << log_;
        EXPECT_EQ(output_, "t\r\n");
        EXPECT_NE(log_.find("Línea 2 rechazada: fuera del dominio de las coordenadas\r\n"),
                  std::string::npos)
            << log_;
        EXPECT_TRUE(LogEndsWith("Número de puntos.....: 0\r\nLíneas rechazadas.....: 1\r\n"));
    }
}

// With the region check a point outside the served region is rejected; with
// the IGN grid the grid's extent decides instead. Outside the domain is the
// first reason of all. The header of the log does not change.
TEST_F(TxtProcessing, RegionCheckRejectsPointsOutsideTheServedRegion) {
    // Paris, Sevilla and a longitude beyond 180 degrees, ED50.
    const std::string input = "t\n1\t2.3522\t48.8566\t0\n2\t-5.9845\t37.3891\t0\n"
                              "3\t181\t37\t0\n";
    struct Case {
        bool region_only;
        int parametros;
        std::string paris; // why Paris is rejected; empty: transformed
    };
    const std::vector<Case> cases = {
        {false, kParametersSpain, ""},
        {true, kParametersSpain, "fuera de la región de cálculo"},
        {false, kParametersGrid, "fuera de la rejilla"},
        {true, kParametersGrid, "fuera de la rejilla"},
    };
    std::string header;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.region_only << " " << c.parametros);
        RunArguments run = Run(kDatumEd50, kKindGeodetic, 0, kDatumEtrs89, kKindUtm, 0);
        run.parametros = c.parametros;
        run.region_only = c.region_only;
        ASSERT_EQ(Process(input, run), 1) << log_;
        EXPECT_EQ(output_.find("\r\n1\t") != std::string::npos, c.paris.empty()) << output_;
        EXPECT_NE(output_.find("\r\n2\t"), std::string::npos) << output_;
        EXPECT_EQ(output_.find("\r\n3\t"), std::string::npos) << output_;
        if (!c.paris.empty()) {
            EXPECT_NE(log_.find("Línea 2 rechazada: " + c.paris + "\r\n"), std::string::npos)
                << log_;
        }
        EXPECT_NE(log_.find("Línea 4 rechazada: fuera del dominio de las coordenadas\r\n"),
                  std::string::npos)
            << log_;
        EXPECT_EQ(log_.find("Línea 3 rechazada"), std::string::npos) << log_;
        if (c.parametros == kParametersSpain) {
            const std::string this_header = log_.substr(0, log_.find("Línea "));
            EXPECT_TRUE(header.empty() || this_header == header);
            header = this_header;
        }
    }
}

// The region check leaves the points outside the served region out of a
// centroid and out of a drawing made of a point file's points; points outside
// the domain never count in a centroid.
TEST(RegionCheck, CentroidsAndDrawingsLeaveOutsidersOut) {
    TempDir dir;
    const std::string txt = dir.File("in.txt");
    // Near Sevilla, 900 km north of it, and nothing a conversion takes.
    WriteWhole(txt, "t\n1\t235000\t4140000\t10\t30.\n2\t235000\t5040000\t20\t30.\n"
                    "3\t1e300\t1e300\t0\t30.\n");
    for (const bool region_only : {false, true}) {
        SCOPED_TRACE(region_only);
        CentroidResult result;
        ASSERT_EQ(CentroideTXT(txt, kDatumEd50, kKindUtm, 30, result, nullptr, 1, region_only), 1);
        EXPECT_EQ(result.count, region_only ? 1 : 2);
        EXPECT_NEAR(result.y, region_only ? 4140000.0 : 4590000.0, 1e-3);

        const std::string dxf = dir.File("out.dxf");
        ASSERT_EQ(ConvertirTXTaDXF(txt, dxf, kKindUtm, nullptr, 1, region_only), 1);
        const std::string drawing = ReadWhole(dxf);
        std::size_t points = 0;
        for (std::size_t at = drawing.find("POINT"); at != std::string::npos;
             at = drawing.find("POINT", at + 1)) {
            ++points;
        }
        EXPECT_EQ(points, region_only ? 1u : 3u);
        // The point kept keeps the handle of its line.
        EXPECT_NE(drawing.find("POINT\r\n  5\r\n3e8\r\n  8\r\n0\r\n 10\r\n235000.000000\r\n"
                               " 20\r\n4140000.000000\r\n"),
                  std::string::npos)
            << drawing;

        ASSERT_EQ(CentroideDXF(dxf, kDatumEd50, kKindUtm, 30, result, nullptr, 1, region_only), 1);
        EXPECT_EQ(result.count, region_only ? 1 : 2);
    }
}

// With orthometric heights a UTM point's geodetic output carries h = H + N
// (without them, its H as it was).
TEST_F(TxtProcessing, OrthometricHeightsInGeodeticOutput) {
    RunArguments run = Run(kDatumEd50, kKindUtm, 30, kDatumEtrs89, kKindGeodetic, 0);
    run.parametros = kParametersGrid;
    const std::string input = "t\n1\t300000\t4150000\t100\t30\n";
    ASSERT_EQ(Process(input, run), 1);
    EXPECT_EQ(output_, "t\r\n1\t-5.263002233938\t37.473397170807\t100.000000000000\r\n");
    run.orthometric_heights = true;
    ASSERT_EQ(Process(input, run), 1) << log_;
    EXPECT_EQ(output_, "t\r\n1\t-5.263002233938\t37.473397170807\t148.277554642040\r\n");
}

} // namespace
} // namespace dezadiravevava
