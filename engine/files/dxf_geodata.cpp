#include "files/dxf_geodata.h"

#include "files/dxf_compiled.h"
#include "files/dxf_walk.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/parameter_set.h"

#include <cctype>

namespace dezadiravevava {

namespace {

constexpr int kEd50Geographic = 4230;
constexpr int kEtrs89Geographic = 4258;
constexpr int kEd50Utm = 23000;   // plus the zone
constexpr int kEtrs89Utm = 25800; // plus the zone
constexpr int kFirstZone = 28;
constexpr int kLastZone = 38;

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsOurs(int code) {
    const int zone = code % 100;
    return code == kEd50Geographic || code == kEtrs89Geographic ||
           ((code - zone == kEd50Utm || code - zone == kEtrs89Utm) && zone >= kFirstZone &&
            zone <= kLastZone);
}

} // namespace

GeoSystem GeoSystemOf(int datum, int kind, double zone) {
    const bool ed50 = datum == kDatumEd50;
    const std::string datum_name = ed50 ? "ED50" : "ETRS89";
    if (kind == kKindGeodetic) {
        return {ed50 ? kEd50Geographic : kEtrs89Geographic, datum_name};
    }
    if (kind == kKindUtm && zone >= 1.0) {
        const int z = static_cast<int>(zone);
        return {(ed50 ? kEd50Utm : kEtrs89Utm) + z,
                datum_name + " / UTM zone " + std::to_string(z) + "N"};
    }
    return {};
}

int FindOurSystem(std::string_view definition) {
    for (std::size_t i = 0; i < definition.size();) {
        if (!IsDigit(definition[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        int code = 0;
        while (end < definition.size() && IsDigit(definition[end]) && end - i < 9) {
            code = code * 10 + (definition[end] - '0');
            ++end;
        }
        if (end - i <= 5 && (end == definition.size() || !IsDigit(definition[end])) &&
            IsOurs(code)) {
            return code;
        }
        while (end < definition.size() && IsDigit(definition[end])) {
            ++end;
        }
        i = end;
    }
    return 0;
}

int RenameSystem(std::string& definition, const GeoSystem& from, const GeoSystem& to) {
    int replaced = 0;
    const std::string code = std::to_string(from.epsg), new_code = std::to_string(to.epsg);
    for (std::size_t at = definition.find(code); at != std::string::npos;
         at = definition.find(code, at + 1)) {
        const bool alone =
            (at == 0 || !IsDigit(definition[at - 1])) &&
            (at + code.size() == definition.size() || !IsDigit(definition[at + code.size()]));
        if (alone) {
            definition.replace(at, code.size(), new_code);
            ++replaced;
        }
    }
    if (!from.name.empty()) {
        for (std::size_t at = definition.find(from.name); at != std::string::npos;
             at = definition.find(from.name, at + to.name.size())) {
            definition.replace(at, from.name.size(), to.name);
            ++replaced;
        }
    }
    return replaced;
}

namespace drawing {

// --- Geolocation ---------------------------------------------------------------

// A point of the drawing moved at once, its y right after its x: written
// moved, or as it was when it cannot move (the reason returned).
std::string_view DrawingWalker::MoveNow(const DxfTag& x_tag) {
    DxfTag y_tag;
    if (!Read(y_tag)) {
        Copy(x_tag);
        return kMissingY;
    }
    if (y_tag.code != PointPartCode(x_tag.code, 1)) {
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

} // namespace drawing

} // namespace dezadiravevava
