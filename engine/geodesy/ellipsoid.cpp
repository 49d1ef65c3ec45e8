#include "geodesy/ellipsoid.h"

namespace dezadiravevava {

namespace {

// a [m] and inverse flattening; f is stored as the double nearest 1 / (1/f).
constexpr Ellipsoid Row(double a, double inverse_flattening) {
    return Ellipsoid{a, 1.0 / inverse_flattening, 0.0, 0.0, 0.0};
}

} // namespace

const std::array<Ellipsoid, kEllipsoidCount>& EllipsoidTable() {
    static const std::array<Ellipsoid, kEllipsoidCount> table = {
        Row(6377563.396, 299.3249646), // 0  Airy 1830
        Row(6378160.0, 298.25),        // 1  Australian National
        Row(6377397.155, 299.1528128), // 2  Bessel 1841
        Row(6377483.865, 299.1528128), // 3  Bessel 1841 (Namibia)
        Row(6378206.4, 294.9786982),   // 4  Clarke 1866
        Row(6378249.145, 293.465),     // 5  Clarke 1880
        Row(6377298.556, 300.8017),    // 6  Everest (Sabah and Sarawak)
        Row(6377276.345, 300.8017),    // 7  Everest 1830
        Row(6377301.243, 300.8017),    // 8  Everest 1956
        Row(6377304.063, 300.8017),    // 9  Everest 1948
        Row(6377295.664, 300.8017),    // 10 Everest 1969
        Row(6378137.0, 298.257222101), // 11 GRS 80
        Row(6378200.0, 298.3),         // 12 Helmert 1906
        Row(6378270.0, 297.0),         // 13 Hough 1960
        Row(6378388.0, 297.0),         // 14 International 1924 (ED50)
        Row(6378245.0, 298.3),         // 15 Krassovsky 1940
        Row(6378155.0, 298.3),         // 16 Modified Fischer 1960
        Row(6378160.0, 298.25),        // 17 South American 1969
        Row(6378135.0, 298.26),        // 18 WGS 72
        // 19 WGS 84, used for ETRS89, with its physical constants.
        Ellipsoid{6378137.0, 1.0 / 298.257223563, 7.292115e-05, 398600.5, -0.00048416685},
    };
    return table;
}

const Ellipsoid& EllipsoidRow(int code) {
    const auto& table = EllipsoidTable();
    if (code < 0 || code >= kEllipsoidCount) {
        return table[0];
    }
    return table[static_cast<std::size_t>(code)];
}

} // namespace dezadiravevava
