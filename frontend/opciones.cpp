#include "opciones.h"

namespace quillon {

int DatumCode(Datum datum) {
    return datum == Datum::Ed50 ? codes::kEd50 : codes::kEtrs89;
}

int KindCode(CoordinateKind kind) {
    switch (kind) {
    case CoordinateKind::Geocentric:
        return codes::kGeocentric;
    case CoordinateKind::Geodetic:
        return codes::kGeodetic;
    case CoordinateKind::Utm:
        break;
    }
    return codes::kUtm;
}

int ModelCode(Model model) {
    switch (model) {
    case Model::Helmert3D:
        return 0;
    case Model::Molodensky:
        return 1;
    case Model::Affine2D:
        break;
    }
    return 2;
}

RunPlan PlanRun(const FormChoices& choices, bool drawing, double drawingZone) {
    RunPlan plan;
    EngineArguments& a = plan.arguments;
    a.da = DatumCode(choices.sourceDatum);
    a.pa = KindCode(choices.sourceKind);
    a.db = DatumCode(choices.targetDatum);
    a.pb = KindCode(choices.targetKind);
    // A UTM point list carries each point's zone; a drawing has one.
    a.hEntrada = drawing && choices.sourceKind == CoordinateKind::Utm ? drawingZone : 0.0;
    a.hSalida = choices.targetKind == CoordinateKind::Utm ? choices.outputZone : 0;
    a.alturasOrtometricas = choices.orthometricHeights && choices.heightsApply() ? 1 : 0;

    if (!choices.changesDatum()) {
        return plan; // national code, Helmert: no parameters are used
    }
    switch (choices.method) {
    case Method::National:
        a.parametros = codes::kNational;
        return plan; // the national set is a Helmert set
    case Method::Grid:
        a.parametros = codes::kGrid;
        return plan; // the grid is no model of parameters
    case Method::Regional:
        a.parametros = codes::kRegional;
        break;
    case Method::Local:
        if (choices.nearestIndex >= 1 && choices.nearestIndex <= 4) {
            a.parametros = codes::kByNumber;
            a.selecParam = kNearestVertexCounts[static_cast<std::size_t>(choices.nearestIndex - 1)];
            plan.searchVertices = true;
            plan.searchByNumber = true;
        } else if (choices.distanceIndex >= 1 && choices.distanceIndex <= 4) {
            a.parametros = codes::kByDistance;
            a.selecParam = kDistanceLimits[static_cast<std::size_t>(choices.distanceIndex - 1)];
            plan.searchVertices = true;
        } else {
            a.parametros = codes::kRegional;
            plan.fallsBackToRegional = true;
        }
        break;
    }
    a.model = ModelCode(choices.model);
    return plan;
}

} // namespace quillon
