// Ellipsoids, point values, geodetic <-> geocentric and the UTM projection.
#include "geodesy/datum_point.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"
#include "support/reference_table.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace dezadiravevava {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kRadiansPerDegree;

// The rows the system uses against the ellipsoids' published a and 1/f (as
// PROJ 9.1's `proj -le` lists them: airy, GRS80, intl, WGS84) and their
// published semi-minor axes; e^2, e'^2 and b derived here from a and 1/f.
TEST(EllipsoidTable, RowsUsedBySystem) {
    struct Published {
        int row;
        const char* name;
        double a, inverse_flattening, b;
    };
    for (const Published& p : {
             Published{0, "Airy 1830", 6377563.396, 299.3249646, 6356256.909},
             Published{kEllipsoidGrs80, "GRS 80", 6378137.0, 298.257222101, 6356752.31414},
             Published{kDatumEd50, "International 1924", 6378388.0, 297.0, 6356911.946},
             Published{kDatumEtrs89, "WGS 84", 6378137.0, 298.257223563, 6356752.31425},
         }) {
        SCOPED_TRACE(p.name);
        const double f = 1.0 / p.inverse_flattening;
        const double e2 = 2.0 * f - f * f;
        const double b = p.a * (1.0 - f);
        const Ellipsoid& row = EllipsoidRow(p.row);
        EXPECT_EQ(row.a, p.a);
        EXPECT_DOUBLE_EQ(row.f, f);
        EXPECT_DOUBLE_EQ(row.e2(), e2);
        EXPECT_DOUBLE_EQ(row.b(), b);
        EXPECT_NEAR(row.b(), p.b, 1e-3);
        const EllipsoidConstants& c = ConstantsOfRow(p.row);
        EXPECT_EQ(c.a, p.a);
        EXPECT_DOUBLE_EQ(c.b, b);
        EXPECT_DOUBLE_EQ(c.e2, e2);
        EXPECT_DOUBLE_EQ(c.e2m, (b / p.a) * (b / p.a));
        EXPECT_DOUBLE_EQ(c.ep2, e2 / (1.0 - e2));
    }
    // Only the WGS 84 row carries physical constants: omega, and GM as first
    // published (3986005e8 m^3/s^2, here in km^3/s^2).
    EXPECT_EQ(EllipsoidRow(kDatumEd50).omega, 0.0);
    EXPECT_EQ(EllipsoidRow(kDatumEtrs89).omega, 7.292115e-05);
    EXPECT_EQ(EllipsoidRow(kDatumEtrs89).gm, 398600.5);
    // A fresh point holds row 0 (Airy), and a code outside the table reads
    // row 0 too.
    EXPECT_EQ(DatumPoint().ellipsoid().a, 6377563.396);
    EXPECT_EQ(ConstantsOfRow(kEllipsoidCount).a, 6377563.396);
    EXPECT_EQ(ConstantsOfRow(-1).a, 6377563.396);
    EXPECT_EQ(EllipsoidRow(kEllipsoidCount).a, 6377563.396);
}

TEST(CoordTriple, SentinelMeansNoThirdCoordinate) {
    CoordTriple t(1.0, 2.0, kNoThird);
    EXPECT_EQ(t.c3, 0.0);
    EXPECT_FALSE(t.has_c3);
    t.Set(1.0, 2.0, 0.0);
    EXPECT_TRUE(t.has_c3);
    t.Clear();
    EXPECT_EQ(t.c1, 0.0);
    EXPECT_FALSE(t.has_c3);
}

TEST(GeocentricToGeodetic, FarSideOfGreenwichKeepsItsQuadrant) {
    // A point at longitude 150 E has X < 0; the principal value of Y/X would
    // put it at -30.
    DatumPoint p(EllipsoidRow(kDatumEtrs89));
    p.SetGeodetic(150.0 * kDeg, 40.0 * kDeg, 100.0);
    DatumPoint q(EllipsoidRow(kDatumEtrs89));
    q.SetGeocentric(p.geocentric().c1, p.geocentric().c2, p.geocentric().c3);
    EXPECT_NEAR(q.geodetic().c1, 150.0 * kDeg, 1e-12);
    q.SetGeocentric(-p.geocentric().c1, -p.geocentric().c2, p.geocentric().c3);
    EXPECT_NEAR(q.geodetic().c1, -30.0 * kDeg, 1e-12);
    q.SetGeocentric(-6000000.0, -1.0, 0.0);
    EXPECT_NEAR(q.geodetic().c1, -kPi + 1.0 / 6000000.0, 1e-12);
}

