// DXF drawings: what moves, what stays, and how a run fails.
#include "files/dxf_ocs.h"
#include "files/dxf_processing.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"
#include "support/recording_progress.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

// A DXF from its lines, each ended by LF.
std::string Dxf(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line + "\n";
    }
    return out;
}

// The lines of a text, ends included.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, stop - start));
        start = stop;
    }
    return lines;
}

// The text with some lines (numbered from 1) replaced, their ends kept.
std::string WithLines(const std::string& text, const std::map<std::size_t, std::string>& values) {
    std::vector<std::string> lines = Lines(text);
    for (const auto& [number, value] : values) {
        std::string& line = lines.at(number - 1);
        const std::size_t content = line.find_first_of("\r\n");
        line = value + (content == std::string::npos ? "" : line.substr(content));
    }
    std::string out;
    for (const auto& line : lines) {
        out += line;
    }
    return out;
}

// The number of the first line (from 1) that reads `text`, after `after`.
std::size_t LineOf(const std::string& drawing, const std::string& text, std::size_t after = 0) {
    const std::vector<std::string> lines = Lines(drawing);
    for (std::size_t i = after; i < lines.size(); ++i) {
        if (lines[i].substr(0, lines[i].find_first_of("\r\n")) == text) {
            return i + 1;
        }
    }
    ADD_FAILURE() << "no line " << text;
    return 0;
}

const std::string kHead = Dxf({"  0", "SECTION", "  2", "ENTITIES"});
const std::string kTail = Dxf({"  0", "ENDSEC", "  0", "EOF"});

ParameterSet National() {
    ParameterSet set;
    SetSpainParameters(kDirectionEd50ToEtrs89, set);
    return set;
}

// ED50 UTM 30 -> ETRS89 UTM 30 with the national set, point by point.
PlanePoint Carried(double x, double y) {
    double zone = 30;
    const CoordTriple out = TransformPoint(CoordTriple(x, y, kNoThird), kDatumEd50, kKindUtm, 30,
                                           kDatumEtrs89, kKindUtm, 30, National(), 0, zone);
    return {out.c1, out.c2};
}

class DxfProcessing : public ::testing::Test {
protected:
    int Process(const std::string& input, ProgressSink* progress = nullptr) {
        WriteWhole(dir_.File("in.dxf"), input);
        std::filesystem::remove(dir_.File("out.dxf"));
        return ProcessAgain(progress);
    }
    // The same input, into an output that may already exist.
    int ProcessAgain(ProgressSink* progress = nullptr) {
        RunArguments run = run_;
        run.entrada = dir_.File("in.dxf");
        run.salida = dir_.File("out.dxf");
        const int result = ProcesarDXF(dir_.File("log"), run, progress);
        output_ = ReadWhole(run.salida);
        log_ = Cp1252ToUtf8(ReadWhole(dir_.File("log")));
        return result;
    }

    // The input with the pairs whose x lies on the given lines moved (the y
    // two lines further), as the engine writes them.
    static std::string Moved(const std::string& input, std::initializer_list<std::size_t> x_lines) {
        std::map<std::size_t, std::string> values;
        const std::vector<std::string> lines = Lines(input);
        for (const std::size_t line : x_lines) {
            const PlanePoint p =
                Carried(std::stod(lines.at(line - 1)), std::stod(lines.at(line + 1)));
            values[line] = CFixed(p.x, 6);
            values[line + 2] = CFixed(p.y, 6);
        }
        return WithLines(input, values);
    }

    bool LogHas(const std::string& text) const { return log_.find(text) != std::string::npos; }

    TempDir dir_;
    RunArguments run_ = [] {
        RunArguments run;
        run.da = kDatumEd50;
        run.pa = kKindUtm;
        run.h_entrada = 30;
        run.db = kDatumEtrs89;
        run.pb = kKindUtm;
        run.h_salida = 30;
        return run;
    }();
    std::string output_;
    std::string log_;
};

