// The engine's way of writing a file: beside the target, put in place whole.
#include "files/line_reader.h"
#include "files/output_file.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dezadiravevava {
namespace {

namespace fs = std::filesystem;
using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

std::size_t Entries(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

mode_t Mode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(OutputFile, TheTargetChangesOnlyOnCommit) {
    TempDir dir;
    const std::string target = dir.File("out");
    WriteWhole(target, "old");
    {
        OutputFile file;
        ASSERT_TRUE(file.Open(target));
        file.WriteText("nuevo: ñ\n");
        ASSERT_TRUE(file.Flush());
        EXPECT_EQ(ReadWhole(target), "old"); // written, flushed, not yet in place
        EXPECT_EQ(Entries(dir.path()), 2u);
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadWhole(target), "nuevo: \xf1\r\n");
    EXPECT_EQ(Entries(dir.path()), 1u);
    {
        OutputFile file; // abandoned: by Discard, or by going out of scope
        ASSERT_TRUE(file.Open(target));
        file.WriteRaw("never");
    }
    EXPECT_EQ(ReadWhole(target), "nuevo: \xf1\r\n");
    EXPECT_EQ(Entries(dir.path()), 1u);
}

TEST(OutputFile, ModeOfANewFileAndOfAReplacedOne) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    OutputFile file;
    ASSERT_TRUE(file.Open(dir.File("new")));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Mode(dir.File("new")), 0644u);
    WriteWhole(dir.File("kept"), "x");
    fs::permissions(dir.File("kept"), static_cast<fs::perms>(0640));
    ASSERT_TRUE(file.Open(dir.File("kept")));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Mode(dir.File("kept")), 0640u);
    ::umask(mask);
}

TEST(OutputFile, LinksDevicesAndFolders) {
    TempDir dir;
    fs::create_directories(dir.File("real"));
    WriteWhole(dir.File("real/target"), "old");
    fs::create_symlink("real/target", dir.File("link"));
    OutputFile file;
    ASSERT_TRUE(file.Open(dir.File("link")));
    file.WriteRaw("new");
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(fs::is_symlink(dir.File("link"))); // the link stays, its file is replaced
    EXPECT_EQ(ReadWhole(dir.File("real/target")), "new");
    EXPECT_EQ(Entries(dir.File("real")), 1u);
    // A link to a file not yet there: the file is made where it points.
    fs::create_symlink("real/later", dir.File("dangling"));
    ASSERT_TRUE(file.Open(dir.File("dangling")));
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(fs::is_regular_file(dir.File("real/later")));
    // A device is written as a stream, never replaced.
    ASSERT_TRUE(file.Open("/dev/null"));
    file.WriteRaw("nothing");
    EXPECT_TRUE(file.Commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // A folder, a loop of links and a missing folder are no targets.
    EXPECT_FALSE(file.Open(dir.File("real")));
    fs::create_symlink("loop", dir.File("loop"));
    EXPECT_FALSE(file.Open(dir.File("loop")));
    EXPECT_FALSE(file.Open(dir.File("none/out")));
    EXPECT_FALSE(file.Open(""));
}

TEST(SameFile, PathsLinksAndDevices) {
    TempDir dir;
    WriteWhole(dir.File("a"), "a");
    fs::create_symlink(dir.File("a"), dir.File("link"));
    fs::create_hard_link(dir.File("a"), dir.File("hard"));
    EXPECT_TRUE(SameFile(dir.File("a"), dir.File("link")));
    EXPECT_TRUE(SameFile(dir.File("a"), dir.File("hard")));
    EXPECT_TRUE(SameFile(dir.File("x/../b"), dir.File("b"))); // neither exists
    EXPECT_FALSE(SameFile(dir.File("a"), dir.File("b")));
    EXPECT_FALSE(SameFile("/dev/null", "/dev/null"));
    EXPECT_FALSE(SameFile("", ""));
}

TEST(LineReader, LinesLongerThanTheLimitComeInPieces) {
    TempDir dir;
    // Limit 4: "abcd" fits, with CR LF too; "abcdef" is too long and comes as
    // "abcd" then "ef"; a CR at a piece's edge stays with its line feed.
    WriteWhole(dir.File("in"), "abcd\r\nabcdef\nxy\r\nabcdefg\r\r\nlast");
    LineReader reader(4);
    ASSERT_TRUE(reader.Open(dir.File("in")));
    std::string line, raw;
    ASSERT_TRUE(reader.Next(line, &raw));
    EXPECT_EQ(line, "abcd");
    EXPECT_EQ(raw, "abcd\r\n");
    EXPECT_FALSE(reader.too_long());
    ASSERT_TRUE(reader.Next(line));
    EXPECT_TRUE(reader.too_long());
    EXPECT_EQ(line, "abcd");
    ASSERT_TRUE(reader.NextPiece(line, &raw));
    EXPECT_EQ(line, "ef");
    EXPECT_EQ(raw, "ef\n");
    EXPECT_TRUE(reader.ended_by_line_feed());
    EXPECT_FALSE(reader.NextPiece(line));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "xy");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_TRUE(reader.too_long());
    ASSERT_TRUE(reader.NextPiece(line, &raw));
    EXPECT_EQ(raw, "efg"); // the CR waits for what follows it
    ASSERT_TRUE(reader.NextPiece(line, &raw));
    EXPECT_EQ(raw, "\r\r\n");
    EXPECT_EQ(line, "\r");
    // The rest of an over-long line is dropped by the next line.
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(reader.ended_by_line_feed());
    EXPECT_FALSE(reader.Next(line));
    EXPECT_EQ(reader.position(), ReadWhole(dir.File("in")).size());
    EXPECT_FALSE(reader.failed());
    // A folder is no input.
    EXPECT_FALSE(reader.Open(dir.path().string()));
}

} // namespace
} // namespace dezadiravevava
