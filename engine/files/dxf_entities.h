// Which group codes of each DXF entity kind are points, and in which frame.
//
// A point is a position in the drawing: a world (WCS) or object (OCS, see
// dxf_ocs.h) coordinate pair x, y under group codes 1n and 2n, with its z
// under 3n. Direction and offset vectors (an ellipse's major axis, the
// direction of an MTEXT or an XLINE, spline tangents, extrusions), radii,
// angles and scales are not points: a datum change keeps them (it is a
// near-identity on the plane, see docs/drawings.md).
//
// | kind                 | points                                          |
// |----------------------|-------------------------------------------------|
// | POINT, ELLIPSE, TOLERANCE, XLINE, RAY, IMAGE, WIPEOUT, LEADER, MESH,     |
// | ACAD_TABLE           | 10 (WCS)                                        |
// | MTEXT                | 10 (WCS); in its column data (after 101) 11     |
// | LINE, SPLINE, HELIX, MLINE, LIGHT | 10, 11 (WCS)                       |
// | 3DFACE               | 10 to 13 (WCS)                                  |
// | TEXT, ATTRIB, ATTDEF | 10, 11 (OCS); an embedded MTEXT's 10 (WCS)      |
// | CIRCLE, ARC, INSERT, SHAPE, the underlays | 10 (OCS)                   |
// | SOLID, TRACE         | 10 to 13 (OCS)                                  |
// | LWPOLYLINE           | every 10 (OCS, elevation 38)                    |
// | POLYLINE             | none: its own 10 holds only its elevation (z)   |
// | VERTEX               | 10: OCS of a 2D polyline, WCS of a 3D polyline, |
// |                      | mesh or polyface vertex; none in a face record  |
// | DIMENSION            | 10, 13, 14, 15 (WCS); 11, 16 (OCS); 12 is the   |
// |                      | offset of the dimension's picture, not a point  |
// | ARC_DIMENSION        | 10, 13 to 17 (WCS); 11 (OCS)                    |
// | LARGE_RADIAL_DIMENSION | 10, 13, 14, 15 (WCS); 11 (OCS)                |
// | MULTILEADER          | in its context data 10, 12, 15, 110; in its     |
// |                      | leaders 10, 12, 13; in their lines 10, 11, 12   |
// | SECTION              | 11, 12 (WCS); 10 is its vertical direction      |
// | HATCH                | boundary vertices and edges (line ends, arc and |
// |                      | ellipse centres, spline control and fit points) |
// |                      | and seed points (OCS); its first 10 holds only  |
// |                      | its elevation                                   |
//
// Opaque kinds (IsOpaqueKind) have no point to read at all.
#pragma once

#include "files/dxf_tags.h"

#include <string_view>

namespace dezadiravevava {

enum class PointFrame {
    kNone,      // not a point
    kWorld,     // a WCS point
    kObject,    // an OCS point
    kElevation, // a placeholder point whose z is the entity's elevation
};

// The summary line that counts an entity kind.
enum class EntityTally { kTexts, kPoints, kLines, kPolylines, kLwPolylines, kOthers, kNone };

struct EntityKind;

// Looks up a kind by its name ("LINE"); null for the kinds whose points are
// not known, which are copied unchanged.
const EntityKind* FindEntityKind(std::string_view name);
EntityTally TallyOf(const EntityKind& kind);
// True for the kinds whose object points share one elevation (LWPOLYLINE's 38,
// the elevation point of POLYLINE and HATCH) instead of carrying their own z.
bool HasSharedElevation(const EntityKind& kind);
bool IsKind(const EntityKind& kind, std::string_view name);
// True for the dimensions, whose picture moves with them.
bool IsDimension(const EntityKind& kind);
// True for the kinds whose geometry cannot move: bodies kept as opaque ACIS
// data (3DSOLID, REGION, BODY, the surfaces) and proxies of other programs.
bool IsOpaqueKind(std::string_view name);

// What a POLYLINE tells its VERTEX entities.
struct PolylineShape {
    bool object_vertices = true; // a 2D polyline: vertices in its OCS
    bool polyface = false;       // a polyface mesh: some vertices are face records
};
// The shape of a POLYLINE from its flags (group 70).
PolylineShape PolylineShapeOf(int flags);

// Follows the group codes of one entity and says which start a point. Kinds
// like HATCH and ATTRIB change the meaning of a code along the entity, so the
// classifier sees every tag in order.
class EntityPoints {
public:
    // `vertex_flags` (group 70 of a VERTEX) and `shape` matter for VERTEX only.
    EntityPoints(const EntityKind& kind, PolylineShape shape = {}, int vertex_flags = 0);

    // The frame of the point that starts with this tag, or kNone.
    PointFrame FrameOf(const DxfTag& tag);

private:
    PointFrame HatchFrame(const DxfTag& tag);
    PointFrame MultiLeaderFrame(const DxfTag& tag);

    const EntityKind& kind_;
    PolylineShape shape_;
    int vertex_flags_ = 0;
    // ATTRIB and ATTDEF: after group 101 the tags describe an embedded MTEXT.
    // MTEXT: after group 101 the tags describe its columns.
    bool embedded_ = false;
    // MULTILEADER: 0 outside its context data, 1 in it, 2 in a leader, 3 in
    // a leader line.
    int leader_depth_ = 0;
    // HATCH: whether the boundary paths have begun (group 91) or ended (75),
    // whether the current path is a polyline (bit 2 of group 92), and the type
    // of the current edge (group 72 of an edge path: 1 line, 2 arc, 3 ellipse,
    // 4 spline).
    bool paths_begun_ = false;
    bool paths_ended_ = false;
    bool polyline_path_ = false;
    int edge_type_ = 0;
};

} // namespace dezadiravevava
