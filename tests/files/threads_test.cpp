// The file runs on worker threads: the same output, log and results with
// one thread, two or seven; runs that stop part way leave nothing behind.
#include "files/dxf_processing.h"
#include "files/dxf_writer.h"
#include "files/number_format.h"
#include "files/ordered_work.h"
#include "files/text_encoding.h"
#include "files/txt_processing.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"
#include "support/recording_progress.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace dezadiravevava {
namespace {

namespace fs = std::filesystem;
using quillon_test::ReadWhole;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

constexpr int kThreadCounts[] = {1, 2, 7};

// --- The pool --------------------------------------------------------------

struct NumberedBlock {
    int number = 0;
    int twice = 0;
    std::thread::id worked_by;
};

// With more than one thread, block 0 is held until some later block has been
// worked on by another thread: blocks are then done out of order, by more
// than one thread, whatever the scheduling, and still come back in the order
// they were handed over. The minute-long wait only keeps a broken pool from
// hanging the test.
TEST(OrderedWork, BlocksComeBackInTheOrderTheyWereHandedOver) {
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<int> finished; // block numbers, in the order they were done
        bool gave_up = false;
        OrderedWork<NumberedBlock> work(threads, [&](NumberedBlock& block) {
            block.twice = 2 * block.number;
            block.worked_by = std::this_thread::get_id();
            std::unique_lock lock(mutex);
            if (block.number == 0 && threads > 1 &&
                !changed.wait_for(lock, std::chrono::minutes(1),
                                  [&] { return !finished.empty(); })) {
                gave_up = true;
            }
            finished.push_back(block.number);
            changed.notify_all();
        });
        int next = 0;
        std::set<std::thread::id> workers;
        const auto take = [&] {
            const NumberedBlock block = work.TakeOldest();
            EXPECT_EQ(block.number, next);
            EXPECT_EQ(block.twice, 2 * next);
            workers.insert(block.worked_by);
            ++next;
        };
        for (int i = 0; i < 120; ++i) {
            while (!work.HasRoomFor(1)) {
                take();
            }
            NumberedBlock block;
            block.number = i;
            work.HandOver(std::move(block), 1);
        }
        while (!work.empty()) {
            take();
        }
        EXPECT_EQ(next, 120);
        EXPECT_FALSE(gave_up);
        ASSERT_EQ(finished.size(), 120u);
        if (threads == 1) {
            // No pool: the calling thread did every block, in order.
            EXPECT_EQ(workers, std::set<std::thread::id>{std::this_thread::get_id()});
            EXPECT_TRUE(std::is_sorted(finished.begin(), finished.end()));
        } else {
            EXPECT_NE(finished.front(), 0); // a later block was done first
            EXPECT_GT(workers.size(), 1u);
        }
    }
}

TEST(OrderedWork, WhatIsOutStaysBounded) {
    for (const int threads : {1, 2, 7, kMaxThreads}) {
        SCOPED_TRACE(threads);
        OrderedWork<NumberedBlock> work(threads, [](NumberedBlock&) {});
        std::size_t out = 0;
        while (work.HasRoomFor(1000)) {
            work.HandOver(NumberedBlock(), 1000);
            ++out;
        }
        EXPECT_LE(out, kMaxBlocksOut);
        EXPECT_LE(out, static_cast<std::size_t>(2 * threads + 2));
        // Bytes count too; an empty pipeline takes any block.
        work.TakeOldest();
        if (!work.empty()) {
            EXPECT_FALSE(work.HasRoomFor(kMaxBytesOut));
        }
        while (!work.empty()) {
            work.TakeOldest();
        }
        EXPECT_TRUE(work.HasRoomFor(10 * kMaxBytesOut));
    }
}

