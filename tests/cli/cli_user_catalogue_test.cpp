// quillon-cli with a user's own catalogue of common points (--catalogo): the
// searches and fits use its vertices, and the log names it.
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

const std::string kCli = QUILLON_CLI_PATH;

// ALCORES (98555), ED50 UTM zone 30: the origin of the searches.
constexpr double kCentreX = 254669.906;
constexpr double kCentreY = 4138230.449;

struct Row {
    std::vector<std::string> fields; // as the built-in table has them
    double distance = 0.0;
};

// The 12 rows of the built-in table nearest the centre (ED50), nearest first.
std::vector<Row> NearestBuiltInRows() {
    std::istringstream in(
        ReadWhole(std::string(QUILLON_SOURCE_DIR) + "/data/vertex_catalogue.tsv"));
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        Row row;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, '\t');) {
            row.fields.push_back(f);
        }
        row.distance =
            std::hypot(std::stod(row.fields[6]) - kCentreX, std::stod(row.fields[7]) - kCentreY);
        rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.distance < b.distance; });
    rows.resize(12);
    return rows;
}

// The rows as a catalogue of the built-in layout, renamed, with the ETRS89
// positions moved by (east, north) metres.
std::string UserCatalogue(const std::vector<Row>& rows, double east, double north) {
    std::string text = "number\tname\tsheet\tetrs_x\tetrs_y\tetrs_h\ted50_x\ted50_y\ted50_h\n";
    int k = 0;
    for (const Row& r : rows) {
        char moved[64];
        std::snprintf(moved, sizeof moved, "%.3f\t%.3f", std::stod(r.fields[3]) + east,
                      std::stod(r.fields[4]) + north);
        text += r.fields[0] + "\tPROPIO " + std::to_string(++k) + "\t" + r.fields[2] + "\t" +
                moved + "\t" + r.fields[5] + "\t" + r.fields[6] + "\t" + r.fields[7] + "\t" +
                r.fields[8] + "\n";
    }
    return text;
}

// x and y of every point of a TXT output.
std::vector<std::pair<double, double>> Positions(const std::string& output) {
    std::vector<std::pair<double, double>> out;
    std::istringstream in(output);
    std::string title;
    std::getline(in, title);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string number, x, y;
        std::getline(fields, number, '\t');
        std::getline(fields, x, '\t');
        std::getline(fields, y, '\t');
        out.emplace_back(std::stod(x), std::stod(y));
    }
    return out;
}

class UserCatalogueRuns : public ::testing::Test {
protected:
    void SetUp() override {
        rows_ = NearestBuiltInRows();
        WriteWhole(dir_.File("copia.tsv"), UserCatalogue(rows_, 0.0, 0.0));
        WriteWhole(dir_.File("movido.tsv"), UserCatalogue(rows_, 1.0, 2.0));
        std::string points = "ED50 UTM 30\r\n"; // the first line is a title
        const double offsets[][2] = {{0, 0}, {1500, -800}, {-2500, 1200}, {900, 3100}};
        int n = 0;
        for (const auto& o : offsets) {
            char line[96];
            std::snprintf(line, sizeof line, "%d\t%.3f\t%.3f\t100.000\r\n", ++n, kCentreX + o[0],
                          kCentreY + o[1]);
            points += line;
        }
        WriteWhole(dir_.File("in.txt"), points);
    }

    // A txt run ED50 -> ETRS89 UTM 30 with `options`; the output's text.
    std::string Run(const std::string& options, const std::string& output) {
        const auto r = RunCommand(kCli + " txt " + dir_.File("in.txt") + " " + dir_.File(output) +
                                  " --sistema-a EPSG:23030 --sistema-b EPSG:25830 " + options);
        EXPECT_EQ(r.status, 0) << options << ": " << r.err;
        return ReadWhole(dir_.File(output));
    }

    std::string Origin() const {
        char text[64];
        std::snprintf(text, sizeof text, " --origen %.3f,%.3f", kCentreX, kCentreY);
        return text;
    }

    TempDir dir_;
    std::vector<Row> rows_;
};

// The same 12 vertices in a file fit the same set as from the built-in
// catalogue, by number or as the whole (regional) catalogue; with their
// ETRS89 positions moved by (1, 2) m, the points move by as much.
TEST_F(UserCatalogueRuns, TheFitUsesTheUsersVertices) {
    const std::string nearest = " --parametros vecinos --seleccion 12" + Origin();
    const std::string built_in = Run(nearest, "built_in.txt");
    const std::string copy = Run(nearest + " --catalogo " + dir_.File("copia.tsv"), "copy.txt");
    EXPECT_EQ(copy, built_in);
    const std::string regional =
        Run(" --parametros regionales --catalogo " + dir_.File("copia.tsv"), "regional.txt");
    EXPECT_EQ(regional, built_in);
    const auto reference = Positions(built_in);
    const auto moved =
        Positions(Run(nearest + " --catalogo " + dir_.File("movido.tsv"), "moved.txt"));
    ASSERT_EQ(moved.size(), 4u);
    ASSERT_EQ(reference.size(), 4u);
    for (std::size_t i = 0; i < moved.size(); ++i) {
        EXPECT_NEAR(moved[i].first - reference[i].first, 1.0, 0.003) << i;
        EXPECT_NEAR(moved[i].second - reference[i].second, 2.0, 0.003) << i;
    }
}

