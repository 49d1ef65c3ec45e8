#include "geodesy/parameter_set.h"

namespace dezadiravevava {

namespace {

// The national set as published, seven values per direction: mu, Rx, Ry, Rz
// [rad], Tx, Ty, Tz [m]. The reverse set is a published set of its own, not the
// negation of the forward one.
//
// The rotations are published in the position-vector convention. ApplyHelmert
// evaluates the coordinate-frame formula (the convention of the least-squares
// estimation), in which each rotation enters with the opposite sign. The set is
// therefore stored with its rotations negated, so that the coordinate-frame
// formula realises the published transformation. Applied with the published
// signs, results in Andalusia land 8 to 17 m from the official grid.
struct PublishedSet {
    double mu, rx, ry, rz, tx, ty, tz;
};

constexpr PublishedSet kEd50ToEtrs89 = {
    9.39e-06,
    -6.031082193002628e-06, // -1.244"
    -9.69627362219072e-08,  // -0.020"
    -5.546268511893092e-06, // -1.144"
    -131.0,
    -100.3,
    -163.4,
};

constexpr PublishedSet kEtrs89ToEd50 = {
    -9.38994e-06, 6.030969468973632e-06, 9.699436546646279e-08, 5.546164941146395e-06,
    130.9982295,  100.2987993,           163.3990579,
};

} // namespace

int DirectionOf(int source_datum, int target_datum) {
    return (source_datum == kDatumEtrs89 && target_datum == kDatumEd50) ? kDirectionEtrs89ToEd50
                                                                        : kDirectionEd50ToEtrs89;
}

void SetSpainParameters(int direction, ParameterSet& set) {
    const bool reverse = direction == kDirectionEtrs89ToEd50;
    const PublishedSet& p = reverse ? kEtrs89ToEd50 : kEd50ToEtrs89;
    // Position vector -> coordinate frame: rotations change sign.
    set.params = {p.mu, -p.rx, -p.ry, -p.rz, p.tx, p.ty, p.tz};
    set.source_centroid.set_ellipsoid(EllipsoidRow(reverse ? kDatumEtrs89 : kDatumEd50));
    set.target_centroid.set_ellipsoid(EllipsoidRow(reverse ? kDatumEd50 : kDatumEtrs89));
    set.source_centroid.SetGeocentric(0.0, 0.0, 0.0);
    set.target_centroid.SetGeocentric(0.0, 0.0, 0.0);
    set.uncertainty = SetUncertainty{kNationalUncertainty95, std::nullopt};
}

} // namespace dezadiravevava
