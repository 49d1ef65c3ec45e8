// Horizontal datum shift grids in the NTv2 format (Canada's National
// Transformation version 2, the format in which the IGN publishes the official
// ED50 -> ETRS89 grid SPED2ETV2, EPSG:15932).
//
// A file is an overview header and one or more sub-grids, each a header and a
// regular lattice of nodes. Every header is a run of 16-byte records: an
// 8-character keyword and an 8-byte value (a 32-bit integer padded with four
// bytes, a double, or 8 characters). Integers and doubles are little-endian in
// files from most producers and big-endian in some; the overview's first record
// (NUM_OREC, 11) tells which. Limits and increments are in arc seconds with
// longitudes positive WEST (E_LONG < W_LONG). Each node holds four floats: the
// latitude shift and the longitude shift in arc seconds (positive north, and
// positive west), then their accuracies. Nodes run from the south-east corner:
// row by row northwards, each row westwards.
//
// A point takes the shift of the finest sub-grid that contains it (a child
// grid is finer than its parent; where two grids of the file overlap, the
// finer one is the better model), interpolated bilinearly between the four
// nodes of its cell.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dezadiravevava {

// A rectangle of longitude and latitude in degrees, east and north positive.
struct GeographicExtent {
    double west = 0.0;
    double east = 0.0;
    double south = 0.0;
    double north = 0.0;
};

struct Ntv2Subgrid {
    std::string name;   // SUB_NAME, blanks trimmed
    std::string parent; // PARENT, "NONE" for a top-level grid
    // Node lattice in arc seconds, longitudes positive west, as in the file.
    double south = 0.0;
    double north = 0.0;
    double east = 0.0; // E_LONG: the smaller positive-west longitude
    double west = 0.0; // W_LONG
    double lat_inc = 0.0;
    double lon_inc = 0.0;
    int rows = 0;
    int cols = 0;
    // Two floats a node, latitude shift then longitude shift (arc seconds,
    // longitude positive west), node (row, col) at 2 (row cols + col).
    std::vector<float> shifts;

    // The lattice's extent in degrees, east positive.
    GeographicExtent Extent() const;
};

class Ntv2Grid {
public:
    // Reads an NTv2 file. On failure returns nothing and `error` says why, in
    // the words of the execution log.
    static std::optional<Ntv2Grid> Load(const std::string& path, std::string& error);

    const std::vector<Ntv2Subgrid>& subgrids() const { return subgrids_; }
    // The smallest rectangle around every sub-grid.
    GeographicExtent extent() const;

    // The shift at (lambda, phi) in radians: dlambda (east positive) and dphi
    // in radians. False when no sub-grid contains the point.
    bool ShiftAt(double lambda, double phi, double& dlambda, double& dphi) const;

    // Source -> target (ED50 -> ETRS89 for SPED2ETV2): adds the shift at the
    // point. False, leaving the point as it was, outside the grid.
    bool Forward(double& lambda, double& phi) const;

    // Target -> source: the point p with p + shift(p) = q, found by fixed-point
    // iteration p <- q - shift(p) until a step is below 1e-12 rad. The shift
    // changes by a few thousandths of an arc second across a cell, so every
    // pass gains about five digits. False outside the grid.
    bool Inverse(double& lambda, double& phi) const;

private:
    std::vector<Ntv2Subgrid> subgrids_;
};

} // namespace dezadiravevava
