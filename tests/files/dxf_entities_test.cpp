// Which group codes of an entity start a point, tag by tag, for the kinds
// whose meaning of a code changes along the entity: against the group code
// tables of the DXF reference (and ezdxf's reading of them).
#include "files/dxf_entities.h"

#include <gtest/gtest.h>
#include <string>
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
