// How uncertain a transformed point is: the radius of the circle around it
// that holds its true position with 95 % probability, horizontally, in metres.
//
// An estimated set keeps what its adjustment knows of itself (FitCovariance);
// a point then gets the prediction variance of a new observation at its
// position, the scatter of the fit (sigma0^2) plus what the parameters'
// uncertainty adds there. The fixed national set and the grid carry one figure
// each, the same for every point.
#pragma once

#include "geodesy/coord_triple.h"

#include <array>
#include <optional>

namespace dezadiravevava {

struct ParameterSet;

// The fixed figures are measured on the catalogue by
// tools/accuracy/grid_uncertainty: the 95th percentile of the horizontal
// distances between where the method carries the ED50 position of each
// vertex (blunders left out) and its catalogue ETRS89 position, 178 vertices.
//
// The national set (EPSG:1632): 1.877 m, rounded up to the decimetre. EPSG
// gives it an accuracy of 1.5 m, not stated as a 95 % figure; only 89.9 % of
// the vertices lie within it.
inline constexpr double kNationalUncertainty95 = 1.9; // metres
// The IGN grid SPED2ETV2, whose file carries no accuracy values: 0.048 m,
// rounded up to the centimetre.
inline constexpr double kGridUncertainty95 = 0.05; // metres

// What a least-squares adjustment leaves for its error propagation.
struct FitCovariance {
    int unknowns = 0;
    // Cofactor matrix Q of the unknowns (row-major, unknowns x unknowns): the
    // covariance of the estimated parameters is sigma0^2 Q. Unit weights on
    // metric observations give Q = (A^T A)^-1. The Molodensky rows of
    // latitude and longitude, angles, enter with the variance their metric
    // error has as an angle, and its heights with the ratio of their own
    // variance to the positions' (least_squares.cpp), so that sigma0^2 is
    // that of a horizontal coordinate in metres.
    std::array<double, 49> cofactors{};
    double sigma0_squared = 0.0; // a-posteriori variance of unit weight [m^2]
    int redundancy = 0;          // observations minus unknowns
    // PredictionFactor95(redundancy) sigma0, computed once (WithRadiusScale):
    // the radius where the parameters add nothing [m].
    double radius_scale = 0.0;
};

// The fit with its radius_scale computed from its redundancy and sigma0^2.
FitCovariance WithRadiusScale(FitCovariance fit);

// What a parameter set says of the accuracy of the points it carries.
struct SetUncertainty {
    // Fixed sets: one 95 % radius for every point [m].
    std::optional<double> fixed;
    // Estimated sets: the adjustment's covariance.
    std::optional<FitCovariance> fit;
};

// The factor k of the 95 % radius k sigma0 sqrt(lambda_max) of a 2D prediction
// whose sigma0 comes from `redundancy` degrees of freedom: with the point's
// 2x2 cofactor matrix C (covariance sigma0^2 C), e^T C^-1 e / (2 s0^2) follows
// Fisher's F(2, r), whose quantile has the closed form
// F = (r / 2) (0.05^(-2/r) - 1); so k^2 = 2F = r (0.05^(-2/r) - 1). It tends to
// sqrt(chi^2_2(0.95)) = sqrt(2 ln 20) = 2.4477 as r grows. NaN when r < 1.
double PredictionFactor95(int redundancy);

// The 95 % horizontal radius [m] of the point that TransformPoint carries
// from (datum_in, kind_in, zone_in) with the set and model of a run: NaN when
// the set knows nothing of its accuracy (an estimation without redundancy);
// 0 when the datums are the same (nothing is estimated or applied). The
// point's position on the source side is found as the transformation finds
// it (a UTM point on the ellipsoid, h = 0).
double HorizontalUncertainty95(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, const ParameterSet& set, int model);

} // namespace dezadiravevava
