// The 95 % horizontal figures of the grid method and of the national set,
// measured on the catalogue: for every vertex but the blunders, the
// horizontal distance between where each method carries its ED50 position
// (UTM zone 30) and its catalogue ETRS89 position. The engine's
// kGridUncertainty95 and kNationalUncertainty95 are the 95th percentiles
// printed here, rounded up to the centimetre and the decimetre. The share of
// vertices within the accuracy EPSG gives the national set (1.5 m) is printed
// beside them.
//
// Usage: grid_uncertainty [GRID.gsb]   (default: the bundled SPED2ETV2)
#include "geodesy/grid_method.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace dezadiravevava;

// The nearest-rank percentile p (0..100) of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * sorted.size()));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

void Print(const char* name, std::vector<double> distances) {
    std::sort(distances.begin(), distances.end());
    double sum = 0.0;
    for (const double d : distances) {
        sum += d;
    }
    std::printf("%-16s %3zu vértices  media %.3f m  p95 %.3f m  máx %.3f m\n", name,
                distances.size(), sum / distances.size(), Percentile(distances, 95.0),
                distances.back());
}

} // namespace

int main(int argc, char** argv) {
    ParameterSet grid;
    if (!PrepareGrid(grid, argc > 1 ? argv[1] : "", nullptr)) {
        std::fprintf(stderr, "no se puede leer la rejilla\n");
        return 1;
    }
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);
    std::vector<double> by_grid, by_national;
    for (const VertexRecord& v : VertexCatalogue()) {
        if (NationalDeviation(v, national) > kBlunderLimit) {
            continue;
        }
        const CoordTriple ed50(v.ed50_x, v.ed50_y, 0.0);
        for (auto [set, model, out] : {std::tuple{&grid, kModelGrid, &by_grid},
                                       std::tuple{&national, kModelHelmert, &by_national}}) {
            double zone = 30.0;
            PointStatus status = PointStatus::kTransformed;
            const CoordTriple moved = TransformPoint(ed50, kDatumEd50, kKindUtm, 30.0, kDatumEtrs89,
                                                     kKindUtm, 30.0, *set, model, zone, status);
            if (status == PointStatus::kTransformed) {
                out->push_back(std::hypot(moved.c1 - v.etrs_x, moved.c2 - v.etrs_y));
            }
        }
    }
    Print("rejilla", by_grid);
    Print("nacionales", by_national);
    const auto within =
        std::count_if(by_national.begin(), by_national.end(), [](double d) { return d <= 1.5; });
    std::printf("nacionales a menos de 1.5 m (exactitud EPSG:1632): %.1f %%\n",
                100.0 * static_cast<double>(within) / static_cast<double>(by_national.size()));
    return 0;
}
