// Parameter sets estimated from catalogue vertices.
#include "files/text_encoding.h"
#include "geodesy/least_squares.h"
#include "geodesy/models.h"
#include "geodesy/transform.h"
#include "geodesy/vertex_search.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <string>

namespace dezadiravevava {
namespace {

const VertexRecord& ByNumber(std::int32_t number) {
    for (const VertexRecord& v : VertexCatalogue()) {
        if (v.number == number) {
            return v;
        }
    }
    throw std::runtime_error("no vertex");
}

bool IsBlunder(const VertexRecord& v) {
    return v.number == 96065 || v.number == 106899;
}

// Horizontal error of a set on one vertex, ED50 UTM 30 -> ETRS89 UTM 30.
double ErrorOn(const VertexRecord& v, const ParameterSet& set, int model) {
    double zone = 30.0;
    const CoordTriple out =
        TransformPoint(CoordTriple(v.ed50_x, v.ed50_y, 0.0), kDatumEd50, kKindUtm, 30, kDatumEtrs89,
                       kKindUtm, 30, set, model, zone);
    return std::hypot(out.c1 - v.etrs_x, out.c2 - v.etrs_y);
}

double AdjustmentError(const std::string& report) {
    const std::string key = "Error ajuste:  ";
    return std::stod(report.substr(report.find(key) + key.size()));
}

// Target points made from the source points with a known linearised Helmert
// set: the adjustment must give the set's scale and rotations back.
TEST(AdjustParameters, RecoversAKnownHelmertSet) {
    ParameterSet known;
    known.params = {9.39e-06, 6.03e-06, 9.7e-08, 5.55e-06, -131.0, -100.3, -163.4};
    std::vector<DatumPoint> source, target;
    double sum_s[3] = {0, 0, 0}, sum_t[3] = {0, 0, 0};
    for (std::size_t i = 0; i < VertexCatalogue().size(); i += 9) {
        const VertexRecord& v = VertexCatalogue()[i];
        DatumPoint s(EllipsoidRow(kDatumEd50));
        const GeodeticAngles g = UtmToGeodetic(v.ed50_x, v.ed50_y, s.ellipsoid(), 30);
        s.SetGeodetic(g.lambda, g.phi, 0.0);
        const CoordTriple moved = ApplyHelmert(s.geocentric(), known);
        DatumPoint t(EllipsoidRow(kDatumEtrs89));
        t.SetGeocentric(moved.c1, moved.c2, moved.c3);
        for (int k = 0; k < 3; ++k) {
            sum_s[k] += (&s.geocentric().c1)[k];
            sum_t[k] += (&t.geocentric().c1)[k];
        }
        source.push_back(s);
        target.push_back(t);
    }
    const double n = static_cast<double>(source.size());
    ParameterSet set;
    set.source_centroid.set_ellipsoid(EllipsoidRow(kDatumEd50));
    set.source_centroid.SetGeocentric(sum_s[0] / n, sum_s[1] / n, sum_s[2] / n);
    set.target_centroid.set_ellipsoid(EllipsoidRow(kEllipsoidGrs80));
    set.target_centroid.SetGeocentric(sum_t[0] / n, sum_t[1] / n, sum_t[2] / n);
    std::string report;
    ASSERT_TRUE(AdjustParameters(source, target, kModelHelmert, set, report)) << report;
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(set.params[k], known.params[k], 1e-9) << k;
    }
    for (std::size_t k = 4; k < 7; ++k) {
        EXPECT_NEAR(set.params[k], 0.0, 1e-3) << k; // absorbed by the centroids
    }
    EXPECT_LT(AdjustmentError(report), 1e-3);
}

TEST(EstimateParameters, RegionalHelmertScreensTheBlundersAndFitsTheRest) {
    FoundVertexList found;
    std::string report;
    ParameterSet set;
    int model = kModelHelmert;
    ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersAndalusia,
                                  0, 0, 0, 0, 0, found, set, &report, true));
    double sum = 0.0;
    int count = 0;
    for (const VertexRecord& v : VertexCatalogue()) {
        if (!IsBlunder(v)) {
            sum += ErrorOn(v, set, model);
            ++count;
        }
    }
    EXPECT_EQ(count, 178);
    EXPECT_LT(sum / count, 0.75);
    const std::string& text = report;
    EXPECT_NE(text.find("Número de puntos utilizados: 178\n"
                        "Vértice descartado por error grosero: CABEZAS 1 (96065), desviación "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Vértice descartado por error grosero: SAN FERNANDO GPS 1995 (106899), "
                        "desviación "),
              std::string::npos);
    // The found list itself is the search's: all 180.
    EXPECT_EQ(found.count(), 180);
}

