// Point lines that cannot be read whole are rejected and reported, never
// transformed from made-up values; and a run's own arguments are checked.
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/parameter_set.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

// The good point of every case: SERVILLETA, ED50 UTM 30 -> ETRS89 UTM 30.
const std::string kGood = "1\t298569.727\t4295339.009\t520.6\t30\r\n";
const std::string kGoodOut = "1\t298459.538\t4295133.070\t520.600\t30.\r\n";

struct Outcome {
    int result = -1;
    std::string output;
    std::string log;
};

Outcome RunPoints(const std::string& lines, double h_entrada, int pa = kKindUtm, int pb = kKindUtm,
                  double h_salida = 30) {
    TempDir dir;
    WriteWhole(dir.File("in"), "t\r\n" + kGood + lines + kGood);
    RunArguments run;
    run.entrada = dir.File("in");
    run.salida = dir.File("out");
    run.da = kDatumEd50;
    run.pa = pa;
    run.h_entrada = h_entrada;
    run.db = kDatumEtrs89;
    run.pb = pb;
    run.h_salida = h_salida;
    Outcome outcome;
    outcome.result = ProcesarTXT(dir.File("log"), run, nullptr);
    outcome.output = ReadWhole(dir.File("out"));
    outcome.log = Cp1252ToUtf8(ReadWhole(dir.File("log")));
    return outcome;
}

TEST(RejectedLines, NoCoordinateIsInvented) {
    struct Case {
        const char* line;
        double h_entrada; // 0: the zone of each point is needed
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"2,343622.117,4194099.358,120", 30,
         "número de punto no válido (\"2,343622.117,4194099.358,120\")"},
        {"2\t343622.117", 30, "falta la coordenada 2"},
        {"2\t343622.117\t\t120\t30", 30, "falta la coordenada 2"},
        {"2\t343622.117\t4194099.358", 30, "falta la coordenada 3"},
        {"2\t235171,041\t4194099.358\t120", 30, "coordenada 1 no numérica (\"235171,041\")"},
        {"2\t343622.117\t12abc\t120", 30, "coordenada 2 no numérica (\"12abc\")"},
        {"2\t343622.117\t4194099.358\t1.2.3", 30, "coordenada 3 no numérica (\"1.2.3\")"},
        {"2\tnan\t4194099.358\t120", 30, "coordenada 1 no finita (\"nan\")"},
        {"2\t343622.117\t-inf\t120", 30, "coordenada 2 no finita (\"-inf\")"},
        {"2\t1e400\t4194099.358\t120", 30, "coordenada 1 no finita (\"1e400\")"},
        {"2\t343622.117\t4194099.358\t120\t30.7", 0, "huso no válido (\"30.7\")"},
        {"2\t343622.117\t4194099.358\t120\t75", 0, "huso no válido (\"75\")"},
        {"2\t343622.117\t4194099.358\t120\t0", 0, "huso no válido (\"0\")"},
        {"2\t343622.117\t4194099.358\t120", 0, "falta el huso"},
        {"2.5\t343622.117\t4194099.358\t120", 30, "número de punto no válido (\"2.5\")"},
        {"99999999999999999999\t343622.117\t4194099.358\t120", 30,
         "número de punto fuera de rango (\"99999999999999999999\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Outcome o = RunPoints(std::string(c.line) + "\r\n", c.h_entrada);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(o.output, "t\r\n" + kGoodOut + kGoodOut);
        EXPECT_NE(o.log.find(std::string("Línea 3 rechazada: ") + c.reason + "\r\n"),
                  std::string::npos)
            << o.log;
        EXPECT_NE(o.log.find("Número de puntos.....: 2\r\nLíneas rechazadas.....: 1\r\n"),
                  std::string::npos)
            << o.log;
    }
}

TEST(RejectedLines, WhatStillReadsAsAPoint) {
    // Blanks around a field, an integral zone written with decimals, point
    // numbers beyond 32 bits written back as read; a zone that is not needed
    // is not read.
    const Outcome o = RunPoints(" 4294967297 \t 298569.727 \t4295339.009\t520.6\t30.0\r\n"
                                "9223372036854775807\t298569.727\t4295339.009\t520.6\t3e1\r\n",
                                0);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.output,
              "t\r\n" + kGoodOut + "4294967297\t298459.538\t4295133.070\t520.600\t30.\r\n" +
                  "9223372036854775807\t298459.538\t4295133.070\t520.600\t30.\r\n" + kGoodOut);
    EXPECT_EQ(o.log.find("rechazada"), std::string::npos) << o.log;
    // Lines ended by CR CR LF, as the desktop program writes its point files.
    const Outcome cr = RunPoints("3\t298569.727\t4295339.009\t520.6\t30\r\r\n"
                                 "4\t298569.727\t4295339.009\t520.6\r\r\n",
                                 0);
    EXPECT_EQ(cr.output,
              "t\r\n" + kGoodOut + "3\t298459.538\t4295133.070\t520.600\t30.\r\n" + kGoodOut);
    EXPECT_NE(cr.log.find("Línea 4 rechazada: falta el huso\r\n"), std::string::npos);
    EXPECT_EQ(RunPoints("3\t298569.727\t4295339.009\t520.6\tabc\r\n", 30).output,
              "t\r\n" + kGoodOut + "3\t298459.538\t4295133.070\t520.600\t30.\r\n" + kGoodOut);
}

