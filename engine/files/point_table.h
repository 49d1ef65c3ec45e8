// Tables of points as people keep them in text files: one row a line, fields
// separated by TABs, semicolons, commas or blanks, an optional header line of
// column names, numbers with a decimal point or a decimal comma. The reader
// only cuts the text into fields; what the columns mean is its caller's.
//
// Two ways in: ReadPointTable cuts a whole text (a catalogue file); the line
// functions (TableSeparatorOf, CutTableLine, TableFieldText) cut one line at
// a time for a caller that streams a file, and tell where each field lies in
// its line so that a writer can replace some fields and keep every other
// byte as it was.
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

// A field of a line: where its text lies, without the blanks around it and,
// for a quoted field, inside its quotes (which a writer keeps). What follows
// a closing quote up to the separator ("ab"c) is the field's tail.
struct TableField {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool quoted = false;
    std::size_t tail_begin = 0;
    std::size_t tail_end = 0;
};

// The separator of a table whose first non-blank line (without its end) is
// `first`, as ReadPointTable chooses it.
char TableSeparatorOf(std::string_view first);

// Cuts one line (without its end, any byte-order mark removed) into fields
// by `separator` (' ': runs of blanks). A blank line has no fields. False for
// a quote that is not closed.
bool CutTableLine(std::string_view line, char separator, std::vector<TableField>& fields);

// The text of a field of `line`: its bytes, with "" inside quotes read as one
// quote, followed by its tail.
std::string TableFieldText(std::string_view line, const TableField& field);

// Whether the first row of a table, cut into these field texts, is a header:
// none of its fields is a number.
bool IsTableHeader(const std::vector<std::string>& fields, char separator);

// Lower-case ASCII letters of a column name, for comparing names.
std::string TableColumnName(std::string_view name);

// A field as a number of a table cut by `separator`: a decimal point, or a
// decimal comma when commas do not separate fields ("-3,25"); no other
// characters. Nothing for anything else, or a value that is not finite.
std::optional<double> TableNumber(std::string_view field, char separator);

} // namespace dezadiravevava
