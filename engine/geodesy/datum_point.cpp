#include "geodesy/datum_point.h"

namespace dezadiravevava {

DatumPoint::DatumPoint() : DatumPoint(EllipsoidRow(0)) {}

DatumPoint::DatumPoint(const Ellipsoid& ellipsoid) : ellipsoid_(ellipsoid), constants_(ellipsoid) {}

void DatumPoint::set_ellipsoid(const Ellipsoid& ellipsoid) {
    ellipsoid_ = ellipsoid;
    constants_ = EllipsoidConstants(ellipsoid);
}

void DatumPoint::SetGeodetic(double lambda, double phi, double h) {
    geodetic_.Set(lambda, phi, h);
    geocentric_ =
        GeodeticToGeocentric(constants_, geodetic_.c1, Latitude::Of(geodetic_.c2), geodetic_.c3);
}

void DatumPoint::SetGeocentric(double x, double y, double z) {
    geocentric_.Set(x, y, z);
    const GeodeticPosition g =
        GeocentricToGeodetic(constants_, geocentric_.c1, geocentric_.c2, geocentric_.c3);
    geodetic_ = CoordTriple(g.lambda, g.phi.radians, g.h);
}

} // namespace dezadiravevava
