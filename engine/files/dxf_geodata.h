// The geolocation of a drawing (its GEODATA object): a design point of the
// drawing tied to a reference point in a named coordinate system, whose
// definition (XML or WKT, groups 303 and 301) names it by EPSG code and name.
// When that system is the drawing's own, the reference moves with the
// drawing into the output system and the definition is renamed.
#pragma once

#include <string>
#include <string_view>

namespace dezadiravevava {

// A coordinate system of ours: ED50 or ETRS89, geographic or UTM.
struct GeoSystem {
    int epsg = 0;     // 0: none (geocentric coordinates)
    std::string name; // as EPSG names it: "ED50 / UTM zone 30N", "ETRS89"
};

// The system of a datum, kind of coordinates and zone.
GeoSystem GeoSystemOf(int datum, int kind, double zone);

// The EPSG code of the first system of ours (ED50 or ETRS89, geographic or
// UTM zones 28 to 38) a definition names, as a whole number; 0 when none.
int FindOurSystem(std::string_view definition);

// Replaces every whole-number `from.epsg` by `to.epsg` and every `from.name`
// by `to.name`; returns how many it replaced.
int RenameSystem(std::string& definition, const GeoSystem& from, const GeoSystem& to);

} // namespace dezadiravevava
