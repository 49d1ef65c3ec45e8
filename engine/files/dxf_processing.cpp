#include "files/dxf_processing.h"

#include "files/dxf_entities.h"
#include "files/dxf_geodata.h"
#include "files/dxf_ocs.h"
#include "files/dxf_tags.h"
#include "files/file_run.h"
#include "files/number_format.h"
#include "files/ordered_work.h"
#include "files/output_file.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace dezadiravevava {

namespace {

// Why a coordinate of the drawing is not carried. The transformation itself
// may add its own (a grid gives "fuera de la rejilla").
constexpr std::string_view kNotANumber = "valor no numérico";
constexpr std::string_view kNotFinite = "valor no finito";
constexpr std::string_view kOutOfRange = "resultado fuera de rango";
constexpr std::string_view kMissingY = "falta la coordenada y del punto";
constexpr std::string_view kMissingZ = "falta la coordenada z de un punto en un plano inclinado";
constexpr std::string_view kBadExtrusion = "dirección de extrusión no válida";
constexpr std::string_view kNoElevation = "entidad en un plano inclinado sin elevación";
constexpr std::string_view kOffPlane = "el punto se sale del plano inclinado de su entidad";

// The extrusion of a turned plane: all the digits a double holds, since an
// error of its direction grows with the distance from the world's origin.
constexpr int kExtrusionDecimals = 17;
// Tilted planes: the length along which the turn of the drawing is measured,
// and the horizontal part of an extrusion below which a plane has no trace.
constexpr double kTurnBase = 100.0;
constexpr double kUprightPlane = 1e-9;

// Results beyond this magnitude cannot be written (the engine's files write
// "INF" above it).
constexpr double kLargestCoordinate = 100000000.0;
// Header corners at or beyond this magnitude mean "no extents" (1e20 is what
// CAD programs write for an empty drawing).
constexpr double kUndefinedCorner = 1e20;
// Names kept for the log, and how many kinds are listed by name.
constexpr std::size_t kLongestName = 64;
constexpr std::size_t kListedKinds = 100;
// How many handles of an opaque kind the log lists.
constexpr std::size_t kListedHandles = 20;
// The names of dimension pictures that a drawing may ask to move.
constexpr std::size_t kDimensionNamesBytes = 16 * 1024 * 1024;

// Carries one plan point of the drawing (world x, y) into the output system.
// Returns an empty motive when it could, else why not.
using PlanMove = std::function<std::string_view(double& x, double& y)>;

// A coordinate value: a complete decimal number, blanks around allowed.
std::string_view ReadCoordinate(std::string_view text, double& value) {
    const auto blanks_only = [](std::string_view rest) {
        return rest.find_first_not_of(" \t") == std::string_view::npos;
    };
    const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
    double plain = 0.0;
    if (const std::size_t read = ReadPlainDecimal(text.substr(start), plain); read > 0) {
        if (!blanks_only(text.substr(start + read))) {
            return kNotANumber; // "235171,041", "12abc"
        }
        value = plain;
        return {};
    }
    std::size_t length = DecimalPrefixLength(text);
    if (length == 0) {
        return kNotANumber;
    }
    for (std::size_t i = length; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t') {
            return kNotANumber; // "235171,041", "12abc"
        }
    }
    value = ReadDecimal(text.substr(0, length));
    return std::isfinite(value) ? std::string_view() : kNotFinite;
}

bool IsWritable(double value) {
    return std::isfinite(value) && std::fabs(value) <= kLargestCoordinate;
}

