// Least-squares estimation of Helmert 3D, Molodensky and 2D affine parameters
// from vertices known in both datums (Gauss-Markov model, unit weights):
//   x = (A^T A)^-1 A^T l,  v = A x - l,  sigma0 = sqrt(v^T v / (m - u)).
// Coordinates are reduced to the centroids of each side, so the translations
// estimated are the small residual shifts and the normal equations stay
// well conditioned.
#include "geodesy/least_squares.h"

#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/grid_method.h"
#include "geodesy/matrix.h"
#include "geodesy/models.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"
#include "geodesy/vertex_search.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace dezadiravevava {

namespace {

constexpr double kZone30 = 30.0;
constexpr const char* kBlockTitle = "Cálculo de los parámetros de transformación\n"
                                    "=============================================\n\n";

// Unit labels printed after the seven values, by model.
constexpr const char* kUnits[3][7] = {
    {"[]", "[rad]", "[rad]", "[rad]", "[m]", "[m]", "[m]"},
    {"[m]", "[m]", "[m]", "[m]", "[]", "[m]", "[]"},
    {"[m]", "[m]", "[m]", "[m]", "[m]", "[m]", ""},
};

void AppendParameterLines(std::string& out, const std::array<double, 7>& params, int model) {
    out += "Parámetros de transformación: \n";
    for (std::size_t k = 0; k < 7; ++k) {
        out += ' ';
        out += CScientific7(params[k]);
        out += ' ';
        out += kUnits[model][k];
        out += '\n';
    }
}

std::string TripleText(const CoordTriple& t) {
    std::string out = "(";
    AppendCFixed(out, t.c1, 6);
    out += ',';
    AppendCFixed(out, t.c2, 6);
    out += ',';
    AppendCFixed(out, t.c3, 6);
    out += ")\n";
    return out;
}

// A vertex on one side: geodetic on its ellipsoid with h = 0 for the 3D
// models (the catalogue heights are not used); the plane coordinates in the
// geocentric triple for the affine model.
DatumPoint VertexPoint(double x, double y, int row, int model) {
    DatumPoint p(EllipsoidRow(row));
    if (model == kModelAffine2D) {
        p.SetGeocentric(x, y, 0.0);
    } else {
        const GeodeticAngles g = UtmToGeodetic(x, y, p.ellipsoid(), kZone30);
        p.SetGeodetic(g.lambda, g.phi, 0.0);
    }
    return p;
}

// The vertex count of a "N nearest" choice: the selection truncated to an
// integer (the search then raises it to at least 3 and caps it at 180).
std::int32_t TruncatedCount(double selection) {
    if (!(selection > 0.0)) {
        return 0;
    }
    return selection >= 1e9 ? 1000000000 : static_cast<std::int32_t>(selection);
}

int UnknownCount(int model) {
    return model == kModelHelmert ? 7 : model == kModelMolodensky ? 5 : 6;
}

int RowsPerVertex(int model) {
    return model == kModelAffine2D ? 2 : 3;
}

// Fills the rows of one vertex into A and l.
void AddObservations(Matrix& a, Matrix& l, int first_row, int model, const DatumPoint& s,
                     const DatumPoint& s_bar, const DatumPoint& t, const DatumPoint& t_bar) {
    const int r = first_row;
    if (model == kModelHelmert || model == kModelAffine2D) {
        const CoordTriple& sc = s.geocentric();
        const CoordTriple& sb = s_bar.geocentric();
        const CoordTriple& tc = t.geocentric();
        const CoordTriple& tb = t_bar.geocentric();
        const double dx = sc.c1 - sb.c1, dy = sc.c2 - sb.c2, dz = sc.c3 - sb.c3;
        l(r, 0) = (tc.c1 - tb.c1) - dx;
        l(r + 1, 0) = (tc.c2 - tb.c2) - dy;
        if (model == kModelHelmert) {
            l(r + 2, 0) = (tc.c3 - tb.c3) - dz;
            const HelmertDesignRows rows = HelmertDesign(dx, dy, dz);
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 7; ++j) {
                    a(r + i, j) = rows.row[i][j];
                }
            }
        } else {
            const AffineDesignRows rows = AffineDesign(dx, dy);
            for (int i = 0; i < 2; ++i) {
                for (int j = 0; j < 6; ++j) {
                    a(r + i, j) = rows.row[i][j];
                }
            }
        }
        return;
    }
    // Molodensky: rows latitude, longitude, height; columns dX, dY, dZ, da, df.
    const CoordTriple& sg = s.geodetic();
    const CoordTriple& sb = s_bar.geodetic();
    const CoordTriple& tg = t.geodetic();
    const CoordTriple& tb = t_bar.geodetic();
    const double dlambda = sg.c1 - sb.c1, dphi = sg.c2 - sb.c2, dh = sg.c3 - sb.c3;
    const MolodenskyRows rows =
        MolodenskyDesign(dlambda, dphi, dh, s.ellipsoid().a, s.ellipsoid().f);
    for (int j = 0; j < 5; ++j) {
        a(r, j) = rows.phi[j];
        a(r + 1, j) = rows.lambda[j];
        a(r + 2, j) = rows.h[j];
    }
    l(r, 0) = (tg.c2 - tb.c2) - dphi;
    l(r + 1, 0) = (tg.c1 - tb.c1) - dlambda;
    l(r + 2, 0) = (tg.c3 - tb.c3) - dh;
}

