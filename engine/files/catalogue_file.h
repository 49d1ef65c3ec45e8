// A user's own catalogue of common points: a table (see point_table.h) whose
// header names the columns, read into the vertices the searches and fits use.
//
// Columns, by their names in the header line (any order, any case; others
// are ignored):
//   number or numero          the vertex number, a whole number 1..2147483647
//   name or nombre            its name
//   sheet or hoja             optional: its map sheet
//   etrs_x etrs_y [etrs_h]    ETRS89 UTM zone 30 [m], or
//   etrs_lon etrs_lat [etrs_h]  ETRS89 geodetic, decimal degrees
//   ed50_x ed50_y [ed50_h]    ED50 UTM zone 30 [m], or
//   ed50_lon ed50_lat [ed50_h]  ED50 geodetic, decimal degrees
// The table of the built-in catalogue (data/vertex_catalogue.tsv) is one.
// Geodetic positions are projected to UTM zone 30 on their own ellipsoid
// (GRS80 for ETRS89, International 1924 for ED50). Heights may be left out
// (0): the fits do not use them.
#pragma once

#include "geodesy/vertex_catalogue.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dezadiravevava {

// Bounds of a catalogue: the searches sort it for every run.
inline constexpr std::size_t kCatalogueVertexLimit = 10000;
inline constexpr std::size_t kCatalogueFileLimit = 8 * 1024 * 1024; // bytes

// The catalogue in `bytes`, labelled "<name> (SHA-256 <hex of bytes>)".
// Nothing when any row is bad, a number repeats, a column is missing or
// fewer than 3 vertices remain: `failure` then holds one line per problem
// ("línea 7: ed50_y no es un número"), each ended by "\n".
std::optional<Catalogue> ParseCatalogue(std::string_view bytes, std::string_view name,
                                        std::string& failure);

// The catalogue of the file at `path` (UTF-8), labelled with the path as
// given; nothing, with `failure` as ParseCatalogue sets it, when it cannot be
// read or is not valid.
std::shared_ptr<const Catalogue> LoadCatalogueFile(const std::string& path, std::string& failure);

// The catalogue a run names: the file's, or the built-in one for an empty path.
std::shared_ptr<const Catalogue> CatalogueOfPath(const std::string& path, std::string& failure);

} // namespace dezadiravevava
