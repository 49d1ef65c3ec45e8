// quillon-cli punto, run as a user runs it.
#include "support/run_command.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

using quillon_test::RunCommand;

const std::string kCli = QUILLON_CLI_PATH;
const std::string kEd50UtmToEtrsUtm =
    kCli +
    " punto --datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ETRS89 --tipo-b utm --huso-b 30";

TEST(CliPunto, PublishedVerticesToEtrs89) {
    const auto r = RunCommand(kEd50UtmToEtrsUtm + " 298569.727,4295339.009,520.6"
                                                  " 179274.028,4172646.558,250.2"
                                                  " 212903.466,4040539.144,43.12"
                                                  " 281035.667,3998752.728,30.7");
    ASSERT_EQ(r.status, 0) << r.err;
    // Heights kept (UTM to UTM); zone written "30." as the TXT files do.
    // Checked against PROJ's cct with the EPSG:1632 pipeline (to the millimetre).
    EXPECT_EQ(r.out, "298459.538\t4295133.070\t520.600\t30.\n"
                     "179163.243\t4172441.796\t250.200\t30.\n"
                     "212791.647\t4040334.535\t43.120\t30.\n"
                     "280923.327\t3998547.762\t30.700\t30.\n");
}

TEST(CliPunto, ReadsStandardInputAndGivesZonePerPoint) {
    // Longitude -6.5 lies in zone 29, -1 in zone 30 (east of Andalusia: the
    // region is not checked); ED50 -> ED50 only re-projects.
    const auto r = RunCommand(kCli + " punto --datum-a ED50 --tipo-a geodesicas --datum-b ED50"
                                     " --tipo-b utm --fuera-de-region",
                              "-6.5 37.0 100\n\n-1.0,37.0,5\n");
    ASSERT_EQ(r.status, 0) << r.err;
    // Checked against PROJ's exact transverse Mercator.
    EXPECT_EQ(r.out, "722469.701\t4097861.155\t100.000\t29.\n"
                     "677970.108\t4096808.933\t5.000\t30.\n");
}

TEST(CliPunto, GeodeticOutputWritesTwelveDecimals) {
    const auto r = RunCommand(kCli + " punto --datum-a ED50 --tipo-a geodesicas --datum-b ED50"
                                     " --tipo-b geodesicas -4.5,37.25");
    ASSERT_EQ(r.status, 0) << r.err;
    // Twelve decimals per field; the height passes through geocentric and back,
    // so only nanometres of noise are allowed in it.
    ASSERT_EQ(r.out.size(),
              std::string("-4.500000000000\t37.250000000000\t0.000000000000\n").size() +
                  (r.out[32] == '-' ? 1 : 0))
        << r.out;
    EXPECT_EQ(r.out.substr(0, 32), "-4.500000000000\t37.250000000000\t");
    EXPECT_NEAR(std::stod(r.out.substr(32)), 0.0, 1e-8);
}

TEST(CliPunto, BadPointsAreNamedAndTheRestConverted) {
    const auto r = RunCommand(kCli + " punto --datum-a ED50 --tipo-a utm --datum-b ETRS89"
                                     " --tipo-b utm 298569.727,4295339.009,520.6,30"
                                     " 12a,4295339.009,0,30 298569.727,4295339.009,0,61");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "298459.538\t4295133.070\t520.600\t30.\n");
    EXPECT_NE(r.err.find("punto 12a,4295339.009,0,30: coordenada no numérica: 12a\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("punto 298569.727,4295339.009,0,61: huso fuera de 1..60"),
              std::string::npos)
        << r.err;
}

// Points the parameters do not cover are refused, never given a number: a
// point in Paris, one beyond any coordinate, a latitude typed first. Allowed
// out of the region, the Paris point gets the EPSG:1632 result; PROJ's cct
// with that pipeline gives 2.348782639303, 48.849122274944, 47.1727 m
// (ETRS89 on GRS80).
TEST(CliPunto, PointsOutsideTheRegionAreRefused) {
    const std::string geodetic =
        kCli + " punto --datum-a ED50 --tipo-a geodesicas --datum-b ETRS89 --tipo-b geodesicas ";
    struct Case {
        std::string command;
        const char* point;
        const char* why;
    };
    const Case cases[] = {
        {geodetic, "2.35,48.85", "fuera de la región de cálculo"},
        {kEd50UtmToEtrsUtm + " ", "1e300,1e300", "fuera del dominio de las coordenadas"},
        {geodetic, "37.2,-3.5", "fuera de la región de cálculo"},
    };
    for (const Case& c : cases) {
        const auto r = RunCommand(c.command + c.point);
        EXPECT_EQ(r.status, 1) << c.point;
        EXPECT_EQ(r.out, "") << c.point;
        EXPECT_EQ(r.err, "quillon-cli: punto " + std::string(c.point) + ": " + c.why + "\n");
    }
    const auto r = RunCommand(geodetic + "--fuera-de-region 2.35,48.85");
    ASSERT_EQ(r.status, 0) << r.err;
    double lon = 0, lat = 0, h = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "%lf\t%lf\t%lf\n", &lon, &lat, &h), 3) << r.out;
    EXPECT_NEAR(lon, 2.348782639303, 1e-8);
    EXPECT_NEAR(lat, 48.849122274944, 1e-8);
    EXPECT_NEAR(h, 47.1727, 2e-3);
}

