// A point referred to one ellipsoid, keeping its geodetic and geocentric
// coordinates consistent.
#pragma once

#include "geodesy/coord_triple.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/geocentric.h"

namespace dezadiravevava {

class DatumPoint {
public:
    // A fresh point holds row 0 of the ellipsoid table.
    DatumPoint();
    explicit DatumPoint(const Ellipsoid& ellipsoid);

    const Ellipsoid& ellipsoid() const { return ellipsoid_; }
    void set_ellipsoid(const Ellipsoid& ellipsoid);

    // (longitude, latitude) in radians, h in metres.
    const CoordTriple& geodetic() const { return geodetic_; }
    const CoordTriple& geocentric() const { return geocentric_; }

    // Stores the geodetic triple and recomputes the geocentric one.
    void SetGeodetic(double lambda, double phi, double h);
    // Stores the geocentric triple and recomputes the geodetic one.
    void SetGeocentric(double x, double y, double z);

private:
    Ellipsoid ellipsoid_;
    EllipsoidConstants constants_; // derived from ellipsoid_ when it is set
    CoordTriple geodetic_;
    CoordTriple geocentric_;
};

} // namespace dezadiravevava
