// quillon-cli buscar and parametros.
#include "support/run_command.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using quillon_test::RunCommand;

const std::string kCli = QUILLON_CLI_PATH;

TEST(CliBuscar, NearestVerticesAroundAnEd50Centre) {
    const auto r = RunCommand(kCli + " buscar --datum ED50 --tipo utm --numero 3"
                                     " 212903.466,4040539.144");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "numero\tnombre\ted50_x\ted50_y\tdistancia\n"
                     "106899\tSAN FERNANDO GPS 1995\t212903.466\t4040539.144\t0.000\n"
                     "106977\tMEDINA SIDONIA\t217890.438\t4041129.583\t5021.803\n"
                     "106253\tSIERREZUELA 1\t224679.473\t4055447.796\t18998.480\n");
}

TEST(CliBuscar, GeodeticCentreInDegreesAndNamesInUtf8) {
    // SAN GARCÍA, ETRS89 geodetic (from PROJ invproj of its ETRS89 UTM), within 100 m.
    const auto r = RunCommand(kCli + " buscar --datum ETRS89 --tipo geodesicas --distancia 100 --"
                                     " -5.433812,36.1069");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("107826\tSAN GARCÍA\t281035.667\t3998752.728\t"), std::string::npos)
        << r.out;
}

// A UTM centre given in zone 29 with --huso 29 finds the vertices of the same
// place given in zone 30 (the zone 29 centres are PROJ's cs2cs EPSG:23030 ->
// EPSG:23029 of the zone 30 ones); taken as zone 30 figures, it lies some
// 500 km east and finds others.
TEST(CliBuscar, AUtmCentreInItsOwnZone) {
    struct Case {
        const char* zone30;
        const char* zone29;
    };
    const Case cases[] = {
        {"212903.466,4040539.144", "750563.490,4039401.170"},
        {"281035.667,3998752.728", "821169.884,4001909.459"},
    };
    // The vertices found, without their distances.
    const auto vertices = [](const std::string& out) {
        std::string kept;
        std::size_t start = 0;
        for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
            kept += out.substr(start, out.rfind('\t', end) - start) + "\n";
        }
        return kept;
    };
    const std::string search = kCli + " buscar --datum ED50 --tipo utm --numero 5 ";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone30);
        const auto reference = RunCommand(search + c.zone30);
        ASSERT_EQ(reference.status, 0) << reference.err;
        ASSERT_EQ(std::count(reference.out.begin(), reference.out.end(), '\n'), 6);
        const auto own = RunCommand(search + "--huso 29 " + c.zone29);
        ASSERT_EQ(own.status, 0) << own.err;
        EXPECT_EQ(vertices(own.out), vertices(reference.out));
        // The nearest vertex is the centre itself: its distance, 0 to the
        // millimetre the zone 29 centre was rounded to.
        const std::size_t first = own.out.find('\n') + 1;
        const std::size_t tab = own.out.rfind('\t', own.out.find('\n', first));
        EXPECT_NEAR(std::stod(own.out.substr(tab + 1)), 0.0, 2e-3) << own.out;
        const auto as_zone30 = RunCommand(search + c.zone29);
        ASSERT_EQ(as_zone30.status, 0) << as_zone30.err;
        EXPECT_NE(vertices(as_zone30.out), vertices(reference.out));
    }
}

TEST(CliBuscar, NeedsOneSelection) {
    EXPECT_EQ(RunCommand(kCli + " buscar --datum ED50 --tipo utm 1,2").status, 2);
    EXPECT_EQ(
        RunCommand(kCli + " buscar --datum ED50 --tipo utm --numero 3 --distancia 5 1,2").status,
        2);
}

TEST(CliParametros, LocalSetNextToABlunder) {
    const auto ok = RunCommand(kCli + " parametros --datum-a ED50 --datum-b ETRS89 --parametros"
                                      " vecinos --seleccion 5 --origen 212903.466,4040539.144");
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out.rfind("Cálculo de los parámetros de transformación\n", 0), 0u);
    EXPECT_NE(ok.out.find("Número de puntos utilizados: 4\nVértice descartado por error grosero: "
                          "SAN FERNANDO GPS 1995 (106899), desviación 114.520 m\n"),
              std::string::npos)
        << ok.out;
    const auto failed = RunCommand(kCli + " parametros --datum-a ED50 --datum-b ETRS89"
                                          " --parametros vecinos --seleccion 3"
                                          " --origen 212903.466,4040539.144");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("Imposible calcular: menos de 3 vértices válidos\n"),
              std::string::npos);
}

TEST(CliParametros, NationalBlock) {
    const auto r = RunCommand(kCli + " parametros --datum-a ETRS89 --datum-b ED50 --parametros"
                                     " nacionales");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(" -9.3899400e-006 []\n -6.0309695e-006 [rad]\n"), std::string::npos)
        << r.out;
}

} // namespace
