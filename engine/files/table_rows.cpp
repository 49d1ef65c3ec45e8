#include "files/table_rows.h"

#include "files/number_format.h"
#include "files/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace dezadiravevava {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kQuotedLength = 40;

// The usual names of each column in tables from Spanish and English sources,
// as TableColumnName gives them.
constexpr std::array<std::string_view, 5> kIdNames = {"id", "nombre", "numero", "punto", "name"};
constexpr std::array<std::string_view, 7> kFirstNames = {"x",        "este",      "easting", "lon",
                                                         "longitud", "longitude", "e"};
constexpr std::array<std::string_view, 7> kSecondNames = {"y",       "norte",    "northing", "lat",
                                                          "latitud", "latitude", "n"};
constexpr std::array<std::string_view, 5> kThirdNames = {"z", "h", "cota", "altura", "altitud"};
constexpr std::array<std::string_view, 3> kZoneNames = {"huso", "zona", "zone"};

// A field as the log quotes it: at most 40 bytes, control characters as '?',
// read as UTF-8 when it is, else as Windows-1252.
std::string Quoted(std::string_view field) {
    const bool utf8 = IsValidUtf8(field);
    std::size_t length = std::min(field.size(), kQuotedLength);
    while (utf8 && length < field.size() &&
           (static_cast<unsigned char>(field[length]) & 0xC0) == 0x80) {
        --length; // not within a character
    }
    std::string text;
    for (const char c : field.substr(0, length)) {
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    if (!utf8) {
        text = Cp1252ToUtf8(text);
    }
    if (field.size() > kQuotedLength) {
        text += "...";
    }
    return " (\"" + text + "\")";
}

bool IsZoneNumber(double zone) {
    return zone >= 1.0 && zone <= 60.0 && zone == std::floor(zone);
}

// A number of a field of `line`; a quoted field may have a decimal comma in
// a table cut by commas.
std::optional<double> FieldNumber(std::string_view line, const TableField& field, char separator) {
    return TableNumber(TableFieldText(line, field), field.quoted ? ';' : separator);
}

// A line without fields, or whose fields are all empty (";;;").
bool IsEmptyRow(const std::vector<TableField>& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const TableField& field) {
        return !field.quoted && field.begin == field.end;
    });
}

void Reject(TableRowReading& row, std::string reason) {
    row.kind = TableRowReading::Kind::kRejected;
    row.reason = std::move(reason);
}

// A coordinate as a field gets it: the decimals TXT files have for the kind
// (packed sexagesimal with 5 decimals in the seconds for the first two of a
// sexagesimal table), with a decimal comma when `comma`.
std::string CoordinateText(const TableShape& shape, std::size_t i, double value, bool comma) {
    std::string text;
    if (shape.sexagesimal_out && i < 2) {
        text = PackedSexagesimal(value, 5);
    } else {
        text = FixedPoint(value, shape.kind_out == kKindGeodetic ? 12 : 3);
    }
    if (comma) {
        std::replace(text.begin(), text.end(), '.', ',');
    }
    return text;
}

// Whether a number replacing the field is written with a decimal comma: the
// field's own mark, else the table's.
bool WantsComma(const TableShape& shape, std::string_view line, const TableField& field) {
    if (shape.separator == ',' && !field.quoted) {
        return false; // a comma there would cut the field in two
    }
    const std::string_view text = line.substr(field.begin, field.end - field.begin);
    if (text.find(',') != std::string_view::npos) {
        return true;
    }
    if (text.find('.') != std::string_view::npos) {
        return false;
    }
    return shape.comma;
}

