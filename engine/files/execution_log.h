// The execution log of a file run: the run header, the parameter report (see
// least_squares.h) and the conversion summary, in that order.
#pragma once

#include <string>
#include <string_view>

namespace dezadiravevava {

// The arguments of a file run, in the order of the automation interface.
struct RunArguments {
    std::string entrada;
    int da = 0;
    int pa = 0;
    double h_entrada = 0.0;
    std::string salida;
    int db = 0;
    int pb = 0;
    double h_salida = 0.0;
    int model = 0;
    int parametros = 0;
    double selec_param = 0.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    // Options of the run beyond the interface's arguments (control properties).
    // Heights of UTM points are orthometric (H), related to ellipsoidal
    // heights through the geoid.
    bool orthometric_heights = false;
    // NTv2 grid of the grid method; empty: the bundled SPED2ETV2.
    std::string grid_path;
    // GTX geoid of orthometric heights; empty: the bundled EGM08-REDNAP.
    std::string geoid_path;
};

// Entity counts of a processed drawing.
struct DxfCounts {
    int texts = 0;
    int points = 0;
    int lines = 0;
    int polylines = 0;
    int lw_polylines = 0;
};

// The header text (UTF-8, "\n" line ends) for a run.
std::string RunHeader(const RunArguments& run);
// Rewrites the log with the run header; false when it cannot be written.
bool WriteRunHeader(const std::string& log_path, const RunArguments& run);

// The last line of the log of a run stopped at the user's request.
inline constexpr std::string_view kCancelledLine = "Operación cancelada por el usuario\n";

// Summary blocks.
std::string TxtSummary(long long points);
std::string DxfSummary(const DxfCounts& counts);

// Appends text to an existing log. False when the log no longer exists or
// cannot be appended to.
bool AppendToExistingLog(const std::string& log_path, std::string_view utf8);
// Appends text, creating the log when it does not exist.
bool AppendToLog(const std::string& log_path, std::string_view utf8);

} // namespace dezadiravevava