// A name from the drawing, fit for the log: printable ASCII, bounded.
std::string LogName(std::string_view name) {
    std::string out;
    for (const char c : name.substr(0, kLongestName)) {
        out += c > ' ' && c < 127 ? c : '?';
    }
    return out;
}

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
ObjectFrame FrameOf(const EntityFacts& facts) {
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

// --- Moves on the worker threads -----------------------------------------------
//
// The walker reads the drawing on the calling thread and decides, tag by tag,
// what each one is; the moves of the points (the transformation and the
// writing of the moved values) wait in blocks for the worker threads. What a
// move means for the run (a rejected line, the extents, the centroid) is
// taken back in drawing order, so that the log, the output and the centroid
// are the same whatever the number of threads.

// A point whose move waits for a worker.
struct PendingMove {
    Vector3 world;                         // the point in world coordinates
    std::optional<double> moved_elevation; // see PointSetting
    double margin = 0.0;                   // the radius around it, for the extents
    std::uint64_t line = 0;                // the line of its x value, for the log
    std::uint32_t frame = 0;               // its entity's frame, in the block's list
    bool model = false;                    // a point of a model-space entity
    // Its tags in the block's text, each where it starts: x, y and, in a
    // tilted plane, z; each a code line and a value line with its ending.
    // Usually one after the other; old drawings may interleave the tags of
    // an entity's points (10, 11, 20, 21).
    std::array<std::size_t, 3> at{};
    std::uint8_t tags = 0;
    std::array<std::uint32_t, 3> code_size{};
    std::array<std::uint32_t, 3> value_size{};
    std::array<std::uint8_t, 3> ending_size{};
    // What the worker found: the moved plan position, or why it cannot move.
    double x = 0.0;
    double y = 0.0;
    Vector3 written; // the values written: the moved point in its frame
    std::string_view motive;
    double deviation = 0.0; // how far off its plane it lands (kOffPlane)
};

// A coordinate rejected while reading, before the move numbered `before_move`
// of its block.
struct DrawingRejection {
    std::size_t before_move = 0;
    std::uint64_t line = 0;
    std::string_view motive;
};

// The blocks of a walk: at most this much text or this many moves.
constexpr std::size_t kDrawingBlockBytes = 128 * 1024;
constexpr std::size_t kDrawingBlockMoves = 2048;

struct DrawingBlock {
    std::string text; // the lines to write, as read (nothing while measuring)
    std::vector<PendingMove> moves;
    std::vector<ObjectFrame> frames;
    std::vector<DrawingRejection> rejected;
    std::string output;     // the text with the moved values, made by the worker
    CoverageTally coverage; // moved model-space points far from a local fit's vertices

    bool empty() const { return text.empty() && moves.empty() && rejected.empty(); }
    void Clear() {
        text.clear();
        moves.clear();
        frames.clear();
        rejected.clear();
        output.clear();
        coverage = CoverageTally();
    }
    // Room taken while out, the output included.
    std::size_t bytes() const {
        return 2 * text.size() + moves.size() * sizeof(PendingMove) +
               frames.size() * sizeof(ObjectFrame) + rejected.size() * sizeof(DrawingRejection);
    }
};

// The vertices of a local fit that the moved points are counted against, and
// the kind and zone of the drawing's coordinates.
struct DrawingCoverage {
    const VertexCoverage* vertices = nullptr;
    int kind = 0;
    double zone = 0.0;
};

// The work on a block: every move, then the text with the moved values.
class MoveWork {
public:
    MoveWork(PlanMove move, int decimals, double plan_tolerance, bool degrees, bool writing,
             const DrawingCoverage& coverage)
        : move_(std::move(move)), decimals_(decimals), plan_tolerance_(plan_tolerance),
          degrees_(degrees), writing_(writing), coverage_(coverage) {}

    void operator()(DrawingBlock& block) const {
        block.output.clear();
        block.coverage = CoverageTally();
        for (PendingMove& pending : block.moves) {
            const ObjectFrame& frame = block.frames[pending.frame];
            double x = pending.world.x, y = pending.world.y;
            pending.motive = move_(x, y);
            const Vector3 moved = frame.ToObject({x, y, pending.world.z});
            if (pending.motive.empty()) {
                pending.deviation = Deviation(pending, frame, moved);
                if (pending.deviation > plan_tolerance_) {
                    pending.motive = kOffPlane;
                }
            }
            pending.x = x;
            pending.y = y;
            if (coverage_.vertices && pending.model && pending.motive.empty()) {
                coverage_.vertices->Count(CoordTriple(pending.world.x, pending.world.y, 0.0),
                                          coverage_.kind, coverage_.zone, block.coverage);
            }
            pending.written = moved;
        }
        if (writing_ && !block.moves.empty()) {
            Write(block);
        }
    }

private:
    // A point of an entity whose points share one elevation, in a tilted
    // plane, lands beside the moved plane by what the transformation bends
    // the plane: in metres, its distance from the plane, micrometres over a
    // few hundred metres once the plane is turned with the drawing; into
    // degrees (units change in plan only) its error in plan. The point is
    // written on the plane; more than the tolerance away it cannot be.
    double Deviation(const PendingMove& pending, const ObjectFrame& frame,
                     const Vector3& moved) const {
        if (!pending.moved_elevation) {
            return 0.0;
        }
        const Vector3& n = frame.normal();
        const double across = std::fabs(moved.z - *pending.moved_elevation);
        return degrees_ ? across * std::hypot(n.x, n.y) : across;
    }

    // The text of the block with the moved values in place of the read ones
    // (the tags as read for a point that cannot move), tag by tag in the
    // order of the text.
    void Write(DrawingBlock& block) const {
        struct Slot {
            std::size_t at;
            std::uint32_t move;
            std::uint32_t tag;
            bool operator<(const Slot& other) const { return at < other.at; }
        };
        std::vector<Slot> slots;
        slots.reserve(block.moves.size() * 3);
        for (std::size_t i = 0; i < block.moves.size(); ++i) {
            for (std::uint32_t t = 0; t < block.moves[i].tags; ++t) {
                slots.push_back({block.moves[i].at[t], static_cast<std::uint32_t>(i), t});
            }
        }
        if (!std::is_sorted(slots.begin(), slots.end())) {
            std::sort(slots.begin(), slots.end());
        }
        const std::string_view text(block.text);
        std::size_t copied = 0; // bytes of the text dealt with
        for (const Slot& slot : slots) {
            const PendingMove& pending = block.moves[slot.move];
            const std::size_t t = slot.tag;
            block.output.append(text.substr(copied, slot.at - copied));
            const std::size_t end = slot.at + pending.code_size[t] + pending.value_size[t];
            if (pending.motive.empty()) {
                const double values[3] = {pending.written.x, pending.written.y, pending.written.z};
                block.output.append(text.substr(slot.at, pending.code_size[t]));
                AppendCFixed(block.output, values[t], decimals_);
                block.output.append(
                    text.substr(end - pending.ending_size[t], pending.ending_size[t]));
            } else {
                block.output.append(text.substr(slot.at, end - slot.at));
            }
            copied = end;
        }
        block.output.append(text.substr(copied));
    }

    const PlanMove move_;
    const int decimals_;
    const double plan_tolerance_;
    const bool degrees_;
    const bool writing_;
    const DrawingCoverage coverage_;
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

bool DrawingWalker::Read(DxfTag& tag) {
    if (has_pending_) {
        tag.Swap(pending_);
        has_pending_ = false;
        return true;
    }
    if (cancelled_) {
        return false;
    }
    if (ahead_begin_ < ahead_end_) {
        tag.Swap(ahead_tags_[ahead_begin_++]);
        ahead_bytes_ -= tag.code_line.size() + tag.value_line.size();
        if (ahead_begin_ == ahead_end_) {
            ahead_begin_ = ahead_end_ = 0;
        }
    } else if (!input_.Next(tag)) {
        return false;
    }
    cancelled_ = !step_(tag.end_position);
    return !cancelled_;
}

const DxfTag* DrawingWalker::LookAhead::Next() {
    DrawingWalker& w = walker_;
    if (!second_reader_) {
        if (index_ < w.ahead_end_) {
            return &w.ahead_tags_[index_++];
        }
        if (w.ahead_end_ - w.ahead_begin_ < kAheadTags && w.ahead_bytes_ < kAheadBytes) {
            if (w.ahead_end_ == w.ahead_tags_.size()) {
                w.ahead_tags_.emplace_back();
            }
            DxfTag& tag = w.ahead_tags_[w.ahead_end_];
            if (!w.input_.Next(tag)) {
                return nullptr;
            }
            ++w.ahead_end_;
            index_ = w.ahead_end_;
            w.ahead_bytes_ += tag.code_line.size() + tag.value_line.size();
            return &tag;
        }
        // An entity too long to hold: the rest of it through the second reader.
        second_reader_ = true;
        const DxfTag& last = w.ahead_tags_[w.ahead_end_ - 1];
        if (!w.ahead_.Seek(last.end_position, last.value_line_number())) {
            return nullptr;
        }
    }
    return w.ahead_.Next(w.ahead_tag_) ? &w.ahead_tag_ : nullptr;
}

void DrawingWalker::WriteValue(const DxfTag& tag, double value, int decimals) {
    if (!output_) {
        return;
    }
    block_.text += tag.code_line;
    AppendCFixed(block_.text, value, decimals);
    block_.text += tag.value_ending();
    FlushWhenFull();
}

// The moves wait for the workers; a walk that fails leaves its blocks, as
// the run then writes nothing of them.
bool DrawingWalker::Walk() {
    pool_ = std::make_unique<OrderedWork<DrawingBlock>>(
        threads_,
        MoveWork(move_, decimals_, plan_tolerance_, degrees_, output_ != nullptr, coverage_));
    const bool whole = WalkTags();
    if (whole) {
        Flush();
        while (!pool_->empty()) {
            TakeBack(pool_->TakeOldest());
        }
    }
    pool_.reset();
    return whole;
}

void DrawingWalker::Flush() {
    if (block_.empty()) {
        return;
    }
    const std::size_t bytes = block_.bytes();
    while (!pool_->HasRoomFor(bytes)) {
        spare_ = pool_->TakeOldest();
        TakeBack(spare_);
    }
    pool_->HandOver(std::move(block_), bytes);
    block_ = std::move(spare_);
    block_.Clear();
}

// What the moves of a block mean for the run, in drawing order; then its text.
void DrawingWalker::TakeBack(const DrawingBlock& block) {
    std::size_t next = 0; // the next rejection found while reading
    for (std::size_t i = 0; i < block.moves.size(); ++i) {
        for (; next < block.rejected.size() && block.rejected[next].before_move <= i; ++next) {
            rejected_.Add(block.rejected[next].line, block.rejected[next].motive);
        }
        const PendingMove& pending = block.moves[i];
        if (pending.motive == kOffPlane) {
            rejected_.Add(pending.line,
                          std::string(kOffPlane) + " (" +
                              (degrees_ ? CFixed(pending.deviation, 10) + "°"
                                        : CFixed(pending.deviation * 1000.0, 1) + " mm") +
                              ")");
        } else if (!pending.motive.empty()) {
            rejected_.Add(pending.line, pending.motive);
        } else if (pending.model) {
            extents_.Include(pending.x, pending.y, pending.margin);
            if (on_model_point_) {
                on_model_point_(pending.x, pending.y);
            }
        }
    }
    for (; next < block.rejected.size(); ++next) {
        rejected_.Add(block.rejected[next].line, block.rejected[next].motive);
    }
    coverage_tally_.Add(block.coverage);
    if (output_) {
        output_->WriteRaw(block.moves.empty() ? block.text : block.output);
    }
}

bool DrawingWalker::WalkTags() {
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code != 0) {
            if (section_ == "HEADER") {
                HandleHeader(tag);
            } else if (section_ == "BLOCKS") {
                HandleBlocks(tag);
            } else {
                Copy(tag);
            }
            continue;
        }
        const std::string_view word = tag.Keyword();
        if (word == "EOF") {
            if (in_section_) {
                return Incomplete(tag.value_line_number());
            }
            Copy(tag);
            if (too_many_pictures_) {
                return Fail("El dibujo tiene demasiadas cotas para transformarlo");
            }
            return CopyRest();
        }
        if (word == "SECTION") {
            DxfTag name;
            if (!Read(name)) {
                break;
            }
            if (in_section_ && name.code != 2) {
                // A SECTION entity (a section plane), not a new section.
                Unread(name);
                if (section_ == "ENTITIES") {
                    HandleEntity(tag, Place::kModel);
                } else if (section_ == "BLOCKS") {
                    HandleBlocks(tag);
                } else {
                    Copy(tag);
                }
                continue;
            }
            if (in_section_) { // the section before never ended: it ends on the line before
                return Incomplete(tag.line - 1);
            }
            Copy(tag);
            if (name.code != 2) {
                return Fail("Falta el nombre de la sección en la línea " +
                            std::to_string(name.line));
            }
            Copy(name);
            in_section_ = true;
            polyline_ = PolylineContext();
            parent_paper_ = false;
            section_ = std::string(name.Keyword().substr(0, kLongestName));
            has_entities_ = has_entities_ || section_ == "ENTITIES";
            continue;
        }
        if (word == "ENDSEC") {
            Copy(tag);
            in_section_ = false;
            section_.clear();
            continue;
        }
        if (section_ == "ENTITIES") {
            HandleEntity(tag, Place::kModel);
        } else if (section_ == "BLOCKS") {
            HandleBlocks(tag);
        } else if (section_ == "OBJECTS" && output_ && tag.Keyword() == "GEODATA") {
            HandleGeodata(tag);
        } else {
            Copy(tag);
        }
    }
    return ReaderStopped();
}

