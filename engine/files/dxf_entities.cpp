#include "files/dxf_entities.h"

#include <array>
#include <initializer_list>

namespace dezadiravevava {

namespace {

constexpr PointFrame W = PointFrame::kWorld;
constexpr PointFrame O = PointFrame::kObject;
constexpr PointFrame N = PointFrame::kNone;
constexpr PointFrame E = PointFrame::kElevation;

enum class Special { kNone, kText, kVertex, kHatch };

} // namespace

struct EntityKind {
    std::string_view name;
    EntityTally tally;
    // Frame of the points under group codes 10 to 16.
    std::array<PointFrame, 7> points;
    bool shared_elevation;
    Special special;
};

namespace {

constexpr EntityTally kOthers = EntityTally::kOthers;

// clang-format off
constexpr EntityKind kKinds[] = {
    {"POINT",      EntityTally::kPoints,      {W, N, N, N, N, N, N}, false, Special::kNone},
    {"LINE",       EntityTally::kLines,       {W, W, N, N, N, N, N}, false, Special::kNone},
    {"LWPOLYLINE", EntityTally::kLwPolylines, {O, N, N, N, N, N, N}, true,  Special::kNone},
    {"POLYLINE",   EntityTally::kPolylines,   {E, N, N, N, N, N, N}, true,  Special::kNone},
    {"VERTEX",     EntityTally::kNone,        {O, N, N, N, N, N, N}, true,  Special::kVertex},
    {"TEXT",       EntityTally::kTexts,       {O, O, N, N, N, N, N}, false, Special::kText},
    {"ATTRIB",     kOthers,                   {O, O, N, N, N, N, N}, false, Special::kText},
    {"ATTDEF",     kOthers,                   {O, O, N, N, N, N, N}, false, Special::kText},
    {"MTEXT",      kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"CIRCLE",     kOthers,                   {O, N, N, N, N, N, N}, false, Special::kNone},
    {"ARC",        kOthers,                   {O, N, N, N, N, N, N}, false, Special::kNone},
    {"ELLIPSE",    kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"SPLINE",     kOthers,                   {W, W, N, N, N, N, N}, false, Special::kNone},
    {"HELIX",      kOthers,                   {W, W, N, N, N, N, N}, false, Special::kNone},
    {"INSERT",     kOthers,                   {O, N, N, N, N, N, N}, false, Special::kNone},
    {"SHAPE",      kOthers,                   {O, N, N, N, N, N, N}, false, Special::kNone},
    {"HATCH",      kOthers,                   {N, N, N, N, N, N, N}, true,  Special::kHatch},
    {"SOLID",      kOthers,                   {O, O, O, O, N, N, N}, false, Special::kNone},
    {"TRACE",      kOthers,                   {O, O, O, O, N, N, N}, false, Special::kNone},
    {"3DFACE",     kOthers,                   {W, W, W, W, N, N, N}, false, Special::kNone},
    {"DIMENSION",  kOthers,                   {W, O, N, W, W, W, O}, false, Special::kNone},
    {"LEADER",     kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"MLINE",      kOthers,                   {W, W, N, N, N, N, N}, false, Special::kNone},
    {"XLINE",      kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"RAY",        kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"IMAGE",      kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"WIPEOUT",    kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"TOLERANCE",  kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
    {"MESH",       kOthers,                   {W, N, N, N, N, N, N}, false, Special::kNone},
};
// clang-format on

// VERTEX flags (group 70).
constexpr int kVertexFaceRecord = 128; // polyface: a face record when kVertexPolyface is clear
constexpr int kVertexPolyface = 64;
// POLYLINE flags (group 70).
constexpr int kPolyline3D = 8;
constexpr int kPolylineMesh = 16;
constexpr int kPolylinePolyface = 64;
// HATCH boundary path flags (group 92).
constexpr int kPathIsPolyline = 2;

} // namespace

const EntityKind* FindEntityKind(std::string_view name) {
    for (const EntityKind& kind : kKinds) {
        if (kind.name == name) {
            return &kind;
        }
    }
    return nullptr;
}

EntityTally TallyOf(const EntityKind& kind) {
    return kind.tally;
}

bool HasSharedElevation(const EntityKind& kind) {
    return kind.shared_elevation;
}

bool IsKind(const EntityKind& kind, std::string_view name) {
    return kind.name == name;
}

PolylineShape PolylineShapeOf(int flags) {
    PolylineShape shape;
    shape.object_vertices = (flags & (kPolyline3D | kPolylineMesh | kPolylinePolyface)) == 0;
    shape.polyface = (flags & kPolylinePolyface) != 0;
    return shape;
}

EntityPoints::EntityPoints(const EntityKind& kind, PolylineShape shape, int vertex_flags)
    : kind_(kind), shape_(shape), vertex_flags_(vertex_flags) {}

PointFrame EntityPoints::FrameOf(const DxfTag& tag) {
    const int code = tag.code;
    switch (kind_.special) {
    case Special::kText:
        if (code == 101) {
            embedded_ = true;
        }
        if (embedded_) {
            return code == 10 ? W : N; // the embedded MTEXT's insertion point
        }
        break;
    case Special::kVertex:
        if (code != 10) {
            return N;
        }
        if (shape_.polyface && (vertex_flags_ & kVertexFaceRecord) &&
            !(vertex_flags_ & kVertexPolyface)) {
            return N; // a face record: its location is a placeholder
        }
        return shape_.object_vertices ? O : W;
    case Special::kHatch:
        return HatchFrame(tag);
    case Special::kNone:
        break;
    }
    return code >= 10 && code <= 16 ? kind_.points[static_cast<std::size_t>(code - 10)] : N;
}

PointFrame EntityPoints::HatchFrame(const DxfTag& tag) {
    int value = 0;
    switch (tag.code) {
    case 91:
        paths_begun_ = true;
        return N;
    case 75:
        paths_ended_ = paths_begun_;
        return N;
    case 92: // a new boundary path and its type flags
        polyline_path_ = ParseDxfInteger(tag.value(), value) && (value & kPathIsPolyline) != 0;
        edge_type_ = 0;
        return N;
    case 72: // in an edge path, the type of the next edge; in a polyline path, "has bulges"
        if (!polyline_path_) {
            edge_type_ = ParseDxfInteger(tag.value(), value) ? value : 0;
        }
        return N;
    case 10:
        // Before the paths, the elevation point; after them, seed points.
        return paths_begun_ ? O : E;
    case 11:
        // The end of a line edge, a fit point of a spline edge; an ellipse
        // edge's 11 is its major axis, a vector.
        return paths_begun_ && !paths_ended_ && !polyline_path_ &&
                       (edge_type_ == 1 || edge_type_ == 4)
                   ? O
                   : N;
    default:
        return N;
    }
}

} // namespace dezadiravevava
