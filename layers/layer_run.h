// GIS layers through GDAL: every vertex of every geometry of a vector dataset
// carried by the engine's runs over arrays of points, every attribute kept.
// A module of its own, so that the engine stays with the standard library and
// quillon-cli loads GDAL only for the layers.
#pragma once

#include <optional>
#include <string>
#include <transform_request.h>

namespace quillon::layers {

namespace api = dezadiravevava::api;

struct LayerOptions {
    std::string layer;  // the only layer to transform; empty: all of them
    std::string format; // GDAL driver of the output; empty: by its extension
};

struct LayerOutcome {
    bool succeeded = false;
    bool log_written = false;
    std::string log_path;
    std::string failure; // why the run failed, one line
    long long layers = 0;
    long long features = 0; // written
    long long vertices = 0; // transformed and written
    long long rejected = 0; // features left out
    // Seconds spent in the engine's transformation of the vertices.
    double transform_seconds = 0.0;
};

// The EPSG code ("EPSG:23030") of the system of the layers of `input` (the
// one named, or all, which must then agree); nothing, with `failure` set,
// when they have none, one the engine does not know, or several.
std::optional<std::string> LayerSystem(const std::string& input, const std::string& layer,
                                       std::string& failure);

// The system of a layer as one of the codes of api::SideOfEpsg, given as
// WKT, PROJ string or code; nothing when it is none of them.
std::optional<std::string> KnownCodeOf(const std::string& definition);

// Transforms the layers of `input` into `output` and writes the log the
// request names (or OUTPUT.log). The output and its log replace the previous
// ones only when they are complete.
LayerOutcome TransformLayers(const api::TransformRequest& request, const std::string& input,
                             const std::string& output, const LayerOptions& options,
                             const api::Progress& progress);

// What the module gives its host, which loads it with dlopen and finds this
// table through quillon_layers_functions().
struct LayerFunctions {
    std::optional<std::string> (*layer_system)(const std::string& input, const std::string& layer,
                                               std::string& failure);
    LayerOutcome (*transform_layers)(const api::TransformRequest& request, const std::string& input,
                                     const std::string& output, const LayerOptions& options,
                                     const api::Progress& progress);
};

} // namespace quillon::layers

// The module's entry point.
extern "C" __attribute__((visibility("default"))) const quillon::layers::LayerFunctions*
quillon_layers_functions();