TEST_F(DxfProcessing, LinePairsAreReplacedAndHeightsKept) {
    const std::string input =
        kHead +
        Dxf({"  0", "LINE", "  8", "0", " 10", "300000.0", " 20", "4100000.0", " 30", "512.25",
             " 11", "300100.5", " 21", "4100200.25", " 31", "0.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, Moved(input, {10, 16}));
    // The same point through PROJ's EPSG:1632 pipeline: 299888.349194, 4099794.571549.
    const PlanePoint start = Carried(300000.0, 4100000.0);
    EXPECT_NEAR(start.x, 299888.349194, 1e-3);
    EXPECT_NEAR(start.y, 4099794.571549, 1e-3);
    EXPECT_TRUE(LogHas("Número de textos.....: 0\r\nNúmero de puntos.....: 0\r\n"
                       "Número de líneas.....: 1\r\nNúmero de polilíneas.: 0\r\n"
                       "Número LW polilíneas.: 0\r\nOtras entidades......: 0\r\n"))
        << log_;
}

// A local fit warns of the moved points far from its vertices, as for point
// files: around (389000, 4150000) the 4 nearest are LUQUE (389373.393,
// 4154816.773), LAS CANELAS, CARACOL and CANILES (data/vertex_catalogue.tsv);
// (389000, 4250000) is 91.07 km from CANILES and (330000, 4150000) 59.23 km
// from LUQUE, both outside their polygon; LUQUE is one of its corners.
TEST_F(DxfProcessing, LocalFitsWarnOfPointsFarFromTheirVertices) {
    const std::string input =
        kHead + Dxf({"  0", "LINE",  "  8", "0",        " 10", "389373.393", " 20", "4154816.773",
                     " 30", "0.0",   " 11", "389000.0", " 21", "4250000.0",  " 31", "0.0",
                     "  0", "POINT", "  8", "0",        " 10", "330000.0",   " 20", "4150000.0",
                     " 30", "0.0"}) +
        kTail;
    run_.parametros = kParametersByNumber;
    run_.selec_param = 4;
    run_.x = 389000;
    run_.y = 4150000;
    ASSERT_EQ(Process(input), 1) << log_;
    // The points' uncertainty range, then the warnings.
    EXPECT_NE(log_.find("Otras entidades......: 0\r\nIncertidumbre (95 %).: "), std::string::npos);
    EXPECT_TRUE(log_.ends_with(" m\r\n"
                               "Aviso: 2 puntos a más de 25 km del vértice empleado más cercano "
                               "(máximo 91 km)\r\n"
                               "Aviso: 2 puntos fuera del polígono de los vértices empleados\r\n"))
        << log_;
}

// Each kind with the lines of its points; every other line stays, vectors
// (an ellipse's axis, directions, tangents, offsets) included.
TEST_F(DxfProcessing, EveryModelSpaceKindIsCarried) {
    struct Case {
        std::string kind;
        std::string entity;
        std::vector<std::size_t> points; // lines of the x codes, within the entity
    };
    const std::string xy1 = "300010.0", xy2 = "4100010.0";
    const std::vector<Case> cases = {
        {"POINT", Dxf({"  0", "POINT", " 10", xy1, " 20", xy2, " 30", "7.5"}), {3}},
        {"XLINE", Dxf({"  0", "XLINE", " 10", xy1, " 20", xy2, " 11", "0.6", " 21", "0.8"}), {3}},
        {"RAY", Dxf({"  0", "RAY", " 10", xy1, " 20", xy2, " 11", "1.0", " 21", "0.0"}), {3}},
        {"TEXT",
         Dxf({"  0", "TEXT", " 10", xy1, " 20", xy2, "  1", "LINE", " 11", "300020.0", " 21",
              "4100020.0", " 50", "12.5"}),
         {3, 9}},
        {"ATTRIB",
         Dxf({"  0", "ATTRIB",   " 10", xy1,         " 20", xy2,
              " 11", "300020.0", " 21", "4100020.0", "101", "Embedded Object",
              " 10", "300030.0", " 20", "4100030.0", " 11", "1.0",
              " 21", "0.0"}),
         {3, 7, 13}},
        {"MTEXT",
         Dxf({"  0", "MTEXT", "  8", "TEXT", " 10", xy1, " 20", xy2, " 11", "0.5", " 21", "0.866",
              "  1", "POINT"}),
         {5}},
        {"CIRCLE",
         Dxf({"  0", "CIRCLE", "  8", "POINT", " 10", xy1, " 20", xy2, " 40", "2.5"}),
         {5}},
        {"ARC",
         Dxf({"  0", "ARC", " 10", xy1, " 20", xy2, " 40", "2.5", " 50", "10", " 51", "80"}),
         {3}},
        {"ELLIPSE",
         Dxf({"  0", "ELLIPSE", "  8", "LINE", " 10", xy1, " 20", xy2, " 11", "10.0", " 21", "0.0",
              " 40", "0.5"}),
         {5}},
        {"SPLINE",
         Dxf({"  0", "SPLINE",    " 12", "1.0",      " 22", "0.0",      " 13", "0.0",
              " 23", "1.0",       " 10", xy1,        " 20", xy2,        " 10", "300011.0",
              " 20", "4100011.0", " 11", "300012.0", " 21", "4100012.0"}),
         {11, 15, 19}},
        {"INSERT",
         Dxf({"  0", "INSERT", "  2", "MOJON", " 10", xy1, " 20", xy2, " 41", "2.0", " 50",
              "30.0"}),
         {5}},
        {"SOLID",
         Dxf({"  0", "SOLID", " 10", xy1, " 20", xy2, " 11", "300011.0", " 21", "4100010.0", " 12",
              "300010.0", " 22", "4100011.0", " 13", "300011.0", " 23", "4100011.0"}),
         {3, 7, 11, 15}},
        {"TRACE",
         Dxf({"  0", "TRACE", " 10", xy1, " 20", xy2, " 11", "300011.0", " 21", "4100010.0", " 12",
              "300010.0", " 22", "4100011.0", " 13", "300011.0", " 23", "4100011.0"}),
         {3, 7, 11, 15}},
        {"3DFACE",
         Dxf({"  0",      "3DFACE",   " 10",       xy1,         " 20",       xy2,   " 30",
              "1",        " 11",      "300011.0",  " 21",       "4100010.0", " 31", "2",
              " 12",      "300010.0", " 22",       "4100011.0", " 32",       "3",   " 13",
              "300011.0", " 23",      "4100011.0", " 33",       "4"}),
         {3, 9, 15, 21}},
        // 12 is where the dimension's picture is drawn from, an offset.
        {"DIMENSION",
         Dxf({"  0", "DIMENSION", " 10", xy1,        " 20", xy2,         " 11", "300011.0",
              " 21", "4100011.0", " 12", "5.0",      " 22", "5.0",       " 13", "300012.0",
              " 23", "4100012.0", " 14", "300013.0", " 24", "4100013.0", " 15", "300014.0",
              " 25", "4100014.0", " 16", "300015.0", " 26", "4100015.0"}),
         {3, 7, 15, 19, 23, 27}},
        {"LEADER",
         Dxf({"  0", "LEADER", " 10", xy1, " 20", xy2, " 10", "300011.0", " 20", "4100011.0", "211",
              "1.0", "221", "0.0", "212", "3.0", "222", "4.0"}),
         {3, 7}},
        {"MLINE",
         Dxf({"  0", "MLINE", " 10", xy1, " 20", xy2, " 11", xy1, " 21", xy2, " 12", "1.0", " 22",
              "0.0", " 13", "0.0", " 23", "1.0"}),
         {3, 7}},
        {"IMAGE",
         Dxf({"  0", "IMAGE", " 10", xy1,   " 20", xy2,   " 11", "0.1", " 21",  "0.0", " 12",
              "0.0", " 22",   "0.1", " 13", "640", " 23", "480", " 14", "-0.5", " 24", "-0.5"}),
         {3}},
        {"WIPEOUT",
         Dxf({"  0", "WIPEOUT", " 10", xy1, " 20", xy2, " 11", "1.0", " 21", "0.0"}),
         {3}},
        {"LWPOLYLINE",
         Dxf({"  0", "LWPOLYLINE", " 90", "2", " 38", "5.0", " 10", xy1, " 20", xy2, " 42", "0.5",
              " 10", "300011.0", " 20", "4100011.0"}),
         {7, 13}},
        {"MESH", Dxf({"  0", "MESH", " 92", "1", " 10", xy1, " 20", xy2, " 30", "3.0"}), {5}},
        // Column data (R2018): 10 is the text direction again, 11 the
        // insertion point again (netDxf's sample.dxf writes them so).
        {"MTEXT with columns",
         Dxf({"  0", "MTEXT", " 10", xy1,   " 20", xy2,
              " 11", "1.0",   " 21", "0.0", "101", "Embedded Object",
              " 70", "1",     " 10", "1.0", " 20", "0.0",
              " 30", "0.0",   " 11", xy1,   " 21", xy2,
              " 31", "0.0",   " 40", "25.0"}),
         {3, 21}},
        {"TOLERANCE",
         Dxf({"  0", "TOLERANCE", "  3", "STANDARD", " 10", xy1, " 20", xy2, " 11", "1.0", " 21",
              "0.0"}),
         {5}},
        {"HELIX",
         Dxf({"  0", "HELIX", " 10", xy1, " 20", xy2, " 11", "300011.0", " 21", xy2, " 12", "0.0",
              " 22", "0.0", " 32", "1.0"}),
         {3, 7}},
        // 12 offsets the picture; 13 to 17 are the arc's definition points.
        {"ARC_DIMENSION",
         Dxf({"  0", "ARC_DIMENSION", " 10", xy1,        " 20", xy2,         " 11", "300011.0",
              " 21", "4100011.0",     " 12", "5.0",      " 22", "5.0",       " 13", "300013.0",
              " 23", "4100013.0",     " 14", "300014.0", " 24", "4100014.0", " 15", "300015.0",
              " 25", "4100015.0",     " 16", "300016.0", " 26", "4100016.0", " 17", "300017.0",
              " 27", "4100017.0"}),
         {3, 7, 15, 19, 23, 27, 31}},
        {"LARGE_RADIAL_DIMENSION",
         Dxf({"  0", "LARGE_RADIAL_DIMENSION",
              " 10", xy1,
              " 20", xy2,
              " 13", "300013.0",
              " 23", "4100013.0",
              " 14", "300014.0",
              " 24", "4100014.0",
              " 15", "300015.0",
              " 25", "4100015.0",
              " 40", "2.0"}),
         {3, 7, 11, 15}},
        {"ACAD_TABLE",
         Dxf({"  0", "ACAD_TABLE", "  2", "*T1", " 10", xy1, " 20", xy2, " 11", "1.0", " 21", "0.0",
              " 91", "2"}),
         {5}},
        {"PDFUNDERLAY",
         Dxf({"  0", "PDFUNDERLAY", " 10", xy1, " 20", xy2, " 41", "2.0", " 11", "0.0", " 21",
              "0.0", " 11", "10.0", " 21", "10.0"}),
         {3}},
        {"DWFUNDERLAY", Dxf({"  0", "DWFUNDERLAY", " 10", xy1, " 20", xy2, " 41", "1.0"}), {3}},
        {"DGNUNDERLAY", Dxf({"  0", "DGNUNDERLAY", " 10", xy1, " 20", xy2, " 41", "1.0"}), {3}},
        {"LIGHT",
         Dxf({"  0", "LIGHT", "  1", "L1", " 10", xy1, " 20", xy2, " 30", "10.0", " 11", "300011.0",
              " 21", "4100011.0", " 31", "0.0"}),
         {5, 11}},
        // 10 is the vertical direction of the section plane.
        {"SECTION",
         Dxf({"  0", "SECTION",   "  1", "S1",  " 10", "0.0",      " 20", "0.0",      " 30",
              "1.0", " 92",       "2",   " 11", xy1,   " 21",      xy2,   " 11",      "300011.0",
              " 21", "4100011.0", " 93", "1",   " 12", "300012.0", " 22", "4100012.0"}),
         {13, 17, 23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string input = kHead + c.entity + kTail;
        ASSERT_EQ(Process(input), 1) << log_;
        std::vector<std::size_t> lines;
        for (const std::size_t line : c.points) {
            lines.push_back(line + 5); // the value line, after the section's head
        }
        std::string expected = input;
        for (const std::size_t line : lines) {
            expected = Moved(expected, {line});
        }
        EXPECT_EQ(output_, expected);
    }
}

// Old programs wrote the tags of an entity's points in another order (ezdxf's
// AC1003_LINE_Example.dxf: 10, 11, 20, 21, 30, 31): each x pairs with the y
// of its family, and every tag keeps its place.
TEST_F(DxfProcessing, PointTagsInAnyOrderPairByTheirFamily) {
    const std::string input =
        kHead + Dxf({"  0", "LINE",     "  8", "1",         "  6", "CONTINUOUS", " 10", "300000.0",
                     " 11", "300100.5", " 20", "4100000.0", " 21", "4100200.25", " 30", "0.0000",
                     " 31", "0.0000",   " 62", "5"}) +
        kTail;
    ASSERT_EQ(Process(input), 1) << log_;
    const PlanePoint start = Carried(300000.0, 4100000.0), end = Carried(300100.5, 4100200.25);
    EXPECT_EQ(output_, WithLines(input, {{12, CFixed(start.x, 6)},
                                         {14, CFixed(end.x, 6)},
                                         {16, CFixed(start.y, 6)},
                                         {18, CFixed(end.y, 6)}}));
}

// A georeferenced drawing: the GEODATA object's design point moves with the
// drawing; its reference point and the definition of its system follow when
// that system is the drawing's own, are left when it names another place
// system (WGS 84), and the log says when they cannot follow.
TEST_F(DxfProcessing, GeolocationFollowsTheDrawing) {
    struct Case {
        std::string name;
        std::string definition;
        std::string renamed; // the definition written; empty: as it was
        bool reference_moves;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"the drawing's system",
         "<Alias id=\"23030\" type=\"CoordinateSystem\"><ObjectId>23030</ObjectId>"
         "<Namespace>EPSG Code</Namespace></Alias><Name>ED50 / UTM zone 30N</Name>",
         "<Alias id=\"25830\" type=\"CoordinateSystem\"><ObjectId>25830</ObjectId>"
         "<Namespace>EPSG Code</Namespace></Alias><Name>ETRS89 / UTM zone 30N</Name>",
         true, "Geolocalización actualizada: GEODATA 1F0 (EPSG:23030 a EPSG:25830)"},
        {"WGS 84", "<Alias id=\"4326\" type=\"CoordinateSystem\">", "", false,
         "Geolocalización actualizada: GEODATA 1F0 (punto de diseño)"},
        {"another zone", "PROJCS[\"ED50 / UTM zone 29N\",AUTHORITY[\"EPSG\",\"23029\"]]", "", false,
         "Geolocalización no actualizada: GEODATA 1F0 (su sistema, EPSG:23029, no es el de "
         "entrada)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string objects =
            Dxf({"  0", "SECTION",     "  2", "OBJECTS", "  0", "GEODATA",    "  5", "1F0",
                 "100", "AcDbGeoData", " 90", "2",       " 70", "2",          " 10", "300000.0",
                 " 20", "4100000.0",   " 30", "0.0",     " 11", "300000.0",   " 21", "4100000.0",
                 " 31", "0.0",         " 40", "1.0",     "301", c.definition, "  0", "ENDSEC"});
        const std::string input =
            kHead + Dxf({"  0", "POINT", " 10", "300010.0", " 20", "4100010.0", "  0", "ENDSEC"}) +
            objects + Dxf({"  0", "EOF"});
        ASSERT_EQ(Process(input), 1) << log_;
        const std::size_t design = LineOf(input, "300000.0");
        std::string expected = Moved(Moved(input, {LineOf(input, "300010.0")}), {design});
        if (c.reference_moves) {
            expected = Moved(expected, {design + 6});
        }
        if (!c.renamed.empty()) {
            expected = WithLines(expected, {{LineOf(input, c.definition), c.renamed}});
        }
        EXPECT_EQ(output_, expected);
        EXPECT_TRUE(LogHas(c.log + "\r\n")) << log_;
    }
}

TEST_F(DxfProcessing, PolylineVerticesMoveButNotItsOwnPointOrFaceRecords) {
    const std::string input =
        kHead + Dxf({"  0", "POLYLINE", "  8", "LINE",      " 66", "1",     " 10", "0.0",
                     " 20", "0.0",      " 30", "12.0",      " 70", "64",    "  0", "VERTEX",
                     " 10", "300000.0", " 20", "4100000.0", " 30", "1.0",   " 70", "192",
                     "  0", "VERTEX",   " 10", "0.0",       " 20", "0.0",   " 30", "0.0",
                     " 70", "128",      " 71", "1",         "  0", "SEQEND"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, Moved(input, {LineOf(input, "300000.0")}));
    EXPECT_TRUE(LogHas("Número de polilíneas.: 1\r\n"));
}

TEST_F(DxfProcessing, HatchBoundariesAndSeedsMoveButNotItsVectors) {
    // A polyline path, then an edge path with a line, an arc, an ellipse
    // (whose 11 is its axis) and a spline (12, 13 are tangents), and a seed.
    const std::string input =
        kHead + Dxf({"  0", "HATCH",     "  8", "TEXT",     " 10", "0.0",       " 20", "0.0",
                     " 30", "0.0",       " 91", "2",        " 92", "2",         " 72", "1",
                     " 73", "1",         " 93", "1",        " 10", "300001.0",  " 20", "4100001.0",
                     " 42", "0.5",       " 97", "0",        " 92", "1",         " 93", "4",
                     " 72", "1",         " 10", "300002.0", " 20", "4100002.0", " 11", "300003.0",
                     " 21", "4100003.0", " 72", "2",        " 10", "300004.0",  " 20", "4100004.0",
                     " 40", "5.0",       " 72", "3",        " 10", "300005.0",  " 20", "4100005.0",
                     " 11", "10.0",      " 21", "0.0",      " 72", "4",         " 10", "300006.0",
                     " 20", "4100006.0", " 11", "300007.0", " 21", "4100007.0", " 12", "1.0",
                     " 22", "0.0",       " 97", "0",        " 75", "1",         " 98", "1",
                     " 10", "300008.0",  " 20", "4100008.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    std::string expected = input;
    for (const char* x : {"300001.0", "300002.0", "300003.0", "300004.0", "300005.0", "300006.0",
                          "300007.0", "300008.0"}) {
        expected = Moved(expected, {LineOf(input, x)});
    }
    EXPECT_EQ(output_, expected);
}

// Layer names, texts and section names in values never start an entity or a
// section: a layer called LINE, TEXT or POINT is just a value.
TEST_F(DxfProcessing, NamesInValuesNeverStartEntitiesOrSections) {
    const std::string tables = Dxf(
        {"  0", "SECTION",      "  2", "TABLES", "  0", "TABLE", "  2", "LAYER",  "  0", "LAYER",
         "  2", "ENTITIES_OLD", "  0", "LAYER",  "  2", "POINT", "  0", "ENDTAB", "  0", "ENDSEC"});
    const std::string blocks =
        Dxf({"  0", "SECTION", "  2", "BLOCKS", "  0",    "BLOCK", "  2",    "MOJON", " 10",
             "0.0", " 20",     "0.0", "  0",    "CIRCLE", "  8",   "POINT",  " 10",   "0.0",
             " 20", "0.0",     " 40", "0.5",    "  0",    "LINE",  " 10",    "-0.7",  " 20",
             "0.0", " 11",     "0.7", " 21",    "0.0",    "  0",   "ENDBLK", "  0",   "ENDSEC"});
    const std::string entities =
        kHead + Dxf({"  0", "ELLIPSE",  "  8", "LINE",      " 10", "300000.0",  " 20", "4100000.0",
                     " 11", "10.0",     " 21", "0.0",       " 40", "0.5",       "  0", "MTEXT",
                     "  8", "TEXT",     " 10", "300010.0",  " 20", "4100010.0", " 11", "1.0",
                     " 21", "0.0",      "  1", "POINT",     "  0", "CIRCLE",    "  8", "POINT",
                     " 10", "300020.0", " 20", "4100020.0", " 40", "1.0",       "  0", "CIRCLE",
                     "  8", "0",        " 10", "300030.0",  " 20", "4100030.0", " 40", "1.0"}) +
        kTail;
    const std::string input = tables + blocks + entities;
    ASSERT_EQ(Process(input), 1);
    std::string expected = input;
    for (const char* x : {"300000.0", "300010.0", "300020.0", "300030.0"}) {
        expected = Moved(expected, {LineOf(input, x)});
    }
    EXPECT_EQ(output_, expected);
    EXPECT_TRUE(LogHas("Número de textos.....: 0\r\nNúmero de puntos.....: 0\r\n"
                       "Número de líneas.....: 0\r\n"));
    EXPECT_TRUE(LogHas("Otras entidades......: 4\r\n")) << log_;
}

TEST_F(DxfProcessing, GroupCodesWithoutBlanksEndEntities) {
    // "0" is group code 0 as much as "  0" is.
    const std::string input =
        Dxf({"0",  "SECTION",   "2",  "ENTITIES",  "0",  "POINT",    "10", "300000.0",
             "20", "4100000.0", "0",  "CIRCLE",    "10", "300010.0", "20", "4100010.0",
             "40", "2.0",       "0",  "POLYLINE",  "10", "0.0",      "20", "0.0",
             "30", "5.0",       "0",  "VERTEX",    "10", "300020.0", "20", "4100020.0",
             "0",  "SEQEND",    "0",  "3DFACE",    "10", "300030.0", "20", "4100030.0",
             "11", "300031.0",  "21", "4100031.0", "12", "300032.0", "22", "4100032.0",
             "13", "300033.0",  "23", "4100033.0", "0",  "ENDSEC",   "0",  "EOF"});
    ASSERT_EQ(Process(input), 1) << log_;
    std::string expected = input;
    for (const char* x :
         {"300000.0", "300010.0", "300020.0", "300030.0", "300031.0", "300032.0", "300033.0"}) {
        expected = Moved(expected, {LineOf(input, x)});
    }
    EXPECT_EQ(output_, expected);
    EXPECT_TRUE(LogHas("Número de puntos.....: 1\r\n"));
    EXPECT_TRUE(LogHas("Número de polilíneas.: 1\r\n"));
    EXPECT_TRUE(LogHas("Otras entidades......: 2\r\n")) << log_;
}

// Extrusion (0, 0, -1): object x is minus world x.
TEST_F(DxfProcessing, MirroredEntitiesMoveInWorldCoordinates) {
    const std::string input =
        kHead +
        Dxf({"  0", "CIRCLE",     " 10", "-300000.0", " 20", "4100000.0", " 30", "-7.0",
             " 40", "1.5",        "210", "0.0",       "220", "0.0",       "230", "-1.0",
             "  0", "LWPOLYLINE", " 90", "2",         " 10", "-300010.0", " 20", "4100010.0",
             " 10", "-300020.0",  " 20", "4100020.0", "210", "0.0",       "220", "0.0",
             "230", "-1.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    std::map<std::size_t, std::string> values;
    for (const double x : {300000.0, 300010.0, 300020.0}) {
        const PlanePoint p = Carried(x, 4100000.0 + (x - 300000.0));
        const std::size_t line = LineOf(input, CFixed(-x, 1));
        values[line] = CFixed(-p.x, 6);
        values[line + 2] = CFixed(p.y, 6);
    }
    EXPECT_EQ(output_, WithLines(input, values));
}

// What DXF writers put after the points (the extrusion) is read ahead of
// them; an entity too long to hold in memory is read ahead a second time.
TEST_F(DxfProcessing, EntitiesOfAnyLengthAreReadAheadToTheirEnd) {
    for (const int vertices : {3, 5000}) {
        SCOPED_TRACE(vertices);
        std::string input = kHead + Dxf({"  0", "LWPOLYLINE", " 90", std::to_string(vertices)});
        for (int i = 0; i < vertices; ++i) {
            input += Dxf({" 10", CFixed(-300000.0 - i, 1), " 20", CFixed(4100000.0 + i, 1)});
        }
        input += Dxf({"210",    "0.0", "220",       "0.0", "230",       "-1.0", "  0",
                      "CIRCLE", " 10", "-310000.0", " 20", "4110000.0", " 40",  "2.0",
                      "210",    "0.0", "220",       "0.0", "230",       "-1.0"}) +
                 kTail;
        ASSERT_EQ(Process(input), 1) << log_;
        std::map<std::size_t, std::string> values;
        for (int i = 0; i <= vertices; ++i) {
            const bool circle = i == vertices;
            const double x = circle ? 310000.0 : 300000.0 + i;
            const double y = circle ? 4110000.0 : 4100000.0 + i;
            const PlanePoint p = Carried(x, y);
            const std::size_t line = circle ? LineOf(input, "CIRCLE") + 2 : 10 + 4 * i;
            values[line] = CFixed(-p.x, 6);
            values[line + 2] = CFixed(p.y, 6);
        }
        EXPECT_TRUE(output_ == WithLines(input, values));
    }
}

// In a tilted plane a point keeps its world height: its object z changes.
TEST_F(DxfProcessing, TiltedPlanesKeepWorldHeights) {
    // N = (0.6, 0, 0.8): the arbitrary axis algorithm gives Ax = (0, 1, 0)
    // and Ay = (-0.8, 0, 0.6) (as ezdxf's OCS does), so the object point of
    // world (x, y, z) is (y, -0.8 x + 0.6 z, 0.6 x + 0.8 z).
    const double wx = 300000.0, wy = 4100000.0, wz = 500.0;
    const auto object_y = [&](double x) { return CFixed(-0.8 * x + 0.6 * wz, 6); };
    const auto object_z = [&](double x) { return CFixed(0.6 * x + 0.8 * wz, 6); };
    const std::string tilt = "210\n0.6\n220\n0.0\n230\n0.8\n";
    const std::string input = kHead +
                              Dxf({"  0", "CIRCLE", " 10", CFixed(wy, 6), " 20", object_y(wx),
                                   " 30", object_z(wx), " 40", "2.0"}) +
                              tilt + kTail;
    ASSERT_EQ(Process(input), 1) << log_;
    const PlanePoint p = Carried(wx, wy);
    EXPECT_EQ(output_,
              WithLines(input, {{8, CFixed(p.y, 6)}, {10, object_y(p.x)}, {12, object_z(p.x)}}));

    // A tilted polyline without an elevation line cannot move.
    const std::string lw =
        kHead +
        Dxf({"  0", "LWPOLYLINE", " 38", object_z(wx), " 10", CFixed(wy, 6), " 20", object_y(wx)}) +
        tilt + kTail;
    EXPECT_EQ(Process(WithLines(lw, {{7, "999"}})), 0);
    EXPECT_TRUE(LogHas("Línea 6 rechazada: entidad en un plano inclinado sin elevación")) << log_;

    // Into degrees the plane bends: its points cannot stay on it.
    run_.pb = kKindGeodetic;
    const std::string two =
        kHead +
        Dxf({"  0", "LWPOLYLINE", " 38", object_z(wx), " 10", CFixed(wy, 6), " 20", object_y(wx),
             " 10", CFixed(wy + 100, 6), " 20", object_y(wx + 80)}) +
        tilt + kTail;
    EXPECT_EQ(Process(two), 0);
    EXPECT_TRUE(LogHas("Línea 14 rechazada: el punto se sale del plano inclinado de su entidad"))
        << log_;
}

// The world points of the first LWPOLYLINE of a drawing, read through the
// extrusion and elevation it has.
std::vector<Vector3> LwPolylineWorld(const std::string& drawing) {
    const std::vector<std::string> lines = Lines(drawing);
    std::map<int, std::vector<double>> values;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::stoi(lines[i]);
        if (code == 0 && !values.empty()) {
            break;
        }
        if (code != 0) {
            values[code].push_back(std::stod(lines[i + 1]));
        }
    }
    const ObjectFrame frame({values[210].at(0), values[220].at(0), values[230].at(0)});
    std::vector<Vector3> points;
    for (std::size_t i = 0; i < values[10].size(); ++i) {
        points.push_back(frame.ToWorld({values[10][i], values[20].at(i), values[38].at(0)}));
    }
    return points;
}

// A tilted plane turns with the drawing, so that its points land on their
// moved world positions at their heights, its far end included: GDAL's
// LWPOLYLINE-OCS.dxf stands upright and 1.9 km long (N = (-0.927, -0.375,
// 8e-11)); moved there as it stood, with its extrusion kept, its far end
// would leave the plane by 17 mm.
TEST_F(DxfProcessing, TiltedPlanesTurnWithTheDrawing) {
    struct Case {
        std::string name;
        Vector3 extrusion;
        std::vector<std::array<double, 2>> ocs; // the polyline as drawn, anywhere
    };
    const std::vector<Case> cases = {
        {"leaning", {0.6, 0.0, 0.8}, {{4100000.0, -239700.0}, {4100050.0, -239640.0}}},
        {"upright, GDAL",
         {-0.9268411628119032, -0.3754536708003788, 0.0000000000842114},
         {{-2680074.283666871, 1807.373239133308},
          {-2680528.081743926, 1807.373239133308},
          {-2680568.081744213, 1767.373239133307},
          {-2680568.081744086, 1661.184230680374},
          {-2680608.081743998, 1621.184230680374},
          {-2681431.272631172, 1621.184230680374},
          {-2681471.272631022, 1661.184230680374},
          {-2681471.272630948, 1752.316529788103},
          {-2681511.272631108, 1792.316529788103},
          {-2681979.871336681, 1792.316529788103}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Its first point moved to (300000, 4100000, 500) in the world.
        const ObjectFrame frame(c.extrusion);
        const Vector3 first = frame.ToWorld({c.ocs[0][0], c.ocs[0][1], 0.0});
        const Vector3 shift{300000.0 - first.x, 4100000.0 - first.y, 500.0 - first.z};
        std::vector<Vector3> world;
        std::string entity = Dxf({"  0", "LWPOLYLINE", " 90", std::to_string(c.ocs.size())});
        const double elevation = frame.ToObject(shift).z;
        entity += Dxf({" 38", CFixed(elevation, 9)});
        for (const auto& [x, y] : c.ocs) {
            const Vector3 p = frame.ToWorld({x, y, 0.0});
            world.push_back({p.x + shift.x, p.y + shift.y, p.z + shift.z});
            const Vector3 o = frame.ToObject(world.back());
            entity += Dxf({" 10", CFixed(o.x, 9), " 20", CFixed(o.y, 9)});
        }
        entity += Dxf({"210", CFixed(c.extrusion.x, 17), "220", CFixed(c.extrusion.y, 17), "230",
                       CFixed(c.extrusion.z, 17)});
        ASSERT_EQ(Process(kHead + entity + kTail), 1) << log_;
        const std::vector<Vector3> moved = LwPolylineWorld(output_.substr(kHead.size()));
        ASSERT_EQ(moved.size(), world.size());
        for (std::size_t i = 0; i < world.size(); ++i) {
            const PlanePoint p = Carried(world[i].x, world[i].y);
            EXPECT_NEAR(moved[i].x, p.x, 1e-3) << i;
            EXPECT_NEAR(moved[i].y, p.y, 1e-3) << i;
            EXPECT_NEAR(moved[i].z, world[i].z, 1e-3) << i;
        }
    }
}

TEST_F(DxfProcessing, HeaderExtentsLimitsAndBaseFollowTheDrawing) {
    const std::string header =
        Dxf({"  0", "SECTION",   "  2", "HEADER",  "  9", "$INSBASE", " 10", "300000.0",
             " 20", "4100000.0", " 30", "0.0",     "  9", "$EXTMIN",  " 10", "1e+20",
             " 20", "1e+20",     " 30", "1e+20",   "  9", "$EXTMAX",  " 10", "-1e+20",
             " 20", "-1e+20",    " 30", "-1e+20",  "  9", "$LIMMIN",  " 10", "0.0",
             " 20", "0.0",       "  9", "$LIMMAX", " 10", "420.0",    " 20", "297.0",
             "  9", "$PEXTMIN",  " 10", "1.0",     " 20", "2.0",      "  0", "ENDSEC"});
    const std::string input =
        header + kHead +
        Dxf({"  0", "CIRCLE", " 10", "300100.0", " 20", "4100100.0", " 40", "2.5", "  0", "LINE",
             " 10", "300000.0", " 20", "4100200.0", " 11", "300050.0", " 21", "4100000.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1);
    const PlanePoint base = Carried(300000.0, 4100000.0);
    const PlanePoint centre = Carried(300100.0, 4100100.0);
    const PlanePoint a = Carried(300000.0, 4100200.0), b = Carried(300050.0, 4100000.0);
    const double x_min = std::min({centre.x - 2.5, a.x, b.x}),
                 y_min = std::min({centre.y - 2.5, a.y, b.y});
    const double x_max = std::max({centre.x + 2.5, a.x, b.x}),
                 y_max = std::max({centre.y + 2.5, a.y, b.y});
    const std::string expected_header = WithLines(header, {{8, CFixed(base.x, 6)},
                                                           {10, CFixed(base.y, 6)},
                                                           {16, CFixed(x_min, 6)},
                                                           {18, CFixed(y_min, 6)},
                                                           {24, CFixed(x_max, 6)},
                                                           {26, CFixed(y_max, 6)},
                                                           {32, CFixed(x_min, 6)},
                                                           {34, CFixed(y_min, 6)},
                                                           {38, CFixed(x_max, 6)},
                                                           {40, CFixed(y_max, 6)}});
    EXPECT_EQ(output_.substr(0, expected_header.size()), expected_header);

    // Without points, the corners are moved as they stand; "no extents" stays.
    const std::string empty = header + kHead + kTail;
    ASSERT_EQ(Process(empty), 1);
    const PlanePoint origin = Carried(0.0, 0.0), corner = Carried(420.0, 297.0);
    EXPECT_EQ(output_, WithLines(empty, {{8, CFixed(base.x, 6)},
                                         {10, CFixed(base.y, 6)},
                                         {32, CFixed(origin.x, 6)},
                                         {34, CFixed(origin.y, 6)},
                                         {38, CFixed(corner.x, 6)},
                                         {40, CFixed(corner.y, 6)}}));
}

// Paper space (67 = 1, with what follows its INSERTs and POLYLINEs), block
// definitions and OBJECTS stay byte for byte.
TEST_F(DxfProcessing, PaperSpaceBlocksAndObjectsStay) {
    const std::string blocks =
        Dxf({"  0", "SECTION",   "  2", "BLOCKS", "  0", "BLOCK", "  2", "MOJON",
             " 10", "0.0",       " 20", "0.0",    "  0", "POINT", " 10", "300000.0",
             " 20", "4100000.0", "  0", "ENDBLK", "  0", "ENDSEC"});
    const std::string objects = Dxf({"  0", "SECTION", "  2", "OBJECTS", "  0", "XRECORD", " 10",
                                     "300000.0", " 20", "4100000.0", "  0", "ENDSEC"});
    const std::string input =
        blocks + kHead +
        Dxf({"  0", "TEXT",     " 67", "1",         " 10", "20.0",   " 20", "20.0",
             "  1", "Plano",    "  0", "INSERT",    " 67", "1",      " 66", "1",
             "  2", "MOJON",    " 10", "30.0",      " 20", "30.0",   "  0", "ATTRIB",
             " 10", "31.0",     " 20", "31.0",      "  0", "SEQEND", "  0", "POINT",
             " 10", "300000.0", " 20", "4100000.0", "  0", "ENDSEC"}) +
        objects + Dxf({"  0", "EOF"});
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, Moved(input, {LineOf(input, "300000.0", 20)}));
    EXPECT_TRUE(LogHas("Número de textos.....: 0\r\nNúmero de puntos.....: 1\r\n"));
}

// The picture of a model-space dimension is an anonymous block in world
// coordinates: it moves with the dimension; other blocks stay.
TEST_F(DxfProcessing, DimensionPicturesMoveWithTheirDimensions) {
    const std::string input =
        Dxf({"  0", "SECTION",   "  2", "BLOCKS",   "  0", "BLOCK",     "  2", "*D1",
             " 10", "0.0",       " 20", "0.0",      "  0", "LINE",      " 10", "300000.0",
             " 20", "4100000.0", " 11", "300100.0", " 21", "4100000.0", "  0", "INSERT",
             "  2", "_ARROW",    " 10", "300000.0", " 20", "4100000.0", "  0", "ENDBLK",
             "  0", "BLOCK",     "  2", "*D2",      "  0", "LINE",      " 10", "300000.0",
             " 20", "4100000.0", " 11", "1.0",      " 21", "1.0",       "  0", "ENDBLK",
             "  0", "ENDSEC"}) +
        kHead +
        Dxf({"  0", "DIMENSION", "  2", "*D1", " 10", "300000.0", " 20", "4100000.0", "  0",
             "DIMENSION", " 67", "1", "  2", "*D2", " 10", "1.0", " 20", "1.0"}) +
        kTail;
    ASSERT_EQ(Process(input), 1) << log_;
    EXPECT_EQ(output_, Moved(input, {16, 20, 28, LineOf(input, "300000.0", 50)}));
}

// A MULTILEADER as ezdxf writes one: outside its context data 10 is the
// block's scale; in it, base point 10, text location 12 and the plane's
// origin 110 are points, 11 and 13 directions; a leader's 10 and its line's
// vertices are points, the leader's dogleg 11 a vector.
TEST_F(DxfProcessing, MultiLeaderPointsMoveButNotItsVectors) {
    const std::string input = kHead + Dxf({"  0", "MULTILEADER",
                                           "  5", "2A",
                                           "100", "AcDbMLeader",
                                           " 10", "1.0",
                                           " 20", "1.0",
                                           " 30", "1.0",
                                           "300", "CONTEXT_DATA{",
                                           " 40", "1.0",
                                           " 10", "300001.0",
                                           " 20", "4100001.0",
                                           " 30", "0.0",
                                           "290", "1",
                                           "304", "Mojón 12",
                                           " 11", "0.0",
                                           " 21", "0.0",
                                           " 31", "1.0",
                                           " 12", "300002.0",
                                           " 22", "4100002.0",
                                           " 32", "0.0",
                                           " 13", "1.0",
                                           " 23", "0.0",
                                           " 33", "0.0",
                                           "110", "300003.0",
                                           "120", "4100003.0",
                                           "130", "0.0",
                                           "111", "1.0",
                                           "121", "0.0",
                                           "131", "0.0",
                                           "302", "LEADER{",
                                           "290", "1",
                                           " 10", "300004.0",
                                           " 20", "4100004.0",
                                           " 30", "0.0",
                                           " 11", "1.0",
                                           " 21", "0.0",
                                           " 31", "0.0",
                                           "304", "LEADER_LINE{",
                                           " 10", "300005.0",
                                           " 20", "4100005.0",
                                           " 30", "0.0",
                                           " 10", "300006.0",
                                           " 20", "4100006.0",
                                           " 30", "0.0",
                                           "305", "}",
                                           "303", "}",
                                           "301", "}",
                                           "302", "Atributo"}) +
                              kTail;
    ASSERT_EQ(Process(input), 1) << log_;
    std::string expected = input;
    for (const char* x : {"300001.0", "300002.0", "300003.0", "300004.0", "300005.0", "300006.0"}) {
        expected = Moved(expected, {LineOf(input, x)});
    }
    EXPECT_EQ(output_, expected);
    EXPECT_FALSE(LogHas("no transformadas")) << log_;
}

// Bodies of opaque data and unknown kinds are copied, named in the log (the
// opaque ones with their handles) and counted for the run's outcome; a
// strict run refuses the drawing and leaves the previous output.
TEST_F(DxfProcessing, EntitiesThatCannotMoveAreNamedCountedOrRefused) {
    const std::string input = kHead + Dxf({"  0", "3DSOLID",
                                           "  5", "2F",
                                           "100", "AcDbModelerGeometry",
                                           "  1", "ACIS",
                                           "  0", "MPOLYGON",
                                           " 10", "300000.0",
                                           " 20", "4100000.0",
                                           "  0", "3DSOLID",
                                           "  5", "30",
                                           "  0", "ACAD_PROXY_ENTITY",
                                           " 90", "498",
                                           "  0", "CIRCLE",
                                           " 10", "300000.0",
                                           " 20", "4100000.0",
                                           " 40", "1.0"}) +
                              kTail;
    RunOutcome outcome;
    RunArguments run = run_;
    run.entrada = dir_.File("in.dxf");
    run.salida = dir_.File("out.dxf");
    WriteWhole(run.entrada, input);
    ASSERT_EQ(ProcesarDXF(dir_.File("log"), run, nullptr, &outcome), 1);
    log_ = Cp1252ToUtf8(ReadWhole(dir_.File("log")));
    EXPECT_EQ(ReadWhole(run.salida), Moved(input, {LineOf(input, "300000.0", 26)}));
    EXPECT_TRUE(LogHas("Otras entidades......: 1\r\n"
                       "Incertidumbre (95 %).: 1.900 a 1.900 m\r\n"
                       "Entidades no transformadas: 3DSOLID (2), identificadores 2F 30; "
                       "geometría opaca sin puntos conocidos, fuera de la extensión del dibujo\r\n"
                       "Entidades no transformadas: ACAD_PROXY_ENTITY (1); geometría opaca sin "
                       "puntos conocidos, fuera de la extensión del dibujo\r\n"
                       "Entidades no transformadas: MPOLYGON (1)\r\n"))
        << log_;
    EXPECT_EQ(outcome.untransformed, 4);
    EXPECT_EQ(outcome.untransformed_kinds, "3DSOLID 2, ACAD_PROXY_ENTITY 1, MPOLYGON 1");

    const std::string previous = ReadWhole(run.salida);
    run.strict_drawing = true;
    EXPECT_EQ(ProcesarDXF(dir_.File("log"), run, nullptr, &outcome), 0);
    EXPECT_EQ(ReadWhole(run.salida), previous);
    log_ = Cp1252ToUtf8(ReadWhole(dir_.File("log")));
    EXPECT_TRUE(LogHas("Entidades no transformadas: MPOLYGON (1)\r\n"
                       "El dibujo no se ha transformado: tiene entidades que no se pueden "
                       "transformar\r\n"))
        << log_;
}

// Without an output zone the whole drawing goes to one zone: a LINE across
// 6 degrees W keeps its length.
TEST_F(DxfProcessing, OneZoneForTheWholeDrawing) {
    run_.h_salida = 0;
    const std::string input = kHead +
                              Dxf({"  0", "LINE", " 10", "228000.0", " 20", "4120000.0", " 11",
                                   "236500.0", " 21", "4122700.0"}) +
                              kTail;
    ASSERT_EQ(Process(input), 1);
    const std::vector<std::string> lines = Lines(output_);
    const double dx = std::stod(lines[11]) - std::stod(lines[7]);
    const double dy = std::stod(lines[13]) - std::stod(lines[9]);
    const double before = std::hypot(8500.0, 2700.0);
    EXPECT_NEAR(std::hypot(dx, dy) / before, 1.0, 1e-3);
    EXPECT_EQ(output_, Moved(input, {8, 12}));
    EXPECT_TRUE(LogHas("Huso de salida......: 30 (único para todo el dibujo)\r\n")) << log_;

    // Geodetic input: the zone of the centre of the drawing, here 29.
    run_.pa = kKindGeodetic;
    const std::string degrees =
        kHead +
        Dxf({"  0", "LINE", " 10", "-6.07", " 20", "37.2", " 11", "-5.96", " 21", "37.23"}) + kTail;
    ASSERT_EQ(Process(degrees), 1);
    EXPECT_TRUE(LogHas("Huso de salida......: 29 (único para todo el dibujo)\r\n")) << log_;
    const std::vector<std::string> out = Lines(output_);
    double zone = 29;
    const CoordTriple start =
        TransformPoint(CoordTriple(-6.07, 37.2, kNoThird), kDatumEd50, kKindGeodetic, 0,
                       kDatumEtrs89, kKindUtm, 29, National(), 0, zone);
    EXPECT_EQ(out[7], CFixed(start.c1, 6) + "\n");
    EXPECT_GT(std::stod(out[11]), std::stod(out[7])); // both ends in zone 29
}

TEST_F(DxfProcessing, GeodeticOutputKeepsTenDecimals) {
    run_.pb = kKindGeodetic;
    const std::string input =
        kHead + Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0"}) + kTail;
    ASSERT_EQ(Process(input), 1);
    double zone = 0;
    const CoordTriple p =
        TransformPoint(CoordTriple(300000.0, 4100000.0, kNoThird), kDatumEd50, kKindUtm, 30,
                       kDatumEtrs89, kKindGeodetic, 0, National(), 0, zone);
    EXPECT_EQ(output_, WithLines(input, {{8, CFixed(p.c1, 10)}, {10, CFixed(p.c2, 10)}}));
}

TEST_F(DxfProcessing, CopiedLinesKeepTheirBytesAndEnds) {
    // CR LF and LF lines, a long comment, blanks: all copied byte for byte; a
    // moved value keeps the end of its line.
    const std::string comment = "999\r\n" + std::string(600, 'c') + "  \r\n";
    const std::string input = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + comment +
                              "  0\r\nPOINT\r\n 10\r\n300000.0\r\n 20\n 4100000.0 \n" +
                              "  0\r\nENDSEC\r\n  0\r\nEOF\r\nafter the end";
    ASSERT_EQ(Process(input), 1);
    const PlanePoint p = Carried(300000.0, 4100000.0);
    EXPECT_EQ(output_, "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + comment +
                           "  0\r\nPOINT\r\n 10\r\n" + CFixed(p.x, 6) + "\r\n 20\n" +
                           CFixed(p.y, 6) + "\n  0\r\nENDSEC\r\n  0\r\nEOF\r\nafter the end");
}

TEST_F(DxfProcessing, UtmZoneIsWrittenNowhere) {
    run_.h_salida = 0;
    const std::string input =
        kHead + Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0", " 30", "30.0"}) + kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_.find("30.\n"), std::string::npos);
    EXPECT_NE(output_.find(" 30\n30.0\n"), std::string::npos);
}

TEST_F(DxfProcessing, EmptyPolylineDoesNotSwallowTheNextEntities) {
    const std::string input = kHead +
                              Dxf({"  0", "POLYLINE", " 66", "1", "  0", "SEQEND", "  8", "0"}) +
                              Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0"}) + kTail;
    ASSERT_EQ(Process(input), 1);
    EXPECT_EQ(output_, Moved(input, {LineOf(input, "300000.0")}));
    EXPECT_TRUE(LogHas("Número de puntos.....: 1\r\nNúmero de líneas.....: 0\r\n"
                       "Número de polilíneas.: 1\r\n"))
        << log_;
}

// A drawing that is not whole is no result: 0, the line where it ends, and
// an earlier output left as it was.
TEST_F(DxfProcessing, IncompleteDrawingsFail) {
    const std::string whole =
        kHead + Dxf({"  0", "LINE", " 10", "300000.0", " 20", "4100000.0"}) + kTail;
    struct Case {
        std::string name;
        std::string drawing;
        int line;
    };
    const std::vector<Case> cases = {
        {"cut inside an entity", kHead + Dxf({"  0", "LINE", " 10", "300000.0", " 20"}), 9},
        {"cut after a code", whole.substr(0, whole.find(" 20\n") + 4), 9},
        {"no EOF", whole.substr(0, whole.rfind("  0\nEOF")), 12},
        {"no ENDSEC", kHead + Dxf({"  0", "LINE", "  0", "EOF"}), 8},
        {"a section inside a section",
         kHead + Dxf({"  0", "SECTION", "  2", "OBJECTS", "  0", "ENDSEC", "  0", "EOF"}), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWhole(dir_.File("out.dxf"), "earlier result");
        WriteWhole(dir_.File("in.dxf"), c.drawing);
        EXPECT_EQ(ProcessAgain(), 0);
        EXPECT_TRUE(LogHas("El dibujo está incompleto: termina en la línea " +
                           std::to_string(c.line) + "\r\n"))
            << log_;
        EXPECT_EQ(output_, "earlier result");
    }
}

// Lines ended by CR alone (old Macintosh programs) are read and kept so: the
// drawing moves as its LF twin does.
TEST_F(DxfProcessing, LinesEndedByCarriageReturnsAlone) {
    std::string input = kHead + Dxf({"  0", "LINE",       "  8", "0",        " 10", "300000.0",
                                     " 20", "4100000.0",  " 11", "300100.5", " 21", "4100200.25",
                                     "  0", "LWPOLYLINE", " 90", "1",        " 10", "300010.0",
                                     " 20", "4100010.0"}) +
                        kTail;
    ASSERT_EQ(Process(input), 1) << log_;
    std::string expected = output_;
    std::replace(input.begin(), input.end(), '\n', '\r');
    std::replace(expected.begin(), expected.end(), '\n', '\r');
    ASSERT_EQ(Process(input), 1) << log_;
    EXPECT_EQ(output_, expected);
}

TEST_F(DxfProcessing, UnreadableDrawingsFail) {
    struct Case {
        std::string name;
        std::string drawing;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0\0", 25) + "SECTION",
         "El dibujo es un DXF binario: solo se leen dibujos DXF de texto"},
        {"a code that is no number", kHead + Dxf({"  0", "POINT", "1O", "300000.0"}) + kTail,
         "Código de grupo no válido en la línea 7"},
        {"no ENTITIES", Dxf({"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "EOF"}),
         "El dibujo no tiene sección ENTITIES"},
        {"a value of 2 MiB",
         kHead + Dxf({"  0", "TEXT", "  1", std::string(2 * 1024 * 1024, 'x')}) + kTail,
         "La línea 8 del dibujo tiene más de 1 MiB"},
        {"UTF-16",
         std::string("\xFF\xFE \0 \0"
                     "0\0\r\0\n\0S\0E\0",
                     16),
         "El archivo de entrada no es un dibujo DXF de texto"},
        {"PNG", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         "El archivo de entrada no es un dibujo DXF de texto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Process(c.drawing), 0);
        EXPECT_TRUE(LogHas(c.log + "\r\n")) << log_;
        EXPECT_FALSE(std::filesystem::exists(dir_.File("out.dxf")));
    }
}

// A coordinate that cannot be carried leaves the drawing untransformed: no
// part of a drawing may stay behind. Each such value is named by its line.
TEST_F(DxfProcessing, UnusableCoordinatesFailTheRun) {
    struct Case {
        std::string x;
        std::string y;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"235171,041", "4100000.0", "Línea 8 rechazada: valor no numérico"},
        {"12abc", "4100000.0", "Línea 8 rechazada: valor no numérico"},
        {"", "4100000.0", "Línea 8 rechazada: valor no numérico"},
        {"300000.0", "nan", "Línea 10 rechazada: valor no numérico"},
        {"300000.0", "1e400", "Línea 10 rechazada: valor no finito"},
        {"1e250", "4100000.0", "Línea 8 rechazada: fuera del dominio de las coordenadas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x + " " + c.y);
        WriteWhole(dir_.File("out.dxf"), "earlier result");
        WriteWhole(dir_.File("in.dxf"), kHead +
                                            Dxf({"  0", "POINT", " 10", c.x, " 20", c.y, "  0",
                                                 "POINT", " 10", "300000.0", " 20", "4100000.0"}) +
                                            kTail);
        EXPECT_EQ(ProcessAgain(), 0);
        EXPECT_TRUE(LogHas(c.log + "\r\nLíneas rechazadas.....: 1\r\n")) << log_;
        EXPECT_EQ(output_, "earlier result");
    }
    // A pair without its y, and the count after the first thousand.
    std::string many = kHead + Dxf({"  0", "POINT", " 10", "300000.0", " 30", "1.0"});
    for (int i = 0; i < 1001; ++i) {
        many += Dxf({"  0", "POINT", " 10", "x", " 20", "4100000.0"});
    }
    EXPECT_EQ(Process(many + kTail), 0);
    EXPECT_TRUE(LogHas("Línea 8 rechazada: falta la coordenada y del punto\r\n"));
    EXPECT_TRUE(
        LogHas("Otras 2 líneas rechazadas no se detallan\r\nLíneas rechazadas.....: 1002\r\n"));
}

// A progress sink that asks to stop after some steps.
class StopAfter : public ProgressSink {
public:
    explicit StopAfter(int steps) : left_(steps) {}
    void Open(std::string_view, std::uint64_t) override {}
    void Step(std::uint64_t) override {}
    void Close() override {}
    bool CancelRequested() override { return --left_ < 0; }

private:
    int left_;
};

TEST_F(DxfProcessing, CancelledRunsLeaveNoDrawing) {
    std::string input = kHead;
    for (int i = 0; i < 100; ++i) {
        input += Dxf({"  0", "POINT", " 10", "300000.0", " 20", "4100000.0"});
    }
    input += kTail;
    for (const int steps : {10, 500}) { // while measuring, while writing
        SCOPED_TRACE(steps);
        StopAfter stop(steps);
        WriteWhole(dir_.File("out.dxf"), "earlier result");
        WriteWhole(dir_.File("in.dxf"), input);
        EXPECT_EQ(ProcessAgain(&stop), 0);
        EXPECT_TRUE(LogHas("Operación cancelada por el usuario\r\n")) << log_;
        EXPECT_FALSE(LogHas("Resumen"));
        EXPECT_EQ(output_, "earlier result");
    }
    TempDir dir;
    WriteWhole(dir.File("d.dxf"), input);
    CentroidResult result;
    StopAfter stop(10);
    EXPECT_EQ(CentroideDXF(dir.File("d.dxf"), kDatumEd50, kKindUtm, 30, result, &stop), 0);
    EXPECT_EQ(result.count, 0);
}

TEST_F(DxfProcessing, BadArgumentsAreReportedInTheLog) {
    run_.h_entrada = 0; // a drawing has one zone, which must be given
    EXPECT_EQ(Process(kHead + kTail), 0);
    EXPECT_TRUE(LogHas("Huso de entrada no válido para un dibujo"));
    run_.h_entrada = 30;
    run_.pb = kKindPlane;
    EXPECT_EQ(Process(kHead + kTail), 0);
    EXPECT_TRUE(LogHas("No se puede transformar la proyección plana\r\n"));
    EXPECT_EQ(output_, ""); // never opened
}

TEST(CentroideDXF, CountsThePointsOfEveryModelSpaceEntity) {
    TempDir dir;
    const std::string path = dir.File("d.dxf");
    WriteWhole(
        path,
        Dxf({"  0", "SECTION", "  2", "BLOCKS", "  0", "BLOCK", "  2", "B", "  0", "POINT", " 10",
             "9999.0", " 20", "9999.0", "  0", "ENDBLK", "  0", "ENDSEC"}) +
            kHead +
            Dxf({"  0", "LINE",      "  8", "TEXT",      " 10", "300100.0", " 20", "4100200.0",
                 " 11", "300300.0",  " 21", "4100400.0", "  0", "TEXT",     " 10", "300200.0",
                 " 20", "4100300.0", "  0", "CIRCLE",    " 10", "300200.0", " 20", "4100300.0",
                 "  0", "TEXT",      " 67", "1",         " 10", "9999.0",   " 20", "9999.0"}) +
            kTail);
    CentroidResult result;
    quillon_test::RecordingProgress progress;
    ASSERT_EQ(CentroideDXF(path, kDatumEd50, kKindUtm, 30, result, &progress), 1);
    EXPECT_EQ(result.count, 4);
    // ED50 UTM 30 in and out: through geodetic and back, some 40 micrometres off.
    EXPECT_NEAR(result.x, 300200.0, 1e-4);
    EXPECT_NEAR(result.y, 4100300.0, 1e-4);
    EXPECT_NEAR(result.x_max, 300300.0, 1e-4);
    EXPECT_NEAR(result.y_min, 4100200.0, 1e-4);
    WriteWhole(path, Dxf({"  0", "EOF"}));
    EXPECT_EQ(CentroideDXF(path, kDatumEd50, kKindUtm, 30, result, nullptr), 0);
    EXPECT_EQ(result.x_min, 1e30);
    WriteWhole(path, kHead + Dxf({"  0", "POINT", " 10", "300000.0"}));
    EXPECT_EQ(CentroideDXF(path, kDatumEd50, kKindUtm, 30, result, nullptr), 0);
    EXPECT_EQ(CentroideDXF(path, kDatumEd50, kKindPlane, 30, result, nullptr), 0);
}

// With the grid, a coordinate the grid does not hold cannot be left out of a
// drawing, and moving the rest would leave it in two datums: the drawing is
// not transformed, no output is left, and the log names the line.
TEST_F(DxfProcessing, GridRefusesADrawingReachingBeyondIt) {
    run_.parametros = kParametersGrid;
    const std::string inside = kHead + Dxf({"  0", "POINT", "  8", "0", " 10", "300000.0", " 20",
                                            "4150000.0", " 30", "0.0"});
    EXPECT_EQ(Process(inside + kTail), 1) << log_;
    EXPECT_NE(output_.find("\n 20\n4"), std::string::npos);
    EXPECT_EQ(Process(inside +
                      Dxf({"  0", "LINE", "  8", "0", " 10", "300000.0", " 20", "4150000.0", " 11",
                           "100000.0", " 21", "3800000.0", "  0", "ENDSEC", "  0", "EOF"})),
              0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.dxf")));
    EXPECT_TRUE(LogHas("Línea 24 rechazada: fuera de la rejilla\r\n"
                       "Líneas rechazadas.....: 1\r\n"
                       "El dibujo no se ha transformado: tiene coordenadas que no se pueden "
                       "transformar\r\n"))
        << log_;
    // Orthometric heights have nothing to change in a drawing: no geoid is
    // needed (a missing one does not fail the run) and the log says so.
    run_.orthometric_heights = true;
    run_.geoid_path = "/no/such/geoid.gtx";
    EXPECT_EQ(Process(inside + kTail), 1) << log_;
    EXPECT_NE(log_.find("Alturas ortométricas: no se aplican a un dibujo, cuyas alturas no se "
                        "cambian\r\n"),
              std::string::npos);
}

// With the region check a coordinate outside the served region fails the
// drawing as one beyond the grid does; with the grid, its extent alone
// decides.
TEST_F(DxfProcessing, RegionCheckRefusesADrawingReachingBeyondIt) {
    run_.region_only = true;
    const std::string inside = kHead + Dxf({"  0", "POINT", "  8", "0", " 10", "300000.0", " 20",
                                            "4150000.0", " 30", "0.0"});
    EXPECT_EQ(Process(inside + kTail), 1) << log_;
    // x 700000 in zone 30: east of the region (639000), inside the grid.
    const std::string beyond = inside +
                               Dxf({"  0", "LINE", "  8", "0", " 10", "300000.0", " 20",
                                    "4150000.0", " 11", "700000.0", " 21", "4150000.0"}) +
                               kTail;
    EXPECT_EQ(Process(beyond), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.dxf")));
    EXPECT_TRUE(LogHas("Línea 24 rechazada: fuera de la región de cálculo\r\n"
                       "Líneas rechazadas.....: 1\r\n"))
        << log_;
    run_.parametros = kParametersGrid;
    EXPECT_EQ(Process(beyond), 1) << log_;
}

} // namespace
} // namespace dezadiravevava
