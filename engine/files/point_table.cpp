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

// Fields of one line cut by `separator` (' ': runs of blanks). False for a
// quote that is not closed.
bool CutLine(std::string_view line, char separator, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t i = 0;
    const auto skip_blanks = [&] {
        // Blanks around fields go, except a TAB that separates them.
        while (i < line.size() && IsBlank(line[i]) && line[i] != separator) {
            ++i;
        }
    };
    skip_blanks();
    if (i == line.size()) {
        return true; // a blank line has no fields
    }
    while (true) {
        std::string field;
        skip_blanks();
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size()) {
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            skip_blanks();
            // Whatever follows the closing quote up to the separator is kept.
            while (i < line.size() && line[i] != separator &&
                   !(separator == ' ' && IsBlank(line[i]))) {
                field += line[i++];
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != separator &&
                   !(separator == ' ' && IsBlank(line[i]))) {
                ++i;
            }
            field = Trimmed(line.substr(start, i - start));
        }
        fields.push_back(std::move(field));
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

char SeparatorOf(std::string_view first) {
    if (first.find('\t') != std::string_view::npos) {
        return '\t';
    }
    if (first.find(';') != std::string_view::npos) {
        return ';';
    }
    std::vector<std::string> by_comma, by_blanks;
    if (first.find(',') != std::string_view::npos && CutLine(first, ',', by_comma) &&
        CutLine(first, ' ', by_blanks) && by_comma.size() > by_blanks.size()) {
        return ',';
    }
    return ' ';
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

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
            table.separator = SeparatorOf(line);
        }
        if (!CutLine(line, table.separator, fields)) {
            failure = "línea " + std::to_string(line_number) + ": comillas sin cerrar";
            return std::nullopt;
        }
        if (first) {
            first = false;
            const bool header = std::none_of(fields.begin(), fields.end(), [&](const auto& f) {
                return TableNumber(f, table.separator).has_value();
            });
            if (header) {
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
