#include "files/dxf_compiled.h"
#include "files/dxf_walk.h"
#include "files/number_format.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava::drawing {

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
        if (previous >= 10 && previous <= 18 && tag.code != PointPartCode(previous, 1)) {
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
            first_y_code = readable() ? PointPartCode(tag.code, 1) : 0;
            facts.first_x = number;
        } else if (first_y_code != 0 && tag.code == first_y_code) {
            facts.has_first_point = readable();
            facts.first_y = number;
            first_y_code = 0;
        } else if (frame == PointFrame::kElevation) {
            elevation_code = PointPartCode(tag.code, 2);
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

} // namespace dezadiravevava::drawing
