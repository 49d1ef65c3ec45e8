// Tables of points as people keep them in text files: one row a line, fields
// separated by TABs, semicolons, commas or blanks, an optional header line of
// column names, numbers with a decimal point or a decimal comma. The reader
// only cuts the text into fields; what the columns mean is its caller's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

// The longest line a table may have, in bytes without its end.
inline constexpr std::size_t kTableLineLimit = 4096;

struct TableRow {
    std::size_t line = 0; // 1-based line of the text
    std::vector<std::string> fields;
};

struct PointTable {
    // The column names of a header line (its fields, lower case ASCII
    // letters), or empty when the first row is data.
    std::vector<std::string> header;
    std::vector<TableRow> rows;
    // '\t', ';', ',' or ' ' (runs of blanks).
    char separator = '\t';
};

// Cuts `text` into rows of fields (Windows-1252):
// - encoding: UTF-8, with or without a byte-order mark, when the text is valid
//   UTF-8; else Windows-1252 as it stands;
// - lines end in LF or CR LF; blank lines are skipped (and counted);
// - the separator is the first of TAB, ';' found in the first row; else ','
//   when it cuts that row into more fields than blanks do; else blanks;
// - a field may be quoted ("LA NAVA"; "" stands for a quote), to hold the
//   separator; blanks around a field are dropped;
// - the first row is a header when none of its fields is a number.
// Nothing, with `failure` set ("línea 12: más de 4096 caracteres"), for a line
// longer than kTableLineLimit or a quote that is not closed.
std::optional<PointTable> ReadPointTable(std::string_view text, std::string& failure);

// A field as a number of a table cut by `separator`: a decimal point, or a
// decimal comma when commas do not separate fields ("-3,25"); no other
// characters. Nothing for anything else, or a value that is not finite.
std::optional<double> TableNumber(std::string_view field, char separator);

} // namespace dezadiravevava
