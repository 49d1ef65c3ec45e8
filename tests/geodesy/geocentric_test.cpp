// The closed-form geocentric -> geodetic conversion against an extended-
// precision reference, its edge cases, and the projection's shared
// trigonometry.
#include "geodesy/geocentric.h"
#include "geodesy/utm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <vector>

namespace dezadiravevava {
namespace {

using Long = long double;

constexpr double kPi = std::numbers::pi;
constexpr Long kPiL = 3.141592653589793238462643383279502884L;

bool HasExtendedPrecision() {
    return std::numeric_limits<Long>::digits >= 64;
}

struct ReferenceGeodetic {
    Long phi = 0.0L;
    Long h = 0.0L;
};

// The exact geodetic latitude and height of the doubles (x, y, z), to within
// 1e-18 rad and 1e-12 m: fixed-point iteration on tan(phi) = (Z + e^2 N
// sin(phi)) / rho in extended precision, which gains a factor of about e^2 per
// pass for any point outside the evolute, then the height along the normal.
ReferenceGeodetic Reference(const Ellipsoid& e, double x, double y, double z) {
    const Long a = e.a;
    const Long f = e.f;
    const Long e2 = f * (2.0L - f);
    const Long rho = std::hypot(static_cast<Long>(x), static_cast<Long>(y));
    const Long zl = z;
    Long phi = std::atan2(zl, rho * (1.0L - e2));
    for (int pass = 0; pass < 200; ++pass) {
        const Long s = std::sin(phi);
        const Long n = a / std::sqrt(1.0L - e2 * s * s);
        const Long next = std::atan2(zl + e2 * n * s, rho);
        if (next == phi) {
            break;
        }
        phi = next;
    }
    const Long s = std::sin(phi), c = std::cos(phi);
    return {phi, rho * c + zl * s - a * std::sqrt(1.0L - e2 * s * s)};
}

// Geocentric doubles of a geodetic point, computed in extended precision and
// rounded once.
void Geocentric(const Ellipsoid& e, Long lon, Long lat, Long h, double& x, double& y, double& z) {
    const Long f = e.f;
    const Long e2 = f * (2.0L - f);
    const Long s = std::sin(lat), c = std::cos(lat);
    const Long n = static_cast<Long>(e.a) / std::sqrt(1.0L - e2 * s * s);
    x = static_cast<double>((n + h) * c * std::cos(lon));
    y = static_cast<double>((n + h) * c * std::sin(lon));
    z = static_cast<double>((n * (1.0L - e2) + h) * s);
}

// The documented bound: over every latitude, heights from -10 km to 100 km,
// both ellipsoids of the system, the latitude within 1e-15 rad and the height
// within 3e-10 m of the exact values (measured: 2.3e-16 rad, 1.4e-10 m). The
// iteration used before left up to 5e-6 m in the height.
TEST(ClosedFormInverse, WithinItsBoundOverTheWholeEarth) {
    if (!HasExtendedPrecision()) {
        GTEST_SKIP() << "long double is no wider than double here";
    }
    double worst_phi = 0.0, worst_h = 0.0, worst_lambda = 0.0;
    int count = 0;
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        const Ellipsoid& e = EllipsoidRow(row);
        const EllipsoidConstants k(e);
        for (int step = -1800; step <= 1800; ++step) {
            // Every 0.05 degrees, and points a hair from the poles and the equator.
            Long lat = step * 0.05L * kPiL / 180.0L;
            if (step == -1800 || step == 1800) {
                lat -= std::copysign(1e-9L, lat);
            } else if (step == 0) {
                lat = 1e-12L;
            }
            const Long lon = std::remainder(step * 37.1L, 360.0L) * kPiL / 180.0L;
            for (const Long h :
                 {-10000.0L, -1000.0L, -1.0L, 0.0L, 0.25L, 500.0L, 3000.0L, 8848.0L, 100000.0L}) {
                double x, y, z;
                Geocentric(e, lon, lat, h, x, y, z);
                const ReferenceGeodetic ref = Reference(e, x, y, z);
                const GeodeticPosition g = GeocentricToGeodetic(k, x, y, z);
                worst_phi =
                    std::fmax(worst_phi, std::fabs(static_cast<double>(g.phi.radians - ref.phi)));
                worst_h = std::fmax(worst_h, std::fabs(static_cast<double>(g.h - ref.h)));
                worst_lambda = std::fmax(
                    worst_lambda,
                    std::fabs(static_cast<double>(
                        g.lambda - std::atan2(static_cast<Long>(y), static_cast<Long>(x)))));
                // The sine and cosine handed on belong to the latitude.
                ASSERT_NEAR(g.phi.sin, std::sin(g.phi.radians), 4e-16);
                ASSERT_NEAR(g.phi.cos, std::cos(g.phi.radians), 4e-16);
                ++count;
            }
        }
    }
    EXPECT_EQ(count, 2 * 3601 * 9);
    EXPECT_LT(worst_phi, 1e-15);
    EXPECT_LT(worst_h, 3e-10);
    EXPECT_LT(worst_lambda, 5e-16);
}

// Within 43 km of the geocentre the normals of several points of the ellipsoid
// cross (the evolute): the conversion must pick the nearest of them. Checked
// against a brute-force search of the meridian ellipse.
TEST(ClosedFormInverse, NearTheGeocentreTheNearestFootIsTaken) {
    const Ellipsoid& e = EllipsoidRow(kDatumEtrs89);
    const EllipsoidConstants k(e);
    const double b = e.b();
    // Distance from (rho, z) to the meridian ellipse, by a fine scan of the
    // parametric latitude and a golden-section refinement.
    const auto nearest = [&](double rho, double z) {
        const auto distance = [&](double u) {
            return std::hypot(rho - e.a * std::cos(u), z - b * std::sin(u));
        };
        double best = -kPi / 2.0;
        for (int i = 0; i <= 200000; ++i) {
            const double u = -kPi / 2.0 + kPi * i / 200000.0;
            if (distance(u) < distance(best)) {
                best = u;
            }
        }
        double lo = best - kPi / 200000.0, hi = best + kPi / 200000.0;
        for (int i = 0; i < 100; ++i) {
            const double m1 = lo + (hi - lo) * 0.382, m2 = lo + (hi - lo) * 0.618;
            if (distance(m1) < distance(m2)) {
                hi = m2;
            } else {
                lo = m1;
            }
        }
        return distance((lo + hi) / 2.0);
    };
    struct Case {
        double rho, z;
    };
    for (const Case c : {Case{1000.0, 0.0}, Case{20000.0, 0.0}, Case{42000.0, 0.0},
                         Case{30000.0, 100.0}, Case{30000.0, -2000.0}, Case{5000.0, 5000.0},
                         Case{40000.0, 30000.0}, Case{1.0, 1.0}, Case{60000.0, 1.0}}) {
        const GeodeticPosition g = GeocentricToGeodetic(k, c.rho, 0.0, c.z);
        EXPECT_NEAR(-g.h, nearest(c.rho, c.z), 1e-6) << c.rho << " " << c.z;
        // The point lies on the normal at the foot found.
        const CoordTriple back = GeodeticToGeocentric(k, g.lambda, g.phi, g.h);
        EXPECT_NEAR(back.c1, c.rho, 1e-8) << c.rho << " " << c.z;
        EXPECT_NEAR(back.c3, c.z, 1e-8) << c.rho << " " << c.z;
        // A point below the equatorial plane has its foot in the south.
        if (c.z < 0.0) {
            EXPECT_LT(g.phi.radians, 0.0);
        }
    }
    // On the equatorial plane inside the evolute's cusp the two nearest feet
    // lie north and south: north is taken for Z = 0, south for a Z below it,
    // however small.
    EXPECT_GT(GeocentricToGeodetic(k, 20000.0, 0.0, 0.0).phi.radians, 1.0);
    EXPECT_LT(GeocentricToGeodetic(k, 20000.0, 0.0, -1e-300).phi.radians, -1.0);
}

TEST(ClosedFormInverse, AxisGeocentreAndEquator) {
    const Ellipsoid& e = EllipsoidRow(kDatumEd50);
    const EllipsoidConstants k(e);
    struct Case {
        double x, y, z;
        double lambda, phi, h;
    };
    const double b = e.b();
    for (const Case c : {
             Case{0.0, 0.0, 0.0, 0.0, 0.0, 0.0},               // the geocentre, by convention
             Case{0.0, 0.0, b + 250.0, 0.0, kPi / 2, 250.0},   // above the north pole
             Case{0.0, 0.0, -b - 10.0, 0.0, -kPi / 2, 10.0},   // below the south pole
             Case{0.0, 0.0, 1000.0, 0.0, kPi / 2, 1000.0 - b}, // on the axis, deep inside
             Case{-0.0, 0.0, 5.0, 0.0, kPi / 2, 5.0 - b},      // X = -0 gives no 180 degrees
             Case{e.a + 7.0, 0.0, 0.0, 0.0, 0.0, 7.0},         // on the equator
             Case{0.0, -(e.a - 3.0), 0.0, -kPi / 2, 0.0, -3.0},
             Case{-e.a, 0.0, 0.0, kPi, 0.0, 0.0},
         }) {
        const GeodeticPosition g = GeocentricToGeodetic(k, c.x, c.y, c.z);
        EXPECT_EQ(g.lambda, c.lambda) << c.x << " " << c.y << " " << c.z;
        EXPECT_EQ(g.phi.radians, c.phi) << c.x << " " << c.y << " " << c.z;
        EXPECT_NEAR(g.h, c.h, 1e-9) << c.x << " " << c.y << " " << c.z;
        EXPECT_NEAR(g.phi.sin, std::sin(c.phi), 1e-16);
    }
}

TEST(ClosedFormInverse, FarFromTheEarthAndNonFinite) {
    if (!HasExtendedPrecision()) {
        GTEST_SKIP() << "long double is no wider than double here";
    }
    const Ellipsoid& e = EllipsoidRow(kDatumEtrs89);
    const EllipsoidConstants k(e);
    // Satellites to interstellar distances: relative accuracy holds.
    for (const double r : {2.6e7, 4.2e7, 1e9, 1e12, 1e20}) {
        for (const double lat : {-70.0, 0.3, 45.0, 89.0}) {
            double x, y, z;
            Geocentric(e, 0.4L, lat * kPiL / 180.0L, r, x, y, z);
            const ReferenceGeodetic ref = Reference(e, x, y, z);
            const GeodeticPosition g = GeocentricToGeodetic(k, x, y, z);
            EXPECT_NEAR(g.phi.radians, static_cast<double>(ref.phi), 1e-15) << r << " " << lat;
            EXPECT_NEAR(g.h, static_cast<double>(ref.h), 1e-15 * r) << r << " " << lat;
        }
    }
    // Beyond 5.7e22 m the geocentric latitude is taken: no overflow.
    const GeodeticPosition far = GeocentricToGeodetic(k, 3e30, 0.0, 4e30);
    EXPECT_DOUBLE_EQ(far.phi.radians, std::atan2(4.0, 3.0));
    EXPECT_DOUBLE_EQ(far.h, 5e30);
    EXPECT_TRUE(std::isnan(GeocentricToGeodetic(k, std::nan(""), 1.0, 1.0).phi.radians));
    EXPECT_TRUE(std::isnan(GeocentricToGeodetic(k, 1.0, 1.0, std::nan("")).h));
}

// Projection: on the central meridian the inverse must undo the forward
// projection's meridian arc to rounding, at every latitude. The footpoint
// iteration used before stopped up to 3e-14 rad short.
TEST(Utm, FootpointInvertsTheMeridianArcToRounding) {
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        const EllipsoidConstants k(EllipsoidRow(row));
        for (double lat = -84.0; lat <= 84.0; lat += 0.25) {
            const Latitude phi = Latitude::Of(lat * kPi / 180.0);
            double zone = 30.0;
            const PlanePoint p = GeodeticToUtm(-3.0 * kPi / 180.0, phi, k, zone);
            EXPECT_NEAR(p.x, kUtmFalseEasting, 1e-9);
            const GeodeticPosition g = UtmToGeodetic(p.x, p.y, k, zone);
            EXPECT_NEAR(g.phi.radians, phi.radians, 5e-16) << lat;
        }
    }
}

