#include "files/dxf_writer.h"

#include "files/line_blocks.h"
#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/parameter_set.h"
#include "geodesy/served_region.h"
#include "geodesy/utm.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

namespace dezadiravevava {

namespace {

constexpr const char* kHeaderStart = "  0\nSECTION\n  2\nHEADER\n"
                                     "  9\n$ACADVER\n  1\nAC1009\n"
                                     "  9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n";
constexpr const char* kTablesStart = "  0\nENDSEC\n"
                                     "  0\nSECTION\n  2\nTABLES\n"
                                     "  0\nTABLE\n  2\nLAYER\n 70\n     ";
constexpr const char* kLayerZero = "  0\nLAYER\n  2\n0\n 70\n     0\n 62\n     7\n"
                                   "  6\nCONTINUOUS\n";
constexpr const char* kLabelLayerRow = "  0\nLAYER\n  2\nIDENTIFICADORES\n 70\n     0\n"
                                       " 62\n     3\n  6\nCONTINUOUS\n";
constexpr const char* kTablesEnd = "  0\nENDTAB\n  0\nENDSEC\n"
                                   "  0\nSECTION\n  2\nENTITIES\n";
constexpr const char* kEnd = "  0\nENDSEC\n  0\nEOF\n";

constexpr unsigned long kFirstHandle = 1000; // written 3e8

void AppendHex(std::string& out, unsigned long value) {
    char buffer[20];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    out.append(buffer, result.ptr);
}

// The corners of the points written so far.
struct Extents {
    double min[2] = {0.0, 0.0};
    double max[2] = {0.0, 0.0};
    bool any = false;

