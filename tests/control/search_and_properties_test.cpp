// The vertex searches and the result properties, by dispatch identifier only:
// every search is followed by the count (7) and by each found vertex through
// ObtenerPuntoEncontrado (19) and its properties (8, 9, 11, 12), checked
// against the catalogue file, never against the engine's own search.
#include "support/control_host.h"
#include "support/reference_table.h"
#include "support/vertex_table.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace {

using quillon_test::CatalogueVertex;
using quillon_test::ControlHost;
using quillon_test::DzvI2;
using quillon_test::DzvI4;
using quillon_test::DzvR8;
using quillon_test::DzvStr;
using quillon_test::PropertyValue;

constexpr std::int32_t kNumeroPuntosEncontrados = 7;
constexpr std::int32_t kXED50SEL = 8;
constexpr std::int32_t kYED50SEL = 9;
constexpr std::int32_t kIDSEL = 11;
constexpr std::int32_t kNOMBRESEL = 12;
constexpr std::int32_t kBuscarPuntosPorDistancia = 17;
constexpr std::int32_t kBuscarPuntosPorNumero = 18;
constexpr std::int32_t kObtenerPuntoEncontrado = 19;

// A search centre as the interface takes it, and where it lies in catalogue
// coordinates (ED50 UTM zone 30) according to PROJ.
struct Centre {
    const char* what;
    double c1, c2, c3, zone;
    std::int32_t datum, kind;
    double ed50_x, ed50_y;
};

// Near Huelva, given in catalogue coordinates (PROJ's ED50 UTM 30 of the
// 37.0 N, 6.95 W point of the reference table).
Centre Huelva() {
    return {"ED50 UTM 30 near Huelva",
            148231.2718,
            4094614.0231,
            0.0,
            30.0,
            14,
            2,
            148231.2718,
            4094614.0231};
}

// Sierra de Aracena, 7.2 W, given in ETRS89 geodetic radians; the engine
// carries it to ED50 with the national set. Its catalogue position is PROJ's
// ED50 UTM 30 of the same reference point (to a few centimetres: the
// reference point has a height, the search centre has none).
Centre Aracena() {
    const quillon_test::ReferenceTable t("national_epsg1632.tsv");
    for (const auto& r : t.rows()) {
        if (std::fabs(r[t.Column("ed50_lon")] - -7.2091880660) < 1e-9) {
            constexpr double kRad = std::numbers::pi / 180.0;
            return {"ETRS89 geodetic at 7.2 W",
                    r[t.Column("etrs_lon")] * kRad,
                    r[t.Column("etrs_lat")] * kRad,
                    0.0,
                    0.0,
                    19,
                    1,
                    r[t.Column("ed50_utm30_x")],
                    r[t.Column("ed50_utm30_y")]};
        }
    }
    throw std::runtime_error("reference point at 7.2 W missing");
}

double DistanceFrom(const Centre& c, const CatalogueVertex& v) {
    return std::hypot(v.ed50_x - c.ed50_x, v.ed50_y - c.ed50_y);
}

// The vertices a distance search must find: catalogue order. The distance
// must not fall within `margin` of any vertex, so that a centre known only to
// centimetres decides nothing.
std::vector<CatalogueVertex> WithinDistance(const std::vector<CatalogueVertex>& catalogue,
                                            const Centre& c, double distance) {
    std::vector<CatalogueVertex> out;
    for (const CatalogueVertex& v : catalogue) {
        const double d = DistanceFrom(c, v);
        EXPECT_GT(std::fabs(d - distance), 100.0) << v.name << ": choose another distance";
        if (d < distance) {
            out.push_back(v);
        }
    }
    return out;
}

// The n nearest (n raised to 3 and capped at 180), nearest first.
std::vector<CatalogueVertex> Nearest(std::vector<CatalogueVertex> catalogue, const Centre& c,
                                     int n) {
    n = std::clamp(n, 3, static_cast<int>(catalogue.size()));
    std::stable_sort(catalogue.begin(), catalogue.end(),
                     [&](const CatalogueVertex& a, const CatalogueVertex& b) {
                         return DistanceFrom(c, a) < DistanceFrom(c, b);
                     });
    for (int i = 0; i + 1 < n; ++i) { // the order must not hang on a tie
        EXPECT_GT(DistanceFrom(c, catalogue[static_cast<std::size_t>(i + 1)]) -
                      DistanceFrom(c, catalogue[static_cast<std::size_t>(i)]),
                  0.1)
            << "near tie at rank " << i;
    }
    catalogue.resize(static_cast<std::size_t>(n));
    return catalogue;
}

