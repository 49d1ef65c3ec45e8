// The number readers and writers of the engine's files. Properties:
//  - the strict readers accept exactly what reads as one number (compared
//    with the C library's strtod) and point numbers written back unchanged;
//  - the fixed-point writer writes what reads back within half a unit of
//    its last decimal, or INF / NAN;
//  - the C formats are those of the C library, byte for byte.
#include "files/number_format.h"
#include "scratch.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace dezadiravevava;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks around the text, and CRs after it.
std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

void CheckReaders(std::string_view field) {
    const std::string text(Trim(field));
    double value = 0.0;
    const FieldReading reading = ReadWholeDecimal(field, value);
    FUZZ_CHECK(reading != FieldReading::kMissing || text.empty());
    if (reading == FieldReading::kNumber) {
        FUZZ_CHECK(std::isfinite(value));
        // strtod reads the same text to the same double (it also takes
        // forms the strict reader refuses, such as hexadecimal).
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        FUZZ_CHECK(end == text.c_str() + text.size());
        // Below the normal range the reader may round to 0: no coordinate
        // lives there.
        FUZZ_CHECK(value == expected || (std::fabs(expected) < DBL_MIN && value == 0.0));
        FUZZ_CHECK(ReadDecimal(field) == value);
    }
    if (reading == FieldReading::kNotFinite) {
        // Infinite or not a number for strtod too, never a tiny value.
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        FUZZ_CHECK(end != text.c_str() + text.size() || !std::isfinite(expected));
    }
    std::int64_t number = 0;
    if (ReadWholePointNumber(field, number) == PointNumberReading::kNumber) {
        FUZZ_CHECK(number > 0);
        std::string_view digits = text;
        if (digits.front() == '+') {
            digits.remove_prefix(1);
        }
        while (digits.size() > 1 && digits.front() == '0') {
            digits.remove_prefix(1);
        }
        char written[kPointNumberLength];
        FUZZ_CHECK(std::string_view(written, WriteInteger(written, number)) == digits);
    }
    FUZZ_CHECK(DecimalPrefixLength(field) <= field.size());
}

void CheckWriters(double value, int decimals) {
    const std::string fixed = FixedPoint(value, decimals);
    if (std::isnan(value)) {
        FUZZ_CHECK(fixed == "NAN");
    } else if (std::fabs(value) > 100000000.0) {
        FUZZ_CHECK(fixed == (value < 0 ? "-INF" : "INF"));
    } else {
        const std::size_t point = fixed.find('.');
        FUZZ_CHECK(point != std::string::npos);
        FUZZ_CHECK(fixed.size() - point - 1 == static_cast<std::size_t>(decimals));
        double back = 0.0;
        FUZZ_CHECK(ReadWholeDecimal(fixed, back) == FieldReading::kNumber);
        // Half a unit of the last decimal, and the rounding of the addition
        // that the writer makes (a few units of the value's last place).
        const double half_unit = 0.5 * std::pow(10.0, -decimals);
        FUZZ_CHECK(std::fabs(back - value) <=
                   half_unit * (1 + 1e-9) +
                       8 * std::ldexp(1.0, -44) * std::max(1.0, std::fabs(value)));
    }
    if (std::isfinite(value)) {
        char expected[512];
        std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
        FUZZ_CHECK(CFixed(value, decimals) == expected);
        char scientific[64];
        std::snprintf(scientific, sizeof scientific, "%+.7e", value);
        // The original platform writes three exponent digits.
        std::string wide = scientific;
        const std::size_t e = wide.find('e');
        if (wide.size() - e - 2 == 2) {
            wide.insert(e + 2, "0");
        }
        FUZZ_CHECK(CScientific7(value) == wide);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::setlocale(LC_NUMERIC, "C");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReaders(text);
    if (size >= 9) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        CheckWriters(value, data[8] % 18);
    }
    // A number read from the text, written and read again.
    double read = 0.0;
    if (ReadWholeDecimal(text, read) == FieldReading::kNumber) {
        CheckWriters(read, size % 18);
    }
    return 0;
}
