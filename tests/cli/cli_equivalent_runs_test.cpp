// quillon-cli file runs that must give the same bytes as another run: EPSG
// codes and the datum and type options they stand for, the standard streams
// and files, a folder of outputs and one run per input. Each pair runs in the
// same folder with the same names, so the logs can be compared whole.
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;
using quillon_test::CommandResult;
using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

const std::string kCli = QUILLON_CLI_PATH;
const std::string kSample = std::string(QUILLON_SOURCE_DIR) + "/data/muestra_ed50_utm.txt";
const std::string kCodes = " --sistema-a EPSG:23030 --sistema-b EPSG:25830";

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// quillon-cli with `arguments`, run in `folder`.
CommandResult CliIn(const fs::path& folder, const std::string& arguments,
                    const std::string& input = "") {
    return RunCommand("cd " + Quoted(folder.string()) + " && " + kCli + " " + arguments, input);
}

std::size_t Entries(const fs::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

// The sample's points (zone 29 ones among them, rejected when taken as zone
// 30) and geodetic points with heights, where the geoid changes H.
TEST(CliEquivalentRuns, EpsgCodesRunAsTheirDatumAndTypeOptions) {
    struct Case {
        std::string input;
        const char* codes;
        const char* options;
    };
    const Case cases[] = {
        {ReadWhole(kSample), "--sistema-a EPSG:23030 --sistema-b EPSG:25830",
         "--datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ETRS89 --tipo-b utm --huso-b 30"},
        {ReadWhole(kSample), "--sistema-a EPSG:23030 --sistema-b EPSG:25830+5782",
         "--datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ETRS89 --tipo-b utm --huso-b 30"
         " --geoide"},
        {"t\r\n1\t-4.5\t37.25\t500\r\n2\t-6.1\t37.3\t20\r\n",
         "--sistema-a EPSG:4230 --sistema-b EPSG:25830+5782",
         "--datum-a ED50 --tipo-a geodesicas --datum-b ETRS89 --tipo-b utm --huso-b 30 --geoide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes);
        TempDir dir;
        WriteWhole(dir.File("in.txt"), c.input);
        const auto coded = CliIn(dir.path(), std::string("txt in.txt out.txt ") + c.codes);
        const std::string out = ReadWhole(dir.File("out.txt"));
        const std::string log = ReadWhole(dir.File("out.txt.log"));
        ASSERT_NE(out.find("\t30.\r\n"), std::string::npos) << coded.err;
        fs::remove(dir.File("out.txt"));
        fs::remove(dir.File("out.txt.log"));
        const auto named = CliIn(dir.path(), std::string("txt in.txt out.txt ") + c.options);
        EXPECT_EQ(named.status, coded.status);
        EXPECT_EQ(named.out, coded.out);
        EXPECT_EQ(named.err, coded.err);
        EXPECT_TRUE(ReadWhole(dir.File("out.txt")) == out);
        EXPECT_TRUE(ReadWhole(dir.File("out.txt.log")) == log);
    }
}

// "-" for input and output: the points come from standard input and the
// result goes to standard output, the summary to standard error; no file is
// made, neither "-" nor its log. An output that is a device gets no log
// beside it either.
TEST(CliEquivalentRuns, StandardStreamsCarryTheFileRun) {
    TempDir dir;
    const auto file = CliIn(dir.path(), "txt " + Quoted(kSample) + " out.txt" + kCodes);
    const std::string out = ReadWhole(dir.File("out.txt"));
    ASSERT_NE(out.find("\t30.\r\n"), std::string::npos) << file.err;

    TempDir empty;
    const auto streams = CliIn(empty.path(), "txt - -" + kCodes, ReadWhole(kSample));
    EXPECT_EQ(streams.status, file.status);
    EXPECT_TRUE(streams.out == out);
    EXPECT_NE(streams.err.find("Resultado: -\n"), std::string::npos) << streams.err;
    EXPECT_EQ(Entries(empty.path()), 0u);

    ASSERT_FALSE(fs::exists("/dev/stdout.log"));
    const auto device =
        RunCommand("{ cd " + Quoted(empty.path().string()) + " && " + kCli + " txt " +
                   Quoted(kSample) + " /dev/stdout" + kCodes + " | cat; }");
    EXPECT_TRUE(device.out == out); // the summary on standard error, not in the result
    EXPECT_FALSE(fs::exists("/dev/stdout.log"));
    EXPECT_EQ(Entries(empty.path()), 0u);

    // A local fit centred on the data would read a pipe twice: it asks for
    // the origin instead of fitting on nothing.
    const std::string local = " --parametros vecinos --seleccion 5";
    const auto centred =
        RunCommand("{ cat " + Quoted(kSample) + " | " + kCli + " txt - -" + kCodes + local + "; }");
    EXPECT_EQ(centred.status, 1);
    EXPECT_EQ(centred.out, "");
    EXPECT_NE(centred.err.find("(--origen X,Y)"), std::string::npos) << centred.err;
    const auto given = RunCommand("{ cat " + Quoted(kSample) + " | " + kCli + " txt - -" + kCodes +
                                  local + " --origen 300000,4100000; }");
    EXPECT_NE(given.out.find("\t30.\r\n"), std::string::npos) << given.err;
}

// Several inputs into a folder: each output and log is the one of a run of
// that input alone into the same name, and so is what the runs print.
TEST(CliEquivalentRuns, AFolderOfOutputsHoldsTheRunOfEachInput) {
    TempDir dir;
    WriteWhole(dir.File("A.txt"), ReadWhole(kSample));
    WriteWhole(dir.File("B.txt"), "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n");
    fs::create_directories(dir.File("res"));
    const auto batch = CliIn(dir.path(), "txt A.txt B.txt --carpeta-salida res" + kCodes);
    const char* const names[] = {"res/A_ETRS89.txt", "res/A_ETRS89.txt.log", "res/B_ETRS89.txt",
                                 "res/B_ETRS89.txt.log"};
    std::string written[4];
    for (int i = 0; i < 4; ++i) {
        written[i] = ReadWhole(dir.File(names[i]));
        ASSERT_FALSE(written[i].empty()) << names[i] << "\n" << batch.err;
    }
    EXPECT_EQ(Entries(dir.File("res")), 4u);
    fs::remove_all(dir.File("res"));
    fs::create_directories(dir.File("res"));
    const auto a = CliIn(dir.path(), "txt A.txt res/A_ETRS89.txt" + kCodes);
    const auto b = CliIn(dir.path(), "txt B.txt res/B_ETRS89.txt" + kCodes);
    EXPECT_EQ(batch.status, std::max(a.status, b.status));
    EXPECT_EQ(batch.out, a.out + b.out);
    EXPECT_EQ(batch.err, a.err + b.err);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(ReadWhole(dir.File(names[i])) == written[i]) << names[i];
    }
}

} // namespace
