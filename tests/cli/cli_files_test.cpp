// quillon-cli txt and dxf end to end, with output zones forced and left to
// each point, checked against PROJ's EPSG:1632 (never against the CLI's own
// output of another command).
#include "support/reference_table.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/zone_points.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

// quillon-cli COMMAND INPUT OUTPUT OPTIONS as a shell command line.
std::string Cli(const std::string& command, const std::string& input, const std::string& output,
                const std::string& options) {
    return std::string("'") + QUILLON_CLI_PATH + "' " + command + " " + input + " " + output +
           options;
}

std::string ZoneOption(const char* side, int zone) {
    return zone ? std::string(" --huso-") + side + " " + std::to_string(zone) : std::string();
}

// Geodetic ED50 points with their heights, all over the region, to ETRS89
// UTM: against the shared PROJ table directly. The forward series is good to
// 1 mm; 2 mm covers it.
TEST(CliFiles, TxtGeodeticPointsIntoAForcedZoneAndIntoTheirOwn) {
    const quillon_test::ReferenceTable t("national_epsg1632.tsv");
    std::string input = "ED50 geodesicas\r\n";
    int n = 0, west = 0;
    for (const auto& r : t.rows()) {
        char line[128];
        std::snprintf(line, sizeof line, "%d\t%.10f\t%.10f\t%.4f\r\n", ++n, r[t.Column("ed50_lon")],
                      r[t.Column("ed50_lat")], r[t.Column("ed50_h")]);
        input += line;
        west += r[t.Column("etrs_zone")] == 29 ? 1 : 0;
    }
    ASSERT_GE(west, 10); // where a forced zone 30 differs from the points' own
    TempDir dir;
    WriteWhole(dir.File("in.txt"), input);
    for (const int forced : {30, 0}) {
        const std::string what = forced ? "--huso-b 30" : "no --huso-b";
        const auto run = RunCommand(Cli("txt", dir.File("in.txt"), dir.File("out.txt"),
                                        std::string(" --datum-a ED50 --tipo-a geodesicas "
                                                    "--datum-b ETRS89 --tipo-b utm") +
                                            ZoneOption("b", forced)));
        ASSERT_EQ(run.status, 0) << what << ": " << run.err;
        // The summary counts the points of each zone they were left to.
        const std::string zones = "Husos de salida......: 29 (" + std::to_string(west) +
                                  " puntos), 30 (" + std::to_string(n - west) + " puntos)\r\n";
        const std::string log = ReadWhole(dir.File("out.txt.log"));
        EXPECT_NE(log.find("N\xfamero de puntos.....: " + std::to_string(n) + "\r\n" +
                           (forced ? "" : zones)),
                  std::string::npos)
            << what << ": " << log;
        EXPECT_EQ(log.find("Husos de salida......:") == std::string::npos, forced != 0) << what;
        std::istringstream out(ReadWhole(dir.File("out.txt")));
        std::string line;
        std::getline(out, line);
        for (const auto& r : t.rows()) {
            ASSERT_TRUE(std::getline(out, line)) << what;
            line.erase(line.find_last_not_of('\r') + 1);
            const auto f = quillon_test::SplitTabs(line);
            ASSERT_EQ(f.size(), 5u) << line;
            const bool own = forced == 0;
            const double zone = own ? r[t.Column("etrs_zone")] : 30.0;
            const double x = r[t.Column(own ? "etrs_utm_x" : "etrs_utm30_x")];
            const double y = r[t.Column(own ? "etrs_utm_y" : "etrs_utm30_y")];
            EXPECT_NEAR(std::stod(f[1]), x, 2e-3) << what << ": " << line;
            EXPECT_NEAR(std::stod(f[2]), y, 2e-3) << what << ": " << line;
            EXPECT_NEAR(std::stod(f[3]), r[t.Column("etrs_h")], 2e-3) << what << ": " << line;
            EXPECT_EQ(f[4], std::to_string(static_cast<int>(zone)) + ".") << what;
        }
    }
}

