// The execution log of a file run: the run header, the parameter report (see
// least_squares.h) and the conversion summary, in that order. The run writes
// them into one new file that replaces the previous log when the run ends
// (see file_run.h).
#pragma once

#include "geodesy/vertex_catalogue.h"

#include <array>
#include <cstdint>
#include <memory>
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
    // Threads that transform the points: 1 transforms them on the calling
    // thread; 0 (or less) uses the machine's cores. The results are the same.
    int threads = 0;
    // A run stopped at the caller's request leaves the previous log as it
    // was, instead of replacing it with one that says so.
    bool keep_log_when_cancelled = false;
    // Points outside the served region (served_region.h) are refused
    // ("fuera de la región de cálculo"). Not with the IGN grid, whose own
    // extent bounds the points it takes.
    bool region_only = false;
    // With orthometric heights: those of geodetic points of the input
    // (output) are orthometric too (EPSG:4258+5782).
    // With one zone for the whole UTM input, a point line whose fifth field
    // names another zone is rejected instead of read in the run's zone.
    bool check_zone_field = false;
    // A drawing with model-space entities that cannot be moved is refused
    // instead of written with them as they were.
    bool strict_drawing = false;
    bool orthometric_geodetic_in = false;
    bool orthometric_geodetic_out = false;
    // The catalogue of the regional and local choices; null: the built-in one.
    std::shared_ptr<const Catalogue> catalogue;
    // TXT output: each point line ends with its 95 % horizontal uncertainty
    // in metres (point_uncertainty.h), a last TAB-separated column. (The
    // summary of the log gives its range in any case.)
    bool uncertainty_column = false;
};

// The catalogue a run searches: its own, or the built-in one.
const Catalogue& CatalogueOf(const RunArguments& run);

// Entity counts of a processed drawing: the five kinds of the original
// summary, and every other entity kind that was transformed.
struct DxfCounts {
    long long texts = 0;
    long long points = 0;
    long long lines = 0;
    long long polylines = 0;
    long long lw_polylines = 0;
    long long others = 0;
};

// The header text (UTF-8, "\n" line ends) for a run; without
// `name_files`, the lines naming its input and output are left out (a run
// of points held in memory).
std::string RunHeader(const RunArguments& run, bool name_files = true);

// The last line of the log of a run stopped at the user's request.
inline constexpr std::string_view kCancelledLine = "Operación cancelada por el usuario\n";

// Points per output zone (index 1 to 60) of a run whose output zone is
// chosen for each point.
using ZoneCounts = std::array<long long, 61>;

// The 95 % horizontal uncertainty of a run's points: its smallest and largest
// value, and how many points had none (an estimation without redundancy).
struct UncertaintyRange {
    double smallest = 0.0;
    double largest = 0.0;
    long long known = 0;
    long long unknown = 0;

    void Add(double metres);
    void Add(const UncertaintyRange& other);
};

// Summary blocks. A TXT run that rejected lines says how many in a line;
// one with points in `zones` names the zones after the points line:
// "Husos de salida......: 29 (12 puntos), 30 (88 puntos)". A run that
// computed the uncertainty of its points ends with its range:
// "Incertidumbre (95 %).: 0.012 a 0.034 m"; so does a DXF run, over the
// points of its model-space entities.
std::string TxtSummary(long long points, long long rejected = 0, const ZoneCounts& zones = {},
                       const UncertaintyRange& uncertainty = {});
std::string DxfSummary(const DxfCounts& counts, const UncertaintyRange& uncertainty = {});

// Lines of an input that could not be used, for the log: each named as
// "Línea N rechazada: <motivo>" up to a limit, then only counted.
class RejectedLines {
public:
    static constexpr long long kListed = 1000;

    void Add(std::uint64_t line, std::string_view motive);
    long long count() const { return count_; }
    // The named lines, then how many more were rejected, if any.
    std::string Text() const;

private:
    std::string listed_;
    long long count_ = 0;
};

} // namespace dezadiravevava
