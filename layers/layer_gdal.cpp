#include "layer_gdal.h"

namespace quillon::layers {

void RegisterOnce() {
    static const bool registered = [] {
        GDALAllRegister();
        // GDAL's own messages are not the user's: the failures name them.
        // For the whole process, whichever thread runs first: a pushed
        // handler would hold for the registering thread only (the desktop
        // program runs layers on pool threads).
        CPLSetErrorHandler(CPLQuietErrorHandler);
        return true;
    }();
    (void)registered;
}

std::string LastGdalError() {
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? std::string(": ") + message : std::string();
}

Dataset OpenInput(const std::string& input) {
    RegisterOnce();
    CPLErrorReset();
    Dataset dataset(GDALDataset::Open(input.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!dataset) {
        throw Failure("No se puede abrir la capa de entrada: " + input + LastGdalError());
    }
    return dataset;
}

std::vector<OGRLayer*> ChosenLayers(GDALDataset& dataset, const std::string& name) {
    std::vector<OGRLayer*> layers;
    if (!name.empty()) {
        OGRLayer* layer = dataset.GetLayerByName(name.c_str());
        if (!layer) {
            throw Failure("La entrada no tiene la capa " + name);
        }
        layers.push_back(layer);
    } else {
        for (int i = 0; i < dataset.GetLayerCount(); ++i) {
            layers.push_back(dataset.GetLayer(i));
        }
    }
    if (layers.empty()) {
        throw Failure("La entrada no tiene capas");
    }
    return layers;
}

} // namespace quillon::layers
