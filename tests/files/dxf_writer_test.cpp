// Point files written as DXF R12 drawings of points.
#include "files/dxf_writer.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

// The drawing written by hand, line by line, with CR LF ends.
std::string Expected(const std::string& entities) {
    std::string text = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n"
                       "  9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
                       "  9\n$EXTMIN\n 10\n0.000000\n 20\n0.000000\n 30\n0.0\n"
                       "  9\n$EXTMAX\n 10\n1.000000\n 20\n1.000000\n 30\n0.0\n"
                       "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n"
                       "  0\nTABLE\n  2\nLAYER\n 70\n     1\n"
                       "  0\nLAYER\n  2\n0\n 70\n     0\n 62\n     7\n  6\nCONTINUOUS\n"
                       "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
                       entities + "  0\nENDSEC\n  0\nEOF\n";
    std::string crlf;
    for (const char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return crlf;
}

TEST(ConvertirTXTaDXF, PointsWithHandlesFrom3e8) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "Título\r\n7\t1.5\t-2.25\t100\r\n0\t10\t20\t30\n\n");
    ASSERT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("out.dxf"), 2, nullptr), 1);
    EXPECT_EQ(ReadWhole(dir.File("out.dxf")),
              Expected("  0\nPOINT\n  5\n3e8\n  8\n0\n 10\n1.500000\n 20\n-2.250000\n 30\n"
                       "100.000000\n"
                       "  0\nPOINT\n  5\n3e9\n  8\n0\n 10\n10.000000\n 20\n20.000000\n 30\n"
                       "30.000000\n"
                       "  0\nPOINT\n  5\n3ea\n  8\n0\n 10\n0.000000\n 20\n0.000000\n 30\n"
                       "0.000000\n"));
}

TEST(ConvertirTXTaDXF, EmptyDrawings) {
    TempDir dir;
    WriteWhole(dir.File("empty.txt"), "");
    ASSERT_EQ(ConvertirTXTaDXF(dir.File("empty.txt"), dir.File("a.dxf"), 1, nullptr), 1);
    EXPECT_EQ(ReadWhole(dir.File("a.dxf")), Expected(""));
    WriteWhole(dir.File("in.txt"), "t\n1\t2\t3\t4\n");
    ASSERT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("b.dxf"), 0, nullptr), 1);
    EXPECT_EQ(ReadWhole(dir.File("b.dxf")), Expected(""));
}

TEST(ConvertirTXTaDXF, Failures) {
    TempDir dir;
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("missing.txt"), dir.File("x.dxf"), 2, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.dxf")));
    WriteWhole(dir.File("in.txt"), "t\n1\t2\t3\t4\n");
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("no/folder.dxf"), 2, nullptr), 0);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), "/dev/full", 2, nullptr), 0);
        EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    }
}

} // namespace
} // namespace dezadiravevava
