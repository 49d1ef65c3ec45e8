// Point arrays and prepared runs through the shared library's C interface:
// one parameter set for every chunk, statuses of the points that cannot be
// transformed, refused arguments with their messages, and handles used on
// several threads at once.
#include "dezadiravevava.h"
#include "support/control_host.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ED50 UTM zone 30 points spread over Andalusia (x, y, H).
std::vector<double> Zone30Points(int count) {
    std::vector<double> points;
    for (int i = 0; i < count; ++i) {
        points.push_back(150000.0 + 450000.0 * ((i * 37) % 101) / 100.0);
        points.push_back(3990000.0 + 290000.0 * ((i * 53) % 97) / 96.0);
        points.push_back(10.0 * (i % 300));
    }
    return points;
}

struct RunUnderTest {
    dzv_run run;
    char message[512] = {};

    RunUnderTest(std::int32_t parametros, std::int32_t model, double seleccion) {
        dzv_run_init(&run);
        run.datum_a = DZV_DATUM_ED50;
        run.kind_a = DZV_KIND_UTM;
        run.zone_a = 30;
        run.datum_b = DZV_DATUM_ETRS89;
        run.kind_b = DZV_KIND_UTM;
        run.zone_b = 30;
        run.parametros = parametros;
        run.model = model;
        run.seleccion = seleccion;
        run.origin_x = 370000.0;
        run.origin_y = 4150000.0;
        run.threads = 1;
        run.message = message;
        run.message_size = sizeof message;
    }
};

