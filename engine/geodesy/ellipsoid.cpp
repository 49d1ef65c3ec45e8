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

    e = std::sqrt(e2);
    n = f / (2.0 - f);
    const double n2 = n * n;
    rect_a = a / (1.0 + n) * (1.0 + n2 * (1.0 / 4.0 + n2 * (1.0 / 64.0 + n2 * (1.0 / 256.0))));

    // Each coefficient as its polynomial in n, lowest power first (Karney 2011,
    // eqs. 35 and 36); row j starts at n^j.
    constexpr double kAlpha[6][6] = {
        {1.0 / 2, -2.0 / 3, 5.0 / 16, 41.0 / 180, -127.0 / 288, 7891.0 / 37800},
        {13.0 / 48, -3.0 / 5, 557.0 / 1440, 281.0 / 630, -1983433.0 / 1935360},
        {61.0 / 240, -103.0 / 140, 15061.0 / 26880, 167603.0 / 181440},
        {49561.0 / 161280, -179.0 / 168, 6601661.0 / 7257600},
        {34729.0 / 80640, -3418889.0 / 1995840},
        {212378941.0 / 319334400},
    };
    constexpr double kBeta[6][6] = {
        {1.0 / 2, -2.0 / 3, 37.0 / 96, -1.0 / 360, -81.0 / 512, 96199.0 / 604800},
        {1.0 / 48, 1.0 / 15, -437.0 / 1440, 46.0 / 105, -1118711.0 / 3870720},
        {17.0 / 480, -37.0 / 840, -209.0 / 4480, 5569.0 / 90720},
        {4397.0 / 161280, -11.0 / 504, -830251.0 / 7257600},
        {4583.0 / 161280, -108847.0 / 3991680},
        {20648693.0 / 638668800},
    };
    double power = 1.0; // n^(j+1)
    for (int j = 0; j < 6; ++j) {
        power *= n;
        double sum_alpha = 0.0, sum_beta = 0.0;
        for (int k = 5 - j; k >= 0; --k) { // Horner over the row's 6 - j terms
            sum_alpha = sum_alpha * n + kAlpha[j][k];
            sum_beta = sum_beta * n + kBeta[j][k];
        }
        alpha[j] = power * sum_alpha;
        beta[j] = power * sum_beta;
    }
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
