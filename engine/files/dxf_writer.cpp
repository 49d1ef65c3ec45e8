#include "files/dxf_writer.h"

#include "files/line_reader.h"
#include "files/number_format.h"
#include "files/output_file.h"
#include "geodesy/parameter_set.h"

#include <cstdio>

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
    const int length = std::snprintf(buffer, sizeof buffer, "%lx", value);
    out.append(buffer, static_cast<std::size_t>(length));
}

} // namespace

int ConvertirTXTaDXF(const std::string& entrada, const std::string& salida, int kind,
                     ProgressSink* progress) {
    LineReader input;
    if (!input.Open(entrada)) {
        return 0;
    }
    OutputFile output;
    if (!output.Open(salida, OutputFile::Mode::kTruncate)) {
        return 0;
    }
    output.WriteLines(kHeaderAndTables);
    unsigned long handle = kFirstHandle;
    ProgressWindow window(progress, kCaptionTransforming, input.size());
    const bool writes_points = kind >= kKindGeodetic && kind <= kKindGeocentric;

    std::string line;
    std::string entity;
    if (input.Next(line) && input.ended_by_line_feed()) { // the title line is dropped
        while (input.Next(line)) {
            window.Step(input.position());
            if (window.Cancelled()) {
                output.Close();
                RemoveIncompleteFile(salida);
                return 0;
            }
            if (!writes_points) {
                continue;
            }
            const TabFields fields(line);
            entity.clear();
            entity += "  0\r\nPOINT\r\n  5\r\n";
            AppendHex(entity, handle++);
            entity += "\r\n  8\r\n0\r\n 10\r\n";
            AppendCFixed(entity, ReadDecimal(fields[1]), 6);
            entity += "\r\n 20\r\n";
            AppendCFixed(entity, ReadDecimal(fields[2]), 6);
            entity += "\r\n 30\r\n";
            AppendCFixed(entity, ReadDecimal(fields[3]), 6);
            entity += "\r\n";
            output.WriteRaw(entity);
        }
    }
    input.Close();
    output.WriteLines(kEnd);
    if (input.failed() || !output.Close()) {
        // An incomplete drawing must not pass for a finished one.
        RemoveIncompleteFile(salida);
        return 0;
    }
    return 1;
}

} // namespace dezadiravevava