// Transforms `in` and returns the output; the call must succeed.
std::vector<double> Transform(const std::vector<double>& in, const dzv_run& run,
                              std::vector<std::int32_t>* status = nullptr) {
    const std::int64_t n = static_cast<std::int64_t>(in.size() / 3);
    std::vector<double> out(in.size());
    std::vector<std::int32_t> codes(static_cast<std::size_t>(n), -1);
    EXPECT_EQ(dzv_transform_points(n, in.data(), out.data(), codes.data(), &run), DZV_OK)
        << run.message;
    if (status) {
        *status = codes;
    }
    return out;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct Choice {
    const char* name;
    std::int32_t parametros;
    std::int32_t model;
    double seleccion;
};

const Choice kChoices[] = {
    {"national", DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0},
    {"regional Helmert", DZV_PARAMETERS_REGIONAL, DZV_MODEL_HELMERT, 0},
    {"5 nearest, Molodensky", DZV_PARAMETERS_NEAREST, DZV_MODEL_MOLODENSKY, 5},
    {"within 40 km, affine", DZV_PARAMETERS_DISTANCE, DZV_MODEL_AFFINE, 40000},
};

// A prepared handle applies one set to every chunk: the chunks put together
// are the whole array transformed at once, bit for bit, and equal to a call
// that estimates its own set. A handle saved as text and loaded again (as a
// cluster's workers get it) gives the same bits too.
TEST(PreparedRun, EveryChunkGetsTheSameSetAndTheSavedSetLoadsToTheSameBits) {
    const std::vector<double> points = Zone30Points(3000);
    for (const Choice& choice : kChoices) {
        SCOPED_TRACE(choice.name);
        RunUnderTest run(choice.parametros, choice.model, choice.seleccion);
        const std::vector<double> estimated_per_call = Transform(points, run.run);

        dzv_prepared* prepared = nullptr;
        ASSERT_EQ(dzv_prepare(&run.run, &prepared), DZV_OK) << run.message;
        run.run.prepared = prepared;
        std::vector<double> chunked;
        for (std::size_t first = 0; first < points.size(); first += 3 * 700) {
            const std::size_t last = std::min(points.size(), first + 3 * 700);
            const auto part = Transform({points.begin() + static_cast<std::ptrdiff_t>(first),
                                         points.begin() + static_cast<std::ptrdiff_t>(last)},
                                        run.run);
            chunked.insert(chunked.end(), part.begin(), part.end());
        }
        EXPECT_TRUE(SameBits(chunked, estimated_per_call));

        std::size_t length = 0;
        ASSERT_EQ(dzv_prepared_save(prepared, nullptr, 0, &length), DZV_OK);
        std::string text(length, '\0');
        ASSERT_EQ(dzv_prepared_save(prepared, text.data(), text.size(), &length), DZV_OK);
        dzv_prepared* loaded = nullptr;
        ASSERT_EQ(
            dzv_prepared_load(text.data(), text.size(), &loaded, run.message, sizeof run.message),
            DZV_OK)
            << run.message;
        run.run.prepared = loaded;
        EXPECT_TRUE(SameBits(Transform(points, run.run), estimated_per_call));

        dzv_parameters a{}, b{};
        a.size = b.size = sizeof(dzv_parameters);
        ASSERT_EQ(dzv_prepared_parameters(prepared, &a), DZV_OK);
        ASSERT_EQ(dzv_prepared_parameters(loaded, &b), DZV_OK);
        EXPECT_EQ(std::memcmp(a.values, b.values, sizeof a.values), 0);
        EXPECT_EQ(a.vertex_count, b.vertex_count);
        EXPECT_STREQ(a.report, b.report);
        dzv_release_prepared(loaded);
        dzv_release_prepared(prepared);
    }
}

// Text that is not a saved set, or a saved set changed by hand into a run
// the engine would not do, is refused with a message, and no handle is made.
TEST(PreparedRun, DamagedSavedTextIsRefused) {
    RunUnderTest run(DZV_PARAMETERS_NEAREST, DZV_MODEL_HELMERT, 5);
    dzv_prepared* prepared = nullptr;
    ASSERT_EQ(dzv_prepare(&run.run, &prepared), DZV_OK);
    std::size_t length = 0;
    dzv_prepared_save(prepared, nullptr, 0, &length);
    std::string text(length, '\0');
    ASSERT_EQ(dzv_prepared_save(prepared, text.data(), length - 1, &length),
              DZV_E_INVALID_ARGUMENT); // a buffer one byte short
    ASSERT_EQ(dzv_prepared_save(prepared, text.data(), text.size(), &length), DZV_OK);
    dzv_release_prepared(prepared);

    std::string bad_model = text;
    bad_model.replace(bad_model.find("\nmodel 0"), 8, "\nmodel 2");
    std::string bad_datum = text;
    bad_datum.replace(bad_datum.find("run 14"), 6, "run 15");
    const std::string cut = text.substr(0, text.size() / 2);
    std::string long_name = text;
    long_name.replace(long_name.find("report "), 7, "report 99999999");
    for (const std::string& damaged : {bad_model, bad_datum, cut, long_name, std::string()}) {
        dzv_prepared* loaded = reinterpret_cast<dzv_prepared*>(&run); // must be overwritten
        char message[64] = "x";
        EXPECT_EQ(
            dzv_prepared_load(damaged.data(), damaged.size(), &loaded, message, sizeof message),
            DZV_E_INVALID_ARGUMENT);
        EXPECT_EQ(loaded, nullptr);
        EXPECT_STREQ(message, "Conjunto preparado no válido");
    }
}

// Each point that cannot be transformed says why and gets NaN; the points
// around it are transformed as if it were not there.
TEST(PointArrays, StatusOfEachPoint) {
    RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
    run.run.zone_a = 0; // each point's own zone, fourth column
    run.run.zone_b = 0; // each point's natural zone
    run.run.in_columns = 4;
    run.run.out_columns = 4;
    run.run.region_only = 1;
    struct Case {
        double x, y, h, zone;
        std::int32_t status;
    };
    const Case cases[] = {
        {235171.041, 4142124.422, 42, 30, DZV_POINT_TRANSFORMED},
        {kNaN, 4142124.422, 42, 30, DZV_POINT_NOT_FINITE},
        {235171.041, 4142124.422, std::numeric_limits<double>::infinity(), 30,
         DZV_POINT_NOT_FINITE},
        {235171.041, 4142124.422, 42, 30.5, DZV_POINT_ZONE_INVALID},
        {235171.041, 4142124.422, 42, 0, DZV_POINT_ZONE_INVALID},
        {235171.041, 4142124.422, 42, kNaN, DZV_POINT_ZONE_INVALID},
        {235171.041, 4142124.422, 42, 31, DZV_POINT_OUTSIDE_REGION}, // x beyond zone 31's
        {742263.065, 4046306.479, 12, 29, DZV_POINT_TRANSFORMED},
        {235171.041, 5142124.422, 42, 30, DZV_POINT_OUTSIDE_REGION}, // 900 km north
    };
    std::vector<double> in;
    for (const Case& c : cases) {
        in.insert(in.end(), {c.x, c.y, c.h, c.zone});
    }
    const std::int64_t n = std::size(cases);
    std::vector<double> out(in.size());
    std::vector<std::int32_t> status(n);
    ASSERT_EQ(dzv_transform_points(n, in.data(), out.data(), status.data(), &run.run), DZV_OK);
    for (std::int64_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(status[i], cases[i].status);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(std::isnan(out[4 * i + k]), cases[i].status != DZV_POINT_TRANSFORMED);
        }
    }
    // The zone column of the output is the zone used: the natural one.
    EXPECT_EQ(out[3], 30.0);
    EXPECT_EQ(out[4 * 7 + 3], 29.0);
    EXPECT_NEAR(out[0], 235059.885, 5e-4); // the README's sample point 1
    EXPECT_NEAR(out[1], 4141919.346, 5e-4);
    EXPECT_EQ(out[2], 42.0); // a UTM height is carried as it is

    // Without the region check the same far point is transformed.
    run.run.region_only = 0;
    const double far[] = {235171.041, 5142124.422, 42, 30};
    double far_out[4];
    std::int32_t far_status[1];
    ASSERT_EQ(dzv_transform_points(1, far, far_out, far_status, &run.run), DZV_OK);
    EXPECT_EQ(far_status[0], DZV_POINT_TRANSFORMED);

    // A result beyond what a point file can hold (1e8) is "out of range", as
    // ProcesarTXT rejects its line.
    RunUnderTest geocentric(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
    geocentric.run.kind_a = geocentric.run.kind_b = DZV_KIND_GEOCENTRIC;
    const double xyz[] = {5047344.4296, -428168.4639, 3865411.0328, 1e9, 0, 0};
    double xyz_out[6];
    std::int32_t xyz_status[2];
    ASSERT_EQ(dzv_transform_points(2, xyz, xyz_out, xyz_status, &geocentric.run), DZV_OK);
    EXPECT_EQ(xyz_status[0], DZV_POINT_TRANSFORMED);
    EXPECT_EQ(xyz_status[1], DZV_POINT_OUT_OF_RANGE);
    // tests/data/national_epsg1632.tsv, first row, by PROJ.
    EXPECT_NEAR(xyz_out[0], 5047258.0746, 2e-4);
    EXPECT_NEAR(xyz_out[1], -428277.4658, 2e-4);
    EXPECT_NEAR(xyz_out[2], 3865287.0008, 2e-4);
}

// Calls the engine cannot carry out are refused with a code and the reason
// in the caller's buffer; nothing is written to the outputs.
TEST(PointArrays, RefusedCallsSayWhy) {
    const std::vector<double> points = Zone30Points(4);
    std::vector<double> out(points.size(), 7.0);
    std::vector<std::int32_t> status(4, 7);
    struct Case {
        const char* what;
        void (*change)(dzv_run&);
        std::int32_t code;
        const char* message;
        bool layout_only = false; // a set can be prepared; the arrays do not fit
    };
    const Case cases[] = {
        {"datum", [](dzv_run& r) { r.datum_a = 7; }, DZV_E_INVALID_ARGUMENT,
         "Datum de entrada no admitido: 7"},
        {"zone", [](dzv_run& r) { r.zone_b = 30.7; }, DZV_E_INVALID_ARGUMENT,
         "Huso de salida no válido: 30.7"},
        {"plane", [](dzv_run& r) { r.kind_b = 0; }, DZV_E_INVALID_ARGUMENT,
         "No se puede transformar la proyección plana"},
        {"origin", [](dzv_run& r) { r.origin_x = kNaN; }, DZV_E_INVALID_ARGUMENT,
         "Punto de origen no válido: (nan ; 4150000 ; 0)"},
        {"columns", [](dzv_run& r) { r.in_columns = 5; }, DZV_E_INVALID_ARGUMENT,
         "Columnas de entrada no admitidas: 5", true},
        {"zone column", [](dzv_run& r) { r.zone_a = 0; }, DZV_E_INVALID_ARGUMENT,
         "Sin huso de entrada, cada punto UTM lleva su huso en la cuarta columna", true},
        {"geocentric pairs",
         [](dzv_run& r) {
             r.kind_a = DZV_KIND_GEOCENTRIC;
             r.in_columns = 2;
         },
         DZV_E_INVALID_ARGUMENT, "Las coordenadas geocéntricas de entrada necesitan tres columnas",
         true},
        {"orthometric geodetic heights without the geoid",
         [](dzv_run& r) {
             r.kind_b = DZV_KIND_GEODETIC;
             r.orthometric_geodetic = DZV_ORTHOMETRIC_GEODETIC_B;
         },
         DZV_E_INVALID_ARGUMENT,
         "Las altitudes ortométricas de coordenadas geodésicas necesitan el geoide"},
        {"orthometric geodetic heights of a UTM side",
         [](dzv_run& r) {
             r.orthometric_heights = 1;
             r.orthometric_geodetic = DZV_ORTHOMETRIC_GEODETIC_A;
         },
         DZV_E_INVALID_ARGUMENT,
         "Las altitudes ortométricas geodésicas solo se dan a un lado de coordenadas geodésicas"},
        {"few vertices",
         [](dzv_run& r) {
             r.parametros = DZV_PARAMETERS_DISTANCE;
             r.seleccion = 1000;
         },
         DZV_E_RUN_FAILED, "Imposible calcular: solo 0 vértices a menos de 1000 m"},
        {"grid file",
         [](dzv_run& r) {
             r.parametros = DZV_PARAMETERS_GRID;
             r.grid_path = "/no/existe.gsb";
         },
         DZV_E_RUN_FAILED, "No se puede leer la rejilla /no/existe.gsb: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
        c.change(run.run);
        EXPECT_EQ(dzv_transform_points(4, points.data(), out.data(), status.data(), &run.run),
                  c.code);
        EXPECT_EQ(std::string(run.message).rfind(c.message, 0), 0u) << run.message;
        dzv_prepared* prepared = nullptr;
        EXPECT_EQ(dzv_prepare(&run.run, &prepared), c.layout_only ? DZV_OK : c.code);
        EXPECT_EQ(prepared != nullptr, c.layout_only);
        dzv_release_prepared(prepared);
    }
    EXPECT_EQ(out, std::vector<double>(points.size(), 7.0));
    EXPECT_EQ(status, std::vector<std::int32_t>(4, 7));

    // Missing arrays, a negative count, a run without its size.
    RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
    EXPECT_EQ(dzv_transform_points(4, nullptr, out.data(), status.data(), &run.run),
              DZV_E_INVALID_ARGUMENT);
    EXPECT_EQ(dzv_transform_points(-1, points.data(), out.data(), status.data(), &run.run),
              DZV_E_INVALID_ARGUMENT);
    EXPECT_EQ(dzv_transform_points(0, nullptr, nullptr, nullptr, &run.run), DZV_OK);
    dzv_run unsized = run.run;
    unsized.size = 0;
    EXPECT_EQ(dzv_transform_points(4, points.data(), out.data(), status.data(), &unsized),
              DZV_E_INVALID_ARGUMENT);
    EXPECT_EQ(dzv_transform_points(4, points.data(), out.data(), status.data(), nullptr),
              DZV_E_INVALID_ARGUMENT);

    // A prepared handle with another run than its own.
    dzv_prepared* prepared = nullptr;
    ASSERT_EQ(dzv_prepare(&run.run, &prepared), DZV_OK);
    run.run.prepared = prepared;
    run.run.zone_b = 29;
    EXPECT_EQ(dzv_transform_points(4, points.data(), out.data(), status.data(), &run.run),
              DZV_E_INVALID_ARGUMENT);
    EXPECT_STREQ(run.message,
                 "La ejecución no es aquella para la que se prepararon los parámetros");
    dzv_release_prepared(prepared);

    // A buffer too small for the message gets its start, cut before a
    // character that does not fit whole ("vértices": the é is two bytes).
    RunUnderTest small(DZV_PARAMETERS_DISTANCE, DZV_MODEL_HELMERT, 1000);
    small.run.message_size = 30; // "Imposible calcular: solo 0 v" is 28 bytes, then 'é'
    EXPECT_EQ(dzv_transform_points(4, points.data(), out.data(), status.data(), &small.run),
              DZV_E_RUN_FAILED);
    EXPECT_STREQ(small.message, "Imposible calcular: solo 0 v");
}

// The official grid and the geoid: points outside either are refused with
// their own status; a saved grid set names the grid, which loading reads
// again, and gives the same bits.
TEST(PreparedRun, GridAndGeoidStatusesAndSavedGridSets) {
    RunUnderTest run(DZV_PARAMETERS_GRID, DZV_MODEL_MOLODENSKY, 0); // the model is not used
    run.run.kind_a = DZV_KIND_GEODETIC;
    run.run.kind_b = DZV_KIND_UTM;
    run.run.orthometric_heights = 1;
    const std::vector<double> points = {
        -4.4650363400, 37.7467730260, 749.66, // Andalusia: grid and geoid
        -3.7,          40.4,          650.0,  // Madrid: in the grid, beyond the geoid's window
        -3.7,          48.0,          100.0,  // north of the peninsula: outside the grid
    };
    std::vector<std::int32_t> status;
    const std::vector<double> out = Transform(points, run.run, &status);
    EXPECT_EQ(status, (std::vector<std::int32_t>{DZV_POINT_TRANSFORMED, DZV_POINT_OUTSIDE_GEOID,
                                                 DZV_POINT_OUTSIDE_GRID}));
    EXPECT_TRUE(std::isnan(out[3]) && std::isnan(out[6]));

    dzv_prepared* prepared = nullptr;
    ASSERT_EQ(dzv_prepare(&run.run, &prepared), DZV_OK) << run.message;
    dzv_parameters p{};
    p.size = sizeof p;
    ASSERT_EQ(dzv_prepared_parameters(prepared, &p), DZV_OK);
    EXPECT_EQ(p.model, DZV_MODEL_GRID);
    EXPECT_NE(std::string(p.report).find("SPED2ETV2"), std::string::npos) << p.report;
    std::size_t length = 0;
    dzv_prepared_save(prepared, nullptr, 0, &length);
    std::string text(length, '\0');
    ASSERT_EQ(dzv_prepared_save(prepared, text.data(), text.size(), &length), DZV_OK);
    dzv_release_prepared(prepared);
    dzv_prepared* loaded = nullptr;
    ASSERT_EQ(dzv_prepared_load(text.data(), text.size(), &loaded, run.message, sizeof run.message),
              DZV_OK)
        << run.message;
    run.run.prepared = loaded;
    EXPECT_TRUE(SameBits(Transform(points, run.run), out));
    dzv_release_prepared(loaded);

    // A saved set whose geoid has gone cannot be loaded.
    const std::string geoid = text.find("geoid 0:") != std::string::npos ? "geoid 0:" : "";
    ASSERT_FALSE(geoid.empty());
    std::string moved = text;
    moved.replace(moved.find(geoid), geoid.size(), "geoid 14:/no/existe.gtx");
    EXPECT_EQ(
        dzv_prepared_load(moved.data(), moved.size(), &loaded, run.message, sizeof run.message),
        DZV_E_INVALID_ARGUMENT);
    EXPECT_EQ(std::string(run.message).rfind("No se puede leer el geoide /no/existe.gtx", 0), 0u)
        << run.message;
}

// Coordinates no conversion takes are refused before the region is tested;
// the limits themselves are transformed (then refused by the region alone).
// A result that is not finite is refused too, after the region test.
TEST(PointArrays, PointsOutsideTheDomainAreRefused) {
    constexpr double kHuge = std::numeric_limits<double>::max();
    struct Case {
        std::int32_t kind;
        double c1, c2, c3;
        std::int32_t status;             // without the region test
        std::int32_t status_with_region; // with it
    };
    constexpr std::int32_t kDomain = DZV_POINT_OUTSIDE_DOMAIN;
    constexpr std::int32_t kRegion = DZV_POINT_OUTSIDE_REGION;
    const Case cases[] = {
        {DZV_KIND_GEODETIC, -3.5, 90.5, 0, kDomain, kDomain},
        {DZV_KIND_GEODETIC, -3.5, -90.5, 0, kDomain, kDomain},
        {DZV_KIND_GEODETIC, 181, 37, 0, kDomain, kDomain},
        {DZV_KIND_GEODETIC, -181, 37, 0, kDomain, kDomain},
        {DZV_KIND_GEODETIC, 1e300, 1e300, 0, kDomain, kDomain},
        {DZV_KIND_GEODETIC, 180, -90, 0, DZV_POINT_TRANSFORMED, kRegion},
        {DZV_KIND_GEODETIC, 0, 0, kHuge, kDomain, kRegion}, // its geocentric X overflows
        {DZV_KIND_UTM, -600000, 4100000, 0, kDomain, kDomain},
        {DZV_KIND_UTM, 1600000, 4100000, 0, kDomain, kDomain},
        {DZV_KIND_UTM, 1e300, 1e300, 0, kDomain, kDomain},
        {DZV_KIND_UTM, -500000, 4100000, 0, DZV_POINT_TRANSFORMED, kRegion},
        {DZV_KIND_UTM, 1500000, 4100000, 0, DZV_POINT_TRANSFORMED, kRegion},
    };
    for (const Case& c : cases) {
        for (const bool region_only : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.kind << " " << c.c1 << " " << c.c2 << " " << c.c3
                                            << " " << region_only);
            RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
            run.run.kind_a = c.kind;
            run.run.zone_a = c.kind == DZV_KIND_UTM ? 30 : 0;
            run.run.kind_b = DZV_KIND_GEOCENTRIC;
            run.run.zone_b = 0;
            run.run.region_only = region_only ? 1 : 0;
            std::vector<std::int32_t> status;
            const std::vector<double> out = Transform({c.c1, c.c2, c.c3}, run.run, &status);
            const std::int32_t expected = region_only ? c.status_with_region : c.status;
            EXPECT_EQ(status[0], expected);
            EXPECT_EQ(std::isnan(out[0]), expected != DZV_POINT_TRANSFORMED);
        }
    }
}

// Runs of UTM points from one datum to the other with a Helmert set take the
// points in blocks; each point gets, bit for bit, what it gets on the path
// that works out the uncertainty too and takes them one by one: refused
// points among good ones, a zone per point or one for all, output zones
// chosen by the longitude, both directions, the region test on and off.
TEST(PointArrays, PointsTakenInBlocksGetTheirOwnResults) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double odd[][4] = {
        {kNaN, 4100000, 0, 30},    {440000, kInf, 0, 30},        {2e6, 4100000, 0, 30},
        {-500000, 4100000, 0, 30}, {440000, 4100000, 0, 0},      {440000, 4100000, 0, 30.5},
        {440000, 1.2e7, 5, 30},    {440000, 4100000, 1e300, 30}, {1e300, -1e300, 0, 31},
    };
    const std::vector<double> good = Zone30Points(300);
    std::vector<double> with_zones;
    for (std::size_t i = 0; i < good.size() / 3; ++i) {
        with_zones.insert(with_zones.end(), {good[3 * i], good[3 * i + 1], good[3 * i + 2],
                                             29.0 + static_cast<double>(i % 3)});
        if (i % 7 == 0) {
            with_zones.insert(with_zones.end(), std::begin(odd[i / 7 % 9]),
                              std::end(odd[i / 7 % 9]));
        }
    }
    const std::int64_t n = static_cast<std::int64_t>(with_zones.size() / 4);
    std::vector<double> fixed_zone;
    for (std::int64_t i = 0; i < n; ++i) {
        fixed_zone.insert(fixed_zone.end(), with_zones.begin() + 4 * i,
                          with_zones.begin() + 4 * i + 3);
    }
    for (const Choice& choice :
         {kChoices[0], kChoices[1],
          Choice{"5 nearest", DZV_PARAMETERS_NEAREST, DZV_MODEL_HELMERT, 5}}) {
        for (const bool reverse : {false, true}) {
            for (const double zone_a : {30.0, 0.0}) {
                for (const double zone_b : {30.0, 0.0}) {
                    for (const std::int32_t region_only : {0, 1}) {
                        SCOPED_TRACE(testing::Message()
                                     << choice.name << " reverse " << reverse << " zones " << zone_a
                                     << " " << zone_b << " region " << region_only);
                        RunUnderTest run(choice.parametros, choice.model, choice.seleccion);
                        if (reverse) {
                            std::swap(run.run.datum_a, run.run.datum_b);
                        }
                        run.run.zone_a = zone_a;
                        run.run.zone_b = zone_b;
                        run.run.in_columns = zone_a == 0.0 ? 4 : 3;
                        run.run.out_columns = 4;
                        run.run.region_only = region_only;
                        const std::vector<double>& in = zone_a == 0.0 ? with_zones : fixed_zone;
                        std::vector<double> blocks(4 * n), alone(4 * n), metres(n);
                        std::vector<std::int32_t> block_status(n), alone_status(n);
                        ASSERT_EQ(dzv_transform_points(n, in.data(), blocks.data(),
                                                       block_status.data(), &run.run),
                                  DZV_OK)
                            << run.message;
                        run.run.uncertainty = metres.data();
                        ASSERT_EQ(dzv_transform_points(n, in.data(), alone.data(),
                                                       alone_status.data(), &run.run),
                                  DZV_OK)
                            << run.message;
                        EXPECT_EQ(block_status, alone_status);
                        EXPECT_TRUE(SameBits(blocks, alone));
                        EXPECT_GE(std::count(block_status.begin(), block_status.end(),
                                             DZV_POINT_TRANSFORMED),
                                  100);
                    }
                }
            }
        }
    }
}