struct ZoneCase {
    int zone_in;
    int zone_out; // 0: no --huso-b, each point's own zone
};
const ZoneCase kZoneCases[] = {{29, 30}, {30, 29}, {30, 0}};

std::string Options(const ZoneCase& c) {
    return std::string(" --datum-a ED50 --tipo-a utm") + ZoneOption("a", c.zone_in) +
           " --datum-b ETRS89 --tipo-b utm" + ZoneOption("b", c.zone_out);
}

// UTM points of western Andalusia, on both sides of 6 W, carried from one
// zone into the other and into their own.
TEST(CliFiles, TxtUtmPointsIntoTheZoneAskedFor) {
    const auto points = quillon_test::WesternPoints();
    TempDir dir;
    for (const ZoneCase& c : kZoneCases) {
        WriteWhole(dir.File("in.txt"), quillon_test::UtmPointFile(points, c.zone_in));
        const std::string what = std::string("txt") + Options(c);
        const auto run =
            RunCommand(Cli("txt", dir.File("in.txt"), dir.File("out.txt"), Options(c)));
        ASSERT_EQ(run.status, 0) << what << ": " << run.err;
        quillon_test::ExpectUtmResult(ReadWhole(dir.File("out.txt")), points, c.zone_out, what);
    }
}

// The same points as the pairs of a drawing: TEXT (insertion and alignment
// points), LINE, POINT, LWPOLYLINE and POLYLINE vertices.
TEST(CliFiles, DxfDrawingIntoTheZoneAskedFor) {
    const auto points = quillon_test::WesternPoints();
    TempDir dir;
    for (const ZoneCase& c : kZoneCases) {
        WriteWhole(dir.File("in.dxf"), quillon_test::UtmDrawing(points, c.zone_in));
        const std::string what = std::string("dxf") + Options(c);
        const auto run =
            RunCommand(Cli("dxf", dir.File("in.dxf"), dir.File("out.dxf"), Options(c)));
        ASSERT_EQ(run.status, 0) << what << ": " << run.err;
        // Without --huso-b a drawing goes whole into one zone, the input's.
        quillon_test::ExpectDrawingResult(ReadWhole(dir.File("out.dxf")), points,
                                          c.zone_out ? c.zone_out : c.zone_in, what);
    }
}

// --hilos N on every file command: the same files and figures with one
// thread, two or seven, and a clear refusal of a count that is no count.
TEST(CliFiles, ThreadCountsGiveTheSameResults) {
    TempDir dir;
    std::string points = "t\r\n";
    for (int i = 1; i <= 5000; ++i) {
        points += std::to_string(i) + "\t" + std::to_string(250000 + 53 * i) + ".25\t" +
                  std::to_string(4000000 + 29 * i) + ".75\t" + std::to_string(i % 700) + "\t30\r\n";
    }
    WriteWhole(dir.File("in.txt"), points);
    const std::string sides = " --datum-a ED50 --tipo-a utm --datum-b ETRS89 --tipo-b geodesicas";
    struct Outputs {
        std::string txt, txt_log, drawing, dxf, centroid;
    };
    const auto run = [&](const std::string& threads) {
        Outputs o;
        const std::string option = threads.empty() ? "" : " --hilos " + threads;
        auto r = RunCommand(Cli("txt", dir.File("in.txt"), dir.File("out.txt"), sides + option));
        EXPECT_EQ(r.status, 0) << r.err;
        o.txt = ReadWhole(dir.File("out.txt"));
        o.txt_log = ReadWhole(dir.File("out.txt.log"));
        r = RunCommand(
            Cli("txt-a-dxf", dir.File("in.txt"), dir.File("in.dxf"), " --tipo utm" + option));
        EXPECT_EQ(r.status, 0) << r.err;
        o.drawing = ReadWhole(dir.File("in.dxf"));
        r = RunCommand(
            Cli("dxf", dir.File("in.dxf"), dir.File("out.dxf"), sides + " --huso-a 30" + option));
        EXPECT_EQ(r.status, 0) << r.err;
        o.dxf = ReadWhole(dir.File("out.dxf"));
        r = RunCommand(
            Cli("centroide", dir.File("in.txt"), "", " --datum-a ED50 --tipo-a utm" + option));
        EXPECT_EQ(r.status, 0) << r.err;
        o.centroid = r.out;
        return o;
    };
    const Outputs one = run("1");
    EXPECT_NE(one.centroid.find("puntos\t5000\n"), std::string::npos) << one.centroid;
    for (const std::string threads : {"2", "7", "0", ""}) {
        SCOPED_TRACE(threads);
        const Outputs many = run(threads);
        EXPECT_TRUE(many.txt == one.txt);
        EXPECT_EQ(many.txt_log, one.txt_log);
        EXPECT_TRUE(many.drawing == one.drawing);
        EXPECT_TRUE(many.dxf == one.dxf);
        EXPECT_EQ(many.centroid, one.centroid);
    }
    for (const std::string bad : {"-1", "2.5", "dos", "100000"}) {
        SCOPED_TRACE(bad);
        const auto r = RunCommand(
            Cli("txt", dir.File("in.txt"), dir.File("out.txt"), sides + " --hilos " + bad));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("--hilos"), std::string::npos) << r.err;
    }
}

