#include "files/dxf_compiled.h"
#include "files/dxf_walk.h"
#include "files/number_format.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava::drawing {

void DrawingWalker::HandleEntity(const DxfTag& start, Place place) {
    Copy(start);
    const std::string_view name = start.Keyword();
    const EntityKind* kind = FindEntityKind(name);
    const bool vertex = name == "VERTEX";
    const bool follows_parent = vertex || name == "ATTRIB" || name == "SEQEND";
    const EntityFacts facts = Inspect(kind);
    const bool paper = facts.paper_space || (follows_parent && parent_paper_);
    if (!follows_parent) {
        parent_paper_ = paper;
    }
    if (!vertex) {
        polyline_.active = false;
    }
    if (name == "SEQEND") {
        parent_paper_ = false;
    }
    if (kind && IsKind(*kind, "POLYLINE")) {
        polyline_.active = true;
        polyline_.shape = PolylineShapeOf(facts.flags);
        polyline_.frame = FrameOf(facts);
        polyline_.elevation = facts.elevation;
    }
    if ((place == Place::kModel && paper) || name == "SEQEND") {
        CopyBody();
        return;
    }
    if (!kind || (vertex && !polyline_.active)) {
        if (place == Place::kModel) {
            NoteUnhandled(name, facts.handle);
        }
        CopyBody();
        return;
    }
    const bool model = place == Place::kModel;
    if (model) {
        Tally(*kind);
        if (IsDimension(*kind)) {
            NotePicture(facts);
        }
    }

    const ObjectFrame frame = vertex ? polyline_.frame : FrameOf(facts);
    const bool shared = HasSharedElevation(*kind);
    const double elevation = vertex ? polyline_.elevation : facts.elevation;
    // A planar entity whose plane is tilted moves across its plane when its
    // points move in plan: its elevation changes with them. Entities whose
    // points share one elevation get theirs from the first point.
    std::optional<double> new_elevation;
    ObjectFrame moved_frame = vertex ? polyline_.moved_frame : frame;
    if (shared && !vertex && frame.valid() && !frame.is_upright() && facts.has_first_point) {
        if (!facts.elevation_written) {
            // There is no elevation line to write the new one on.
            Reject(start.value_line_number(), kNoElevation);
            CopyBody();
            return;
        }
        const Vector3 first = frame.ToWorld({facts.first_x, facts.first_y, elevation});
        double x = first.x, y = first.y;
        if (move_(x, y).empty()) {
            if (!degrees_) {
                moved_frame = TurnedPlane(frame, first, x, y);
            }
            new_elevation = moved_frame.ToObject({x, y, first.z}).z;
        }
    }
    EntityRewrite rewrite;
    if (new_elevation && IsKind(*kind, "LWPOLYLINE")) {
        rewrite.elevation = new_elevation;
    }
    if (!moved_frame.SameAs(frame)) {
        rewrite.extrusion = moved_frame.normal();
    }
    if (kind && IsKind(*kind, "POLYLINE")) {
        polyline_.moved_elevation = new_elevation;
        polyline_.moved_frame = moved_frame;
    }

    EntityPoints points(*kind, polyline_.shape, facts.flags);
    PointSetting world_points;
    world_points.model = model;
    world_points.margin = facts.margin;
    PointSetting object_points = world_points;
    object_points.frame = frame;
    object_points.moved_frame = moved_frame;
    object_points.own_z = !shared;
    object_points.base_z = shared ? elevation : 0.0;
    object_points.moved_elevation = vertex ? polyline_.moved_elevation : new_elevation;
    if (facts.interleaved) {
        HandleInterleaved(points, world_points, object_points, rewrite, new_elevation);
        return;
    }
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code == 0) {
            Unread(tag);
            return;
        }
        switch (points.FrameOf(tag)) {
        case PointFrame::kWorld:
            HandlePoint(tag, world_points);
            break;
        case PointFrame::kObject:
            HandlePoint(tag, object_points);
            break;
        case PointFrame::kElevation:
            HandleElevationPoint(tag, new_elevation);
            break;
        case PointFrame::kNone:
            HandleOther(tag, rewrite);
            break;
        }
    }
}

void DrawingWalker::HandleOther(const DxfTag& tag, const EntityRewrite& rewrite) {
    if (tag.code == 38 && rewrite.elevation) {
        WriteValue(tag, *rewrite.elevation);
    } else if (rewrite.extrusion && (tag.code == 210 || tag.code == 220 || tag.code == 230)) {
        const Vector3& n = *rewrite.extrusion;
        WriteValue(tag, tag.code == 210 ? n.x : tag.code == 220 ? n.y : n.z, kExtrusionDecimals);
    } else {
        Copy(tag);
    }
}