// A caller built with a smaller run (an older version of the header) gets the
// fields beyond its size as zeros, whatever lies in memory after its struct.
TEST(PointArrays, FieldsBeyondTheCallersSizeReadAsZero) {
    RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
    run.run.size = offsetof(dzv_run, region_only);
    run.run.region_only = 1; // beyond the size: not read
    run.run.datum_a = 7;     // a bad run, whose message has nowhere to go
    const double far[] = {235171.041, 5142124.422, 42.0};
    double out[3];
    std::int32_t status[1];
    EXPECT_EQ(dzv_transform_points(1, far, out, status, &run.run), DZV_E_INVALID_ARGUMENT);
    EXPECT_STREQ(run.message, "");
    run.run.datum_a = DZV_DATUM_ED50;
    ASSERT_EQ(dzv_transform_points(1, far, out, status, &run.run), DZV_OK);
    EXPECT_EQ(status[0], DZV_POINT_TRANSFORMED);
    run.run.size = sizeof(dzv_run);
    ASSERT_EQ(dzv_transform_points(1, far, out, status, &run.run), DZV_OK);
    EXPECT_EQ(status[0], DZV_POINT_OUTSIDE_REGION);
}

// The uncertainty array: filled for the transformed points, NaN for the
// others, the same in place (input and output one array) and on threads;
// a caller whose run ends before the field gets nothing written.
TEST(PointArrays, UncertaintyOfEachPoint) {
    RunUnderTest run(DZV_PARAMETERS_NEAREST, DZV_MODEL_HELMERT, 8);
    std::vector<double> points = Zone30Points(40000);
    points[3] = kNaN; // point 2 is not finite
    const std::size_t n = points.size() / 3;
    std::vector<double> metres(n, -1.0);
    run.run.uncertainty = metres.data();
    std::vector<std::int32_t> status;
    Transform(points, run.run, &status);
    EXPECT_EQ(status[1], DZV_POINT_NOT_FINITE);
    EXPECT_TRUE(std::isnan(metres[1]));
    double smallest = 1e9, largest = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i != 1) {
            ASSERT_EQ(status[i], DZV_POINT_TRANSFORMED);
            smallest = std::min(smallest, metres[i]);
            largest = std::max(largest, metres[i]);
        }
    }
    // 8 vertices near the origin, points all over the region: from a few
    // decimetres near them to metres 300 km away.
    EXPECT_GT(smallest, 0.05);
    EXPECT_LT(smallest, 1.0);
    EXPECT_GT(largest, 3.0 * smallest);

    std::vector<double> in_place = points;
    std::vector<double> again(n, -1.0);
    std::vector<std::int32_t> codes(n);
    run.run.uncertainty = again.data();
    run.run.threads = 4;
    ASSERT_EQ(dzv_transform_points(static_cast<std::int64_t>(n), in_place.data(), in_place.data(),
                                   codes.data(), &run.run),
              DZV_OK);
    EXPECT_TRUE(SameBits(again, metres));

    run.run.size = offsetof(dzv_run, uncertainty);
    std::vector<double> untouched(n, -1.0);
    run.run.uncertainty = untouched.data();
    Transform(points, run.run);
    EXPECT_EQ(untouched, std::vector<double>(n, -1.0));
}

