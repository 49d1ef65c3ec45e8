// Writes small NTv2 and GTX grids for tests, node by node from a function, in
// either byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace quillon_test {

class GridBytes {
public:
    explicit GridBytes(bool big_endian) : big_(big_endian) {}

    void Raw(const void* data, std::size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        if (big_) {
            for (std::size_t i = n; i-- > 0;) {
                bytes_.push_back(p[i]);
            }
        } else {
            bytes_.insert(bytes_.end(), p, p + n);
        }
    }
    void Int32(std::int32_t v) { Raw(&v, 4); }
    void Float(float v) { Raw(&v, 4); }
    void Double(double v) { Raw(&v, 8); }
    void Text(const std::string& text, std::size_t width) {
        std::string padded = text;
        padded.resize(width, ' ');
        bytes_.insert(bytes_.end(), padded.begin(), padded.end());
    }
    // One 16-byte NTv2 record.
    void Key(const std::string& key) { Text(key, 8); }
    void IntRecord(const std::string& key, std::int32_t v) {
        Key(key);
        Int32(v);
        Int32(0);
    }
    void RealRecord(const std::string& key, double v) {
        Key(key);
        Double(v);
    }
    void TextRecord(const std::string& key, const std::string& v) {
        Key(key);
        Text(v, 8);
    }

    std::vector<unsigned char>& bytes() { return bytes_; }
    void Save(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes_.data()),
                  static_cast<std::streamsize>(bytes_.size()));
    }

private:
    bool big_;
    std::vector<unsigned char> bytes_;
};

// A sub-grid in the file's own terms: arc seconds, longitudes positive west.
struct TestSubgrid {
    std::string name;
    std::string parent = "NONE";
    double south, north, east, west, lat_inc, lon_inc;
    // Shifts at a node (latitude, positive-west longitude), arc seconds.
    std::function<std::pair<float, float>(double lat, double lon_west)> shift;
    std::int32_t gs_count = -1; // -1: rows x cols
    bool write_nodes = true;    // false: the header alone
};

inline GridBytes Ntv2Bytes(const std::vector<TestSubgrid>& grids, bool big_endian,
                           const std::string& units = "SECONDS") {
    GridBytes b(big_endian);
    b.IntRecord("NUM_OREC", 11);
    b.IntRecord("NUM_SREC", 11);
    b.IntRecord("NUM_FILE", static_cast<std::int32_t>(grids.size()));
    b.TextRecord("GS_TYPE", units);
    b.TextRecord("VERSION", "TEST");
    b.TextRecord("SYSTEM_F", "ED50");
    b.TextRecord("SYSTEM_T", "ETRS89");
    b.RealRecord("MAJOR_F", 6378388.0);
    b.RealRecord("MINOR_F", 6356911.946);
    b.RealRecord("MAJOR_T", 6378137.0);
    b.RealRecord("MINOR_T", 6356752.314);
    for (const TestSubgrid& g : grids) {
        // Nodes along a side; a broken increment (the files some tests damage)
        // writes a single node.
        const auto along = [](double from, double to, double inc) {
            return inc > 0.0 ? static_cast<int>((to - from) / inc + 0.5) + 1 : 1;
        };
        const int rows = along(g.south, g.north, g.lat_inc);
        const int cols = along(g.east, g.west, g.lon_inc);
        b.TextRecord("SUB_NAME", g.name);
        b.TextRecord("PARENT", g.parent);
        b.TextRecord("CREATED", "20240101");
        b.TextRecord("UPDATED", "20240101");
        b.RealRecord("S_LAT", g.south);
        b.RealRecord("N_LAT", g.north);
        b.RealRecord("E_LONG", g.east);
        b.RealRecord("W_LONG", g.west);
        b.RealRecord("LAT_INC", g.lat_inc);
        b.RealRecord("LONG_INC", g.lon_inc);
        b.IntRecord("GS_COUNT", g.gs_count >= 0 ? g.gs_count : rows * cols);
        // From the south-east corner, row by row northwards, each row westwards.
        for (int r = 0; g.write_nodes && r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                const auto [lat, lon] = g.shift(g.south + r * g.lat_inc, g.east + c * g.lon_inc);
                b.Float(lat);
                b.Float(lon);
                b.Float(0.01f);
                b.Float(0.01f);
            }
        }
    }
    b.Key("END");
    b.Double(0.0);
    return b;
}

// A GTX geoid: south-west node, increments in degrees, N at each node (no
// node at all when `n` is empty).
inline GridBytes GtxBytes(double south, double west, double lat_inc, double lon_inc, int rows,
                          int cols, const std::function<float(double lat, double lon)>& n) {
    GridBytes b(true);
    b.Double(south);
    b.Double(west);
    b.Double(lat_inc);
    b.Double(lon_inc);
    b.Int32(rows);
    b.Int32(cols);
    for (int r = 0; n && r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            b.Float(n(south + r * lat_inc, west + c * lon_inc));
        }
    }
    return b;
}

} // namespace quillon_test