TEST(EstimateParameters, LocalFitNextToABlunder) {
    FoundVertexList found;
    std::string report;
    const VertexRecord& centre = ByNumber(106899);
    ParameterSet set;
    int model = kModelHelmert;
    ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByNumber, 5,
                                  centre.ed50_x, centre.ed50_y, 0, 30, found, set, &report, true));
    const std::string& text = report;
    EXPECT_NE(text.find("Número de puntos utilizados: 4\n"), std::string::npos) << text;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        if (!IsBlunder(v)) {
            EXPECT_LT(ErrorOn(v, set, model), 0.3) << v.name;
        }
    }
}

TEST(EstimateParameters, FewerThanThreeSoundVerticesFail) {
    FoundVertexList found;
    std::string report;
    const VertexRecord& centre = ByNumber(106899);
    ParameterSet set;
    int model = kModelHelmert;
    EXPECT_FALSE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByNumber,
                                   3, centre.ed50_x, centre.ed50_y, 0, 30, found, set, &report,
                                   true));
    const std::string& text = report;
    EXPECT_NE(text.find("Número de puntos utilizados: 2\n"), std::string::npos) << text;
    const std::string last = "Imposible calcular: menos de 3 vértices válidos\n";
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST(PrepareParameters, NumberChoiceTruncatesThenClamps) {
    FoundVertexList found;
    std::string report;
    const VertexRecord& centre = ByNumber(98555);
    ParameterSet set;
    int model = kModelHelmert;
    ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByNumber,
                                  2.7, centre.ed50_x, centre.ed50_y, 0, 30, found, set, &report,
                                  true));
    EXPECT_EQ(found.count(), 3);
    EXPECT_NE(report.find("Número de puntos utilizados: 3\n"), std::string::npos);
}

TEST(PrepareParameters, TooFewFoundSaysHowMany) {
    FoundVertexList found;
    std::string report;
    const VertexRecord& centre = ByNumber(98555);
    ParameterSet set;
    int model = kModelHelmert;
    // 1 m around a vertex encloses that vertex alone.
    EXPECT_FALSE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByDistance,
                                   1.0, centre.ed50_x, centre.ed50_y, 0, 30, found, set, &report,
                                   true));
    EXPECT_EQ(found.count(), 1);
    EXPECT_EQ(report, "Cálculo de los parámetros de transformación\n"
                      "=============================================\n\n"
                      "Imposible calcular: solo 1 vértices a menos de 1 m\n");
    report.clear();
    EXPECT_FALSE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByDistance,
                                   2500.5, 0, 0, 0, 30, found, set, &report, true));
    EXPECT_NE(report.find("Imposible calcular: solo 0 vértices a menos de 2500.5 m\n"),
              std::string::npos);
}

TEST(PrepareParameters, NationalSetForcesHelmertAndReportsNoVertex) {
    FoundVertexList found;
    std::string report;
    ParameterSet set;
    int model = kModelMolodensky;
    ASSERT_TRUE(PrepareParameters(kDatumEtrs89, kKindUtm, kDatumEd50, model, kParametersSpain, 0, 0,
                                  0, 0, 0, found, set, &report, true));
    EXPECT_EQ(model, kModelHelmert);
    EXPECT_EQ(set.params[0], -9.38994e-06);
    EXPECT_NE(report.find("Número de puntos utilizados: 0\n"), std::string::npos);
}

TEST(PrepareParameters, ReportsAreAppendedAndOptional) {
    FoundVertexList found;
    std::string report = "antes\n";
    ParameterSet set;
    int model = kModelHelmert;
    EXPECT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersSpain, 0, 0,
                                  0, 0, 0, found, set, &report, true));
    EXPECT_EQ(report.rfind("antes\nCálculo de los parámetros", 0), 0u) << report;
    // Without a report the set is ready all the same.
    EXPECT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersAndalusia,
                                  0, 0, 0, 0, 0, found, set, nullptr, true));
    EXPECT_EQ(found.count(), 180);
}

TEST(EstimateParameters, ReverseMolodenskyStoresTheSourceEllipsoid) {
    FoundVertexList found;
    std::string report;
    ParameterSet set;
    int model = kModelMolodensky;
    ASSERT_TRUE(PrepareParameters(kDatumEtrs89, kKindUtm, kDatumEd50, model, kParametersAndalusia,
                                  0, 0, 0, 0, 0, found, set, &report, true));
    EXPECT_EQ(set.params[5], 6378137.0);
    EXPECT_EQ(set.params[6], 1.0 / 298.257222101);
    EXPECT_EQ(set.source_centroid.ellipsoid().f, 1.0 / 298.257222101);
    EXPECT_EQ(set.target_centroid.ellipsoid().a, 6378388.0);
    // The source centroid printed first is the ETRS89 one: for vertices set on
    // each ellipsoid's surface, the ETRS89 X lies some 150 m below the ED50 X.
    const std::string& text = report;
    const std::string key = "Geocéntricas (";
    const std::size_t first = text.find(key);
    const std::size_t second = text.find(key, first + 1);
    ASSERT_NE(second, std::string::npos) << text;
    const double source_x = std::stod(text.substr(first + key.size()));
    const double target_x = std::stod(text.substr(second + key.size()));
    EXPECT_GT(target_x - source_x, 100.0);
    EXPECT_LT(target_x - source_x, 200.0);
}

