#include "files/number_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace dezadiravevava {

namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr double kInfLimit = 100000000.0;

// 0.5 * 10^-d for d = 0..17.
constexpr std::array<double, 18> kHalfUnit = {
    0.5,   0.05,  5e-3,  5e-4,  5e-5,  5e-6,  5e-7,  5e-8,  5e-9,
    5e-10, 5e-11, 5e-12, 5e-13, 5e-14, 5e-15, 5e-16, 5e-17, 5e-18,
};

constexpr std::array<std::uint64_t, 18> kPow10 = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// floor(fraction * 10^decimals) for 0 <= fraction < 1, exactly: the fraction
// is M * 2^-shift with a 53-bit integer M (its significand, taken from its
// bits), and M * 10^decimals fits 128 bits.
std::uint64_t TruncatedDecimals(double fraction, int decimals) {
    if (fraction <= 0.0) {
        return 0;
    }
    const auto bits = std::bit_cast<std::uint64_t>(fraction);
    const auto biased_exponent = static_cast<int>(bits >> 52); // no sign bit: fraction > 0
    std::uint64_t m = bits & ((1ULL << 52) - 1);
    int shift = 1074; // a subnormal: no implicit leading bit
    if (biased_exponent > 0) {
        m |= 1ULL << 52;
        shift = 1075 - biased_exponent; // above 52, as fraction < 1
    }
    if (shift >= 128) {
        return 0;
    }
    const Uint128 product = static_cast<Uint128>(m) * kPow10[static_cast<std::size_t>(decimals)];
    return static_cast<std::uint64_t>(product >> shift);
}

// "00" to "99".
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The last `count` decimal digits of a number, zeros first if it has fewer,
// at `out`, two at a time from the right.
void WriteDigits(char* out, std::uint64_t value, std::size_t count) {
    for (; count >= 2; count -= 2, value /= 100) {
        const std::size_t pair = 2 * static_cast<std::size_t>(value % 100);
        out[count - 2] = kDigitPairs[pair];
        out[count - 1] = kDigitPairs[pair + 1];
    }
    if (count == 1) {
        out[0] = static_cast<char>('0' + value % 10);
    }
}

// The decimal digits of a number below 10^17, at `out`; returns their end.
// Their count from the bit length: log10(2) is about 1233 / 4096, which
// gives the count or one more; a comparison decides (0 has one digit, and
// so has 1: value | 1 has the digits of value).
char* WriteDigits(char* out, std::uint64_t value) {
    const std::uint64_t odd = value | 1;
    const auto guess = static_cast<std::size_t>((std::bit_width(odd) * 1233) >> 12);
    const std::size_t count = guess + (odd < kPow10[guess] ? 0 : 1);
    WriteDigits(out, value, count);
    return out + count;
}

} // namespace

const char* AccumulateDigits(const char* p, const char* end, std::uint64_t& m) {
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
        if (digit > 9) {
            break;
        }
        m = m * 10 + digit;
    }
    return p;
}

char* WriteInteger(char* out, long long value) {
    return std::to_chars(out, out + kPointNumberLength, value).ptr;
}

char* WriteFixedPoint(char* out, double value, int decimals) {
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > 17) {
        decimals = 17;
    }
    if (std::isnan(value)) {
        return std::copy_n("NAN", 3, out);
    }
    if (value < 0.0) {
        *out++ = '-';
        value = -value;
    }
    if (value > kInfLimit) {
        return std::copy_n("INF", 3, out);
    }
    const double rounded = value + kHalfUnit[static_cast<std::size_t>(decimals)];
    // The conversion truncates; below 2^53 the integer converts back exactly.
    const auto integer = static_cast<std::uint64_t>(rounded);
    const auto integer_part = static_cast<double>(integer);
    // At most 9 digits, a full stop and 17 decimals after the sign.
    out = WriteDigits(out, integer);
    *out++ = '.';
    if (decimals == 0) {
        return out;
    }
    // rounded - integer_part is exact (both share the binade or the result is
    // the low bits of `rounded`), so the decimals are those of `rounded` itself.
    const auto count = static_cast<std::size_t>(decimals);
    WriteDigits(out, TruncatedDecimals(rounded - integer_part, decimals), count);
    return out + count;
}