    void Add(double x, double y) {
        if (!any) {
            min[0] = max[0] = x;
            min[1] = max[1] = y;
            any = true;
            return;
        }
        min[0] = std::min(min[0], x);
        min[1] = std::min(min[1], y);
        max[0] = std::max(max[0], x);
        max[1] = std::max(max[1], y);
    }
    void Add(const Extents& other) {
        if (other.any) {
            Add(other.min[0], other.min[1]);
            Add(other.max[0], other.max[1]);
        }
    }
};

// A block of point lines and their POINT entities.
struct EntityBlock {
    LineBlock lines;
    std::string entities;
    Extents extents;
    unsigned long long zones = 0; // bit z: a point of UTM zone z (1 to 60)
    bool too_long = false;        // a line longer than a point line: no drawing
};

unsigned long long ZoneBit(double zone) {
    return zone >= 1.0 && zone <= 60.0 ? 1ULL << static_cast<int>(zone) : 0;
}

// The header's extents: 0,0 and 1,1 for a drawing without points.
void AppendHeader(std::string& out, const Extents& extents) {
    const double low[2] = {extents.any ? extents.min[0] : 0.0, extents.any ? extents.min[1] : 0.0};
    const double high[2] = {extents.any ? extents.max[0] : 1.0, extents.any ? extents.max[1] : 1.0};
    out += kHeaderStart;
    for (const auto& [name, corner] : {std::pair{"$EXTMIN", low}, std::pair{"$EXTMAX", high}}) {
        out += "  9\n";
        out += name;
        out += "\n 10\n";
        AppendCFixed(out, corner[0], 6);
        out += "\n 20\n";
        AppendCFixed(out, corner[1], 6);
        out += "\n 30\n0.0\n";
    }
}

// The label of a point: its identifier, as written, without blanks around it.
std::string_view Identifier(std::string_view field) {
    const auto first = field.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return field.substr(first, field.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::string ZoneList(unsigned long long zones) {
    std::vector<int> found;
    for (int zone = 1; zone <= 60; ++zone) {
        if ((zones >> zone) & 1ULL) {
            found.push_back(zone);
        }
    }
    std::string text;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) {
            text += i + 1 == found.size() ? " y " : ", ";
        }
        text += std::to_string(found[i]);
    }
    return text;
}

int ConvertirTXTaDXF(const std::string& entrada, const std::string& salida, int kind,
                     ProgressSink* progress, int threads, bool region_only,
                     const PointDrawing& drawing, std::string* refusal) {
    if (SameFile(entrada, salida)) {
        return 0; // the drawing would be written over the points it is made from
    }
    LineReader input(kTxtLineLimit);
    if (!input.Open(entrada)) {
        return 0;
    }
    OutputFile output;
    if (!output.Open(salida)) {
        return 0;
    }
    // The entities wait in a scratch file until the header, which encloses
    // them, is written.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> spill(std::tmpfile(), &std::fclose);
    if (!spill) {
        output.Discard();
        return 0;
    }
    ProgressWindow window(progress, kCaptionTransforming, input.size());
    const bool writes_points = kind >= kKindGeodetic && kind <= kKindGeocentric;
    const bool utm = kind == kKindUtm;
    const int chosen_zone = utm ? drawing.zone : 0;
    const Ellipsoid& ellipsoid = EllipsoidRow(drawing.datum);
    const bool labels = drawing.labels;
    // A label one unit high (about a metre in degrees), beside its point.
    const double label_height = kind == kKindGeodetic ? 1e-5 : 1.0;
    const unsigned long handles_per_point = labels ? 2 : 1;

    Extents extents;
    unsigned long long zones = 0;
    bool spilled = true;
    // The title line is dropped, however long.
    std::string line;
    bool points_follow = input.Next(line);
    while (input.too_long() && input.NextPiece(line)) {
    }
    points_follow = points_follow && input.ended_by_line_feed();
    if (points_follow) {
        // Every line after the title is a POINT, whose handle follows from
        // its line number: blocks are written on the worker threads.
        LineBlockReader reader(input, window, 2);
        const auto work = [&](EntityBlock& block) {
            block.entities.clear();
            block.extents = Extents{};
            block.zones = 0;
            block.too_long = !block.lines.too_long.empty();
            if (!writes_points || block.too_long) {
                return;
            }
            ForEachLine(block.lines, [&](std::int64_t number, std::string_view text, bool) {
                const TabFields fields(text);
                double c[3] = {ReadDecimal(fields[1]), ReadDecimal(fields[2]),
                               ReadDecimal(fields[3])};
                // The zone of a UTM point is its field 4, as a run writes it.
                const double zone = utm ? ReadDecimal(fields[4]) : 0.0;
                if (region_only && !IsInServedRegion(CoordTriple(c[0], c[1], c[2]), kind, zone)) {
                    return;
                }
                if (chosen_zone > 0 && ZoneBit(zone) != 0 && zone != chosen_zone) {
                    // Another zone: through longitude and latitude into the chosen one.
                    const GeodeticAngles angles = UtmToGeodetic(c[0], c[1], ellipsoid, zone);
                    double into = chosen_zone;
                    const PlanePoint moved =
                        GeodeticToUtm(angles.lambda, angles.phi, ellipsoid, into);
                    c[0] = moved.x;
                    c[1] = moved.y;
                }
                block.zones |= ZoneBit(zone);
                block.extents.Add(c[0], c[1]);
                const unsigned long handle =
                    kFirstHandle + static_cast<unsigned long>(number - 2) * handles_per_point;
                std::string& entity = block.entities;
                entity += "  0\r\nPOINT\r\n  5\r\n";
                AppendHex(entity, handle);
                entity += "\r\n  8\r\n0\r\n 10\r\n";
                AppendCFixed(entity, c[0], 6);
                entity += "\r\n 20\r\n";
                AppendCFixed(entity, c[1], 6);
                entity += "\r\n 30\r\n";
                AppendCFixed(entity, c[2], 6);
                entity += "\r\n";
                if (labels) {
                    entity += "  0\r\nTEXT\r\n  5\r\n";
                    AppendHex(entity, handle + 1);
                    entity += "\r\n  8\r\n";
                    entity += kLabelLayer;
                    entity += "\r\n 10\r\n";
                    AppendCFixed(entity, c[0] + label_height / 2, 6);
                    entity += "\r\n 20\r\n";
                    AppendCFixed(entity, c[1] + label_height / 2, 6);
                    entity += "\r\n 30\r\n";
                    AppendCFixed(entity, c[2], 6);
                    entity += "\r\n 40\r\n";
                    AppendCFixed(entity, label_height, 6);
                    entity += "\r\n  1\r\n";
                    entity += Identifier(fields[0]);
                    entity += "\r\n";
                }
            });
        };
        const LinesEnd end =
            RunLineBlocks<EntityBlock>(reader, RunThreads(threads), work, [&](EntityBlock& block) {
                spilled = spilled && std::fwrite(block.entities.data(), 1, block.entities.size(),
                                                 spill.get()) == block.entities.size();
                extents.Add(block.extents);
                zones |= block.zones;
                return !block.too_long && spilled;
            });
        if (end != LinesEnd::kEnd) {
            output.Discard();
            return 0; // not a drawing of every point: the target stays as it was
        }
    }
    input.Close();
    // One zone per drawing: the points of several zones go into the chosen
    // one, and without a choice there is no drawing.
    const unsigned long long others = chosen_zone > 0 ? zones & ~ZoneBit(chosen_zone) : 0;
    const bool several = chosen_zone == 0 && (zones & (zones - 1)) != 0;
    if (several || (others != 0 && drawing.datum != kDatumEd50 && drawing.datum != kDatumEtrs89)) {
        if (refusal != nullptr) {
            *refusal = several ? "el archivo tiene puntos de los husos " + ZoneList(zones) +
                                     "; un dibujo es de un solo huso"
                               : "el archivo tiene puntos del huso " + ZoneList(others) +
                                     ": hace falta el datum de los puntos para pasarlos al huso " +
                                     std::to_string(chosen_zone);
        }
        output.Discard();
        return 0;
    }
    std::string head;
    AppendHeader(head, extents);
    head += kTablesStart;
    head += labels ? "2\n" : "1\n";
    head += kLayerZero;
    if (labels) {
        head += kLabelLayerRow;
    }
    head += kTablesEnd;
    output.WriteLines(head);
    std::rewind(spill.get());
    char buffer[1 << 16];
    for (std::size_t n; spilled && (n = std::fread(buffer, 1, sizeof buffer, spill.get())) > 0;) {
        output.WriteRaw(std::string_view(buffer, n));
    }
    spilled = spilled && std::ferror(spill.get()) == 0;
    output.WriteLines(kEnd);
    // An incomplete drawing never takes the place of the target.
    if (input.failed() || !spilled) {
        output.Discard();
        return 0;
    }
    return output.Commit() ? 1 : 0;
}

} // namespace dezadiravevava
