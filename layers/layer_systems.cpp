#include "layer_systems.h"

#include "layer_gdal.h"

#include <array>
#include <optional>

namespace quillon::layers {

namespace {

// The codes api::SideOfEpsg knows, as GDAL builds them.
constexpr std::array<const char*, 14> kKnownCodes = {
    "EPSG:23029",      "EPSG:23030",      "EPSG:23031",      "EPSG:25829",    "EPSG:25830",
    "EPSG:25831",      "EPSG:4230",       "EPSG:4258",       "EPSG:4937",     "EPSG:4936",
    "EPSG:25829+5782", "EPSG:25830+5782", "EPSG:25831+5782", "EPSG:4258+5782"};

// The system a layer states; null when it states none (a GeoPackage's
// "Undefined geographic SRS" and "Undefined Cartesian SRS" say just that).
const OGRSpatialReference* StatedSystem(OGRLayer& layer) {
    const OGRSpatialReference* srs = layer.GetSpatialRef();
    if (srs && srs->GetName() && STARTS_WITH(srs->GetName(), "Undefined ") &&
        !srs->GetAuthorityCode(nullptr)) {
        return nullptr;
    }
    return srs;
}

std::optional<std::string> KnownCode(const OGRSpatialReference& srs) {
    // By authority code first: the quick and usual case.
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority && code && EQUAL(authority, "EPSG")) {
        const std::string named = std::string("EPSG:") + code;
        if (api::SideOfEpsg(named)) {
            return named;
        }
    }
    // Else a definition equivalent to one of the codes (a .prj in ESRI words).
    const char* options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                             "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    for (const char* known : kKnownCodes) {
        OGRSpatialReference candidate;
        if (candidate.SetFromUserInput(known) == OGRERR_NONE && srs.IsSame(&candidate, options)) {
            return std::string(known);
        }
    }
    return std::nullopt;
}

std::string Describe(const OGRSpatialReference& srs) {
    const char* name = srs.GetName();
    return name ? name : "sin nombre";
}

bool SameSide(const api::Side& a, const api::Side& b) {
    return a.datum == b.datum && a.kind == b.kind &&
           (a.kind != api::Kind::kUtm || a.zone == b.zone);
}

} // namespace

void CheckLayerSystems(const std::vector<OGRLayer*>& layers, const api::TransformRequest& request) {
    for (OGRLayer* layer : layers) {
        const OGRSpatialReference* srs = StatedSystem(*layer);
        if (!srs) {
            continue; // the options say what the layer is in
        }
        const auto code = KnownCode(*srs);
        if (!code) {
            throw Failure("El sistema de la capa " + std::string(layer->GetName()) + " (" +
                          Describe(*srs) + ") no es uno de los que se transforman (" +
                          std::string(api::KnownEpsgCodes()) + ")");
        }
        const auto side = api::SideOfEpsg(*code);
        if (!SameSide(side->side, request.a) ||
            (side->orthometric_heights && !request.orthometric_heights)) {
            throw Failure("La capa " + std::string(layer->GetName()) + " está en " + *code +
                          ", que no es el sistema de entrada que dicen las opciones");
        }
    }
}

std::string TargetCode(const api::TransformRequest& request, bool has_z) {
    const api::Side& b = request.b;
    std::string code = b.code;
    if (code.empty()) {
        const bool ed50 = b.datum == api::Datum::kEd50;
        switch (b.kind) {
        case api::Kind::kUtm:
            code = "EPSG:" + std::to_string((ed50 ? 23000 : 25800) + b.zone);
            break;
        case api::Kind::kGeodetic:
            code = ed50 ? "EPSG:4230" : (has_z && !b.orthometric ? "EPSG:4937" : "EPSG:4258");
            break;
        case api::Kind::kGeocentric:
            code = "EPSG:4936";
            break;
        }
    }
    if (has_z && request.orthometric_heights && b.kind == api::Kind::kUtm &&
        code.find('+') == std::string::npos) {
        code += "+5782";
    }
    return code;
}

std::optional<std::string> KnownCodeOf(const std::string& definition) {
    RegisterOnce();
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(definition.c_str()) != OGRERR_NONE) {
        return std::nullopt;
    }
    return KnownCode(srs);
}

std::optional<std::string> LayerSystem(const std::string& input, const std::string& layer,
                                       std::string& failure) {
    try {
        Dataset dataset = OpenInput(input);
        std::optional<std::string> found;
        for (OGRLayer* chosen : ChosenLayers(*dataset, layer)) {
            const OGRSpatialReference* srs = StatedSystem(*chosen);
            if (!srs) {
                if (chosen->GetGeomType() == wkbNone) {
                    continue; // a table without geometries
                }
                throw Failure("La capa " + std::string(chosen->GetName()) +
                              " no dice su sistema de referencia: dé --sistema-a (o --datum-a, "
                              "--tipo-a y --huso-a)");
            }
            const auto code = KnownCode(*srs);
            if (!code) {
                throw Failure("El sistema de la capa " + std::string(chosen->GetName()) + " (" +
                              Describe(*srs) + ") no es uno de los que se transforman (" +
                              std::string(api::KnownEpsgCodes()) + ")");
            }
            if (found && *found != *code) {
                throw Failure("Las capas de la entrada están en sistemas distintos (" + *found +
                              ", " + *code + "): transfórmelas una a una con --capa");
            }
            found = code;
        }
        if (!found) {
            throw Failure("Ninguna capa de la entrada tiene geometrías");
        }
        return found;
    } catch (const Failure& error) {
        failure = error.what();
        return std::nullopt;
    }
}

} // namespace quillon::layers
