// The vertex catalogue, the searches and the found-vertex list.
#include "geodesy/datum_point.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "geodesy/vertex_search.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace dezadiravevava {
namespace {

const VertexRecord& ByNumber(std::int32_t number) {
    for (const VertexRecord& v : VertexCatalogue()) {
        if (v.number == number) {
            return v;
        }
    }
    throw std::runtime_error("no vertex " + std::to_string(number));
}

std::vector<std::int32_t> FoundNumbers(const FoundVertexList& found) {
    std::vector<std::int32_t> numbers;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        numbers.push_back(found.entries[static_cast<std::size_t>(i)].number);
    }
    return numbers;
}

TEST(VertexCatalogue, PublishedRowsAndLayout) {
    const auto& catalogue = VertexCatalogue();
    EXPECT_EQ(catalogue.front().number, 80656);
    EXPECT_EQ(catalogue.front().name, "SERVILLETA");
    EXPECT_EQ(catalogue.back().number, 107826);
    // Names are Windows-1252: I with acute accent is the single byte 0xCD.
    EXPECT_EQ(catalogue.back().name, "SAN GARC\xCD"
                                     "A");
    const VertexRecord& cabezas = ByNumber(96065);
    EXPECT_EQ(cabezas.name, "CABEZAS 1");
    EXPECT_EQ(cabezas.etrs_y, 4166489.028);
    EXPECT_EQ(cabezas.ed50_y, 4172646.558);
    const VertexRecord& san_fernando = ByNumber(106899);
    EXPECT_EQ(san_fernando.name, "SAN FERNANDO GPS 1995");
    EXPECT_EQ(san_fernando.etrs_x, 212741.389);
    EXPECT_EQ(san_fernando.ed50_h, 43.12);
    EXPECT_EQ(ByNumber(80656).etrs_y, 4295133.07);
    for (const VertexRecord& v : catalogue) {
        EXPECT_EQ(v.number / 100, v.sheet) << v.number;
    }
}

TEST(VertexSearch, ByNumberClampsAndSortsByDistance) {
    FoundVertexList found;
    const VertexRecord& centre = ByNumber(98555); // ALCORES
    SearchByNumber(found, 1, centre.ed50_x, centre.ed50_y, 0, 30, kDatumEd50, kKindUtm, false);
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found.entries[0].number, 98555);
    SearchByNumber(found, 500, centre.ed50_x, centre.ed50_y, 0, 30, kDatumEd50, kKindUtm, false);
    ASSERT_EQ(found.count(), 180);
    double previous = -1.0;
    for (std::int32_t i = 0; i < 180; ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        const double d = std::hypot(v.ed50_x - centre.ed50_x, v.ed50_y - centre.ed50_y);
        EXPECT_GE(d, previous);
        previous = d;
    }
}

TEST(VertexSearch, ExchangeSortDecidesTheOrderOfTies) {
    // Catalogue order A, B, C with distances 1, 1, 0: A is exchanged with C
    // and lands behind B, where a stable sort would keep A before B.
    const auto& catalogue = VertexCatalogue();
    std::vector<VertexDistance> entries = {
        {&catalogue[0], 1.0}, {&catalogue[1], 1.0}, {&catalogue[2], 0.0}};
    ExchangeSortByDistance(entries);
    EXPECT_EQ(entries[0].vertex, &catalogue[2]);
    EXPECT_EQ(entries[1].vertex, &catalogue[1]);
    EXPECT_EQ(entries[2].vertex, &catalogue[0]);
}

TEST(VertexSearch, ByDistanceIsStrictAndInCatalogueOrder) {
    FoundVertexList found;
    const VertexRecord& centre = ByNumber(98555);
    SearchByDistance(found, 0.0, centre.ed50_x, centre.ed50_y, 0, 30, kDatumEd50, kKindUtm, false);
    EXPECT_EQ(found.count(), 0);
    SearchByDistance(found, 1e300, 0, 0, 0, 30, kDatumEd50, kKindUtm, true);
    ASSERT_EQ(found.count(), 180);
    for (std::size_t i = 0; i < 180; ++i) {
        EXPECT_EQ(found.entries[i].number, VertexCatalogue()[i].number);
    }
    // A vertex exactly at the limit is left out; a hair beyond, it is in.
    const VertexRecord& other = ByNumber(99235);
    const double d = std::hypot(other.ed50_x - centre.ed50_x, other.ed50_y - centre.ed50_y);
    SearchByDistance(found, d, centre.ed50_x, centre.ed50_y, 0, 30, kDatumEd50, kKindUtm, true);
    const auto inside = FoundNumbers(found);
    EXPECT_EQ(std::count(inside.begin(), inside.end(), 99235), 0);
    SearchByDistance(found, std::nextafter(d, 1e300), centre.ed50_x, centre.ed50_y, 0, 30,
                     kDatumEd50, kKindUtm, true);
    const auto wider = FoundNumbers(found);
    EXPECT_EQ(std::count(wider.begin(), wider.end(), 99235), 1);
    EXPECT_EQ(wider.size(), inside.size() + 1);
    EXPECT_TRUE(std::is_sorted(wider.begin(), wider.end(), [](auto a, auto b) {
        auto index = [](std::int32_t n) {
            const auto& c = VertexCatalogue();
            return std::find_if(c.begin(), c.end(), [n](auto& v) { return v.number == n; }) -
                   c.begin();
        };
        return index(a) < index(b);
    }));
}