bool DrawingWalker::ReaderStopped() {
    // A stop signal ends a read that waits on a pipe: the read fails, and the
    // run is cancelled, not unreadable.
    if (!cancelled_ && input_.status() == DxfTagReader::Status::kReadError) {
        cancelled_ = !step_(input_.position());
    }
    if (cancelled_) {
        return Fail(std::string(kCancelledLine.substr(0, kCancelledLine.size() - 1)));
    }
    const std::uint64_t line = input_.line();
    switch (input_.status()) {
    case DxfTagReader::Status::kEnd:
    case DxfTagReader::Status::kCut:
        return Incomplete(line);
    case DxfTagReader::Status::kBinary:
        return Fail("El dibujo es un DXF binario: solo se leen dibujos DXF de texto");
    case DxfTagReader::Status::kNotText:
        return Fail("El archivo de entrada no es un dibujo DXF de texto");
    case DxfTagReader::Status::kBadCode:
        return Fail("Código de grupo no válido en la línea " + std::to_string(line));
    case DxfTagReader::Status::kTooLong:
        return Fail("La línea " + std::to_string(line) + " del dibujo tiene más de 1 MiB");
    case DxfTagReader::Status::kReadError:
    case DxfTagReader::Status::kOk:
        break;
    }
    return Fail("Error al leer el dibujo en la línea " + std::to_string(line));
}