TEST(GeocentricToGeodetic, PolarAxisAndGeocentre) {
    const Ellipsoid& e = EllipsoidRow(kDatumEd50);
    DatumPoint p(e);
    p.SetGeocentric(0.0, 0.0, e.b() + 250.0);
    EXPECT_EQ(p.geodetic().c1, 0.0);
    EXPECT_EQ(p.geodetic().c2, kPi / 2.0);
    EXPECT_NEAR(p.geodetic().c3, 250.0, 1e-9);
    p.SetGeocentric(0.0, 0.0, -e.b() - 10.0);
    EXPECT_EQ(p.geodetic().c2, -kPi / 2.0);
    EXPECT_NEAR(p.geodetic().c3, 10.0, 1e-9);
    // Only the geocentre itself reads (0, 0, 0).
    p.SetGeocentric(0.0, 0.0, 0.0);
    EXPECT_EQ(p.geodetic().c1, 0.0);
    EXPECT_EQ(p.geodetic().c2, 0.0);
    EXPECT_EQ(p.geodetic().c3, 0.0);
}

// Geodetic -> geocentric -> geodetic: the closed-form inverse returns the
// input to the rounding of the geocentric doubles (half an ulp of 6.4e6 m is
// 4.7e-10 m).
TEST(GeocentricToGeodetic, RoundTripToRounding) {
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        for (const double lat : {-60.0, 0.0, 36.0, 37.7, 38.5, 60.0}) {
            for (const double h : {-50.0, 0.0, 1500.0, 400000.0}) {
                DatumPoint p(EllipsoidRow(row));
                p.SetGeodetic(-4.2 * kDeg, lat * kDeg, h);
                DatumPoint q(EllipsoidRow(row));
                q.SetGeocentric(p.geocentric().c1, p.geocentric().c2, p.geocentric().c3);
                EXPECT_NEAR(q.geodetic().c2, lat * kDeg, 1e-15) << lat << " " << h;
                EXPECT_NEAR(q.geodetic().c1, -4.2 * kDeg, 1e-15);
                EXPECT_NEAR(q.geodetic().c3, h, 2e-9) << lat << " " << h;
            }
        }
    }
}

TEST(GeocentricToGeodetic, NonFiniteInputReturns) {
    DatumPoint p(EllipsoidRow(kDatumEd50));
    p.SetGeocentric(std::nan(""), 1.0, 1.0); // must not loop forever
    EXPECT_TRUE(std::isnan(p.geodetic().c2));
}

TEST(NormalizeAngle, ReducesIntoHalfTurnRange) {
    EXPECT_EQ(NormalizeAngle(kPi), kPi);
    EXPECT_EQ(NormalizeAngle(-kPi), -kPi);
    EXPECT_NEAR(NormalizeAngle(3.5 * kPi), -0.5 * kPi, 1e-12);
    EXPECT_NEAR(NormalizeAngle(-3.5 * kPi), 0.5 * kPi, 1e-12);
    EXPECT_NEAR(NormalizeAngle(1.5 * kPi), -0.5 * kPi, 1e-15);
    EXPECT_NEAR(NormalizeAngle(101.0 * kPi), kPi, 1e-9);
    EXPECT_LE(std::fabs(NormalizeAngle(1e12)), kPi);
}

TEST(Utm, ZoneFromLongitudeIsWrittenBack) {
    const Ellipsoid& e = EllipsoidRow(kDatumEd50);
    double zone = 0.0;
    GeodeticToUtm(-3.0 * kDeg, 37.0 * kDeg, e, zone);
    EXPECT_EQ(zone, 30.0);
    zone = -1.0;
    GeodeticToUtm(-7.0 * kDeg, 37.0 * kDeg, e, zone);
    EXPECT_EQ(zone, 29.0);
    zone = 0.0;
    GeodeticToUtm(0.5 * kDeg, 37.0 * kDeg, e, zone);
    EXPECT_EQ(zone, 31.0);
    zone = 29.0; // a given zone is kept, however far the point
    GeodeticToUtm(-1.0 * kDeg, 37.0 * kDeg, e, zone);
    EXPECT_EQ(zone, 29.0);
}

