// The pieces of drawing processing: the pair reader and object coordinates.
#include "files/dxf_ocs.h"
#include "files/dxf_tags.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

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

} // namespace
} // namespace dezadiravevava
