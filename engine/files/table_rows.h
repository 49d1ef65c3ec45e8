// One row of a point table at a time (the cutting of lines into fields is
// point_table.h's): where the coordinates of a table lie, found from its
// header, the columns the user names or its first data row; a row read into a
// point or the reason it is rejected; and a row written again with only its
// coordinate fields (and zone) replaced, every other byte as it was.
#pragma once

#include "files/execution_log.h"
#include "files/line_reader.h"
#include "files/point_table.h"
#include "files/table_processing.h"
#include "geodesy/coord_triple.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

// Where the values of a table are and how its rows are read and written.
struct TableShape {
    char separator = '\t';
    int id = -1;                           // column of the identifier (only kept), -1: none
    std::array<int, 3> coords{-1, -1, -1}; // columns of c1, c2, c3; c3 -1: a 2D table
    int zone = -1;                         // column of the zone, -1: none
    bool comma = false;              // the decimal mark of numbers written into fields without one
    bool sexagesimal_in = false;     // c1, c2 read as packed sexagesimal degrees
    bool sexagesimal_out = false;    // and written so
    bool append_zone = false;        // each output row gets its zone in a last column
    bool append_uncertainty = false; // and then its 95 % horizontal uncertainty
    int kind_in = 0;
    int kind_out = 0;
    double zone_in = 0.0;    // 0: each row's own
    double zone_out = 0.0;   // 0: each point's natural zone
    bool check_zone = false; // a row naming another zone than zone_in is rejected
};

// One row of a table read.
struct TableRowReading {
    enum class Kind { kBlank, kPoint, kRejected };
    Kind kind = Kind::kBlank;
    CoordTriple coords;
    double zone = 0.0;
    std::string reason; // UTF-8
    std::vector<TableField> fields;
};

// The start of a table: what comes before its first data row, and the shape.
struct TableStart {
    TableShape shape;
    std::string before;   // output bytes before the first data row
    bool has_row = false; // the first data row was read:
    std::int64_t row_line = 0;
    std::string row;     // its content (no byte-order mark)
    std::string row_end; // its line end
    std::int64_t next_line = 1;
    std::string failure; // a log line, when the table cannot be read
};

// Reads a table up to its first data row (included) and finds its shape:
// separator, header, columns (see ProcesarTabla). False, with
// `start.failure` set, when the table cannot be read.
bool StartTable(LineReader& input, const TableOptions& options, const RunArguments& run,
                TableStart& start);

// Reads a row (a line without its end) as the shape says; `too_long`: the
// line was longer than a table line may be, and only its start is given.
void ReadTableRow(const TableShape& shape, std::string_view line, bool too_long,
                  TableRowReading& row);

// Appends to `out` the row `line` with its coordinate fields (and zone)
// replaced, every other byte as it was, the zone and uncertainty columns
// when the shape adds them, and `end`, the line's own end.
void WriteRow(const TableShape& shape, std::string_view line, const TableRowReading& row,
              const CoordTriple& point, double zone, double uncertainty, std::string_view end,
              std::string& out);

} // namespace dezadiravevava