// The inverse hands on the latitude's sine and cosine, turned from the
// footpoint's; far off the central meridian it takes a sincos of its own.
TEST(Utm, InverseSineAndCosineBelongToTheLatitude) {
    const EllipsoidConstants k(EllipsoidRow(kDatumEd50));
    for (const double x : {-300000.0, 100000.0, 320000.0, 500000.0, 720000.0, 1300000.0}) {
        for (const double y : {-6000000.0, 0.0, 1000.0, 3990000.0, 4290000.0, 8500000.0}) {
            const GeodeticPosition g = UtmToGeodetic(x, y, k, 30.0);
            EXPECT_NEAR(g.phi.sin, std::sin(g.phi.radians), 4e-16) << x << " " << y;
            EXPECT_NEAR(g.phi.cos, std::cos(g.phi.radians), 4e-16) << x << " " << y;
        }
    }
}

TEST(Utm, ThePole) {
    const EllipsoidConstants k(EllipsoidRow(kDatumEd50));
    // Exactly at the pole the cosine is 0: the point is on the central
    // meridian at the arc's length, not NaN.
    double zone = 30.0;
    const PlanePoint p = GeodeticToUtm(1.0, Latitude{kPi / 2.0, 1.0, 0.0}, k, zone);
    EXPECT_EQ(p.x, kUtmFalseEasting);
    const PlanePoint near = GeodeticToUtm(1.0, Latitude::Of(kPi / 2.0 - 1e-9), k, zone);
    EXPECT_NEAR(p.y, near.y, 1e-2);
    EXPECT_NEAR(near.x, kUtmFalseEasting, 1e-2);
    // Northings beyond the pole's arc read as the pole.
    for (const double y : {p.y + 1.0, 2e7}) {
        const GeodeticPosition g = UtmToGeodetic(500000.0, y, k, 30.0);
        EXPECT_EQ(g.phi.radians, kPi / 2.0);
        EXPECT_EQ(g.phi.cos, 0.0);
        EXPECT_NEAR(g.lambda, -3.0 * kPi / 180.0, 1e-16);
    }
    EXPECT_EQ(UtmToGeodetic(500000.0, -2e7, k, 30.0).phi.radians, -kPi / 2.0);
}

