// Lines read in blocks are the lines read one by one: every line end, lines
// that straddle the reader's buffer, over-long lines, a last line without
// its end.
#include "files/line_blocks.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace dezadiravevava {
namespace {

using quillon_test::TempDir;
using quillon_test::WriteWhole;

struct Line {
    std::string content;
    bool too_long = false;
};

std::vector<Line> OneByOne(const std::string& path, std::size_t limit) {
    LineReader input(limit);
    EXPECT_TRUE(input.Open(path));
    std::vector<Line> lines;
    std::string line;
    while (input.Next(line)) {
        lines.push_back({line, input.too_long()});
    }
    return lines;
}

std::vector<Line> InBlocks(const std::string& path, std::size_t limit) {
    LineReader input(limit);
    EXPECT_TRUE(input.Open(path));
    ProgressWindow window(nullptr, "", input.size());
    LineBlockReader reader(input, window, 1);
    std::vector<Line> lines;
    LineBlock block;
    for (bool more = true; more;) {
        more = reader.Fill(block);
        EXPECT_EQ(block.first_line, static_cast<std::int64_t>(lines.size()) + 1);
        ForEachLine(block, [&](std::int64_t number, std::string_view text, bool too_long) {
            EXPECT_EQ(number, static_cast<std::int64_t>(lines.size()) + 1);
            lines.push_back({std::string(text), too_long});
        });
    }
    return lines;
}

TEST(LineBlocks, TheSameLinesAsReadOneByOne) {
    std::mt19937 random(64);
    const std::vector<std::string> ends = {"\n", "\r\n", "\r\r\n", "\r", ""};
    for (const std::size_t limit : {std::size_t{100}, kTxtLineLimit}) {
        for (int file = 0; file < 6; ++file) {
            // About 300 KB: several refills of the 64 KiB buffer, with every
            // kind of line end landing on its edge somewhere.
            std::string text;
            while (text.size() < 300000) {
                const std::size_t length = random() % 40 == 0 ? 50 + random() % 300 : random() % 60;
                for (std::size_t i = 0; i < length; ++i) {
                    text += static_cast<char>(random() % 3 == 0 ? '\t' : 'a' + random() % 26);
                }
                text += ends[random() % (ends.size() - 1)];
            }
            text += std::string(random() % 5, 'z') + ends[random() % ends.size()];
            TempDir dir;
            WriteWhole(dir.File("lines"), text);
            const auto expected = OneByOne(dir.File("lines"), limit);
            const auto got = InBlocks(dir.File("lines"), limit);
            ASSERT_EQ(got.size(), expected.size()) << limit;
            for (std::size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i].content, expected[i].content) << "line " << i + 1;
                ASSERT_EQ(got[i].too_long, expected[i].too_long) << "line " << i + 1;
            }
        }
    }
}

} // namespace
} // namespace dezadiravevava
