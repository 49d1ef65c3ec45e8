#include "files/number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace dezadiravevava {
namespace {

TEST(FixedPoint, RoundsHalfUpAndTruncates) {
    EXPECT_EQ(FixedPoint(-0.0004, 3), "-0.000");
    EXPECT_EQ(FixedPoint(999.9996, 3), "1000.000");
    EXPECT_EQ(FixedPoint(0.0005, 3), "0.001");
    EXPECT_EQ(FixedPoint(2.5, 0), "3.");
    EXPECT_EQ(FixedPoint(30.0, 0), "30.");
    EXPECT_EQ(FixedPoint(0.0, 12), "0.000000000000");
    EXPECT_EQ(FixedPoint(-3.123456789012345, 12), "-3.123456789012");
    EXPECT_EQ(FixedPoint(4295133.0695, 3), "4295133.070");
    EXPECT_EQ(FixedPoint(-0.0, 3), "0.000");
}

TEST(FixedPoint, LargeMagnitudesAreInf) {
    EXPECT_EQ(FixedPoint(100000000.0, 3), "100000000.000");
    EXPECT_EQ(FixedPoint(100000000.5, 3), "INF");
    EXPECT_EQ(FixedPoint(-2e9, 3), "-INF");
    EXPECT_EQ(FixedPoint(HUGE_VAL, 3), "INF");
    EXPECT_EQ(FixedPoint(std::nan(""), 3), "NAN");
}

// The fixed-point writer's rule done by the C library: "%.120f" writes the
// exact decimal expansion of the rounded value, which is then truncated.
std::string FixedPointByTheRule(double value, int decimals) {
    if (std::isnan(value)) {
        return "NAN";
    }
    std::string sign = value < 0.0 ? "-" : "";
    value = std::fabs(value);
    if (value > 100000000.0) {
        return sign + "INF";
    }
    char text[400];
    std::snprintf(text, sizeof text, "%.120f", value + 0.5 * std::pow(10.0, -decimals));
    std::string exact = text;
    const std::size_t point = exact.find('.');
    return sign + exact.substr(0, point + 1 + static_cast<std::size_t>(decimals));
}

TEST(FixedPoint, EveryDigitAsTheRuleGivesIt) {
    std::mt19937_64 random(1632);
    std::vector<double> values = {0.0,     1e-320,  5e-4,          0.0625,        0.03125,
                                  2.5e-13, 0.1,     1.0 / 3.0,     99999999.9999, 1e8,
                                  8191.0,  4.5e-18, 0.49999999999, 123456.5};
    for (int i = 0; i < 5000; ++i) {
        // Every binade from 1e-18 to 1e8, and values on a coarse grid.
        const double magnitude = std::pow(10.0, std::uniform_real_distribution<>(-18, 8)(random));
        const double value = std::uniform_real_distribution<>(0, 1)(random) * magnitude;
        values.push_back(i % 4 ? value : std::round(value * 1024.0) / 1024.0);
    }
    for (const double value : values) {
        for (const int decimals : {0, 1, 3, 6, 10, 12, 17}) {
            for (const double signed_value : {value, -value}) {
                ASSERT_EQ(FixedPoint(signed_value, decimals),
                          FixedPointByTheRule(signed_value, decimals))
                    << std::hexfloat << signed_value << " " << decimals;
            }
        }
    }
}

TEST(FixedPoint, WholeNumbersDigitForDigit) {
    std::mt19937_64 random(30);
    std::vector<std::uint64_t> values = {99999999, 100000000, 10000000, 9999999, 1};
    for (std::uint64_t i = 0; i < 100000; ++i) {
        values.push_back(i);
        values.push_back(random() % 100000001);
    }
    for (const std::uint64_t value : values) {
        const auto number = static_cast<double>(value);
        const std::string digits = std::to_string(value);
        ASSERT_EQ(FixedPoint(number, 0), digits + '.') << value;
        std::string negative(1, '-');
        negative.append(digits).append(".25");
        if (value < 100000000) {
            ASSERT_EQ(FixedPoint(-number - 0.25, 2), negative) << value;
        }
    }
}

// A decimal read as the C++ library reads it, correctly rounded.
double ReadByTheLibrary(const std::string& text) {
    std::string_view digits(text);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        digits.remove_prefix(1);
    }
    double value = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return negative ? -value : value;
}

