#include "files/point_fields.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/transform.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava {

namespace {

constexpr double kWritableLimit = 100000000.0; // the fixed-point writer's limit
constexpr std::size_t kQuotedLength = 40;

// A field as the log quotes it: at most 40 bytes, control characters as '?',
// read as the file's Windows-1252.
std::string Quoted(std::string_view field) {
    std::string text;
    for (const char c : field.substr(0, kQuotedLength)) {
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    if (field.size() > kQuotedLength) {
        text += "...";
    }
    return " (\"" + Cp1252ToUtf8(text) + "\")";
}

PointLine Rejected(std::string reason) {
    PointLine line;
    line.kind = PointLine::Kind::kRejected;
    line.reason = std::move(reason);
    return line;
}

bool IsZoneNumber(double zone) {
    return zone >= 1.0 && zone <= 60.0 && zone == std::floor(zone);
}

// The common point line read in one pass: a point number of 1 to 18 digits
// without a leading zero, then plain decimals ("-1234.567"), each ending at a
// TAB or at the end of the line, and the zone when it is needed. False for
// anything else (blanks, a CR, exponents, long numbers, a missing or invalid
// field), which the field-by-field reading takes; for what this reads, that
// reading gives the same values.
bool ReadCommonPointLine(std::string_view line, bool zone_needed, PointLine& point) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::uint64_t number = 0;
    const char* const digits = p;
    p = AccumulateDigits(p, end, number);
    const auto count = p - digits;
    if (count == 0 || count > 18 || *digits == '0' || p == end || *p != '\t') {
        return false;
    }
    point.number = static_cast<std::int64_t>(number);
    point.number_text = std::string_view(digits, static_cast<std::size_t>(count));
    // Each value starts after a TAB; the last one needed may end the line.
    const auto read = [&](double& value, bool may_end_line) {
        ++p; // the TAB
        const std::size_t length =
            ReadPlainDecimal(std::string_view(p, static_cast<std::size_t>(end - p)), value);
        if (length == 0) {
            return false;
        }
        p += length;
        return p == end ? may_end_line : *p == '\t';
    };
    double values[3];
    if (!read(values[0], false) || !read(values[1], false) || !read(values[2], !zone_needed)) {
        return false;
    }
    if (zone_needed && !(read(point.zone, true) && IsZoneNumber(point.zone))) {
        return false;
    }
    point.coords = CoordTriple(values[0], values[1], values[2]);
    point.kind = PointLine::Kind::kPoint;
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Whether the start of a field could be a coordinate: a digit, or a sign or
// point followed by a digit.
bool StartsLikeANumber(std::string_view field) {
    while (!field.empty() && IsSpace(field.front())) {
        field.remove_prefix(1);
    }
    if (!field.empty() && (field.front() == '+' || field.front() == '-' || field.front() == '.')) {
        field.remove_prefix(1);
    }
    return !field.empty() && field.front() >= '0' && field.front() <= '9';
}

// Whether a line without TABs holds its fields separated by something else:
// commas, semicolons or blanks, at least two fields after the first looking
// like numbers, as in a spreadsheet export ("Giralda,235171.041,4142124.422").
bool HasOtherSeparators(std::string_view line) {
    if (line.find('\t') != std::string_view::npos) {
        return false;
    }
    for (const char separator : {',', ';', ' '}) {
        std::size_t numbers = 0; // fields after the first that start like a number
        std::size_t start = line.find(separator);
        while (start != std::string_view::npos) {
            ++start;
            const std::size_t stop = line.find(separator, start);
            const std::string_view field =
                line.substr(start, stop == std::string_view::npos ? stop : stop - start);
            numbers += StartsLikeANumber(field) ? 1 : 0;
            start = stop;
        }
        if (numbers >= 2) {
            return true;
        }
    }
    return false;
}

// A line whose first field is no point number: blank lines are skipped, any
// other is rejected with the reason it cannot be a point line.
PointLine NotAPointLine(std::string_view line, const TabFields& fields, bool too_long) {
    if (std::all_of(line.begin(), line.end(), IsSpace) && !too_long) {
        return PointLine();
    }
    if (too_long) {
        return Rejected("línea de más de " + std::to_string(kTxtLineLimit) + " caracteres");
    }
    if (HasOtherSeparators(line)) {
        return Rejected("los campos no están separados por tabuladores" + Quoted(line));
    }
    const std::string_view first = fields[0];
    if (std::all_of(first.begin(), first.end(), IsSpace)) {
        return Rejected("falta el número de punto");
    }
    double value = 0.0;
    if (ReadWholeDecimal(first, value) == FieldReading::kNumber && value == std::floor(value)) {
        return Rejected("el número de punto no es positivo" + Quoted(first));
    }
    return Rejected("el número de punto no es un entero" + Quoted(first));
}

} // namespace

PointLine ReadPointLine(std::string_view line, bool zone_needed, bool too_long) {
    PointLine point;
    if (!too_long && ReadCommonPointLine(line, zone_needed, point)) {
        return point;
    }
    point = PointLine();
    const TabFields fields(line);
    const PointNumberReading number = ReadWholePointNumber(fields[0], point.number);
    if (number == PointNumberReading::kNotAPoint) {
        return NotAPointLine(line, fields, too_long);
    }
    if (too_long) {
        // Only its start was read: nothing of it can be trusted.
        return Rejected("línea de más de " + std::to_string(kTxtLineLimit) + " caracteres");
    }
    if (number == PointNumberReading::kNotANumber) {
        return Rejected("número de punto no válido" + Quoted(fields[0]));
    }
    if (number == PointNumberReading::kOutOfRange) {
        return Rejected("número de punto fuera de rango" + Quoted(fields[0]));
    }
    double values[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view field = fields[i + 1];
        const FieldReading reading =
            i + 1 < fields.count() ? ReadWholeDecimal(field, values[i]) : FieldReading::kMissing;
        if (reading == FieldReading::kNumber) {
            continue;
        }
        const std::string which = "coordenada " + std::to_string(i + 1);
        switch (reading) {
        case FieldReading::kMissing:
            return Rejected("falta la " + which);
        case FieldReading::kNotANumber:
            return Rejected(which + " no numérica" + Quoted(field));
        default:
            return Rejected(which + " no finita" + Quoted(field));
        }
    }
    point.coords = CoordTriple(values[0], values[1], values[2]);
    if (zone_needed) {
        const std::string_view field = fields[4];
        const FieldReading reading =
            fields.count() > 4 ? ReadWholeDecimal(field, point.zone) : FieldReading::kMissing;
        if (reading == FieldReading::kMissing) {
            return Rejected("falta el huso");
        }
        if (reading != FieldReading::kNumber || !IsZoneNumber(point.zone)) {
            return Rejected("huso no válido" + Quoted(field));
        }
    }
    point.kind = PointLine::Kind::kPoint;
    return point;
}

int ZoneFieldOf(std::string_view line) {
    const TabFields fields(line);
    double zone = 0.0;
    const bool read = fields.count() > 4 &&
                      ReadWholeDecimal(fields[4], zone) == FieldReading::kNumber &&
                      IsZoneNumber(zone);
    return read ? static_cast<int>(zone) : 0;
}

bool IsWritablePoint(int kind, const CoordTriple& point, double zone) {
    for (const double value : {point.c1, point.c2, point.c3}) {
        if (!(std::fabs(value) <= kWritableLimit)) {
            return false;
        }
    }
    return kind != kKindUtm || IsZoneNumber(zone);
}

char* WritePointFields(char* out, int kind, const CoordTriple& point, double zone) {
    if (kind != kKindGeocentric && kind != kKindUtm && kind != kKindGeodetic) {
        return out;
    }
    const int decimals = kind == kKindGeodetic ? 12 : 3;
    for (const double value : {point.c1, point.c2, point.c3}) {
        *out++ = '\t';
        out = WriteFixedPoint(out, value, decimals);
    }
    if (kind == kKindUtm) {
        *out++ = '\t';
        out = WriteFixedPoint(out, zone, 0);
    }
    return out;
}

void AppendPointFields(std::string& out, int kind, const CoordTriple& point, double zone) {
    char fields[kPointFieldsLength];
    out.append(fields, WritePointFields(fields, kind, point, zone));
}

CoordTriple TransformFilePoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, int kind_out, double zone_out,
                               const ParameterSet& set, int model, double& out_zone,
                               PointStatus& status) {
    // Without a geoid a UTM input's own H replaces the transformed height,
    // which then need not be worked out.
    const bool own_height =
        !set.geoid && kind_in == kKindUtm && (kind_out == kKindUtm || kind_out == kKindGeodetic);
    CoordTriple out = TransformPoint(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                     zone_out, set, model, out_zone, status,
                                     own_height ? OutputHeight::kDiscarded : OutputHeight::kWanted);
    if (status == PointStatus::kTransformed && own_height) {
        out.c3 = point.c3;
    }
    return out;
}

const char* CarryFilePoint(const CoordTriple& point, double zone_in, const RunArguments& run,
                           const ParameterSet& set, int model, bool region_only, CoordTriple& out,
                           double& out_zone) {
    out_zone = run.h_salida; // chosen afresh for every point
    if (region_only && IsRefusedByRegion(point, run.pa, zone_in)) {
        return PointStatusText(PointStatus::kOutsideRegion);
    }
    PointStatus status = PointStatus::kTransformed;
    out = TransformFilePoint(point, run.da, run.pa, zone_in, run.db, run.pb, run.h_salida, set,
                             model, out_zone, status);
    if (status != PointStatus::kTransformed) {
        return PointStatusText(status); // outside the domain, the grid or the geoid
    }
    if (!IsWritablePoint(run.pb, out, out_zone)) {
        return "resultado fuera de rango";
    }
    return nullptr;
}

} // namespace dezadiravevava