// Same bits, or both NaN.
bool SameDouble(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// A caller that leaves out the latitude's angle or the height gets every
// other part bit for bit as the full conversion gives it, in the general case
// and on the special branches alike (where everything is worked out).
TEST(ClosedFormInverse, LeavingPartsOutKeepsTheRestBitForBit) {
    const Ellipsoid& e = EllipsoidRow(kDatumEd50);
    const EllipsoidConstants k(e);
    struct Case {
        double x, y, z;
        bool general; // off the far, axis and non-finite branches
    };
    for (const Case c : {
             Case{5049628.6, -262841.3, 3833215.9, true},   // Andalusia
             Case{4962846.1, -667218.4, 3893107.2, true},   // 7.7 degrees west, zone 29
             Case{-3021450.2, 4187765.3, -3867410.0, true}, // other quadrant, south
             Case{20000.0, 0.0, -1e-300, true},             // inside the evolute
             Case{e.a + 7.0, 0.0, 0.0, true},               // on the equator
             Case{0.0, 0.0, e.b() + 250.0, false},          // the polar axis
             Case{0.0, 0.0, 0.0, false},                    // the geocentre
             Case{3e30, 0.0, 4e30, false},                  // far from the Earth
             Case{std::nan(""), 1.0, 1.0, false},
         }) {
        const GeodeticPosition full = GeocentricToGeodetic(k, c.x, c.y, c.z);
        for (const GeodeticOmit omit : {GeodeticOmit::kNothing, GeodeticOmit::kLatitudeAngle,
                                        GeodeticOmit::kLatitudeAngleAndHeight}) {
            const GeodeticPosition g = GeocentricToGeodetic(k, c.x, c.y, c.z, omit);
            const auto where = ::testing::Message() << c.x << " " << c.y << " " << c.z << " omit "
                                                    << static_cast<int>(omit);
            EXPECT_TRUE(SameDouble(g.lambda, full.lambda)) << where;
            EXPECT_TRUE(SameDouble(g.phi.sin, full.phi.sin)) << where;
            EXPECT_TRUE(SameDouble(g.phi.cos, full.phi.cos)) << where;
            const bool no_angle = c.general && omit != GeodeticOmit::kNothing;
            EXPECT_TRUE(no_angle ? std::isnan(g.phi.radians)
                                 : SameDouble(g.phi.radians, full.phi.radians))
                << where;
            const bool no_height = c.general && omit == GeodeticOmit::kLatitudeAngleAndHeight;
            EXPECT_TRUE(no_height ? g.h == 0.0 : SameDouble(g.h, full.h)) << where;
        }
    }
}

// The inverse projection without the latitude's angle: the longitude and the
// latitude's sine and cosine are the full inverse's, near and far from the
// central meridian, south of the equator and beyond the pole.
TEST(Utm, InverseWithoutTheAngleKeepsTheRestBitForBit) {
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        const EllipsoidConstants k(EllipsoidRow(row));
        for (const double x : {-300000.0, 100000.0, 437512.25, 500000.0, 720000.0, 1300000.0}) {
            for (const double y : {-6000000.0, 0.0, 3990000.0, 4183624.5, 8500000.0, 2e7}) {
                for (const double zone : {29.0, 30.0, 31.0}) {
                    const GeodeticPosition full = UtmToGeodetic(x, y, k, zone);
                    const GeodeticPosition g = UtmToGeodeticSines(x, y, k, zone);
                    EXPECT_TRUE(SameDouble(g.lambda, full.lambda)) << x << " " << y;
                    EXPECT_TRUE(SameDouble(g.phi.sin, full.phi.sin)) << x << " " << y;
                    EXPECT_TRUE(SameDouble(g.phi.cos, full.phi.cos)) << x << " " << y;
                    // Only at the pole is the angle known without an arc tangent.
                    EXPECT_TRUE(std::isnan(g.phi.radians) || g.phi.radians == full.phi.radians)
                        << x << " " << y;
                }
            }
        }
    }
}