// Distinct handles on distinct threads, and one call spread over threads,
// give what each gives alone.
TEST(PointArrays, ThreadsChangeNothingInTheResults) {
    const std::vector<double> points = Zone30Points(100000);
    RunUnderTest local(DZV_PARAMETERS_NEAREST, DZV_MODEL_HELMERT, 5);
    RunUnderTest regional(DZV_PARAMETERS_REGIONAL, DZV_MODEL_AFFINE, 0);
    const std::vector<double> local_alone = Transform(points, local.run);
    const std::vector<double> regional_alone = Transform(points, regional.run);

    dzv_prepared* local_set = nullptr;
    dzv_prepared* regional_set = nullptr;
    ASSERT_EQ(dzv_prepare(&local.run, &local_set), DZV_OK);
    ASSERT_EQ(dzv_prepare(&regional.run, &regional_set), DZV_OK);
    local.run.prepared = local_set;
    regional.run.prepared = regional_set;
    std::vector<double> local_threaded, regional_threaded;
    std::thread a([&] {
        for (int i = 0; i < 3; ++i) {
            local_threaded = Transform(points, local.run);
        }
    });
    std::thread b([&] {
        for (int i = 0; i < 3; ++i) {
            regional_threaded = Transform(points, regional.run);
        }
    });
    a.join();
    b.join();
    EXPECT_TRUE(SameBits(local_threaded, local_alone));
    EXPECT_TRUE(SameBits(regional_threaded, regional_alone));

    local.run.threads = 3;
    EXPECT_TRUE(SameBits(Transform(points, local.run), local_alone));
    dzv_release_prepared(local_set);
    dzv_release_prepared(regional_set);
}

