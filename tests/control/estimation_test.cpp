// Estimated parameter sets through ProcesarTXT (dispid 14), against values
// computed without the engine by tools/reference/independent_fits.py (numpy):
// whole execution logs of an affine and of a Molodensky run, and what each
// model's regional fit achieves at the sound vertices of the catalogue.
#include "support/control_host.h"
#include "support/reference_table.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/vertex_table.h"
#include "support/zone_points.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quillon_test::ControlHost;
using quillon_test::DzvI4;
using quillon_test::DzvR8;
using quillon_test::DzvStr;
using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

constexpr std::int32_t kProcesarTXT = 14;

// How far a printed parameter may lie from the independent value, by model
// and slot; 0 where every printed digit is sound.
//
// The reference values are the extended-precision solution of the normal
// equations; tools/reference/independent_fits.py also solves them with five
// double-precision methods and prints how far those stray. Where a double
// solver cannot be expected to reach the eighth printed digit the tolerance is
// about twice that stray:
// - Molodensky: the design is evaluated at the centroid-reduced latitude and
//   longitude, a few hundredths of a radian, so the h rows carry dX and da
//   with coefficients near +1 and -1 and the phi and lambda rows, in radians,
//   weigh almost nothing: the normal equations have a condition number near
//   5e7, and double solvers agree on dX, dY, dZ only to 2-5 % (1.5e-9 m and
//   1e-12 m) and on da to 1.5e-9 m. That is still far finer than what a wrong
//   sign in the design or latitude and longitude observations swapped change
//   (dX by 7e-9 to 5e-8 m, dY by 1.6e-11 m, da by its sign).
// - The translations of the Helmert and affine fits are zero but for the
//   rounding of the centroids (a few 1e-10 m): their digits are noise.
constexpr std::array<double, 7> kHelmertTolerance = {0, 0, 0, 0, 1e-8, 1e-8, 1e-8};
constexpr std::array<double, 7> kMolodenskyTolerance = {3e-9, 2e-12, 2e-12, 3e-9, 1e-16, 0, 0};
constexpr std::array<double, 7> kAffineTolerance = {0, 0, 0, 0, 1e-8, 1e-8, 0};

const std::string kParametersLine = "Par\xe1metros de transformaci\xf3n: "; // Windows-1252

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

// A parameter line " %+.7e %s": the value and the unit label.
std::pair<double, std::string> ParameterLine(const std::string& line) {
    const std::size_t unit = line.find(' ', 1);
    return {std::stod(line.substr(1, unit - 1)),
            unit == std::string::npos ? "" : line.substr(unit)};
}

