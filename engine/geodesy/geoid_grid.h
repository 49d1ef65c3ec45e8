// Geoid undulation grids in the GTX format (NOAA VDatum), the simple binary
// grid in which PROJ and GDAL exchange geoid models such as the IGN's
// EGM08-REDNAP.
//
// A 40-byte big-endian header: latitude and longitude of the south-west node,
// latitude and longitude increments (doubles, degrees), then the numbers of
// rows and columns (32-bit integers); then rows x columns big-endian floats,
// row by row from the south, each row from the west. Longitudes may be given
// from 0 to 360. A node of -88.8888 has no value.
//
// N is the height of the geoid above the ellipsoid of the model's reference
// frame (ETRS89 for EGM08-REDNAP): h = H + N.
#pragma once

#include "geodesy/ntv2_grid.h"

#include <optional>
#include <string>
#include <vector>

namespace dezadiravevava {

class GeoidGrid {
public:
    // Reads a GTX file; on failure returns nothing and `error` says why.
    static std::optional<GeoidGrid> Load(const std::string& path, std::string& error);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    // Extent of the nodes in degrees, east positive (west in -180 .. 180).
    GeographicExtent extent() const;

    // Undulation N in metres at (lambda, phi) in radians, interpolated
    // bilinearly between the four nodes of its cell. False outside the grid
    // or where a node of the cell has no value.
    bool UndulationAt(double lambda, double phi, double& n) const;

private:
    double south_ = 0.0;
    double west_ = 0.0; // -180 .. 180
    double lat_inc_ = 0.0;
    double lon_inc_ = 0.0;
    int rows_ = 0;
    int cols_ = 0;
    std::vector<float> values_;
};

} // namespace dezadiravevava
