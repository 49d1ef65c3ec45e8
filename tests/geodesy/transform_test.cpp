// The models, the national parameter set and the per-point transformation.
#include "geodesy/models.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"
#include "support/reference_table.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>

namespace dezadiravevava {
namespace {

constexpr int kEd50 = kDatumEd50;
constexpr int kEtrs = kDatumEtrs89;

ParameterSet National(int direction) {
    ParameterSet set;
    SetSpainParameters(direction, set);
    return set;
}

CoordTriple Transform(const CoordTriple& p, int da, int pa, double za, int db, int pb, double zb,
                      const ParameterSet& set, int model, double* zone_used = nullptr) {
    double out_zone = zb;
    const CoordTriple out = TransformPoint(p, da, pa, za, db, pb, zb, set, model, out_zone);
    if (zone_used) {
        *zone_used = out_zone;
    }
    return out;
}

// ED50 -> ETRS89 against PROJ's EPSG:1632 (position-vector Helmert on WGS 84).
TEST(NationalTransformation, MatchesEpsg1632) {
    const quillon_test::ReferenceTable t("national_epsg1632.tsv");
    const ParameterSet forward = National(kDirectionEd50ToEtrs89);
    const ParameterSet reverse = National(kDirectionEtrs89ToEd50);
    for (const auto& r : t.rows()) {
        const CoordTriple geodetic(r[t.Column("ed50_lon")], r[t.Column("ed50_lat")],
                                   r[t.Column("ed50_h")]);
        // Geocentric.
        CoordTriple out = Transform(geodetic, kEd50, 1, 0, kEtrs, 3, 0, forward, 0);
        EXPECT_NEAR(out.c1, r[t.Column("etrs_X")], 2e-3);
        EXPECT_NEAR(out.c2, r[t.Column("etrs_Y")], 2e-3);
        EXPECT_NEAR(out.c3, r[t.Column("etrs_Z")], 2e-3);
        // Geodetic.
        out = Transform(geodetic, kEd50, 1, 0, kEtrs, 1, 0, forward, 0);
        EXPECT_NEAR(out.c1, r[t.Column("etrs_lon")], 2e-8);
        EXPECT_NEAR(out.c2, r[t.Column("etrs_lat")], 2e-8);
        EXPECT_NEAR(out.c3, r[t.Column("etrs_h")], 2e-3);
        // UTM zone 30, extended.
        out = Transform(geodetic, kEd50, 1, 0, kEtrs, 2, 30, forward, 0);
        EXPECT_NEAR(out.c1, r[t.Column("etrs_utm30_x")], 2e-3);
        EXPECT_NEAR(out.c2, r[t.Column("etrs_utm30_y")], 2e-3);
        // UTM in the natural zone, chosen per point.
        double zone = 0.0;
        out = Transform(geodetic, kEd50, 1, 0, kEtrs, 2, 0, forward, 0, &zone);
        EXPECT_EQ(zone, r[t.Column("etrs_zone")]);
        EXPECT_NEAR(out.c1, r[t.Column("etrs_utm_x")], 2e-3);
        EXPECT_NEAR(out.c2, r[t.Column("etrs_utm_y")], 2e-3);
        // And back with the reverse set.
        const CoordTriple etrs_xyz(r[t.Column("etrs_X")], r[t.Column("etrs_Y")],
                                   r[t.Column("etrs_Z")]);
        out = Transform(etrs_xyz, kEtrs, 3, 0, kEd50, 3, 0, reverse, 0);
        EXPECT_NEAR(out.c1, r[t.Column("ed50_X")], 5e-3);
        EXPECT_NEAR(out.c2, r[t.Column("ed50_Y")], 5e-3);
        EXPECT_NEAR(out.c3, r[t.Column("ed50_Z")], 5e-3);
    }
}

// The published vertex SERVILLETA: ED50 UTM 30 -> ETRS89 UTM 30. With the
// rotations applied in the wrong convention it lands 11 m off.
TEST(NationalTransformation, PublishedVertexServilleta) {
    const CoordTriple out = Transform(CoordTriple(298569.727, 4295339.009, 520.6), kEd50, 2, 30,
                                      kEtrs, 2, 30, National(0), 0);
    EXPECT_LT(std::hypot(out.c1 - 298459.472, out.c2 - 4295133.070), 0.10);
}

// The national set against EPSG:1632 ("ED50 to ETRS89 (7)") as published:
// translations in metres, rotations in arc seconds and scale in ppm, in the
// position-vector convention. From PROJ 9.1's `projinfo -k operation
// EPSG:1632`:
//   +proj=helmert +x=-131 +y=-100.3 +z=-163.4 +rx=-1.244 +ry=-0.02 +rz=-1.144
//   +s=9.39 +convention=position_vector
// The set holds {scale, Rx, Ry, Rz [rad], Tx, Ty, Tz} in the coordinate-frame
// convention of ApplyHelmert, in which each rotation has the opposite sign.
TEST(NationalTransformation, StoredSetsAndCentroids) {
    constexpr double kArcSecond = std::numbers::pi / (180.0 * 3600.0);
    constexpr double kPpm = 1e-6;
    struct Published {
        double tx, ty, tz, rx, ry, rz, s;
    };
    constexpr Published kEpsg1632 = {-131.0, -100.3, -163.4, -1.244, -0.02, -1.144, 9.39};
    const ParameterSet f = National(kDirectionEd50ToEtrs89);
    EXPECT_DOUBLE_EQ(f.params[0], kEpsg1632.s * kPpm);
    EXPECT_DOUBLE_EQ(f.params[1], -kEpsg1632.rx * kArcSecond);
    EXPECT_DOUBLE_EQ(f.params[2], -kEpsg1632.ry * kArcSecond);
    EXPECT_DOUBLE_EQ(f.params[3], -kEpsg1632.rz * kArcSecond);
    EXPECT_EQ(f.params[4], kEpsg1632.tx);
    EXPECT_EQ(f.params[5], kEpsg1632.ty);
    EXPECT_EQ(f.params[6], kEpsg1632.tz);
    // International 1924 to GRS 80 (a as published; ETRS89 is computed on
    // WGS 84, whose a is the same), both centroids at the geocentre.
    EXPECT_EQ(f.source_centroid.ellipsoid().a, 6378388.0);
    EXPECT_EQ(f.target_centroid.ellipsoid().a, 6378137.0);
    const ParameterSet r = National(kDirectionEtrs89ToEd50);
    EXPECT_EQ(r.source_centroid.ellipsoid().a, 6378137.0);
    EXPECT_EQ(r.target_centroid.ellipsoid().a, 6378388.0);
    for (const ParameterSet* set : {&f, &r}) {
        for (const DatumPoint* centroid : {&set->source_centroid, &set->target_centroid}) {
            EXPECT_EQ(centroid->geocentric().c1, 0.0);
            EXPECT_EQ(centroid->geocentric().c2, 0.0);
            EXPECT_EQ(centroid->geocentric().c3, 0.0);
        }
    }
    // The reverse set is published on its own; it undoes EPSG:1632 to well
    // under a millimetre across the region (the forward values from PROJ's
    // cct, see GeocentricOutputMatchesProj).
    const CoordTriple ed50(5047344.4296, -428168.4639, 3865411.0328);
    const CoordTriple etrs(5047258.074600, -428277.465762, 3865287.000762);
    const CoordTriple back = Transform(etrs, kEtrs, 3, 0, kEd50, 3, 0, r, 0);
    EXPECT_NEAR(back.c1, ed50.c1, 1e-3);
    EXPECT_NEAR(back.c2, ed50.c2, 1e-3);
    EXPECT_NEAR(back.c3, ed50.c3, 1e-3);
    EXPECT_EQ(DirectionOf(kEtrs, kEd50), kDirectionEtrs89ToEd50);
    EXPECT_EQ(DirectionOf(kEd50, kEtrs), kDirectionEd50ToEtrs89);
    EXPECT_EQ(DirectionOf(kEtrs, kEtrs), kDirectionEd50ToEtrs89);
}

// The national set on geocentric coordinates against PROJ 9.1, values
// computed once with this command (one line):
//   printf '5047344.4296 -428168.4639 3865411.0328\n4919000.0 -300000.0 4050000.0\n
//   5100000.0 -100000.0 3800000.0\n' | cct -d 6 +proj=helmert +x=-131 +y=-100.3
//   +z=-163.4 +rx=-1.244 +ry=-0.02 +rz=-1.144 +s=9.39 +convention=position_vector
// PROJ scales the rotated vector, T + (1 + s) R X; the engine scales X alone,
// T + (1 + s) X + (R - I) X. The s (R - I) X between them stays under 0.1 mm
// at these points; a wrong sign, unit or convention moves them metres.
TEST(Helmert, GeocentricOutputMatchesProj) {
    struct Case {
        CoordTriple ed50, etrs;
    };
    const ParameterSet set = National(kDirectionEd50ToEtrs89);
    for (const Case& c : {
             Case{{5047344.4296, -428168.4639, 3865411.0328},
                  {5047258.074600, -428277.465762, 3865287.000762}},
             Case{{4919000.0, -300000.0, 4050000.0},
                  {4918913.132811, -300105.973239, 4049876.915806}},
             Case{{5100000.0, -100000.0, 3800000.0},
                  {5099915.965906, -100106.606907, 3799873.379628}},
         }) {
        const CoordTriple out = Transform(c.ed50, kEd50, 3, 0, kEtrs, 3, 0, set, 0);
        EXPECT_NEAR(out.c1, c.etrs.c1, 1e-4) << c.ed50.c1;
        EXPECT_NEAR(out.c2, c.etrs.c2, 1e-4) << c.ed50.c1;
        EXPECT_NEAR(out.c3, c.etrs.c3, 1e-4) << c.ed50.c1;
    }
}

TEST(Helmert, ReducesToCentroids) {
    ParameterSet set;
    set.source_centroid.SetGeocentric(100.0, 200.0, 300.0);
    set.target_centroid.SetGeocentric(1000.0, 2000.0, 3000.0);
    set.params = {1e-6, 0.0, 0.0, 1e-5, 1.0, 2.0, 3.0};
    const CoordTriple out = ApplyHelmert(CoordTriple(100.0, 1200.0, 300.0), set);
    EXPECT_DOUBLE_EQ(out.c1, 1000.0 + 1e-5 * 1000.0 + 1.0);
    EXPECT_DOUBLE_EQ(out.c2, 2000.0 + (1 + 1e-6) * 1000.0 + 2.0);
    EXPECT_DOUBLE_EQ(out.c3, 3003.0);
}

TEST(Molodensky, ShiftsMatchTheFormulasAtTheCentroid) {
    // At the centroid itself (all differences zero) only the cos and the -a/N
    // terms survive: phi' = phit + dZ/M, lambda' = lambdat + dY/N, h' = ht + dX - da.
    ParameterSet set;
    set.source_centroid.set_ellipsoid(EllipsoidRow(kEd50));
    set.source_centroid.SetGeodetic(-0.07, 0.65, 10.0);
    set.target_centroid.set_ellipsoid(EllipsoidRow(kEtrs));
    set.target_centroid.SetGeodetic(-0.0701, 0.6499, 50.0);
    const Ellipsoid& e = EllipsoidRow(kEd50);
    set.params = {-100.0, -120.0, -150.0, -251.0, -1.4e-5, e.a, e.f};
    const CoordTriple out = ApplyMolodensky(CoordTriple(-0.07, 0.65, 10.0), set);
    const double m = e.a * (1 - e.e2());
    EXPECT_NEAR(out.c2, 0.6499 - 150.0 / m, 1e-15);
    EXPECT_NEAR(out.c1, -0.0701 - 120.0 / e.a, 1e-15);
    EXPECT_NEAR(out.c3, 50.0 - 100.0 + 251.0, 1e-9);
}

// With both centroids at the geocentre (geodetic 0, 0, 0) the reduced
// coordinates are the point's own, and the step is the standard Molodensky
// transformation: against PROJ's, with the ED50 to WGS 84 (1) shifts, at 40
// points of the region. Here every term of the formulas weighs (sin phi is
// about 0.6), so each sign of the partial derivatives that the estimation
// shares with this step is checked; the two implementations of the same
// closed formulas agree to rounding.
TEST(Molodensky, MatchesProjsStandardMolodenskyAcrossTheRegion) {
    const quillon_test::ReferenceTable t("molodensky_ed50_wgs84.tsv");
    ParameterSet set;
    set.source_centroid.set_ellipsoid(EllipsoidRow(kEd50));
    set.source_centroid.SetGeocentric(0.0, 0.0, 0.0);
    set.target_centroid.set_ellipsoid(EllipsoidRow(kEtrs));
    set.target_centroid.SetGeocentric(0.0, 0.0, 0.0);
    const Ellipsoid& intl = EllipsoidRow(kEd50);
    const Ellipsoid& wgs84 = EllipsoidRow(kEtrs);
    set.params = {-87.0, -98.0, -121.0, wgs84.a - intl.a, wgs84.f - intl.f, intl.a, intl.f};
    ASSERT_EQ(t.rows().size(), 40u);
    for (const auto& r : t.rows()) {
        const CoordTriple out = ApplyMolodensky(
            CoordTriple(r[t.Column("ed50_lon")] * kRadiansPerDegree,
                        r[t.Column("ed50_lat")] * kRadiansPerDegree, r[t.Column("ed50_h")]),
            set);
        // 1e-11 degrees is a millimetre's thousandth; the reference holds 12 decimals.
        EXPECT_NEAR(out.c1 * kDegreesPerRadian, r[t.Column("mol_lon")], 1e-11);
        EXPECT_NEAR(out.c2 * kDegreesPerRadian, r[t.Column("mol_lat")], 1e-11);
        EXPECT_NEAR(out.c3, r[t.Column("mol_h")], 1e-5);
    }
}

TEST(Affine2D, AppliesSixParametersAroundCentroids) {
    ParameterSet set;
    set.source_centroid.SetGeocentric(1000.0, 2000.0, 0.0);
    set.target_centroid.SetGeocentric(900.0, 1800.0, 0.0);
    set.params = {1e-3, 2e-3, 3e-3, 4e-3, 5.0, 6.0, 0.0};
    const CoordTriple out = ApplyAffine2D(CoordTriple(1100.0, 2200.0, 77.0), set);
    EXPECT_DOUBLE_EQ(out.c1, 900.0 + 1.001 * 100.0 - 2e-3 * 200.0 + 5.0);
    EXPECT_DOUBLE_EQ(out.c2, 1800.0 + 3e-3 * 100.0 + 1.004 * 200.0 + 6.0);
    EXPECT_EQ(out.c3, 0.0);
}

TEST(TransformPoint, SameDatumOnlyReexpresses) {
    const ParameterSet set = National(0);
    // ED50 UTM 30 -> ED50 geodetic: the inverse projection only.
    const CoordTriple out =
        Transform(CoordTriple(400000.0, 4100000.0, 0.0), kEd50, 2, 30, kEd50, 1, 0, set, 0);
    const GeodeticAngles g = UtmToGeodetic(400000.0, 4100000.0, EllipsoidRow(kEd50), 30.0);
    EXPECT_NEAR(out.c1, g.lambda * kDegreesPerRadian, 1e-13);
    EXPECT_NEAR(out.c2, g.phi * kDegreesPerRadian, 1e-13);
}

// Re-expression on one datum goes through geocentric coordinates only when
// one side is geocentric: a geodetic point comes back unchanged, height
// included (a detour through X, Y, Z cost the earlier iteration 5 um).
TEST(TransformPoint, SameDatumGeodeticComesBackUnchanged) {
    const ParameterSet set = National(0);
    for (const int model : {kModelHelmert, kModelMolodensky}) {
        const CoordTriple out =
            Transform(CoordTriple(-4.123456789012, 37.3456789012, 812.345678901), kEd50, 1, 0,
                      kEd50, 1, 0, set, model);
        EXPECT_NEAR(out.c1, -4.123456789012, 1e-14);
        EXPECT_NEAR(out.c2, 37.3456789012, 1e-14);
        EXPECT_NEAR(out.c3, 812.345678901, 1e-12);
    }
}

TEST(TransformPoint, UtmToUtmWith3DModelGivesTheEllipsoidalHeightOfH0) {
    // The 3D models enter a UTM point with h = 0, whatever its H.
    const ParameterSet set = National(0);
    const CoordTriple a =
        Transform(CoordTriple(400000.0, 4100000.0, 900.0), kEd50, 2, 30, kEtrs, 2, 30, set, 0);
    const CoordTriple b =
        Transform(CoordTriple(400000.0, 4100000.0, 0.0), kEd50, 2, 30, kEtrs, 2, 30, set, 0);
    EXPECT_EQ(a.c3, b.c3);
    EXPECT_GT(a.c3, 30.0); // ETRS89 ellipsoid lies below the ED50 one here
}

TEST(TransformPoint, ZoneChosenPerPointThroughOutZone) {
    const ParameterSet set = National(0);
    double zone = 0.0;
    Transform(CoordTriple(-6.5, 37.0, 0.0), kEd50, 1, 0, kEtrs, 2, 0, set, 0, &zone);
    EXPECT_EQ(zone, 29.0);
    Transform(CoordTriple(-1.0, 37.0, 0.0), kEd50, 1, 0, kEtrs, 2, 0, set, 0, &zone);
    EXPECT_EQ(zone, 30.0);
    // A zone left in the caller's variable is reused by a 3D model.
    double kept = 29.0;
    const CoordTriple p =
        TransformPoint(CoordTriple(-1.0, 37.0, 0.0), kEd50, 1, 0, kEtrs, 2, 0, set, 0, kept);
    EXPECT_EQ(kept, 29.0);
    EXPECT_GT(p.c1, 900000.0);
}

// An affine set that shifts by (-110, -205) m, as ED50 -> ETRS89 roughly does.
ParameterSet ShiftAffine() {
    ParameterSet set;
    set.source_centroid.SetGeocentric(300000.0, 4100000.0, 0.0);
    set.target_centroid.SetGeocentric(299890.0, 4099795.0, 0.0);
    set.params = {0, 0, 0, 0, 0, 0, 0};
    return set;
}

TEST(TransformPoint, AffineCarriesTheInputHeight) {
    const ParameterSet set = ShiftAffine();
    // UTM in zone 30, UTM out in zone 30: no projection, H carried.
    double zone = 30.0;
    CoordTriple out = Transform(CoordTriple(310000.0, 4110000.0, 812.5), kEd50, 2, 30, kEtrs, 2, 30,
                                set, 2, &zone);
    EXPECT_DOUBLE_EQ(out.c1, 309890.0);
    EXPECT_DOUBLE_EQ(out.c2, 4109795.0);
    EXPECT_EQ(out.c3, 812.5);
    EXPECT_EQ(zone, 30.0);
    // Geodetic in and out: h carried.
    out = Transform(CoordTriple(-4.5, 37.2, 641.25), kEd50, 1, 0, kEtrs, 1, 0, set, 2);
    EXPECT_EQ(out.c3, 641.25);
    // Geocentric in: its ellipsoidal height is carried, and geocentric out is
    // built with it.
    DatumPoint p(EllipsoidRow(kEd50));
    p.SetGeodetic(-4.5 * kRadiansPerDegree, 37.2 * kRadiansPerDegree, 641.25);
    const CoordTriple xyz = p.geocentric();
    out = Transform(xyz, kEd50, 3, 0, kEtrs, 1, 0, set, 2);
    EXPECT_NEAR(out.c3, 641.25, 1e-6);
    out = Transform(xyz, kEd50, 3, 0, kEtrs, 3, 0, set, 2);
    DatumPoint q(EllipsoidRow(kEtrs));
    q.SetGeocentric(out.c1, out.c2, out.c3);
    EXPECT_NEAR(q.geodetic().c3, 641.25, 1e-6);
}

TEST(TransformPoint, AffineReprojectsOtherZonesThroughZone30) {
    const ParameterSet set = ShiftAffine();
    // A zone-29 point is carried into zone 30 before the affine step.
    const Ellipsoid& ed50 = EllipsoidRow(kEd50);
    const GeodeticAngles g = UtmToGeodetic(700000.0, 4150000.0, ed50, 29.0);
    double zone30 = 30.0;
    const PlanePoint in30 = GeodeticToUtm(g.lambda, g.phi, ed50, zone30);
    double zone = 0.0;
    const CoordTriple out =
        Transform(CoordTriple(700000.0, 4150000.0, 5.0), kEd50, 2, 29, kEtrs, 2, 30, set, 2, &zone);
    EXPECT_NEAR(out.c1, in30.x - 110.0, 1e-6);
    EXPECT_NEAR(out.c2, in30.y - 205.0, 1e-6);
    EXPECT_EQ(zone, 30.0);
    // Output zone per point: the natural zone of the transformed longitude.
    Transform(CoordTriple(700000.0, 4150000.0, 5.0), kEd50, 2, 29, kEtrs, 2, 0, set, 2, &zone);
    EXPECT_EQ(zone, 29.0);
}

TEST(TransformPoint, AffineBetweenEqualDatumsAppliesNoParameters) {
    const ParameterSet set = ShiftAffine();
    // Through geodetic and back: the series round trip costs some 30 micrometres.
    CoordTriple out =
        Transform(CoordTriple(310000.0, 4110000.0, 12.0), kEd50, 2, 30, kEd50, 2, 30, set, 2);
    EXPECT_NEAR(out.c1, 310000.0, 1e-4);
    EXPECT_NEAR(out.c2, 4110000.0, 1e-4);
    EXPECT_EQ(out.c3, 12.0);
    // Re-expressed as geodetic, it is the plain inverse projection.
    out = Transform(CoordTriple(310000.0, 4110000.0, 12.0), kEd50, 2, 30, kEd50, 1, 0, set, 2);
    const GeodeticAngles g = UtmToGeodetic(310000.0, 4110000.0, EllipsoidRow(kEd50), 30.0);
    EXPECT_NEAR(out.c1, g.lambda * kDegreesPerRadian, 1e-13);
    EXPECT_NEAR(out.c2, g.phi * kDegreesPerRadian, 1e-13);
    EXPECT_EQ(out.c3, 12.0);
}

// A caller that writes a height of its own (a UTM input's H) lets the
// transformation skip the last height: easting, northing, longitude and
// latitude, the zone and the status stay bit for bit those of the full
// transformation, for every model, kind and zone choice, and so do geocentric
// outputs, whose Z is no height. With a geoid nothing is skipped.
TEST(TransformPoint, DiscardedHeightKeepsTheRestBitForBit) {
    const auto same = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
    };
    struct Side {
        int datum, kind;
        double zone;
    };
    const Side utm30_ed50{kEd50, kKindUtm, 30}, utm30_etrs{kEtrs, kKindUtm, 30};
    const Side utm29_etrs{kEtrs, kKindUtm, 29}, utm_natural{kEtrs, kKindUtm, 0};
    const Side geodetic_etrs{kEtrs, kKindGeodetic, 0}, geocentric_etrs{kEtrs, kKindGeocentric, 0};
    const Side utm30_other{kDatumEd50 + 1, kKindUtm, 30}; // another datum: the geocentric detour
    struct Case {
        Side in, out;
    };
    const ParameterSet national = National(kDirectionEd50ToEtrs89);
    const ParameterSet reverse = National(kDirectionEtrs89ToEd50);
    for (const Case c : {Case{utm30_ed50, utm30_etrs}, Case{utm30_ed50, utm29_etrs},
                         Case{utm30_ed50, utm_natural}, Case{utm30_ed50, geodetic_etrs},
                         Case{utm30_ed50, geocentric_etrs}, Case{utm30_etrs, utm30_ed50},
                         Case{utm30_ed50, utm30_other}, Case{utm30_ed50, utm30_ed50}}) {
        for (const int model : {kModelHelmert, kModelMolodensky, kModelAffine2D}) {
            const ParameterSet& set = c.in.datum == kEtrs ? reverse : national;
            for (const CoordTriple& p :
                 {CoordTriple(437512.25, 4183624.5, 812.5), CoordTriple(120000.0, 3990000.0, 0.0),
                  CoordTriple(690000.0, 4290000.0, 3400.0), CoordTriple(500000.0, 2e7, 1.0),
                  CoordTriple(std::nan(""), 4100000.0, 0.0), CoordTriple(2e6, 4100000.0, 0.0)}) {
                double zone_full = c.out.zone;
                double zone = c.out.zone;
                PointStatus status_full = PointStatus::kTransformed;
                PointStatus status = PointStatus::kOutsideGrid;
                const CoordTriple full =
                    TransformPoint(p, c.in.datum, c.in.kind, c.in.zone, c.out.datum, c.out.kind,
                                   c.out.zone, set, model, zone_full, status_full);
                const CoordTriple out =
                    TransformPoint(p, c.in.datum, c.in.kind, c.in.zone, c.out.datum, c.out.kind,
                                   c.out.zone, set, model, zone, status, OutputHeight::kDiscarded);
                const auto where = ::testing::Message()
                                   << p.c1 << " " << p.c2 << " to kind " << c.out.kind << " zone "
                                   << c.out.zone << " datum " << c.out.datum << " model " << model;
                EXPECT_EQ(status, status_full) << where;
                EXPECT_TRUE(same(out.c1, full.c1)) << where;
                EXPECT_TRUE(same(out.c2, full.c2)) << where;
                EXPECT_TRUE(same(zone, zone_full)) << where;
                if (c.out.kind == kKindGeocentric || status != PointStatus::kTransformed) {
                    EXPECT_TRUE(same(out.c3, full.c3)) << where;
                }
            }
        }
    }
}

} // namespace
} // namespace dezadiravevava