// Whatever follows the end of the drawing is copied as it stands.
bool DrawingWalker::CopyRest() {
    if (!output_) {
        return true;
    }
    std::string raw;
    while (input_.NextLine(raw)) {
        block_.text += raw;
        FlushWhenFull();
    }
    return input_.status() == DxfTagReader::Status::kEnd || ReaderStopped();
}

// --- Header ------------------------------------------------------------------

void DrawingWalker::HandleHeader(const DxfTag& tag) {
    if (tag.code == 9) {
        header_variable_ = std::string(tag.Keyword().substr(0, kLongestName));
    } else if (tag.code == 10 && output_ &&
               (header_variable_ == "$EXTMIN" || header_variable_ == "$EXTMAX" ||
                header_variable_ == "$LIMMIN" || header_variable_ == "$LIMMAX" ||
                header_variable_ == "$INSBASE")) {
        HandleHeaderPoint(tag);
        return;
    }
    Copy(tag);
}

// The extents and limits become the rectangle of the transformed drawing; the
// insertion base, and the corners of a drawing without points, are moved.
void DrawingWalker::HandleHeaderPoint(const DxfTag& x_tag) {
    DxfTag y_tag;
    if (!Read(y_tag)) {
        Copy(x_tag);
        return;
    }
    if (y_tag.code != 20) {
        Copy(x_tag);
        Unread(y_tag);
        return;
    }
    double x = 0.0, y = 0.0;
    const bool lower = header_variable_ == "$EXTMIN" || header_variable_ == "$LIMMIN";
    const bool upper = header_variable_ == "$EXTMAX" || header_variable_ == "$LIMMAX";
    std::string_view motive = ReadCoordinate(x_tag.value(), x);
    if (motive.empty()) {
        motive = ReadCoordinate(y_tag.value(), y);
    }
    if ((lower || upper) && !header_extents_.empty()) {
        x = lower ? header_extents_.x_min : header_extents_.x_max;
        y = lower ? header_extents_.y_min : header_extents_.y_max;
        motive = {};
    } else if (motive.empty()) {
        if (std::fabs(x) >= kUndefinedCorner || std::fabs(y) >= kUndefinedCorner) {
            Copy(x_tag); // no extents to move
            Copy(y_tag);
            return;
        }
        motive = move_(x, y);
    }
    if (!motive.empty()) {
        header_notes_ += "Variable de cabecera no transformada: " + header_variable_ + " (" +
                         std::string(motive) + ")\n";
        Copy(x_tag);
        Copy(y_tag);
        return;
    }
    WriteValue(x_tag, x);
    WriteValue(y_tag, y);
}

// --- Blocks ------------------------------------------------------------------

// Block definitions are copied; the picture of a model-space dimension (an
// anonymous block in world coordinates, drawn where the dimension is) moves
// with its dimension.
void DrawingWalker::HandleBlocks(const DxfTag& tag) {
    if (tag.code == 0) {
        const std::string_view word = tag.Keyword();
        if (word == "BLOCK" || word == "ENDBLK") {
            block_header_ = word == "BLOCK";
            moving_block_ = false;
        } else {
            block_header_ = false;
            if (moving_block_) {
                HandleEntity(tag, Place::kDimensionPicture);
                return;
            }
        }
    } else if (tag.code == 2 && block_header_ && pictures_) {
        moving_block_ = std::binary_search(pictures_->begin(), pictures_->end(), tag.value());
    }
    Copy(tag);
}

// --- Geolocation ---------------------------------------------------------------

// A point of the drawing moved at once, its y right after its x: written
// moved, or as it was when it cannot move (the reason returned).
std::string_view DrawingWalker::MoveNow(const DxfTag& x_tag) {
    DxfTag y_tag;
    if (!Read(y_tag)) {
        Copy(x_tag);
        return kMissingY;
    }
    if (y_tag.code != x_tag.code + 10) {
        Copy(x_tag);
        Unread(y_tag);
        return kMissingY;
    }
    double x = 0.0, y = 0.0;
    std::string_view motive = ReadCoordinate(x_tag.value(), x);
    if (motive.empty()) {
        motive = ReadCoordinate(y_tag.value(), y);
    }
    if (motive.empty()) {
        motive = move_(x, y);
    }
    if (!motive.empty()) {
        Copy(x_tag);
        Copy(y_tag);
        return motive;
    }
    WriteValue(x_tag, x);
    WriteValue(y_tag, y);
    return {};
}