// From standard input, what follows the coordinates is copied after the
// result, TAB-separated, and a comment line is copied whole (numbers as in
// PublishedVerticesToEtrs89).
TEST(CliPunto, LabelsAndCommentsAreCopied) {
    const auto r =
        RunCommand(kEd50UtmToEtrsUtm, "# vértices de prueba\n298569.727,4295339.009,520.6,VG1\n"
                                      "179274.028\t4172646.558\t250.2\tOTRO\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "# vértices de prueba\n298459.538\t4295133.070\t520.600\t30.\tVG1\n"
                     "179163.243\t4172441.796\t250.200\t30.\tOTRO\n");
}

// The uncertainty after the coordinates, before the copied fields: the
// figures of the national set and of the grid.
TEST(CliPunto, UncertaintyAfterTheCoordinates) {
    const auto national =
        RunCommand(kEd50UtmToEtrsUtm + " --incertidumbre 298569.727,4295339.009,520.6,VG1");
    ASSERT_EQ(national.status, 0) << national.err;
    EXPECT_EQ(national.out, "298459.538\t4295133.070\t520.600\t30.\t1.900\tVG1\n");
    const auto grid = RunCommand(kEd50UtmToEtrsUtm +
                                 " --parametros rejilla --incertidumbre 298569.727,4295339.009");
    ASSERT_EQ(grid.status, 0) << grid.err;
    EXPECT_EQ(grid.out.substr(grid.out.size() - 7), "\t0.050\n");
}

TEST(CliPunto, UsageErrors) {
    EXPECT_NE(RunCommand(kCli + " punto --datum-a ED50 --tipo-a utm --datum-b ETRS89 --tipo-b utm"
                                " --sin-sentido 1")
                  .status,
              0);
    const auto zone = RunCommand(kCli + " punto --datum-a ED50 --tipo-a utm --huso-a 0"
                                        " --datum-b ETRS89 --tipo-b utm 1,2");
    EXPECT_NE(zone.status, 0);
    EXPECT_NE(zone.err.find("--huso-a"), std::string::npos);
    EXPECT_NE(RunCommand(kCli + " desconocida").status, 0);
    const auto help = RunCommand(kCli + " punto --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--datum-a"), std::string::npos);
}

// The official grid and the geoid from the command line. `--geoide` takes a
// path only when one ending in .gtx follows; a point after it stays a point.
// Values checked against PROJ (hgridshift, vgridshift) on the same files.
TEST(CliPunto, OfficialGridAndGeoid) {
    const std::string to_geodetic = kCli +
                                    " punto --datum-a ED50 --tipo-a utm --huso-a 30"
                                    " --datum-b ETRS89 --tipo-b geodesicas --parametros rejilla";
    auto r = RunCommand(to_geodetic + " --geoide 300000,4150000,100 100000,3800000,5");
    EXPECT_EQ(r.status, 1); // the second point is south of the grid
    EXPECT_EQ(r.out, "-5.263002233938\t37.473397170807\t148.277554642040\n");
    EXPECT_NE(r.err.find("punto 100000,3800000,5: fuera de la rejilla\n"), std::string::npos)
        << r.err;
    // A geoid that cannot be read fails before any point.
    r = RunCommand(to_geodetic + " --geoide /no/such/geoide.gtx 300000,4150000,100");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("No se puede leer el geoide /no/such/geoide.gtx"), std::string::npos)
        << r.err;
    // Back, with H from the ETRS89 height.
    r = RunCommand(
        kCli +
        " punto --datum-a ETRS89 --tipo-a geodesicas --datum-b ED50 --tipo-b utm"
        " --huso-b 30 --parametros rejilla --geoide=" +
        std::string(QUILLON_SOURCE_DIR) +
        "/data/ign/EGM08_REDNAP.gtx -- -5.263002233938,37.473397170807,148.277554642040");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "300000.000\t4150000.000\t100.000\t30.\n");
    // --rejilla belongs to the grid method; punto knows two methods.
    EXPECT_EQ(RunCommand(kEd50UtmToEtrsUtm + " --rejilla x.gsb 1,2").status, 2);
    EXPECT_EQ(RunCommand(kEd50UtmToEtrsUtm + " --parametros regionales 1,2").status, 2);
    r = RunCommand(kEd50UtmToEtrsUtm + " --parametros rejilla --rejilla /no/such.gsb 1,2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No se puede leer la rejilla /no/such.gsb: no se puede abrir"),
              std::string::npos);
}

} // namespace
