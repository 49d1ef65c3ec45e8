// Points of western Andalusia in UTM zones 29 and 30, ED50 and ETRS89, as
// PROJ computes them (tests/data/forced_zones_epsg1632.tsv), made into TXT
// point files and drawings, and the engine's results checked against them.
#pragma once

#include "support/dxf_pairs.h"
#include "support/reference_table.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace quillon_test {

// The engine's transverse Mercator is a series: against PROJ's exact one it
// is good to 1 mm forward and 4.5 mm inverse at 4.5 degrees from the central
// meridian (the western edge of the extended zone 30, the eastern edge of
// zone 29 as far as these points go). A point sent to the wrong zone moves by
// hundreds of kilometres; one left untransformed, by about 200 m.
inline constexpr double kZoneTolerance = 5e-3; // metres

struct ZonedPoint {
    double lon = 0;      // ED50 longitude, degrees
    double ed50[2][2]{}; // [zone 29, zone 30][x, y], h = 0
    double etrs[2][2]{}; // ETRS89 by EPSG:1632, [zone 29, zone 30][x, y]

    bool West() const { return lon < -6.0; } // its natural zone is 29
    const double* Ed50(int zone) const { return ed50[zone == 29 ? 0 : 1]; }
    const double* Etrs(int zone) const { return etrs[zone == 29 ? 0 : 1]; }
    // The zone a point gets when the output zone is forced (or 0: its own).
    int ZoneFor(int forced) const { return forced >= 1 ? forced : (West() ? 29 : 30); }
};

// The reference points west of 4.5 W: within 4.5 degrees of the central
// meridians of both zones 29 and 30, on both sides of 6 W.
inline std::vector<ZonedPoint> WesternPoints() {
    const ReferenceTable t("forced_zones_epsg1632.tsv");
    std::vector<ZonedPoint> out;
    for (const auto& r : t.rows()) {
        ZonedPoint p;
        p.lon = r[t.Column("ed50_lon")];
        if (p.lon >= -4.5) {
            continue;
        }
        const char* zones[2] = {"29", "30"};
        for (int z = 0; z < 2; ++z) {
            const std::string s = zones[z];
            p.ed50[z][0] = r[t.Column("ed50_utm" + s + "_x")];
            p.ed50[z][1] = r[t.Column("ed50_utm" + s + "_y")];
            p.etrs[z][0] = r[t.Column("etrs_utm" + s + "_x")];
            p.etrs[z][1] = r[t.Column("etrs_utm" + s + "_y")];
        }
        out.push_back(p);
    }
    return out;
}

inline std::string Number(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    return buffer;
}

// A TXT point file of the points in one ED50 UTM zone; point i is numbered
// i + 1 and has the height 100 + i. Field 5 says `zone_field` (the zone itself
// unless told).
inline std::string UtmPointFile(const std::vector<ZonedPoint>& points, int zone,
                                int zone_field = 0) {
    std::string out = std::string("Puntos ED50 UTM ") + std::to_string(zone) + "\r\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        out += std::to_string(i + 1) + "\t" + Number(points[i].Ed50(zone)[0]) + "\t" +
               Number(points[i].Ed50(zone)[1]) + "\t" + std::to_string(100 + i) + "\t" +
               std::to_string(zone_field ? zone_field : zone) + "\r\n";
    }
    return out;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) {
        fields.push_back(f);
    }
    return fields;
}

// The result of UtmPointFile carried to ETRS89 UTM with the output zone
// `forced` (0: each point's own): every point in its zone, with its height.
inline void ExpectUtmResult(const std::string& output, const std::vector<ZonedPoint>& points,
                            int forced, const std::string& what) {
    std::istringstream in(output);
    std::string line;
    std::getline(in, line); // title
    std::size_t i = 0;
    for (; std::getline(in, line) && i < points.size(); ++i) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::vector<std::string> f = SplitTabs(line);
        ASSERT_EQ(f.size(), 5u) << what << ": " << line;
        const ZonedPoint& p = points[i];
        const int zone = p.ZoneFor(forced);
        EXPECT_EQ(f[0], std::to_string(i + 1)) << what;
        EXPECT_NEAR(std::stod(f[1]), p.Etrs(zone)[0], kZoneTolerance)
            << what << ", point " << i + 1 << " at " << p.lon << " in zone " << zone;
        EXPECT_NEAR(std::stod(f[2]), p.Etrs(zone)[1], kZoneTolerance)
            << what << ", point " << i + 1 << " at " << p.lon << " in zone " << zone;
        EXPECT_EQ(f[3], std::to_string(100 + i) + ".000") << what; // UTM to UTM keeps H
        EXPECT_EQ(f[4], std::to_string(zone) + ".") << what;
    }
    EXPECT_EQ(i, points.size()) << what << ": points missing";
}

