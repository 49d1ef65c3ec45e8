#include "geodesy/geoid_grid.h"

#include "geodesy/binary_values.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace dezadiravevava {

namespace {

using binary::Order;

constexpr std::size_t kHeaderBytes = 40;
// Memory stays bounded whatever file is named: a 1' grid of the whole Earth
// would hold 233 million nodes; national models hold a few million at most.
constexpr std::uint64_t kMaxNodes = 12'000'000;
constexpr float kNoValue = -88.8888f;
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

bool HasValue(float v) {
    return std::isfinite(v) && std::abs(v - kNoValue) > 1e-3f;
}

} // namespace

std::optional<GeoidGrid> GeoidGrid::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "no se puede abrir el archivo";
        return std::nullopt;
    }
    unsigned char header[kHeaderBytes];
    in.read(reinterpret_cast<char*>(header), kHeaderBytes);
    if (in.gcount() != static_cast<std::streamsize>(kHeaderBytes)) {
        error = "no es un geoide GTX válido (cabecera incompleta)";
        return std::nullopt;
    }
    GeoidGrid grid;
    grid.south_ = binary::Float64(header, Order::kBig);
    grid.west_ = binary::Float64(header + 8, Order::kBig);
    grid.lat_inc_ = binary::Float64(header + 16, Order::kBig);
    grid.lon_inc_ = binary::Float64(header + 24, Order::kBig);
    grid.rows_ = binary::Int32(header + 32, Order::kBig);
    grid.cols_ = binary::Int32(header + 36, Order::kBig);
    if (grid.west_ >= 180.0) {
        grid.west_ -= 360.0;
    }
    const bool sane = std::abs(grid.south_) <= 90.0 && std::abs(grid.west_) <= 180.0 &&
                      grid.lat_inc_ > 0.0 && grid.lat_inc_ <= 180.0 && grid.lon_inc_ > 0.0 &&
                      grid.lon_inc_ <= 360.0 && grid.rows_ >= 2 && grid.cols_ >= 2;
    if (!sane) {
        error = "no es un geoide GTX válido (cabecera fuera de rango)";
        return std::nullopt;
    }
    const std::uint64_t nodes =
        static_cast<std::uint64_t>(grid.rows_) * static_cast<std::uint64_t>(grid.cols_);
    if (nodes > kMaxNodes) {
        error = "el geoide tiene más de " + std::to_string(kMaxNodes) + " nodos";
        return std::nullopt;
    }
    grid.values_.resize(nodes);
    std::vector<unsigned char> block;
    constexpr std::size_t kNodesPerBlock = 16384;
    for (std::size_t node = 0; node < nodes;) {
        const std::size_t n = std::min<std::size_t>(kNodesPerBlock, nodes - node);
        block.resize(4 * n);
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(4 * n));
        if (static_cast<std::size_t>(in.gcount()) != 4 * n) {
            error = "no es un geoide GTX válido (faltan nodos)";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < n; ++i, ++node) {
            grid.values_[node] = binary::Float32(&block[4 * i], Order::kBig);
        }
    }
    return grid;
}

GeographicExtent GeoidGrid::extent() const {
    return {west_, west_ + (cols_ - 1) * lon_inc_, south_, south_ + (rows_ - 1) * lat_inc_};
}

bool GeoidGrid::UndulationAt(double lambda, double phi, double& n) const {
    // Offsets from the south-west node in degrees; longitudes taken modulo 360
    // from the west edge, so that grids given from 0 to 360 read the same.
    const double y = phi * kDegreesPerRadian - south_;
    double x = std::fmod(lambda * kDegreesPerRadian - west_, 360.0);
    if (x < 0.0) {
        x += 360.0;
    }
    const double fy = y / lat_inc_;
    double fx = x / lon_inc_;
    // A point a hair beyond the west edge (x just below 360) is on that edge.
    if (fx > cols_ - 1 && (360.0 - x) / lon_inc_ < 1e-9) {
        fx = 0.0;
    }
    const double tol = 1e-9;
    if (!(fy >= -tol && fy <= rows_ - 1 + tol && fx >= -tol && fx <= cols_ - 1 + tol)) {
        return false;
    }
    const int row = std::clamp(static_cast<int>(std::floor(fy)), 0, rows_ - 2);
    const int col = std::clamp(static_cast<int>(std::floor(fx)), 0, cols_ - 2);
    const double ty = std::clamp(fy - row, 0.0, 1.0);
    const double tx = std::clamp(fx - col, 0.0, 1.0);
    const auto value = [&](int r, int c) {
        return values_[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_) +
                       static_cast<std::size_t>(c)];
    };
    const float v00 = value(row, col), v01 = value(row, col + 1);
    const float v10 = value(row + 1, col), v11 = value(row + 1, col + 1);
    if (!HasValue(v00) || !HasValue(v01) || !HasValue(v10) || !HasValue(v11)) {
        return false;
    }
    n = (1.0 - tx) * (1.0 - ty) * v00 + tx * (1.0 - ty) * v01 + (1.0 - tx) * ty * v10 +
        tx * ty * v11;
    return true;
}

} // namespace dezadiravevava