// Both directions against PROJ's exact transverse Mercator over 3 000 points
// of the region, in zone 30 extended west to 7.7 W and in zones 29 and 31, on
// both ellipsoids: within 0.01 mm.
TEST(Utm, MatchesExactTransverseMercatorAcrossTheRegion) {
    const quillon_test::ReferenceTable table("utm_etmerc.tsv");
    const auto lon = table.Column("lon"), lat = table.Column("lat");
    const auto row_of = table.Column("ellipsoid"), zone_of = table.Column("zone");
    const auto x = table.Column("x"), y = table.Column("y");
    ASSERT_GE(table.rows().size(), 9000u);
    double worst_forward = 0.0, worst_inverse = 0.0;
    for (const auto& row : table.rows()) {
        const Ellipsoid& e = EllipsoidRow(static_cast<int>(row[row_of]));
        double zone = row[zone_of];
        const PlanePoint p = GeodeticToUtm(row[lon] * kDeg, row[lat] * kDeg, e, zone);
        worst_forward = std::max(worst_forward, std::hypot(p.x - row[x], p.y - row[y]));
        const GeodeticAngles g = UtmToGeodetic(row[x], row[y], e, zone);
        const double north_m = (g.phi - row[lat] * kDeg) * 6.4e6;
        const double east_m = (g.lambda - row[lon] * kDeg) * 6.4e6 * std::cos(row[lat] * kDeg);
        worst_inverse = std::max(worst_inverse, std::hypot(north_m, east_m));
    }
    EXPECT_LT(worst_forward, 1e-5);
    EXPECT_LT(worst_inverse, 1e-5);
}

// Forward then inverse returns the point to 0.01 mm out to 10 degrees from
// the central meridian, from the equator to 84 N and south of it.
TEST(Utm, RoundTripOutToTenDegreesFromTheCentralMeridian) {
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        const Ellipsoid& e = EllipsoidRow(row);
        for (double offset = -10.0; offset <= 10.0; offset += 0.5) {
            for (const double lat : {-60.0, -1.0, 0.0, 0.5, 20.0, 36.0, 37.5, 45.0, 70.0, 84.0}) {
                double zone = 30.0;
                const double lon = -3.0 + offset;
                const PlanePoint p = GeodeticToUtm(lon * kDeg, lat * kDeg, e, zone);
                const GeodeticAngles g = UtmToGeodetic(p.x, p.y, e, zone);
                const double north_m = (g.phi - lat * kDeg) * 6.4e6;
                const double east_m = (g.lambda - lon * kDeg) * 6.4e6 * std::cos(lat * kDeg);
                EXPECT_LT(std::hypot(north_m, east_m), 1e-5) << lon << " " << lat;
            }
        }
    }
}

TEST(Utm, SouthernHemisphereRoundTrip) {
    const Ellipsoid& e = EllipsoidRow(kDatumEtrs89);
    double zone = 30.0;
    const PlanePoint p = GeodeticToUtm(-4.0 * kDeg, -33.5 * kDeg, e, zone);
    ASSERT_LT(p.y, 0.0); // no false northing
    const GeodeticAngles g = UtmToGeodetic(p.x, p.y, e, zone);
    EXPECT_NEAR(g.phi, -33.5 * kDeg, 1e-10);
    EXPECT_NEAR(g.lambda, -4.0 * kDeg, 1e-10);
}

TEST(Utm, InverseAtThePole) {
    const Ellipsoid& e = EllipsoidRow(kDatumEd50);
    const GeodeticAngles g = UtmToGeodetic(500000.0, 1.0e7, e, 30.0);
    EXPECT_EQ(g.phi, kPi / 2.0);
    EXPECT_NEAR(g.lambda, -3.0 * kDeg, 1e-15);
}

} // namespace
} // namespace dezadiravevava
