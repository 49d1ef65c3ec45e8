#include "geodesy/ntv2_grid.h"

#include "geodesy/binary_values.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace dezadiravevava {

namespace {

using binary::Order;

constexpr std::size_t kRecord = 16;
// Memory stays bounded whatever file is named: at most this many nodes in all
// (eight bytes each once read), which is far beyond any national grid.
constexpr std::uint64_t kMaxNodes = 6'000'000;
constexpr int kMaxSubgrids = 10'000;
constexpr int kMaxHeaderRecords = 64;

constexpr double kArcSecondsPerRadian = 180.0 * 3600.0 / std::numbers::pi;
constexpr double kRadiansPerArcSecond = std::numbers::pi / (180.0 * 3600.0);

// Convergence of the inverse and the most passes it may take.
constexpr double kInverseTolerance = 1e-12; // radians
constexpr int kMaxInversePasses = 20;

std::string Trimmed(const unsigned char* p, std::size_t n) {
    std::string text(reinterpret_cast<const char*>(p), n);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
        text.pop_back();
    }
    return text;
}

// One header: its records by keyword.
class Header {
public:
    Header(std::vector<unsigned char> bytes, Order order)
        : bytes_(std::move(bytes)), order_(order) {}

    const unsigned char* Find(std::string_view key) const {
        for (std::size_t at = 0; at + kRecord <= bytes_.size(); at += kRecord) {
            if (Trimmed(&bytes_[at], 8) == key) {
                return &bytes_[at + 8];
            }
        }
        return nullptr;
    }
    bool Integer(std::string_view key, std::int32_t& value) const {
        const unsigned char* p = Find(key);
        if (p) {
            value = binary::Int32(p, order_);
        }
        return p != nullptr;
    }
    bool Real(std::string_view key, double& value) const {
        const unsigned char* p = Find(key);
        if (p) {
            value = binary::Float64(p, order_);
        }
        return p != nullptr && std::isfinite(value);
    }
    std::string Text(std::string_view key) const {
        const unsigned char* p = Find(key);
        return p ? Trimmed(p, 8) : std::string();
    }

private:
    std::vector<unsigned char> bytes_;
    Order order_;
};

bool ReadBytes(std::ifstream& in, std::vector<unsigned char>& bytes, std::size_t count) {
    bytes.resize(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in.gcount()) == count;
}

// Number of nodes along one side: the span must be a whole number of steps.
bool NodeCount(double from, double to, double step, int& count) {
    const double steps = (to - from) / step;
    const double whole = std::round(steps);
    if (!(steps >= 1.0) || std::abs(steps - whole) > 1e-6 || whole > 1e7) {
        return false;
    }
    count = static_cast<int>(whole) + 1;
    return true;
}

// The cell of a coordinate along one side: index of its first node (0 ..
// count - 2) and the fraction of the step beyond it. A point on the last node
// belongs to the last cell.
void Cell(double offset, double step, int count, int& index, double& fraction) {
    const double f = offset / step;
    index = std::clamp(static_cast<int>(std::floor(f)), 0, count - 2);
    fraction = std::clamp(f - index, 0.0, 1.0);
}

// Whether the lattice holds a point given in arc seconds (longitude positive
// west). A point a hair outside an edge, by rounding, still belongs to it.
bool Contains(const Ntv2Subgrid& g, double lat, double lon_west) {
    const double tol_lat = g.lat_inc * 1e-9;
    const double tol_lon = g.lon_inc * 1e-9;
    return lat >= g.south - tol_lat && lat <= g.north + tol_lat && lon_west >= g.east - tol_lon &&
           lon_west <= g.west + tol_lon;
}

} // namespace

GeographicExtent Ntv2Subgrid::Extent() const {
    return {-west / 3600.0, -east / 3600.0, south / 3600.0, north / 3600.0};
}

