// The PROJ pipeline of quillon-cli parametros --proj, fed to PROJ's own cct,
// gives the numbers quillon-cli txt writes for a run with the same options.
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

const std::string kCli = QUILLON_CLI_PATH;

bool HasCct() {
    return RunCommand("command -v cct").status == 0;
}

// The numbers of each line of `text` after its first `skip` fields.
std::vector<std::vector<double>> Numbers(const std::string& text, std::size_t skip) {
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<double> row;
        std::string field;
        for (std::size_t i = 0; fields >> field; ++i) {
            if (i >= skip && row.size() < 3) {
                row.push_back(std::stod(field));
            }
        }
        if (!row.empty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

// Points within 2 degrees of zone 30's central meridian, across Andalusia.
constexpr const char* kGeodetic = "-3.80 37.20 100.0\n"
                                  "-3.50 37.49 250.0\n"
                                  "-2.20 37.75 12.5\n"
                                  "-4.90 36.90 0.0\n"
                                  "-1.80 37.10 5.0\n";
constexpr const char* kUtm = "430000.000 4120000.000 100.0\n"
                             "455000.500 4150000.250 250.0\n"
                             "470123.456 4180321.987 12.5\n"
                             "390000.000 4110000.000 0.0\n"
                             "320000.000 4080000.000 5.0\n";

TEST(ProjPipeline, CctReproducesLocalFits) {
    if (!HasCct()) {
        GTEST_SKIP() << "PROJ's cct is not installed (Debian package proj-bin)";
    }
    struct Case {
        const char* model;
        const char* systems;
        const char* points;
        bool geodetic_out;
        double tolerance; // metres
    };
    // Geodetic output has twelve decimals (micrometres); UTM output is
    // rounded to the millimetre.
    const Case cases[] = {
        {"helmert", "--sistema-a EPSG:4230 --sistema-b EPSG:4937", kGeodetic, true, 1e-4},
        {"afin", "--sistema-a EPSG:4230 --sistema-b EPSG:4937", kGeodetic, true, 1e-4},
        {"helmert", "--sistema-a EPSG:23030 --sistema-b EPSG:25830", kUtm, false, 0.5e-3 + 1e-4},
        {"afin", "--sistema-a EPSG:23030 --sistema-b EPSG:25830", kUtm, false, 0.5e-3 + 1e-4},
        {"helmert", "--sistema-a EPSG:25830 --sistema-b EPSG:23030", kUtm, false, 0.5e-3 + 1e-4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.systems);
        TempDir dir;
        std::string file = "puntos\n";
        std::istringstream lines(c.points);
        std::string line;
        for (int n = 1; std::getline(lines, line); ++n) {
            std::istringstream fields(line);
            std::string a, b, h;
            fields >> a >> b >> h;
            file += std::to_string(n) + "\t" + a + "\t" + b + "\t" + h + "\n";
        }
        WriteWhole(dir.File("in.txt"), file);
        const std::string options = std::string(c.systems) +
                                    " --parametros vecinos --seleccion 6"
                                    " --origen 440000,4150000 --modelo " +
                                    c.model;
        const auto run = RunCommand(kCli + " txt " + dir.File("in.txt") + " " +
                                    dir.File("out.txt") + " " + options);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto pipeline = RunCommand(kCli + " parametros " + options + " --proj");
        ASSERT_EQ(pipeline.status, 0) << pipeline.err;
        ASSERT_EQ(pipeline.out.find('\n'), pipeline.out.size() - 1) << pipeline.out;
        const std::string steps = pipeline.out.substr(0, pipeline.out.size() - 1);
        const auto cct = RunCommand("cct -d 12 " + steps, c.points);
        ASSERT_EQ(cct.status, 0) << cct.err;

        std::string written = ReadWhole(dir.File("out.txt"));
        written = written.substr(written.find('\n') + 1); // the title line
        const auto engine = Numbers(written, 1);
        const auto proj = Numbers(cct.out, 0);
        ASSERT_EQ(engine.size(), 5u) << written;
        ASSERT_EQ(proj.size(), 5u) << cct.out;
        for (std::size_t i = 0; i < engine.size(); ++i) {
            double d[3];
            for (std::size_t k = 0; k < 3; ++k) {
                d[k] = engine[i][k] - proj[i][k];
            }
            if (c.geodetic_out) { // degrees to metres on the ground
                constexpr double kMetresPerDegree = 111195.0;
                d[0] *= kMetresPerDegree * std::cos(proj[i][1] * M_PI / 180.0);
                d[1] *= kMetresPerDegree;
            }
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_LE(std::abs(d[k]), c.tolerance)
                    << "point " << i + 1 << " coordinate " << k << "\n"
                    << steps;
            }
        }
    }
}

} // namespace
