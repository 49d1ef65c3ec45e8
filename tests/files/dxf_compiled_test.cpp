// Compiled tags: value types by group code range (DXF reference, ezdxf's
// tag types) and the coordinates of each point gathered from raw tags
// written in order or interleaved.
#include "files/dxf_compiled.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace dezadiravevava {
namespace {

TEST(DxfValueType, ByGroupCodeRange) {
    using T = DxfValueType;
    const std::pair<int, T> cases[] = {
        {0, T::kString},     {1, T::kString},    {5, T::kString},    {8, T::kString},
        {10, T::kPoint},     {18, T::kPoint},    {20, T::kDouble},   {38, T::kDouble},
        {40, T::kDouble},    {59, T::kDouble},   {62, T::kInteger},  {70, T::kInteger},
        {90, T::kInteger},   {100, T::kString},  {102, T::kString},  {105, T::kString},
        {110, T::kPoint},    {112, T::kPoint},   {120, T::kDouble},  {140, T::kDouble},
        {170, T::kInteger},  {210, T::kPoint},   {220, T::kDouble},  {280, T::kInteger},
        {290, T::kInteger},  {300, T::kString},  {310, T::kString},  {330, T::kString},
        {370, T::kInteger},  {390, T::kString},  {420, T::kInteger}, {430, T::kString},
        {460, T::kDouble},   {999, T::kString},  {1000, T::kString}, {1010, T::kPoint},
        {1013, T::kPoint},   {1020, T::kDouble}, {1040, T::kDouble}, {1070, T::kInteger},
        {1071, T::kInteger},
    };
    for (const auto& [code, type] : cases) {
        EXPECT_EQ(ValueTypeOf(code), type) << code;
    }
}

std::vector<DxfTag> Tags(const std::vector<std::pair<int, std::string>>& pairs) {
    std::vector<DxfTag> tags;
    for (const auto& [code, value] : pairs) {
        DxfTag tag;
        tag.code = code;
        tag.code_line = std::to_string(code) + "\r\n";
        tag.value_line = value + "\r\n";
        tag.value_end = 2;
        tags.push_back(tag);
    }
    return tags;
}

TEST(CompileTags, PairsEachPointFromItsRawTags) {
    constexpr std::size_t X = CompiledTag::kNoTag;
    struct Expected {
        int code;
        DxfValueType type;
        std::array<std::size_t, 3> raw;
        std::array<double, 3> number;
        bool valid = true;
    };
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> tags;
        std::vector<Expected> compiled;
    };
    using T = DxfValueType;
    const Case cases[] = {
        {"in order, with and without z",
         {{8, "0"}, {10, "1.5"}, {20, "-2"}, {30, "3"}, {11, "4"}, {21, "5"}, {62, "7"}},
         {{8, T::kString, {0, X, X}, {}},
          {10, T::kPoint, {1, 2, 3}, {1.5, -2, 3}},
          {11, T::kPoint, {4, 5, X}, {4, 5, 0}},
          {62, T::kInteger, {6, X, X}, {}}}},
        {"interleaved, as old programs wrote them",
         {{10, "1"}, {11, "2"}, {20, "3"}, {21, "4"}, {30, "5"}, {31, "6"}},
         {{10, T::kPoint, {0, 2, 4}, {1, 3, 5}}, {11, T::kPoint, {1, 3, 5}, {2, 4, 6}}}},
        {"each y belongs to the x before it, not to the next x of its code",
         {{10, "1"}, {10, "2"}, {20, "3"}},
         {{10, T::kPoint, {0, X, X}, {1, 0, 0}}, {10, T::kPoint, {1, 2, X}, {2, 3, 0}}}},
        {"a y with no x stays a real of its own",
         {{20, "3"}, {42, "0.5"}},
         {{20, T::kDouble, {0, X, X}, {3, 0, 0}}, {42, T::kDouble, {1, X, X}, {0.5, 0, 0}}}},
        {"values that are no number",
         {{10, "1"}, {20, "abc"}, {40, "1e400"}, {70, "x"}},
         {{10, T::kPoint, {0, 1, X}, {1, 0, 0}, false},
          {40, T::kDouble, {2, X, X}, {}, false},
          {70, T::kInteger, {3, X, X}, {}, false}}},
        {"extrusion and extended data points",
         {{210, "0"}, {220, "0"}, {230, "-1"}, {1010, "7"}, {1020, "8"}, {1030, "9"}},
         {{210, T::kPoint, {0, 1, 2}, {0, 0, -1}}, {1010, T::kPoint, {3, 4, 5}, {7, 8, 9}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<DxfTag> tags = Tags(c.tags);
        const std::vector<CompiledTag> compiled = CompileTags(tags);
        ASSERT_EQ(compiled.size(), c.compiled.size());
        for (std::size_t i = 0; i < compiled.size(); ++i) {
            const Expected& e = c.compiled[i];
            EXPECT_EQ(compiled[i].code, e.code) << i;
            EXPECT_EQ(compiled[i].type, e.type) << i;
            EXPECT_EQ(compiled[i].raw, e.raw) << i;
            EXPECT_EQ(compiled[i].valid, e.valid) << i;
            if (e.type == T::kPoint || e.type == T::kDouble) {
                EXPECT_EQ(compiled[i].number, e.number) << i;
            }
        }
    }
}

TEST(CompileTags, IntegersReadWithBlanks) {
    const std::vector<DxfTag> tags = Tags({{70, "   128"}, {90, "-5 "}});
    const std::vector<CompiledTag> compiled = CompileTags(tags);
    ASSERT_EQ(compiled.size(), 2u);
    EXPECT_EQ(compiled[0].integer, 128);
    EXPECT_EQ(compiled[1].integer, -5);
}

} // namespace
} // namespace dezadiravevava
