// Which group codes of an entity start a point, tag by tag, for the kinds
// whose meaning of a code changes along the entity: against the group code
// tables of the DXF reference (and ezdxf's reading of them).
#include "files/dxf_entities.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace dezadiravevava {
namespace {

constexpr PointFrame W = PointFrame::kWorld;
constexpr PointFrame O = PointFrame::kObject;
constexpr PointFrame E = PointFrame::kElevation;
constexpr PointFrame N = PointFrame::kNone;

DxfTag Tag(int code, const std::string& value) {
    DxfTag tag;
    tag.code = code;
    tag.value_line = value + "\n";
    tag.value_end = 1;
    return tag;
}

TEST(EntityPoints, EachTagOfAnEntityInItsFrame) {
    struct Case {
        std::string kind;
        std::vector<std::pair<int, std::string>> tags;
        std::vector<PointFrame> frames; // of each x code, in order
    };
    const std::vector<Case> cases = {
        // MTEXT: 10 insertion, 11 direction; in its column data 10 the
        // direction again, 11 the insertion again.
        {"MTEXT",
         {{10, "1"}, {11, "1"}, {101, "Embedded Object"}, {10, "1"}, {11, "1"}},
         {W, N, N, N, W}},
        // ATTRIB: its embedded MTEXT's 10 is the insertion, 11 the direction.
        {"ATTRIB",
         {{10, "1"}, {11, "1"}, {101, "Embedded Object"}, {10, "1"}, {11, "1"}},
         {O, O, N, W, N}},
        // MULTILEADER: 10 outside the context data is the block's scale.
        {"MULTILEADER",
         {{10, "1"},
          {300, "CONTEXT_DATA{"},
          {10, "1"},
          {11, "0"},
          {12, "1"},
          {13, "1"},
          {15, "1"},
          {110, "1"},
          {111, "1"},
          {302, "LEADER{"},
          {10, "1"},
          {11, "1"},
          {12, "1"},
          {13, "1"},
          {304, "LEADER_LINE{"},
          {10, "1"},
          {11, "1"},
          {12, "1"},
          {305, "}"},
          {303, "}"},
          {301, "}"},
          {302, "texto"},
          {10, "1"}},
         {N, N, W, N, W, N, W, W, N, N, W, N, W, W, N, W, W, W, N, N, N, N, N}},
        // HATCH: elevation point, a polyline path, an edge path with a line
        // and an ellipse (11 its axis), then a seed point.
        {"HATCH",
         {{10, "0"},
          {91, "2"},
          {92, "2"},
          {10, "1"},
          {92, "1"},
          {72, "1"},
          {10, "1"},
          {11, "1"},
          {72, "3"},
          {10, "1"},
          {11, "1"},
          {75, "1"},
          {10, "1"}},
         {E, N, N, O, N, N, O, O, N, O, N, N, O}},
        {"SECTION", {{10, "0"}, {11, "1"}, {12, "1"}}, {N, W, W}},
        {"ARC_DIMENSION",
         {{10, "1"}, {11, "1"}, {12, "1"}, {13, "1"}, {16, "1"}, {17, "1"}},
         {W, O, N, W, W, W}},
        {"PDFUNDERLAY", {{10, "1"}, {11, "1"}}, {O, N}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const EntityKind* kind = FindEntityKind(c.kind);
        ASSERT_NE(kind, nullptr);
        EntityPoints points(*kind);
        ASSERT_EQ(c.tags.size(), c.frames.size());
        for (std::size_t i = 0; i < c.tags.size(); ++i) {
            EXPECT_EQ(points.FrameOf(Tag(c.tags[i].first, c.tags[i].second)), c.frames[i])
                << "tag " << i << ": " << c.tags[i].first;
        }
    }
}

// The points of the kinds whose codes keep one meaning, from the group code
// tables of the DXF reference: 1n is the x of a point in the frame given, a
// code not listed is no point (a direction, an offset, a tangent).
TEST(EntityPoints, PointCodesOfEachKind) {
    struct Case {
        const char* kind;
        std::vector<std::pair<int, PointFrame>> points; // codes 10 to 17 not listed: N
    };
    const Case cases[] = {
        {"POINT", {{10, W}}},
        {"LINE", {{10, W}, {11, W}}},
        {"LWPOLYLINE", {{10, O}}},
        {"POLYLINE", {{10, E}}},
        {"TEXT", {{10, O}, {11, O}}},
        {"MTEXT", {{10, W}}}, // 11 is the direction
        {"CIRCLE", {{10, O}}},
        {"ARC", {{10, O}}},
        {"ELLIPSE", {{10, W}}},         // 11 is the major axis
        {"SPLINE", {{10, W}, {11, W}}}, // 12, 13 are tangents
        {"INSERT", {{10, O}}},
        {"SOLID", {{10, O}, {11, O}, {12, O}, {13, O}}},
        {"TRACE", {{10, O}, {11, O}, {12, O}, {13, O}}},
        {"3DFACE", {{10, W}, {11, W}, {12, W}, {13, W}}},
        {"DIMENSION", {{10, W}, {11, O}, {13, W}, {14, W}, {15, W}, {16, O}}},
        {"LARGE_RADIAL_DIMENSION", {{10, W}, {11, O}, {13, W}, {14, W}, {15, W}}},
        {"XLINE", {{10, W}}}, // 11 is the direction
        {"RAY", {{10, W}}},
        {"LEADER", {{10, W}}},
        {"MLINE", {{10, W}, {11, W}}}, // 12, 13 are directions
        {"IMAGE", {{10, W}}},          // 11, 12 are pixel vectors
        {"TOLERANCE", {{10, W}}},      // 11 is the direction
        {"ACAD_TABLE", {{10, W}}},     // 11 is the direction
        {"HELIX", {{10, W}, {11, W}}}, // 12 is the axis vector
        {"LIGHT", {{10, W}, {11, W}}},
        {"SHAPE", {{10, O}}},
        {"WIPEOUT", {{10, W}}}, // 11, 12 are pixel vectors
        {"MESH", {{10, W}}},
        {"PDFUNDERLAY", {{10, O}}},
        {"DWFUNDERLAY", {{10, O}}},
        {"DGNUNDERLAY", {{10, O}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const EntityKind* kind = FindEntityKind(c.kind);
        ASSERT_NE(kind, nullptr);
        for (int code = 10; code <= 18; ++code) {
            PointFrame expected = N;
            for (const auto& [point, frame] : c.points) {
                if (point == code) {
                    expected = frame;
                }
            }
            EntityPoints points(*kind);
            EXPECT_EQ(points.FrameOf(Tag(code, "1")), expected) << code;
        }
    }
}

// A VERTEX's 10 from its POLYLINE's flags (70: 8 a 3D polyline, 16 a mesh,
// 64 a polyface) and its own (32 a 3D vertex, 64 a mesh or polyface vertex,
// 128 with 64 clear a face record, whose 10 is a placeholder).
TEST(EntityPoints, VertexFrameFollowsItsPolyline) {
    const struct {
        int polyline_flags, vertex_flags;
        PointFrame frame;
    } cases[] = {
        {0, 0, O}, {1, 1, O}, {8, 32, W}, {16, 64, W}, {64, 192, W}, {64, 128, N},
    };
    for (const auto& c : cases) {
        EntityPoints points(*FindEntityKind("VERTEX"), PolylineShapeOf(c.polyline_flags),
                            c.vertex_flags);
        EXPECT_EQ(points.FrameOf(Tag(10, "1")), c.frame)
            << c.polyline_flags << "/" << c.vertex_flags;
        EXPECT_EQ(points.FrameOf(Tag(11, "1")), N);
    }
}

// A HATCH read tag by tag: its elevation point, a polyline path with bulges,
// an edge path with a line, an arc, an ellipse and a spline (control and fit
// points; tangents and the ellipse's axis are vectors), a polyline path after
// it, the pattern, then the seed points.
TEST(EntityPoints, HatchBoundaryPaths) {
    const std::vector<std::tuple<int, std::string, PointFrame>> tags = {
        {10, "0", E},
        {20, "0", N},
        {30, "2", N},
        {2, "ANSI31", N},
        {70, "0", N},
        {71, "1", N},
        {91, "3", N},
        // a polyline path (bit 2 of 92) whose 72 says it has bulges
        {92, "7", N},
        {72, "1", N},
        {73, "1", N},
        {93, "2", N},
        {10, "1", O},
        {20, "1", N},
        {42, "0.5", N},
        {10, "2", O},
        {20, "1", N},
        {42, "0", N},
        {97, "0", N},
        // an edge path
        {92, "1", N},
        {93, "4", N},
        {72, "1", N},
        {10, "1", O},
        {20, "1", N},
        {11, "2", O},
        {21, "1", N}, // line
        {72, "2", N},
        {10, "3", O},
        {20, "1", N},
        {40, "1", N},
        {50, "0", N},
        {51, "90", N},
        {73, "1", N}, // arc
        {72, "3", N},
        {10, "4", O},
        {20, "1", N},
        {11, "2", N},
        {21, "0", N},
        {40, "0.5", N},
        {50, "0", N},
        {51, "360", N},
        {73, "1", N}, // ellipse: 11 its axis
        {72, "4", N},
        {94, "3", N},
        {73, "0", N},
        {74, "0", N},
        {95, "8", N},
        {96, "4", N},
        {40, "0", N},
        {10, "5", O},
        {20, "1", N},
        {10, "6", O},
        {20, "2", N},
        {97, "2", N},
        {11, "5", O},
        {21, "1", N},
        {11, "6", O},
        {21, "2", N},
        {12, "1", N},
        {22, "0", N},
        {13, "1", N},
        {23, "0", N}, // spline
        {97, "0", N},
        // a polyline path without bulges after the edge path: its 72 is no edge type
        {92, "2", N},
        {72, "0", N},
        {73, "1", N},
        {93, "1", N},
        {10, "7", O},
        {20, "1", N},
        {97, "0", N},
        // the pattern, then one seed point
        {75, "1", N},
        {76, "1", N},
        {52, "0", N},
        {41, "1", N},
        {77, "0", N},
        {78, "1", N},
        {53, "45", N},
        {43, "0", N},
        {44, "0", N},
        {45, "-0.1", N},
        {46, "0.1", N},
        {79, "0", N},
        {47, "0.01", N},
        {98, "1", N},
        {10, "8", O},
        {20, "1", N},
    };
    EntityPoints points(*FindEntityKind("HATCH"));
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const auto& [code, value, frame] = tags[i];
        EXPECT_EQ(points.FrameOf(Tag(code, value)), frame) << "tag " << i << ": " << code;
    }
}

TEST(EntityPoints, OpaqueKindsAreKnownAndHaveNoPoints) {
    for (const char* name :
         {"3DSOLID", "REGION", "BODY", "SURFACE", "EXTRUDEDSURFACE", "ACAD_PROXY_ENTITY"}) {
        EXPECT_TRUE(IsOpaqueKind(name)) << name;
        EXPECT_EQ(FindEntityKind(name), nullptr) << name;
    }
    EXPECT_FALSE(IsOpaqueKind("MPOLYGON"));
}

} // namespace
} // namespace dezadiravevava
