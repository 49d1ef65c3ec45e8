// Throughput of quillon-cli as a user runs it, next to PROJ on the same points.
//
// Writes a file of ED50 UTM zone-30 points over Andalusia and times, in one
// run and each as a process of its own:
//   - `quillon-cli txt` to ETRS89 UTM zone 30 with the national set, with its
//     default threads (one per core) and with `--hilos 1`;
//   - PROJ's `cct -o FILE` (its fastest way) with the EPSG:1632 pipeline;
//   - PROJ's `cs2cs` with the same parameters (+towgs84, position vector);
//   - `quillon-cli txt` with the official IGN grid (--parametros rejilla) and
//     PROJ's `cct -o FILE` with +proj=hgridshift on the same grid file;
//   - `quillon-cli dxf` on a drawing of as many POINTs, default threads and
//     `--hilos 1`.
// Each is run --repeticiones times, interleaved, and the best time is kept;
// peak memory is the process's own maximum resident set (wait4). The outputs
// of quillon-cli and cct are compared point by point.
//
// Usage: quillon_bench [--puntos N] [--repeticiones R] [--hilos N]
//                      [--crecimiento] [--sin-dxf] [--sin-rejilla] [--cli PATH]
//                      [--carpeta DIR]
//   --crecimiento  also times quillon-cli txt on 100 000, 1 000 000 and
//                  10 000 000 points, to show how the time grows.
//   --hilos N      the thread count of the threaded runs (by default
//                  quillon-cli's own: one per core).
//   --sin-rejilla  leaves out the grid method (an older quillon-cli has none).
//   --cli PATH     the quillon-cli to time (by default the one built with
//                  this program), e.g. an earlier build for a before/after.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage: quillon_bench [--puntos N] [--repeticiones R] [--hilos N] [--crecimiento]\n"
    "                     [--sin-dxf] [--sin-rejilla] [--cli PATH] [--carpeta DIR]\n";

// The EPSG:1632 transformation ("ED50 to ETRS89 (7)", position-vector
// rotations in arc seconds, scale in ppm) between UTM zone 30 on both sides.
constexpr std::array<const char*, 27> kCctPipeline = {
    "+proj=pipeline",
    "+step",
    "+inv",
    "+proj=utm",
    "+zone=30",
    "+ellps=intl",
    "+step",
    "+proj=cart",
    "+ellps=intl",
    "+step",
    "+proj=helmert",
    "+x=-131",
    "+y=-100.3",
    "+z=-163.4",
    "+rx=-1.244",
    "+ry=-0.020",
    "+rz=-1.144",
    "+s=9.39",
    "+convention=position_vector",
    "+step",
    "+inv",
    "+proj=cart",
    "+ellps=WGS84",
    "+step",
    "+proj=utm",
    "+zone=30",
    "+ellps=WGS84",
};

struct Options {
    long points = 1000000;
    int repetitions = 3;
    std::optional<int> threads;
    bool growth = false;
    bool drawing = true;
    bool grid = true;
    std::string cli = QUILLON_CLI_PATH;
    fs::path folder = fs::temp_directory_path();
};

// A small linear congruential generator: the same points on every run.
class Points {
public:
    double Next(double low, double high) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }

private:
    std::uint64_t state_ = 20261207;
};

// The points in the engine's TXT layout and, when asked, in PROJ's columns.
void WriteInputs(const fs::path& txt, const fs::path* proj, long count) {
    std::FILE* a = std::fopen(txt.c_str(), "wb");
    std::FILE* b = proj ? std::fopen(proj->c_str(), "wb") : nullptr;
    if (!a || (proj && !b)) {
        std::perror("quillon_bench: cannot write the input");
        std::exit(1);
    }
    std::fputs("Puntos de prueba ED50 UTM 30\r\n", a);
    Points random;
    for (long i = 1; i <= count; ++i) {
        // Andalusia in zone 30: 100 to 600 km east, 3990 to 4290 km north.
        const double x = random.Next(100000.0, 600000.0);
        const double y = random.Next(3990000.0, 4290000.0);
        const double h = random.Next(0.0, 2000.0);
        std::fprintf(a, "%ld\t%.3f\t%.3f\t%.3f\t30\r\n", i, x, y, h);
        if (b) {
            std::fprintf(b, "%.3f %.3f 0\n", x, y);
        }
    }
    if (std::fclose(a) != 0 || (b && std::fclose(b) != 0)) {
        std::perror("quillon_bench: cannot write the input");
        std::exit(1);
    }
}