// The column of a --columnas entry: a 1-based number, or a name of the
// header; -1 for an empty entry. Nothing, with `failure` set, when the
// table has no such column.
std::optional<int> ColumnOf(const std::string& entry, const std::vector<std::string>& header,
                            std::string& failure) {
    if (entry.empty()) {
        return -1;
    }
    if (std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const long number = entry.size() <= 4 ? std::stol(entry) : 0;
        if (number < 1) {
            failure = "Columna no válida: " + entry + "\n";
            return std::nullopt;
        }
        return static_cast<int>(number - 1);
    }
    if (header.empty()) {
        failure =
            "La tabla no tiene cabecera: la columna " + entry + " ha de darse por su número\n";
        return std::nullopt;
    }
    const std::string name = TableColumnName(entry);
    const auto found = std::find(header.begin(), header.end(), name);
    if (found == header.end()) {
        failure = "La cabecera de la tabla no tiene la columna " + entry + "\n";
        return std::nullopt;
    }
    return static_cast<int>(found - header.begin());
}

template <std::size_t N>
int FindColumn(const std::vector<std::string>& header,
               const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (std::find(names.begin(), names.end(), header[i]) != names.end()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

bool StartTable(LineReader& input, const TableOptions& options, const RunArguments& run,
                TableStart& start) {
    TableShape& shape = start.shape;
    shape.kind_in = run.pa;
    shape.kind_out = run.pb;
    shape.zone_in = run.h_entrada < 1.0 ? 0.0 : run.h_entrada;
    shape.zone_out = run.h_salida < 1.0 ? 0.0 : run.h_salida;
    shape.check_zone = run.pa == kKindUtm && shape.zone_in >= 1.0;
    shape.sexagesimal_in = options.sexagesimal && run.pa == kKindGeodetic;
    shape.sexagesimal_out = options.sexagesimal && run.pb == kKindGeodetic;
    shape.append_uncertainty = run.uncertainty_column;

    std::string content, raw;
    std::vector<TableField> fields;
    std::vector<std::string> header;
    bool first = true;     // no non-blank line yet
    bool resolved = false; // columns known
    const auto fail = [&](std::string failure) {
        start.failure = std::move(failure);
        return false;
    };
    for (;; ++start.next_line) {
        if (!input.Next(content, &raw)) {
            return true; // no data row
        }
        const std::int64_t line_number = start.next_line;
        std::string_view line(content);
        std::string_view bytes(raw);
        if (line_number == 1 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            start.before += kByteOrderMark;
            line.remove_prefix(kByteOrderMark.size());
            bytes.remove_prefix(kByteOrderMark.size());
        }
        if (input.too_long()) {
            return fail("Línea " + std::to_string(line_number) + ": más de " +
                        std::to_string(kTableLineLimit) + " caracteres\n");
        }
        const std::string_view end = bytes.substr(line.size());
        if (first) {
            if (line.find_first_not_of(" \t") == std::string_view::npos) {
                start.before.append(bytes);
                continue;
            }
            shape.separator = options.separator != 0 ? options.separator : TableSeparatorOf(line);
        }
        if (!CutTableLine(line, shape.separator, fields)) {
            return fail("Línea " + std::to_string(line_number) + ": comillas sin cerrar\n");
        }
        if (IsEmptyRow(fields)) {
            start.before.append(bytes);
            continue;
        }
        std::vector<std::string> texts;
        for (const TableField& field : fields) {
            texts.push_back(TableFieldText(line, field));
        }
        if (first) {
            first = false;
            if (IsTableHeader(texts, shape.separator)) {
                // Names compared as UTF-8, the encoding of --columnas.
                for (const std::string& text : texts) {
                    header.push_back(
                        TableColumnName(IsValidUtf8(text) ? text : Cp1252ToUtf8(text)));
                }
            }
            if (!options.columns.empty()) {
                std::array<int, 5> columns{-1, -1, -1, -1, -1};
                for (std::size_t i = 0; i < options.columns.size() && i < 5; ++i) {
                    std::string failure;
                    const auto column = ColumnOf(options.columns[i], header, failure);
                    if (!column) {
                        return fail(failure);
                    }
                    columns[i] = *column;
                }
                shape.id = columns[0];
                shape.coords = {columns[1], columns[2], columns[3]};
                shape.zone = columns[4];
                resolved = true;
            } else if (!header.empty()) {
                const int c1 = FindColumn(header, kFirstNames);
                const int c2 = FindColumn(header, kSecondNames);
                if (c1 >= 0 && c2 >= 0) {
                    shape.id = FindColumn(header, kIdNames);
                    shape.coords = {c1, c2, FindColumn(header, kThirdNames)};
                    shape.zone = FindColumn(header, kZoneNames);
                    resolved = true;
                }
            }
            shape.append_zone =
                run.pb == kKindUtm && shape.zone_out == 0.0 && shape.zone < 0 && resolved;
            if (!header.empty()) {
                // The header is kept, with the names of the columns added.
                start.before.append(line);
                if (run.pb == kKindUtm && shape.zone_out == 0.0 && shape.zone < 0) {
                    start.before += shape.separator;
                    start.before += "huso";
                }
                if (shape.append_uncertainty) {
                    start.before += shape.separator;
                    start.before += "incertidumbre";
                }
                start.before.append(end);
                continue;
            }
        }
        if (!resolved) {
            // By position: a first field that is no number is the identifier;
            // then the first and second coordinate, and a third when the
            // field after them is a number.
            const int offset = TableNumber(texts[0], shape.separator) ? 0 : 1;
            shape.id = offset == 1 ? 0 : -1;
            const auto third = static_cast<std::size_t>(offset + 2);
            const bool three =
                third < fields.size() && FieldNumber(line, fields[third], shape.separator);
            shape.coords = {offset, offset + 1, three ? offset + 2 : -1};
            shape.append_zone = run.pb == kKindUtm && shape.zone_out == 0.0;
        }
        // Fields without a decimal mark get the one of the first row's
        // coordinates.
        for (const int column : shape.coords) {
            const auto c = static_cast<std::size_t>(column);
            if (column >= 0 && c < fields.size() && (shape.separator != ',' || fields[c].quoted) &&
                texts[c].find(',') != std::string::npos) {
                shape.comma = true;
            }
        }
        if (shape.coords[0] < 0 || shape.coords[1] < 0) {
            return fail("Faltan las columnas de las coordenadas\n");
        }
        if (shape.coords[2] < 0 && (run.pa == kKindGeocentric || run.pb == kKindGeocentric)) {
            return fail("La tabla no tiene tercera coordenada: las coordenadas geocéntricas "
                        "necesitan X, Y y Z\n");
        }
        start.has_row = true;
        start.row_line = line_number;
        start.row.assign(line);
        start.row_end.assign(end);
        ++start.next_line;
        return true;
    }
}

void ReadTableRow(const TableShape& shape, std::string_view line, bool too_long,
                  TableRowReading& row) {
    row.kind = TableRowReading::Kind::kBlank;
    row.reason.clear();
    if (too_long) {
        Reject(row, "línea de más de " + std::to_string(kTableLineLimit) + " caracteres");
        return;
    }
    if (!CutTableLine(line, shape.separator, row.fields)) {
        Reject(row, "comillas sin cerrar");
        return;
    }
    if (IsEmptyRow(row.fields)) {
        return; // a blank line, or one of empty fields: kept as it is
    }
    double values[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < 3; ++i) {
        const int column = shape.coords[i];
        if (column < 0) {
            continue;
        }
        const std::string which = "coordenada " + std::to_string(i + 1);
        const auto c = static_cast<std::size_t>(column);
        if (c >= row.fields.size() || row.fields[c].begin == row.fields[c].end) {
            Reject(row, "falta la " + which);
            return;
        }
        const std::string text = TableFieldText(line, row.fields[c]);
        if (shape.sexagesimal_in && i < 2) {
            std::string packed = text;
            std::replace(packed.begin(), packed.end(), ',', '.');
            switch (ReadPackedSexagesimal(packed, values[i])) {
            case SexagesimalReading::kAngle:
                continue;
            case SexagesimalReading::kMinutesOver59:
                Reject(row, which + " con minutos de 60 o más" + Quoted(text));
                return;
            case SexagesimalReading::kSecondsOver59:
                Reject(row, which + " con segundos de 60 o más" + Quoted(text));
                return;
            case SexagesimalReading::kNotANumber:
                Reject(row, which + " no es un ángulo gg.mmssss" + Quoted(text));
                return;
            }
        }
        const auto value = FieldNumber(line, row.fields[c], shape.separator);
        if (!value) {
            Reject(row, which + " no numérica" + Quoted(text));
            return;
        }
        values[i] = *value;
    }
    row.coords = CoordTriple(values[0], values[1], values[2]);
    const bool zone_needed = shape.kind_in == kKindUtm && shape.zone_in < 1.0;
    if (zone_needed || shape.check_zone) {
        const auto c = static_cast<std::size_t>(shape.zone);
        const bool present =
            shape.zone >= 0 && c < row.fields.size() && row.fields[c].begin != row.fields[c].end;
        if (!present) {
            if (zone_needed) {
                Reject(row, "falta el huso");
                return;
            }
        } else {
            // As in TXT files, a zone field that names no zone is no
            // objection to the zone of the whole input.
            const auto zone = FieldNumber(line, row.fields[c], shape.separator);
            const bool valid = zone && IsZoneNumber(*zone);
            if (zone_needed && !valid) {
                Reject(row, "huso no válido" + Quoted(TableFieldText(line, row.fields[c])));
                return;
            }
            if (!zone_needed && valid && *zone != shape.zone_in) {
                Reject(row, "el huso del punto (" + std::to_string(static_cast<int>(*zone)) +
                                ") no es el de la entrada (" +
                                std::to_string(static_cast<int>(shape.zone_in)) + ")");
                return;
            }
            row.zone = valid ? *zone : 0.0;
        }
    }
    if (!zone_needed) {
        row.zone = shape.zone_in;
    }
    row.kind = TableRowReading::Kind::kPoint;
}

void WriteRow(const TableShape& shape, std::string_view line, const TableRowReading& row,
              const CoordTriple& point, double zone, double uncertainty, std::string_view end,
              std::string& out) {
    std::array<std::pair<const TableField*, std::string>, 4> replaced;
    std::size_t count = 0;
    const double values[3] = {point.c1, point.c2, point.c3};
    for (std::size_t i = 0; i < 3; ++i) {
        if (shape.coords[i] >= 0) {
            const TableField& field = row.fields[static_cast<std::size_t>(shape.coords[i])];
            replaced[count++] = {
                &field, CoordinateText(shape, i, values[i], WantsComma(shape, line, field))};
        }
    }
    std::string zone_text;
    if (shape.kind_out == kKindUtm) {
        zone_text = std::to_string(static_cast<int>(zone));
    }
    if (shape.zone >= 0 && static_cast<std::size_t>(shape.zone) < row.fields.size()) {
        replaced[count++] = {&row.fields[static_cast<std::size_t>(shape.zone)], zone_text};
    }
    // At most four fields: sorted in place by their place in the line.
    for (std::size_t i = 1; i < count; ++i) {
        for (std::size_t j = i; j > 0 && replaced[j].first->begin < replaced[j - 1].first->begin;
             --j) {
            std::swap(replaced[j], replaced[j - 1]);
        }
    }
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const TableField& field = *replaced[i].first;
        out.append(line.substr(at, field.begin - at));
        out += replaced[i].second;
        at = field.end;
    }
    out.append(line.substr(at));
    if (shape.append_zone) {
        out += shape.separator;
        out += zone_text;
    }
    if (shape.append_uncertainty) {
        // Metres with 3 decimals, or "nan" for a set that knows none.
        out += shape.separator;
        std::string metres = uncertainty >= 0.0 ? FixedPoint(uncertainty, 3) : "nan";
        if (shape.comma && shape.separator != ',') {
            std::replace(metres.begin(), metres.end(), '.', ',');
        }
        out += metres;
    }
    out.append(end);
}

} // namespace dezadiravevava
