#include "lectura_puntos.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace quillon_test {
namespace {

using quillon::IsNumericText;
using quillon::LeadingValue;

TEST(LeadingValue, ReadsUpToTheFirstCharacterThatCannotContinueTheNumber) {
    const std::vector<std::pair<const char*, double>> cases = {
        {"1,5", 1.0}, {" - 2 . 5 ", -2.5}, {"+.25", 0.25}, {"1.5d-2x", 0.015},
        {"7e+", 7.0}, {"1.2.3", 1.2},      {"37º45", 37},  {"abc", 0.0},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingValue(QString::fromUtf8(text)), value) << text;
    }
}

TEST(IsNumericText, AcceptsWhatTheNumberParsersAccept) {
    for (const char* text : {" -3.5 ", ".25", "+7", "1e-3", "5."}) {
        EXPECT_TRUE(IsNumericText(QString::fromLatin1(text))) << text;
    }
    for (const char* text : {"", "30abc", "1,000", "1,5", "inf", "nan", "1e400", "-"}) {
        EXPECT_FALSE(IsNumericText(QString::fromLatin1(text))) << text;
    }
    // Where "," is the decimal sign it passes too, and "." still does.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    const bool comma = IsNumericText("1,5");
    const bool point = IsNumericText("455000.5");
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(comma);
    EXPECT_TRUE(point);
}

TEST(PointItemReader, ReadsItemsAsOneStreamAcrossLineEnds) {
    quillon::PointItemReader reader("header, with, items\r\n"
                                    " a , \"b, c\" ,,\"d\"x,e\rf\n\n  \"open\r\n \t\r\n");
    reader.SkipLine();
    QStringList items;
    QString item;
    while (reader.Next(item)) {
        items << item;
    }
    EXPECT_EQ(items, QStringList({"a", "b, c", "", "d", "e", "f", "open\r\n \t\r\n"}));
    EXPECT_TRUE(reader.AtEnd());

    quillon::PointItemReader trailing("h\n1,2\r\n \t\r\n");
    trailing.SkipLine();
    EXPECT_TRUE(trailing.Next(item) && trailing.Next(item));
    EXPECT_TRUE(trailing.AtEnd()); // blank lines are no further point
}

TEST(DecodePointFile, Utf8WhenValidElseWindows1252) {
    EXPECT_EQ(quillon::DecodePointFile("\xEF\xBB\xBFM\xC3\xA1laga"), "Málaga");
    // One byte that cannot be UTF-8, even a cut sequence at the end, makes
    // the whole file Windows-1252.
    EXPECT_EQ(quillon::DecodePointFile("M\xC3\xA1laga \xE1"), "MÃ¡laga á");
    EXPECT_EQ(quillon::DecodePointFile("\x80\x8A\x9F\xFF\x81"), "€ŠŸÿ\u0081");
}

} // namespace
} // namespace quillon_test