// The log names the catalogue after the parameter choice: the file as given
// with its SHA-256 (as sha256sum computes it), or the built-in one; a run
// with the national set names none.
TEST_F(UserCatalogueRuns, TheLogNamesTheCatalogue) {
    const std::string file = dir_.File("movido.tsv");
    const auto sum = RunCommand("sha256sum '" + file + "'");
    ASSERT_EQ(sum.status, 0);
    Run(" --parametros vecinos --seleccion 12 --catalogo " + file + Origin(), "user.txt");
    char origin[96];
    std::snprintf(origin, sizeof origin, "Punto de origen.......: (%.3f ; %.3f ; 0.000)\r\n",
                  kCentreX, kCentreY);
    const std::string user_log = ReadWhole(dir_.File("user.txt.log"));
    EXPECT_NE(user_log.find(std::string(origin) + "Cat\xE1logo de v\xE9rtices..: " + file +
                            " (SHA-256 " + sum.out.substr(0, 64) + ")\r\n"),
              std::string::npos)
        << user_log;
    EXPECT_NE(user_log.find("N\xFAmero de puntos utilizados: 12\r\n"), std::string::npos);
    Run(" --parametros regionales", "built_in.txt");
    EXPECT_NE(ReadWhole(dir_.File("built_in.txt.log"))
                  .find("ANDALUC\xCD"
                        "A\r\nCat\xE1logo de v\xE9rtices..: integrado (de demostraci\xF3n: 176 de "
                        "180 v\xE9rtices sint\xE9ticos)\r\n"),
              std::string::npos);
    Run("", "national.txt");
    EXPECT_EQ(ReadWhole(dir_.File("national.txt.log")).find("Cat\xE1logo"), std::string::npos);
}

TEST_F(UserCatalogueRuns, BuscarSearchesTheUsersVertices) {
    char centre[64];
    std::snprintf(centre, sizeof centre, " %.3f,%.3f", kCentreX, kCentreY);
    const auto r = RunCommand(kCli + " buscar --datum ED50 --tipo utm --numero 3 --catalogo " +
                              dir_.File("copia.tsv") + centre);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n', r.out.find('\n') + 1)),
              "numero\tnombre\ted50_x\ted50_y\tdistancia\n" + rows_[0].fields[0] + "\tPROPIO 1\t" +
                  rows_[0].fields[6] + "\t" + rows_[0].fields[7] + "\t0.000");
    EXPECT_NE(r.out.find("\tPROPIO 3\t"), std::string::npos);
    const auto too_many = RunCommand(kCli + " buscar --datum ED50 --tipo utm --numero 13" +
                                     " --catalogo " + dir_.File("copia.tsv") + centre);
    EXPECT_EQ(too_many.status, 2);
    EXPECT_NE(too_many.err.find("(de 3 a 12)"), std::string::npos) << too_many.err;
}

// A bad catalogue, a selection it cannot give or a choice that uses no
// catalogue is a usage error (status 2) that says why, bad row by bad row.
TEST_F(UserCatalogueRuns, RefusedCatalogues) {
    WriteWhole(dir_.File("malo.tsv"), "numero\tnombre\tetrs_x\tetrs_y\ted50_x\ted50_y\n"
                                      "1\tA\t1\t2\t3\t4\n"
                                      "2\tB\t1\t2\t3\tx\n"
                                      "1\tC\t1\t2\t3\t4\n"
                                      "4\tD\t1\t2\n");
    struct Case {
        std::string options;
        std::string message;
    };
    const std::string bad = dir_.File("malo.tsv");
    const std::string copy = dir_.File("copia.tsv");
    const Case cases[] = {
        {" --parametros regionales --catalogo " + bad,
         "quillon-cli txt: catálogo de vértices no válido: " + bad +
             "\nlínea 3: ed50_y no es un número\nlínea 4: número 1 repetido (línea 2)\n"
             "línea 5: falta ed50_x\nlínea 5: falta ed50_y\n"},
        {" --parametros regionales --catalogo " + dir_.File("ninguno.tsv"),
         "quillon-cli txt: catálogo de vértices no válido: " + dir_.File("ninguno.tsv") +
             "\nno se puede leer el archivo\n"},
        {" --parametros vecinos --seleccion 13 --catalogo " + copy,
         "quillon-cli txt: --seleccion ha de ser un número entero de vértices de 3 a 12: 13 (el "
         "catálogo " +
             copy + " tiene 12)\n"},
        {" --parametros vecinos --seleccion 2.5 --catalogo " + copy,
         "quillon-cli txt: --seleccion ha de ser un número entero de vértices de 3 o más: 2.5\n"},
        {" --catalogo " + copy,
         "quillon-cli txt: --catalogo solo se aplica a --parametros regionales, distancia o "
         "vecinos\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const auto r =
            RunCommand(kCli + " txt " + dir_.File("in.txt") + " " + dir_.File("out.txt") +
                       " --sistema-a EPSG:23030 --sistema-b EPSG:25830" + c.options);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.message);
    }
}

} // namespace
