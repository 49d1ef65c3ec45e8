// Whole execution logs, byte for byte, against files written by hand.
#include "files/bundled_files.h"
#include "files/execution_log.h"
#include "files/output_file.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

std::string Expected(const std::string& name) {
    return ReadWhole(std::string(QUILLON_REFERENCE_DIR) + "/logs/" + name);
}

// The log writers in the order a file run calls them: header, parameter
// report, and the summary when the parameters are ready, written as a run
// writes its log.
bool LogRun(const std::string& log, const RunArguments& run, long long points) {
    OutputFile file;
    if (!file.Open(log)) {
        return false;
    }
    file.WriteText(RunHeader(run));
    ParameterSet set;
    FoundVertexList found;
    std::string report;
    int model = run.model;
    const bool ready =
        PrepareParameters(run.da, run.pa, run.db, model, run.parametros, run.selec_param, run.x,
                          run.y, run.z, run.h_entrada, found, set, &report, true);
    file.WriteText(report);
    if (ready) {
        file.WriteText(TxtSummary(points));
    }
    return file.Commit() && ready;
}

RunArguments Arguments(std::string entrada, std::string salida) {
    RunArguments run;
    run.entrada = std::move(entrada);
    run.salida = std::move(salida);
    run.da = kDatumEd50;
    run.db = kDatumEtrs89;
    return run;
}

TEST(ExecutionLog, NationalRun) {
    TempDir dir;
    RunArguments run = Arguments("/datos/obra 7/puntos.txt", "/datos/obra 7/salida.txt");
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.pb = kKindGeodetic;
    run.model = kModelMolodensky; // the header names the model asked for
    run.parametros = kParametersSpain;
    ASSERT_TRUE(LogRun(dir.File("log"), run, 12));
    EXPECT_EQ(ReadWhole(dir.File("log")), Expected("national_run.log"));
}

TEST(ExecutionLog, RegionalRun) {
    TempDir dir;
    RunArguments run = Arguments("/home/topógrafo/campaña.txt", "/home/topógrafo/campaña_etrs.txt");
    run.pa = kKindUtm;
    run.pb = kKindUtm;
    run.model = kModelHelmert;
    run.parametros = kParametersAndalusia;
    ASSERT_TRUE(LogRun(dir.File("log"), run, 3));
    EXPECT_EQ(ReadWhole(dir.File("log")), Expected("regional_run.log"));
}

TEST(ExecutionLog, FailedLocalRunEndsWithTheReason) {
    TempDir dir;
    RunArguments run = Arguments("/tmp/temp_a", "/tmp/temp_b");
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.pb = kKindGeocentric;
    run.parametros = kParametersByNumber;
    run.selec_param = 3;
    run.x = 212903.466; // SAN FERNANDO GPS 1995, a blunder
    run.y = 4040539.144;
    EXPECT_FALSE(LogRun(dir.File("log"), run, 0));
    EXPECT_EQ(ReadWhole(dir.File("log")), Expected("failed_local_run.log"));
}

TEST(ExecutionLog, DistanceChoiceAndUnknownCodes) {
    RunArguments run = Arguments("a", "b");
    run.da = 7; // no datum line
    run.pa = 9; // no kind line
    run.db = kDatumEd50;
    run.pb = kKindPlane;
    run.model = 5; // no model line
    run.parametros = kParametersByDistance;
    run.selec_param = 25000;
    run.x = 1.5;
    run.y = -2;
    const std::string header = RunHeader(run);
    EXPECT_NE(header.find("Archivo de entrada....: a\n\nArchivo de salida.....: b\n"
                          "Datum de salida.......: ED 1950\n"
                          "Proyección de salida..: PROYECCIÓN PLANA\n\n"
                          "Tipo de transformación: USAR PUNTOS A MENOR DISTANCIA\n"
                          "Distancia máxima......: 25000.000\n"
                          "Punto de origen.......: (1.500 ; -2.000 ; 0.000)\n"
                          "Catálogo de vértices..: integrado (de demostración: 176 de 180 "
                          "vértices sintéticos)\n\n"),
              std::string::npos)
        << header;
}

