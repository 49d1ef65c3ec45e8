// ProcesarTXT on any bytes. The first byte chooses the run (kinds, zones,
// datums); the rest is the point file. Properties:
//  - a run that succeeds replaces the output and the log whole: the output is
//    the title and one well-formed line per point counted in the summary,
//    and the log ends with that summary;
//  - a run that fails leaves the previous output exactly as it was;
//  - no temporary file is left behind either way.
#include "files/txt_processing.h"
#include "geodesy/parameter_set.h"
#include "scratch.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace dezadiravevava;
using namespace quillon_fuzz;

const std::string kPreviousOutput = "resultado anterior\r\n";
const std::string kPreviousLog = "registro anterior\r\n";

bool IsDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// "-12.345" with exactly `decimals` digits after the point, and a magnitude
// within the writer's limit.
bool IsFixedPoint(std::string_view text, std::size_t decimals) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || !IsDigits(text.substr(0, point)) ||
        text.size() - point - 1 != decimals ||
        (decimals > 0 && !IsDigits(text.substr(point + 1)))) {
        return false;
    }
    return std::stod(std::string(text)) <= 100000000.0 + 1.0;
}

// One output line (without its CR LF) as the output kind writes it.
bool IsPointLine(std::string_view line, int kind) {
    std::string_view fields[6];
    std::size_t count = 0;
    while (count < 6) {
        const std::size_t tab = line.find('\t');
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos) {
            break;
        }
        line.remove_prefix(tab + 1);
    }
    const std::size_t decimals = kind == kKindGeodetic ? 12 : 3;
    if (count != (kind == kKindUtm ? 5u : 4u) || !IsDigits(fields[0]) || fields[0][0] == '0') {
        return false;
    }
    for (std::size_t i = 1; i <= 3; ++i) {
        if (!IsFixedPoint(fields[i], decimals)) {
            return false;
        }
    }
    if (kind == kKindUtm) {
        const std::string_view zone = fields[4];
        if (zone.size() < 2 || zone.back() != '.' || !IsDigits(zone.substr(0, zone.size() - 1))) {
            return false;
        }
        const int value = std::stoi(std::string(zone));
        return value >= 1 && value <= 60;
    }
    return true;
}

long long CountAfter(const std::string& log, std::string_view label) {
    const std::size_t at = log.rfind(label);
    return at == std::string::npos ? -1 : std::stoll(log.substr(at + label.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const Scratch& scratch = Scratch::Get();
    scratch.Clear();
    const std::uint8_t choice = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    Write(scratch.File("in.txt"), input);
    Write(scratch.File("out.txt"), kPreviousOutput);
    Write(scratch.File("log"), kPreviousLog);

    RunArguments run;
    run.entrada = scratch.File("in.txt");
    run.salida = scratch.File("out.txt");
    run.pa = 1 + choice % 3;
    run.pb = 1 + (choice / 3) % 3;
    run.h_entrada = (choice & 0x10) ? 30.0 : 0.0;
    run.h_salida = (choice & 0x20) ? 29.0 : 0.0;
    run.da = (choice & 0x40) ? kDatumEtrs89 : kDatumEd50;
    run.db = (choice & 0x80) ? kDatumEd50 : kDatumEtrs89;
    RunOutcome outcome;
    const int result = ProcesarTXT(scratch.File("log"), run, nullptr, &outcome);

    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK((scratch.Names() == std::set<std::string>{"in.txt", "out.txt", "log"}));
    const std::string output = Read(scratch.File("out.txt"));
    const std::string log = Read(scratch.File("log"));
    if (result == 0) {
        FUZZ_CHECK(output == kPreviousOutput);
        FUZZ_CHECK(!outcome.failure.empty());
        FUZZ_CHECK(outcome.log_written ? StartsWith(log, "QUILLON. ARCHIVO LOG DE EJECUCIONES.")
                                       : log == kPreviousLog);
        return 0;
    }
    FUZZ_CHECK(outcome.log_written);
    FUZZ_CHECK(StartsWith(log, "QUILLON. ARCHIVO LOG DE EJECUCIONES.\r\n"));
    // The title, copied as it is.
    const std::size_t title_end = input.find('\n');
    if (title_end == std::string_view::npos) {
        FUZZ_CHECK(output == input); // the file ends within its title: no summary
        FUZZ_CHECK(log.find("Resumen") == std::string::npos);
        return 0;
    }
    std::string_view title = input.substr(0, title_end);
    if (!title.empty() && title.back() == '\r') {
        title.remove_suffix(1);
    }
    FUZZ_CHECK(StartsWith(output, std::string(title) + "\r\n"));
    // Then whole point lines, as many as the summary counts.
    const long long points = CountAfter(log, "N\xfamero de puntos.....: ");
    const long long rejected = CountAfter(log, "L\xedneas rechazadas.....: ");
    FUZZ_CHECK(points >= 0);
    // A UTM output with a zone per point names the zones of its points.
    // (The line right after the summary's count: a rejected line may quote
    // the same words from the input.)
    std::string zones;
    const std::string count_line = "N\xfamero de puntos.....: " + std::to_string(points) + "\r\n";
    if (const std::size_t at = log.rfind(count_line); at != std::string::npos) {
        const std::size_t next = at + count_line.size();
        if (log.compare(next, 23, "Husos de salida......: ") == 0) {
            zones = log.substr(next, log.find("\r\n", next) + 2 - next);
        }
    }
    FUZZ_CHECK(zones.empty() != (run.pb == kKindUtm && run.h_salida == 0.0 && points > 0));
    // A run that wrote points ends with the range of their uncertainty.
    std::string_view before_range = log;
    if (points > 0) {
        const std::size_t last = log.rfind("\r\n", log.size() - 3);
        FUZZ_CHECK(last != std::string::npos &&
                   log.compare(last + 2, 23, "Incertidumbre (95 %).: ") == 0);
        before_range = std::string_view(log).substr(0, last + 2);
    }
    FUZZ_CHECK(EndsWith(std::string(before_range),
                        "N\xfamero de puntos.....: " + std::to_string(points) + "\r\n" + zones +
                            (rejected > 0
                                 ? "L\xedneas rechazadas.....: " + std::to_string(rejected) + "\r\n"
                                 : "")));
    FUZZ_CHECK(rejected == outcome.rejected || (rejected == -1 && outcome.rejected == 0));
    std::string_view rest = std::string_view(output).substr(title.size() + 2);
    long long lines = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        FUZZ_CHECK(end != std::string_view::npos);
        FUZZ_CHECK(IsPointLine(rest.substr(0, end), run.pb));
        rest.remove_prefix(end + 2);
        ++lines;
    }
    FUZZ_CHECK(lines == points);
    // Every point and every rejection comes from a line of its own.
    long long input_lines = 0;
    for (const char c : input.substr(title_end + 1)) {
        input_lines += c == '\n';
    }
    input_lines += !input.empty() && input.back() != '\n';
    FUZZ_CHECK(points + std::max(0LL, rejected) <= input_lines);
    return 0;
}
