#include "files/dxf_moves.h"

#include "files/number_format.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava::drawing {

// A coordinate value: a complete decimal number, blanks around allowed.
std::string_view ReadCoordinate(std::string_view text, double& value) {
    const auto blanks_only = [](std::string_view rest) {
        return rest.find_first_not_of(" \t") == std::string_view::npos;
    };
    const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
    double plain = 0.0;
    if (const std::size_t read = ReadPlainDecimal(text.substr(start), plain); read > 0) {
        if (!blanks_only(text.substr(start + read))) {
            return kNotANumber; // "235171,041", "12abc"
        }
        value = plain;
        return {};
    }
    std::size_t length = DecimalPrefixLength(text);
    if (length == 0) {
        return kNotANumber;
    }
    for (std::size_t i = length; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t') {
            return kNotANumber; // "235171,041", "12abc"
        }
    }
    value = ReadDecimal(text.substr(0, length));
    return std::isfinite(value) ? std::string_view() : kNotFinite;
}

bool IsWritable(double value) {
    return std::isfinite(value) && std::fabs(value) <= kLargestCoordinate;
}

// A name from the drawing, fit for the log: printable ASCII, bounded.
std::string LogName(std::string_view name) {
    std::string out;
    for (const char c : name.substr(0, kLongestName)) {
        out += c > ' ' && c < 127 ? c : '?';
    }
    return out;
}

} // namespace dezadiravevava::drawing