std::optional<Ntv2Grid> Ntv2Grid::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "no se puede abrir el archivo";
        return std::nullopt;
    }
    const auto not_ntv2 = [&](const std::string& why) {
        error = "no es una rejilla NTv2 válida (" + why + ")";
        return std::nullopt;
    };

    // Overview header. NUM_OREC is 11 in every file; its byte order is the file's.
    std::vector<unsigned char> first;
    if (!ReadBytes(in, first, kRecord) || Trimmed(first.data(), 8) != "NUM_OREC") {
        return not_ntv2("falta NUM_OREC");
    }
    Order order = Order::kLittle;
    std::int32_t overview_records = binary::Int32(&first[8], order);
    if (overview_records < 1 || overview_records > kMaxHeaderRecords) {
        order = Order::kBig;
        overview_records = binary::Int32(&first[8], order);
    }
    if (overview_records < 1 || overview_records > kMaxHeaderRecords) {
        return not_ntv2("NUM_OREC fuera de rango");
    }
    std::vector<unsigned char> rest;
    if (!ReadBytes(in, rest, kRecord * static_cast<std::size_t>(overview_records - 1))) {
        return not_ntv2("cabecera incompleta");
    }
    first.insert(first.end(), rest.begin(), rest.end());
    const Header overview(std::move(first), order);
    std::int32_t subgrid_records = 0, subgrid_count = 0;
    if (!overview.Integer("NUM_SREC", subgrid_records) || subgrid_records < 1 ||
        subgrid_records > kMaxHeaderRecords) {
        return not_ntv2("NUM_SREC");
    }
    if (!overview.Integer("NUM_FILE", subgrid_count) || subgrid_count < 1 ||
        subgrid_count > kMaxSubgrids) {
        return not_ntv2("NUM_FILE");
    }
    const std::string units = overview.Text("GS_TYPE");
    if (units != "SECONDS") {
        error = "unidades " + (units.empty() ? std::string("desconocidas") : units) +
                " no admitidas (solo SECONDS)";
        return std::nullopt;
    }

    Ntv2Grid grid;
    std::uint64_t nodes_read = 0;
    std::vector<unsigned char> block;
    for (int k = 0; k < subgrid_count; ++k) {
        std::vector<unsigned char> bytes;
        if (!ReadBytes(in, bytes, kRecord * static_cast<std::size_t>(subgrid_records))) {
            return not_ntv2("subrejilla " + std::to_string(k + 1) + " incompleta");
        }
        const Header h(std::move(bytes), order);
        Ntv2Subgrid g;
        g.name = h.Text("SUB_NAME");
        g.parent = h.Text("PARENT");
        std::int32_t count = 0;
        if (!h.Real("S_LAT", g.south) || !h.Real("N_LAT", g.north) || !h.Real("E_LONG", g.east) ||
            !h.Real("W_LONG", g.west) || !h.Real("LAT_INC", g.lat_inc) ||
            !h.Real("LONG_INC", g.lon_inc) || !h.Integer("GS_COUNT", count)) {
            return not_ntv2("cabecera de la subrejilla " + std::to_string(k + 1));
        }
        if (!(g.lat_inc > 0.0) || !(g.lon_inc > 0.0) ||
            !NodeCount(g.south, g.north, g.lat_inc, g.rows) ||
            !NodeCount(g.east, g.west, g.lon_inc, g.cols) ||
            static_cast<std::int64_t>(g.rows) * g.cols != count) {
            return not_ntv2("límites de la subrejilla " + g.name);
        }
        nodes_read += static_cast<std::uint64_t>(count);
        if (nodes_read > kMaxNodes) {
            error = "la rejilla tiene más de " + std::to_string(kMaxNodes) + " nodos";
            return std::nullopt;
        }
        // The nodes, read in blocks: only the two shifts are kept.
        g.shifts.resize(2 * static_cast<std::size_t>(count));
        constexpr std::size_t kNodesPerBlock = 4096;
        for (std::size_t node = 0; node < static_cast<std::size_t>(count);) {
            const std::size_t n = std::min(kNodesPerBlock, static_cast<std::size_t>(count) - node);
            if (!ReadBytes(in, block, n * kRecord)) {
                return not_ntv2("faltan nodos de la subrejilla " + g.name);
            }
            for (std::size_t i = 0; i < n; ++i, ++node) {
                const float lat = binary::Float32(&block[i * kRecord], order);
                const float lon = binary::Float32(&block[i * kRecord + 4], order);
                if (!std::isfinite(lat) || !std::isfinite(lon)) {
                    return not_ntv2("desplazamiento no numérico en " + g.name);
                }
                g.shifts[2 * node] = lat;
                g.shifts[2 * node + 1] = lon;
            }
        }
        grid.subgrids_.push_back(std::move(g));
    }
    return grid;
}

