#include "files/dxf_writer.h"

#include "files/line_blocks.h"
#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "geodesy/parameter_set.h"
#include "geodesy/served_region.h"

#include <charconv>

namespace dezadiravevava {

namespace {

constexpr const char* kHeaderAndTables = "  0\nSECTION\n  2\nHEADER\n"
                                         "  9\n$ACADVER\n  1\nAC1009\n"
                                         "  9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
                                         "  9\n$EXTMIN\n 10\n0.000000\n 20\n0.000000\n 30\n0.0\n"
                                         "  9\n$EXTMAX\n 10\n1.000000\n 20\n1.000000\n 30\n0.0\n"
                                         "  0\nENDSEC\n"
                                         "  0\nSECTION\n  2\nTABLES\n"
                                         "  0\nTABLE\n  2\nLAYER\n 70\n     1\n"
                                         "  0\nLAYER\n  2\n0\n 70\n     0\n 62\n     7\n"
                                         "  6\nCONTINUOUS\n"
                                         "  0\nENDTAB\n  0\nENDSEC\n"
                                         "  0\nSECTION\n  2\nENTITIES\n";
constexpr const char* kEnd = "  0\nENDSEC\n  0\nEOF\n";

constexpr unsigned long kFirstHandle = 1000; // written 3e8

void AppendHex(std::string& out, unsigned long value) {
    char buffer[20];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    out.append(buffer, result.ptr);
}

// A block of point lines and their POINT entities.
struct EntityBlock {
    LineBlock lines;
    std::string entities;
    bool too_long = false; // a line longer than a point line: no drawing
};

} // namespace

int ConvertirTXTaDXF(const std::string& entrada, const std::string& salida, int kind,
                     ProgressSink* progress, int threads, bool region_only) {
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
    output.WriteLines(kHeaderAndTables);
    ProgressWindow window(progress, kCaptionTransforming, input.size());
    const bool writes_points = kind >= kKindGeodetic && kind <= kKindGeocentric;

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
        const auto work = [writes_points, kind, region_only](EntityBlock& block) {
            block.entities.clear();
            block.too_long = !block.lines.too_long.empty();
            if (!writes_points || block.too_long) {
                return;
            }
            ForEachLine(block.lines, [&](std::int64_t number, std::string_view text, bool) {
                const TabFields fields(text);
                const double c[3] = {ReadDecimal(fields[1]), ReadDecimal(fields[2]),
                                     ReadDecimal(fields[3])};
                // The zone of a UTM point is its field 4, as a run writes it.
                if (region_only && !IsInServedRegion(CoordTriple(c[0], c[1], c[2]), kind,
                                                     ReadDecimal(fields[4]))) {
                    return;
                }
                std::string& entity = block.entities;
                entity += "  0\r\nPOINT\r\n  5\r\n";
                AppendHex(entity, kFirstHandle + static_cast<unsigned long>(number - 2));
                entity += "\r\n  8\r\n0\r\n 10\r\n";
                AppendCFixed(entity, c[0], 6);
                entity += "\r\n 20\r\n";
                AppendCFixed(entity, c[1], 6);
                entity += "\r\n 30\r\n";
                AppendCFixed(entity, c[2], 6);
                entity += "\r\n";
            });
        };
        const LinesEnd end =
            RunLineBlocks<EntityBlock>(reader, RunThreads(threads), work, [&](EntityBlock& block) {
                output.WriteRaw(block.entities);
                return !block.too_long && output.ok();
            });
        if (end != LinesEnd::kEnd) {
            return 0; // not a drawing of every point: the target stays as it was
        }
    }
    input.Close();
    output.WriteLines(kEnd);
    // An incomplete drawing never takes the place of the target.
    return !input.failed() && output.Commit() ? 1 : 0;
}

} // namespace dezadiravevava