TEST(OrderedWork, AFailedBlockFailsWhenItIsTakenBackAndTheRestIsDropped) {
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        OrderedWork<NumberedBlock> work(threads, [](NumberedBlock& block) {
            if (block.number == 2) {
                throw std::runtime_error("block 2");
            }
            block.twice = 2 * block.number;
        });
        int handed = 0;
        for (int taken = 0; taken < 3; ++taken) {
            while (handed < 6 && work.HasRoomFor(1)) {
                NumberedBlock block;
                block.number = handed++;
                work.HandOver(std::move(block), 1);
            }
            if (taken < 2) {
                EXPECT_EQ(work.TakeOldest().twice, 2 * taken);
            } else {
                EXPECT_THROW(work.TakeOldest(), std::runtime_error);
            }
        }
        // The blocks still out are dropped with the work: the workers stop.
    }
}

TEST(OrderedWork, ThreadCounts) {
    const int cores = static_cast<int>(std::max(std::thread::hardware_concurrency(), 1U));
    EXPECT_EQ(RunThreads(0), std::min(cores, kMaxThreads));
    EXPECT_EQ(RunThreads(-3), RunThreads(0));
    EXPECT_EQ(RunThreads(1), 1);
    EXPECT_EQ(RunThreads(7), 7);
    EXPECT_EQ(RunThreads(100000), kMaxThreads);
}

// --- Point files -----------------------------------------------------------

// What a run left: the output, and the log as written and as UTF-8 lines
// ended by "\n".
struct RunResult {
    int status = -1;
    std::string output;
    std::string raw_log;
    std::string log;
};

void ReadLog(const TempDir& dir, RunResult& result) {
    result.raw_log = ReadWhole(dir.File("log"));
    result.log = Cp1252ToUtf8(result.raw_log);
    std::erase(result.log, '\r');
}

// ED50 UTM zone 30 to ETRS89 of a kind (a zone of 0: each point's own).
RunArguments FromZone30(const std::string& in, const std::string& out, int kind_out,
                        double zone_out = 0) {
    RunArguments run;
    run.entrada = in;
    run.salida = out;
    run.da = kDatumEd50;
    run.pa = kKindUtm;
    run.h_entrada = 30;
    run.db = kDatumEtrs89;
    run.pb = kind_out;
    run.h_salida = zone_out;
    return run;
}

RunArguments UtmPerPoint(const std::string& in, const std::string& out) {
    RunArguments run;
    run.entrada = in;
    run.salida = out;
    run.da = kDatumEd50;
    run.pa = kKindUtm;
    run.h_entrada = 0; // the zone of each point
    run.db = kDatumEtrs89;
    run.pb = kKindUtm;
    run.h_salida = 0; // the natural zone of each point
    return run;
}

// A point file or a drawing run with a number of threads, its log in dir.
template <typename Procesar>
RunResult RunFile(Procesar procesar, const TempDir& dir, RunArguments run, int threads,
                  ProgressSink* progress) {
    run.threads = threads;
    RunResult result;
    result.status = procesar(dir.File("log"), run, progress, nullptr, nullptr);
    result.output = fs::is_regular_file(run.salida) ? ReadWhole(run.salida) : "";
    ReadLog(dir, result);
    return result;
}

RunResult RunTxt(const TempDir& dir, const RunArguments& run, int threads,
                 ProgressSink* progress = nullptr) {
    return RunFile(ProcesarTXT, dir, run, threads, progress);
}

// A point of zone 29, 30 or 31 in Andalusia, by number.
std::string PointLineOf(int i) {
    const int zone = 29 + i % 3;
    const double x = zone == 30 ? 300000.0 + 7.0 * i : 650000.0 - 11.0 * i;
    const double y = 4100000.0 + 13.0 * i;
    return std::to_string(i) + "\t" + CFixed(x, 3) + "\t" + CFixed(y, 3) + "\t" +
           CFixed(i % 1000 * 0.5, 3) + "\t" + std::to_string(zone);
}

