#include "files/dxf_geodata.h"

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

} // namespace dezadiravevava
