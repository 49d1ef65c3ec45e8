// The pieces of drawing processing: the pair reader and object coordinates.
#include "files/dxf_ocs.h"
#include "files/dxf_tags.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using quillon_test::TempDir;
using quillon_test::WriteWhole;

TEST(DxfGroupCode, WrittenWithOrWithoutBlanks) {
    struct Case {
        std::string text;
        bool valid;
        int code;
    };
    const Case cases[] = {
        {"  0", true, 0},   {"0", true, 0},       {" 10 ", true, 10},
        {"\t8", true, 8},   {"1071", true, 1071}, {"\xEF\xBB\xBF  0", true, 0},
        {"", false, 0},     {"   ", false, 0},    {"1O", false, 0},
        {"10.0", false, 0}, {"0x10", false, 0},   {"99999999999", false, 0},
    };
    for (const Case& c : cases) {
        int code = -1;
        EXPECT_EQ(ParseGroupCode(c.text, code), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(code, c.code) << c.text;
        }
    }
}

TEST(DxfTagReader, PairsKeepTheirBytesAndLineNumbers) {
    TempDir dir;
    const std::string path = dir.File("d.dxf");
    WriteWhole(path, "  0\r\nSECTION\r\n2\nENTITIES \n999\n\n 10\n1.5");
    DxfTagReader reader;
    ASSERT_TRUE(reader.Open(path));
    DxfTag tag;
    ASSERT_TRUE(reader.Next(tag));
    EXPECT_EQ(tag.code, 0);
    EXPECT_EQ(tag.code_line, "  0\r\n");
    EXPECT_EQ(tag.value(), "SECTION");
    EXPECT_EQ(tag.value_ending(), "\r\n");
    EXPECT_EQ(tag.line, 1u);
    const std::uint64_t second = tag.end_position;
    ASSERT_TRUE(reader.Next(tag));
    EXPECT_TRUE(tag.Is(2, "ENTITIES"));
    EXPECT_EQ(tag.value(), "ENTITIES ");
    ASSERT_TRUE(reader.Next(tag));
    EXPECT_EQ(tag.value(), ""); // an empty value is a value
    ASSERT_TRUE(reader.Next(tag));
    EXPECT_EQ(tag.value_line, "1.5"); // the last line needs no end
    EXPECT_EQ(tag.value_line_number(), 8u);
    EXPECT_FALSE(reader.Next(tag));
    EXPECT_EQ(reader.status(), DxfTagReader::Status::kEnd);

    // Reading again from a pair found before.
    ASSERT_TRUE(reader.Seek(second, 2));
    ASSERT_TRUE(reader.Next(tag));
    EXPECT_EQ(tag.line, 3u);
    EXPECT_EQ(tag.code, 2);

    WriteWhole(path, "  0\nSECTION\n  2");
    ASSERT_TRUE(reader.Open(path));
    EXPECT_TRUE(reader.Next(tag));
    EXPECT_FALSE(reader.Next(tag));
    EXPECT_EQ(reader.status(), DxfTagReader::Status::kCut);
    EXPECT_EQ(reader.line(), 3u);
}