// The grid method: its own model line whatever model was asked for, the
// choice under the label "Elección de parámetros", the heights line, and in
// place of parameters the grid's file, sub-grids and extent, then the geoid.
TEST(ExecutionLog, GridRunWithOrthometricHeights) {
    TempDir dir;
    const std::string grid = dir.File("rejilla.gsb"), geoid = dir.File("geoide.gtx");
    std::filesystem::copy_file(FindBundledFile(kBundledGridName), grid);
    std::filesystem::copy_file(FindBundledFile(kBundledGeoidName), geoid);
    RunArguments run = Arguments("/datos/entrada.txt", "/datos/salida.txt");
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.pb = kKindGeodetic;
    run.model = kModelAffine2D;
    run.parametros = kParametersGrid;
    run.selec_param = 5; // not used by the grid: no count or origin line
    run.orthometric_heights = true;
    const std::string log = dir.File("log");
    std::string report;
    FoundVertexList found;
    ParameterSet set;
    int model = run.model;
    ASSERT_TRUE(PrepareParameters(run.da, run.pa, run.db, model, run.parametros, run.selec_param,
                                  run.x, run.y, run.z, run.h_entrada, found, set, &report, true,
                                  grid));
    EXPECT_EQ(model, kModelGrid);
    ASSERT_TRUE(PrepareGeoid(set, geoid, &report));
    {
        OutputFile file;
        ASSERT_TRUE(file.Open(log));
        file.WriteText(RunHeader(run) + report);
        ASSERT_TRUE(file.Commit());
    }
    const std::string text = Cp1252ToUtf8(ReadWhole(log));
    const std::string expected =
        "Proyección de salida..: COORDENADAS GEODÉSICAS\r\n\r\n"
        "Tipo de transformación: REJILLA NTv2\r\n"
        "Elección de parámetros: USAR REJILLA OFICIAL DEL IGN (SPED2ETV2)\r\n"
        "Alturas...............: ORTOMÉTRICAS\r\n\r\n"
        "Cálculo de los parámetros de transformación\r\n"
        "=============================================\r\n\r\n"
        "Rejilla NTv2..........: " +
        grid +
        "\r\n"
        "Número de subrejillas.: 2\r\n"
        "Extensión.............: longitud -10.183333 a 4.666667, latitud 35.555556 a 44.444444 "
        "(grados)\r\n"
        "Subrejilla............: BALEARES, longitud 0.833333 a 4.666667, latitud 38.000000 a "
        "40.791667 (grados), paso 150 x 150 segundos\r\n"
        "Subrejilla............: PENINSUL, longitud -10.183333 a 4.150000, latitud 35.555556 a "
        "44.444444 (grados), paso 200 x 200 segundos\r\n\r\n"
        "Alturas ortométricas\r\n"
        "======================\r\n\r\n"
        "Geoide................: " +
        geoid +
        "\r\n"
        "Extensión.............: longitud -8.500000 a -0.500004, latitud 35.000000 a 39.499998 "
        "(grados)\r\n"
        "Alturas UTM...........: ortométricas H, con h = H + N sobre el elipsoide ETRS89\r\n\r\n";
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected) << text;
    // Without the option the header is as it always was.
    run.orthometric_heights = false;
    EXPECT_EQ(RunHeader(run).find("Alturas"), std::string::npos);
}

TEST(ExecutionLog, EachRunRewritesTheLogAndRejectedLinesAreCounted) {
    TempDir dir;
    WriteWhole(dir.File("primero.txt"), "t\n1\t298569.727\t4295339.009\t1\n2\tx\t1\t1\n");
    WriteWhole(dir.File("segundo.txt"), "t\n1\t298569.727\t4295339.009\t1\n");
    RunArguments run = Arguments(dir.File("primero.txt"), dir.File("out"));
    run.pa = run.pb = kKindUtm;
    run.h_entrada = run.h_salida = 30;
    ASSERT_EQ(ProcesarTXT(dir.File("log"), run, nullptr), 1);
    EXPECT_TRUE(ReadWhole(dir.File("log"))
                    .ends_with("N\xfamero de puntos.....: 1\r\n"
                               "L\xedneas rechazadas.....: 1\r\n"
                               "Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"));
    run.entrada = dir.File("segundo.txt");
    ASSERT_EQ(ProcesarTXT(dir.File("log"), run, nullptr), 1);
    const std::string text = ReadWhole(dir.File("log"));
    EXPECT_EQ(text.find("primero"), std::string::npos);
    EXPECT_NE(text.find("segundo"), std::string::npos);
    EXPECT_TRUE(text.ends_with("N\xfamero de puntos.....: 1\r\n"
                               "Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"))
        << text; // none rejected
    const std::string dxf = DxfSummary({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(dxf.substr(dxf.find("Tipo")), "Tipo de archivo......: DXF\n"
                                            "Número de textos.....: 1\n"
                                            "Número de puntos.....: 2\n"
                                            "Número de líneas.....: 3\n"
                                            "Número de polilíneas.: 4\n"
                                            "Número LW polilíneas.: 5\n"
                                            "Otras entidades......: 6\n");
}

} // namespace
} // namespace dezadiravevava