// The least-squares solution: each step that yields nothing names itself.
struct Solution {
    Matrix x;
    Matrix v;         // residuals A x - l
    Matrix n_inverse; // (A^T A)^-1
    double vtv = 0.0;
    const char* failure = nullptr;
};

Solution Solve(const Matrix& a, const Matrix& l) {
    Solution s;
    const auto at = a.Transpose();
    if (!at) {
        s.failure = "Imposible calcular A traspuesta\n";
        return s;
    }
    const auto n = at->Multiply(a);
    if (!n) {
        s.failure = "Imposible calcular N\n";
        return s;
    }
    const auto d = at->Multiply(l);
    if (!d) {
        s.failure = "Imposible calcular d\n";
        return s;
    }
    const auto n_inverse = n->Inverse();
    if (!n_inverse) {
        s.failure = "Imposible calcular N Inversa\n";
        return s;
    }
    auto x = n_inverse->Multiply(*d);
    if (!x) {
        s.failure = "Imposible calcular x estimados\n";
        return s;
    }
    const auto ax = a.Multiply(*x);
    if (!ax) {
        s.failure = "Imposible calcular Ax\n";
        return s;
    }
    const auto v = ax->Subtract(l);
    if (!v) {
        s.failure = "Imposible calcular residuos\n";
        return s;
    }
    const auto vt = v->Transpose();
    const auto vtv = vt ? vt->Multiply(*v) : std::nullopt;
    if (!vtv) {
        s.failure = "Imposible calcular sigma a posteriori\n";
        return s;
    }
    s.x = std::move(*x);
    s.v = std::move(*v);
    s.n_inverse = std::move(*n_inverse);
    s.vtv = (*vtv)(0, 0);
    return s;
}

// The sum of squared residuals in metres. Helmert and affine residuals are
// metres already. Molodensky residuals in latitude and longitude are angles:
// each becomes the arc it spans at its vertex, (M + h) dphi northwards and
// (N + h) cos(phi) dlambda eastwards, M and N the radii of curvature of the
// vertex's source ellipsoid at its latitude.
double MetricSquares(const Solution& s, const std::vector<DatumPoint>& source, int model) {
    if (model != kModelMolodensky) {
        return s.vtv;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const Ellipsoid& e = source[i].ellipsoid();
        const double phi = source[i].geodetic().c2, h = source[i].geodetic().c3;
        const double sphi = std::sin(phi);
        const double w = 1.0 - e.e2() * sphi * sphi;
        const double n = e.a / std::sqrt(w);                        // prime vertical radius
        const double m = e.a * (1.0 - e.e2()) / (w * std::sqrt(w)); // meridian radius
        const int r = 3 * static_cast<int>(i);
        const double north = s.v(r, 0) * (m + h);
        const double east = s.v(r + 1, 0) * (n + h) * std::cos(phi);
        const double up = s.v(r + 2, 0);
        sum += north * north + east * east + up * up;
    }
    return sum;
}

