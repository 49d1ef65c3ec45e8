// One transformed point as the TXT point files carry it.
#pragma once

#include "files/execution_log.h"
#include "files/number_format.h"
#include "geodesy/coord_triple.h"
#include "geodesy/parameter_set.h"
#include "geodesy/transform.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dezadiravevava {

// A line of a point file, read strictly: a point is used only when every
// value it needs reads whole; nothing is made up for a value that is missing
// or unreadable.
struct PointLine {
    enum class Kind {
        kNotAPoint, // a blank line (nothing but blanks): skipped
        kPoint,     // number, c1, c2, c3 and, when needed, the zone
        kRejected,  // a point that cannot be used; `reason` says why
    };
    Kind kind = Kind::kNotAPoint;
    std::int64_t number = 0;
    // The number's digits as the line holds them, when they are exactly what
    // writing the number gives (no sign, blank or leading zero); else empty.
    std::string_view number_text;
    CoordTriple coords;
    double zone = 0.0;  // field 4, read only when needed
    std::string reason; // UTF-8, for the log line "Línea N rechazada: <reason>"
};

// Reads a line (without its end). Every line that holds anything but blanks
// is a point or is rejected: names or other text where the point number
// goes, a number 0 or negative, fields separated by commas, semicolons or
// spaces. `zone_needed`: the zone of this point
// comes from its field 4, which must then hold a whole number 1 to 60.
// `too_long`: the line was longer than a point line may be, and `line` holds
// only its start.
PointLine ReadPointLine(std::string_view line, bool zone_needed, bool too_long = false);

// The zone a point line names in its fifth field, as ReadPointLine reads it
// when the zone is needed; 0 when the field is missing or holds no zone.
int ZoneFieldOf(std::string_view line);

// Whether a result can be written: finite values whose magnitude the file's
// fixed-point numbers can hold (100000000 at most), and for UTM a zone 1 to 60.
bool IsWritablePoint(int kind, const CoordTriple& point, double zone);

// Appends the coordinate fields of an output line, each preceded by a TAB:
//   geocentric  X, Y, Z with 3 decimals
//   UTM         x, y, H with 3 decimals, then the zone with 0 decimals ("30.")
//   geodetic    longitude, latitude and h with 12 decimals
//   plane       nothing
void AppendPointFields(std::string& out, int kind, const CoordTriple& point, double zone);
// The same fields written at `out`, which has room for kPointFieldsLength
// bytes; returns their end.
inline constexpr std::size_t kPointFieldsLength = 4 * (kFixedPointLength + 1);
char* WritePointFields(char* out, int kind, const CoordTriple& point, double zone);

// TransformPoint with the height rule of the point files: without a geoid, a
// UTM input keeps its own height H in a UTM or geodetic output (the 3D models
// enter it with h = 0, so the transformed height would be meaningless). With
// a geoid (orthometric heights) the heights are TransformPoint's own.
CoordTriple TransformFilePoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, int kind_out, double zone_out,
                               const ParameterSet& set, int model, double& out_zone,
                               PointStatus& status);

// A point of a file carried from side a to side b of `run` (its zone in:
// `zone_in`): nullptr, with `out` and `out_zone` set, or the reason of the
// log's "Línea N rechazada" line: outside the region (with `region_only`),
// the domain, the grid or the geoid, or a result the file cannot hold.
const char* CarryFilePoint(const CoordTriple& point, double zone_in, const RunArguments& run,
                           const ParameterSet& set, int model, bool region_only, CoordTriple& out,
                           double& out_zone);

} // namespace dezadiravevava
