// The drawing reader: walks a drawing's (group code, value) pairs section by
// section and entity by entity, copying every line and handing the points
// it finds to the moves (dxf_moves.h). Its parts: dxf_walk.cpp (reading,
// header, blocks), dxf_walk_entities.cpp (what an entity is), dxf_walk_points.cpp
// (its points), dxf_geodata.cpp (the geolocation).
#pragma once

#include "files/dxf_entities.h"
#include "files/dxf_geodata.h"
#include "files/dxf_moves.h"
#include "files/dxf_tags.h"
#include "files/execution_log.h"
#include "files/ordered_work.h"
#include "files/output_file.h"

#include <limits>
#include <map>
#include <memory>

namespace dezadiravevava::drawing {

// The plan rectangle of the moved points, widened by the radius of circles
// and arcs and the major axis of ellipses.
struct PlanExtents {
    double x_min = std::numeric_limits<double>::infinity();
    double y_min = std::numeric_limits<double>::infinity();
    double x_max = -std::numeric_limits<double>::infinity();
    double y_max = -std::numeric_limits<double>::infinity();

    bool empty() const { return !(x_min <= x_max); }
    void Include(double x, double y, double margin) {
        x_min = std::min(x_min, x - margin);
        y_min = std::min(y_min, y - margin);
        x_max = std::max(x_max, x + margin);
        y_max = std::max(y_max, y + margin);
    }
};

// What the walker learns of an entity by reading it ahead, before its tags
// are copied: properties that DXF writers put after the points they govern.
struct EntityFacts {
    bool paper_space = false;   // group 67 = 1
    Vector3 extrusion{0, 0, 1}; // groups 210, 220, 230
    bool extrusion_bad = false; // one of them not a number
    double elevation = 0.0;     // LWPOLYLINE's 38, the z of an elevation point
    bool elevation_written = false;
    int flags = 0;                // the first group 70
    double margin = 0.0;          // radius (40) of a circle or arc, major axis of an ellipse
    Vector3 axis{};               // an ellipse's major axis (11, 21, 31)
    std::string block;            // the first group 2: a dimension's picture
    bool picture_offset = false;  // a dimension's picture drawn away from its place (12)
    std::string handle;           // group 5
    bool interleaved = false;     // the tags of its points interleave (10, 11, 20, 21)
    bool has_first_point = false; // the first object point, x and y
    double first_x = 0.0;
    double first_y = 0.0;
};

// The object frame of an entity; not valid() when its extrusion is unreadable.
inline ObjectFrame FrameOf(const EntityFacts& facts) {
    return ObjectFrame(facts.extrusion_bad ? Vector3{} : facts.extrusion);
}

// Where an entity lies: in model space (the ENTITIES section) or in the
// picture of a model-space dimension (a block of the BLOCKS section).
enum class Place { kModel, kDimensionPicture };

// The POLYLINE whose VERTEX entities are being read.
struct PolylineContext {
    bool active = false;
    PolylineShape shape;
    ObjectFrame frame;
    ObjectFrame moved_frame; // its plane once moved (see TurnedPlane)
    double elevation = 0.0;
    std::optional<double> moved_elevation;
};

// How the points of an entity are read and written.
struct PointSetting {
    ObjectFrame frame;       // the world frame for world points
    ObjectFrame moved_frame; // the frame the moved point is written in
    bool own_z = true;       // an object point carries its own z (group 3n)...
    double base_z = 0.0;     // ...or shares its entity's elevation
    // The entity's elevation once moved, for shared elevations in a tilted
    // plane: each point must still lie on the moved plane.
    std::optional<double> moved_elevation;
    bool model = false;  // a point of a model-space entity
    double margin = 0.0; // the radius around its first point (code 10)
};

class DrawingWalker {
public:
    // `step` follows the reading and answers false when the run must stop.
    // `threads`: the threads that move the points (see RunThreads).
    DrawingWalker(DxfTagReader& input, DxfTagReader& ahead, PlanMove move,
                  std::function<bool(std::uint64_t)> step, int threads)
        : input_(input), ahead_(ahead), move_(std::move(move)), step_(std::move(step)),
          threads_(threads) {}

