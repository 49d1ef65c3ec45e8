// Point tables end to end: every byte but the coordinates kept, coordinates
// equal to those a TXT file of the same points gets, rejected rows named.
#include "files/number_format.h"
#include "files/point_table.h"
#include "files/table_processing.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace dezadiravevava {
namespace {

using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

RunArguments RunOf(int da, int pa, double h_in, int db, int pb, double h_out) {
    RunArguments run;
    run.da = da;
    run.pa = pa;
    run.h_entrada = h_in;
    run.db = db;
    run.pb = pb;
    run.h_salida = h_out;
    run.region_only = true;
    return run;
}

const RunArguments kUtm30 = RunOf(kDatumEd50, kKindUtm, 30, kDatumEtrs89, kKindUtm, 30);

struct Table {
    int result = 0;
    std::string output;
    std::string log; // UTF-8
    RunOutcome outcome;
};

Table ProcessTable(const TempDir& dir, const std::string& input, RunArguments run,
                   const TableOptions& options) {
    WriteWhole(dir.File("in.csv"), input);
    run.entrada = dir.File("in.csv");
    run.salida = dir.File("out.csv");
    Table table;
    table.result = ProcesarTabla(dir.File("out.log"), run, options, nullptr, &table.outcome);
    table.output = std::filesystem::exists(run.salida) ? ReadWhole(run.salida) : "";
    table.log = Cp1252ToUtf8(ReadWhole(dir.File("out.log")));
    return table;
}

// The output fields (c1, c2, c3, zone) of each point as a TXT file of the
// points gets them.
std::vector<std::vector<std::string>>
TxtFields(const TempDir& dir, const std::vector<std::vector<double>>& points, RunArguments run) {
    std::string input = "puntos\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        input += std::to_string(i + 1);
        for (const double value : points[i]) {
            char text[32];
            input += '\t';
            input.append(text, std::to_chars(text, text + sizeof text, value).ptr);
        }
        input += '\n';
    }
    WriteWhole(dir.File("in.txt"), input);
    run.entrada = dir.File("in.txt");
    run.salida = dir.File("out.txt");
    EXPECT_EQ(ProcesarTXT(dir.File("txt.log"), run, nullptr), 1);
    std::istringstream output(ReadWhole(run.salida));
    std::string line;
    std::getline(output, line);
    std::vector<std::vector<std::string>> fields;
    while (std::getline(output, line)) {
        line.pop_back(); // CR
        std::vector<std::string> row;
        std::istringstream cut(line);
        std::string field;
        std::getline(cut, field, '\t'); // the point number
        while (std::getline(cut, field, '\t')) {
            row.push_back(field);
        }
        fields.push_back(row);
    }
    EXPECT_EQ(fields.size(), points.size());
    return fields;
}

// `expected` with its marks replaced by a point's TXT output: {P.C} the
// coordinate C (1 to 3) of point P, {P.C,} the same with a decimal comma,
// {P.Cs} as packed sexagesimal degrees with 5 decimals in the seconds,
// {P.h} the zone as a whole number, and {P.u} (or {P.u,}) the uncertainty of
// a UTM output.
std::string Expand(const std::string& expected,
                   const std::vector<std::vector<std::string>>& fields) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = expected.find('{'); at != std::string::npos;
         at = expected.find('{', from)) {
        out += expected.substr(from, at - from);
        const std::size_t end = expected.find('}', at);
        const std::string mark = expected.substr(at + 1, end - at - 1);
        const std::size_t point = std::stoul(mark) - 1;
        const char what = mark[mark.find('.') + 1];
        std::string text;
        if (what == 'h') {
            text = fields.at(point).at(3);
            text = text.substr(0, text.find('.')); // "30." is zone 30
        } else {
            text = fields.at(point).at(what == 'u' ? 4 : static_cast<std::size_t>(what - '1'));
            if (mark.back() == ',') {
                std::replace(text.begin(), text.end(), '.', ',');
            } else if (mark.back() == 's') {
                text = PackedSexagesimal(std::stod(text), 5);
            }
        }
        out += text;
        from = end + 1;
    }
    return out + expected.substr(from);
}