// A local fit's warnings go to standard error; the run still succeeds. The
// 4 vertices nearest (389000, 4150000) are LUQUE, LAS CANELAS, CARACOL and
// CANILES (data/vertex_catalogue.tsv); (389000, 4250000) lies 91.07 km north
// of CANILES, outside their polygon; LUQUE itself is one of its corners.
TEST(CliFiles, LocalFitWarningsGoToStandardErrorAndLeaveTheStatus) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\n1\t389373.393\t4154816.773\t0\n2\t389000\t4250000\t0\n");
    const auto r = RunCommand(Cli("txt", dir.File("in.txt"), dir.File("out.txt"),
                                  " --datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ETRS89"
                                  " --tipo-b utm --huso-b 30 --parametros vecinos --seleccion 4"
                                  " --origen 389000,4150000"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "quillon-cli: Aviso: 1 punto a más de 25 km del vértice empleado más cercano "
                     "(máximo 91 km)\n"
                     "quillon-cli: Aviso: 1 punto fuera del polígono de los vértices empleados\n");
}

// --incertidumbre adds a last column and nothing else: the other columns are
// those of the run without it, whose output and log stay as they were; the
// log's range is that of the column. The drawings have no columns.
TEST(CliFiles, UncertaintyIsALastColumnAndARangeInTheLog) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t235171.041\t4142124.422\t42\r\n"
                                   "2\t240000\t4150000\t5\r\n3\t300000\t4200000\t7\r\n");
    const std::string options = " --sistema-a EPSG:23030 --sistema-b EPSG:25830"
                                " --parametros vecinos --seleccion 8 --origen 240000,4150000";
    ASSERT_EQ(RunCommand(Cli("txt", dir.File("in.txt"), dir.File("plain.txt"), options)).status, 0);
    const auto r = RunCommand(
        Cli("txt", dir.File("in.txt"), dir.File("with.txt"), options + " --incertidumbre"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream plain(ReadWhole(dir.File("plain.txt")));
    std::istringstream with(ReadWhole(dir.File("with.txt")));
    std::string plain_line, with_line;
    std::vector<double> radii;
    std::getline(plain, plain_line);
    std::getline(with, with_line);
    EXPECT_EQ(with_line, plain_line); // the title
    while (std::getline(plain, plain_line) && std::getline(with, with_line)) {
        // "...\t30.\r" then "\t0.234\r": a TAB, metres with 3 decimals.
        ASSERT_EQ(with_line.substr(0, plain_line.size() - 1),
                  plain_line.substr(0, plain_line.size() - 1));
        const std::string column = with_line.substr(plain_line.size() - 1);
        ASSERT_EQ(column.size(), 7u) << column;
        EXPECT_EQ(column[0], '\t');
        EXPECT_EQ(column[2], '.');
        radii.push_back(std::stod(column.substr(1)));
    }
    ASSERT_EQ(radii.size(), 3u);
    EXPECT_GT(radii[2], radii[1]); // 75 km from the vertices, not 10
    char range[64];
    std::snprintf(range, sizeof range, "Incertidumbre (95 %%).: %.3f a %.3f m\r\n",
                  *std::min_element(radii.begin(), radii.end()),
                  *std::max_element(radii.begin(), radii.end()));
    // The log states the range with or without the column.
    EXPECT_NE(ReadWhole(dir.File("with.txt.log")).find(range), std::string::npos) << range;
    EXPECT_NE(ReadWhole(dir.File("plain.txt.log")).find(range), std::string::npos) << range;
    const auto dxf = RunCommand(
        Cli("dxf", dir.File("in.dxf"), dir.File("out.dxf"), options + " --incertidumbre"));
    EXPECT_EQ(dxf.status, 2);
    EXPECT_NE(dxf.err.find("--incertidumbre"), std::string::npos);
}

// A point that names its own zone in a run whose input zone is forced is not
// read in the forced zone: the same x and y in another zone lie ~500 km away.
// Points of the forced zone, or with no zone field, are read as before.
TEST(CliFiles, APointOfAnotherZoneThanTheInputsIsRejected) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\r\n1\t235171.041\t4142124.422\t42\t30\r\n"
                                   "2\t722469.701\t4097861.155\t100\t29.\r\n"
                                   "3\t235171.041\t4142124.422\t42\r\n");
    const auto r = RunCommand(Cli("txt", dir.File("in.txt"), dir.File("out.txt"),
                                  " --sistema-a EPSG:23030 --sistema-b EPSG:25830"
                                  " --fuera-de-region"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(ReadWhole(dir.File("out.txt.log"))
                  .find("L\xEDnea 3 rechazada: el huso del punto (29) no es el de la entrada (30)"),
              std::string::npos);
    const std::string out = ReadWhole(dir.File("out.txt"));
    EXPECT_NE(out.find("\r\n1\t"), std::string::npos);
    EXPECT_EQ(out.find("\r\n2\t"), std::string::npos);
    EXPECT_NE(out.find("\r\n3\t"), std::string::npos);
}

#if !defined(QUILLON_SANITIZED)
// With a stack limit of 1 TiB no thread can be given its stack: the main
// thread does the work alone, and the result is the same.
TEST(CliFiles, WithoutThreadsTheMainThreadDoesTheWork) {
    TempDir dir;
    std::string points = "t\n";
    for (int i = 1; i <= 6000; ++i) {
        points += std::to_string(i) + "\t" + std::to_string(200000 + 61 * i) + "\t" +
                  std::to_string(4000000 + 37 * i) + "\t0\t30\n";
    }
    WriteWhole(dir.File("in.txt"), points);
    const std::string sides = " --datum-a ED50 --tipo-a utm --datum-b ETRS89 --tipo-b utm";
    auto r = RunCommand(Cli("txt", dir.File("in.txt"), dir.File("one.txt"), sides + " --hilos 1"));
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCommand("timeout -k 5 60 prlimit --stack=1099511627776 " +
                   Cli("txt", dir.File("in.txt"), dir.File("seven.txt"), sides + " --hilos 7"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadWhole(dir.File("seven.txt")) == ReadWhole(dir.File("one.txt")));
}
#endif

// txt-a-dxf draws one zone: a list of points of zones 29 and 30 is refused
// with the zones named unless --huso chooses one (the zone-29 point then
// where PROJ puts it: cs2cs +proj=utm +zone=29 +ellps=intl to +zone=30),
// and --etiquetas adds each point's number beside it.
TEST(CliFiles, TxtToDxfDrawsOneZone) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "Puntos\n1\t370000.000\t4100000.000\t10.000\t30.\n"
                                   "2\t760000.000\t4110000.000\t11.000\t29.\n");
    struct Case {
        const char* options;
        int status;
        const char* expected; // on standard error, or in the drawing
    };
    const Case cases[] = {
        {" --tipo utm", 1,
         "quillon-cli: el archivo tiene puntos de los husos 29 y 30; un dibujo es de un solo "
         "huso; elija uno con --huso\n"},
        {" --tipo utm --huso 30", 1, "hace falta el datum de los puntos para pasarlos al huso 30"},
        {" --tipo utm --huso 30 --datum ED50", 0, " 10\r\n226750.296054\r\n 20\r\n4110418.860207"},
        {" --sistema-a EPSG:23030", 0, " 10\r\n226750.296054\r\n 20\r\n4110418.860207"},
        {" --tipo utm --huso 30 --datum ED50 --etiquetas", 0,
         "  8\r\nIDENTIFICADORES\r\n 10\r\n226750.796054\r\n 20\r\n4110419.360207\r\n"
         " 30\r\n11.000000\r\n 40\r\n1.000000\r\n  1\r\n2\r\n"},
        {" --tipo geodesicas --huso 30", 2, "--huso solo se aplica a puntos UTM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        std::remove(dir.File("out.dxf").c_str());
        const auto r = RunCommand(Cli("txt-a-dxf", dir.File("in.txt"), dir.File("out.dxf"),
                                      std::string(c.options) + " --fuera-de-region"));
        EXPECT_EQ(r.status, c.status) << r.err;
        const std::string drawing = c.status == 0 ? ReadWhole(dir.File("out.dxf")) : r.err;
        EXPECT_NE(drawing.find(c.expected), std::string::npos) << drawing.substr(0, 300);
        EXPECT_EQ(drawing.find("TEXT") != std::string::npos,
                  std::string(c.options).find("etiquetas") != std::string::npos);
    }
}

} // namespace