// Nine blocks of lines: points in three zones, 6000 rejected lines of
// every kind, 1000 comments (rejected too), blank lines (skipped), a line longer than a point line
// may be (line 602), and a last line without its line feed.
std::string ManyLines() {
    std::string text = "Puntos de prueba, huso en cada punto\r\n";
    for (int i = 1; i <= 18000; ++i) {
        switch (i % 9) {
        case 1:
            text += std::to_string(i) + "\t300000,5\t4100000\t0\t30\r\n";
            break;
        case 4:
            text += std::to_string(i) + "\tnan\t4100000\t0\t30\r\n";
            break;
        case 7:
            text += std::to_string(i) + "\t300000\t4100000\t0\t30.5\n"; // and LF alone
            break;
        case 8:
            text += i % 2 ? "\r\n" : "* comentario\r\n";
            break;
        default:
            text += PointLineOf(i) + "\r\n";
        }
        if (i == 600) {
            text += "600\t" + std::string(70000, '1') + "\r\n";
        }
    }
    return text + PointLineOf(18001); // no line feed
}

TEST(ThreadedPointFiles, TheSameOutputAndLogWithOneTwoOrSevenThreads) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), ManyLines());
    const RunArguments run = UtmPerPoint(dir.File("in.txt"), dir.File("out.txt"));
    const RunResult one = RunTxt(dir, run, 1);
    ASSERT_EQ(one.status, 1) << one.log;
    for (const int threads : {2, 7}) {
        SCOPED_TRACE(threads);
        const RunResult many = RunTxt(dir, run, threads);
        EXPECT_EQ(many.status, 1);
        EXPECT_TRUE(many.output == one.output); // not printed: megabytes
        EXPECT_EQ(many.raw_log, one.raw_log);
    }
    // What the run says, whatever the threads: 3 x 2000 rejected lines, 1000
    // comments and the overlong one, the first 1000 named in input order, the
    // rest counted; the points of zones 29 and 31, and the last one of 30.
    for (const char* named :
         {"Línea 2 rechazada: coordenada 1 no numérica (\"300000,5\")\n"
          "Línea 5 rechazada: coordenada 1 no finita (\"nan\")\n"
          "Línea 8 rechazada: huso no válido (\"30.5\")\n"
          "Línea 9 rechazada: el número de punto no es un entero (\"* comentario\")\n",
          "Línea 602 rechazada: línea de más de 65536 caracteres\n"
          "Línea 603 rechazada: huso no válido (\"30.5\")\n",
          "Línea 2568 rechazada: coordenada 1 no numérica (\"300000,5\")\n"
          "Otras 6001 líneas rechazadas no se detallan\n",
          "Número de puntos.....: 10001\n"
          "Husos de salida......: 29 (6000 puntos), 30 (1 punto), 31 (4000 puntos)\n"
          "Líneas rechazadas.....: 7001\n"}) {
        EXPECT_NE(one.log.find(named), std::string::npos) << named;
    }
    // Points of the later blocks, and the last one, as each alone gives them.
    for (const int i : {2999, 9002, 18001}) {
        SCOPED_TRACE(i);
        WriteWhole(dir.File("one.txt"), "t\r\n" + PointLineOf(i) + "\r\n");
        const RunResult alone =
            RunTxt(dir, UtmPerPoint(dir.File("one.txt"), dir.File("one_out.txt")), 1);
        const std::string line = alone.output.substr(3);
        ASSERT_NE(one.output.find("\n" + line), std::string::npos) << line;
        EXPECT_EQ(i == 18001, one.output.ends_with(line));
    }
}

// A local fit's warnings count the points of every block: the same log
// whatever the threads.
TEST(ThreadedPointFiles, LocalFitWarningsWhateverTheThreads) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), ManyLines());
    RunArguments run = UtmPerPoint(dir.File("in.txt"), dir.File("out.txt"));
    run.parametros = kParametersByNumber;
    run.selec_param = 4;
    run.x = 389000;
    run.y = 4150000;
    const RunResult one = RunTxt(dir, run, 1);
    ASSERT_EQ(one.status, 1) << one.log;
    EXPECT_NE(one.log.find("\nAviso: "), std::string::npos);
    EXPECT_NE(one.log.find(" fuera del polígono de los vértices empleados\n"), std::string::npos);
    for (const int threads : {2, 7}) {
        EXPECT_EQ(RunTxt(dir, run, threads).raw_log, one.raw_log) << threads;
    }
}