// The variance of each observation row relative to sigma0^2 (the variance
// of a horizontal coordinate in metres), and the sigma0^2 and redundancy that
// go with it. Helmert and affine observations are metres of one kind: all 1,
// sigma0^2 = v^T v / r. The Molodensky rows are not: latitude and longitude
// are angles, whose metric error of variance sigma^2 is an angle of variance
// sigma^2 / (arc per radian)^2 (the arcs of MetricSquares); and heights, which
// both sides carry as h = 0, misfit otherwise than positions do. Two variance
// components then, each from its own residuals and its share of the
// redundancy (two thirds horizontal, one third vertical), and the heights
// weighted by the ratio of the two.
struct RowVariances {
    std::vector<double> relative;
    double sigma0_squared = 0.0;
    int redundancy = 0;
};
RowVariances VariancesOf(const Solution& s, const std::vector<DatumPoint>& source, int model,
                         double squares, int redundancy) {
    const std::size_t per_vertex = static_cast<std::size_t>(RowsPerVertex(model));
    RowVariances out{std::vector<double>(per_vertex * source.size(), 1.0), squares / redundancy,
                     redundancy};
    if (model != kModelMolodensky) {
        return out;
    }
    double horizontal = 0.0, vertical = 0.0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const Ellipsoid& e = source[i].ellipsoid();
        const double phi = source[i].geodetic().c2, h = source[i].geodetic().c3;
        const double sphi = std::sin(phi);
        const double w = 1.0 - e.e2() * sphi * sphi;
        const double n = e.a / std::sqrt(w);
        const double m = e.a * (1.0 - e.e2()) / (w * std::sqrt(w));
        const double north = m + h, east = (n + h) * std::cos(phi);
        out.relative[3 * i] = 1.0 / (north * north);
        out.relative[3 * i + 1] = 1.0 / (east * east);
        const int r = 3 * static_cast<int>(i);
        const double dn = s.v(r, 0) * north, de = s.v(r + 1, 0) * east, du = s.v(r + 2, 0);
        horizontal += dn * dn + de * de;
        vertical += du * du;
    }
    const int horizontal_redundancy = std::max(1, (2 * redundancy + 1) / 3);
    const int vertical_redundancy = std::max(1, redundancy - horizontal_redundancy);
    out.sigma0_squared = horizontal / horizontal_redundancy;
    out.redundancy = horizontal_redundancy;
    // A fit without horizontal misfit weighs the heights as the positions.
    const double ratio =
        out.sigma0_squared > 0.0 ? (vertical / vertical_redundancy) / out.sigma0_squared : 1.0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        out.relative[3 * i + 2] = ratio;
    }
    return out;
}

// The cofactor matrix of the unknowns: (A^T A)^-1 for observations of one
// variance, and for rows of relative variances S the covariance of the
// unweighted estimate, (A^T A)^-1 A^T S A (A^T A)^-1.
FitCovariance CovarianceOf(const Matrix& a, const Solution& s, const RowVariances& variances,
                           int unknowns) {
    const std::vector<double>& scales = variances.relative;
    FitCovariance fit;
    fit.unknowns = unknowns;
    fit.redundancy = variances.redundancy;
    fit.sigma0_squared = variances.sigma0_squared;
    const auto u = static_cast<std::size_t>(unknowns);
    bool metric = true;
    for (const double scale : scales) {
        metric = metric && scale == 1.0;
    }
    if (metric) {
        for (int r = 0; r < unknowns; ++r) {
            for (int c = 0; c < unknowns; ++c) {
                fit.cofactors[static_cast<std::size_t>(r) * u + static_cast<std::size_t>(c)] =
                    s.n_inverse(r, c);
            }
        }
        return fit;
    }
    // A^T S A, then the sandwich.
    std::array<double, 49> middle{};
    for (int i = 0; i < a.rows(); ++i) {
        const double scale = scales[static_cast<std::size_t>(i)];
        for (int r = 0; r < unknowns; ++r) {
            for (int c = 0; c < unknowns; ++c) {
                middle[static_cast<std::size_t>(r) * u + static_cast<std::size_t>(c)] +=
                    a(i, r) * scale * a(i, c);
            }
        }
    }
    std::array<double, 49> left{}; // (A^T A)^-1 A^T S A
    for (int r = 0; r < unknowns; ++r) {
        for (int c = 0; c < unknowns; ++c) {
            double sum = 0.0;
            for (int k = 0; k < unknowns; ++k) {
                sum += s.n_inverse(r, k) *
                       middle[static_cast<std::size_t>(k) * u + static_cast<std::size_t>(c)];
            }
            left[static_cast<std::size_t>(r) * u + static_cast<std::size_t>(c)] = sum;
        }
    }
    for (int r = 0; r < unknowns; ++r) {
        for (int c = 0; c < unknowns; ++c) {
            double sum = 0.0;
            for (int k = 0; k < unknowns; ++k) {
                sum += left[static_cast<std::size_t>(r) * u + static_cast<std::size_t>(k)] *
                       s.n_inverse(k, c);
            }
            fit.cofactors[static_cast<std::size_t>(r) * u + static_cast<std::size_t>(c)] = sum;
        }
    }
    return fit;
}

