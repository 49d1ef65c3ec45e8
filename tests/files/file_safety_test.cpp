// What a run does to the files already there: it never writes over its own
// input, a failed, cancelled or killed run leaves every previous file as it
// was, and a file being replaced is never seen half written.
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dezadiravevava {
namespace {

namespace fs = std::filesystem;
using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

const std::string kOldOutput = "resultado de una ejecución anterior\r\n";
const std::string kOldLog = "registro de una ejecución anterior\r\n";
const std::string kPoints = "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n"
                            "2\t281035.667\t3998752.728\t30.7\t30\r\n";
const std::string kDrawing = "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n 10\n300000.0\n 20\n"
                             "4100000.0\n  0\nENDSEC\n  0\nEOF\n";

RunArguments UtmToUtm(const std::string& entrada, const std::string& salida) {
    RunArguments run;
    run.entrada = entrada;
    run.salida = salida;
    run.da = kDatumEd50;
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.db = kDatumEtrs89;
    run.pb = kKindUtm;
    run.h_salida = 30;
    return run;
}

// The names in a folder.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::string LogText(const std::string& path) {
    return Cp1252ToUtf8(ReadWhole(path));
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

enum class Processor { kTxt, kDxf };

int Process(Processor processor, const std::string& log, const RunArguments& run) {
    return processor == Processor::kTxt ? ProcesarTXT(log, run, nullptr)
                                        : ProcesarDXF(log, run, nullptr);
}

// --- The same file twice -------------------------------------------------

TEST(SameFile, OutputOrLogOverTheInputIsRefusedBeforeAnythingIsWritten) {
    for (const Processor processor : {Processor::kTxt, Processor::kDxf}) {
        SCOPED_TRACE(processor == Processor::kTxt ? "txt" : "dxf");
        TempDir dir;
        const std::string content = processor == Processor::kTxt ? kPoints : kDrawing;
        const std::string in = dir.File("in");
        WriteWhole(in, content);
        fs::create_symlink(in, dir.File("link"));
        fs::create_hard_link(in, dir.File("hard"));
        // The same path, a symbolic link, a hard link and a path spelt otherwise.
        for (const std::string& out :
             {in, dir.File("link"), dir.File("hard"), dir.File("./sub/../in")}) {
            SCOPED_TRACE(out);
            fs::create_directories(dir.File("sub"));
            EXPECT_EQ(Process(processor, dir.File("log"), UtmToUtm(in, out)), 0);
            EXPECT_EQ(ReadWhole(in), content);
            EXPECT_TRUE(EndsWith(LogText(dir.File("log")),
                                 "El archivo de salida coincide con el de entrada\r\n"))
                << LogText(dir.File("log"));
        }
        // The log over the input or over an existing output: nothing at all is written.
        WriteWhole(dir.File("out"), kOldOutput);
        EXPECT_EQ(Process(processor, in, UtmToUtm(in, dir.File("out"))), 0);
        EXPECT_EQ(Process(processor, dir.File("link"), UtmToUtm(in, dir.File("out"))), 0);
        EXPECT_EQ(Process(processor, dir.File("out"), UtmToUtm(in, dir.File("out"))), 0);
        EXPECT_EQ(ReadWhole(in), content);
        EXPECT_EQ(ReadWhole(dir.File("out")), kOldOutput);
    }
}

TEST(SameFile, DrawingWriterOverItsOwnInput) {
    TempDir dir;
    WriteWhole(dir.File("l.txt"), kPoints);
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("l.txt"), dir.File("l.txt"), kKindUtm, nullptr), 0);
    EXPECT_EQ(ReadWhole(dir.File("l.txt")), kPoints);
}

// --- Failed runs ---------------------------------------------------------

