// The choices of the transformation form as plain values, and the engine
// codes that a run passes for them. Nothing here needs a window: the form
// shows a FormChoices, the run reads the same FormChoices, so what the user
// sees is what the engine gets.
#pragma once

#include "lectura_puntos.h"

#include <array>
#include <cstdint>

namespace quillon {

enum class Datum {
    Ed50,
    Etrs89,
};

// How the transformation parameters are obtained.
enum class Method {
    National, // the fixed national set for Spain
    Regional, // estimated from every catalogue vertex
    Local,    // estimated from the vertices nearest the data
    Grid,     // the official IGN grid SPED2ETV2: no parameters, no vertices
};

// The model of estimated parameters.
enum class Model {
    Helmert3D,
    Molodensky,
    Affine2D,
};

// The point around which a local transformation searches its vertices.
enum class SearchCentre {
    Geometric,  // centre of the bounding rectangle
    MassCentre, // mean of the points
};

// Items of the local selection combo boxes: index 0 is "todos los vértices"
// and "sin límite"; indexes 1..4 choose a number of vertices or a distance.
inline constexpr std::array<int, 4> kNearestVertexCounts = {3, 4, 5, 10};
inline constexpr std::array<double, 4> kDistanceLimits = {25000.0, 50000.0, 100000.0, 150000.0};

// Everything the user chooses on the form besides the points.
struct FormChoices {
    Datum sourceDatum = Datum::Etrs89;
    CoordinateKind sourceKind = CoordinateKind::Utm;
    Datum targetDatum = Datum::Ed50;
    CoordinateKind targetKind = CoordinateKind::Utm;
    // Zone forced on UTM output (29, 30 or 31); 0: each point's own.
    int outputZone = 0;
    Method method = Method::National;
    // Local selection, at most one of the two away from 0.
    int nearestIndex = 0;
    int distanceIndex = 0;
    SearchCentre centre = SearchCentre::Geometric;
    Model model = Model::Helmert3D;
    // The H of UTM points is orthometric, related to the ellipsoidal height
    // through the geoid EGM08-REDNAP (h = H + N).
    bool orthometricHeights = false;

    // The datums differ: only then is there a datum transformation, and
    // only then do the method and the model mean anything.
    bool changesDatum() const { return sourceDatum != targetDatum; }
    // The model is chosen by the user (estimated parameters).
    bool modelApplies() const {
        return changesDatum() && method != Method::National && method != Method::Grid;
    }
    // The local selection is in use.
    bool localApplies() const { return changesDatum() && method == Method::Local; }
    // Only the H of UTM points, on either side, has a meaning that the geoid
    // changes: geodetic and geocentric heights stay ellipsoidal.
    bool heightsApply() const {
        return sourceKind == CoordinateKind::Utm || targetKind == CoordinateKind::Utm;
    }

    bool operator==(const FormChoices&) const = default;
};

// Engine codes of the kinds, datums, models and parameter choices.
namespace codes {
inline constexpr int kEd50 = 14;
inline constexpr int kEtrs89 = 19;
inline constexpr int kGeodetic = 1;
inline constexpr int kUtm = 2;
inline constexpr int kGeocentric = 3;
inline constexpr int kNational = 0;
inline constexpr int kRegional = 1;
inline constexpr int kByDistance = 2;
inline constexpr int kByNumber = 3;
inline constexpr int kGrid = 4;
} // namespace codes

int DatumCode(Datum datum);
int KindCode(CoordinateKind kind);
int ModelCode(Model model);

// The arguments of one transformation call, as the form's choices give them.
struct EngineArguments {
    std::int32_t da = codes::kEtrs89;
    std::int32_t pa = codes::kUtm;
    double hEntrada = 0.0;
    std::int32_t db = codes::kEd50;
    std::int32_t pb = codes::kUtm;
    double hSalida = 0.0;
    std::int32_t model = 0;      // dezadiravevava
    std::int32_t parametros = 0; // parameter choice
    double selecParam = 0.0;     // distance in metres or number of vertices
    // The control's property AlturasOrtometricas, set before the call.
    std::int16_t alturasOrtometricas = 0;

    bool operator==(const EngineArguments&) const = default;
};

// What a run does for a set of choices.
struct RunPlan {
    EngineArguments arguments;
    // A local transformation searches vertices around the centre first.
    bool searchVertices = false;
    // ... by number (BuscarPuntosPorNumero) or else by distance.
    bool searchByNumber = false;
    // The local method with every vertex and no distance limit is the
    // regional method: the run says so and shows it on the form.
    bool fallsBackToRegional = false;
};

// The run of `choices` on a point list or, with `drawing`, on a drawing
// whose zone (for a UTM source) is `drawingZone`. Equal datums carry no
// datum transformation: the national code and Helmert are passed, whatever
// the disabled method options hold. The grid method takes neither a model
// (Helmert is passed) nor vertices. Orthometric heights are asked for only
// where the form offers them, with a UTM side.
RunPlan PlanRun(const FormChoices& choices, bool drawing, double drawingZone);

} // namespace quillon
