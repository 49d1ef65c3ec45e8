// Runs over arrays of points in memory: the parameter set prepared once, the
// points transformed as a TXT run transforms the points of its file, the set
// written as text and read back. The C interface (point_interface.cpp) wraps
// these.
#pragma once

#include "files/txt_processing.h"
#include "geodesy/parameter_set.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

// What a run does, as the control's file methods take it: datum, kind and
// zone of each side (zones 1..60, or 0 and -1 for "per point"), the model,
// the parameter choice and its selection, and the origin of the vertex search
// in ED50 UTM zone 30.
struct RunDescription {
    int da = 0;
    int pa = 0;
    double zone_a = 0.0;
    int db = 0;
    int pb = 0;
    double zone_b = 0.0;
    int model = 0;
    int parametros = 0;
    double seleccion = 0.0;
    double origin_x = 0.0;
    double origin_y = 0.0;
    bool orthometric_heights = false;
    std::string grid_path;
    std::string geoid_path;
    // Geodetic heights of side a (b) are orthometric, through the geoid of
    // orthometric_heights (EPSG:4258+5782).
    bool orthometric_geodetic_in = false;
    bool orthometric_geodetic_out = false;

    bool operator==(const RunDescription&) const = default;
    // Whether input points carry their own zone (UTM, zone below 1).
    bool zone_per_point() const { return pa == kKindUtm && zone_a < 1.0; }
};

// The file-run arguments of a description (paths empty).
RunArguments RunArgumentsOf(const RunDescription& description);
// The description of a file run's arguments (the inverse of RunArgumentsOf).
RunDescription DescriptionOf(const RunArguments& run);

// The line that names the first bad field of a description, or an empty string; the
// words are those of the execution log.
std::string InvalidDescription(const RunDescription& description);

// How the points of an array are laid out: doubles per point on each side.
struct PointLayout {
    int in_columns = 3;  // 2: c1 c2; 3: c1 c2 c3; 4: c1 c2 c3 zone
    int out_columns = 3; // the same; 4 only for UTM output (the zone used)
    bool region_only = false;
};

// The message naming what does not fit the description in a layout, or empty.
std::string InvalidLayout(const RunDescription& description, const PointLayout& layout);

// Status of one point; the values are those of the C interface.
enum class PointStatusCode : std::int32_t {
    kTransformed = 0,
    kNotFinite = 1,
    kZoneInvalid = 2,
    kOutsideRegion = 3,
    kOutOfRange = 4,
    kOutsideGrid = 5,
    kOutsideGeoid = 6,
    kOutsideDomain = 7,
};

// A vertex of the search behind an estimated set, with its residual: where
// the catalogue puts it on the target side minus where the set carries its
// source position, UTM zone 30.
struct VertexResidual {
    std::int32_t number = 0;
    std::string name;  // UTF-8
    bool used = false; // false: left out as a blunder
    double source_x = 0.0;
    double source_y = 0.0;
    double target_x = 0.0;
    double target_y = 0.0;
    double residual_x = 0.0;
    double residual_y = 0.0;
};

// A parameter set estimated for a description. It does not change once made, so any
// number of threads may transform points with it at once.
class PreparedRun {
public:
    // Checks the description and prepares its set (with the grid and the geoid it
    // names). On failure returns nothing and `failure` gets the reason (one
    // line, UTF-8). The regional and local choices search `catalogue` (null:
    // the built-in one). `found`, when given, receives the vertices of the
    // search, and `report` the block of the log as far as the preparation
    // got (ending with the reason of a failure), whatever the outcome.
    static std::optional<PreparedRun> Prepare(const RunDescription& description,
                                              std::string& failure,
                                              const Catalogue* catalogue = nullptr,
                                              FoundVertexList* found = nullptr,
                                              std::string* report = nullptr);

    const RunDescription& description() const { return description_; }
    // The model applied (Helmert for the national set).
    int model() const { return model_; }
    const ParameterSet& set() const { return set_; }
    // The block of the execution log for this set.
    const std::string& report() const { return report_; }
    const std::vector<VertexResidual>& vertices() const { return vertices_; }
    // The PROJ pipeline from side a to side b (see ProjPipeline in
    // fit_report.h); empty when PROJ has no equivalent.
    const std::string& proj() const { return proj_; }
    int used_count() const;
    // Geodetic heights of the input (output) are orthometric, through the
    // geoid the run prepared (EPSG:4258+5782).
    void SetOrthometricGeodetic(bool in, bool out) {
        set_.orthometric_geodetic_in = in;
        set_.orthometric_geodetic_out = out;
    }
    // "Error ajuste" of the report in metres; NaN without an adjustment.
    double adjustment_error() const;

    // Transforms one point of `layout` from `in` into `out`: the values of
    // ProcesarTXT for the same point, NaN when the status is not kTransformed.
    PointStatusCode Transform(const double* in, double* out, const PointLayout& layout) const;

    // The 95 % horizontal uncertainty [m] of a point of `layout` that
    // Transform carried (point_uncertainty.h).
    double Uncertainty(const double* in, const PointLayout& layout) const;

    // Transforms n points on up to `threads` threads (0: one per processor);
    // with `uncertainty`, fills it with each point's uncertainty (NaN for a
    // point not transformed).
    void TransformAll(std::int64_t n, const double* in, double* out, std::int32_t* status,
                      const PointLayout& layout, int threads, double* uncertainty = nullptr) const;

    // The whole prepared run as text, and back: a loaded run transforms every
    // point to the same bits. The grid and the geoid are saved by path and
    // read again on loading (the bundled ones from beside the loading library).
    std::string Save() const;
    static std::optional<PreparedRun> Load(std::string_view text, std::string& failure);

private:
    PreparedRun() = default;
    void FindResiduals(const FoundVertexList& found);
    void FindPipeline();
    // Transform of points first to last of a run that TransformUtmBlock
    // carries, a block at a time.
    void TransformBlocks(std::int64_t first, std::int64_t last, const double* in, double* out,
                         std::int32_t* status, const PointLayout& layout) const;

    RunDescription description_;
    int model_ = 0;
    ParameterSet set_;
    std::string report_;
    std::vector<VertexResidual> vertices_;
    std::string proj_;
};

// The rectangle around the points in ED50 UTM zone 30 with the national set,
// as CentroideTXT computes it for the points of a file. Reads the input side
// of the description and the input columns of the layout.
// `threads`: the threads that carry the points; the sums do not depend on it.
// `zone30`, when given, receives each point's x, y in zone 30 (2n values; NaN
// for a point left out).
CentroidResult PointsExtent(std::int64_t n, const double* in, const RunDescription& description,
                            const PointLayout& layout, int threads = 1, double* zone30 = nullptr);

} // namespace dezadiravevava
