// quillon-cli tabla end to end: the same coordinates as txt for the same
// points with every method (a local fit centred on the data as txt centres
// it), and the exit status of tables with rejected rows.
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

std::string Cli(const std::string& arguments) {
    return std::string("'") + QUILLON_CLI_PATH + "' " + arguments;
}

// Points across the region, ED50 UTM zone 30: x, y, H.
const std::vector<std::vector<std::string>> kPoints = {
    {"235171.041", "4142124.422", "12.5"}, {"373000", "4067000", "30"},
    {"450000", "4120000", "500"},          {"530000", "4090000", "100"},
    {"300000", "4200000", "700"},
};

// The rows of a text cut by `separator`, each line's end dropped.
std::vector<std::vector<std::string>> Rows(const std::string& text, char separator) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields;
        std::istringstream cut(line);
        std::string field;
        while (std::getline(cut, field, separator)) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

TEST(CliTabla, SameCoordinatesAsTxtWithEveryMethod) {
    // A spreadsheet's table: names, ';', decimal commas, CR LF.
    std::string table = "nombre;x;y;cota;nota\r\n";
    std::string txt = "puntos\r\n";
    for (std::size_t i = 0; i < kPoints.size(); ++i) {
        std::vector<std::string> p = kPoints[i];
        txt += std::to_string(i + 1) + "\t" + p[0] + "\t" + p[1] + "\t" + p[2] + "\r\n";
        for (std::string& value : p) {
            std::replace(value.begin(), value.end(), '.', ',');
        }
        table += "V\xC3\xA9rtice " + std::to_string(i + 1) + ";" + p[0] + ";" + p[1] + ";" + p[2] +
                 ";\"a b\"\r\n";
    }
    TempDir dir;
    WriteWhole(dir.File("in.csv"), table);
    WriteWhole(dir.File("in.txt"), txt);
    const std::string systems = " --sistema-a EPSG:23030 --sistema-b EPSG:25830";
    for (const std::string method :
         {"", " --parametros regionales", " --parametros vecinos --seleccion 5",
          " --parametros distancia --seleccion 40000 --modelo afin"}) {
        SCOPED_TRACE(method);
        const auto by_table = RunCommand(
            Cli("tabla " + dir.File("in.csv") + " " + dir.File("out.csv") + systems + method));
        ASSERT_EQ(by_table.status, 0) << by_table.err;
        const auto by_txt = RunCommand(
            Cli("txt " + dir.File("in.txt") + " " + dir.File("out.txt") + systems + method));
        ASSERT_EQ(by_txt.status, 0) << by_txt.err;
        const auto table_rows = Rows(ReadWhole(dir.File("out.csv")), ';');
        const auto txt_rows = Rows(ReadWhole(dir.File("out.txt")), '\t');
        ASSERT_EQ(table_rows.size(), kPoints.size() + 1);
        ASSERT_EQ(txt_rows.size(), kPoints.size() + 1);
        EXPECT_EQ(table_rows[0], (std::vector<std::string>{"nombre", "x", "y", "cota", "nota"}));
        for (std::size_t i = 1; i < table_rows.size(); ++i) {
            std::vector<std::string> expected = {"V\xC3\xA9rtice " + std::to_string(i)};
            for (std::size_t c = 1; c <= 3; ++c) {
                std::string value = txt_rows[i].at(c);
                std::replace(value.begin(), value.end(), '.', ',');
                expected.push_back(value);
            }
            expected.push_back("\"a b\"");
            EXPECT_EQ(table_rows[i], expected);
        }
    }
}

TEST(CliTabla, RejectedRowsEndWithStatusOne) {
    struct Case {
        std::string table;
        std::size_t rows_written; // header included
        const char* err_holds;
    };
    const Case cases[] = {
        {"x,y\n235171.041,4142124.422\nabc,4142124\n", 2,
         "quillon-cli: 1 líneas rechazadas (no transformadas); vea el registro "},
        {"x,y\nabc,4142124\n", 1,
         "quillon-cli: ningún punto transformado: 1 líneas rechazadas; vea el registro "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        TempDir dir;
        WriteWhole(dir.File("in.csv"), c.table);
        const auto run = RunCommand(Cli("tabla " + dir.File("in.csv") + " " + dir.File("out.csv") +
                                        " --sistema-a EPSG:23030 --sistema-b EPSG:25830"));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.err_holds), std::string::npos) << run.err;
        EXPECT_EQ(Rows(ReadWhole(dir.File("out.csv")), ',').size(), c.rows_written);
        EXPECT_NE(ReadWhole(dir.File("out.csv.log")).find(" rechazada: coordenada 1 no num"),
                  std::string::npos);
    }
}

} // namespace
