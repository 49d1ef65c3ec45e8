// The line cutter of point tables and the packed sexagesimal angles.
// Properties:
//  - the fields of a line lie inside it, in order, without overlapping, each
//    one's tail after its text;
//  - a writer that puts a number in place of every field's text keeps the
//    line's fields: cut again, the line has as many fields, each one the
//    number (and its tail);
//  - a packed sexagesimal angle read is written back to the same angle,
//    within the half unit of the last decimal of its seconds.
#include "files/number_format.h"
#include "files/point_table.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace dezadiravevava;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckLine(std::string_view line, char separator) {
    std::vector<TableField> fields;
    if (!CutTableLine(line, separator, fields)) {
        return; // a quote not closed
    }
    std::size_t after = 0;
    std::string written;
    for (const TableField& field : fields) {
        Require(after <= field.begin && field.begin <= field.end);
        Require(field.end <= field.tail_begin && field.tail_begin <= field.tail_end);
        Require(field.tail_end <= line.size());
        Require(!field.quoted || (field.begin > 0 && line[field.begin - 1] == '"' &&
                                  field.end < line.size() && line[field.end] == '"'));
        written.append(line.substr(after, field.begin - after));
        written += "-1.5";
        after = field.end;
    }
    written.append(line.substr(after));
    std::vector<TableField> again;
    Require(CutTableLine(written, separator, again));
    Require(again.size() == fields.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        const std::string tail(
            line.substr(fields[i].tail_begin, fields[i].tail_end - fields[i].tail_begin));
        Require(TableFieldText(written, again[i]) == "-1.5" + tail);
    }
}

void CheckSexagesimal(std::string_view text) {
    double degrees = 0.0;
    if (ReadPackedSexagesimal(text, degrees) != SexagesimalReading::kAngle) {
        return;
    }
    Require(std::isfinite(degrees) && std::fabs(degrees) < 1000.0);
    if (std::fabs(degrees) >= 999.0) {
        return; // the carry may give a fourth digit of degrees
    }
    const std::string written = PackedSexagesimal(degrees, 5);
    double again = 0.0;
    Require(ReadPackedSexagesimal(written, again) == SexagesimalReading::kAngle);
    Require(std::fabs(again - degrees) <= 0.5e-5 / 3600 + 1e-12);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    constexpr char kSeparators[] = {'\t', ';', ',', ' '};
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckLine(line, kSeparators[data[0] % 4]);
    CheckLine(line, TableSeparatorOf(line));
    CheckSexagesimal(line.substr(0, 32));
    return 0;
}