// The geolocation of the drawing: its design point (10) is a point of the
// drawing and moves with it; its reference point (11) moves too, and the
// definition of its system is renamed, when that system is the drawing's
// own input system. A reference in another system (WGS 84, a local grid)
// still names the same place. What cannot be brought along is named in the
// log: a design point that cannot move, a reference in another system of
// ED50 or ETRS89, a mesh of points.
void DrawingWalker::HandleGeodata(const DxfTag& start) {
    Copy(start);
    std::string handle, definition;
    bool mesh = false;
    {
        LookAhead ahead(*this);
        int count = 0;
        for (const DxfTag* tag = ahead.Next(); tag && tag->code != 0; tag = ahead.Next()) {
            if (tag->code == 5 && handle.empty()) {
                handle = LogName(tag->Keyword());
            } else if (tag->code == 301 || tag->code == 303) {
                definition += tag->value();
            } else if (tag->code == 93) {
                mesh = ParseDxfInteger(tag->value(), count) && count > 0;
            }
        }
    }
    const int named = FindOurSystem(definition);
    const bool renamed = named != 0 && named == geo_input_.epsg && geo_output_.epsg != 0 && !mesh;
    std::string problem;
    if (mesh) {
        problem = "malla de puntos";
    } else if (named != 0 && !renamed) {
        problem = "su sistema, EPSG:" + std::to_string(named) + ", no es el de entrada";
    }
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code == 0) {
            Unread(tag);
            break;
        }
        if (!mesh && (tag.code == 10 || (renamed && tag.code == 11))) {
            const std::string_view motive = MoveNow(tag);
            if (!motive.empty() && problem.empty()) {
                problem = (tag.code == 10 ? "punto de diseño: " : "punto de referencia: ") +
                          std::string(motive);
            }
        } else if (renamed && (tag.code == 301 || tag.code == 303)) {
            std::string value(tag.value());
            RenameSystem(value, geo_input_, geo_output_);
            if (output_) {
                block_.text += tag.code_line;
                block_.text += value;
                block_.text += tag.value_ending();
                FlushWhenFull();
            }
        } else {
            Copy(tag);
        }
    }
    const std::string name = "GEODATA" + (handle.empty() ? "" : " " + handle);
    if (!problem.empty()) {
        header_notes_ += "Geolocalización no actualizada: " + name + " (" + problem + ")\n";
    } else if (renamed) {
        header_notes_ += "Geolocalización actualizada: " + name +
                         " (EPSG:" + std::to_string(geo_input_.epsg) +
                         " a EPSG:" + std::to_string(geo_output_.epsg) + ")\n";
    } else {
        header_notes_ += "Geolocalización actualizada: " + name + " (punto de diseño)\n";
    }
}

// --- Entities ----------------------------------------------------------------

void DrawingWalker::CopyBody() {
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code == 0) {
            Unread(tag);
            return;
        }
        Copy(tag);
    }
}

void DrawingWalker::Tally(const EntityKind& kind) {
    switch (TallyOf(kind)) {
    case EntityTally::kTexts:
        ++counts_.texts;
        break;
    case EntityTally::kPoints:
        ++counts_.points;
        break;
    case EntityTally::kLines:
        ++counts_.lines;
        break;
    case EntityTally::kPolylines:
        ++counts_.polylines;
        break;
    case EntityTally::kLwPolylines:
        ++counts_.lw_polylines;
        break;
    case EntityTally::kOthers:
        ++counts_.others;
        break;
    case EntityTally::kNone:
        break;
    }
}

void DrawingWalker::NoteUnhandled(std::string_view name, const std::string& handle) {
    ++untransformed_;
    const std::string key = LogName(name);
    if (IsOpaqueKind(name) && !handle.empty()) {
        std::vector<std::string>& handles = opaque_handles_[key];
        if (handles.size() <= kListedHandles) {
            handles.push_back(handle);
        }
    }
    const auto found = unhandled_.find(key);
    if (found != unhandled_.end()) {
        ++found->second;
    } else if (unhandled_.size() < kListedKinds) {
        unhandled_.emplace(key, 1);
    } else {
        ++unhandled_unlisted_;
    }
}

void DrawingWalker::NotePicture(const EntityFacts& facts) {
    if (facts.block.empty() || facts.picture_offset) {
        return; // no picture, or one drawn away from the dimension: left as it is
    }
    picture_bytes_ += facts.block.size() + sizeof(std::string);
    if (picture_bytes_ > kDimensionNamesBytes) {
        too_many_pictures_ = true;
        return;
    }
    picture_names_.push_back(facts.block);
}

std::string DrawingWalker::Notes() const {
    std::string notes;
    for (const auto& [name, count] : unhandled_) {
        notes += "Entidades no transformadas: " + name + " (" + std::to_string(count) + ")";
        if (IsOpaqueKind(name)) {
            // A body of opaque data has no point the run can read: it can be
            // neither moved nor counted in the extents.
            const auto found = opaque_handles_.find(name);
            if (found != opaque_handles_.end()) {
                notes += ", identificadores";
                for (std::size_t i = 0; i < found->second.size(); ++i) {
                    notes += i == kListedHandles ? " ..." : " " + found->second[i];
                }
            }
            notes += "; geometría opaca sin puntos conocidos, fuera de la extensión del dibujo";
        }
        notes += "\n";
    }
    if (unhandled_unlisted_ > 0) {
        notes +=
            "Entidades no transformadas de otros tipos: " + std::to_string(unhandled_unlisted_) +
            "\n";
    }
    return notes + header_notes_;
}

std::string DrawingWalker::UntransformedKinds() const {
    std::string kinds;
    for (const auto& [name, count] : unhandled_) {
        kinds += (kinds.empty() ? "" : ", ") + name + " " + std::to_string(count);
    }
    if (unhandled_unlisted_ > 0) {
        kinds += (kinds.empty() ? "" : ", ") + std::string("otros ") +
                 std::to_string(unhandled_unlisted_);
    }
    return kinds;
}