// Both projections on a block of points give each point what it gets alone,
// bit for bit: near and far from the central meridian, south of the equator,
// beyond the pole, not finite, with a zone per point and a zone chosen by the
// longitude.
TEST(Utm, BlocksGiveEachPointItsOwnBits) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> xs, ys, zones;
    for (const double x : {-300000.0, 100000.0, 437512.25, 500000.0, 720000.0, 1300000.0, nan}) {
        for (const double y : {-6000000.0, 0.0, 3990000.0, 4183624.5, 8500000.0, 2e7, -inf}) {
            for (const double zone : {29.0, 30.0, 31.0}) {
                xs.push_back(x);
                ys.push_back(y);
                zones.push_back(zone);
            }
        }
    }
    for (const int row : {kDatumEd50, kDatumEtrs89}) {
        const EllipsoidConstants k(EllipsoidRow(row));
        for (std::size_t first = 0; first < xs.size(); first += kUtmBlock) {
            const int n = static_cast<int>(std::min<std::size_t>(kUtmBlock, xs.size() - first));
            GeodeticPosition g[kUtmBlock];
            UtmToGeodeticSines(n, &xs[first], &ys[first], &zones[first], k, g);
            double lambda[kUtmBlock];
            Latitude phi[kUtmBlock];
            double zone_out[kUtmBlock];
            for (int i = 0; i < n; ++i) {
                const std::size_t at = first + static_cast<std::size_t>(i);
                const auto where = ::testing::Message()
                                   << xs[at] << " " << ys[at] << " " << zones[at];
                const GeodeticPosition alone = UtmToGeodeticSines(xs[at], ys[at], k, zones[at]);
                EXPECT_TRUE(SameDouble(g[i].lambda, alone.lambda)) << where;
                EXPECT_TRUE(SameDouble(g[i].phi.radians, alone.phi.radians)) << where;
                EXPECT_TRUE(SameDouble(g[i].phi.sin, alone.phi.sin)) << where;
                EXPECT_TRUE(SameDouble(g[i].phi.cos, alone.phi.cos)) << where;
                // Forward from the full inverse, half the points with the
                // zone of their longitude.
                const GeodeticPosition full = UtmToGeodetic(xs[at], ys[at], k, zones[at]);
                lambda[i] = full.lambda + 0.05 * i;
                phi[i] = full.phi;
                zone_out[i] = i % 2 == 0 ? 0.0 : zones[at];
            }
            PlanePoint xy[kUtmBlock];
            double zone_used[kUtmBlock];
            std::copy(zone_out, zone_out + n, zone_used);
            GeodeticToUtm(n, lambda, phi, k, zone_used, xy);
            for (int i = 0; i < n; ++i) {
                double zone = zone_out[i];
                const PlanePoint alone = GeodeticToUtm(lambda[i], phi[i], k, zone);
                const auto where = ::testing::Message() << lambda[i] << " " << phi[i].sin;
                EXPECT_TRUE(SameDouble(xy[i].x, alone.x)) << where;
                EXPECT_TRUE(SameDouble(xy[i].y, alone.y)) << where;
                EXPECT_TRUE(SameDouble(zone_used[i], zone)) << where;
            }
        }
    }
}

} // namespace
} // namespace dezadiravevava
