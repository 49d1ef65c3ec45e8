// The detail of a parameter set: its values in EPSG's terms and the
// residuals of the vertices it was fitted to.
#include "geodesy/fit_report.h"
#include "geodesy/least_squares.h"
#include "geodesy/models.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace dezadiravevava {
namespace {

// The national set in EPSG's terms: EPSG:1632 as published (position vector:
// -131 m, -100.3 m, -163.4 m, -1.244", -0.020", -1.144", +9.39 ppm), and the
// reverse set the engine holds, within millimetres of its negation.
TEST(EpsgTerms, NationalSetIsEpsg1632) {
    struct Case {
        int direction;
        double sign;      // +1 the published set, -1 its negation
        double tolerance; // metres; arc-seconds and ppm a thousandth of it
    };
    for (const Case c :
         {Case{kDirectionEd50ToEtrs89, 1.0, 1e-9}, Case{kDirectionEtrs89ToEd50, -1.0, 2e-3}}) {
        SCOPED_TRACE(c.direction);
        ParameterSet set;
        SetSpainParameters(c.direction, set);
        const EpsgHelmert h = EpsgHelmertOf(set);
        EXPECT_NEAR(h.tx, c.sign * -131.0, c.tolerance);
        EXPECT_NEAR(h.ty, c.sign * -100.3, c.tolerance);
        EXPECT_NEAR(h.tz, c.sign * -163.4, c.tolerance);
        EXPECT_NEAR(h.rx, c.sign * -1.244, c.tolerance / 20);
        EXPECT_NEAR(h.ry, c.sign * -0.020, c.tolerance / 20);
        EXPECT_NEAR(h.rz, c.sign * -1.144, c.tolerance / 20);
        EXPECT_NEAR(h.ds, c.sign * 9.39, c.tolerance / 20);
        EXPECT_EQ(std::hypot(h.pivot.c1, h.pivot.c2, h.pivot.c3), 0.0);
    }
}

// A fitted set in EPSG's terms, applied with EPSG's own formulas
// (Molodensky-Badekas, position vector, method 1061; affine parametric,
// method 9624), moves a point where the engine moves it.
TEST(EpsgTerms, EpsgFormulasMoveAPointAsTheEngine) {
    const double arc = M_PI / (180.0 * 3600.0);
    for (const int model : {kModelHelmert, kModelAffine2D}) {
        SCOPED_TRACE(model);
        FoundVertexList found;
        ParameterSet set;
        int m = model;
        ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, m, kParametersByNumber, 8,
                                      440000.0, 4150000.0, 0.0, 30.0, found, set, nullptr, true));
        // A point some 30 km from the vertices' centroid.
        const CoordTriple& s = set.source_centroid.geocentric();
        if (model == kModelHelmert) {
            const CoordTriple x(s.c1 + 21000.0, s.c2 - 17000.0, s.c3 + 14000.0);
            const CoordTriple engine = ApplyHelmert(x, set);
            const EpsgHelmert h = EpsgHelmertOf(set);
            const double dx = x.c1 - h.pivot.c1, dy = x.c2 - h.pivot.c2, dz = x.c3 - h.pivot.c3;
            const double k = 1.0 + h.ds * 1e-6;
            const double rx = h.rx * arc, ry = h.ry * arc, rz = h.rz * arc;
            EXPECT_NEAR(engine.c1, h.pivot.c1 + h.tx + k * (dx - rz * dy + ry * dz), 1e-5);
            EXPECT_NEAR(engine.c2, h.pivot.c2 + h.ty + k * (rz * dx + dy - rx * dz), 1e-5);
            EXPECT_NEAR(engine.c3, h.pivot.c3 + h.tz + k * (-ry * dx + rx * dy + dz), 1e-5);
        } else {
            const CoordTriple x(s.c1 + 21000.0, s.c2 - 17000.0, 0.0);
            const CoordTriple engine = ApplyAffine2D(x, set);
            const EpsgAffine a = EpsgAffineOf(set);
            EXPECT_NEAR(engine.c1, a.a0 + a.a1 * x.c1 + a.a2 * x.c2, 1e-6);
            EXPECT_NEAR(engine.c2, a.b0 + a.b1 * x.c1 + a.b2 * x.c2, 1e-6);
        }
    }
}

double After(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    EXPECT_NE(at, std::string::npos) << key << "\n" << text;
    return at == std::string::npos ? NAN : std::stod(text.substr(at + key.size()));
}

// The residuals listed are those of the adjustment: their squares, over the
// redundancy, give the adjustment error the block above reports.
TEST(FitDetail, ResidualsAgreeWithTheAdjustmentError) {
    struct Case {
        int model;
        int unknowns;
        bool heights;
    };
    for (const Case c : {Case{kModelHelmert, 7, true}, Case{kModelAffine2D, 6, false}}) {
        SCOPED_TRACE(c.model);
        FoundVertexList found;
        ParameterSet set;
        std::string report;
        int model = c.model;
        ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model,
                                      kParametersByNumber, 9, 440000.0, 4150000.0, 0.0, 30.0, found,
                                      set, &report, true));
        FitRun run;
        run.in = {kDatumEd50, kKindUtm, 30.0};
        run.out = {kDatumEtrs89, kKindUtm, 30.0};
        run.parametros = kParametersByNumber;
        run.model = model;
        run.origin_x = 440000.0;
        run.origin_y = 4150000.0;
        const std::string block = FitDetailBlock(run, found, set);
        const int n = static_cast<int>(After(block, "Vértices empleados: "));
        ASSERT_EQ(n, found.count()); // no blunder around this origin
        const double e = After(block, "RMS de los residuos: E ");
        const double nn = After(block, " m, N ");
        const double h = c.heights ? After(block, " m, h ") : 0.0;
        const int per_vertex = c.heights ? 3 : 2;
        const double sigma =
            std::sqrt((e * e + nn * nn + h * h) * n / (per_vertex * n - c.unknowns));
        // The residuals are printed to 0.1 mm; UTM scale changes them by 0.04 %.
        EXPECT_NEAR(sigma, After(report, "Error ajuste:  "), 2e-4);
    }
}

} // namespace
} // namespace dezadiravevava
