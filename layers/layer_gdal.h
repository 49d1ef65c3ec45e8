// What the layer module's sources share of GDAL: its registration, its
// handles, the failures that end a run, and the input dataset with the
// layers a run takes from it.
#pragma once

#include <memory>
#include <ogrsf_frmts.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon::layers {

// A failure that ends a run; its text is the one line the user reads.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct FeatureDeleter {
    void operator()(OGRFeature* feature) const { OGRFeature::DestroyFeature(feature); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureDeleter>;

// Registers GDAL's drivers, once, with its own messages silenced.
void RegisterOnce();

// GDAL's last error message as ": message", or nothing when it has none.
std::string LastGdalError();

// The vector dataset `input`, read-only; a Failure when it cannot be opened.
Dataset OpenInput(const std::string& input);

// The layer `name` of the dataset, or all of them when it is empty; a
// Failure when there is no such layer or none at all.
std::vector<OGRLayer*> ChosenLayers(GDALDataset& dataset, const std::string& name);

} // namespace quillon::layers
