#include "files/point_table.h"

#include "files/number_format.h"
#include "files/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace dezadiravevava {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

} // namespace

bool CutTableLine(std::string_view line, char separator, std::vector<TableField>& fields) {
    fields.clear();
    std::size_t i = 0;
    const auto skip_blanks = [&] {
        // Blanks around fields go, except a TAB that separates them.
        while (i < line.size() && IsBlank(line[i]) && line[i] != separator) {
            ++i;
        }
    };
    const auto ends_field = [&](char c) {
        return c == separator || (separator == ' ' && IsBlank(c));
    };
    // Blanks before the first field go, whatever the separator.
    while (i < line.size() && IsBlank(line[i]) && (line[i] != separator || separator == ' ')) {
        ++i;
    }
    if (i == line.size()) {
        return true; // a blank line has no fields
    }
    while (true) {
        TableField field;
        skip_blanks();
        if (i < line.size() && line[i] == '"') {
            field.quoted = true;
            field.begin = ++i;
            while (true) {
                if (i >= line.size()) {
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    field.end = i++;
                    break;
                }
                ++i;
            }
            skip_blanks();
            // Whatever follows the closing quote up to the separator is kept.
            field.tail_begin = i;
            while (i < line.size() && !ends_field(line[i])) {
                ++i;
            }
            field.tail_end = i;
        } else {
            field.begin = i;
            while (i < line.size() && !ends_field(line[i])) {
                ++i;
            }
            field.end = i;
            while (field.end > field.begin && IsBlank(line[field.end - 1])) {
                --field.end;
            }
            field.tail_begin = field.tail_end = field.end;
        }
        fields.push_back(field);
        if (separator == ' ') {
            while (i < line.size() && IsBlank(line[i])) {
                ++i;
            }
            if (i == line.size()) {
                return true;
            }
        } else {
            if (i == line.size()) {
                return true;
            }
            ++i; // the separator
        }
    }
}

std::string TableFieldText(std::string_view line, const TableField& field) {
    const std::string_view text = line.substr(field.begin, field.end - field.begin);
    std::string value;
    if (!field.quoted) {
        value = text;
        return value;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        value += text[i];
        if (text[i] == '"') {
            ++i; // "" stands for one quote
        }
    }
    value += line.substr(field.tail_begin, field.tail_end - field.tail_begin);
    return value;
}

char TableSeparatorOf(std::string_view first) {
    if (first.find('\t') != std::string_view::npos) {
        return '\t';
    }
    if (first.find(';') != std::string_view::npos) {
        return ';';
    }
    std::vector<TableField> by_comma, by_blanks;
    if (first.find(',') != std::string_view::npos && CutTableLine(first, ',', by_comma) &&
        CutTableLine(first, ' ', by_blanks) && by_comma.size() > by_blanks.size()) {
        return ',';
    }
    return ' ';
}

bool IsTableHeader(const std::vector<std::string>& fields, char separator) {
    return std::none_of(fields.begin(), fields.end(), [&](const std::string& field) {
        return TableNumber(field, separator).has_value();
    });
}

std::string TableColumnName(std::string_view name) {
    return LowerAscii(Trimmed(name));
}

std::optional<double> TableNumber(std::string_view field, char separator) {
    std::string text(Trimmed(field));
    if (separator != ',' && text.find('.') == std::string::npos) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    if (text.empty() || text.front() == ' ') {
        return std::nullopt;
    }
    const std::size_t length = DecimalPrefixLength(text);
    if (length == 0 || length != text.size()) {
        return std::nullopt;
    }
    const double value = ReadDecimal(text);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<PointTable> ReadPointTable(std::string_view text, std::string& failure) {
    std::string cp1252;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    if (IsValidUtf8(text)) {
        cp1252 = Utf8ToCp1252(text);
        text = cp1252;
    }
    PointTable table;
    bool first = true;
    std::size_t line_number = 0;
    std::vector<TableField> spans;
    std::vector<std::string> fields;
    while (!text.empty()) {
        ++line_number;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > kTableLineLimit) {
            failure = "línea " + std::to_string(line_number) + ": más de " +
                      std::to_string(kTableLineLimit) + " caracteres";
            return std::nullopt;
        }
        if (Trimmed(line).empty()) {
            continue;
        }
        if (first) {
            table.separator = TableSeparatorOf(line);
        }
        if (!CutTableLine(line, table.separator, spans)) {
            failure = "línea " + std::to_string(line_number) + ": comillas sin cerrar";
            return std::nullopt;
        }
        fields.clear();
        for (const TableField& span : spans) {
            fields.push_back(TableFieldText(line, span));
        }
        if (first) {
            first = false;
            if (IsTableHeader(fields, table.separator)) {
                for (const std::string& name : fields) {
                    table.header.push_back(LowerAscii(name));
                }
                continue;
            }
        }
        table.rows.push_back({line_number, fields});
    }
    return table;
}

} // namespace dezadiravevava