void AppendFixedPoint(std::string& out, double value, int decimals) {
    char buffer[kFixedPointLength];
    out.append(buffer, WriteFixedPoint(buffer, value, decimals));
}

std::string FixedPoint(double value, int decimals) {
    std::string out;
    AppendFixedPoint(out, value, decimals);
    return out;
}

void AppendCFixed(std::string& out, double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    out.append(buffer, result.ptr);
}

std::string CFixed(double value, int decimals) {
    std::string out;
    AppendCFixed(out, value, decimals);
    return out;
}

std::string CScientific7(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "+nan" : (value < 0 ? "-inf" : "+inf");
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 7);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string out;
    if (text.front() != '-') {
        out += '+';
    }
    out.append(text.substr(0, e + 2)); // mantissa, 'e' and the exponent sign
    std::string_view exponent_digits = text.substr(e + 2);
    out.append(exponent_digits.size() < 3 ? 3 - exponent_digits.size() : 0, '0');
    out.append(exponent_digits);
    return out;
}

int ReadPointNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < field.size() && IsDigit(field[i]); ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

std::size_t DecimalPrefixLength(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    // An exponent counts only when at least one digit follows it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

std::size_t ReadPlainDecimal(std::string_view text, double& value) {
    constexpr std::uint64_t kExactIntegers = 1ULL << 53;
    constexpr std::size_t kMostDigits = 19; // whatever they are, 19 digits fit 64 bits
    static constexpr std::array<double, 23> kPowers = {
        1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
    };
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) {
        ++p;
    }
    std::uint64_t m = 0;
    const char* const integer = p;
    p = AccumulateDigits(p, end, m);
    std::size_t digits = static_cast<std::size_t>(p - integer);
    std::size_t decimals = 0;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        p = AccumulateDigits(p, end, m);
        decimals = static_cast<std::size_t>(p - fraction);
        digits += decimals;
    }
    // Leading zeros count too: such rare numbers go the general way.
    if (digits == 0 || digits > kMostDigits || m > kExactIntegers || decimals >= kPowers.size() ||
        (p != end && (*p == 'e' || *p == 'E'))) {
        return 0;
    }
    const double magnitude = static_cast<double>(m) / kPowers[decimals];
    value = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(p - begin);
}

namespace {

// The power of ten just above a decimal number's magnitude (1 for "1.5",
// -2 for "0.005"), saturated far beyond the range of a double. `text` is
// digits with an optional point and exponent, no sign.
std::int64_t DecimalOrder(std::string_view text) {
    constexpr std::int64_t kFar = 1'000'000;
    std::size_t i = 0;
    std::int64_t order = 0;
    bool significant = false;
    bool after_point = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            after_point = true;
        } else if (text[i] != '0' || significant) {
            significant = true;
            if (!after_point) {
                order = std::min(order + 1, kFar);
            }
        } else if (after_point) {
            order = std::max(order - 1, -kFar);
        }
    }
    if (!significant) {
        return -kFar;
    }
    std::int64_t exponent = 0;
    bool negative = false;
    if (++i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        exponent = std::min(exponent * 10 + (text[i] - '0'), kFar);
    }
    return order + (negative ? -exponent : exponent);
}

} // namespace