TEST(ThreadedPointFiles, SmallFilesWithAnyNumberOfThreads) {
    const std::string point = PointLineOf(30);
    struct Case {
        const char* name;
        std::string input;
        bool summary;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"title without its line feed", "Título", false},
        {"title only", "Título\r\n", true},
        {"one point, no line feed", "Título\r\n" + point, true},
        {"one point", "Título\n" + point + "\n", true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWhole(dir.File("in.txt"), c.input);
        RunArguments run = UtmPerPoint(dir.File("in.txt"), dir.File("out.txt"));
        const RunResult one = RunTxt(dir, run, 1);
        EXPECT_EQ(one.status, 1);
        EXPECT_EQ(one.log.find("Resumen") != std::string::npos, c.summary) << one.log;
        const bool has_point = c.input.find(point) != std::string::npos;
        EXPECT_EQ(one.log.find("Número de puntos.....: 1\n") != std::string::npos, has_point);
        EXPECT_EQ(one.output.find("\r\n30\t") != std::string::npos, has_point) << one.output;
        for (const int threads : {2, 7}) {
            const RunResult many = RunTxt(dir, run, threads);
            EXPECT_EQ(many.status, 1);
            EXPECT_EQ(many.output, one.output);
            EXPECT_EQ(many.raw_log, one.raw_log);
        }
    }
}

// The sums of a centroid, point after point in input order, as one thread
// adds them.
CentroidResult CentroidInInputOrder(const std::vector<CoordTriple>& points, double zone) {
    ParameterSet set;
    SetSpainParametersWithReport(DirectionOf(kDatumEd50, kDatumEd50), set, nullptr);
    CentroidResult result;
    double sum_x = 0.0, sum_y = 0.0;
    for (const CoordTriple& point : points) {
        double zone30 = 30.0;
        const CoordTriple out = TransformPoint(point, kDatumEd50, kKindUtm, zone, kDatumEd50,
                                               kKindUtm, 30.0, set, kModelHelmert, zone30);
        AccumulateCentroid(result, out.c1, out.c2, sum_x, sum_y);
    }
    FinishCentroid(result, sum_x, sum_y);
    return result;
}

void ExpectSameBits(const CentroidResult& a, const CentroidResult& b) {
    EXPECT_EQ(a.count, b.count);
    const std::pair<double, double> values[] = {{a.x, b.x},         {a.y, b.y},
                                                {a.x_min, b.x_min}, {a.x_max, b.x_max},
                                                {a.y_min, b.y_min}, {a.y_max, b.y_max}};
    for (const auto& [x, y] : values) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y))
            << x << " " << y;
    }
}

TEST(ThreadedPointFiles, CentroidsAreTheSumsInInputOrderToTheLastBit) {
    TempDir dir;
    std::string text = "t\n";
    std::vector<CoordTriple> points;
    for (int i = 1; i <= 9000; ++i) {
        // Values whose sums round differently in another order.
        const double x = 235000.123 + 1e-3 * (i * 7919 % 100003);
        const double y = 4100000.987 + 0.37 * (i * 104729 % 99991);
        text += std::to_string(i) + "\t" + CFixed(x, 3) + "\t" + CFixed(y, 3) + "\t0\t30\n";
        points.emplace_back(ReadDecimal(CFixed(x, 3)), ReadDecimal(CFixed(y, 3)), 0.0);
    }
    WriteWhole(dir.File("in.txt"), text);
    const CentroidResult expected = CentroidInInputOrder(points, 30.0);
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        CentroidResult result;
        ASSERT_EQ(
            CentroideTXT(dir.File("in.txt"), kDatumEd50, kKindUtm, 0, result, nullptr, threads), 1);
        ExpectSameBits(result, expected);
    }
    // A drawing of the same points.
    ASSERT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("in.dxf"), kKindUtm, nullptr, 1), 1);
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        CentroidResult result;
        ASSERT_EQ(
            CentroideDXF(dir.File("in.dxf"), kDatumEd50, kKindUtm, 30, result, nullptr, threads),
            1);
        ExpectSameBits(result, expected);
    }
}