// A Molodensky fit whose residual is known exactly: four vertices about the
// centroid, two of them with their target longitude moved by +e and -e. That
// perturbation is orthogonal to every column of the design matrix (the two
// longitude rows are equal), so the estimate stays zero and the residuals are
// exactly -e and +e in longitude: east-west arcs of (N + h) cos(phi) e at each
// vertex's latitude. The adjustment error is their root sum of squares over
// the redundancy 12 - 5, in metres like every model's.
TEST(AdjustParameters, MolodenskyErrorIsInMetres) {
    const Ellipsoid& ed50 = EllipsoidRow(kDatumEd50);
    const double lambda0 = -4.0 * kRadiansPerDegree, phi0 = 37.0 * kRadiansPerDegree;
    const double step = 0.01, e = 1e-6; // radians; e is some 5 m
    struct Offset {
        double dlambda, dphi, moved;
    };
    const Offset offsets[] = {{step, 0, 0}, {-step, 0, 0}, {0, step, e}, {0, -step, -e}};
    std::vector<DatumPoint> source, target;
    for (const Offset& o : offsets) {
        DatumPoint s(ed50);
        s.SetGeodetic(lambda0 + o.dlambda, phi0 + o.dphi, 0.0);
        DatumPoint t(ed50);
        t.SetGeodetic(lambda0 + o.dlambda + o.moved, phi0 + o.dphi, 0.0);
        source.push_back(s);
        target.push_back(t);
    }
    ParameterSet set;
    set.source_centroid = DatumPoint(ed50);
    set.source_centroid.SetGeodetic(lambda0, phi0, 0.0);
    set.target_centroid = set.source_centroid;
    std::string report;
    ASSERT_TRUE(AdjustParameters(source, target, kModelMolodensky, set, report)) << report;
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(set.params[static_cast<std::size_t>(k)], 0.0, 1e-9) << k;
    }
    const auto east_arc = [&](double phi) {
        const double n = ed50.a / std::sqrt(1.0 - ed50.e2() * std::sin(phi) * std::sin(phi));
        return n * std::cos(phi) * e;
    };
    const double north = east_arc(phi0 + step), south = east_arc(phi0 - step);
    const double expected = std::sqrt((north * north + south * south) / 7.0);
    EXPECT_NEAR(AdjustmentError(report), expected, expected * 1e-6) << report;
    EXPECT_GT(AdjustmentError(report), 1.0); // not radians added to metres
}

TEST(EstimateParameters, AffineFromThreeVerticesHasNoRedundancy) {
    FoundVertexList found;
    std::string report;
    const VertexRecord& centre = ByNumber(98555);
    ParameterSet set;
    int model = kModelAffine2D;
    ASSERT_TRUE(PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model, kParametersByNumber, 3,
                                  centre.ed50_x, centre.ed50_y, 0, 30, found, set, &report, true));
    const std::string& text = report;
    const std::string tail = "Error ajuste:  indeterminado (redundancia nula)\n\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    // Exact through its three vertices.
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_LT(ErrorOn(found.entries[static_cast<std::size_t>(i)], set, model), 1e-6);
    }
}

} // namespace
} // namespace dezadiravevava

namespace dezadiravevava {
namespace {

// Local fits from the fewest vertices anywhere in the region: the normal
// equations are invertible and must be inverted, whatever exact zeros their
// blocks hold.
TEST(EstimateParameters, EverySmallLocalFitAcrossTheRegionSucceeds) {
    int failures = 0;
    for (double x = 120000; x <= 600000; x += 40000) {
        for (double y = 3990000; y <= 4290000; y += 40000) {
            for (const int chosen : {kModelHelmert, kModelMolodensky, kModelAffine2D}) {
                for (const double n : {3.0, 4.0}) {
                    FoundVertexList found;
                    ParameterSet set;
                    int model = chosen;
                    const bool ready = PrepareParameters(kDatumEd50, kKindUtm, kDatumEtrs89, model,
                                                         kParametersByNumber, n, x, y, 0, 30, found,
                                                         set, nullptr, true);
                    const bool blunder_found = std::any_of(
                        found.entries.begin(), found.entries.begin() + found.count(), IsBlunder);
                    if (!ready && !blunder_found) { // too few valid vertices is a failure
                        ++failures;
                        ADD_FAILURE() << "model " << chosen << ", " << n << " vertices around " << x
                                      << ", " << y;
                    }
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace dezadiravevava