// An entity whose point tags interleave, as old programs wrote them (10, 11,
// 20, 21): read whole and compiled (dxf_compiled.h), each x paired with the
// y and z of its point; the tags keep their places.
void DrawingWalker::HandleInterleaved(EntityPoints& points, const PointSetting& world_points,
                                      const PointSetting& object_points,
                                      const EntityRewrite& rewrite,
                                      const std::optional<double>& new_elevation) {
    std::vector<DxfTag> tags;
    DxfTag read;
    while (Read(read)) {
        if (read.code == 0) {
            Unread(read);
            break;
        }
        tags.push_back(std::move(read));
    }
    constexpr std::size_t kNone = CompiledTag::kNoTag;
    const std::vector<CompiledTag> compiled = CompileTags(tags);
    std::vector<const CompiledTag*> point_at(tags.size(), nullptr); // the point an x starts
    for (const CompiledTag& tag : compiled) {
        if (tag.type == DxfValueType::kPoint) {
            point_at[tag.raw[0]] = &tag;
        }
    }
    struct Planned {
        std::array<std::size_t, 3> tag{kNone, kNone, kNone};
        PendingMove move;
    };
    std::vector<Planned> planned;
    std::vector<std::optional<double>> replaced(tags.size());
    std::vector<std::size_t> member(tags.size(), kNone); // the planned point of a tag
    for (std::size_t i = 0; i < tags.size(); ++i) {
        // Every tag goes through the classifier, in order: it follows the
        // entity's structure (a hatch's paths, an embedded object).
        const PointFrame kind = points.FrameOf(tags[i]);
        const CompiledTag* point = point_at[i];
        if (!point || kind == PointFrame::kNone) {
            continue;
        }
        if (kind == PointFrame::kElevation) {
            if (new_elevation && point->has_z()) {
                replaced[point->raw[2]] = new_elevation;
            }
            continue;
        }
        const PointSetting& setting = kind == PointFrame::kWorld ? world_points : object_points;
        const ObjectFrame& frame = setting.frame;
        Planned plan;
        plan.tag[0] = i;
        plan.tag[1] = point->raw[1];
        if (!point->has_y()) {
            Reject(tags[i].value_line_number(), kMissingY);
            continue;
        }
        if (!frame.is_upright() && setting.own_z) {
            plan.tag[2] = point->raw[2];
            if (!point->has_z()) {
                Reject(tags[i].value_line_number(), kMissingZ);
                continue;
            }
        }
        if (!frame.valid()) {
            Reject(tags[i].value_line_number(), kBadExtrusion);
            continue;
        }
        double values[3] = {0.0, 0.0, setting.own_z ? 0.0 : setting.base_z};
        bool failed = false;
        for (std::size_t t = 0; t < 3 && !failed; ++t) {
            if (plan.tag[t] != kNone) {
                // Read again for the motive of a value that is no number.
                const std::string_view motive =
                    ReadCoordinate(tags[plan.tag[t]].value(), values[t]);
                if (!motive.empty()) {
                    Reject(tags[plan.tag[t]].value_line_number(), motive);
                    failed = true;
                }
            }
        }
        if (failed) {
            continue;
        }
        plan.move = Pending(tags[i], setting, frame.ToWorld({values[0], values[1], values[2]}));
        for (std::size_t t = 0; t < 3; ++t) {
            if (plan.tag[t] != kNone) {
                member[plan.tag[t]] = planned.size();
            }
        }
        planned.push_back(plan);
    }
    // The text, each point's tags where they stand; no block may end
    // before every move of the entity is in it.
    hold_ = true;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (member[i] != kNone && output_) {
            PendingMove& move = planned[member[i]].move;
            const auto& numbers = planned[member[i]].tag;
            const std::size_t t = static_cast<std::size_t>(
                std::find(numbers.begin(), numbers.end(), i) - numbers.begin());
            move.at[t] = block_.text.size();
            move.code_size[t] = static_cast<std::uint32_t>(tags[i].code_line.size());
            move.value_size[t] = static_cast<std::uint32_t>(tags[i].value_line.size());
            move.ending_size[t] = static_cast<std::uint8_t>(tags[i].value_end);
            move.tags = static_cast<std::uint8_t>(std::max<std::size_t>(move.tags, t + 1));
            Copy(tags[i]);
        } else if (replaced[i]) {
            WriteValue(tags[i], *replaced[i]);
        } else if (member[i] == kNone) {
            HandleOther(tags[i], rewrite);
        }
    }
    for (Planned& point : planned) {
        block_.moves.push_back(point.move);
    }
    hold_ = false;
    FlushWhenFull();
}

// The plane of a tilted entity turns with the drawing: a datum change turns
// the plan by a few microradians, which over a polyline a kilometre long
// would lift its far end centimetres off a plane whose extrusion stayed. The
// turn is measured along the plane's trace, 100 m from its first point (which
// moved to moved_x, moved_y); the extrusion turns by as much about the
// vertical. An entity standing nearly upright has no trace: it keeps its frame.
ObjectFrame DrawingWalker::TurnedPlane(const ObjectFrame& frame, const Vector3& first,
                                       double moved_x, double moved_y) const {
    const Vector3& n = frame.normal();
    const double plan = std::hypot(n.x, n.y);
    if (!(plan > kUprightPlane)) {
        return frame;
    }
    const double tx = -n.y / plan * kTurnBase, ty = n.x / plan * kTurnBase;
    double x = first.x + tx, y = first.y + ty;
    if (!move_(x, y).empty()) {
        return frame;
    }
    const double dx = x - moved_x, dy = y - moved_y;
    const double turn = std::atan2(tx * dy - ty * dx, tx * dx + ty * dy);
    const double c = std::cos(turn), s = std::sin(turn);
    return ObjectFrame(Vector3{c * n.x - s * n.y, s * n.x + c * n.y, n.z});
}

