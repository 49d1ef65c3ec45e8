// ProcesarDXF on any bytes. The first byte chooses the run; the rest is the
// drawing. Properties:
//  - a run that succeeds replaces the output and the log whole: the log ends
//    with the drawing summary, the output is there;
//  - a run that fails leaves the previous output exactly as it was, and its
//    log (when written) says why;
//  - no temporary file is left behind either way;
//  - a drawing that succeeds keeps its line count: moved coordinates only
//    replace their value lines.
#include "files/dxf_processing.h"
#include "geodesy/parameter_set.h"
#include "scratch.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace dezadiravevava;
using namespace quillon_fuzz;

// Lines of a text: its line feeds, and a last line without one.
std::size_t LineCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += c == '\n';
    }
    return count + (!text.empty() && text.back() != '\n');
}

const std::string kPreviousOutput = "dibujo anterior\r\n";
const std::string kPreviousLog = "registro anterior\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const Scratch& scratch = Scratch::Get();
    scratch.Clear();
    const std::uint8_t choice = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    Write(scratch.File("in.dxf"), input);
    Write(scratch.File("out.dxf"), kPreviousOutput);
    Write(scratch.File("log"), kPreviousLog);

    RunArguments run;
    run.entrada = scratch.File("in.dxf");
    run.salida = scratch.File("out.dxf");
    run.pa = (choice & 1) ? kKindUtm : kKindGeodetic;
    run.h_entrada = 30.0;
    run.pb = 1 + (choice / 2) % 3;
    run.h_salida = (choice & 0x10) ? 30.0 : 0.0;
    run.da = (choice & 0x40) ? kDatumEtrs89 : kDatumEd50;
    run.db = (choice & 0x80) ? kDatumEd50 : kDatumEtrs89;
    RunOutcome outcome;
    const int result = ProcesarDXF(scratch.File("log"), run, nullptr, &outcome);

    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK((scratch.Names() == std::set<std::string>{"in.dxf", "out.dxf", "log"}));
    const std::string log = Read(scratch.File("log"));
    if (result == 0) {
        FUZZ_CHECK(Read(scratch.File("out.dxf")) == kPreviousOutput);
        FUZZ_CHECK(!outcome.failure.empty());
        FUZZ_CHECK(outcome.log_written ? StartsWith(log, "QUILLON. ARCHIVO LOG DE EJECUCIONES.")
                                       : log == kPreviousLog);
        return 0;
    }
    FUZZ_CHECK(outcome.log_written);
    FUZZ_CHECK(StartsWith(log, "QUILLON. ARCHIVO LOG DE EJECUCIONES.\r\n"));
    const std::size_t summary = log.rfind("Resumen de la conversi\xf3n\r\n");
    FUZZ_CHECK(summary != std::string::npos);
    const std::size_t last = log.rfind("Otras entidades......: ");
    FUZZ_CHECK(last != std::string::npos && last > summary);
    FUZZ_CHECK(EndsWith(log, "\r\n"));
    // A successful drawing holds at least the lines up to its ENTITIES line.
    const std::string output = Read(scratch.File("out.dxf"));
    FUZZ_CHECK(output != kPreviousOutput || input == kPreviousOutput);
    FUZZ_CHECK(output.find("ENTITIES") != std::string::npos);
    FUZZ_CHECK(LineCount(output) == LineCount(input));
    return 0;
}
