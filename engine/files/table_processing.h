// Point tables as spreadsheets and GIS programs export them (see
// point_table.h): every point of a table transformed, the table written again
// with only its coordinate fields replaced, and the centroid of a table's
// points for the default origin of a local fit.
#pragma once

#include "files/execution_log.h"
#include "files/file_run.h"
#include "files/progress.h"
#include "files/txt_processing.h"
#include "geodesy/vertex_search.h"

#include <string>
#include <vector>

namespace dezadiravevava {

// How a table is read.
struct TableOptions {
    // '\t', ';', ',' or ' ' (runs of blanks); 0: found from the first
    // non-blank line (TableSeparatorOf).
    char separator = 0;
    // The columns of the identifier, the first, second and third coordinate
    // and the zone, in that order: header names (any case) or 1-based
    // numbers; an empty entry (or a missing one after the second coordinate)
    // is a column the table lacks. Empty: the first header column of each
    // usual name (x, este, lon...; docs/tables.md) when the header names the
    // first and second coordinates; else by position in the first data row:
    // its first field, when it is no number, is the identifier, the next two
    // the first and second coordinates, and the one after them the third when
    // it is a number.
    std::vector<std::string> columns;
    // The first two coordinates of geodetic sides are packed sexagesimal
    // degrees (gg.mmssss), read and written so.
    bool sexagesimal = false;
};

// Transforms the points of a table run.entrada into run.salida, as
// ProcesarTXT does a TXT file: same log, same rejected lines ("Línea N
// rechazada: ..."), which are left out of the output. Every other byte of the
// table is kept: the header, blank lines, other columns, quotes, blanks,
// encoding and each line's end. Returns 1 on success, 0 on failure.
int ProcesarTabla(const std::string& log_path, const RunArguments& run, const TableOptions& table,
                  ProgressSink* progress, RunOutcome* outcome = nullptr,
                  FoundVertexList* found = nullptr);

// CentroideTXT for a table (read on the calling thread).
int CentroideTabla(const std::string& entrada, const TableOptions& table, int datum, int kind,
                   double zone, CentroidResult& result, ProgressSink* progress,
                   bool region_only = false);

} // namespace dezadiravevava
