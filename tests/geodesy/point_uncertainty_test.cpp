// The 95 % horizontal uncertainty of transformed points: its statistical
// factor against tabulated quantiles, its propagation against a direct
// computation, and its coverage over the catalogue by leave-one-out.
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

// One leave-one-out selection: the vertices around a held-out one.
struct Selection {
    const char* name;
    int parametros;
    double value; // vertices (by number) or metres (by distance)
    int model;
};

// Every vertex but the blunders held out in turn: a set estimated from the
// selection around its ED50 position, without it, carries that position to
// ETRS89; the share of vertices whose catalogue ETRS89 position lies within
// their 95 % radius must be near 95 %.
TEST(HorizontalUncertainty95, CoversHeldOutCatalogueVertices) {
    const Selection selections[] = {
        {"5 más cercanos, Helmert", kParametersByNumber, 5, kModelHelmert},
        {"8 más cercanos, Helmert", kParametersByNumber, 8, kModelHelmert},
        {"12 más cercanos, Helmert", kParametersByNumber, 12, kModelHelmert},
        {"5 más cercanos, afín 2D", kParametersByNumber, 5, kModelAffine2D},
        {"8 más cercanos, afín 2D", kParametersByNumber, 8, kModelAffine2D},
        {"12 más cercanos, afín 2D", kParametersByNumber, 12, kModelAffine2D},
        {"a menos de 60 km, Helmert", kParametersByDistance, 60000, kModelHelmert},
        {"a menos de 60 km, afín 2D", kParametersByDistance, 60000, kModelAffine2D},
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
            for (std::int32_t i = 0; i < around.count; ++i) {
                const VertexRecord& o = around.entries[static_cast<std::size_t>(i)];
                if (o.number != v.number) {
                    others.entries[static_cast<std::size_t>(others.count++)] = o;
                }
            }
            ParameterSet set;
            if (others.count < 3 ||
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
        EXPECT_LE(coverage, 99.0) << s.name;
    }
}

} // namespace
} // namespace dezadiravevava
