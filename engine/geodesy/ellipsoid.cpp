#include "geodesy/ellipsoid.h"

#include <cmath>

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

EllipsoidConstants::EllipsoidConstants(const Ellipsoid& ellipsoid)
    : a(ellipsoid.a), f(ellipsoid.f), inv_a(1.0 / ellipsoid.a), b(ellipsoid.b()),
      e2(ellipsoid.e2()) {
    e2m = 1.0 - e2;
    e4 = e2 * e2;
    ep2 = e2 / e2m;

    const double e6 = e4 * e2;
    arc0 = 1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0;
    arc[0] = -(3.0 / 8.0) * (e2 + e4 / 4.0 + 15.0 * e6 / 128.0);
    arc[1] = (15.0 / 256.0) * (e4 + 3.0 * e6 / 4.0);
    arc[2] = -35.0 * e6 / 3072.0;

    const double root = std::sqrt(e2m);
    const double e1 = (1.0 - root) / (1.0 + root); // equals the third flattening n
    const double e1_2 = e1 * e1, e1_3 = e1_2 * e1, e1_4 = e1_2 * e1_2;
    foot[0] = 3.0 * e1 / 2.0 - 27.0 * e1_3 / 32.0;
    foot[1] = 21.0 * e1_2 / 16.0 - 55.0 * e1_4 / 32.0;
    foot[2] = 151.0 * e1_3 / 96.0;
    foot[3] = 1097.0 * e1_4 / 512.0;
}

const EllipsoidConstants& ConstantsOfRow(int code) {
    static const auto constants = [] {
        std::array<EllipsoidConstants, kEllipsoidCount> rows;
        for (int row = 0; row < kEllipsoidCount; ++row) {
            rows[static_cast<std::size_t>(row)] = EllipsoidConstants(EllipsoidRow(row));
        }
        return rows;
    }();
    if (code < 0 || code >= kEllipsoidCount) {
        return constants[0];
    }
    return constants[static_cast<std::size_t>(code)];
}

} // namespace dezadiravevava