TEST(FailedRun, EveryFailureLeavesThePreviousOutputAsItWas) {
    struct Case {
        const char* what;
        Processor processor;
        std::function<void(RunArguments&, std::string& log, const TempDir&)> change;
        std::string input;
        std::string reason; // how the log ends, when it is written
    };
    const std::vector<Case> cases = {
        {"log folder missing", Processor::kTxt,
         [](RunArguments&, std::string& log, const TempDir& d) { log = d.File("no/log"); }, kPoints,
         ""},
        {"too few vertices", Processor::kTxt,
         [](RunArguments& run, std::string&, const TempDir&) {
             run.parametros = kParametersByDistance;
             run.selec_param = 10;
         },
         kPoints, "Imposible calcular: solo 0 vértices a menos de 10 m\r\n"},
        {"plane coordinates", Processor::kTxt,
         [](RunArguments& run, std::string&, const TempDir&) { run.pb = kKindPlane; }, kPoints,
         "No se puede transformar la proyección plana\r\n"},
        {"input missing", Processor::kTxt,
         [](RunArguments& run, std::string&, const TempDir& d) { run.entrada = d.File("none"); },
         kPoints, "No se puede leer el archivo de entrada\r\n"},
        {"input is a folder", Processor::kTxt,
         [](RunArguments& run, std::string&, const TempDir& d) { run.entrada = d.File("folder"); },
         kPoints, "No se puede leer el archivo de entrada\r\n"},
        {"drawing without ENTITIES", Processor::kDxf,
         [](RunArguments&, std::string&, const TempDir&) {},
         "  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n  0\nEOF\n",
         "El dibujo no tiene sección ENTITIES\r\n"},
        {"drawing is a folder", Processor::kDxf,
         [](RunArguments& run, std::string&, const TempDir& d) { run.entrada = d.File("folder"); },
         kDrawing, "No se puede leer el archivo de entrada\r\n"},
        {"output folder missing", Processor::kDxf,
         [](RunArguments& run, std::string&, const TempDir& d) { run.salida = d.File("no/out"); },
         kDrawing, "No se puede crear el archivo de salida: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        fs::create_directories(dir.File("folder"));
        WriteWhole(dir.File("in"), c.input);
        WriteWhole(dir.File("out"), kOldOutput);
        WriteWhole(dir.File("log"), kOldLog);
        RunArguments run = UtmToUtm(dir.File("in"), dir.File("out"));
        std::string log = dir.File("log");
        c.change(run, log, dir);
        const auto before = Names(dir.path());
        EXPECT_EQ(Process(c.processor, log, run), 0);
        EXPECT_EQ(ReadWhole(dir.File("out")), kOldOutput);
        EXPECT_EQ(Names(dir.path()), before); // no temporary file left behind
        if (c.reason.empty()) {
            EXPECT_EQ(ReadWhole(dir.File("log")), kOldLog);
        } else {
            const std::string text = LogText(log);
            EXPECT_EQ(text.rfind("QUILLON. ARCHIVO LOG DE EJECUCIONES.", 0), 0u) << text;
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        }
    }
}

TEST(FailedRun, CentroidOfAFolderIsAFailure) {
    TempDir dir;
    CentroidResult result;
    EXPECT_EQ(CentroideTXT(dir.path().string(), kDatumEd50, kKindUtm, 30, result, nullptr), 0);
    EXPECT_EQ(CentroideDXF(dir.path().string(), kDatumEd50, kKindUtm, 30, result, nullptr), 0);
}

// A progress sink that asks for a stop half way through the file.
class StopHalfway : public ProgressSink {
public:
    void Open(std::string_view, std::uint64_t size) override { size_ = size; }
    void Step(std::uint64_t position) override { half_ = half_ || position > size_ / 2; }
    void Close() override {}
    bool CancelRequested() override { return half_; }

private:
    std::uint64_t size_ = 0;
    bool half_ = false;
};

std::string ManyPoints(std::size_t at_least) {
    std::string text = "t\r\n";
    for (int i = 1; text.size() < at_least; ++i) {
        text += std::to_string(i) + "\t300000.000\t4100000.000\t0.000\t30\r\n";
    }
    return text;
}

TEST(FailedRun, CancelledRunKeepsThePreviousFilesButLogsWhy) {
    TempDir dir;
    WriteWhole(dir.File("in"), ManyPoints(60000));
    WriteWhole(dir.File("out"), kOldOutput);
    WriteWhole(dir.File("out.dxf"), kOldOutput);
    const auto before = Names(dir.path());
    StopHalfway txt;
    EXPECT_EQ(ProcesarTXT(dir.File("log"), UtmToUtm(dir.File("in"), dir.File("out")), &txt), 0);
    EXPECT_EQ(ReadWhole(dir.File("out")), kOldOutput);
    EXPECT_TRUE(EndsWith(LogText(dir.File("log")), "Operación cancelada por el usuario\r\n"));
    StopHalfway writer;
    EXPECT_EQ(ConvertirTXTaDXF(dir.File("in"), dir.File("out.dxf"), kKindUtm, &writer), 0);
    EXPECT_EQ(ReadWhole(dir.File("out.dxf")), kOldOutput);
    auto after = Names(dir.path());
    after.erase("log");
    EXPECT_EQ(after, before);
}

// --- Killed and concurrent writers ---------------------------------------

// Kills its own process half way through the file, as a power cut or `kill -9` would.
class DieHalfway : public ProgressSink {
public:
    void Open(std::string_view, std::uint64_t size) override { size_ = size; }
    void Step(std::uint64_t position) override {
        if (position > size_ / 2) {
            ::raise(SIGKILL);
        }
    }
    void Close() override {}

private:
    std::uint64_t size_ = 0;
};

TEST(KilledWriter, ThePreviousFilesSurvive) {
    TempDir dir;
    WriteWhole(dir.File("in"), ManyPoints(200000));
    WriteWhole(dir.File("out"), kOldOutput);
    WriteWhole(dir.File("log"), kOldLog);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DieHalfway progress;
        ProcesarTXT(dir.File("log"), UtmToUtm(dir.File("in"), dir.File("out")), &progress);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadWhole(dir.File("out")), kOldOutput);
    EXPECT_EQ(ReadWhole(dir.File("log")), kOldLog);
}

