#include "files/dxf_entities.h"

#include <array>
#include <initializer_list>

namespace dezadiravevava {

namespace {

constexpr PointFrame W = PointFrame::kWorld;
constexpr PointFrame O = PointFrame::kObject;
constexpr PointFrame N = PointFrame::kNone;
constexpr PointFrame E = PointFrame::kElevation;

enum class Special { kNone, kText, kMText, kVertex, kHatch, kMultiLeader };

} // namespace

struct EntityKind {
    std::string_view name;
    EntityTally tally;
    // Frame of the points under group codes 10 to 17.
    std::array<PointFrame, 8> points;
    bool shared_elevation;
    Special special;
    // A dimension, whose picture (an anonymous block named by group 2) is
    // drawn where it is.
    bool dimension = false;
};

namespace {

constexpr EntityTally kOthers = EntityTally::kOthers;

// clang-format off
constexpr EntityKind kKinds[] = {
    {"POINT",      EntityTally::kPoints,      {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"LINE",       EntityTally::kLines,       {W, W, N, N, N, N, N, N}, false, Special::kNone},
    {"LWPOLYLINE", EntityTally::kLwPolylines, {O, N, N, N, N, N, N, N}, true,  Special::kNone},
    {"POLYLINE",   EntityTally::kPolylines,   {E, N, N, N, N, N, N, N}, true,  Special::kNone},
    {"VERTEX",     EntityTally::kNone,        {O, N, N, N, N, N, N, N}, true,  Special::kVertex},
    {"TEXT",       EntityTally::kTexts,       {O, O, N, N, N, N, N, N}, false, Special::kText},
    {"ATTRIB",     kOthers,                   {O, O, N, N, N, N, N, N}, false, Special::kText},
    {"ATTDEF",     kOthers,                   {O, O, N, N, N, N, N, N}, false, Special::kText},
    {"MTEXT",      kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kMText},
    {"CIRCLE",     kOthers,                   {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"ARC",        kOthers,                   {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"ELLIPSE",    kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"SPLINE",     kOthers,                   {W, W, N, N, N, N, N, N}, false, Special::kNone},
    {"HELIX",      kOthers,                   {W, W, N, N, N, N, N, N}, false, Special::kNone},
    {"INSERT",     kOthers,                   {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"SHAPE",      kOthers,                   {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"HATCH",      kOthers,                   {N, N, N, N, N, N, N, N}, true,  Special::kHatch},
    {"SOLID",      kOthers,                   {O, O, O, O, N, N, N, N}, false, Special::kNone},
    {"TRACE",      kOthers,                   {O, O, O, O, N, N, N, N}, false, Special::kNone},
    {"3DFACE",     kOthers,                   {W, W, W, W, N, N, N, N}, false, Special::kNone},
    {"DIMENSION",  kOthers,                   {W, O, N, W, W, W, O, N}, false, Special::kNone, true},
    {"ARC_DIMENSION", kOthers,                {W, O, N, W, W, W, W, W}, false, Special::kNone, true},
    {"LARGE_RADIAL_DIMENSION", kOthers,       {W, O, N, W, W, W, N, N}, false, Special::kNone, true},
    {"LEADER",     kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"MLINE",      kOthers,                   {W, W, N, N, N, N, N, N}, false, Special::kNone},
    {"XLINE",      kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"RAY",        kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"IMAGE",      kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"WIPEOUT",    kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"TOLERANCE",  kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"MESH",       kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"MULTILEADER", kOthers,                  {N, N, N, N, N, N, N, N}, false, Special::kMultiLeader},
    {"MLEADER",    kOthers,                   {N, N, N, N, N, N, N, N}, false, Special::kMultiLeader},
    {"ACAD_TABLE", kOthers,                   {W, N, N, N, N, N, N, N}, false, Special::kNone},
    {"PDFUNDERLAY", kOthers,                  {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"DWFUNDERLAY", kOthers,                  {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"DGNUNDERLAY", kOthers,                  {O, N, N, N, N, N, N, N}, false, Special::kNone},
    {"LIGHT",      kOthers,                   {W, W, N, N, N, N, N, N}, false, Special::kNone},
    {"SECTION",    kOthers,                   {N, W, W, N, N, N, N, N}, false, Special::kNone},
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

// Kinds whose geometry is an opaque body (ACIS data) or an object of another
// program: nothing in them is a plain coordinate.
constexpr std::string_view kOpaqueKinds[] = {
    "3DSOLID",
    "REGION",
    "BODY",
    "SURFACE",
    "EXTRUDEDSURFACE",
    "LOFTEDSURFACE",
    "PLANESURFACE",
    "REVOLVEDSURFACE",
    "SWEPTSURFACE",
    "NURBSURFACE",
    "ACAD_PROXY_ENTITY",
};

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

bool IsDimension(const EntityKind& kind) {
    return kind.dimension;
}

bool IsOpaqueKind(std::string_view name) {
    for (const std::string_view opaque : kOpaqueKinds) {
        if (opaque == name) {
            return true;
        }
    }
    return false;
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
    case Special::kMText:
        if (code == 101) {
            embedded_ = true;
        }
        if (embedded_) {
            // The column data: 10 repeats the text direction, a vector; 11
            // repeats the insertion point.
            return code == 11 ? W : N;
        }
        break;
    case Special::kMultiLeader:
        return MultiLeaderFrame(tag);
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
    return code >= 10 && code <= 17 ? kind_.points[static_cast<std::size_t>(code - 10)] : N;
}

// A MULTILEADER keeps its geometry in nested groups: the context data
// (300 "CONTEXT_DATA{" to 301), its leaders (302 "LEADER{" to 303) and their
// lines (304 "LEADER_LINE{" to 305). Outside them 10 is the block's scale and
// 302 an attribute's text; inside them 11, 13, 14, 16, 111 and 112 are
// directions and scales.
PointFrame EntityPoints::MultiLeaderFrame(const DxfTag& tag) {
    const int code = tag.code;
    switch (code) {
    case 300:
        leader_depth_ = 1;
        return N;
    case 301:
        leader_depth_ = 0;
        return N;
    case 302:
        leader_depth_ = leader_depth_ >= 1 ? 2 : leader_depth_;
        return N;
    case 303:
        leader_depth_ = leader_depth_ >= 2 ? 1 : leader_depth_;
        return N;
    case 304: // also the text of the content, in the context data
        leader_depth_ = leader_depth_ == 2 ? 3 : leader_depth_;
        return N;
    case 305:
        leader_depth_ = leader_depth_ == 3 ? 2 : leader_depth_;
        return N;
    default:
        break;
    }
    switch (leader_depth_) {
    case 1: // the content's base point, the text's location, the block's
            // position, the origin of the leaders' plane
        return code == 10 || code == 12 || code == 15 || code == 110 ? W : N;
    case 2: // the last point of the leader and its breaks; 11 is the dogleg
        return code == 10 || code == 12 || code == 13 ? W : N;
    case 3: // the vertices of the line and its breaks
        return code == 10 || code == 11 || code == 12 ? W : N;
    default:
        return N;
    }
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
