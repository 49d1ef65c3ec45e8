#include "geodesy/served_region.h"

#include "geodesy/parameter_set.h"

namespace dezadiravevava {

namespace {

// The limits of the desktop program. Its geodetic rectangle is written there
// as latitude and longitude in packed sexagesimal degrees (35.43105517 is
// 35°43'10.5517''); here it is longitude first, in decimal degrees.
constexpr RegionRectangle kUtm29{603468.54, 1182320.695, 3979199.954, 4297677.949};
constexpr RegionRectangle kUtm30{82482.0, 639000.0, 3954000.0, 4308000.0};
constexpr RegionRectangle kUtm31{-439473.317, 96166.156, 3962105.443, 4352922.49};
constexpr RegionRectangle kGeocentric{4929885.752, 5182762.913, -687238.232, -121158.798};
constexpr RegionRectangle kGeodetic{
    -(7.0 + 48.0 / 60.0 + 29.3981 / 3600.0), // 7°48'29.3981'' W
    -(1.0 + 27.0 / 60.0 + 47.8498 / 3600.0), // 1°27'47.8498'' W
    35.0 + 43.0 / 60.0 + 10.5517 / 3600.0,   // 35°43'10.5517'' N
    38.0 + 49.0 / 60.0 + 16.1829 / 3600.0,   // 38°49'16.1829'' N
};

} // namespace

bool IsInServedRegion(const CoordTriple& point, int kind, double zone) {
    switch (kind) {
    case kKindGeodetic:
        return kGeodetic.Contains(point.c1, point.c2);
    case kKindGeocentric:
        return kGeocentric.Contains(point.c1, point.c2);
    case kKindUtm:
        if (zone == 29.0) {
            return kUtm29.Contains(point.c1, point.c2);
        }
        if (zone == 30.0) {
            return kUtm30.Contains(point.c1, point.c2);
        }
        if (zone == 31.0) {
            return kUtm31.Contains(point.c1, point.c2);
        }
        return false;
    default:
        return false;
    }
}

} // namespace dezadiravevava