// The estimated set as a caller reads it: the regional Helmert fit uses the
// 178 sound vertices, leaves the two blunders out, and its residuals are
// those of the independent fit (tests/data/regional_fits.tsv: mean 0.643 m,
// max 1.558 m at the sound vertices; sigma0 0.4100702).
TEST(PreparedRun, RegionalSetAndItsResiduals) {
    RunUnderTest run(DZV_PARAMETERS_REGIONAL, DZV_MODEL_HELMERT, 0);
    dzv_prepared* prepared = nullptr;
    ASSERT_EQ(dzv_prepare(&run.run, &prepared), DZV_OK);
    dzv_parameters p{};
    p.size = sizeof p;
    ASSERT_EQ(dzv_prepared_parameters(prepared, &p), DZV_OK);
    EXPECT_EQ(p.model, DZV_MODEL_HELMERT);
    EXPECT_EQ(p.vertex_count, 180);
    EXPECT_EQ(p.used_count, 178);
    EXPECT_NEAR(p.adjustment_error, 0.41007018, 1e-8);
    EXPECT_NE(std::string(p.report).find("Número de puntos utilizados: 178"), std::string::npos);
    double sum = 0.0, largest = 0.0;
    std::vector<std::string> left_out;
    for (std::int32_t i = 0; i < p.vertex_count; ++i) {
        dzv_vertex v{};
        v.size = sizeof v;
        ASSERT_EQ(dzv_prepared_vertex(prepared, i, &v), DZV_OK);
        const double r = std::hypot(v.residual_x, v.residual_y);
        if (v.used) {
            sum += r;
            largest = std::max(largest, r);
        } else {
            left_out.push_back(v.name);
            EXPECT_GT(r, 10.0);
        }
    }
    EXPECT_NEAR(sum / 178, 0.643120, 0.0005);
    EXPECT_NEAR(largest, 1.558361, 0.0005);
    EXPECT_EQ(left_out, (std::vector<std::string>{"CABEZAS 1", "SAN FERNANDO GPS 1995"}));
    dzv_vertex v{};
    v.size = sizeof v;
    EXPECT_EQ(dzv_prepared_vertex(prepared, 180, &v), DZV_E_INVALID_ARGUMENT);
    dzv_release_prepared(prepared);

    // The national set is not estimated: no vertex, no adjustment error.
    RunUnderTest national(DZV_PARAMETERS_NATIONAL, DZV_MODEL_MOLODENSKY, 0);
    ASSERT_EQ(dzv_prepare(&national.run, &prepared), DZV_OK);
    ASSERT_EQ(dzv_prepared_parameters(prepared, &p), DZV_OK);
    EXPECT_EQ(p.model, DZV_MODEL_HELMERT);
    EXPECT_EQ(p.vertex_count, 0);
    EXPECT_TRUE(std::isnan(p.adjustment_error));
    dzv_release_prepared(prepared);
}

