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

// The drawing written by hand, line by line, with CR LF ends; `extents` are
// the header's $EXTMIN and $EXTMAX values.
std::string Expected(const std::string& entities,
                     const std::string& extents = "0.000000\n 20\n0.000000\n 30\n0.0\n"
                                                  "  9\n$EXTMAX\n 10\n1.000000\n 20\n1.000000") {
    std::string text = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n"
                       "  9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
                       "  9\n$EXTMIN\n 10\n" +
                       extents +
                       "\n 30\n0.0\n"
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
                       "0.000000\n",
                       // The header encloses the points.
                       "0.000000\n 20\n-2.250000\n 30\n0.0\n"
                       "  9\n$EXTMAX\n 10\n10.000000\n 20\n20.000000"));
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

// The value of the first `code` group after `from` in a drawing.
double GroupValue(const std::string& drawing, const std::string& code, std::size_t from = 0) {
    const auto at = drawing.find("\r\n" + code + "\r\n", from);
    return at == std::string::npos ? -1.0 : std::stod(drawing.substr(at + code.size() + 4));
}

// One drawing is of one zone: points of zones 29 and 30 (either side of 6 W)
// go into the zone the user chose, projected on the ellipsoid of their
// datum (reference: PROJ, cs2cs from +proj=utm +zone=29 to +zone=30 on
// +ellps=intl and +ellps=WGS84), and without a choice there is no drawing.
TEST(ConvertirTXTaDXF, OneZonePerDrawing) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\n1\t370000\t4100000\t10\t30.\n"
                                   "2\t760000\t4110000\t11\t29.\n");
    struct Case {
        int zone, datum;
        double x, y; // the zone-29 point in the drawing; 0: no drawing
        const char* refusal;
    };
    const Case cases[] = {
        {0, 0, 0, 0, "el archivo tiene puntos de los husos 29 y 30; un dibujo es de un solo huso"},
        {0, 14, 0, 0, "el archivo tiene puntos de los husos 29 y 30; un dibujo es de un solo huso"},
        {30, 0, 0, 0,
         "el archivo tiene puntos del huso 29: hace falta el datum de los puntos para pasarlos "
         "al huso 30"},
        {30, 14, 226750.296054, 4110418.860207, ""},
        {30, 19, 226778.260779, 4110417.981959, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zone " << c.zone << ", datum " << c.datum);
        const std::string out = dir.File("out.dxf");
        std::filesystem::remove(out);
        PointDrawing drawing;
        drawing.zone = c.zone;
        drawing.datum = c.datum;
        std::string refusal;
        const int result =
            ConvertirTXTaDXF(dir.File("in.txt"), out, 2, nullptr, 1, false, drawing, &refusal);
        EXPECT_EQ(refusal, c.refusal);
        if (c.x == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        ASSERT_EQ(result, 1);
        const std::string text = ReadWhole(out);
        const auto second = text.find("\r\n3e9\r\n");
        EXPECT_NEAR(GroupValue(text, " 10", second), c.x, 1e-5);
        EXPECT_NEAR(GroupValue(text, " 20", second), c.y, 1e-5);
        // The header's extents are those of the points as drawn.
        EXPECT_NEAR(GroupValue(text, " 10", text.find("$EXTMIN")), c.x, 1e-5);
        EXPECT_EQ(GroupValue(text, " 20", text.find("$EXTMIN")), 4100000.0);
        EXPECT_EQ(GroupValue(text, " 10", text.find("$EXTMAX")), 370000.0);
        EXPECT_NEAR(GroupValue(text, " 20", text.find("$EXTMAX")), c.y, 1e-5);
    }
    // One zone alone needs no choice; nor do geodetic points, whatever field 4 says.
    WriteWhole(dir.File("one.txt"), "t\n1\t760000\t4110000\t11\t29.\n2\t1\t2\t3\t29\n");
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("one.txt"), dir.File("one.dxf"), 2, nullptr), 1);
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("geo.dxf"), 1, nullptr), 1);
}

// With labels, each POINT is followed by a TEXT of its identifier beside it,
// on a layer of its own, and the two take consecutive handles.
TEST(ConvertirTXTaDXF, IdentifiersAsLabels) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), "t\n 7\t370000.5\t4100000\t10\t30\n12\t370010\t4100020\t0\n");
    PointDrawing drawing;
    drawing.labels = true;
    ASSERT_EQ(
        ConvertirTXTaDXF(dir.File("in.txt"), dir.File("out.dxf"), 2, nullptr, 0, false, drawing),
        1);
    const std::string text = ReadWhole(dir.File("out.dxf"));
    EXPECT_NE(text.find(" 70\r\n     2\r\n  0\r\nLAYER\r\n  2\r\n0\r\n"), std::string::npos);
    EXPECT_NE(text.find("  0\r\nLAYER\r\n  2\r\nIDENTIFICADORES\r\n"), std::string::npos);
    const std::string entities = text.substr(text.find("ENTITIES"));
    EXPECT_NE(entities.find("  0\r\nPOINT\r\n  5\r\n3e8\r\n  8\r\n0\r\n 10\r\n370000.500000\r\n"
                            " 20\r\n4100000.000000\r\n 30\r\n10.000000\r\n"
                            "  0\r\nTEXT\r\n  5\r\n3e9\r\n  8\r\nIDENTIFICADORES\r\n"
                            " 10\r\n370001.000000\r\n 20\r\n4100000.500000\r\n 30\r\n10.000000\r\n"
                            " 40\r\n1.000000\r\n  1\r\n7\r\n"
                            "  0\r\nPOINT\r\n  5\r\n3ea\r\n"),
              std::string::npos);
    EXPECT_NE(entities.find("  0\r\nTEXT\r\n  5\r\n3eb\r\n"), std::string::npos);
    EXPECT_NE(entities.find("  1\r\n12\r\n  0\r\nENDSEC"), std::string::npos);
}

} // namespace
} // namespace dezadiravevava