TEST(RejectedLines, ResultsBeyondTheWritableRangeAreRejected) {
    // A geocentric X of 2e8 m cannot be written with the file's fixed-point
    // numbers: it used to come out as "INF".
    const Outcome o = RunPoints("2\t2e8\t0\t0\r\n", 0, kKindGeocentric, kKindGeocentric, 0);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.output.find("INF"), std::string::npos) << o.output;
    EXPECT_NE(o.log.find("Línea 3 rechazada: resultado fuera de rango\r\n"), std::string::npos)
        << o.log;
}

TEST(RejectedLines, TheFirstThousandAreNamedThenCounted) {
    std::string lines;
    for (int i = 0; i < 1005; ++i) {
        lines += "5\tx\t1\t1\r\n";
    }
    const Outcome o = RunPoints(lines, 30);
    EXPECT_EQ(o.result, 1);
    EXPECT_NE(o.log.find("Línea 1002 rechazada: "), std::string::npos);
    EXPECT_EQ(o.log.find("Línea 1003 rechazada: "), std::string::npos);
    EXPECT_NE(o.log.find("Otras 5 líneas rechazadas no se detallan\r\n"), std::string::npos);
    EXPECT_NE(o.log.find("Líneas rechazadas.....: 1005\r\n"), std::string::npos);
}

TEST(RejectedLines, OverlongLineIsRejectedAndTheRestIsRead) {
    const std::string huge = "2\t343622.117\t4194099.358\t" + std::string(70000, '1') + "\t30";
    const Outcome o = RunPoints(huge + "\r\n", 30);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.output, "t\r\n" + kGoodOut + kGoodOut);
    EXPECT_NE(o.log.find("Línea 3 rechazada: línea de más de 65536 caracteres\r\n"),
              std::string::npos)
        << o.log.substr(0, 2000);
    // Without a number first, and overlong: rejected all the same.
    const Outcome comment = RunPoints(std::string(70000, '#') + "\r\n", 30);
    EXPECT_EQ(comment.output, "t\r\n" + kGoodOut + kGoodOut);
    EXPECT_NE(comment.log.find("Línea 3 rechazada: línea de más de 65536 caracteres\r\n"),
              std::string::npos);
}

TEST(RejectedLines, EveryLineThatIsNoPointIsRejectedWithItsReason) {
    struct Case {
        const char* line;
        const char* reason; // empty: a blank line, skipped silently
    };
    const std::vector<Case> cases = {
        {"Giralda\t235171.041\t4142124.422\t42",
         "el número de punto no es un entero (\"Giralda\")"},
        {"* comentario", "el número de punto no es un entero (\"* comentario\")"},
        {"0\t298569.727\t4295339.009\t1", "el número de punto no es positivo (\"0\")"},
        {"-2\t298569.727\t4295339.009\t1", "el número de punto no es positivo (\"-2\")"},
        {"0.5\t298569.727\t4295339.009\t1", "el número de punto no es un entero (\"0.5\")"},
        {"\t298569.727\t4295339.009\t1", "falta el número de punto"},
        {"Giralda (Sevilla),235171.041,4142124.422,42,30",
         "los campos no están separados por tabuladores (\"Giralda "
         "(Sevilla),235171.041,4142124.422...\")"},
        {"P2;235171,041;4142124,422;42", "los campos no están separados por tabuladores "
                                         "(\"P2;235171,041;4142124,422;42\")"},
        {"Catedral de Malaga  373363.463 4064978.608 15",
         "los campos no están separados por tabuladores "
         "(\"Catedral de Malaga  373363.463 4064978.6...\")"},
        {"", ""},
        {" \t ", ""},
        {"\r", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Outcome o = RunPoints(std::string(c.line) + "\r\n", 30);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(o.output, "t\r\n" + kGoodOut + kGoodOut);
        if (*c.reason) {
            EXPECT_NE(o.log.find(std::string("Línea 3 rechazada: ") + c.reason + "\r\n"),
                      std::string::npos)
                << o.log;
            EXPECT_NE(o.log.find("Número de puntos.....: 2\r\nLíneas rechazadas.....: 1\r\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(o.log.find("rechazada"), std::string::npos) << o.log;
        }
    }
}

TEST(RunArgumentsCheck, ZonesAndNumbersTheEngineRefuses) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double h_entrada, h_salida;
        const char* line;
    };
    const std::vector<Case> cases = {
        {30, 75, "Huso de salida no válido: 75\r\n"},
        {30, 30.7, "Huso de salida no válido: 30.7\r\n"},
        {30, 1e300, "Huso de salida no válido: 1e+300\r\n"},
        {30, inf, "Huso de salida no válido: inf\r\n"},
        {30, nan, "Huso de salida no válido: nan\r\n"},
        {30.5, 30, "Huso de entrada no válido: 30.5\r\n"},
        {-0.5, 30, "Huso de entrada no válido: -0.5\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Outcome o = RunPoints("", c.h_entrada, kKindUtm, kKindUtm, c.h_salida);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.output, "");
        EXPECT_NE(o.log.find(c.line), std::string::npos) << o.log;
    }
    // Zone 0, and the -1 of older hosts, mean a zone per point.
    EXPECT_EQ(RunPoints("", 0, kKindUtm, kKindUtm, 0).result, 1);
    EXPECT_EQ(RunPoints("", -1, kKindUtm, kKindUtm, -1).result, 1);
}

} // namespace
} // namespace dezadiravevava