// The rectangle around an array is the one CentroideTXT finds for the same
// points in a file (the centre quillon-cli searches around by default).
TEST(PointArrays, ExtentIsTheCentroidMethodsRectangle) {
    quillon_test::ControlHost control;
    const std::string sample = std::string(QUILLON_DATA_DIR) + "/muestra_ed50_utm.txt";
    ASSERT_EQ(control.Invoke(16, {quillon_test::DzvStr(sample), quillon_test::DzvI4(14),
                                  quillon_test::DzvI4(2), quillon_test::DzvR8(0)}),
              1);
    std::vector<double> points;
    std::FILE* file = std::fopen(sample.c_str(), "r");
    ASSERT_NE(file, nullptr);
    char line[256];
    std::fgets(line, sizeof line, file); // title
    int number = 0;
    double x, y, h, zone;
    while (std::fscanf(file, "%d %lf %lf %lf %lf", &number, &x, &y, &h, &zone) == 5) {
        points.insert(points.end(), {x, y, h, zone});
    }
    std::fclose(file);
    points.insert(points.end(), {kNaN, 0, 0, 30, 1, 2, 3, 61}); // left out, as in a file
    RunUnderTest run(DZV_PARAMETERS_NATIONAL, DZV_MODEL_HELMERT, 0);
    run.run.zone_a = 0;
    run.run.in_columns = 4;
    double extent[4];
    std::int64_t count = 0;
    ASSERT_EQ(dzv_points_extent(static_cast<std::int64_t>(points.size() / 4), points.data(),
                                &run.run, extent, &count),
              DZV_OK);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(extent[0], control.Get(3).AsDouble());
    EXPECT_EQ(extent[1], control.Get(4).AsDouble());
    EXPECT_EQ(extent[2], control.Get(5).AsDouble());
    EXPECT_EQ(extent[3], control.Get(6).AsDouble());
}

} // namespace