TEST(Readers, PlainDecimalsReadToTheLastBit) {
    std::mt19937_64 random(1989);
    std::vector<std::string> texts = {"0",
                                      "-0.000",
                                      "9007199254740992",
                                      "9007199254740993",
                                      "900719925474099.3",
                                      "1234567890123456789",
                                      "12345678901234567890",
                                      "0.0000000000000000000001",
                                      "1.0000000000000000000001",
                                      "0.000000000000000000000001",
                                      "4295133.0695",
                                      "-5.263002234358",
                                      "00000000000000000000000000017.5",
                                      ".5",
                                      "5."};
    const auto digits = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += static_cast<char>('0' + random() % 10);
        }
        return out;
    };
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 3 ? "" : (random() % 2 ? "-" : "+");
        text += digits(static_cast<int>(random() % 12));
        if (random() % 4) {
            text += '.';
            text += digits(static_cast<int>(random() % 24));
        }
        if (text.find_first_of("0123456789") != std::string::npos) {
            texts.push_back(text);
        }
    }
    for (const std::string& text : texts) {
        const double expected = ReadByTheLibrary(text);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(ReadDecimal(text)),
                  std::bit_cast<std::uint64_t>(expected))
            << text;
        double whole = 1.5;
        ASSERT_EQ(ReadWholeDecimal(" " + text + " ", whole), FieldReading::kNumber) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(whole), std::bit_cast<std::uint64_t>(expected))
            << text;
    }
    // What the fast path leaves to the general reader.
    double value = 0.0;
    EXPECT_EQ(ReadPlainDecimal("1e5", value), 0u);
    EXPECT_EQ(ReadPlainDecimal("9007199254740993", value), 0u);
    EXPECT_EQ(ReadPlainDecimal("12345678901234567890", value), 0u);
    EXPECT_EQ(ReadPlainDecimal("0.00000000000000000000001", value), 0u);
    EXPECT_EQ(ReadPlainDecimal(" 1", value), 0u);
    EXPECT_EQ(ReadPlainDecimal("-.", value), 0u);
    EXPECT_EQ(ReadPlainDecimal("12,5", value), 2u);
    EXPECT_EQ(value, 12.0);
}

TEST(CFormats, FixedAndThreeDigitExponent) {
    EXPECT_EQ(CFixed(1.0, 6), "1.000000");
    EXPECT_EQ(CFixed(-2.25, 6), "-2.250000");
    EXPECT_EQ(CFixed(5.0, 0), "5");
    EXPECT_EQ(CScientific7(9.39e-06), "+9.3900000e-006");
    EXPECT_EQ(CScientific7(-131.0), "-1.3100000e+002");
    EXPECT_EQ(CScientific7(0.0), "+0.0000000e+000");
    EXPECT_EQ(CScientific7(1e-300), "+1.0000000e-300");
}

TEST(Readers, PointNumbers) {
    EXPECT_EQ(ReadPointNumber("  17"), 17);
    EXPECT_EQ(ReadPointNumber("-3x"), -3);
    EXPECT_EQ(ReadPointNumber("+8"), 8);
    EXPECT_EQ(ReadPointNumber("P1"), 0);
    EXPECT_EQ(ReadPointNumber(""), 0);
    EXPECT_EQ(ReadPointNumber("99999999999999"), 2147483647);
}