// Reads an entity ahead, from the tag after its start (which the walk has
// just read) to the next entity.
EntityFacts DrawingWalker::Inspect(const EntityKind* kind) {
    EntityFacts facts;
    LookAhead ahead(*this);
    // The first point matters to the kinds whose points share an elevation.
    std::optional<EntityPoints> points;
    if (kind && HasSharedElevation(*kind)) {
        points.emplace(*kind, polyline_.shape);
    }
    const bool ellipse = kind && IsKind(*kind, "ELLIPSE");
    const bool round = kind && (IsKind(*kind, "CIRCLE") || IsKind(*kind, "ARC"));
    const bool dimension = kind && IsDimension(*kind);
    bool has_flags = false;
    bool has_radius = false;
    int first_y_code = 0;   // the y of the first object point, when its x was read
    int elevation_code = 0; // the z of an elevation point, when its x was read
    // The x codes (10 to 18) not followed by their y: an old drawing may
    // write the y later (10, 11, 20, 21).
    unsigned lone_x = 0;
    int previous = -1;
    const DxfTag* next = nullptr;
    while ((next = ahead.Next()) != nullptr && next->code != 0) {
        const DxfTag& tag = *next;
        if (previous >= 10 && previous <= 18 && tag.code != previous + 10) {
            lone_x |= 1u << (previous - 10);
        }
        if (tag.code >= 20 && tag.code <= 28 && (lone_x & (1u << (tag.code - 20)))) {
            facts.interleaved = !ahead.spilled();
        }
        previous = tag.code;
        // Values are read as numbers only where one is wanted.
        double number = 0.0;
        const auto readable = [&] { return ReadCoordinate(tag.value(), number).empty(); };
        int integer = 0;
        switch (tag.code) {
        case 5:
            if (facts.handle.empty()) {
                facts.handle = LogName(tag.Keyword());
            }
            break;
        case 67:
            facts.paper_space = ParseDxfInteger(tag.value(), integer) && integer == 1;
            break;
        case 210:
        case 220:
        case 230:
            facts.extrusion_bad = !readable() || facts.extrusion_bad;
            (tag.code == 210   ? facts.extrusion.x
             : tag.code == 220 ? facts.extrusion.y
                               : facts.extrusion.z) = number;
            break;
        case 38:
            facts.elevation = readable() ? number : 0.0;
            facts.elevation_written = true;
            break;
        case 70:
            if (!has_flags) {
                has_flags = ParseDxfInteger(tag.value(), facts.flags);
            }
            break;
        case 40:
            if (round && !has_radius && readable()) {
                has_radius = true;
                facts.margin = std::fabs(number);
            }
            break;
        case 2:
            if (dimension && facts.block.empty()) {
                facts.block = std::string(tag.value());
            }
            break;
        case 11:
        case 21:
        case 31:
            if (ellipse && readable()) {
                (tag.code == 11   ? facts.axis.x
                 : tag.code == 21 ? facts.axis.y
                                  : facts.axis.z) = number;
            }
            break;
        case 12:
        case 22:
        case 32:
            facts.picture_offset = facts.picture_offset || (dimension && readable() && number != 0);
            break;
        default:
            break;
        }
        if (!points) {
            continue;
        }
        const PointFrame frame = points->FrameOf(tag);
        if (frame == PointFrame::kObject && !facts.has_first_point && first_y_code == 0) {
            first_y_code = readable() ? tag.code + 10 : 0;
            facts.first_x = number;
        } else if (first_y_code != 0 && tag.code == first_y_code) {
            facts.has_first_point = readable();
            facts.first_y = number;
            first_y_code = 0;
        } else if (frame == PointFrame::kElevation) {
            elevation_code = tag.code + 20;
        } else if (elevation_code != 0 && tag.code == elevation_code) {
            facts.elevation = readable() ? number : 0.0;
            facts.elevation_written = true;
            elevation_code = 0;
        }
    }
    if (ellipse) {
        facts.margin = std::sqrt(facts.axis.x * facts.axis.x + facts.axis.y * facts.axis.y);
    }
    // The points of a polyline are in its VERTEX entities, which follow it.
    if (kind && IsKind(*kind, "POLYLINE") && !facts.has_first_point && next &&
        next->Keyword() == "VERTEX") {
        double number = 0.0;
        while ((next = ahead.Next()) != nullptr && next->code != 0) {
            const DxfTag& tag = *next;
            const bool readable = ReadCoordinate(tag.value(), number).empty();
            if (tag.code == 10 && readable) {
                facts.first_x = number;
                first_y_code = 20;
            } else if (tag.code == first_y_code && readable) {
                facts.first_y = number;
                facts.has_first_point = true;
                break;
            }
        }
    }
    return facts;
}

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
// 20, 21): read whole, each x paired with the first y (and z) of its family
// after it, before the next x of the same code; the tags keep their places.
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
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    const auto partner = [&](std::size_t x, int code, const std::vector<bool>& used) {
        for (std::size_t j = x + 1; j < tags.size(); ++j) {
            if (tags[j].code == tags[x].code) {
                break;
            }
            if (tags[j].code == code && !used[j]) {
                return j;
            }
        }
        return kNone;
    };
    struct Planned {
        std::array<std::size_t, 3> tag{kNone, kNone, kNone};
        PendingMove move;
    };
    std::vector<Planned> planned;
    std::vector<bool> used(tags.size(), false);
    std::vector<std::optional<double>> replaced(tags.size());
    std::vector<std::size_t> member(tags.size(), kNone); // the planned point of a tag
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const PointFrame kind = points.FrameOf(tags[i]);
        if (used[i] || kind == PointFrame::kNone) {
            continue;
        }
        const int code = tags[i].code;
        if (kind == PointFrame::kElevation) {
            const std::size_t z = partner(i, code + 20, used);
            if (new_elevation && z != kNone) {
                used[z] = true;
                replaced[z] = new_elevation;
            }
            continue;
        }
        const PointSetting& setting = kind == PointFrame::kWorld ? world_points : object_points;
        const ObjectFrame& frame = setting.frame;
        Planned point;
        point.tag[0] = i;
        point.tag[1] = partner(i, code + 10, used);
        if (point.tag[1] == kNone) {
            Reject(tags[i].value_line_number(), kMissingY);
            continue;
        }
        used[point.tag[1]] = true;
        if (!frame.is_upright() && setting.own_z) {
            point.tag[2] = partner(i, code + 20, used);
            if (point.tag[2] == kNone) {
                Reject(tags[i].value_line_number(), kMissingZ);
                continue;
            }
            used[point.tag[2]] = true;
        }
        if (!frame.valid()) {
            Reject(tags[i].value_line_number(), kBadExtrusion);
            continue;
        }
        double values[3] = {0.0, 0.0, setting.own_z ? 0.0 : setting.base_z};
        bool failed = false;
        for (std::size_t t = 0; t < 3 && !failed; ++t) {
            if (point.tag[t] != kNone) {
                const std::string_view motive =
                    ReadCoordinate(tags[point.tag[t]].value(), values[t]);
                if (!motive.empty()) {
                    Reject(tags[point.tag[t]].value_line_number(), motive);
                    failed = true;
                }
            }
        }
        if (failed) {
            continue;
        }
        point.move = Pending(tags[i], setting, frame.ToWorld({values[0], values[1], values[2]}));
        for (std::size_t t = 0; t < 3; ++t) {
            if (point.tag[t] != kNone) {
                member[point.tag[t]] = planned.size();
            }
        }
        planned.push_back(point);
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
    if (y_tag.code != x_tag.code + 10) {
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
        if (read && z_tag.code == x_tag.code + 20) {
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
        if (tag.code == x_tag.code + 20) {
            WriteValue(tag, *elevation);
            return;
        }
        if (tag.code != x_tag.code + 10) {
            Unread(tag);
            return;
        }
        Copy(tag);
    }
}

