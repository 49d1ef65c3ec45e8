// Conversions between geodetic and geocentric Cartesian coordinates on one
// ellipsoid: the direct formula and a closed-form inverse.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/geodetic_position.h"

namespace dezadiravevava {

// Direct conversion: X = (N + h) cos(phi) cos(lambda), Y = (N + h) cos(phi)
// sin(lambda), Z = (N (1 - e^2) + h) sin(phi), N = a / sqrt(1 - e^2 sin^2 phi).
CoordTriple GeodeticToGeocentric(const EllipsoidConstants& k, double lambda, const Latitude& phi,
                                 double h);

// Inverse conversion in closed form (no iteration). Over the whole Earth, that
// is every latitude and heights from -10 km to 100 km, the latitude is within
// 1e-15 rad and the height within 2e-10 m of the exact values for the given
// doubles. Points on the polar axis get longitude 0 and the pole on their
// side; the geocentre itself reads (0, 0, 0).
GeodeticPosition GeocentricToGeodetic(const EllipsoidConstants& k, double x, double y, double z);

// What a caller of the inverse conversion does not use and may leave out:
// the latitude's angle (the projection needs only its sine and cosine), which
// then reads NaN, and the height, which then reads 0. Whatever is worked out
// is bit for bit what the full conversion gives. Off the general case (far
// from the Earth, on the polar axis) everything is worked out.
enum class GeodeticOmit {
    kNothing,
    kLatitudeAngle,
    kLatitudeAngleAndHeight,
};
GeodeticPosition GeocentricToGeodetic(const EllipsoidConstants& k, double x, double y, double z,
                                      GeodeticOmit omit);

// The same on one ellipsoid row or copy, as (longitude, latitude, h).
CoordTriple GeodeticToGeocentric(const Ellipsoid& ellipsoid, double lambda, double phi, double h);
CoordTriple GeocentricToGeodetic(const Ellipsoid& ellipsoid, double x, double y, double z);

} // namespace dezadiravevava