TEST(VertexSearch, CentresInEveryDatumAndKind) {
    FoundVertexList found;
    const VertexRecord& v = ByNumber(80656); // SERVILLETA, national set good to 0.07 m here
    const Ellipsoid& etrs = EllipsoidRow(kDatumEtrs89);
    const Ellipsoid& ed50 = EllipsoidRow(kDatumEd50);
    // ETRS89 UTM centre: converted to ED50 with the national set.
    auto c = SearchCentreToEd50Utm(v.etrs_x, v.etrs_y, 0, 30, kDatumEtrs89, kKindUtm);
    ASSERT_TRUE(c);
    EXPECT_LT(std::hypot(c->x - v.ed50_x, c->y - v.ed50_y), 0.2);
    // ETRS89 geodetic centre, in radians.
    const GeodeticAngles g = UtmToGeodetic(v.etrs_x, v.etrs_y, etrs, 30);
    c = SearchCentreToEd50Utm(g.lambda, g.phi, 0, 0, kDatumEtrs89, kKindGeodetic);
    EXPECT_LT(std::hypot(c->x - v.ed50_x, c->y - v.ed50_y), 0.2);
    // ETRS89 geocentric centre.
    DatumPoint p(etrs);
    p.SetGeodetic(g.lambda, g.phi, 0.0);
    c = SearchCentreToEd50Utm(p.geocentric().c1, p.geocentric().c2, p.geocentric().c3, 0,
                              kDatumEtrs89, kKindGeocentric);
    EXPECT_LT(std::hypot(c->x - v.ed50_x, c->y - v.ed50_y), 0.2);
    // ED50 geodetic (radians) and geocentric centres: projection only.
    const GeodeticAngles e = UtmToGeodetic(v.ed50_x, v.ed50_y, ed50, 30);
    c = SearchCentreToEd50Utm(e.lambda, e.phi, 0, 0, kDatumEd50, kKindGeodetic);
    EXPECT_LT(std::hypot(c->x - v.ed50_x, c->y - v.ed50_y), 1e-4);
    DatumPoint q(ed50);
    q.SetGeodetic(e.lambda, e.phi, 300.0);
    c = SearchCentreToEd50Utm(q.geocentric().c1, q.geocentric().c2, q.geocentric().c3, 0,
                              kDatumEd50, kKindGeocentric);
    EXPECT_LT(std::hypot(c->x - v.ed50_x, c->y - v.ed50_y), 1e-4);
    // An ED50 UTM centre is used as it stands, even in another zone.
    c = SearchCentreToEd50Utm(700000.0, 4100000.0, 0, 29, kDatumEd50, kKindUtm);
    EXPECT_EQ(c->x, 700000.0);
    EXPECT_EQ(c->y, 4100000.0);
    // The automation path: an ETRS89 geodetic centre finds the vertex itself first.
    SearchByNumber(found, 3, g.lambda, g.phi, 0, 0, kDatumEtrs89, kKindGeodetic, false);
    EXPECT_EQ(found.entries[0].number, 80656);
}

TEST(VertexSearch, CentreOfUnknownKindFindsNothing) {
    FoundVertexList found;
    SearchByNumber(found, 10, 300000.0, 4100000.0, 0, 30, kDatumEd50, kKindPlane, false);
    EXPECT_EQ(found.count(), 0);
    EXPECT_FALSE(SearchCentreToEd50Utm(1, 2, 3, 30, kDatumEd50, 7).has_value());
    // Distances from a centre that is not finite cannot be ordered.
    SearchByNumber(found, 10, std::nan(""), 4100000.0, 0, 30, kDatumEd50, kKindUtm, false);
    EXPECT_EQ(found.count(), 0);
}

TEST(VertexSearch, GetFoundVertexInsideTheListOnly) {
    FoundVertexList found;
    const VertexRecord& v = ByNumber(80656);
    SearchByNumber(found, 4, v.ed50_x, v.ed50_y, 0, 30, kDatumEd50, kKindUtm, true);
    EXPECT_EQ(GetFoundVertex(found, 0)->number, 80656);
    EXPECT_TRUE(GetFoundVertex(found, 3).has_value());
    EXPECT_FALSE(GetFoundVertex(found, 4).has_value());
    EXPECT_FALSE(GetFoundVertex(found, -1).has_value());
}

} // namespace
} // namespace dezadiravevava