// A drawing with entities that cannot move (an opaque body, an unknown
// kind) is written, but the status says not everything moved and standard
// error counts them; --estricto refuses it and keeps the earlier output.
TEST(CliFiles, DxfEntitiesThatCannotMoveAreCountedOrRefused) {
    TempDir dir;
    WriteWhole(dir.File("in.dxf"), "  0\nSECTION\n  2\nENTITIES\n"
                                   "  0\n3DSOLID\n  5\n2F\n  1\nACIS\n"
                                   "  0\nMPOLYGON\n 10\n300000.0\n 20\n4100000.0\n"
                                   "  0\nPOINT\n 10\n300000.0\n 20\n4100000.0\n"
                                   "  0\nENDSEC\n  0\nEOF\n");
    const std::string options = " --sistema-a EPSG:23030 --sistema-b EPSG:25830";
    const auto run = RunCommand(Cli("dxf", dir.File("in.dxf"), dir.File("out.dxf"), options));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("quillon-cli: 2 entidades no transformadas (3DSOLID 1, MPOLYGON 1); "
                           "vea el registro " +
                           dir.File("out.dxf") + ".log\n"),
              std::string::npos)
        << run.err;
    const std::string written = ReadWhole(dir.File("out.dxf"));
    EXPECT_NE(written.find("POINT\n 10\n299888.349"), std::string::npos) << written;

    const auto strict =
        RunCommand(Cli("dxf", dir.File("in.dxf"), dir.File("out.dxf"), options + " --estricto"));
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find("tiene entidades que no se pueden transformar"), std::string::npos)
        << strict.err;
    EXPECT_EQ(ReadWhole(dir.File("out.dxf")), written);
}