// Hands the block over when asked for.
bool Finish(std::string* report, const std::string& block, bool result) {
    if (report) {
        *report += block;
    }
    return result;
}

// The distance of a search as the log writes it: 10, 2500.5, 1e+300.
std::string DistanceText(double metres) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, metres);
    return std::string(buffer, result.ptr);
}

} // namespace

double NationalDeviation(const VertexRecord& v, const ParameterSet& national) {
    double zone = kZone30;
    const CoordTriple moved =
        TransformPoint(CoordTriple(v.ed50_x, v.ed50_y, 0.0), kDatumEd50, kKindUtm, kZone30,
                       kDatumEtrs89, kKindUtm, kZone30, national, kModelHelmert, zone);
    return std::hypot(moved.c1 - v.etrs_x, moved.c2 - v.etrs_y);
}

std::vector<VertexRecord> VerticesUsed(const FoundVertexList& found) {
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    std::vector<VertexRecord> used;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        if (!(NationalDeviation(v, national) > kBlunderLimit)) {
            used.push_back(v);
        }
    }
    return used;
}

bool AdjustParameters(const std::vector<DatumPoint>& source, const std::vector<DatumPoint>& target,
                      int model, ParameterSet& set, std::string& report) {
    const int n = static_cast<int>(source.size());
    if (model < kModelHelmert || model > kModelAffine2D || target.size() != source.size()) {
        return false;
    }
    const int per_vertex = RowsPerVertex(model);
    const int unknowns = UnknownCount(model);
    const int observations = per_vertex * n;
    Matrix a(observations, unknowns);
    Matrix l(observations, 1);
    if (a.empty() || l.empty()) {
        report += "Imposible calcular A traspuesta\n";
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        AddObservations(a, l, i * per_vertex, model, source[k], set.source_centroid, target[k],
                        set.target_centroid);
    }
    set.uncertainty = SetUncertainty{};
    const Solution solution = Solve(a, l);
    if (solution.failure) {
        report += solution.failure;
        return false;
    }

    set.params = {};
    for (int j = 0; j < unknowns; ++j) {
        set.params[static_cast<std::size_t>(j)] = solution.x(j, 0);
    }
    if (model == kModelMolodensky) {
        // The source side's centroid ellipsoid.
        const Ellipsoid& e = set.source_centroid.ellipsoid();
        set.params[5] = e.a;
        set.params[6] = e.f;
    }

    AppendParameterLines(report, set.params, model);
    const int redundancy = observations - unknowns;
    if (redundancy > 0) {
        const double squares = MetricSquares(solution, source, model);
        report += "Error ajuste:  " + CScientific7(std::sqrt(squares / redundancy)) + " [m]\n\n";
        set.uncertainty.fit = WithRadiusScale(CovarianceOf(
            a, solution, VariancesOf(solution, source, model, squares, redundancy), unknowns));
    } else {
        // As many observations as unknowns: the fit is exact and says nothing
        // of the adjustment error.
        report += "Error ajuste:  indeterminado (redundancia nula)\n\n";
    }
    return true;
}

void SetSpainParametersWithReport(int direction, ParameterSet& set, std::string* report) {
    SetSpainParameters(direction, set);
    if (!report) {
        return;
    }
    std::string block = kBlockTitle;
    block += "Número de puntos utilizados: 0\n"
             "Centroide origen:  Geodésicas   (0,0,-a)\n"
             "                   Geocéntricas (0,0,0)\n"
             "Centroide destino: Geodésicas   (0,0,-a)\n"
             "                   Geocéntricas (0,0,0)\n";
    AppendParameterLines(block, set.params, kModelHelmert);
    block += "Error ajuste:  1 [m]\n\n";
    *report += block;
}

