// Universal Transverse Mercator projection (series form) and angle reduction.
#pragma once

#include "geodesy/ellipsoid.h"
#include "geodesy/geodetic_position.h"

namespace dezadiravevava {

inline constexpr double kUtmScale = 0.9996;
inline constexpr double kUtmFalseEasting = 500000.0;

// Plane coordinates of a projection.
struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
};

// Geodetic angles in radians, longitude first.
struct GeodeticAngles {
    double lambda = 0.0;
    double phi = 0.0;
};

// Reduces an angle in radians into [-pi, pi]; |x| = pi is returned unchanged.
double NormalizeAngle(double x);

// Zone whose 6-degree band holds the longitude (radians): floor(lon_deg / 6 + 31).
double ZoneOfLongitude(double lambda);

// Central meridian of a zone, radians.
double CentralMeridian(double zone);

// Forward projection. A zone below 1 is replaced by the zone of the longitude
// and written back to the caller. No false northing: southern points get
// negative northings. Uses the latitude's sine and cosine as given and calls
// no trigonometric function.
PlanePoint GeodeticToUtm(double lambda, const Latitude& phi, const EllipsoidConstants& k,
                         double& zone);

// Inverse projection. Every northing is taken as a true northing, so the
// inverse undoes the forward projection south of the equator as well. One
// sine and cosine per call; the point is on the ellipsoid (h = 0).
GeodeticPosition UtmToGeodetic(double x, double y, const EllipsoidConstants& k, double zone);

// The inverse with the footpoint latitude found by fixed-point iteration on
// the meridian arc (to 1e-10 rad, at most eight passes) and every quantity
// recomputed from a and b, as the engine did before the closed form. The
// estimation converts the catalogue vertices with it: the translations that
// it reports are residues of the centroid reduction at the 1e-9 m level, set
// by the last bits of the vertex coordinates, so this keeps the parameter
// reports of earlier runs reproducible byte for byte. Within 1e-12 rad of
// UtmToGeodetic: the iteration stops up to 5e-13 rad short near the equator.
GeodeticAngles UtmToGeodeticByIteration(double x, double y, const Ellipsoid& ellipsoid,
                                        double zone);

// The same on one ellipsoid row or copy.
PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone);
GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone);

} // namespace dezadiravevava
