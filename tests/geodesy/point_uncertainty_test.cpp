// The 95 % horizontal uncertainty of transformed points: its statistical
// factor against tabulated quantiles, its propagation against a direct
// computation, and its coverage over the catalogue by leave-one-out.
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/point_uncertainty.h"
#include "geodesy/transform.h"
#include "geodesy/vertex_search.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace dezadiravevava {
namespace {

bool IsBlunder(const VertexRecord& v) {
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    return NationalDeviation(v, national) > kBlunderLimit;
}

// k = sqrt(2 F(0.95; 2, r)) from tabulated F quantiles (e.g. NIST/SEMATECH
// e-Handbook, table 1.3.6.7.2), and sqrt(chi^2_2(0.95)) = 2.4477 in the limit.
TEST(PredictionFactor95, MatchesTabulatedFQuantiles) {
    const struct {
        int redundancy;
        double f_quantile;
    } cases[] = {{1, 199.5}, {2, 19.000}, {4, 6.944}, {8, 4.459}, {20, 3.493}, {60, 3.150}};
    for (const auto& c : cases) {
        EXPECT_NEAR(PredictionFactor95(c.redundancy), std::sqrt(2.0 * c.f_quantile), 2e-3)
            << c.redundancy;
    }
    EXPECT_NEAR(PredictionFactor95(1000000), std::sqrt(5.991465), 1e-4);
    EXPECT_TRUE(std::isnan(PredictionFactor95(0)));
}

double AdjustmentError(const std::string& report) {
    const std::string key = "Error ajuste:  ";
    return std::stod(report.substr(report.find(key) + key.size()));
}

// At the centroid of the vertices of a 2D affine fit the shift is the
// translation alone, whose cofactor is 1/n (the reduced coordinates sum to
// zero), so the radius is k(2n - 6) sigma0 sqrt(1 + 1/n) with sigma0 the
// report's adjustment error; for Helmert the point on the ellipsoid below
// the centroid is nearly there too. Farther out the radius grows.
TEST(HorizontalUncertainty95, AtTheCentroidOfAFitAndAwayFromIt) {
    const VertexRecord& centre = VertexCatalogue()[10];
    for (const int model : {kModelAffine2D, kModelHelmert}) {
        FoundVertexList found;
        SearchByNumber(found, 8, centre.ed50_x, centre.ed50_y, 0.0, 30.0, kDatumEd50, kKindUtm,
                       true);
        ASSERT_EQ(VerticesUsed(found).size(), 8u);
        ParameterSet set;
        std::string report;
        ASSERT_TRUE(EstimateParameters(found, set, model, kDirectionEd50ToEtrs89, &report));
        double x = 0.0, y = 0.0;
        for (std::int32_t i = 0; i < found.count(); ++i) {
            x += found.entries[static_cast<std::size_t>(i)].ed50_x / found.count();
            y += found.entries[static_cast<std::size_t>(i)].ed50_y / found.count();
        }
        const int redundancy = model == kModelAffine2D ? 2 * 8 - 6 : 3 * 8 - 7;
        const double expected =
            PredictionFactor95(redundancy) * AdjustmentError(report) * std::sqrt(1.0 + 1.0 / 8);
        const auto radius = [&](double east) {
            return HorizontalUncertainty95(CoordTriple(x + east, y, 0.0), kDatumEd50, kKindUtm,
                                           30.0, kDatumEtrs89, set, model);
        };
        EXPECT_NEAR(radius(0.0), expected, model == kModelAffine2D ? 1e-9 : 2e-3 * expected);
        EXPECT_LT(radius(0.0), radius(20000.0));
        EXPECT_LT(radius(20000.0), radius(100000.0));
    }
}

// The fixed figures, the same datum on both sides, and a fit without
// redundancy (the affine model on 3 vertices).
TEST(HorizontalUncertainty95, FixedFiguresAndFitsThatSayNothing) {
    const CoordTriple seville(235171.041, 4142124.422, 0.0);
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    ParameterSet grid;
    ASSERT_TRUE(PrepareGrid(grid, "", nullptr));
    FoundVertexList three;
    SearchByNumber(three, 3, seville.c1, seville.c2, 0.0, 30.0, kDatumEd50, kKindUtm, true);
    ParameterSet exact;
    ASSERT_TRUE(EstimateParameters(three, exact, kModelAffine2D, kDirectionEd50ToEtrs89, nullptr));
    EXPECT_EQ(HorizontalUncertainty95(seville, kDatumEd50, kKindUtm, 30.0, kDatumEtrs89, national,
                                      kModelHelmert),
              1.9);
    EXPECT_EQ(HorizontalUncertainty95(seville, kDatumEd50, kKindUtm, 30.0, kDatumEtrs89, grid,
                                      kModelGrid),
              0.05);
    EXPECT_EQ(HorizontalUncertainty95(seville, kDatumEd50, kKindUtm, 30.0, kDatumEd50, national,
                                      kModelHelmert),
              0.0);
    EXPECT_TRUE(std::isnan(HorizontalUncertainty95(seville, kDatumEd50, kKindUtm, 30.0,
                                                   kDatumEtrs89, exact, kModelAffine2D)));
}

// One leave-one-out selection: the vertices around a held-out one.
struct Selection {
    const char* name;
    int parametros;
    double value; // vertices (by number) or metres (by distance)
    int model;
    double most; // the largest share expected, percent
};

// Every vertex but the blunders held out in turn: a set estimated from the
// selection around its ED50 position, without it, carries that position to
// ETRS89; the share of vertices whose catalogue ETRS89 position lies within
// their 95 % radius must be near 95 %.
TEST(HorizontalUncertainty95, CoversHeldOutCatalogueVertices) {
    // The misfit of the Molodensky fits is systematic, growing away from the
    // centroid of their vertices: a held-out vertex, at the centre of its
    // neighbours, lies well within a radius that the farther vertices set,
    // so its share is only bounded below.
    const Selection selections[] = {
        {"5 más cercanos, Helmert", kParametersByNumber, 5, kModelHelmert, 99.0},
        {"8 más cercanos, Helmert", kParametersByNumber, 8, kModelHelmert, 99.0},
        {"12 más cercanos, Helmert", kParametersByNumber, 12, kModelHelmert, 99.0},
        {"5 más cercanos, afín 2D", kParametersByNumber, 5, kModelAffine2D, 99.0},
        {"8 más cercanos, afín 2D", kParametersByNumber, 8, kModelAffine2D, 99.0},
        {"12 más cercanos, afín 2D", kParametersByNumber, 12, kModelAffine2D, 99.0},
        {"a menos de 60 km, Helmert", kParametersByDistance, 60000, kModelHelmert, 99.0},
        {"a menos de 60 km, afín 2D", kParametersByDistance, 60000, kModelAffine2D, 99.0},
        {"8 más cercanos, Molodensky", kParametersByNumber, 8, kModelMolodensky, 100.0},
        {"12 más cercanos, Molodensky", kParametersByNumber, 12, kModelMolodensky, 100.0},
    };
    for (const Selection& s : selections) {
        int held_out = 0, inside = 0;
        double radius_sum = 0.0;
        for (const VertexRecord& v : VertexCatalogue()) {
            if (IsBlunder(v)) {
                continue;
            }
            FoundVertexList around;
            if (s.parametros == kParametersByNumber) {
                SearchByNumber(around, static_cast<std::int32_t>(s.value) + 1, v.ed50_x, v.ed50_y,
                               0.0, 30.0, kDatumEd50, kKindUtm, true);
            } else {
                SearchByDistance(around, s.value, v.ed50_x, v.ed50_y, 0.0, 30.0, kDatumEd50,
                                 kKindUtm, true);
            }
            FoundVertexList others;
            for (std::int32_t i = 0; i < around.count(); ++i) {
                const VertexRecord& o = around.entries[static_cast<std::size_t>(i)];
                if (o.number != v.number) {
                    others.entries.push_back(o);
                }
            }
            ParameterSet set;
            if (others.count() < 3 ||
                !EstimateParameters(others, set, s.model, kDirectionEd50ToEtrs89, nullptr)) {
                continue;
            }
            const CoordTriple ed50(v.ed50_x, v.ed50_y, 0.0);
            const double radius = HorizontalUncertainty95(ed50, kDatumEd50, kKindUtm, 30.0,
                                                          kDatumEtrs89, set, s.model);
            if (std::isnan(radius)) {
                continue; // no redundancy: nothing to test
            }
            double zone = 30.0;
            const CoordTriple out = TransformPoint(ed50, kDatumEd50, kKindUtm, 30.0, kDatumEtrs89,
                                                   kKindUtm, 30.0, set, s.model, zone);
            ++held_out;
            radius_sum += radius;
            if (std::hypot(out.c1 - v.etrs_x, out.c2 - v.etrs_y) <= radius) {
                ++inside;
            }
        }
        const double coverage = 100.0 * inside / held_out;
        std::printf("Dejando uno fuera, %s: %d de %d dentro (%.1f %%), radio medio %.3f m\n",
                    s.name, inside, held_out, coverage, radius_sum / held_out);
        EXPECT_GE(held_out, 150) << s.name;
        EXPECT_GE(coverage, 85.0) << s.name;
        EXPECT_LE(coverage, s.most) << s.name;
    }
}

} // namespace
} // namespace dezadiravevava