    // Writing: the output, the decimals of moved values, the dimension pictures
    // to move (sorted) and the extents of the transformed drawing.
    void SetOutput(OutputFile* output, int decimals) {
        output_ = output;
        decimals_ = decimals;
    }
    void SetDimensionPictures(const std::vector<std::string>* names) { pictures_ = names; }
    void SetHeaderExtents(const PlanExtents& extents) { header_extents_ = extents; }
    // The largest error in plan tolerated for a point of a tilted plane, in
    // output units.
    void SetPlanTolerance(double tolerance) { plan_tolerance_ = tolerance; }
    // The output is in degrees: tilted planes cannot turn with the drawing.
    void SetDegrees(bool degrees) { degrees_ = degrees; }
    // The systems of the input and the output, for the drawing's geolocation.
    void SetGeoSystems(const GeoSystem& input, const GeoSystem& output) {
        geo_input_ = input;
        geo_output_ = output;
    }
    // Called with every moved point of a model-space entity.
    void SetModelPointSink(std::function<void(double x, double y)> sink) {
        on_model_point_ = std::move(sink);
    }
    // Counts the moved model-space points against the vertices of a local fit.
    void SetCoverage(const DrawingCoverage& coverage) { coverage_ = coverage; }
    const CoverageTally& coverage_tally() const { return coverage_tally_; }
    // The range of the moved model-space points' uncertainty (SetCoverage).
    const UncertaintyRange& uncertainty() const { return uncertainty_; }

    // Walks the whole drawing. False when it cannot be read to its end as a
    // drawing; failure() says why.
    bool Walk();

    const std::string& failure() const { return failure_; }
    bool has_entities() const { return has_entities_; }
    const DxfCounts& counts() const { return counts_; }
    const RejectedLines& rejected() const { return rejected_; }
    const PlanExtents& extents() const { return extents_; }
    // The model-space entities left as they were, and their kinds with their
    // counts ("3DSOLID 2, MPOLYGON 1").
    long long untransformed() const { return untransformed_; }
    std::string UntransformedKinds() const;
    // The pictures of the model-space dimensions, sorted.
    std::vector<std::string> TakeDimensionPictures() {
        std::sort(picture_names_.begin(), picture_names_.end());
        picture_names_.erase(std::unique(picture_names_.begin(), picture_names_.end()),
                             picture_names_.end());
        return std::move(picture_names_);
    }
    // Log lines: the kinds copied unchanged and the header variables kept.
    std::string Notes() const;

private:
    bool Read(DxfTag& tag);
    void Unread(DxfTag& tag) {
        pending_ = std::move(tag);
        has_pending_ = true;
    }
    void Copy(const DxfTag& tag) {
        if (output_) {
            block_.text += tag.code_line;
            block_.text += tag.value_line;
            FlushWhenFull();
        }
    }
    void WriteValue(const DxfTag& tag, double value) { WriteValue(tag, value, decimals_); }
    void WriteValue(const DxfTag& tag, double value, int decimals);
    ObjectFrame TurnedPlane(const ObjectFrame& frame, const Vector3& first, double moved_x,
                            double moved_y) const;
    void Reject(std::uint64_t line, std::string_view motive) {
        block_.rejected.push_back({block_.moves.size(), line, motive});
    }
    bool WalkTags();
    void Defer(const DxfTag& x_tag, const DxfTag& y_tag, const DxfTag* z_tag,
               const PointSetting& setting, const Vector3& world);
    void FlushWhenFull() {
        if (hold_) {
            return; // an entity whose moves are not all made yet
        }
        if (block_.text.size() >= kDrawingBlockBytes || block_.moves.size() >= kDrawingBlockMoves) {
            Flush();
        }
    }
    void Flush();
    void TakeBack(const DrawingBlock& block);
    bool Fail(std::string text) {
        failure_ = std::move(text);
        return false;
    }
    bool Incomplete(std::uint64_t line) {
        return Fail("El dibujo está incompleto: termina en la línea " + std::to_string(line));
    }
    bool ReaderStopped();
    bool CopyRest();

