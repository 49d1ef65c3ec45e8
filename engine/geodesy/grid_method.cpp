#include "geodesy/grid_method.h"

#include "files/bundled_files.h"
#include "files/number_format.h"

namespace dezadiravevava {

namespace {

constexpr const char* kParametersTitle = "Cálculo de los parámetros de transformación\n"
                                         "=============================================\n\n";
constexpr const char* kHeightsTitle = "Alturas ortométricas\n"
                                      "======================\n\n";

std::string ExtentText(const GeographicExtent& e) {
    return "longitud " + CFixed(e.west, 6) + " a " + CFixed(e.east, 6) + ", latitud " +
           CFixed(e.south, 6) + " a " + CFixed(e.north, 6) + " (grados)";
}

// The path a run reads: the one given, or the bundled file. Empty, with the
// line for the log in `missing`, when the bundled file is nowhere.
std::string PathToRead(const std::string& given, const char* bundled_name, std::string& missing) {
    if (!given.empty()) {
        return given;
    }
    std::string path = FindBundledFile(bundled_name);
    if (path.empty()) {
        missing = MissingBundledFile(bundled_name);
    }
    return path;
}

// Hands the block, or its failure line, over when asked for; the result
// passes through.
bool Report(bool ok, const std::string& block, std::string* report) {
    if (report) {
        *report += block;
    }
    return ok;
}

} // namespace

bool PrepareGrid(ParameterSet& set, const std::string& grid_path, std::string* report,
                 std::string* failure) {
    std::string block = kParametersTitle;
    std::string missing;
    const std::string path = PathToRead(grid_path, kBundledGridName, missing);
    std::string error;
    std::optional<Ntv2Grid> grid;
    if (!path.empty()) {
        grid = Ntv2Grid::Load(path, error);
    }
    if (!grid) {
        const std::string line = path.empty()
                                     ? "No se encuentra la rejilla: " + missing + "\n"
                                     : "No se puede leer la rejilla " + path + ": " + error + "\n";
        if (failure) {
            *failure = line;
        }
        return Report(false, block + line, report);
    }
    set.grid = std::make_shared<const Ntv2Grid>(std::move(*grid));
    // The file carries no accuracy values: the figure measured for SPED2ETV2
    // on the catalogue stands for the grid of the run.
    set.uncertainty = SetUncertainty{kGridUncertainty95, std::nullopt};
    const auto& subgrids = set.grid->subgrids();
    block += "Rejilla NTv2..........: " + path + "\n";
    block += "Número de subrejillas.: " + std::to_string(subgrids.size()) + "\n";
    block += "Extensión.............: " + ExtentText(set.grid->extent()) + "\n";
    for (const Ntv2Subgrid& g : subgrids) {
        block += "Subrejilla............: " + g.name + ", " + ExtentText(g.Extent()) + ", paso " +
                 CFixed(g.lat_inc, 0) + " x " + CFixed(g.lon_inc, 0) + " segundos\n";
    }
    block += "\n";
    return Report(true, block, report);
}

bool PrepareGeoid(ParameterSet& set, const std::string& geoid_path, std::string* report,
                  std::string* failure) {
    std::string block = kHeightsTitle;
    std::string missing;
    const std::string path = PathToRead(geoid_path, kBundledGeoidName, missing);
    std::string error;
    std::optional<GeoidGrid> geoid;
    if (!path.empty()) {
        geoid = GeoidGrid::Load(path, error);
    }
    if (!geoid) {
        const std::string line = path.empty()
                                     ? "No se encuentra el geoide: " + missing + "\n"
                                     : "No se puede leer el geoide " + path + ": " + error + "\n";
        if (failure) {
            *failure = line;
        }
        return Report(false, block + line, report);
    }
    set.geoid = std::make_shared<const GeoidGrid>(std::move(*geoid));
    block += "Geoide................: " + path + "\n";
    block += "Extensión.............: " + ExtentText(set.geoid->extent()) + "\n";
    block += "Alturas UTM...........: ortométricas H, con h = H + N sobre el elipsoide ETRS89\n\n";
    return Report(true, block, report);
}

} // namespace dezadiravevava