// The selection properties, read together.
struct Selection {
    double x = 0, y = 0;
    std::int32_t id = 0;
    std::string name;
    bool operator==(const Selection&) const = default;
};

Selection ReadSelection(const ControlHost& host) {
    return {host.GetDouble(kXED50SEL), host.GetDouble(kYED50SEL), host.GetLong(kIDSEL),
            host.GetString(kNOMBRESEL)};
}

// Each found vertex, in order, through dispid 19 and properties 8, 9, 11, 12;
// then the index one past the end is refused and changes none of them.
void ExpectFoundList(ControlHost& host, const std::vector<CatalogueVertex>& expected,
                     const std::string& step) {
    const auto count = static_cast<std::int32_t>(expected.size());
    ASSERT_EQ(host.GetLong(kNumeroPuntosEncontrados), count) << step;
    for (std::int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(host.Invoke(kObtenerPuntoEncontrado, {DzvI4(i)}), 1) << step << " #" << i;
        const CatalogueVertex& v = expected[static_cast<std::size_t>(i)];
        const Selection got = ReadSelection(host);
        EXPECT_EQ(got.id, v.number) << step << " #" << i;
        EXPECT_EQ(got.name, v.name) << step << " #" << i;
        EXPECT_NEAR(got.x, v.ed50_x, 5e-4) << step << " #" << i;
        EXPECT_NEAR(got.y, v.ed50_y, 5e-4) << step << " #" << i;
    }
    const Selection before = ReadSelection(host);
    EXPECT_EQ(host.Invoke(kObtenerPuntoEncontrado, {DzvI4(count)}), 0) << step;
    EXPECT_EQ(host.Invoke(kObtenerPuntoEncontrado, {DzvI4(-1)}), 0) << step;
    EXPECT_EQ(ReadSelection(host), before) << step;
}

// One control, searches in turn whose counts all differ from the one before,
// so a count left over from an earlier search is caught.
TEST(ControlSearches, EverySearchSetsTheCountAndTheFoundList) {
    const std::vector<CatalogueVertex> catalogue = quillon_test::ReadVertexCatalogue();
    ASSERT_EQ(catalogue.size(), 180u);
    const Centre huelva = Huelva();
    const Centre aracena = Aracena();
    struct Step {
        std::int32_t dispid;
        Centre centre;
        double selection; // metres or a count
        std::vector<CatalogueVertex> expected;
    };
    const std::vector<Step> steps = {
        {kBuscarPuntosPorNumero, huelva, 5, Nearest(catalogue, huelva, 5)},
        {kBuscarPuntosPorDistancia, aracena, 90000, WithinDistance(catalogue, aracena, 90000)},
        {kBuscarPuntosPorDistancia, aracena, 101000, WithinDistance(catalogue, aracena, 101000)},
        {kBuscarPuntosPorDistancia, aracena, 1e9, catalogue},
        {kBuscarPuntosPorDistancia, huelva, 60000, WithinDistance(catalogue, huelva, 60000)},
        {kBuscarPuntosPorDistancia, huelva, 30000, WithinDistance(catalogue, huelva, 30000)},
        {kBuscarPuntosPorNumero, aracena, 2, Nearest(catalogue, aracena, 2)},
        {kBuscarPuntosPorNumero, huelva, 500, Nearest(catalogue, huelva, 500)},
    };
    ControlHost host;
    std::size_t previous = 0;
    for (const Step& step : steps) {
        const std::string name =
            std::string(step.dispid == kBuscarPuntosPorNumero ? "BuscarPuntosPorNumero "
                                                              : "BuscarPuntosPorDistancia ") +
            std::to_string(step.selection) + " around " + step.centre.what;
        ASSERT_NE(step.expected.size(), previous) << name << ": counts must differ in turn";
        previous = step.expected.size();
        const Centre& c = step.centre;
        const DzvValue selection = step.dispid == kBuscarPuntosPorNumero
                                       ? DzvI4(static_cast<std::int32_t>(step.selection))
                                       : DzvR8(step.selection);
        EXPECT_EQ(host.Invoke(step.dispid, {selection, DzvR8(c.c1), DzvR8(c.c2), DzvR8(c.c3),
                                            DzvR8(c.zone), DzvI4(c.datum), DzvI4(c.kind)}),
                  -1)
            << name; // these two methods return nothing
        ExpectFoundList(host, step.expected, name);
    }
}

