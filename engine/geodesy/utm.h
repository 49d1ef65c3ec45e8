// Universal Transverse Mercator projection (series form) and angle reduction.
#pragma once

#include "geodesy/ellipsoid.h"

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
// negative northings.
PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone);

// Inverse projection. Every northing is taken as a true northing, so the
// inverse undoes the forward projection south of the equator as well.
GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone);

} // namespace dezadiravevava
