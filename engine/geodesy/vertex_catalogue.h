// The catalogue of geodetic vertices known in both datums: the one the engine
// carries, or a user's own table of common points (see files/catalogue_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dezadiravevava {

inline constexpr int kCatalogueSize = 180; // vertices of the built-in catalogue

// One vertex; also the entry type of the found-vertex list. Coordinates are
// UTM zone 30 (extended west of its band), metres.
struct VertexRecord {
    std::int32_t number; // built-in: sheet * 100 + index on the sheet
    std::string name;    // Windows-1252
    std::int32_t sheet;  // map sheet holding the vertex (0: not known)
    double etrs_x;
    double etrs_y;
    double etrs_h; // ETRS89 ellipsoidal height
    double ed50_x;
    double ed50_y;
    double ed50_h; // ED50 orthometric height
};

// The 180 vertices in catalogue order. Generated from data/vertex_catalogue.tsv.
const std::array<VertexRecord, kCatalogueSize>& VertexCatalogue();

// A catalogue the searches and fits work on: its vertices, in its order, and
// how the execution log names it (UTF-8).
struct Catalogue {
    std::vector<VertexRecord> vertices;
    std::string label;
};

// The built-in catalogue, most of whose vertices are synthetic: labelled
// "integrado (de demostración: 176 de 180 vértices sintéticos)".
const Catalogue& BuiltInCatalogue();

} // namespace dezadiravevava