TEST(ThreadedPointFiles, DrawingsOfPointsWithAnyNumberOfThreads) {
    TempDir dir;
    std::string text = "t\n";
    for (int i = 1; i <= 4000; ++i) {
        text += PointLineOf(i) + (i % 3 ? "\r\n" : "\n");
    }
    text += PointLineOf(6000);
    WriteWhole(dir.File("in.txt"), text);
    // Points of zones 29 to 31, drawn in zone 29.
    PointDrawing drawing;
    drawing.zone = 29;
    drawing.datum = kDatumEd50;
    ASSERT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("one.dxf"), kKindUtm, nullptr, 1, false,
                               drawing),
              1);
    const std::string one = ReadWhole(dir.File("one.dxf"));
    // Every line after the title is a POINT: the last one's handle follows
    // from the number of lines before it (the first is 3e8).
    char handle[32];
    std::snprintf(handle, sizeof handle, "%lx",
                  0x3e8UL + static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n')) -
                      1);
    EXPECT_NE(
        one.find(std::string("  5\r\n") + handle + "\r\n  8\r\n0\r\n 10\r\n584000.000000\r\n"),
        std::string::npos)
        << handle;
    for (const int threads : {2, 7}) {
        SCOPED_TRACE(threads);
        ASSERT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("many.dxf"), kKindUtm, nullptr,
                                   threads, false, drawing),
                  1);
        EXPECT_TRUE(ReadWhole(dir.File("many.dxf")) == one);
    }
}

// --- Drawings --------------------------------------------------------------

// The lines of a text, ends included.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, stop - start));
        start = stop;
    }
    return lines;
}

std::string Trimmed(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \r\n");
    const std::size_t last = line.find_last_not_of(" \r\n");
    return first == std::string::npos ? "" : line.substr(first, last - first + 1);
}

// The drawing with the entities of its ENTITIES section written `times`
// times over: a drawing of many blocks with every kind the drawing has.
std::string EntitiesRepeated(const std::string& drawing, int times) {
    const std::vector<std::string> lines = LinesOf(drawing);
    std::size_t begin = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (Trimmed(lines[i]) == "ENTITIES" && Trimmed(lines[i - 1]) == "2") {
            begin = i + 1;
            break;
        }
    }
    std::size_t end = begin;
    while (end + 1 < lines.size() &&
           !(Trimmed(lines[end]) == "0" && Trimmed(lines[end + 1]) == "ENDSEC")) {
        end += 2;
    }
    std::string out;
    for (std::size_t i = 0; i < begin; ++i) {
        out += lines[i];
    }
    for (int k = 0; k < times; ++k) {
        for (std::size_t i = begin; i < end; ++i) {
            out += lines[i];
        }
    }
    for (std::size_t i = end; i < lines.size(); ++i) {
        out += lines[i];
    }
    return out;
}

RunResult RunDxf(const TempDir& dir, const RunArguments& run, int threads,
                 ProgressSink* progress = nullptr) {
    return RunFile(ProcesarDXF, dir, run, threads, progress);
}

