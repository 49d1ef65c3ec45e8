// Point lists in memory against the TXT run of the file that holds them: the
// same results to the last digit, the same refusals and the same log, byte
// for byte, for each method and model; and a stop request that ends the run.
#include "transform_request.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace api = dezadiravevava::api;
namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The lines of a file without their ends.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<double> Fields(const std::string& line) {
    std::vector<double> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        double value = NAN;
        std::from_chars(field.data(), field.data() + field.size(), value);
        fields.push_back(value);
    }
    return fields;
}

// The sample of ED50 UTM points with their zones, and a last point outside
// the served region, which the run refuses.
class PointListRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 (std::string("point_list_") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                  std::to_string(::getpid()));
        fs::create_directories(folder);
        input = folder / "muestra.txt";
        std::string text = ReadBytes(fs::path(QUILLON_DATA_DIR) / "muestra_ed50_utm.txt");
        text += "99\t700000\t4100000\t2\t30\r\n";
        std::ofstream(input, std::ios::binary) << text;
        const std::vector<std::string> lines = Lines(text);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::vector<double> f = Fields(lines[i]);
            list.coordinates.insert(list.coordinates.end(), {f[1], f[2], f[3]});
            list.zones.push_back(static_cast<std::int32_t>(f[4]));
        }
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder, input;
    api::PointList list;
};

struct Case {
    const char* name;
    api::Method method;
    api::Model model;
    double selection;
    api::Kind target;
};

TEST_F(PointListRunTest, SameResultsRefusalsAndLogAsTheTxtRunOfItsFile) {
    const Case cases[] = {
        {"nacional", api::Method::kNational, api::Model::kHelmert, 0, api::Kind::kUtm},
        {"regional", api::Method::kRegional, api::Model::kHelmert, 0, api::Kind::kGeodetic},
        {"vecinos", api::Method::kNearest, api::Model::kMolodensky, 6, api::Kind::kUtm},
        {"distancia", api::Method::kDistance, api::Model::kAffine, 60000, api::Kind::kUtm},
        {"rejilla", api::Method::kGrid, api::Model::kHelmert, 0, api::Kind::kGeocentric},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        api::TransformRequest request;
        request.a = {api::Datum::kEd50, api::Kind::kUtm, 0, {}, false};
        request.b = {api::Datum::kEtrs89, c.target, 0, {}, false};
        request.method = c.method;
        request.model = c.model;
        request.selection = c.selection;
        request.uncertainty = c.method != api::Method::kGrid;
        request.threads = 2;
        const fs::path output = folder / (std::string(c.name) + ".txt");
        request.log_path = (folder / (std::string(c.name) + ".log")).string();
        const api::FileOutcome file =
            api::TransformFile(api::FileFormat::kTxt, request, input.string(), output.string(), {});
        ASSERT_TRUE(file.succeeded) << file.failure;

        list.input_name = input.string();
        list.output_name = output.string();
        const api::PointListOutcome run = api::TransformPointList(request, list, {});
        ASSERT_TRUE(run.succeeded) << run.failure;
        EXPECT_EQ(api::LogFileBytes(run.log), ReadBytes(request.log_path));
        EXPECT_EQ(run.points, file.points);
        EXPECT_EQ(run.rejected, file.rejected);
        EXPECT_EQ(run.warnings, file.warnings);

        // Each line of the output is the next transformed point of the list.
        const std::vector<std::string> lines = Lines(ReadBytes(output));
        std::size_t line = 1;
        for (std::size_t i = 0; i < run.status.size(); ++i) {
            if (run.status[i] != api::PointResult::kTransformed) {
                continue;
            }
            ASSERT_LT(line, lines.size());
            const std::vector<double> f = Fields(lines[line++]);
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_EQ(run.results[i * 3 + k], f[k + 1]) << "point " << i;
            }
            std::size_t next = 4;
            if (c.target == api::Kind::kUtm) {
                EXPECT_EQ(run.zones[i], f[next++]) << "point " << i;
            }
            if (request.uncertainty) {
                EXPECT_TRUE(run.uncertainty[i] == f[next] ||
                            (std::isnan(run.uncertainty[i]) && std::isnan(f[next])))
                    << "point " << i;
            }
        }
        EXPECT_EQ(line, lines.size());
        // The point outside the region, refused with the log's reason (the
        // grid takes what its own extent holds).
        if (c.method == api::Method::kGrid) {
            EXPECT_TRUE(run.refused.empty());
            continue;
        }
        ASSERT_EQ(run.refused.size(), 1u);
        EXPECT_EQ(run.refused[0].first, list.size() - 1);
        EXPECT_EQ(run.status.back(), api::PointResult::kOutsideRegion);
        EXPECT_NE(run.log.find("Línea " + std::to_string(list.size() + 1) +
                               " rechazada: " + run.refused[0].second + "\n"),
                  std::string::npos);
        const bool estimated = c.method != api::Method::kNational && c.method != api::Method::kGrid;
        EXPECT_EQ(run.vertices.empty(), !estimated);
        EXPECT_EQ(run.vertices_used >= 3, estimated);
        // The same set asked for alone (as the desktop does after a drawing
        // run) gives the same vertices and residuals.
        api::TransformRequest same = request;
        same.origin = run.origin;
        std::string why;
        const auto alone = api::EstimationVertices(same, why);
        ASSERT_TRUE(alone.has_value()) << why;
        ASSERT_EQ(alone->size(), run.vertices.size());
        for (std::size_t i = 0; i < alone->size(); ++i) {
            EXPECT_EQ((*alone)[i].number, run.vertices[i].number);
            EXPECT_EQ((*alone)[i].ed50_x, run.vertices[i].ed50_x);
            EXPECT_EQ((*alone)[i].residual_x, run.vertices[i].residual_x);
            EXPECT_EQ((*alone)[i].residual_y, run.vertices[i].residual_y);
        }
    }
}