GeographicExtent Ntv2Grid::extent() const {
    if (subgrids_.empty()) {
        return {};
    }
    GeographicExtent e = subgrids_.front().Extent();
    for (const Ntv2Subgrid& g : subgrids_) {
        const GeographicExtent s = g.Extent();
        e.west = std::min(e.west, s.west);
        e.east = std::max(e.east, s.east);
        e.south = std::min(e.south, s.south);
        e.north = std::max(e.north, s.north);
    }
    return e;
}

bool Ntv2Grid::ShiftAt(double lambda, double phi, double& dlambda, double& dphi) const {
    // The file's own units: arc seconds, longitude positive west.
    const double lat = phi * kArcSecondsPerRadian;
    const double lon_west = -lambda * kArcSecondsPerRadian;
    const Ntv2Subgrid* best = nullptr;
    for (const Ntv2Subgrid& g : subgrids_) {
        if (Contains(g, lat, lon_west) &&
            (!best || g.lat_inc * g.lon_inc < best->lat_inc * best->lon_inc)) {
            best = &g;
        }
    }
    if (!best) {
        return false;
    }
    const Ntv2Subgrid& g = *best;
    int row = 0, col = 0;
    double ty = 0.0, tx = 0.0;
    Cell(lat - g.south, g.lat_inc, g.rows, row, ty);
    Cell(lon_west - g.east, g.lon_inc, g.cols, col, tx);
    const auto node = [&](int r, int c) {
        return &g.shifts[2 * (static_cast<std::size_t>(r) * static_cast<std::size_t>(g.cols) +
                              static_cast<std::size_t>(c))];
    };
    const float* n00 = node(row, col);
    const float* n01 = node(row, col + 1);
    const float* n10 = node(row + 1, col);
    const float* n11 = node(row + 1, col + 1);
    const double w00 = (1.0 - tx) * (1.0 - ty), w01 = tx * (1.0 - ty);
    const double w10 = (1.0 - tx) * ty, w11 = tx * ty;
    const double shift_lat = w00 * n00[0] + w01 * n01[0] + w10 * n10[0] + w11 * n11[0];
    const double shift_lon_west = w00 * n00[1] + w01 * n01[1] + w10 * n10[1] + w11 * n11[1];
    dphi = shift_lat * kRadiansPerArcSecond;
    dlambda = -shift_lon_west * kRadiansPerArcSecond;
    return true;
}

bool Ntv2Grid::Forward(double& lambda, double& phi) const {
    double dlambda = 0.0, dphi = 0.0;
    if (!ShiftAt(lambda, phi, dlambda, dphi)) {
        return false;
    }
    lambda += dlambda;
    phi += dphi;
    return true;
}

bool Ntv2Grid::Inverse(double& lambda, double& phi) const {
    const double q_lambda = lambda, q_phi = phi;
    double p_lambda = q_lambda, p_phi = q_phi;
    for (int pass = 0; pass < kMaxInversePasses; ++pass) {
        double dlambda = 0.0, dphi = 0.0;
        if (!ShiftAt(p_lambda, p_phi, dlambda, dphi)) {
            return false;
        }
        const double next_lambda = q_lambda - dlambda;
        const double next_phi = q_phi - dphi;
        const bool converged = std::abs(next_lambda - p_lambda) <= kInverseTolerance &&
                               std::abs(next_phi - p_phi) <= kInverseTolerance;
        p_lambda = next_lambda;
        p_phi = next_phi;
        if (converged) {
            break;
        }
    }
    // The solution itself must lie on the grid (near an edge the last step
    // may cross it).
    double dlambda = 0.0, dphi = 0.0;
    if (!ShiftAt(p_lambda, p_phi, dlambda, dphi)) {
        return false;
    }
    lambda = p_lambda;
    phi = p_phi;
    return true;
}

} // namespace dezadiravevava