// --- Runs --------------------------------------------------------------------

std::string InvalidDrawingArguments(const RunArguments& run) {
    std::string invalid = InvalidRunArguments(run);
    if (invalid.empty() && run.pa == kKindUtm && run.h_entrada < 1.0) {
        invalid = "Huso de entrada no válido para un dibujo: se necesita un huso de 1 a 60\n";
    }
    return invalid;
}

// The drawing is read more than once: it must be a file, not a stream.
constexpr std::string_view kNotAFile =
    "El dibujo de entrada ha de ser un archivo que se pueda leer dos veces\n";

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Rewind(DxfTagReader& input, DxfTagReader& ahead) {
    return input.Seek(0, 0) && ahead.Seek(0, 0);
}

// Scans the drawing for the centroid and rectangle of its points, carried by
// `to_catalogue` into ED50 UTM zone 30. False, with the reason in `failure`,
// when the drawing cannot be read whole.
bool ScanCentroid(DxfTagReader& input, DxfTagReader& ahead, const PlanMove& to_catalogue,
                  const std::function<bool(std::uint64_t)>& step, int threads,
                  CentroidResult& result, std::string& failure) {
    double sum_x = 0.0, sum_y = 0.0;
    DrawingWalker walker(input, ahead, to_catalogue, step, threads);
    walker.SetModelPointSink(
        [&](double x, double y) { AccumulateCentroid(result, x, y, sum_x, sum_y); });
    if (!walker.Walk()) {
        failure = walker.failure();
        return false;
    }
    if (!walker.has_entities()) {
        failure = "El dibujo no tiene sección ENTITIES";
        return false;
    }
    FinishCentroid(result, sum_x, sum_y);
    return true;
}

// Carries a plan point of (datum, kind, zone) into ED50 UTM zone 30 with the
// national parameters prepared in `set`.
PlanMove ToCatalogue(int datum, int kind, double zone, const ParameterSet& set, bool region_only) {
    return [datum, kind, zone, &set, region_only](double& x, double& y) -> std::string_view {
        const CoordTriple point(x, y, kNoThird);
        if (region_only && IsRefusedByRegion(point, kind, zone)) {
            return PointStatusText(PointStatus::kOutsideRegion);
        }
        double zone30 = 30.0;
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(point, datum, kind, zone, kDatumEd50, kKindUtm, 30.0,
                                               set, kModelHelmert, zone30, status);
        if (status != PointStatus::kTransformed) {
            return PointStatusText(status); // outside the domain
        }
        if (!IsWritable(out.c1) || !IsWritable(out.c2)) {
            return kOutOfRange;
        }
        x = out.c1;
        y = out.c2;
        return {};
    };
}

ParameterSet NationalToEd50(int datum) {
    ParameterSet set;
    SetSpainParametersWithReport(DirectionOf(datum, kDatumEd50), set, nullptr);
    return set;
}

// The log lines of the coordinates that could not be carried.
std::string RejectedText(const RejectedLines& rejected) {
    return rejected.Text() + "Líneas rechazadas.....: " + std::to_string(rejected.count()) + "\n";
}
constexpr std::string_view kNotTransformed =
    "El dibujo no se ha transformado: tiene coordenadas que no se pueden transformar\n";
constexpr std::string_view kEntitiesNotTransformed =
    "El dibujo no se ha transformado: tiene entidades que no se pueden transformar\n";

