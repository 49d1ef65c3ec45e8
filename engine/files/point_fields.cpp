#include "files/point_fields.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/transform.h"

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

} // namespace

PointLine ReadPointLine(std::string_view line, bool zone_needed, bool too_long) {
    const TabFields fields(line);
    PointLine point;
    const PointNumberReading number = ReadWholePointNumber(fields[0], point.number);
    if (number == PointNumberReading::kNotAPoint) {
        return point;
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

bool IsWritablePoint(int kind, const CoordTriple& point, double zone) {
    for (const double value : {point.c1, point.c2, point.c3}) {
        if (!(std::fabs(value) <= kWritableLimit)) {
            return false;
        }
    }
    return kind != kKindUtm || IsZoneNumber(zone);
}

void AppendPointFields(std::string& out, int kind, const CoordTriple& point, double zone) {
    if (kind != kKindGeocentric && kind != kKindUtm && kind != kKindGeodetic) {
        return;
    }
    // The fields are written in place, then added to the line at once.
    const int decimals = kind == kKindGeodetic ? 12 : 3;
    char fields[4 * (kFixedPointLength + 1)];
    char* end = fields;
    for (const double value : {point.c1, point.c2, point.c3}) {
        *end++ = '\t';
        end = WriteFixedPoint(end, value, decimals);
    }
    if (kind == kKindUtm) {
        *end++ = '\t';
        end = WriteFixedPoint(end, zone, 0);
    }
    out.append(fields, end);
}

CoordTriple TransformFilePoint(const CoordTriple& point, int datum_in, int kind_in, double zone_in,
                               int datum_out, int kind_out, double zone_out,
                               const ParameterSet& set, int model, double& out_zone,
                               PointStatus& status) {
    CoordTriple out = TransformPoint(point, datum_in, kind_in, zone_in, datum_out, kind_out,
                                     zone_out, set, model, out_zone, status);
    if (!set.geoid && kind_in == kKindUtm && (kind_out == kKindUtm || kind_out == kKindGeodetic)) {
        out.c3 = point.c3;
    }
    return out;
}

} // namespace dezadiravevava
