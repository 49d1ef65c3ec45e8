// Universal Transverse Mercator projection (Krueger series, exact to
// nanometres) and angle reduction.
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
// negative northings. Uses the latitude's sine and cosine as given.
PlanePoint GeodeticToUtm(double lambda, const Latitude& phi, const EllipsoidConstants& k,
                         double& zone);

// Inverse projection. Every northing is taken as a true northing, so the
// inverse undoes the forward projection south of the equator as well. The
// point is on the ellipsoid (h = 0).
GeodeticPosition UtmToGeodetic(double x, double y, const EllipsoidConstants& k, double zone);

// The same without the latitude's angle, for a step that needs only its sine
// and cosine (the geocentric conversion): phi.radians reads NaN, the rest is
// bit for bit UtmToGeodetic's.
GeodeticPosition UtmToGeodeticSines(double x, double y, const EllipsoidConstants& k, double zone);

// Points UtmToGeodeticSines takes at once on a block.
inline constexpr int kUtmBlock = 64;

// UtmToGeodeticSines for n <= kUtmBlock points at once, bit for bit, with the
// work of different points overlapping.
void UtmToGeodeticSines(int n, const double* x, const double* y, const double* zone,
                        const EllipsoidConstants& k, GeodeticPosition* out);

// GeodeticToUtm for n <= kUtmBlock points at once, bit for bit.
void GeodeticToUtm(int n, const double* lambda, const Latitude* phi, const EllipsoidConstants& k,
                   double* zone, PlanePoint* out);

// The same on one ellipsoid row or copy.
PlanePoint GeodeticToUtm(double lambda, double phi, const Ellipsoid& ellipsoid, double& zone);
GeodeticAngles UtmToGeodetic(double x, double y, const Ellipsoid& ellipsoid, double zone);

} // namespace dezadiravevava