int TransformDrawing(FileRun& file_run, const RunArguments& run, FoundVertexList& found,
                     RunOutcome* outcome, bool heights_asked) {
    if (!file_run.Start(InvalidDrawingArguments(run), found)) {
        return 0;
    }
    if (heights_asked) {
        file_run.Log("Alturas ortométricas: no se aplican a un dibujo, cuyas alturas no se "
                     "cambian\n\n");
    }
    DxfTagReader input(file_run.input());
    DxfTagReader ahead;
    if (!IsRegularFile(run.entrada) || !ahead.Open(run.entrada)) {
        return file_run.Fail(kNotAFile);
    }
    ProgressWindow& window = file_run.window();
    const int threads = RunThreads(run.threads);

    // One zone for the whole drawing: a drawing split between two zones no
    // longer fits together.
    const bool choose_zone = run.pb == kKindUtm && run.h_salida < 1.0;
    const int passes = choose_zone && run.pa != kKindUtm ? 3 : 2;
    int pass = 0;
    const auto step = [&](std::uint64_t position) {
        window.Step((pass * input.size() + position) / static_cast<std::uint64_t>(passes));
        return !window.Cancelled();
    };
    double zone_out = run.h_salida;
    if (choose_zone) {
        if (run.pa == kKindUtm) {
            zone_out = run.h_entrada;
        } else {
            // The zone of the centre of the drawing's rectangle (30 for a
            // drawing without points, the zone of the catalogue).
            const ParameterSet national = NationalToEd50(run.da);
            CentroidResult rectangle;
            std::string failure;
            if (!ScanCentroid(input, ahead,
                              ToCatalogue(run.da, run.pa, run.h_entrada, national, false), step,
                              threads, rectangle, failure)) {
                return file_run.Fail(failure + "\n");
            }
            zone_out = 30.0;
            if (rectangle.count > 0) {
                const GeodeticAngles centre = UtmToGeodetic(
                    (rectangle.x_min + rectangle.x_max) * 0.5,
                    (rectangle.y_min + rectangle.y_max) * 0.5, EllipsoidRow(kDatumEd50), 30.0);
                zone_out = ZoneOfLongitude(centre.lambda);
            }
            ++pass;
            if (!Rewind(input, ahead)) {
                return file_run.Fail(kUnreadableInput);
            }
        }
        file_run.Log("Huso de salida......: " + CFixed(zone_out, 0) +
                     " (único para todo el dibujo)\n\n");
    }
    const ParameterSet& set = file_run.set();
    const int model = file_run.model();
    const bool region_only = run.region_only && run.parametros != kParametersGrid;
    const PlanMove move = [&](double& x, double& y) -> std::string_view {
        const CoordTriple point(x, y, kNoThird);
        if (region_only && IsRefusedByRegion(point, run.pa, run.h_entrada)) {
            return PointStatusText(PointStatus::kOutsideRegion);
        }
        double zone = zone_out;
        PointStatus status = PointStatus::kTransformed;
        const CoordTriple out = TransformPoint(point, run.da, run.pa, run.h_entrada, run.db, run.pb,
                                               zone_out, set, model, zone, status);
        if (status != PointStatus::kTransformed) {
            return PointStatusText(status); // outside the domain, the grid or the geoid
        }
        if (!IsWritable(out.c1) || !IsWritable(out.c2)) {
            return kOutOfRange;
        }
        x = out.c1;
        y = out.c2;
        return {};
    };
    // A millimetre in plan, or its angle, 1e-8 degrees.
    const double tolerance = run.pb == kKindGeodetic ? 1e-8 : 1e-3;

    // Measured first: nothing is written for a drawing that cannot be
    // transformed whole.
    DrawingWalker measure(input, ahead, move, step, threads);
    measure.SetPlanTolerance(tolerance);
    measure.SetDegrees(run.pb == kKindGeodetic);
    if (!measure.Walk()) {
        return file_run.Fail(measure.failure() + "\n");
    }
    if (!measure.has_entities()) {
        return file_run.Fail("El dibujo no tiene sección ENTITIES\n");
    }
    if (measure.rejected().count() > 0) {
        if (outcome) {
            outcome->rejected = measure.rejected().count();
        }
        file_run.Log(RejectedText(measure.rejected()));
        return file_run.Fail(kNotTransformed);
    }
    if (run.strict_drawing && measure.untransformed() > 0) {
        file_run.Log(measure.Notes());
        return file_run.Fail(kEntitiesNotTransformed);
    }
    const std::vector<std::string> pictures = measure.TakeDimensionPictures();
    ++pass;
    if (!Rewind(input, ahead)) {
        return file_run.Fail(kUnreadableInput);
    }

    DrawingWalker writer(input, ahead, move, step, threads);
    writer.SetOutput(&file_run.output(), run.pb == kKindGeodetic ? 10 : 6);
    writer.SetPlanTolerance(tolerance);
    writer.SetDegrees(run.pb == kKindGeodetic);
    writer.SetDimensionPictures(&pictures);
    writer.SetGeoSystems(GeoSystemOf(run.da, run.pa, run.h_entrada),
                         GeoSystemOf(run.db, run.pb, zone_out));
    writer.SetHeaderExtents(measure.extents());
    writer.SetCoverage({file_run.coverage(), run.pa, run.h_entrada});
    if (!writer.Walk()) {
        return file_run.Fail(writer.failure() + "\n");
    }
    if (writer.rejected().count() > 0) { // in the pictures of dimensions
        if (outcome) {
            outcome->rejected = writer.rejected().count();
        }
        file_run.Log(RejectedText(writer.rejected()));
        return file_run.Fail(kNotTransformed);
    }
    if (outcome) {
        outcome->untransformed = writer.untransformed();
        outcome->untransformed_kinds = writer.UntransformedKinds();
    }
    return file_run.Finish(DxfSummary(writer.counts()) + writer.Notes(), writer.coverage_tally());
}

} // namespace

int ProcesarDXF(const std::string& log_path, const RunArguments& run, ProgressSink* progress,
                RunOutcome* outcome, FoundVertexList* found) {
    // A drawing's heights and elevations are never changed, so orthometric
    // heights have nothing to act on: no geoid is read, and the log says so.
    RunArguments plane_run = run;
    plane_run.orthometric_heights = false;
    FileRun file_run(log_path, plane_run, progress, DxfTagReader::kMaxLine, outcome);
    try {
        std::unique_ptr<FoundVertexList> own;
        if (!found) {
            own = std::make_unique<FoundVertexList>();
            found = own.get();
        }
        return TransformDrawing(file_run, plane_run, *found, outcome, run.orthometric_heights);
    } catch (...) {
        return file_run.FailUnexpectedly();
    }
}

int CentroideDXF(const std::string& entrada, int datum, int kind, double zone,
                 CentroidResult& result, ProgressSink* progress, int threads, bool region_only) {
    result = CentroidResult();
    if (!(datum == kDatumEd50 || datum == kDatumEtrs89) || kind < kKindGeodetic ||
        kind > kKindGeocentric || !IsZoneArgument(zone) || (kind == kKindUtm && zone < 1.0)) {
        return 0;
    }
    try {
        const ParameterSet set = NationalToEd50(datum);
        DxfTagReader input, ahead;
        if (!IsRegularFile(entrada) || !input.Open(entrada) || !ahead.Open(entrada)) {
            return 0;
        }
        ProgressWindow window(progress, kCaptionCentroid, input.size());
        std::string failure;
        if (!ScanCentroid(
                input, ahead, ToCatalogue(datum, kind, zone, set, region_only),
                [&](std::uint64_t position) {
                    window.Step(position);
                    return !window.Cancelled();
                },
                RunThreads(threads), result, failure)) {
            result = CentroidResult();
            return 0;
        }
        return 1;
    } catch (...) {
        result = CentroidResult();
        return 0;
    }
}

} // namespace dezadiravevava