// Reference values from ezdxf's OCS class.
TEST(ObjectFrame, ArbitraryAxisAlgorithm) {
    const Vector3 p{1, 2, 3};
    struct Case {
        Vector3 extrusion;
        Vector3 world;
    };
    const Case cases[] = {
        {{0, 0, 1}, {1, 2, 3}},
        {{0, 0, -1}, {-1, 2, -3}},
        {{0, 0, -2.5}, {-1, 2, -3}},
        {{0.001, 0, 1}, {1.002999498500376, 2.0, 2.9989985005011244}},
        {{0.3, -0.2, 0.93}, {-0.09457110941600311, 1.2648978314319983, 3.5200979789350257}},
        {{1, 0, 0}, {3, 1, 2}},
    };
    for (const Case& c : cases) {
        const ObjectFrame frame(c.extrusion);
        ASSERT_TRUE(frame.valid());
        const Vector3 w = frame.ToWorld(p);
        EXPECT_NEAR(w.x, c.world.x, 1e-12);
        EXPECT_NEAR(w.y, c.world.y, 1e-12);
        EXPECT_NEAR(w.z, c.world.z, 1e-12);
        const Vector3 back = frame.ToObject(w);
        EXPECT_NEAR(back.x, p.x, 1e-12);
        EXPECT_NEAR(back.y, p.y, 1e-12);
        EXPECT_NEAR(back.z, p.z, 1e-12);
    }
    EXPECT_TRUE(ObjectFrame(Vector3{0, 0, 1}).is_world());
    EXPECT_TRUE(ObjectFrame(Vector3{0, 0, -1}).is_upright());
    EXPECT_FALSE(ObjectFrame(Vector3{0, 0, -1}).is_world());
    EXPECT_FALSE(ObjectFrame(Vector3{0.001, 0, 1}).is_upright());
    EXPECT_FALSE(ObjectFrame(Vector3{0, 0, 0}).valid());
}

// The axes of any extrusion: unit length, at right angles, right-handed,
// the third one the extrusion itself; AutoCAD's frame of (1, 0, 0) has Ax =
// world Y and Ay = world Z, that of (0, 0, -1) mirrors x.
TEST(ObjectFrame, AxesAreOrthonormalAndRightHanded) {
    const auto dot = [](const Vector3& a, const Vector3& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    };
    const Vector3 extrusions[] = {{0, 0, -1},         {1, 0, 0},       {0, -1, 0},
                                  {0.3, -0.2, 0.93},  {0.01, 0.01, 1}, {-0.7, 0.7, 0.1},
                                  {0.999, 0.0, 0.001}};
    for (const Vector3& n : extrusions) {
        const ObjectFrame frame(n);
        const Vector3 ax = frame.ToWorld({1, 0, 0});
        const Vector3 ay = frame.ToWorld({0, 1, 0});
        const Vector3 az = frame.ToWorld({0, 0, 1});
        const double length = std::sqrt(dot(n, n));
        EXPECT_NEAR(dot(ax, ax), 1.0, 1e-15);
        EXPECT_NEAR(dot(ay, ay), 1.0, 1e-15);
        EXPECT_NEAR(dot(ax, ay), 0.0, 1e-15);
        EXPECT_NEAR(dot(ax, az), 0.0, 1e-15);
        EXPECT_NEAR(az.x, n.x / length, 1e-15);
        EXPECT_NEAR(az.y, n.y / length, 1e-15);
        EXPECT_NEAR(az.z, n.z / length, 1e-15);
        // Ax × Ay = N
        EXPECT_NEAR(ax.y * ay.z - ax.z * ay.y, az.x, 1e-15);
        EXPECT_NEAR(ax.z * ay.x - ax.x * ay.z, az.y, 1e-15);
        EXPECT_NEAR(ax.x * ay.y - ax.y * ay.x, az.z, 1e-15);
    }
    const struct {
        Vector3 n, ax, ay;
    } known[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    for (const auto& k : known) {
        const ObjectFrame frame(k.n);
        const Vector3 ax = frame.ToWorld({1, 0, 0});
        const Vector3 ay = frame.ToWorld({0, 1, 0});
        EXPECT_NEAR(ax.x, k.ax.x, 1e-15);
        EXPECT_NEAR(ax.y, k.ax.y, 1e-15);
        EXPECT_NEAR(ax.z, k.ax.z, 1e-15);
        EXPECT_NEAR(ay.x, k.ay.x, 1e-15);
        EXPECT_NEAR(ay.y, k.ay.y, 1e-15);
        EXPECT_NEAR(ay.z, k.ay.z, 1e-15);
    }
}

} // namespace
} // namespace dezadiravevava
