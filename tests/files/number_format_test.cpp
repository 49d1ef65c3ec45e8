#include "files/number_format.h"

#include <cmath>
#include <gtest/gtest.h>
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

} // namespace
} // namespace dezadiravevava
