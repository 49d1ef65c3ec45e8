// The moves of a drawing's points, made on worker threads: the blocks of
// text and moves the reader hands over, and the work that fills in the moved
// values. Shared by the parts of the drawing reader (dxf_walk.h).
#pragma once

#include "files/dxf_ocs.h"
#include "files/execution_log.h"
#include "files/number_format.h"
#include "geodesy/vertex_coverage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava::drawing {

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
// Returns an empty motive, or why it is none.
std::string_view ReadCoordinate(std::string_view text, double& value);
// Whether a moved coordinate can be written.
bool IsWritable(double value);
// A name from the drawing, fit for the log: printable ASCII, bounded.
std::string LogName(std::string_view name);

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
    std::string output;           // the text with the moved values, made by the worker
    CoverageTally coverage;       // moved model-space points far from a local fit's vertices
    UncertaintyRange uncertainty; // of the moved model-space points

    bool empty() const { return text.empty() && moves.empty() && rejected.empty(); }
    void Clear() {
        text.clear();
        moves.clear();
        frames.clear();
        rejected.clear();
        output.clear();
        coverage = CoverageTally();
        uncertainty = UncertaintyRange();
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
    // The 95 % horizontal uncertainty of a model-space point (x, y as read)
    // once moved, for the range the log states; none while measuring.
    std::function<double(double, double)> uncertainty;
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
        block.uncertainty = UncertaintyRange();
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
            if (coverage_.uncertainty && pending.model && pending.motive.empty()) {
                block.uncertainty.Add(coverage_.uncertainty(pending.world.x, pending.world.y));
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

} // namespace dezadiravevava::drawing