// Without names the header leaves out the lines of the input and output
// files, and nothing else.
TEST_F(PointListRunTest, UnnamedListLeavesTheFileLinesOutOfTheHeader) {
    api::TransformRequest request;
    request.a = {api::Datum::kEd50, api::Kind::kUtm, 0, {}, false};
    request.b = {api::Datum::kEtrs89, api::Kind::kUtm, 0, {}, false};
    list.input_name = "entrada.txt";
    list.output_name = "salida.txt";
    const std::vector<std::string> named = Lines(api::TransformPointList(request, list, {}).log);
    list.input_name.clear();
    list.output_name.clear();
    const std::vector<std::string> unnamed = Lines(api::TransformPointList(request, list, {}).log);
    std::vector<std::string> expected;
    for (const std::string& line : named) {
        if (line != "Archivo de entrada....: entrada.txt" &&
            line != "Archivo de salida.....: salida.txt") {
            expected.push_back(line);
        }
    }
    EXPECT_EQ(named.size(), unnamed.size() + 2);
    EXPECT_EQ(unnamed, expected);
}

// A stop asked from the progress callback ends the run: no results, and the
// log ends saying why.
TEST_F(PointListRunTest, StopRequestedFromTheProgressEndsTheRun) {
    api::TransformRequest request;
    request.a = {api::Datum::kEd50, api::Kind::kUtm, 0, {}, false};
    request.b = {api::Datum::kEtrs89, api::Kind::kUtm, 0, {}, false};
    request.method = api::Method::kRegional;
    api::PointList big;
    for (int i = 0; i < 5000; ++i) {
        big.coordinates.insert(big.coordinates.end(), list.coordinates.begin(),
                               list.coordinates.begin() + 3);
        big.zones.push_back(list.zones[0]);
    }
    bool stop = false;
    int steps = 0;
    api::Progress progress;
    progress.step = [&](std::uint64_t) {
        ++steps;
        stop = true;
    };
    progress.stop_requested = [&] { return stop; };
    const api::PointListOutcome run = api::TransformPointList(request, big, progress);
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(run.succeeded);
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.failure, "Operación cancelada por el usuario");
    const std::string last = "\nOperación cancelada por el usuario\n";
    ASSERT_GE(run.log.size(), last.size());
    EXPECT_EQ(run.log.substr(run.log.size() - last.size()), last);
}

} // namespace
