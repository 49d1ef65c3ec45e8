// The area the system serves: Andalusia, as one rectangle per coordinate
// kind (and per UTM zone). The desktop program refuses the points of its
// lists that fall outside; callers of the point arrays may ask for the same.
#pragma once

#include "geodesy/coord_triple.h"

namespace dezadiravevava {

// A rectangle over the first two coordinates of a point, limits included.
struct RegionRectangle {
    double c1_min;
    double c1_max;
    double c2_min;
    double c2_max;

    constexpr bool Contains(double c1, double c2) const {
        return c1 >= c1_min && c1 <= c1_max && c2 >= c2_min && c2 <= c2_max;
    }
};

// Whether a point in the given kind (and UTM zone) lies in the served region.
// Geodetic points are (longitude, latitude) in decimal degrees; a UTM point in
// a zone other than 29, 30 or 31 has no region and lies outside.
bool IsInServedRegion(const CoordTriple& point, int kind, double zone);

} // namespace dezadiravevava