struct ProcessRun {
    double seconds = 0.0;     // wall clock
    double cpu_seconds = 0.0; // user + system
    long peak_kib = 0;
    bool ok = false;
};

// Runs a program with its standard output sent to `stdout_path` (or
// /dev/null) and its standard error to `stderr_path`; waits for it alone, so
// that the resource usage is its own.
ProcessRun Run(const std::vector<std::string>& argv, const fs::path& stdout_path,
               const fs::path& stderr_path) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(stdout_path.empty() ? "/dev/null" : stdout_path.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
            ::dup2(err, STDERR_FILENO) < 0) {
            std::_Exit(126);
        }
        ::execvp(args[0], args.data());
        std::_Exit(127);
    }
    ProcessRun run;
    if (pid < 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        return run;
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    run.peak_kib = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The best of several runs: least wall time; the largest peak memory seen.
struct Best {
    double seconds = 0.0;
    double cpu_seconds = 0.0;
    long peak_kib = 0;
    int runs = 0;

    void Add(const ProcessRun& run) {
        if (runs == 0 || run.seconds < seconds) {
            seconds = run.seconds;
            cpu_seconds = run.cpu_seconds;
        }
        peak_kib = std::max(peak_kib, run.peak_kib);
        ++runs;
    }
};

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string FirstLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// quillon-cli's arguments for a national run from ED50 UTM 30 to ETRS89 UTM 30,
// with the threaded runs' count (--hilos), or with one thread.
std::vector<std::string> CliRun(const Options& options, const char* command, const fs::path& in,
                                const fs::path& out, bool one_thread = false) {
    std::vector<std::string> argv = {
        options.cli, command, in.string(), out.string(), "--datum-a", "ED50", "--tipo-a", "utm",
        "--huso-a",  "30",    "--datum-b", "ETRS89",     "--tipo-b",  "utm",  "--huso-b", "30"};
    if (one_thread || options.threads) {
        argv.push_back("--hilos");
        argv.push_back(one_thread ? "1" : std::to_string(*options.threads));
    }
    return argv;
}

// The same with the official grid, quillon-cli's bundled copy.
std::vector<std::string> CliGridRun(const Options& options, const fs::path& in,
                                    const fs::path& out) {
    std::vector<std::string> argv = CliRun(options, "txt", in, out);
    argv.insert(argv.end(), {"--parametros", "rejilla"});
    return argv;
}

// PROJ's grid pipeline on the same NTv2 file, ED50 UTM 30 -> ETRS89 UTM 30.
std::vector<std::string> CctGridRun(const fs::path& in, const fs::path& out) {
    return {"cct",
            "-d",
            "3",
            "-o",
            out.string(),
            "+proj=pipeline",
            "+step",
            "+inv",
            "+proj=utm",
            "+zone=30",
            "+ellps=intl",
            "+step",
            "+proj=hgridshift",
            std::string("+grids=") + QUILLON_GRID_PATH,
            "+step",
            "+proj=utm",
            "+zone=30",
            "+ellps=WGS84",
            in.string()};
}

std::vector<std::string> CctRun(const fs::path& in, const fs::path& out) {
    std::vector<std::string> argv = {"cct", "-d", "3", "-o", out.string()};
    argv.insert(argv.end(), kCctPipeline.begin(), kCctPipeline.end());
    argv.push_back(in.string());
    return argv;
}

std::vector<std::string> Cs2csRun(const fs::path& in) {
    return {"cs2cs",
            "-f",
            "%.3f",
            "+proj=utm",
            "+zone=30",
            "+ellps=intl",
            "+towgs84=-131,-100.3,-163.4,-1.244,-0.020,-1.144,9.39",
            "+to",
            "+proj=utm",
            "+zone=30",
            "+ellps=WGS84",
            "+towgs84=0,0,0",
            in.string()};
}

// Largest horizontal distance between quillon-cli's points and cct's, in
// metres, or a negative value when the files do not line up.
double LargestDisagreement(const fs::path& ours, const fs::path& theirs, long count) {
    std::ifstream a(ours), b(theirs);
    std::string la, lb;
    std::getline(a, la); // the title line
    double worst = 0.0;
    long lines = 0;
    while (std::getline(a, la)) {
        do {
            if (!std::getline(b, lb)) {
                return -1.0;
            }
        } while (lb.empty() || lb[0] == '#');
        char* end = nullptr;
        std::strtol(la.c_str(), &end, 10);
        const double x = std::strtod(end, &end);
        const double y = std::strtod(end, &end);
        const double px = std::strtod(lb.c_str(), &end);
        const double py = std::strtod(end, &end);
        worst = std::max(worst, std::hypot(x - px, y - py));
        ++lines;
    }
    return lines == count ? worst : -1.0;
}

void PrintRate(const char* label, const Best& best, long count, const char* unit) {
    std::printf("%-27s %7.2f s %10.0f %s/s   cpu %6.2f s   peak %6.1f MiB\n", label, best.seconds,
                static_cast<double>(count) / best.seconds, unit, best.cpu_seconds,
                static_cast<double>(best.peak_kib) / 1024.0);
}

[[noreturn]] void Fail(const std::string& what, const fs::path& log) {
    std::fprintf(stderr, "quillon_bench: %s failed", what.c_str());
    const std::string first = FirstLineOf(log);
    if (!first.empty()) {
        std::fprintf(stderr, ": %s", first.c_str());
    }
    std::fprintf(stderr, "\n");
    std::exit(1);
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--puntos" && has_value) {
            options.points = std::atol(argv[++i]);
        } else if (arg == "--repeticiones" && has_value) {
            options.repetitions = std::atoi(argv[++i]);
        } else if (arg == "--hilos" && has_value) {
            options.threads = std::atoi(argv[++i]);
        } else if (arg == "--cli" && has_value) {
            options.cli = argv[++i];
        } else if (arg == "--carpeta" && has_value) {
            options.folder = argv[++i];
        } else if (arg == "--crecimiento") {
            options.growth = true;
        } else if (arg == "--sin-dxf") {
            options.drawing = false;
        } else if (arg == "--sin-rejilla") {
            options.grid = false;
        } else {
            return std::nullopt;
        }
    }
    if (options.points <= 0 || options.repetitions <= 0 ||
        (options.threads && *options.threads < 1)) {
        return std::nullopt;
    }
    return options;
}