// What each property holds as a type, and that a value put into one is read
// back from that one and from no other.
TEST(ControlProperties, EachPropertyKeepsItsOwnValueAndType) {
    struct Property {
        std::int32_t dispid;
        const char* name;
        std::int32_t type;
    };
    const std::vector<Property> properties = {
        {1, "XCentroide", DZV_R8},
        {2, "YCentroide", DZV_R8},
        {3, "XMinMRE", DZV_R8},
        {4, "XMaxMRE", DZV_R8},
        {5, "YMinMRE", DZV_R8},
        {6, "YMaxMRE", DZV_R8},
        {7, "NumeroPuntosEncontrados", DZV_I4},
        {8, "XED50SEL", DZV_R8},
        {9, "YED50SEL", DZV_R8},
        {10, "NumeroPuntosArchivo", DZV_R8},
        {11, "IDSEL", DZV_I4},
        {12, "NOMBRESEL", DZV_STR},
        {24, "Hilos", DZV_I4},
    };
    ControlHost host;
    const auto read_all = [&] {
        std::vector<PropertyValue> all;
        for (const Property& p : properties) {
            all.push_back(host.Get(p.dispid));
        }
        return all;
    };
    std::vector<PropertyValue> expected = read_all();
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const Property& p = properties[i];
        EXPECT_EQ(expected[i].type, p.type) << p.name;
        // A value no other property holds: 1000 + dispid, or a name.
        const std::string text = std::string("vértice ") + p.name;
        const std::int32_t number = 1000 + p.dispid;
        PropertyValue put;
        put.type = p.type;
        if (p.type == DZV_STR) {
            ASSERT_EQ(host.Put(p.dispid, DzvStr(text)), DZV_OK) << p.name;
            put.value = text;
        } else if (p.type == DZV_I4) {
            ASSERT_EQ(host.Put(p.dispid, DzvI4(number)), DZV_OK) << p.name;
            put.value = number;
        } else {
            ASSERT_EQ(host.Put(p.dispid, DzvR8(number + 0.25)), DZV_OK) << p.name;
            put.value = number + 0.25;
        }
        expected[i] = put;
        EXPECT_EQ(read_all(), expected) << "after putting " << p.name;
    }

    // Numbers widen on the way in; nothing narrows and strings stay strings.
    for (const Property& p : properties) {
        const PropertyValue before = host.Get(p.dispid);
        if (p.type == DZV_STR) {
            EXPECT_EQ(host.Put(p.dispid, DzvI4(1)), DZV_E_TYPE_MISMATCH) << p.name;
            EXPECT_EQ(host.Put(p.dispid, DzvR8(1)), DZV_E_TYPE_MISMATCH) << p.name;
            EXPECT_EQ(host.Get(p.dispid), before) << p.name;
            continue;
        }
        EXPECT_EQ(host.Put(p.dispid, DzvStr("7")), DZV_E_TYPE_MISMATCH) << p.name;
        if (p.type == DZV_I4) {
            EXPECT_EQ(host.Put(p.dispid, DzvR8(7.0)), DZV_E_TYPE_MISMATCH) << p.name;
            EXPECT_EQ(host.Get(p.dispid), before) << p.name;
            ASSERT_EQ(host.Put(p.dispid, DzvI2(-7)), DZV_OK) << p.name;
            EXPECT_EQ(host.GetLong(p.dispid), -7) << p.name;
        } else {
            ASSERT_EQ(host.Put(p.dispid, DzvI2(-7)), DZV_OK) << p.name;
            EXPECT_EQ(host.GetDouble(p.dispid), -7.0) << p.name;
            ASSERT_EQ(host.Put(p.dispid, DzvI4(2000000000)), DZV_OK) << p.name;
            EXPECT_EQ(host.GetDouble(p.dispid), 2e9) << p.name;
        }
    }
}

} // namespace
