// The NTv2 and GTX readers on small grids written here, and on the bundled files.
#include "files/bundled_files.h"
#include "geodesy/geoid_grid.h"
#include "geodesy/ntv2_grid.h"
#include "support/grid_writer.h"
#include "support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace dezadiravevava {
namespace {

using quillon_test::GridBytes;
using quillon_test::Ntv2Bytes;
using quillon_test::TempDir;
using quillon_test::TestSubgrid;

constexpr double kArcSecond = std::numbers::pi / (180.0 * 3600.0);
constexpr double kDegree = std::numbers::pi / 180.0;

// Shifts linear in both directions, exact in floats at the nodes, so that
// bilinear interpolation reproduces them anywhere: latitude 1.0" + 0.5" a
// degree north of 36 N, longitude 3.0" + 0.25" a degree west of 1 W
// (positive west, as NTv2 stores it).
TestSubgrid LinearGrid() {
    return {"LINEAL",
            "NONE",
            36 * 3600.0,
            38 * 3600.0,
            1 * 3600.0,
            3 * 3600.0,
            1 * 3600.0,
            3600.0,
            [](double lat, double lon_west) {
                return std::pair<float, float>{
                    static_cast<float>(1.0 + 0.5 * (lat - 36 * 3600.0) / 3600.0),
                    static_cast<float>(3.0 + 0.25 * (lon_west - 3600.0) / 3600.0)};
            }};
}

TestSubgrid Constant(const std::string& name, const std::string& parent, double south_deg,
                     double north_deg, double east_w_deg, double west_w_deg, double inc_deg,
                     float value) {
    return {name,
            parent,
            south_deg * 3600,
            north_deg * 3600,
            east_w_deg * 3600,
            west_w_deg * 3600,
            inc_deg * 3600,
            inc_deg * 3600,
            [value](double, double) {
                return std::pair<float, float>{value, value};
            }};
}

Ntv2Grid LoadNtv2(const GridBytes& bytes, const TempDir& dir) {
    bytes.Save(dir.File("g.gsb"));
    std::string error;
    auto grid = Ntv2Grid::Load(dir.File("g.gsb"), error);
    EXPECT_TRUE(grid) << error;
    return grid ? std::move(*grid) : Ntv2Grid();
}

// Both byte orders read the same; the longitude shift turns from positive
// west into an eastward shift of the opposite sign.
TEST(Ntv2Grid, BilinearShiftsInBothByteOrders) {
    for (const bool big_endian : {false, true}) {
        TempDir dir;
        const Ntv2Grid grid = LoadNtv2(Ntv2Bytes({LinearGrid()}, big_endian), dir);
        ASSERT_EQ(grid.subgrids().size(), 1u);
        EXPECT_EQ(grid.subgrids()[0].name, "LINEAL");
        EXPECT_EQ(grid.subgrids()[0].rows, 3);
        EXPECT_EQ(grid.subgrids()[0].cols, 3);
        const GeographicExtent e = grid.extent();
        EXPECT_DOUBLE_EQ(e.west, -3.0);
        EXPECT_DOUBLE_EQ(e.east, -1.0);
        EXPECT_DOUBLE_EQ(e.south, 36.0);
        EXPECT_DOUBLE_EQ(e.north, 38.0);
        struct Case {
            double lon, lat;
        };
        for (const Case c : {Case{-1.7, 36.3}, Case{-2.95, 37.99}, Case{-1.0, 36.0},
                             Case{-3.0, 38.0}, Case{-2.0, 37.0}}) {
            double dlambda = 0.0, dphi = 0.0;
            ASSERT_TRUE(grid.ShiftAt(c.lon * kDegree, c.lat * kDegree, dlambda, dphi));
            const double lat_shift = 1.0 + 0.5 * (c.lat - 36.0);
            const double west_shift = 3.0 + 0.25 * (-c.lon - 1.0);
            EXPECT_NEAR(dphi / kArcSecond, lat_shift, 1e-9) << c.lon << " " << c.lat;
            EXPECT_NEAR(dlambda / kArcSecond, -west_shift, 1e-9) << c.lon << " " << c.lat;
        }
        double dlambda = 0.0, dphi = 0.0;
        EXPECT_FALSE(grid.ShiftAt(-0.99 * kDegree, 37.0 * kDegree, dlambda, dphi));  // east
        EXPECT_FALSE(grid.ShiftAt(-2.0 * kDegree, 38.001 * kDegree, dlambda, dphi)); // north
    }
}

// The finest sub-grid that holds a point gives its shift, wherever it stands
// in the file: a child before its parent's value, and a finer top-level grid
// written after a coarser one that overlaps it.
TEST(Ntv2Grid, FinestSubgridHoldingThePoint) {
    TempDir dir;
    const Ntv2Grid grid = LoadNtv2(Ntv2Bytes({Constant("GRUESA", "NONE", 36, 40, 0, 6, 1.0, 1.0f),
                                              Constant("HIJA", "GRUESA", 37, 38, 2, 3, 0.25, 2.0f),
                                              Constant("OTRA", "NONE", 39, 41, 0, 2, 0.5, 3.0f)},
                                             false),
                                   dir);
    struct Case {
        double lon, lat;
        double expected; // arc seconds; 0: outside
    };
    for (const Case c : {Case{-2.5, 37.5, 2.0}, Case{-5.0, 36.5, 1.0}, Case{-1.0, 39.5, 3.0},
                         Case{-1.0, 40.5, 3.0}, Case{-1.0, 35.0, 0.0}, Case{-7.0, 38.5, 0.0}}) {
        double dlambda = 0.0, dphi = 0.0;
        const bool inside = grid.ShiftAt(c.lon * kDegree, c.lat * kDegree, dlambda, dphi);
        EXPECT_EQ(inside, c.expected != 0.0) << c.lon << " " << c.lat;
        if (inside) {
            EXPECT_NEAR(dphi / kArcSecond, c.expected, 1e-12) << c.lon << " " << c.lat;
        }
    }
}

// Each damaged file is refused with a reason, never half read.
TEST(Ntv2Grid, DamagedFilesRefused) {
    struct Case {
        const char* what;
        std::function<GridBytes()> bytes;
        const char* reason;
    };
    const auto with_grid = [](std::function<void(TestSubgrid&)> change) {
        return [change] {
            TestSubgrid g = LinearGrid();
            change(g);
            return Ntv2Bytes({g}, false);
        };
    };
    const Case cases[] = {
        {"truncated",
         [] {
             GridBytes b = Ntv2Bytes({LinearGrid()}, false);
             b.bytes().resize(b.bytes().size() - 40);
             return b;
         },
         "faltan nodos"},
        {"count", with_grid([](TestSubgrid& g) { g.gs_count = 8; }), "límites"},
        {"increment", with_grid([](TestSubgrid& g) { g.lon_inc = 0.0; }), "límites"},
        {"span", with_grid([](TestSubgrid& g) { g.north += 100.0; }), "límites"},
        {"nan", with_grid([](TestSubgrid& g) {
             g.shift = [](double, double) { return std::pair<float, float>{NAN, 0.0f}; };
         }),
         "no numérico"},
        {"huge", with_grid([](TestSubgrid& g) {
             // 7 million nodes claimed: refused before anything is allocated.
             g.lat_inc = g.lon_inc = (g.north - g.south) / 2644.0;
             g.west = g.east + 2644.0 * g.lon_inc;
             g.gs_count = 2645 * 2645;
             g.write_nodes = false;
         }),
         "más de"},
        {"units", [] { return Ntv2Bytes({LinearGrid()}, false, "MINUTES"); }, "MINUTES"},
        {"not ntv2",
         [] {
             GridBytes b(false);
             b.Text("GTX? no, just text", 64);
             return b;
         },
         "NUM_OREC"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        c.bytes().Save(dir.File("g.gsb"));
        std::string error;
        EXPECT_FALSE(Ntv2Grid::Load(dir.File("g.gsb"), error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(Ntv2Grid::Load("/no/such/grid.gsb", error));
    EXPECT_EQ(error, "no se puede abrir el archivo");
}

// The inverse undoes the forward shift to the iteration's tolerance, and
// refuses a point whose source position lies beyond the grid.
TEST(Ntv2Grid, InverseUndoesForwardOnTheBundledGrid) {
    const std::string path = FindBundledFile(kBundledGridName);
    ASSERT_FALSE(path.empty()) << MissingBundledFile(kBundledGridName);
    std::string error;
    const auto grid = Ntv2Grid::Load(path, error);
    ASSERT_TRUE(grid) << error;
    ASSERT_EQ(grid->subgrids().size(), 2u);
    EXPECT_EQ(grid->subgrids()[0].name, "BALEARES");
    EXPECT_EQ(grid->subgrids()[1].name, "PENINSUL");
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lon(-7.6, -1.6), lat(36.0, 38.8);
    double worst = 0.0;
    for (int i = 0; i < 500; ++i) {
        const double q_lambda = lon(random) * kDegree, q_phi = lat(random) * kDegree;
        double lambda = q_lambda, phi = q_phi;
        ASSERT_TRUE(grid->Inverse(lambda, phi));
        EXPECT_GT(std::abs(lambda - q_lambda), 1e-6); // the shift is some 3 to 5 arc seconds
        ASSERT_TRUE(grid->Forward(lambda, phi));
        worst = std::max({worst, std::abs(lambda - q_lambda), std::abs(phi - q_phi)});
    }
    EXPECT_LT(worst, 1e-12);
    // ETRS89 lies some 4" south of ED50: just inside the north edge, the ED50
    // position is beyond it.
    const double north = grid->subgrids()[1].Extent().north;
    double lambda = -4.0 * kDegree, phi = (north - 0.5 / 3600.0) * kDegree;
    EXPECT_FALSE(grid->Inverse(lambda, phi));
    EXPECT_DOUBLE_EQ(phi, (north - 0.5 / 3600.0) * kDegree); // left as it was
}

GeoidGrid LoadGtx(const GridBytes& bytes, const TempDir& dir, std::string* error_out = nullptr) {
    bytes.Save(dir.File("g.gtx"));
    std::string error;
    auto geoid = GeoidGrid::Load(dir.File("g.gtx"), error);
    if (error_out) {
        *error_out = error;
    } else {
        EXPECT_TRUE(geoid) << error;
    }
    return geoid ? std::move(*geoid) : GeoidGrid();
}

// N linear in latitude and longitude (exact in floats at the nodes):
// bilinear interpolation gives it anywhere, with the west edge given as -10
// or as 350 (longitudes 0 to 360).
TEST(GeoidGrid, BilinearWithWestEdgeEitherWay) {
    const auto n = [](double lat, double lon) {
        return static_cast<float>(50.0 + 0.5 * (lat - 35.0) + 0.25 * (lon + 10.0));
    };
    for (const double west : {-10.0, 350.0}) {
        TempDir dir;
        const GeoidGrid geoid =
            LoadGtx(quillon_test::GtxBytes(35.0, west, 0.5, 0.5, 9, 21,
                                           [&](double lat, double lon) {
                                               return n(lat, lon >= 180.0 ? lon - 360.0 : lon);
                                           }),
                    dir);
        EXPECT_DOUBLE_EQ(geoid.extent().west, -10.0);
        EXPECT_DOUBLE_EQ(geoid.extent().east, 0.0);
        EXPECT_DOUBLE_EQ(geoid.extent().north, 39.0);
        struct Case {
            double lon, lat;
            bool inside;
        };
        for (const Case c : {Case{-5.3, 37.2, true}, Case{-10.0, 35.0, true}, Case{0.0, 39.0, true},
                             Case{-9.99, 38.77, true}, Case{0.01, 37.0, false},
                             Case{-10.01, 37.0, false}, Case{-5.0, 34.99, false}}) {
            double value = 0.0;
            EXPECT_EQ(geoid.UndulationAt(c.lon * kDegree, c.lat * kDegree, value), c.inside)
                << west << ": " << c.lon << " " << c.lat;
            if (c.inside) {
                EXPECT_NEAR(value, 50.0 + 0.5 * (c.lat - 35.0) + 0.25 * (c.lon + 10.0), 1e-9);
            }
        }
    }
}

// Rows 0.25 degrees apart and columns 0.5 degrees apart, with node values that
// follow no pattern: N inside a cell is the bilinear mean of its four written
// nodes, weighted here by the point's place in the cell. A reader that took
// one increment for the other would interpolate in another cell.
TEST(GeoidGrid, UnequalSpacingInterpolatesInTheRightCell) {
    constexpr double kSouth = 36.0, kWest = -7.0, kLatInc = 0.25, kLonInc = 0.5;
    constexpr int kRows = 6, kCols = 5;
    // From the south, each row from the west; every value exact in a float.
    constexpr float kNodes[kRows][kCols] = {
        {50.25f, 47.5f, 52.75f, 49.0f, 51.5f}, {46.0f, 53.25f, 48.5f, 54.0f, 45.75f},
        {51.0f, 44.5f, 55.25f, 47.0f, 50.5f},  {43.75f, 56.0f, 46.25f, 52.5f, 48.0f},
        {54.5f, 49.25f, 42.0f, 57.5f, 44.25f}, {47.25f, 58.0f, 51.75f, 45.5f, 53.0f},
    };
    TempDir dir;
    const GeoidGrid geoid =
        LoadGtx(quillon_test::GtxBytes(
                    kSouth, kWest, kLatInc, kLonInc, kRows, kCols,
                    [&](double lat, double lon) {
                        const auto r = static_cast<int>(std::lround((lat - kSouth) / kLatInc));
                        const auto c = static_cast<int>(std::lround((lon - kWest) / kLonInc));
                        return kNodes[r][c];
                    }),
                dir);
    EXPECT_DOUBLE_EQ(geoid.extent().north, kSouth + (kRows - 1) * kLatInc);
    EXPECT_DOUBLE_EQ(geoid.extent().east, kWest + (kCols - 1) * kLonInc);
    // A point as its cell (row, column from the south-west) and its fractions
    // of the cell northwards and eastwards.
    struct Case {
        int row, col;
        double ty, tx;
    };
    for (const Case c : {Case{0, 0, 0.3, 0.6}, Case{2, 1, 0.4, 0.25}, Case{3, 3, 0.8, 0.1},
                         Case{4, 0, 0.5, 0.9}, Case{1, 2, 0.7, 0.45}, Case{4, 3, 0.95, 0.75}}) {
        const double lat = kSouth + (c.row + c.ty) * kLatInc;
        const double lon = kWest + (c.col + c.tx) * kLonInc;
        const double expected = (1 - c.ty) * (1 - c.tx) * kNodes[c.row][c.col] +
                                (1 - c.ty) * c.tx * kNodes[c.row][c.col + 1] +
                                c.ty * (1 - c.tx) * kNodes[c.row + 1][c.col] +
                                c.ty * c.tx * kNodes[c.row + 1][c.col + 1];
        double value = 0.0;
        ASSERT_TRUE(geoid.UndulationAt(lon * kDegree, lat * kDegree, value)) << lon << " " << lat;
        EXPECT_NEAR(value, expected, 1e-9) << lon << " " << lat;
    }
}

// A node without a value (-88.8888) leaves the four cells around it without
// N; the rest of the grid is unaffected.
TEST(GeoidGrid, NodesWithoutValue) {
    TempDir dir;
    const GeoidGrid geoid =
        LoadGtx(quillon_test::GtxBytes(35.0, -10.0, 1.0, 1.0, 5, 5,
                                       [](double lat, double lon) {
                                           return lat == 37.0 && lon == -8.0 ? -88.8888f : 45.0f;
                                       }),
                dir);
    double value = 0.0;
    EXPECT_FALSE(geoid.UndulationAt(-8.5 * kDegree, 36.5 * kDegree, value));
    EXPECT_FALSE(geoid.UndulationAt(-7.5 * kDegree, 37.5 * kDegree, value));
    EXPECT_TRUE(geoid.UndulationAt(-6.5 * kDegree, 36.5 * kDegree, value));
    EXPECT_DOUBLE_EQ(value, 45.0);
}

TEST(GeoidGrid, DamagedFilesRefused) {
    struct Case {
        const char* what;
        GridBytes bytes;
        const char* reason;
    };
    const auto flat = [](double, double) { return 40.0f; };
    GridBytes truncated = quillon_test::GtxBytes(35.0, -10.0, 1.0, 1.0, 5, 5, flat);
    truncated.bytes().resize(truncated.bytes().size() - 4);
    // The header alone: refused before any node is read.
    GridBytes huge = quillon_test::GtxBytes(35.0, -10.0, 1e-4, 1e-4, 4000, 4000, nullptr);
    const Case cases[] = {
        {"truncated", truncated, "faltan nodos"},
        {"rows", quillon_test::GtxBytes(35.0, -10.0, 1.0, 1.0, -3, 5, flat), "fuera de rango"},
        {"increment", quillon_test::GtxBytes(35.0, -10.0, 0.0, 1.0, 5, 5, flat), "fuera de rango"},
        {"huge", huge, "más de"},
        {"header", GridBytes(true), "cabecera incompleta"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string error;
        LoadGtx(c.bytes, dir, &error);
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

} // namespace
} // namespace dezadiravevava