TEST(ThreadedDrawings, CorpusDrawingsMovedAlikeWithAnyNumberOfThreads) {
    struct Corpus {
        const char* file;
        int pa;
        double h_entrada;
        int pb;
    };
    const Corpus corpus[] = {
        {"ezdxf_r12.dxf", kKindUtm, 30, kKindUtm},
        {"ezdxf_r12.dxf", kKindUtm, 30, kKindGeodetic},
        {"ezdxf_r12_sin_blancos_crlf.dxf", kKindUtm, 30, kKindUtm},
        {"ezdxf_r2000_crlf.dxf", kKindUtm, 30, kKindUtm},
        {"ezdxf_r2010.dxf", kKindUtm, 30, kKindUtm},
        {"ezdxf_r2018.dxf", kKindUtm, 30, kKindUtm},
        {"gdal.dxf", kKindUtm, 30, kKindUtm},
        {"gdal_rotulos.dxf", kKindUtm, 30, kKindUtm},
        {"gdal_6w_geodesicas.dxf", kKindGeodetic, 0, kKindUtm},
    };
    TempDir dir;
    for (const Corpus& c : corpus) {
        SCOPED_TRACE(std::string(c.file) + " to kind " + std::to_string(c.pb));
        const std::string drawing = ReadWhole(fs::path(QUILLON_REFERENCE_DIR) / "dxf" / c.file);
        RunArguments run;
        run.da = kDatumEd50;
        run.pa = c.pa;
        run.h_entrada = c.h_entrada;
        run.db = kDatumEtrs89;
        run.pb = c.pb;
        // The drawing once, in a single block.
        WriteWhole(dir.File("once.dxf"), drawing);
        run.entrada = dir.File("once.dxf");
        run.salida = dir.File("once_out.dxf");
        const RunResult once = RunDxf(dir, run, 1);
        ASSERT_EQ(once.status, 1) << once.log;
        // Its entities 50 times over: many blocks, each entity moved as
        // in the drawing once.
        constexpr int kTimes = 50;
        WriteWhole(dir.File("many.dxf"), EntitiesRepeated(drawing, kTimes));
        run.entrada = dir.File("many.dxf");
        run.salida = dir.File("many_out.dxf");
        const RunResult one = RunDxf(dir, run, 1);
        ASSERT_EQ(one.status, 1) << one.log;
        EXPECT_TRUE(one.output == EntitiesRepeated(once.output, kTimes));
        for (const int threads : {2, 7}) {
            SCOPED_TRACE(threads);
            const RunResult many = RunDxf(dir, run, threads);
            EXPECT_EQ(many.status, 1);
            EXPECT_TRUE(many.output == one.output);
            EXPECT_EQ(many.raw_log, one.raw_log);
        }
    }
}

// A drawing of many POINTs and one long LWPOLYLINE; the first `bad` POINTs
// cannot be moved: the reading finds half of them, the workers the others.
std::string ManyPointsDrawing(int points, int bad) {
    std::string text = "  0\nSECTION\n  2\nHEADER\n  9\n$EXTMIN\n 10\n0.0\n 20\n0.0\n"
                       "  9\n$EXTMAX\n 10\n1.0\n 20\n1.0\n  0\nENDSEC\n"
                       "  0\nSECTION\n  2\nENTITIES\n";
    for (int i = 0; i < points; ++i) {
        // Unreadable, or beyond what the transformation can carry.
        const std::string x = i >= bad ? CFixed(250000.0 + 17.0 * i, 3) : i % 2 ? "1e300" : "x";
        text += "  0\nPOINT\n  8\n0\n 10\n" + x + "\n 20\n" + CFixed(4050000.0 + 5.0 * i, 3) +
                "\n 30\n0.0\n";
        if (i % 1000 == 0) {
            text += "  0\nCIRCLE\n  8\n0\n 10\n300000.0\n 20\n4100000.0\n 30\n0.0\n 40\n250.0\n";
        }
    }
    text += "  0\nLWPOLYLINE\n  8\n0\n 90\n5000\n 70\n0\n";
    for (int i = 0; i < 5000; ++i) {
        text += " 10\n" + CFixed(400000.0 + i, 3) + "\n 20\n" + CFixed(4000000.0 - i, 3) + "\n";
    }
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

TEST(ThreadedDrawings, EveryPointMovedAsAlone) {
    TempDir dir;
    WriteWhole(dir.File("in.dxf"), ManyPointsDrawing(6000, 0));
    const RunArguments run = FromZone30(dir.File("in.dxf"), dir.File("out.dxf"), kKindUtm, 30);
    ParameterSet set;
    SetSpainParameters(kDirectionEd50ToEtrs89, set);
    const auto moved = [&](double x, double y) {
        double zone = 30;
        const CoordTriple out =
            TransformPoint(CoordTriple(x, y, kNoThird), kDatumEd50, kKindUtm, 30, kDatumEtrs89,
                           kKindUtm, 30, set, kModelHelmert, zone);
        return " 10\n" + CFixed(out.c1, 6) + "\n 20\n" + CFixed(out.c2, 6) + "\n";
    };
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        const RunResult result = RunDxf(dir, run, threads);
        ASSERT_EQ(result.status, 1) << result.log;
        for (const int i : {0, 1999, 4321, 5999}) {
            EXPECT_NE(result.output.find("POINT\n  8\n0\n" +
                                         moved(250000.0 + 17.0 * i, 4050000.0 + 5.0 * i)),
                      std::string::npos)
                << i;
        }
        EXPECT_NE(result.output.find(moved(404999.0, 3995001.0) + "  0\nENDSEC\n"),
                  std::string::npos);
        EXPECT_NE(result.log.find("Número de puntos.....: 6000\n"), std::string::npos);
        EXPECT_NE(result.log.find("Otras entidades......: 6\n"), std::string::npos);
    }
}