bool EstimateParameters(const FoundVertexList& found, ParameterSet& set, int model, int direction,
                        std::string* report) {
    if (model < kModelHelmert || model > kModelAffine2D) {
        return false;
    }
    std::string block = kBlockTitle;

    // Screen out blunders: vertices whose two positions disagree with the
    // national transformation by more than kBlunderLimit.
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    std::vector<VertexRecord> kept;
    std::string discarded;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        const double deviation = NationalDeviation(v, national);
        if (deviation > kBlunderLimit) {
            discarded += "Vértice descartado por error grosero: " + Cp1252ToUtf8(v.name) + " (" +
                         std::to_string(v.number) + "), desviación " + CFixed(deviation, 3) +
                         " m\n";
        } else {
            kept.push_back(v);
        }
    }
    const int n = static_cast<int>(kept.size());
    block += "Número de puntos utilizados: " + std::to_string(n) + "\n";
    block += discarded;
    if (n < 3) {
        block += "Imposible calcular: menos de 3 vértices válidos\n";
        return Finish(report, block, false);
    }

    // Both sides of every vertex, and their centroids.
    std::vector<DatumPoint> ed50, etrs;
    ed50.reserve(kept.size());
    etrs.reserve(kept.size());
    double sum_ed50[3] = {0, 0, 0}, sum_etrs[3] = {0, 0, 0};
    for (const VertexRecord& v : kept) {
        ed50.push_back(VertexPoint(v.ed50_x, v.ed50_y, kDatumEd50, model));
        etrs.push_back(VertexPoint(v.etrs_x, v.etrs_y, kDatumEtrs89, model));
        const CoordTriple& e = ed50.back().geocentric();
        const CoordTriple& t = etrs.back().geocentric();
        sum_ed50[0] += e.c1, sum_ed50[1] += e.c2, sum_ed50[2] += e.c3;
        sum_etrs[0] += t.c1, sum_etrs[1] += t.c2, sum_etrs[2] += t.c3;
    }
    DatumPoint ed50_centroid(EllipsoidRow(kDatumEd50));
    ed50_centroid.SetGeocentric(sum_ed50[0] / n, sum_ed50[1] / n, sum_ed50[2] / n);
    DatumPoint etrs_centroid(EllipsoidRow(kEllipsoidGrs80));
    etrs_centroid.SetGeocentric(sum_etrs[0] / n, sum_etrs[1] / n, sum_etrs[2] / n);

    const bool reverse = direction == kDirectionEtrs89ToEd50;
    const std::vector<DatumPoint>& source = reverse ? etrs : ed50;
    const std::vector<DatumPoint>& target = reverse ? ed50 : etrs;
    set.source_centroid = reverse ? etrs_centroid : ed50_centroid;
    set.target_centroid = reverse ? ed50_centroid : etrs_centroid;

    block += "Centroide origen:  Geodésicas   " + TripleText(set.source_centroid.geodetic());
    block += "                   Geocéntricas " + TripleText(set.source_centroid.geocentric());
    block += "Centroide destino: Geodésicas   " + TripleText(set.target_centroid.geodetic());
    block += "                   Geocéntricas " + TripleText(set.target_centroid.geocentric());

    const bool adjusted = AdjustParameters(source, target, model, set, block);
    return Finish(report, block, adjusted);
}

bool PrepareParameters(int datum_in, int kind_in, int datum_out, int& model, int parametros,
                       double selec_param, double c1, double c2, double c3, double zone,
                       FoundVertexList& found, ParameterSet& set, std::string* report,
                       bool centre_is_catalogue, const std::string& grid_path,
                       const Catalogue& catalogue) {
    const int direction = DirectionOf(datum_in, datum_out);
    switch (parametros) {
    case kParametersGrid:
        model = kModelGrid;
        return PrepareGrid(set, grid_path, report);
    case kParametersSpain:
        model = kModelHelmert;
        SetSpainParametersWithReport(direction, set, report);
        return true;
    case kParametersAndalusia:
        SearchByDistance(found, 1e300, c1, c2, c3, zone, datum_in, kind_in, true, catalogue);
        break;
    case kParametersByDistance:
        SearchByDistance(found, selec_param, c1, c2, c3, zone, datum_in, kind_in,
                         centre_is_catalogue, catalogue);
        break;
    case kParametersByNumber:
        SearchByNumber(found, TruncatedCount(selec_param), c1, c2, c3, zone, datum_in, kind_in,
                       centre_is_catalogue, catalogue);
        break;
    default:
        return true; // no choice known: the set is left as it is
    }
    if (found.count() < 3) {
        // Nothing to estimate from: the report says so, and why.
        std::string block = kBlockTitle;
        block += "Imposible calcular: solo " + std::to_string(found.count()) + " vértices";
        if (parametros == kParametersByDistance) {
            block += " a menos de " + DistanceText(selec_param) + " m";
        }
        block += "\n";
        return Finish(report, block, false);
    }
    return EstimateParameters(found, set, model, direction, report);
}

} // namespace dezadiravevava
