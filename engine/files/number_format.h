// Number text of the engine's files: its own fixed-point writer, the C formats
// of the original platform, and the readers, side by side.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dezadiravevava {

// --- Writers -------------------------------------------------------------

// Point number: optional minus sign and the decimal digits, written at
// `out`, which has room for kPointNumberLength bytes; returns their end.
inline constexpr std::size_t kPointNumberLength = 20;
char* WriteInteger(char* out, long long value);

// The engine's fixed-point writer. A negative value writes "-" and continues
// with its magnitude; a magnitude above 100000000 writes "INF" and nothing else;
// otherwise the magnitude is rounded half up at the d-th decimal (0.5e-d is
// added, the digits are then taken by truncation) and written as integer
// digits (a single 0 below 1), a full stop and exactly d decimals. With d = 0
// the full stop is still written: zone 30 reads "30.". NaN writes "NAN".
void AppendFixedPoint(std::string& out, double value, int decimals);
std::string FixedPoint(double value, int decimals);
// The same text written at `out`, which has room for kFixedPointLength
// characters; returns the end of what it wrote.
inline constexpr std::size_t kFixedPointLength = 32;
char* WriteFixedPoint(char* out, double value, int decimals);

// C "%.<d>f": correctly rounded, locale-independent ("." always).
void AppendCFixed(std::string& out, double value, int decimals);
std::string CFixed(double value, int decimals);

// C "%+.7e" as the original platform's C library writes it: sign always, seven
// decimals, three-digit exponent (9.39e-06 is "+9.3900000e-006").
std::string CScientific7(double value);

// --- Readers -------------------------------------------------------------

// Point number: leading blanks and a sign allowed, then decimal digits;
// anything not starting with digits reads as 0. Saturates at the int range.
int ReadPointNumber(std::string_view field);

// Decimal floating-point text with "." and an optional exponent, after
// optional leading blanks; reading stops at the first character that cannot
// continue the number ("12,5" reads 12). No number at all reads 0.
double ReadDecimal(std::string_view field);

// Length of the longest prefix of `text` (after leading blanks, which count)
// that ReadDecimal would consume; 0 when no number starts there.
std::size_t DecimalPrefixLength(std::string_view text);

// The readers' fast path, for the numbers files are made of: an optional
// sign, digits with an optional fraction, no exponent, at most 19 digits
// forming an integer of at most 2^53, and at most 22 decimals. Such a number is that integer
// divided by a power of ten, both exact doubles, so one division rounds it correctly, as any reader
// must. Reads the number at the start of `text` (no blanks) and returns its length; 0 when the text
// does not start with such a number (or an exponent follows it), and the general reader must read
// it.
std::size_t ReadPlainDecimal(std::string_view text, double& value);

// m * 10^k + the value of the k decimal digits from p on (wrapping past 64
// bits: a caller refuses such long numbers); returns the end of the digits.
const char* AccumulateDigits(const char* p, const char* end, std::uint64_t& m);

// --- Strict readers of the point files -----------------------------------

// How a field that must hold one number reads.
enum class FieldReading {
    kNumber,     // one decimal number, blanks around it (and CRs after it) allowed
    kMissing,    // empty or blank
    kNotANumber, // anything else: "12,5", "12abc", "1.2.3"
    kNotFinite,  // "nan", "inf", or beyond the range of a double ("1e400")
};
FieldReading ReadWholeDecimal(std::string_view field, double& value);

// How the first field of a point line reads.
enum class PointNumberReading {
    kNotAPoint,  // no digits first (after blanks and a sign), or 0 or negative
    kNumber,     // a positive integer, blanks around it allowed
    kNotANumber, // positive digits followed by something else: "12abc", "2.5"
    kOutOfRange, // above 9223372036854775807
};
PointNumberReading ReadWholePointNumber(std::string_view field, std::int64_t& value);

// --- Packed sexagesimal angles ------------------------------------------

// Degrees, minutes and seconds packed into one decimal number, as surveyors'
// lists write geodetic coordinates: gg.mmssss, the sign in front
// (-5.193045 is -5 deg 19' 30.45"). The two digits after the point are the
// minutes, the next two the whole seconds, the rest the seconds' fraction;
// missing digits are zeros (5.3 is 5 deg 30').
enum class SexagesimalReading {
    kAngle,         // `degrees` holds the angle in decimal degrees
    kNotANumber,    // not an optional sign, digits and an optional "." and digits
    kMinutesOver59, // minutes of 60 or more
    kSecondsOver59, // seconds of 60 or more
};
SexagesimalReading ReadPackedSexagesimal(std::string_view text, double& degrees);

// Decimal degrees as a packed sexagesimal number with `second_decimals`
// decimals in the seconds (0 to 9), rounded to the last of them with the
// carry into minutes and degrees: -5.325125 with 5 is "-5.193045000".
// Nothing written but "NAN" for a value that is not finite.
std::string PackedSexagesimal(double degrees, int second_decimals);

} // namespace dezadiravevava