// quillon-cli txt on growing files. The time should be a fixed part (the
// process, the threads, the final fsync and renames) plus the same time for
// every point: the straight line through the runs, its slope between each
// two sizes, and how far each run lies from it.
void Growth(const Options& options, const fs::path& dir) {
    std::printf("\ngrowth of quillon-cli txt, %s (best of %d)\n",
                options.threads ? ("--hilos " + std::to_string(*options.threads)).c_str()
                                : "default threads",
                options.repetitions);
    double first_ns = 0.0;
    std::vector<double> sizes, seconds;
    for (const long count : {100000L, 1000000L, 10000000L}) {
        const fs::path in = dir / "crecimiento.txt", out = dir / "crecimiento_salida.txt";
        WriteInputs(in, nullptr, count);
        Best best;
        for (int rep = 0; rep < options.repetitions; ++rep) {
            const ProcessRun run = Run(CliRun(options, "txt", in, out), {}, dir / "cli.err");
            if (!run.ok) {
                Fail("quillon-cli txt", dir / "cli.err");
            }
            best.Add(run);
        }
        const double ns = best.seconds * 1e9 / static_cast<double>(count);
        const double cpu_ns = best.cpu_seconds * 1e9 / static_cast<double>(count);
        if (first_ns == 0.0) {
            first_ns = ns;
        }
        std::printf("%9ld points %8.2f s %10.0f points/s %6.0f ns/point (x%.2f), cpu %5.0f "
                    "ns/point, peak %.1f MiB\n",
                    count, best.seconds, static_cast<double>(count) / best.seconds, ns,
                    ns / first_ns, cpu_ns, static_cast<double>(best.peak_kib) / 1024.0);
        sizes.push_back(static_cast<double>(count));
        seconds.push_back(best.seconds);
        fs::remove(in);
        fs::remove(out);
    }
    // The line seconds = fixed + per_point * points that fits the runs best
    // in relative terms (least squares weighted by 1 / seconds^2): a run of
    // 0.07 s counts as much as one of 5 s.
    double sw = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const double w = 1.0 / (seconds[i] * seconds[i]);
        sw += w;
        sx += w * sizes[i];
        sy += w * seconds[i];
        sxx += w * sizes[i] * sizes[i];
        sxy += w * sizes[i] * seconds[i];
    }
    const double per_point = (sw * sxy - sx * sy) / (sw * sxx - sx * sx);
    const double fixed = (sy - per_point * sx) / sw;
    double worst = 0.0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const double line = fixed + per_point * sizes[i];
        worst = std::max(worst, std::fabs(seconds[i] - line) / line);
    }
    std::printf("straight line: %.0f ms + %.0f ns/point; every run within %.1f %% of it\n",
                fixed * 1e3, per_point * 1e9, 100.0 * worst);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        std::printf("from %9.0f to %9.0f points: %.0f ns for each point added\n", sizes[i - 1],
                    sizes[i], (seconds[i] - seconds[i - 1]) * 1e9 / (sizes[i] - sizes[i - 1]));
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> parsed = ParseOptions(argc, argv);
    if (!parsed) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const Options& options = *parsed;
    const fs::path dir = options.folder / ("quillon-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const bool cct = OnPath("cct");
    const bool cs2cs = OnPath("cs2cs");
    const fs::path input = dir / "entrada.txt", output = dir / "salida.txt";
    const fs::path proj_input = dir / "proj_entrada.txt";
    const fs::path cct_output = dir / "cct_salida.txt", cs2cs_output = dir / "cs2cs_salida.txt";
    WriteInputs(input, (cct || cs2cs) ? &proj_input : nullptr, options.points);

    double load[1] = {0.0};
    ::getloadavg(load, 1);
    // The threaded runs: quillon-cli's default (a thread per core) or --hilos N.
    const std::string threads_text =
        options.threads ? "--hilos " + std::to_string(*options.threads) : "default threads";
    const std::string threaded_label =
        options.threads ? "quillon-cli txt --hilos " + std::to_string(*options.threads)
                        : "quillon-cli txt";
    std::printf("%ld points, ED50 UTM 30 -> ETRS89 UTM 30, national set (EPSG:1632), best of %d\n"
                "%u cores, load average %.2f at the start; quillon-cli with %s and --hilos 1\n",
                options.points, options.repetitions, std::thread::hardware_concurrency(), load[0],
                threads_text.c_str());
    if (cct) {
        Run({"cct", "--version"}, dir / "version.txt", dir / "version.err");
        std::string version = FirstLineOf(dir / "version.txt");
        if (version.empty()) {
            version = FirstLineOf(dir / "version.err");
        }
        std::printf("PROJ %s\n", version.c_str());
    }

    Best ours, ours_one, theirs, cs2cs_best, ours_grid, theirs_grid;
    const fs::path grid_output = dir / "salida_rejilla.txt";
    const fs::path cct_grid_output = dir / "cct_salida_rejilla.txt";
    for (int rep = 0; rep < options.repetitions; ++rep) {
        if (options.grid) {
            const ProcessRun run =
                Run(CliGridRun(options, input, grid_output), {}, dir / "cli.err");
            if (!run.ok) {
                Fail("quillon-cli txt --parametros rejilla", dir / "cli.err");
            }
            ours_grid.Add(run);
            if (cct) {
                const ProcessRun c =
                    Run(CctGridRun(proj_input, cct_grid_output), {}, dir / "cct.err");
                if (!c.ok) {
                    Fail("cct with the grid", dir / "cct.err");
                }
                theirs_grid.Add(c);
            }
        }
        const ProcessRun run = Run(CliRun(options, "txt", input, output), {}, dir / "cli.err");
        if (!run.ok) {
            Fail("quillon-cli txt", dir / "cli.err");
        }
        ours.Add(run);
        const ProcessRun one =
            Run(CliRun(options, "txt", input, output, true), {}, dir / "cli.err");
        if (!one.ok) {
            Fail("quillon-cli txt --hilos 1", dir / "cli.err");
        }
        ours_one.Add(one);
        if (cct) {
            const ProcessRun c = Run(CctRun(proj_input, cct_output), {}, dir / "cct.err");
            if (!c.ok) {
                Fail("cct", dir / "cct.err");
            }
            theirs.Add(c);
        }
        if (cs2cs) {
            const ProcessRun c = Run(Cs2csRun(proj_input), cs2cs_output, dir / "cs2cs.err");
            if (!c.ok) {
                Fail("cs2cs", dir / "cs2cs.err");
            }
            cs2cs_best.Add(c);
        }
    }
    std::printf("input                       %.1f MB TXT\n",
                static_cast<double>(fs::file_size(input)) / 1e6);
    PrintRate(threaded_label.c_str(), ours, options.points, "points");
    PrintRate("quillon-cli txt --hilos 1", ours_one, options.points, "points");
    if (cct) {
        PrintRate("cct -o FILE", theirs, options.points, "points");
    }
    if (cs2cs) {
        PrintRate("cs2cs > FILE", cs2cs_best, options.points, "points");
    }
    if (cct) {
        std::printf("quillon-cli txt / cct -o   %.2fx (%s), %.2fx (--hilos 1)\n",
                    theirs.seconds / ours.seconds, threads_text.c_str(),
                    theirs.seconds / ours_one.seconds);
    }
    if (cs2cs) {
        std::printf("quillon-cli txt / cs2cs    %.2fx (%s), %.2fx (--hilos 1)\n",
                    cs2cs_best.seconds / ours.seconds, threads_text.c_str(),
                    cs2cs_best.seconds / ours_one.seconds);
    }
    std::printf("threads / --hilos 1        %.2fx\n", ours_one.seconds / ours.seconds);
    if (!cct && !cs2cs) {
        std::printf("cct, cs2cs                  not installed (proj-bin): no comparison\n");
    }
    if (cct) {
        const double worst = LargestDisagreement(output, cct_output, options.points);
        if (worst < 0.0) {
            std::printf("agreement with cct          the outputs do not line up\n");
        } else {
            std::printf("agreement with cct          %.2f mm at most\n", worst * 1000.0);
        }
    }

    if (options.grid) {
        std::printf("official IGN grid SPED2ETV2 (NTv2, %s)\n", QUILLON_GRID_PATH);
        PrintRate("quillon-cli txt, rejilla", ours_grid, options.points, "points");
        if (cct) {
            PrintRate("cct -o FILE, hgridshift", theirs_grid, options.points, "points");
        }
        std::printf("rejilla / nacionales       %.2fx the national set's time\n",
                    ours_grid.seconds / ours.seconds);
        if (cct) {
            std::printf("quillon-cli / cct, grid    %.2fx\n",
                        theirs_grid.seconds / ours_grid.seconds);
            const double worst = LargestDisagreement(grid_output, cct_grid_output, options.points);
            if (worst < 0.0) {
                std::printf("agreement with cct, grid   the outputs do not line up\n");
            } else {
                std::printf("agreement with cct, grid   %.2f mm at most\n", worst * 1000.0);
            }
        }
        fs::remove(grid_output);
    }

    if (options.drawing) {
        const fs::path drawing = dir / "dibujo.dxf", moved = dir / "dibujo_salida.dxf";
        const ProcessRun made =
            Run({options.cli, "txt-a-dxf", input.string(), drawing.string(), "--tipo", "utm"}, {},
                dir / "cli.err");
        if (!made.ok) {
            Fail("quillon-cli txt-a-dxf", dir / "cli.err");
        }
        Best best, best_one;
        for (int rep = 0; rep < options.repetitions; ++rep) {
            const ProcessRun run = Run(CliRun(options, "dxf", drawing, moved), {}, dir / "cli.err");
            if (!run.ok) {
                Fail("quillon-cli dxf", dir / "cli.err");
            }
            best.Add(run);
            const ProcessRun one =
                Run(CliRun(options, "dxf", drawing, moved, true), {}, dir / "cli.err");
            if (!one.ok) {
                Fail("quillon-cli dxf --hilos 1", dir / "cli.err");
            }
            best_one.Add(one);
        }
        std::printf("drawing                     %.1f MB DXF, %ld POINTs\n",
                    static_cast<double>(fs::file_size(drawing)) / 1e6, options.points);
        PrintRate(options.threads
                      ? ("quillon-cli dxf --hilos " + std::to_string(*options.threads)).c_str()
                      : "quillon-cli dxf",
                  best, options.points, "POINTs");
        PrintRate("quillon-cli dxf --hilos 1", best_one, options.points, "POINTs");
    }

    fs::remove(input);
    fs::remove(output);
    if (options.growth) {
        Growth(options, dir);
    }
    fs::remove_all(dir);
    return 0;
}