double ReadDecimal(std::string_view field) {
    std::size_t blanks = 0;
    while (blanks < field.size() && IsBlank(field[blanks])) {
        ++blanks;
    }
    double plain = 0.0;
    if (ReadPlainDecimal(field.substr(blanks), plain) > 0) {
        return plain;
    }
    const std::size_t length = DecimalPrefixLength(field);
    if (length == 0) {
        return 0.0;
    }
    std::size_t start = 0;
    while (IsBlank(field[start])) {
        ++start;
    }
    bool negative = false;
    if (field[start] == '+' || field[start] == '-') {
        negative = field[start] == '-';
        ++start;
    }
    double value = 0.0;
    const auto result = std::from_chars(field.data() + start, field.data() + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; the
        // number's decimal order tells which ("1000…0e-50" overflows,
        // "0.000…01" underflows).
        value = DecimalOrder(field.substr(start, length - start)) > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

namespace {

// Blanks around a field and, at its end, the CR of the CR CR LF line ends
// that some writers use (the desktop program's own point files end their
// lines so). A CR before a number is no blank: ReadDecimal would not skip it.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// "nan", "inf" or "infinity" in any case, after an optional sign.
bool NamesANonFiniteValue(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    std::string lower;
    for (const char c : text.substr(0, 9)) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text.size() <= 8 && (lower == "nan" || lower == "inf" || lower == "infinity");
}

} // namespace

FieldReading ReadWholeDecimal(std::string_view field, double& value) {
    const std::string_view text = TrimBlanks(field);
    if (text.empty()) {
        return FieldReading::kMissing;
    }
    double plain = 0.0;
    if (ReadPlainDecimal(text, plain) == text.size()) {
        value = plain;
        return FieldReading::kNumber;
    }
    if (DecimalPrefixLength(text) != text.size()) {
        return NamesANonFiniteValue(text) ? FieldReading::kNotFinite : FieldReading::kNotANumber;
    }
    value = ReadDecimal(text);
    return std::isfinite(value) ? FieldReading::kNumber : FieldReading::kNotFinite;
}

PointNumberReading ReadWholePointNumber(std::string_view field, std::int64_t& value) {
    std::string_view text = TrimBlanks(field);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (; digits < text.size() && IsDigit(text[digits]); ++digits) {
        const auto digit = static_cast<std::uint64_t>(text[digits] - '0');
        if (magnitude > (static_cast<std::uint64_t>(INT64_MAX) - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (digits == 0 || negative || (magnitude == 0 && !overflow)) {
        return PointNumberReading::kNotAPoint;
    }
    if (digits != text.size()) {
        return PointNumberReading::kNotANumber;
    }
    if (overflow) {
        return PointNumberReading::kOutOfRange;
    }
    value = static_cast<std::int64_t>(magnitude);
    return PointNumberReading::kNumber;
}

SexagesimalReading ReadPackedSexagesimal(std::string_view text, double& degrees) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto all_digits = [](std::string_view digits) {
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    // At most 3 digits of degrees; the seconds' fraction as long as it comes.
    if (whole.empty() || whole.size() > 3 || !all_digits(whole) || !all_digits(fraction) ||
        (point != std::string_view::npos && fraction.empty())) {
        return SexagesimalReading::kNotANumber;
    }
    std::string digits(fraction);
    if (digits.size() < 4) {
        digits.resize(4, '0');
    }
    const int minutes = (digits[0] - '0') * 10 + (digits[1] - '0');
    const int whole_seconds = (digits[2] - '0') * 10 + (digits[3] - '0');
    if (minutes >= 60) {
        return SexagesimalReading::kMinutesOver59;
    }
    if (whole_seconds >= 60) {
        return SexagesimalReading::kSecondsOver59;
    }
    const double seconds = ReadDecimal(digits.substr(2, 2) + "." + digits.substr(4) + "0");
    double whole_degrees = 0.0;
    for (const char c : whole) {
        whole_degrees = whole_degrees * 10.0 + (c - '0');
    }
    const double value = whole_degrees + minutes / 60.0 + seconds / 3600.0;
    degrees = negative ? -value : value;
    return SexagesimalReading::kAngle;
}

std::string PackedSexagesimal(double degrees, int second_decimals) {
    if (!std::isfinite(degrees) || std::fabs(degrees) > 1000.0) {
        return "NAN";
    }
    second_decimals = std::clamp(second_decimals, 0, 9);
    // Counted in units of the last decimal of the seconds, rounded once.
    const std::int64_t per_second = static_cast<std::int64_t>(kPow10[second_decimals]);
    const auto units = static_cast<std::int64_t>(
        std::llround(std::fabs(degrees) * 3600.0 * static_cast<double>(per_second)));
    const std::int64_t whole = units / (3600 * per_second);
    const std::int64_t minutes = units / (60 * per_second) % 60;
    const std::int64_t seconds = units % (60 * per_second);
    std::string text = units > 0 && degrees < 0.0 ? "-" : "";
    text += std::to_string(whole);
    text += '.';
    text += static_cast<char>('0' + minutes / 10);
    text += static_cast<char>('0' + minutes % 10);
    std::string rest = std::to_string(seconds);
    text.append(static_cast<std::size_t>(2 + second_decimals) - rest.size(), '0');
    text += rest;
    return text;
}

} // namespace dezadiravevava