TEST(ThreadedDrawings, RejectedCoordinatesNamedInDrawingOrder) {
    TempDir dir;
    WriteWhole(dir.File("in.dxf"), ManyPointsDrawing(6000, 1500));
    WriteWhole(dir.File("out.dxf"), "anterior");
    const RunArguments run = FromZone30(dir.File("in.dxf"), dir.File("out.dxf"), kKindUtm);
    const RunResult one = RunDxf(dir, run, 1);
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.output, "anterior");
    // The first POINT's x is line 28; each POINT takes 10 lines, and a CIRCLE
    // after every thousandth 12 more.
    EXPECT_NE(one.log.find("Línea 28 rechazada: valor no numérico\n"
                           "Línea 50 rechazada: fuera del dominio de las coordenadas\n"
                           "Línea 60 rechazada: valor no numérico\n"),
              std::string::npos)
        << one.log.substr(0, 2000);
    EXPECT_NE(one.log.find("Línea 10030 rechazada: fuera del dominio de las coordenadas\n"
                           "Otras 500 líneas rechazadas no se detallan\n"
                           "Líneas rechazadas.....: 1500\n"),
              std::string::npos);
    for (const int threads : {2, 7}) {
        SCOPED_TRACE(threads);
        const RunResult many = RunDxf(dir, run, threads);
        EXPECT_EQ(many.status, 0);
        EXPECT_EQ(many.output, "anterior");
        EXPECT_EQ(many.raw_log, one.raw_log);
    }
}

// --- Runs that stop part way -----------------------------------------------

// Asks for a stop once the bar passes half of the file.
class StopHalfway : public ProgressSink {
public:
    void Open(std::string_view, std::uint64_t size) override { size_ = size; }
    void Step(std::uint64_t position) override {
        last = position;
        half_ = half_ || position > size_ / 2;
    }
    void Close() override {}
    bool CancelRequested() override { return half_; }

    std::uint64_t last = 0;

private:
    std::uint64_t size_ = 0;
    bool half_ = false;
};