// A drawing in one ED50 UTM zone whose coordinate pairs are the points in
// order: a TEXT with insertion and alignment points, a LINE, a POINT, an
// LWPOLYLINE of three vertices, a POLYLINE of two VERTEXes, then POINTs.
inline std::string UtmDrawing(const std::vector<ZonedPoint>& points, int zone) {
    std::size_t next = 0;
    const auto x = [&] { return Number(points[next].Ed50(zone)[0]); };
    const auto y = [&] { return Number(points[next++].Ed50(zone)[1]); };
    using Entity = std::vector<std::pair<int, std::string>>;
    std::vector<Entity> entities;
    Entity text = {{0, "TEXT"}, {8, "ROTULOS"}};
    text.insert(text.end(), {{10, x()}, {20, y()}, {30, "0.0"}, {40, "2.5"}, {1, "Mojon 7"}});
    text.insert(text.end(), {{72, "1"}, {11, x()}, {21, y()}, {31, "0.0"}});
    entities.push_back(text);
    Entity line = {{0, "LINE"}, {8, "LINDES"}, {10, x()}, {20, y()}, {30, "12.5"}};
    line.insert(line.end(), {{11, x()}, {21, y()}, {31, "14.0"}});
    entities.push_back(line);
    entities.push_back({{0, "POINT"}, {8, "PUNTOS"}, {10, x()}, {20, y()}, {30, "7.0"}});
    Entity lw = {{0, "LWPOLYLINE"}, {8, "PARCELA"}, {90, "3"}, {70, "0"}};
    for (int k = 0; k < 3; ++k) {
        lw.insert(lw.end(), {{10, x()}, {20, y()}});
    }
    entities.push_back(lw);
    entities.push_back(
        {{0, "POLYLINE"}, {8, "CAMINO"}, {66, "1"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}});
    for (int k = 0; k < 2; ++k) {
        entities.push_back({{0, "VERTEX"}, {8, "CAMINO"}, {10, x()}, {20, y()}, {30, "0.0"}});
    }
    entities.push_back({{0, "SEQEND"}, {8, "CAMINO"}});
    while (next < points.size()) {
        entities.push_back({{0, "POINT"}, {8, "PUNTOS"}, {10, x()}, {20, y()}, {30, "0.0"}});
    }
    return DxfDrawing(entities);
}

// The drawing of UtmDrawing carried to ETRS89 UTM with the output zone
// `forced`: every pair moved into its zone, the TEXT's alignment point too.
inline void ExpectDrawingResult(const std::string& output, const std::vector<ZonedPoint>& points,
                                int forced, const std::string& what) {
    std::vector<DxfPair> pairs = ReadDxfPairs(output);
    std::erase_if(pairs, [](const DxfPair& p) { return p.entity == "POLYLINE"; }); // its 0, 0
    ASSERT_EQ(pairs.size(), points.size()) << what;
    ASSERT_EQ(pairs[1].entity, "TEXT") << what;
    ASSERT_EQ(pairs[1].code, 11) << what << ": the TEXT's alignment point";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ZonedPoint& p = points[i];
        const int zone = p.ZoneFor(forced);
        EXPECT_NEAR(pairs[i].x, p.Etrs(zone)[0], kZoneTolerance)
            << what << ": " << pairs[i].entity << " pair " << pairs[i].code << " (#" << i << ") at "
            << p.lon << " in zone " << zone;
        EXPECT_NEAR(pairs[i].y, p.Etrs(zone)[1], kZoneTolerance)
            << what << ": " << pairs[i].entity << " pair " << pairs[i].code << " (#" << i << ") at "
            << p.lon << " in zone " << zone;
    }
}

} // namespace quillon_test
