// quillon-cli punto, run as a user runs it.
#include "support/run_command.h"

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
                     "179163.242\t4172441.796\t250.200\t30.\n"
                     "212791.647\t4040334.535\t43.120\t30.\n"
                     "280923.327\t3998547.762\t30.700\t30.\n");
}

TEST(CliPunto, ReadsStandardInputAndGivesZonePerPoint) {
    // Longitude -6.5 lies in zone 29, -1 in zone 30; ED50 -> ED50 only re-projects.
    const auto r = RunCommand(kCli + " punto --datum-a ED50 --tipo-a geodesicas --datum-b ED50"
                                     " --tipo-b utm",
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

} // namespace