    void HandleHeader(const DxfTag& tag);
    void HandleHeaderPoint(const DxfTag& x_tag);
    void HandleBlocks(const DxfTag& tag);
    void HandleGeodata(const DxfTag& start);
    std::string_view MoveNow(const DxfTag& x_tag);
    void HandleEntity(const DxfTag& start, Place place);
    void CopyBody();
    EntityFacts Inspect(const EntityKind* kind);

    // The tags after the one the walk has reached, for Inspect: those read
    // ahead already, then more from the input, kept for the walk; beyond a
    // bound (a polyline of a million vertices), from the second reader,
    // which reads the same file again and keeps nothing.
    class LookAhead {
    public:
        explicit LookAhead(DrawingWalker& walker) : walker_(walker), index_(walker.ahead_begin_) {}
        const DxfTag* Next();
        // True once the entity is read from the second reader.
        bool spilled() const { return second_reader_; }

    private:
        DrawingWalker& walker_;
        std::size_t index_;
        bool second_reader_ = false;
    };
    static constexpr std::size_t kAheadTags = 4096;
    static constexpr std::size_t kAheadBytes = 256 * 1024;
    void HandlePoint(const DxfTag& x_tag, const PointSetting& setting);
    // What a tag that is no point becomes: its entity's new elevation or
    // extrusion, or itself.
    struct EntityRewrite {
        std::optional<double> elevation; // LWPOLYLINE's 38
        std::optional<Vector3> extrusion;
    };
    void HandleOther(const DxfTag& tag, const EntityRewrite& rewrite);
    void HandleInterleaved(EntityPoints& points, const PointSetting& world_points,
                           const PointSetting& object_points, const EntityRewrite& rewrite,
                           const std::optional<double>& new_elevation);
    PendingMove Pending(const DxfTag& x_tag, const PointSetting& setting, const Vector3& world);
    void HandleElevationPoint(const DxfTag& x_tag, const std::optional<double>& elevation);
    void Tally(const EntityKind& kind);
    void NoteUnhandled(std::string_view name, const std::string& handle);
    void NotePicture(const EntityFacts& facts);

    DxfTagReader& input_;
    DxfTagReader& ahead_;
    PlanMove move_;
    std::function<bool(std::uint64_t)> step_;
    int threads_;
    std::unique_ptr<OrderedWork<DrawingBlock>> pool_;
    DrawingBlock block_; // being filled
    DrawingBlock spare_; // taken back, its buffers for the next block
    bool cancelled_ = false;
    OutputFile* output_ = nullptr;
    int decimals_ = 6;
    const std::vector<std::string>* pictures_ = nullptr;
    PlanExtents header_extents_;
    DrawingCoverage coverage_;
    CoverageTally coverage_tally_;
    UncertaintyRange uncertainty_;
    double plan_tolerance_ = 1e-3;
    bool degrees_ = false;
    GeoSystem geo_input_;
    GeoSystem geo_output_;
    std::function<void(double, double)> on_model_point_;

    DxfTag pending_;
    bool has_pending_ = false;
    bool hold_ = false;
    // Tags read ahead, to be walked: ahead_tags_[ahead_begin_, ahead_end_).
    std::vector<DxfTag> ahead_tags_;
    std::size_t ahead_begin_ = 0;
    std::size_t ahead_end_ = 0;
    std::size_t ahead_bytes_ = 0;
    DxfTag ahead_tag_; // from the second reader
    std::string section_;
    bool in_section_ = false;
    bool has_entities_ = false;
    std::string header_variable_;
    bool block_header_ = false;
    bool moving_block_ = false;
    bool parent_paper_ = false;
    PolylineContext polyline_;

    std::string failure_;
    DxfCounts counts_;
    RejectedLines rejected_;
    PlanExtents extents_;
    std::map<std::string, long long> unhandled_;
    std::map<std::string, std::vector<std::string>> opaque_handles_;
    long long untransformed_ = 0;
    long long unhandled_unlisted_ = 0;
    std::vector<std::string> picture_names_;
    std::size_t picture_bytes_ = 0;
    bool too_many_pictures_ = false;
    std::string header_notes_;
};

} // namespace dezadiravevava::drawing
