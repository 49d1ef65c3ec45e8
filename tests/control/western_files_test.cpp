// File methods of the control (13 to 16) on points west of 6 W, where a zone
// forced on the output differs from the points' own, checked against PROJ.
#include "support/control_host.h"
#include "support/reference_table.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/zone_points.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quillon_test::ControlHost;
using quillon_test::DzvI4;
using quillon_test::DzvR8;
using quillon_test::DzvStr;
using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;
using quillon_test::ZonedPoint;

constexpr std::int32_t kProcesarDXF = 13;
constexpr std::int32_t kProcesarTXT = 14;
constexpr std::int32_t kCentroideDXF = 15;
constexpr std::int32_t kCentroideTXT = 16;

// Output zones forced one way and the other, and left to each point.
struct ZoneCase {
    int zone_in;
    int zone_out; // 0: each point's own
};
const ZoneCase kZoneCases[] = {{29, 30}, {30, 29}, {30, 0}};

std::string CaseName(const char* method, const ZoneCase& c) {
    return std::string(method) + " ED50 UTM " + std::to_string(c.zone_in) + " -> ETRS89 UTM " +
           (c.zone_out ? std::to_string(c.zone_out) : std::string("own zone"));
}

// ED50 UTM -> ETRS89 UTM with the national set: Da, Pa, hEntrada, Db, Pb,
// hSalida, model, parametros, selec_param, x, y, z after the paths.
std::vector<DzvValue> NationalRun(const std::string& log, const std::string& in,
                                  const std::string& out, const ZoneCase& c) {
    return {DzvStr(log), DzvStr(in), DzvI4(14), DzvI4(2),          DzvR8(c.zone_in),
            DzvStr(out), DzvI4(19),  DzvI4(2),  DzvR8(c.zone_out), DzvI4(0),
            DzvI4(0),    DzvR8(0),   DzvR8(0),  DzvR8(0),          DzvR8(0)};
}

TEST(ControlWesternFiles, ProcesarTXTPutsEveryPointInTheZoneAskedFor) {
    const std::vector<ZonedPoint> points = quillon_test::WesternPoints();
    ASSERT_GE(std::count_if(points.begin(), points.end(), [](auto& p) { return p.West(); }), 10);
    ASSERT_GE(std::count_if(points.begin(), points.end(), [](auto& p) { return !p.West(); }), 4);
    TempDir dir;
    ControlHost host;
    for (const ZoneCase& c : kZoneCases) {
        // Field 5 of every line says 31: the zone given for the whole file wins.
        WriteWhole(dir.File("in.txt"), quillon_test::UtmPointFile(points, c.zone_in, 31));
        ASSERT_EQ(host.Invoke(kProcesarTXT, NationalRun(dir.File("log"), dir.File("in.txt"),
                                                        dir.File("out.txt"), c)),
                  1)
            << CaseName("ProcesarTXT", c);
        quillon_test::ExpectUtmResult(ReadWhole(dir.File("out.txt")), points, c.zone_out,
                                      CaseName("ProcesarTXT", c));
    }
}

TEST(ControlWesternFiles, ProcesarDXFMovesEveryPairIncludingTheTextAlignmentPoint) {
    const std::vector<ZonedPoint> points = quillon_test::WesternPoints();
    TempDir dir;
    ControlHost host;
    for (const ZoneCase& c : kZoneCases) {
        WriteWhole(dir.File("in.dxf"), quillon_test::UtmDrawing(points, c.zone_in));
        ASSERT_EQ(host.Invoke(kProcesarDXF, NationalRun(dir.File("log"), dir.File("in.dxf"),
                                                        dir.File("out.dxf"), c)),
                  1)
            << CaseName("ProcesarDXF", c);
        // Without an output zone a drawing goes whole into one zone, the input's.
        quillon_test::ExpectDrawingResult(ReadWhole(dir.File("out.dxf")), points,
                                          c.zone_out ? c.zone_out : c.zone_in,
                                          CaseName("ProcesarDXF", c));
    }
}

// The centroid, the bounding rectangle and the count, in ED50 UTM zone 30,
// through properties 1 to 6 and 10.
struct Expected {
    double x = 0, y = 0, x_min = 1e300, x_max = -1e300, y_min = 1e300, y_max = -1e300, count = 0;
    void Add(double px, double py) {
        x += px, y += py, ++count;
        x_min = std::min(x_min, px), x_max = std::max(x_max, px);
        y_min = std::min(y_min, py), y_max = std::max(y_max, py);
    }
};

void ExpectCentroidProperties(const ControlHost& host, Expected e, double tolerance,
                              const std::string& what) {
    EXPECT_NEAR(host.GetDouble(1), e.x / e.count, tolerance) << what << ": XCentroide";
    EXPECT_NEAR(host.GetDouble(2), e.y / e.count, tolerance) << what << ": YCentroide";
    EXPECT_NEAR(host.GetDouble(3), e.x_min, tolerance) << what << ": XMinMRE";
    EXPECT_NEAR(host.GetDouble(4), e.x_max, tolerance) << what << ": XMaxMRE";
    EXPECT_NEAR(host.GetDouble(5), e.y_min, tolerance) << what << ": YMinMRE";
    EXPECT_NEAR(host.GetDouble(6), e.y_max, tolerance) << what << ": YMaxMRE";
    EXPECT_EQ(host.GetDouble(10), e.count) << what << ": NumeroPuntosArchivo";
}

// Geodetic ED50 points all over the region (40, 16 of them west of 6 W): the
// centroid properties against PROJ's ED50 UTM zone 30 of the same points.
// Forward series only: 1 mm.
TEST(ControlWesternFiles, CentroideTXTOfGeodeticPointsAcrossTheRegion) {
    const quillon_test::ReferenceTable t("national_epsg1632.tsv");
    std::string input = "ED50 geodesicas\r\n";
    Expected e;
    int n = 0;
    for (const auto& r : t.rows()) {
        char line[128];
        std::snprintf(line, sizeof line, "%d\t%.10f\t%.10f\t%.4f\r\n", ++n, r[t.Column("ed50_lon")],
                      r[t.Column("ed50_lat")], r[t.Column("ed50_h")]);
        input += line;
        e.Add(r[t.Column("ed50_utm30_x")], r[t.Column("ed50_utm30_y")]);
    }
    TempDir dir;
    WriteWhole(dir.File("in.txt"), input);
    ControlHost host;
    ASSERT_EQ(
        host.Invoke(kCentroideTXT, {DzvStr(dir.File("in.txt")), DzvI4(14), DzvI4(1), DzvR8(0)}), 1);
    ExpectCentroidProperties(host, e, 1e-3, "CentroideTXT");
}

// A zone-29 drawing: every pair counts, the TEXT's alignment point among them.
TEST(ControlWesternFiles, CentroideDXFCountsTheTextAlignmentPoint) {
    const std::vector<ZonedPoint> points = quillon_test::WesternPoints();
    Expected e;
    for (const ZonedPoint& p : points) {
        e.Add(p.Ed50(30)[0], p.Ed50(30)[1]);
    }
    TempDir dir;
    WriteWhole(dir.File("in.dxf"), quillon_test::UtmDrawing(points, 29));
    ControlHost host;
    ASSERT_EQ(
        host.Invoke(kCentroideDXF, {DzvStr(dir.File("in.dxf")), DzvI4(14), DzvI4(2), DzvR8(29)}),
        1);
    ExpectCentroidProperties(host, e, quillon_test::kZoneTolerance, "CentroideDXF");
}

} // namespace
