#include "files/catalogue_file.h"

#include "files/point_table.h"
#include "files/sha256.h"
#include "files/text_encoding.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/transform.h"
#include "geodesy/utm.h"

#include <array>
#include <cmath>
#include <fstream>
#include <map>

namespace dezadiravevava {

namespace {

// Columns of a catalogue, each with the names its header may give it.
enum Column {
    kNumber,
    kName,
    kSheet,
    kEtrsX,
    kEtrsY,
    kEtrsLon,
    kEtrsLat,
    kEtrsH,
    kEd50X,
    kEd50Y,
    kEd50Lon,
    kEd50Lat,
    kEd50H,
    kColumnCount
};

struct ColumnName {
    Column column;
    std::string_view name; // lower case, Windows-1252
};

constexpr ColumnName kColumnNames[] = {
    {kNumber, "number"}, {kNumber, "numero"},    {kNumber, "n\xFAmero"}, {kName, "name"},
    {kName, "nombre"},   {kSheet, "sheet"},      {kSheet, "hoja"},       {kEtrsX, "etrs_x"},
    {kEtrsY, "etrs_y"},  {kEtrsLon, "etrs_lon"}, {kEtrsLat, "etrs_lat"}, {kEtrsH, "etrs_h"},
    {kEd50X, "ed50_x"},  {kEd50Y, "ed50_y"},     {kEd50Lon, "ed50_lon"}, {kEd50Lat, "ed50_lat"},
    {kEd50H, "ed50_h"},
};

// The field of each column in a row, for the columns the header names.
using ColumnIndex = std::array<std::optional<std::size_t>, kColumnCount>;

std::string LineName(std::size_t line) {
    return "línea " + std::to_string(line);
}

// One side of a vertex: UTM zone 30 as given, or geodetic degrees projected.
struct SideColumns {
    Column x, y, lon, lat;
    int datum;
    const char* label; // the prefix of its column names: "etrs", "ed50"
};

} // namespace

std::optional<Catalogue> ParseCatalogue(std::string_view bytes, std::string_view name,
                                        std::string& failure) {
    failure.clear();
    std::string reason;
    const auto table = ReadPointTable(bytes, reason);
    if (!table) {
        failure = reason + "\n";
        return std::nullopt;
    }
    if (table->header.empty()) {
        failure = "falta la línea de cabecera con los nombres de las columnas\n";
        return std::nullopt;
    }
    ColumnIndex index;
    std::array<std::string, kColumnCount> header_name;
    for (std::size_t i = 0; i < table->header.size(); ++i) {
        for (const ColumnName& c : kColumnNames) {
            if (table->header[i] != c.name) {
                continue;
            }
            if (index[c.column]) {
                failure += "columna repetida: " + Cp1252ToUtf8(table->header[i]) + "\n";
            }
            index[c.column] = i;
            header_name[c.column] = Cp1252ToUtf8(table->header[i]);
        }
    }
    const auto require = [&](Column column, const char* what) {
        if (!index[column]) {
            failure += std::string("falta la columna ") + what + "\n";
        }
    };
    require(kNumber, "number (o numero)");
    require(kName, "name (o nombre)");
    const SideColumns sides[2] = {{kEtrsX, kEtrsY, kEtrsLon, kEtrsLat, kDatumEtrs89, "etrs"},
                                  {kEd50X, kEd50Y, kEd50Lon, kEd50Lat, kDatumEd50, "ed50"}};
    for (const SideColumns& s : sides) {
        const bool utm = index[s.x] || index[s.y];
        const bool geodetic = index[s.lon] || index[s.lat];
        const std::string p = s.label;
        if (utm && geodetic) {
            failure += "se dan a la vez " + p + "_x/" + p + "_y y " + p + "_lon/" + p + "_lat\n";
        } else if (geodetic) {
            require(s.lon, (p + "_lon").c_str());
            require(s.lat, (p + "_lat").c_str());
        } else {
            require(s.x, (p + "_x").c_str());
            require(s.y, (p + "_y").c_str());
        }
    }
    if (!failure.empty()) {
        return std::nullopt;
    }

    Catalogue catalogue;
    std::map<std::int32_t, std::size_t> lines_of_numbers;
    for (const TableRow& row : table->rows) {
        const std::string at = LineName(row.line) + ": ";
        std::string problems;
        const auto field = [&](Column column) -> std::optional<std::string_view> {
            if (!index[column]) {
                return std::nullopt;
            }
            if (*index[column] >= row.fields.size() || row.fields[*index[column]].empty()) {
                problems += at + "falta " + header_name[column] + "\n";
                return std::nullopt;
            }
            return row.fields[*index[column]];
        };
        const auto number = [&](Column column, double fallback = 0.0) -> double {
            const auto text = field(column);
            if (!text) {
                return fallback;
            }
            const auto value = TableNumber(*text, table->separator);
            if (!value) {
                problems += at + header_name[column] + " no es un número\n";
                return fallback;
            }
            return *value;
        };
        VertexRecord v{};
        const double vertex_number = number(kNumber);
        if (problems.empty() && (vertex_number != std::floor(vertex_number) ||
                                 vertex_number < 1.0 || vertex_number > 2147483647.0)) {
            problems +=
                at + header_name[kNumber] + " ha de ser un número entero de 1 a 2147483647\n";
        }
        v.number = problems.empty() ? static_cast<std::int32_t>(vertex_number) : 0;
        if (const auto text = field(kName)) {
            v.name = std::string(*text);
        }
        const double sheet = number(kSheet);
        v.sheet = std::abs(sheet) < 2147483647.0 ? static_cast<std::int32_t>(sheet) : 0;
        for (const SideColumns& s : sides) {
            double x = 0.0, y = 0.0;
            if (index[s.lon]) {
                const double lon = number(s.lon);
                const double lat = number(s.lat);
                if (std::abs(lon) > 180.0) {
                    problems += at + header_name[s.lon] + " fuera de -180..180\n";
                } else if (std::abs(lat) > 90.0) {
                    problems += at + header_name[s.lat] + " fuera de -90..90\n";
                } else {
                    double zone = 30.0;
                    const PlanePoint p =
                        GeodeticToUtm(lon * kRadiansPerDegree, lat * kRadiansPerDegree,
                                      EllipsoidRow(s.datum), zone);
                    x = p.x;
                    y = p.y;
                }
            } else {
                x = number(s.x);
                y = number(s.y);
            }
            (s.datum == kDatumEtrs89 ? v.etrs_x : v.ed50_x) = x;
            (s.datum == kDatumEtrs89 ? v.etrs_y : v.ed50_y) = y;
        }
        v.etrs_h = number(kEtrsH);
        v.ed50_h = number(kEd50H);
        if (problems.empty()) {
            const auto [it, inserted] = lines_of_numbers.emplace(v.number, row.line);
            if (!inserted) {
                problems += at + "número " + std::to_string(v.number) + " repetido (" +
                            LineName(it->second) + ")\n";
            }
        }
        failure += problems;
        if (problems.empty()) {
            catalogue.vertices.push_back(std::move(v));
        }
        if (catalogue.vertices.size() > kCatalogueVertexLimit) {
            failure += "más de " + std::to_string(kCatalogueVertexLimit) + " vértices\n";
            return std::nullopt;
        }
    }
    if (!failure.empty()) {
        return std::nullopt;
    }
    if (catalogue.vertices.size() < 3) {
        failure = std::to_string(catalogue.vertices.size()) +
                  " vértices: un catálogo necesita al menos 3\n";
        return std::nullopt;
    }
    catalogue.label = std::string(name) + " (SHA-256 " + Sha256Hex(bytes) + ")";
    return catalogue;
}

std::shared_ptr<const Catalogue> LoadCatalogueFile(const std::string& path, std::string& failure) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failure = "no se puede leer el archivo\n";
        return nullptr;
    }
    std::string bytes(kCatalogueFileLimit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        failure = "no se puede leer el archivo\n";
        return nullptr;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kCatalogueFileLimit) {
        failure =
            "el archivo pasa de " + std::to_string(kCatalogueFileLimit / (1024 * 1024)) + " MiB\n";
        return nullptr;
    }
    auto catalogue = ParseCatalogue(bytes, path, failure);
    if (!catalogue) {
        return nullptr;
    }
    return std::make_shared<const Catalogue>(std::move(*catalogue));
}

std::shared_ptr<const Catalogue> CatalogueOfPath(const std::string& path, std::string& failure) {
    if (path.empty()) {
        // The built-in catalogue lives as long as the program: not owned here.
        return std::shared_ptr<const Catalogue>(std::shared_ptr<const Catalogue>(),
                                                &BuiltInCatalogue());
    }
    return LoadCatalogueFile(path, failure);
}

} // namespace dezadiravevava