TEST(Readers, DecimalsStopAtTheFirstForeignCharacter) {
    EXPECT_EQ(ReadDecimal("12,5"), 12.0);
    EXPECT_EQ(ReadDecimal(" -4.25e2x"), -425.0);
    EXPECT_EQ(ReadDecimal("1e"), 1.0);
    EXPECT_EQ(ReadDecimal(".5"), 0.5);
    EXPECT_EQ(ReadDecimal("5."), 5.0);
    EXPECT_EQ(ReadDecimal("+7"), 7.0);
    EXPECT_EQ(ReadDecimal("abc"), 0.0);
    EXPECT_EQ(ReadDecimal("-"), 0.0);
    EXPECT_EQ(ReadDecimal("nan"), 0.0);
    EXPECT_EQ(ReadDecimal("1e999"), HUGE_VAL);
    EXPECT_EQ(ReadDecimal("1e-999"), 0.0);
    // Out of range whichever way the exponent points: the digits count too.
    EXPECT_EQ(ReadDecimal("1" + std::string(400, '0') + "e-50"), HUGE_VAL);
    EXPECT_EQ(ReadDecimal("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(ReadDecimal("-0." + std::string(400, '0') + "1e+50"), -0.0);
    EXPECT_EQ(DecimalPrefixLength("30abc"), 2u);
}

TEST(Readers, WholeFieldsOnlyForPointFiles) {
    const std::vector<std::pair<const char*, FieldReading>> cases = {
        {" 12.5 ", FieldReading::kNumber},   {"4\r", FieldReading::kNumber},
        {"12,5", FieldReading::kNotANumber}, {"\r\t4", FieldReading::kNotANumber},
        {"1e", FieldReading::kNotANumber},   {"-", FieldReading::kNotANumber},
        {"NaN", FieldReading::kNotFinite},   {"1e999", FieldReading::kNotFinite},
        {" \t", FieldReading::kMissing},
    };
    for (const auto& [text, expected] : cases) {
        double value = 0.0;
        EXPECT_EQ(ReadWholeDecimal(text, value), expected) << text;
    }
    std::int64_t number = 0;
    EXPECT_EQ(ReadWholePointNumber(" +0012 ", number), PointNumberReading::kNumber);
    EXPECT_EQ(number, 12);
    EXPECT_EQ(ReadWholePointNumber("9223372036854775808", number), PointNumberReading::kOutOfRange);
    EXPECT_EQ(ReadWholePointNumber("12abc", number), PointNumberReading::kNotANumber);
    for (const char* text : {"", "abc", "0", "-5", "0.5", "-99999999999999999999"}) {
        EXPECT_EQ(ReadWholePointNumber(text, number), PointNumberReading::kNotAPoint) << text;
    }
}

TEST(PackedSexagesimal, Read) {
    struct Case {
        const char* text;
        SexagesimalReading reading;
        double degrees; // when an angle
    };
    const Case cases[] = {
        {"-5.193045", SexagesimalReading::kAngle, -(5 + 19 / 60.0 + 30.45 / 3600)},
        {"+37.2312", SexagesimalReading::kAngle, 37 + 23 / 60.0 + 12 / 3600.0},
        {"5.3", SexagesimalReading::kAngle, 5.5}, // missing digits are zeros
        {"5", SexagesimalReading::kAngle, 5.0},
        {"-0.0000001", SexagesimalReading::kAngle, -0.001 / 3600},
        {"5.6", SexagesimalReading::kMinutesOver59, 0},
        {"5.5960", SexagesimalReading::kSecondsOver59, 0},
        {"5.", SexagesimalReading::kNotANumber, 0},
        {"1e3", SexagesimalReading::kNotANumber, 0},
        {"5.19 ", SexagesimalReading::kNotANumber, 0},
        {"1234.5", SexagesimalReading::kNotANumber, 0},
        {"", SexagesimalReading::kNotANumber, 0},
    };
    for (const Case& c : cases) {
        double degrees = 0.0;
        EXPECT_EQ(ReadPackedSexagesimal(c.text, degrees), c.reading) << c.text;
        if (c.reading == SexagesimalReading::kAngle) {
            EXPECT_NEAR(degrees, c.degrees, 1e-13) << c.text;
        }
    }
}

TEST(PackedSexagesimal, WrittenWithTheCarryAtSixty) {
    struct Case {
        double degrees;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {-(5 + 19 / 60.0 + 30.45 / 3600), 5, "-5.193045000"},
        {37 + 23 / 60.0 + 12 / 3600.0, 5, "37.231200000"},
        {6 - 0.000004 / 3600, 5, "6.000000000"},      // 5 59' 59.999996" rounds up
        {6 - 0.000006 / 3600, 5, "5.595999999"},      // and this one does not
        {10 + 59 / 60.0 + 59.6 / 3600, 0, "11.0000"}, // carry into the degrees
        {-0.000001 / 3600, 5, "0.000000000"},         // no sign for a zero
        {0.5 / 3600, 2, "0.000050"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackedSexagesimal(c.degrees, c.decimals), c.text) << c.text;
    }
}

} // namespace
} // namespace dezadiravevava
