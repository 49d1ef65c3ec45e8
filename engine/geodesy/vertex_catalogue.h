// The catalogue of geodetic vertices known in both datums.
#pragma once

#include <array>
#include <cstdint>

namespace dezadiravevava {

inline constexpr int kCatalogueSize = 180;

// One vertex; also the entry type of the found-vertex list. Coordinates are
// UTM zone 30 (extended west of its band), metres.
struct VertexRecord {
    std::int32_t number; // sheet * 100 + index on the sheet
    char name[32];       // upper case, Windows-1252, NUL-terminated
    std::int32_t sheet;  // map sheet holding the vertex
    double etrs_x;
    double etrs_y;
    double etrs_h; // ETRS89 ellipsoidal height
    double ed50_x;
    double ed50_y;
    double ed50_h; // ED50 orthometric height
};

// The 180 vertices in catalogue order. Generated from data/vertex_catalogue.tsv.
const std::array<VertexRecord, kCatalogueSize>& VertexCatalogue();

} // namespace dezadiravevava