// A point whose x is the value of x_tag.
void DrawingWalker::HandlePoint(const DxfTag& x_tag, const PointSetting& setting) {
    const ObjectFrame& frame = setting.frame;
    DxfTag y_tag;
    if (!Read(y_tag)) {
        Copy(x_tag);
        return;
    }
    if (y_tag.code != PointPartCode(x_tag.code, 1)) {
        Reject(x_tag.value_line_number(), kMissingY);
        Copy(x_tag);
        Unread(y_tag);
        return;
    }
    double x = 0.0, y = 0.0, z = setting.own_z ? 0.0 : setting.base_z;
    bool failed = false;
    if (!frame.valid()) {
        Reject(x_tag.value_line_number(), kBadExtrusion);
        failed = true;
    }
    using Value = std::pair<const DxfTag*, double*>;
    for (const auto& [tag, value] : {Value{&x_tag, &x}, Value{&y_tag, &y}}) {
        const std::string_view motive = ReadCoordinate(tag->value(), *value);
        if (!motive.empty() && !failed) {
            Reject(tag->value_line_number(), motive);
        }
        failed = failed || !motive.empty();
    }
    // In a tilted plane the object z of a point changes as it moves.
    DxfTag z_tag;
    bool write_z = false;
    if (!frame.is_upright() && setting.own_z && !failed) {
        const bool read = Read(z_tag);
        if (read && z_tag.code == PointPartCode(x_tag.code, 2)) {
            write_z = true;
            const std::string_view motive = ReadCoordinate(z_tag.value(), z);
            if (!motive.empty()) {
                Reject(z_tag.value_line_number(), motive);
                failed = true;
            }
        } else {
            if (read) {
                Unread(z_tag);
            }
            Reject(x_tag.value_line_number(), kMissingZ);
            failed = true;
        }
    }
    if (!failed) {
        Defer(x_tag, y_tag, write_z ? &z_tag : nullptr, setting, frame.ToWorld({x, y, z}));
        return;
    }
    Copy(x_tag);
    Copy(y_tag);
    if (write_z) {
        Copy(z_tag);
    }
}

// A point to move, its tags not yet placed.
PendingMove DrawingWalker::Pending(const DxfTag& x_tag, const PointSetting& setting,
                                   const Vector3& world) {
    PendingMove pending;
    pending.world = world;
    pending.moved_elevation = setting.moved_elevation;
    pending.margin = x_tag.code == 10 ? setting.margin : 0.0;
    pending.line = x_tag.value_line_number();
    pending.model = setting.model;
    if (block_.frames.empty() || !block_.frames.back().SameAs(setting.moved_frame)) {
        block_.frames.push_back(setting.moved_frame);
    }
    pending.frame = static_cast<std::uint32_t>(block_.frames.size() - 1);
    return pending;
}

// A point to move: its tags go to the block as read, the worker puts the
// moved values in their place.
void DrawingWalker::Defer(const DxfTag& x_tag, const DxfTag& y_tag, const DxfTag* z_tag,
                          const PointSetting& setting, const Vector3& world) {
    PendingMove pending = Pending(x_tag, setting, world);
    if (output_) {
        for (const DxfTag* tag : {&x_tag, &y_tag, z_tag}) {
            if (!tag) {
                break;
            }
            pending.at[pending.tags] = block_.text.size();
            pending.code_size[pending.tags] = static_cast<std::uint32_t>(tag->code_line.size());
            pending.value_size[pending.tags] = static_cast<std::uint32_t>(tag->value_line.size());
            pending.ending_size[pending.tags] = static_cast<std::uint8_t>(tag->value_end);
            ++pending.tags;
            block_.text += tag->code_line;
            block_.text += tag->value_line;
        }
    }
    block_.moves.push_back(pending);
    FlushWhenFull();
}

// The placeholder point of a POLYLINE or HATCH: x and y are not a position;
// z is the elevation of the entity's plane, which changes only in a tilted plane.
void DrawingWalker::HandleElevationPoint(const DxfTag& x_tag,
                                         const std::optional<double>& elevation) {
    Copy(x_tag);
    if (!elevation) {
        return;
    }
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code == PointPartCode(x_tag.code, 2)) {
            WriteValue(tag, *elevation);
            return;
        }
        if (tag.code != PointPartCode(x_tag.code, 1)) {
            Unread(tag);
            return;
        }
        Copy(tag);
    }
}

} // namespace dezadiravevava::drawing
