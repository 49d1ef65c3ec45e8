// The three transformation models, each one step on a triple.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"

namespace dezadiravevava {

// Seven-parameter similarity, linearised, coordinate-frame rotation sign,
// reduced to the centroids: geocentric in, geocentric out.
CoordTriple ApplyHelmert(const CoordTriple& geocentric, const ParameterSet& set);

// Standard Molodensky formulas on centroid-reduced geodetic coordinates:
// geodetic (radians, metres) in, geodetic out.
CoordTriple ApplyMolodensky(const CoordTriple& geodetic, const ParameterSet& set);

// Six-parameter affine transformation of plane coordinates reduced to the
// centroids (whose geocentric triples hold plane coordinates for this model):
// (x, y) in, (x', y', 0) out.
CoordTriple ApplyAffine2D(const CoordTriple& plane, const ParameterSet& set);

// Partial derivatives of the Molodensky formulas at one reduced point; the
// estimation uses them as its design matrix, so estimation and application
// agree. Rows: latitude (divided by M + dh), longitude, height; columns dX, dY,
// dZ, da, df.
struct MolodenskyRows {
    double phi[5];
    double lambda[5];
    double h[5];
};
MolodenskyRows MolodenskyDesign(double dlambda, double dphi, double dh, double a, double f);

// The rows of the Helmert 3D design at a point reduced to the source centroid
// by (dx, dy, dz): rows x, y, z; columns mu, Rx, Ry, Rz, Tx, Ty, Tz.
struct HelmertDesignRows {
    double row[3][7];
};
HelmertDesignRows HelmertDesign(double dx, double dy, double dz);

// The rows of the 2D affine design at a plane point reduced by (dx, dy):
// rows x, y; columns p0 .. p5.
struct AffineDesignRows {
    double row[2][6];
};
AffineDesignRows AffineDesign(double dx, double dy);

} // namespace dezadiravevava