TEST(TableProcessing, KeepsEveryByteButTheCoordinates) {
    const double giralda_x = 235171.041, giralda_y = 4142124.422;
    struct Case {
        const char* what;
        std::string input;
        RunArguments run;
        TableOptions options;
        std::vector<std::vector<double>> points; // as TXT lines give them (zone last)
        std::string expected;
    };
    const RunArguments geodetic_to_zones =
        RunOf(kDatumEd50, kKindGeodetic, 0, kDatumEtrs89, kKindUtm, 0);
    RunArguments with_uncertainty = kUtm30;
    with_uncertainty.uncertainty_column = true;
    with_uncertainty.parametros = kParametersAndalusia;
    const RunArguments geodetic =
        RunOf(kDatumEd50, kKindGeodetic, 0, kDatumEtrs89, kKindGeodetic, 0);
    const Case cases[] = {
        {"spreadsheet CSV: BOM, UTF-8 names, ';', decimal commas, CR LF, quoted separator",
         "\xEF\xBB\xBFid;x;y;z;observaci\xC3\xB3n\r\n"
         "Giralda;235171,041;4142124,422;12,5;\"torre; campanario\"\r\n"
         ";;;;\r\n"
         "Alcazaba de M\xC3\xA1laga;373000;4067000;30;\r\n",
         kUtm30,
         {},
         {{giralda_x, giralda_y, 12.5}, {373000, 4067000, 30}},
         "\xEF\xBB\xBFid;x;y;z;observaci\xC3\xB3n\r\n"
         "Giralda;{1.1,};{1.2,};{1.3,};\"torre; campanario\"\r\n"
         ";;;;\r\n"
         "Alcazaba de M\xC3\xA1laga;{2.1,};{2.2,};{2.3,};\r\n"},
        {"x,y CSV without a last line end: 2D",
         "x,y\n235171.041,4142124.422\n373000,4067000",
         kUtm30,
         {},
         {{giralda_x, giralda_y, 0}, {373000, 4067000, 0}},
         "x,y\n{1.1},{1.2}\n{2.1},{2.2}"},
        {"quoted fields holding commas, Windows-1252 name",
         "nombre,x,y,z\n\"Cruz, La\",\"235171,041\", \"4142124,422\" ,12.5\n"
         "\"Le\xF3n\",373000,4067000,30\r\n",
         kUtm30,
         {},
         {{giralda_x, giralda_y, 12.5}, {373000, 4067000, 30}},
         "nombre,x,y,z\n\"Cruz, La\",\"{1.1,}\", \"{1.2,}\" ,{1.3}\n"
         "\"Le\xF3n\",{2.1},{2.2},{2.3}\r\n"},
        {"no header, blanks, identifier first: by position, blank line kept",
         "Giralda  235171.041  4142124.422  12.5\n  \n\"La Nava\" 373000 4067000 30\n",
         kUtm30,
         {},
         {{giralda_x, giralda_y, 12.5}, {373000, 4067000, 30}},
         "Giralda  {1.1}  {1.2}  {1.3}\n  \n\"La Nava\" {2.1} {2.2} {2.3}\n"},
        {"no header, a row of empty fields kept, numbers first, a text column after them: 2D",
         ";;\n235171.041;4142124.422;pozo\n",
         kUtm30,
         {},
         {{giralda_x, giralda_y, 0}},
         ";;\n{1.1};{1.2};pozo\n"},
        {"columns by name, any case, a Windows-1252 header",
         "Z_m;coordX;coordY;C\xF3"
         "digo\n12,5;235171,041;4142124,422;A-1\n",
         kUtm30,
         {0,
          {"C\xC3\xB3"
           "DIGO",
           "coordx", "CoordY", "z_m"},
          false},
         {{giralda_x, giralda_y, 12.5}},
         "Z_m;coordX;coordY;C\xF3"
         "digo\n{1.3,};{1.1,};{1.2,};A-1\n"},
        {"columns by number, no identifier, TAB given",
         "235171.041\t4142124.422\t12.5\t7\n",
         kUtm30,
         {'\t', {"", "1", "2"}, false},
         {{giralda_x, giralda_y, 0}},
         "{1.1}\t{1.2}\t12.5\t7\n"},
        {"output zone per point: a huso column added",
         "punto;lon;lat\nP1;-6,5;37,2\nP2;-4;37\n",
         geodetic_to_zones,
         {},
         {{-6.5, 37.2, 0}, {-4, 37, 0}},
         "punto;lon;lat;huso\nP1;{1.1,};{1.2,};{1.h}\nP2;{2.1,};{2.2,};{2.h}\n"},
        {"input zone per point: the huso column read and rewritten",
         "id\tx\ty\th\thuso\n1\t235171.041\t4142124.422\t12.5\t30\n",
         RunOf(kDatumEd50, kKindUtm, 0, kDatumEtrs89, kKindUtm, 0),
         {},
         {{giralda_x, giralda_y, 12.5, 30}},
         "id\tx\ty\th\thuso\n1\t{1.1}\t{1.2}\t{1.3}\t{1.h}\n"},
        {"uncertainty column added, with the table's decimal mark",
         "x;y\n235171,041;4142124,422\n373000;4067000\n",
         with_uncertainty,
         {},
         {{giralda_x, giralda_y, 0}, {373000, 4067000, 0}},
         "x;y;incertidumbre\n{1.1,};{1.2,};{1.u,}\n{2.1,};{2.2,};{2.u,}\n"},
        {"packed sexagesimal both ways",
         "lon;lat;h\n-5.193045;37.2312;100\n",
         geodetic,
         {0, {}, true},
         {{-(5 + 19 / 60.0 + 30.45 / 3600), 37 + 23 / 60.0 + 12 / 3600.0, 100}},
         "lon;lat;h\n{1.1s};{1.2s};{1.3}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Table table = ProcessTable(dir, c.input, c.run, c.options);
        ASSERT_EQ(table.result, 1) << table.log;
        EXPECT_EQ(table.output, Expand(c.expected, TxtFields(dir, c.points, c.run)));
        EXPECT_EQ(table.outcome.rejected, 0) << table.log;
    }
}

TEST(TableProcessing, RejectedRowsAreNamedAndLeftOut) {
    TempDir dir;
    const std::string input = "id;x;y;huso\n"
                              "A;235171,041;4142124,422;30\n"
                              "B;M\xC3\xA1laga" +
                              std::string(32, 'x') +
                              "\xC3\xA9s;4142124;30\n"
                              "C;235171\n"
                              "D;1;" +
                              std::string(kTableLineLimit, '1') +
                              "\n"
                              "E;\"235171;4142124\n"
                              "F;0;0;30\n"
                              "G;235171;4142124;29\n"
                              "H;235171;4142124;treinta\n";
    const Table table = ProcessTable(dir, input, kUtm30, {});
    ASSERT_EQ(table.result, 1) << table.log;
    EXPECT_EQ(table.outcome.rejected, 6);
    EXPECT_EQ(table.outcome.points, 2);
    // A zone field that names no zone is no objection to --huso-a, as in TXT
    // files; it gets the output zone.
    ASSERT_NE(table.output.find("\nH;"), std::string::npos) << table.output;
    EXPECT_EQ(table.output.substr(table.output.size() - 4), ";30\n");
    EXPECT_EQ(std::count(table.output.begin(), table.output.end(), '\n'), 3);
    EXPECT_EQ(table.output.substr(0, 14), "id;x;y;huso\nA;");
    // Line 3's field is cut before a character that runs past 40 bytes.
    const std::string cut = "Línea 3 rechazada: coordenada 1 no numérica (\"Málaga" +
                            std::string(32, 'x') + "...\")\r\n";
    for (const std::string& line :
         {cut, std::string("Línea 4 rechazada: falta la coordenada 2\r\n"),
          std::string("Línea 5 rechazada: línea de más de 4096 caracteres\r\n"),
          std::string("Línea 6 rechazada: comillas sin cerrar\r\n"),
          std::string("Línea 7 rechazada: fuera de la región de cálculo\r\n"),
          std::string(
              "Línea 8 rechazada: el huso del punto (29) no es el de la entrada (30)\r\n")}) {
        EXPECT_NE(table.log.find(line), std::string::npos) << line << table.log;
    }
    EXPECT_NE(table.log.find("Tipo de archivo......: Tabla\r\n"), std::string::npos);
}

TEST(TableProcessing, TablesWhoseColumnsCannotBeFound) {
    struct Case {
        std::string input;
        RunArguments run;
        TableOptions options;
        const char* failure;
    };
    const RunArguments to_geocentric =
        RunOf(kDatumEd50, kKindUtm, 30, kDatumEtrs89, kKindGeocentric, 0);
    const Case cases[] = {
        {"id;x;y\nA;1;2\n",
         kUtm30,
         {0, {"id", "este", "y"}, false},
         "La cabecera de la tabla no tiene la columna este"},
        {"A;235171;4142124\n",
         kUtm30,
         {0, {"", "x", "y"}, false},
         "La tabla no tiene cabecera: la columna x ha de darse por su número"},
        {"x;y\n235171;4142124\n", to_geocentric, {}, "La tabla no tiene tercera coordenada"},
        {"\"x;y\n235171;4142124\n", kUtm30, {}, "Línea 1: comillas sin cerrar"},
        {std::string(kTableLineLimit + 1, 'x') + "\n1;2\n",
         kUtm30,
         {},
         "Línea 1: más de 4096 caracteres"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        TempDir dir;
        const Table table = ProcessTable(dir, c.input, c.run, c.options);
        EXPECT_EQ(table.result, 0);
        EXPECT_EQ(table.output, "");
        EXPECT_EQ(table.outcome.failure.substr(0, std::string_view(c.failure).size()), c.failure);
    }
}

} // namespace
} // namespace dezadiravevava