TEST(ConcurrentWriters, TheOutputIsAlwaysOneWholeResult) {
    TempDir dir;
    // Two inputs whose results differ in every line, written again and again
    // into one output (and one log) while a reader looks at the output.
    WriteWhole(dir.File("a"), ManyPoints(30000));
    std::string b = ManyPoints(40000);
    for (char& c : b) {
        c = c == '4' ? '3' : c;
    }
    WriteWhole(dir.File("b"), b);
    ASSERT_EQ(ProcesarTXT(dir.File("la"), UtmToUtm(dir.File("a"), dir.File("ra")), nullptr), 1);
    ASSERT_EQ(ProcesarTXT(dir.File("lb"), UtmToUtm(dir.File("b"), dir.File("rb")), nullptr), 1);
    const std::string result_a = ReadWhole(dir.File("ra"));
    const std::string result_b = ReadWhole(dir.File("rb"));
    ASSERT_NE(result_a, result_b);

    std::atomic<int> running{2};
    std::atomic<int> failures{0};
    auto writer = [&](const std::string& in) {
        for (int i = 0; i < 15; ++i) {
            if (ProcesarTXT(dir.File("log"), UtmToUtm(in, dir.File("out")), nullptr) != 1) {
                ++failures;
            }
        }
        --running;
    };
    std::thread first(writer, dir.File("a"));
    std::thread second(writer, dir.File("b"));
    int seen = 0, mixed = 0;
    while (running.load() > 0) {
        if (!fs::exists(dir.File("out"))) {
            continue;
        }
        const std::string now = ReadWhole(dir.File("out"));
        ++seen;
        if (now != result_a && now != result_b) {
            ++mixed;
        }
    }
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(mixed, 0) << "of " << seen << " reads";
    const std::string last = ReadWhole(dir.File("out"));
    EXPECT_TRUE(last == result_a || last == result_b);
}

} // namespace
} // namespace dezadiravevava
