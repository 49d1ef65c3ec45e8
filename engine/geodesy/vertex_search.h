// Searches of the vertex catalogue around a centre, and the found-vertex list.
#pragma once

#include "geodesy/utm.h"
#include "geodesy/vertex_catalogue.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dezadiravevava {

// The vertices of the last search, at most as many as its catalogue has. Each
// control keeps its own list: every search empties it and refills it; the
// estimation and the automation interface read it.
struct FoundVertexList {
    std::vector<VertexRecord> entries;
    std::int32_t count() const { return static_cast<std::int32_t>(entries.size()); }
};

// The search centre in catalogue coordinates (ED50 UTM zone 30). An ETRS89
// centre (datum 19) is carried to ED50 with the national set; any other datum
// is taken as ED50. Geodetic centres are (longitude, latitude) in radians; a
// UTM centre is used as it stands whatever its zone. A kind outside 1..3 has no
// conversion: nothing is returned.
std::optional<PlanePoint> SearchCentreToEd50Utm(double c1, double c2, double c3, double zone,
                                                int datum, int kind);

// Every vertex of `catalogue` strictly closer than dist_max metres
// (planimetric, ED50) to the centre, in catalogue order, into `found`. With
// centre_is_catalogue, (c1, c2) are already ED50 UTM zone 30.
void SearchByDistance(FoundVertexList& found, double dist_max, double c1, double c2, double c3,
                      double zone, int datum, int kind, bool centre_is_catalogue,
                      const Catalogue& catalogue = BuiltInCatalogue());

// The n nearest vertices of `catalogue` (n clamped to 3..its size), nearest
// first, into `found`; equal distances keep the order of an exchange sort over
// the catalogue order. A centre that is not finite finds nothing.
void SearchByNumber(FoundVertexList& found, std::int32_t n, double c1, double c2, double c3,
                    double zone, int datum, int kind, bool centre_is_catalogue,
                    const Catalogue& catalogue = BuiltInCatalogue());

// A catalogue entry with its distance from a search centre.
struct VertexDistance {
    const VertexRecord* vertex = nullptr;
    double distance = 0.0;
};

// Exchange sort by distance, ascending: position p is compared with every later
// q and the two are exchanged whenever p is strictly farther. Not stable: this
// rule, not catalogue order, decides the order of equal distances.
void ExchangeSortByDistance(std::span<VertexDistance> entries);

// Entry `index` of a found list, or nothing outside 0..count-1.
std::optional<VertexRecord> GetFoundVertex(const FoundVertexList& found, std::int32_t index);

} // namespace dezadiravevava