// The log against its reference, line by line and byte for byte, except the
// parameter lines whose slot has a tolerance: there the unit label must match
// and the value lie within the tolerance.
void ExpectLogMatches(const std::string& actual, const std::string& expected,
                      const std::array<double, 7>& tolerance) {
    const std::vector<std::string> got = Lines(actual);
    const std::vector<std::string> want = Lines(expected);
    ASSERT_FALSE(want.empty());
    for (std::size_t i = 0, slot = 7; i < std::max(got.size(), want.size()); ++i) {
        const std::string g = i < got.size() ? got[i] : "<missing>";
        const std::string& w = i < want.size() ? want[i] : "<nothing more>";
        if (slot < 7 && tolerance[slot] > 0) {
            const auto [gv, gu] = ParameterLine(g);
            const auto [wv, wu] = ParameterLine(w);
            EXPECT_NEAR(gv, wv, tolerance[slot]) << "line " << i + 1 << ", slot " << slot;
            EXPECT_EQ(gu, wu) << "line " << i + 1;
        } else {
            EXPECT_EQ(g, w) << "line " << i + 1;
        }
        slot = w == kParametersLine ? 0 : slot + 1;
    }
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string ReferenceLog(const std::string& name) {
    return ReadWhole(std::string(QUILLON_REFERENCE_DIR) + "/logs/" + name);
}

// ED50 UTM 29 near Huelva -> ETRS89 UTM 29, a 2D affine fit to the 6 vertices
// nearest the origin, one of which (CABEZAS 1) is a blunder. The log names
// the model and its units; the points come out where the same fit puts them.
TEST(EstimationLogs, AffineLocalRun) {
    const quillon_test::ReferenceTable points("affine_local_run_points.tsv");
    std::string input = "Puntos ED50 UTM 29\r\n";
    for (const auto& r : points.rows()) {
        char line[128];
        std::snprintf(line, sizeof line, "%.0f\t%.3f\t%.3f\t%.0f\r\n", r[0], r[1], r[2], 10 * r[0]);
        input += line;
    }
    TempDir dir;
    WriteWhole(dir.File("puntos_ed50.txt"), input);
    ControlHost host;
    ASSERT_EQ(host.Invoke(kProcesarTXT,
                          {DzvStr(dir.File("log")), DzvStr(dir.File("puntos_ed50.txt")), DzvI4(14),
                           DzvI4(2), DzvR8(29), DzvStr(dir.File("puntos_etrs89.txt")), DzvI4(19),
                           DzvI4(2), DzvR8(29), DzvI4(2), DzvI4(3), DzvR8(6), DzvR8(160000),
                           DzvR8(4150000), DzvR8(0)}),
              1);
    const std::string log =
        ReplaceAll(ReadWhole(dir.File("log")), dir.path().string(), "/datos/huelva");
    ExpectLogMatches(log, ReferenceLog("affine_local_run.log"), kAffineTolerance);

    std::istringstream out(ReadWhole(dir.File("puntos_etrs89.txt")));
    std::string line;
    std::getline(out, line);
    for (const auto& r : points.rows()) {
        ASSERT_TRUE(std::getline(out, line));
        const auto f = quillon_test::SplitTabs(line.substr(0, line.find('\r')));
        ASSERT_EQ(f.size(), 5u) << line;
        EXPECT_NEAR(std::stod(f[1]), r[3], 1e-3) << line; // written to the millimetre
        EXPECT_NEAR(std::stod(f[2]), r[4], 1e-3) << line;
        EXPECT_EQ(std::stod(f[3]), 10 * r[0]) << line;
        EXPECT_EQ(f[4], "29.") << line;
    }
}

// ETRS89 geodetic -> ED50 geocentric, Molodensky with the regional
// parameters: both blunders screened out, the ETRS89 centroid first, slots 5
// and 6 those of GRS 80.
TEST(EstimationLogs, MolodenskyRegionalRun) {
    TempDir dir;
    WriteWhole(dir.File("red_etrs89.txt"),
               "Red ETRS89\r\n1\t-6.9\t37.3\t120\r\n2\t-3.6\t37.2\t700\r\n");
    ControlHost host;
    ASSERT_EQ(
        host.Invoke(kProcesarTXT,
                    {DzvStr(dir.File("log")), DzvStr(dir.File("red_etrs89.txt")), DzvI4(19),
                     DzvI4(1), DzvR8(0), DzvStr(dir.File("red_ed50.txt")), DzvI4(14), DzvI4(3),
                     DzvR8(0), DzvI4(1), DzvI4(1), DzvR8(0), DzvR8(0), DzvR8(0), DzvR8(0)}),
        1);
    const std::string log =
        ReplaceAll(ReadWhole(dir.File("log")), dir.path().string(), "/datos/andalucia");
    ExpectLogMatches(log, ReferenceLog("molodensky_regional_run.log"), kMolodenskyTolerance);
}

struct FitReference {
    int model;
    const char* name;
    std::array<double, 7> tolerance;
};

// The regional fit of each model (all catalogue vertices, blunders screened
// out), ED50 UTM 30 -> ETRS89 UTM 30, run on the vertices themselves: the
// horizontal residuals at the 178 sound vertices, and the parameters the
// adjustment found.
//
// What each fit achieves is what the independent least squares achieves
// (tests/data/regional_fits.tsv): Helmert 0.643 m mean, 1.562 m max (the
// official grid the catalogue follows is not a similarity over the whole
// region); affine 0.586 / 1.687 m (plane coefficients, no height); Molodensky
// 3.346 / 7.318 m, five times worse, because its design, evaluated at the
// reduced coordinates, amounts to a shift: it has no rotation or scale to
// follow the grid. The band is 2 mm: the results are written to the
// millimetre. A fault in the fit of the Helmert or affine models moves these
// by centimetres to metres; a fault in the Molodensky design moves them by
// less than 0.1 mm, so its parameters are what pins it.
TEST(RegionalFits, ResidualsAndParametersAtTheSoundVertices) {
    const std::vector<quillon_test::CatalogueVertex> catalogue =
        quillon_test::ReadVertexCatalogue();
    std::string input = "Vertices ED50 UTM 30\r\n";
    for (const auto& v : catalogue) {
        input += std::to_string(v.number) + "\t" + quillon_test::Number(v.ed50_x) + "\t" +
                 quillon_test::Number(v.ed50_y) + "\t0\r\n";
    }
    TempDir dir;
    WriteWhole(dir.File("vertices.txt"), input);
    const quillon_test::ReferenceTable fits("regional_fits.tsv");
    const FitReference references[] = {{0, "Helmert", kHelmertTolerance},
                                       {1, "Molodensky", kMolodenskyTolerance},
                                       {2, "affine", kAffineTolerance}};
    ControlHost host;
    for (const FitReference& f : references) {
        const auto& row = fits.rows()[static_cast<std::size_t>(f.model)];
        ASSERT_EQ(row[fits.Column("model")], f.model);
        ASSERT_EQ(
            host.Invoke(kProcesarTXT, {DzvStr(dir.File("log")), DzvStr(dir.File("vertices.txt")),
                                       DzvI4(14), DzvI4(2), DzvR8(30), DzvStr(dir.File("out.txt")),
                                       DzvI4(19), DzvI4(2), DzvR8(30), DzvI4(f.model), DzvI4(1),
                                       DzvR8(0), DzvR8(0), DzvR8(0), DzvR8(0)}),
            1)
            << f.name;

        std::map<int, std::pair<double, double>> moved;
        std::istringstream out(ReadWhole(dir.File("out.txt")));
        std::string line;
        std::getline(out, line);
        while (std::getline(out, line)) {
            const auto fields = quillon_test::SplitTabs(line.substr(0, line.find('\r')));
            ASSERT_EQ(fields.size(), 5u) << line;
            moved[std::stoi(fields[0])] = {std::stod(fields[1]), std::stod(fields[2])};
        }
        double sum = 0, worst = 0;
        int sound = 0;
        for (const auto& v : catalogue) {
            if (quillon_test::IsCatalogueBlunder(v.number)) {
                continue;
            }
            ASSERT_EQ(moved.count(v.number), 1u) << v.number;
            const auto [x, y] = moved[v.number];
            const double residual = std::hypot(x - v.etrs_x, y - v.etrs_y);
            sum += residual;
            worst = std::max(worst, residual);
            ++sound;
        }
        ASSERT_EQ(sound, row[fits.Column("n")]);
        EXPECT_NEAR(sum / sound, row[fits.Column("mean_m")], 2e-3) << f.name << ": mean";
        EXPECT_NEAR(worst, row[fits.Column("max_m")], 2e-3) << f.name << ": max";

        // The parameters the log reports. Where the tolerance is 0 the value
        // must agree to the eight digits printed.
        const std::vector<std::string> log = Lines(ReadWhole(dir.File("log")));
        const auto at = std::find(log.begin(), log.end(), kParametersLine);
        ASSERT_LT(at + 7, log.end()) << f.name;
        for (std::size_t k = 0; k < 7; ++k) {
            const double printed = ParameterLine(*(at + 1 + static_cast<long>(k))).first;
            const double expected = row[fits.Column(std::string("p") + std::to_string(k))];
            const double tolerance = std::max(f.tolerance[k], 6e-8 * std::fabs(expected));
            EXPECT_NEAR(printed, expected, tolerance) << f.name << ", slot " << k;
        }
        EXPECT_NE(std::find(log.begin(), log.end(), "N\xfamero de puntos utilizados: 178"),
                  log.end())
            << f.name;
        // The adjustment error where it is metres throughout (the Molodensky
        // one mixes radians and metres; its reference log pins it).
        if (f.model != 1) {
            const std::string key = "Error ajuste:  ";
            const auto sigma = std::find_if(
                log.begin(), log.end(), [&](const std::string& l) { return l.rfind(key, 0) == 0; });
            ASSERT_NE(sigma, log.end()) << f.name;
            const double expected = row[fits.Column("sigma0")];
            EXPECT_NEAR(std::stod(sigma->substr(key.size())), expected, 6e-8 * expected)
                << f.name << ": adjustment error";
        }
    }
}

} // namespace