std::vector<std::string> FilesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ThreadedRuns, ACancelledRunLeavesTheOldFilesWhateverTheThreads) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), ManyLines());
    WriteWhole(dir.File("in.dxf"), ManyPointsDrawing(6000, 0));
    std::string txt_log;
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        WriteWhole(dir.File("out.txt"), "anterior");
        WriteWhole(dir.File("out.dxf"), "anterior");
        WriteWhole(dir.File("drawing.dxf"), "anterior");
        WriteWhole(dir.File("log"), "");
        const auto before = FilesIn(dir);

        StopHalfway txt;
        const RunResult points =
            RunTxt(dir, UtmPerPoint(dir.File("in.txt"), dir.File("out.txt")), threads, &txt);
        EXPECT_EQ(points.status, 0);
        EXPECT_EQ(points.output, "anterior");
        // The lines before the stop are named, in order; the run never ends.
        EXPECT_NE(points.log.find("Línea 2568 rechazada"), std::string::npos);
        EXPECT_EQ(points.log.find("Otras"), std::string::npos);
        EXPECT_EQ(points.log.find("Resumen"), std::string::npos);
        EXPECT_TRUE(points.log.ends_with("Operación cancelada por el usuario\n")) << points.log;
        if (threads == 1) {
            txt_log = points.raw_log;
        }
        EXPECT_EQ(points.raw_log, txt_log);

        StopHalfway dxf;
        const RunArguments run = FromZone30(dir.File("in.dxf"), dir.File("out.dxf"), kKindGeodetic);
        const RunResult drawing = RunDxf(dir, run, threads, &dxf);
        EXPECT_EQ(drawing.status, 0);
        EXPECT_EQ(drawing.output, "anterior");
        EXPECT_TRUE(drawing.log.ends_with("Operación cancelada por el usuario\n"));

        StopHalfway writer;
        EXPECT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), dir.File("drawing.dxf"), kKindUtm, &writer,
                                   threads),
                  0);
        StopHalfway centroid;
        CentroidResult result;
        EXPECT_EQ(
            CentroideTXT(dir.File("in.txt"), kDatumEd50, kKindUtm, 0, result, &centroid, threads),
            0);
        EXPECT_EQ(result.count, 0);
        EXPECT_EQ(result.x_min, 1e30);
        // Every old file as it was, and no temporary file beside them.
        EXPECT_EQ(ReadWhole(dir.File("drawing.dxf")), "anterior");
        EXPECT_EQ(FilesIn(dir), before);
    }
}

TEST(ThreadedRuns, AnOutputThatCannotBeWrittenStopsTheRunCleanly) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    TempDir dir;
    std::string text = ManyLines();
    for (int copy = 0; copy < 8; ++copy) {
        text += "\r\n" + ManyLines().substr(ManyLines().find('\n') + 1);
    }
    WriteWhole(dir.File("in.txt"), text);
    WriteWhole(dir.File("in.dxf"), ManyPointsDrawing(6000, 0));
    std::string first_log;
    for (const int threads : kThreadCounts) {
        SCOPED_TRACE(threads);
        StopHalfway progress; // never asked: the run stops before half
        const RunResult points =
            RunTxt(dir, UtmPerPoint(dir.File("in.txt"), "/dev/full"), threads, &progress);
        EXPECT_EQ(points.status, 0);
        EXPECT_TRUE(points.log.ends_with("Error al escribir el archivo de salida: /dev/full\n"))
            << points.log.substr(points.log.size() - 300);
        EXPECT_LT(progress.last, text.size() / 2); // no use reading the rest
        if (threads == 1) {
            first_log = points.raw_log;
        }
        EXPECT_EQ(points.raw_log, first_log);

        const RunArguments run = FromZone30(dir.File("in.dxf"), "/dev/full", kKindUtm);
        const RunResult drawing = RunDxf(dir, run, threads);
        EXPECT_EQ(drawing.status, 0);
        EXPECT_TRUE(drawing.log.ends_with("Error al escribir el archivo de salida: /dev/full\n"));
        EXPECT_EQ(ConvertirTXTaDXF(dir.File("in.txt"), "/dev/full", kKindUtm, nullptr, threads), 0);
        EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"in.dxf", "in.txt", "log"}));
    }
}

} // namespace
} // namespace dezadiravevava
