// Throughput of ProcesarTXT on a large ED50 UTM zone-30 point file, carried to
// ETRS89 UTM zone 30 with the national set, and its peak memory; with PROJ's
// cct on the PATH, the same points through cct's EPSG:1632 pipeline for
// comparison.
//
// Usage: txt_throughput [POINTS] (default 1000000)
#include "files/number_format.h"
#include "files/txt_processing.h"
#include "geodesy/parameter_set.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

// The input in the engine's TXT layout and, when asked, in cct's columns.
void WriteInputs(const fs::path& txt, const fs::path* cct, long count) {
    std::FILE* a = std::fopen(txt.c_str(), "wb");
    std::FILE* b = cct ? std::fopen(cct->c_str(), "wb") : nullptr;
    if (!a || (cct && !b)) {
        std::perror("cannot write the input");
        std::exit(1);
    }
    std::fputs("Puntos de prueba ED50 UTM 30\r\n", a);
    Points random;
    std::string x, y, h;
    for (long i = 1; i <= count; ++i) {
        // Andalusia in zone 30: 100 to 600 km east, 3990 to 4290 km north.
        x = dezadiravevava::CFixed(random.Next(100000.0, 600000.0), 3);
        y = dezadiravevava::CFixed(random.Next(3990000.0, 4290000.0), 3);
        h = dezadiravevava::CFixed(random.Next(0.0, 2000.0), 3);
        std::fprintf(a, "%ld\t%s\t%s\t%s\t30\r\n", i, x.c_str(), y.c_str(), h.c_str());
        if (b) {
            std::fprintf(b, "%s %s 0\n", x.c_str(), y.c_str());
        }
    }
    std::fclose(a);
    if (b) {
        std::fclose(b);
    }
}

struct ChildRun {
    double seconds = 0.0;
    long peak_kib = 0;
    int status = -1;
};

// Runs `work` in a child process, so that its peak memory is its own.
template <typename Work>
ChildRun InChild(Work work) {
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::_Exit(work());
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ChildRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peak_kib = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool HasCct() {
    return std::system("command -v cct >/dev/null 2>&1") == 0;
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: txt_throughput [POINTS]\n");
        return 2;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quillon-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path input = dir / "entrada.txt", output = dir / "salida.txt", log = dir / "log";
    const fs::path cct_input = dir / "cct_entrada.txt", cct_output = dir / "cct_salida.txt";
    const bool cct = HasCct();
    WriteInputs(input, cct ? &cct_input : nullptr, count);

    dezadiravevava::RunArguments run;
    run.entrada = input;
    run.salida = output;
    run.da = dezadiravevava::kDatumEd50;
    run.pa = dezadiravevava::kKindUtm;
    run.h_entrada = 30;
    run.db = dezadiravevava::kDatumEtrs89;
    run.pb = dezadiravevava::kKindUtm;
    run.h_salida = 30;
    const ChildRun ours =
        InChild([&] { return dezadiravevava::ProcesarTXT(log, run, nullptr) == 1 ? 0 : 1; });
    if (ours.status != 0) {
        std::fprintf(stderr, "ProcesarTXT failed\n");
        return 1;
    }
    const double our_rate = static_cast<double>(count) / ours.seconds;
    std::printf("points                 %ld (%.1f MB in, %.1f MB out)\n", count,
                static_cast<double>(fs::file_size(input)) / 1e6,
                static_cast<double>(fs::file_size(output)) / 1e6);
    std::printf("ProcesarTXT            %.2f s, %.0f points/s, peak memory %.1f MiB\n",
                ours.seconds, our_rate, static_cast<double>(ours.peak_kib) / 1024.0);

    if (cct) {
        const std::string pipeline =
            "cct -d 3 +proj=pipeline +step +inv +proj=utm +zone=30 +ellps=intl"
            " +step +proj=cart +ellps=intl +step +proj=helmert +x=-131 +y=-100.3 +z=-163.4"
            " +rx=-1.244 +ry=-0.020 +rz=-1.144 +s=9.39 +convention=position_vector"
            " +step +inv +proj=cart +ellps=WGS84 +step +proj=utm +zone=30 +ellps=WGS84 < '" +
            cct_input.string() + "' > '" + cct_output.string() + "'";
        const ChildRun theirs = InChild([&] { return std::system(pipeline.c_str()) == 0 ? 0 : 1; });
        const double cct_rate = static_cast<double>(count) / theirs.seconds;
        std::printf("cct (PROJ, EPSG:1632)  %.2f s, %.0f points/s, peak memory %.1f MiB\n",
                    theirs.seconds, cct_rate, static_cast<double>(theirs.peak_kib) / 1024.0);
        std::printf("ratio                  %.2fx cct's throughput\n", our_rate / cct_rate);
    } else {
        std::printf("cct                    not installed (proj-bin): no comparison\n");
    }
    fs::remove_all(dir);
    return 0;
}
