#include "lectura_puntos.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <vector>

namespace quillon_test {
namespace {

using quillon::ReadDecimal;

TEST(ReadDecimal, DecimalCommaOrPointAndNothingElse) {
    const std::vector<std::pair<const char*, double>> good = {
        {"343622,117", 343622.117},
        {"343622.117", 343622.117},
        {" -3,5 ", -3.5},
        {"+.25", 0.25},
        {",25", 0.25},
        {"5.", 5.0},
        {"1e-3", 0.001},
        {"1,5E+2", 150.0},
        {"-0", 0.0},
        {"4120000", 4120000.0},
    };
    for (const auto& [text, value] : good) {
        double read = -1.0;
        EXPECT_TRUE(ReadDecimal(QString::fromUtf8(text), read)) << text;
        EXPECT_EQ(read, value) << text;
    }
    for (const char* text : {"", " ", "30abc", "1.000,5", "4.120.000", "1 000", "1,5,", "-", ".",
                             "e5", "1e", "inf", "nan", "1e400", "٣", "1\t2", "0x10"}) {
        double read = 7.0;
        EXPECT_FALSE(ReadDecimal(QString::fromUtf8(text), read)) << text;
        EXPECT_EQ(read, 7.0) << text;
    }
}

TEST(ReadDecimal, TheSameWhateverTheUsersLocale) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    double comma = 0.0, point = 0.0;
    const bool commaRead = ReadDecimal("1,5", comma);
    const bool pointRead = ReadDecimal("455000.5", point);
    const bool groupedRead = ReadDecimal("455.000,5", point);
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(commaRead);
    EXPECT_TRUE(pointRead);
    EXPECT_FALSE(groupedRead);
    EXPECT_EQ(comma, 1.5);
    EXPECT_EQ(point, 455000.5);
}

TEST(DecimalText, ShortestTextThatReadsBack) {
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    EXPECT_EQ(quillon::DecimalText(455000.25, spanish), "455000,25");
    EXPECT_EQ(quillon::DecimalText(4120000, spanish), "4120000");
    EXPECT_EQ(quillon::DecimalText(-0.1, QLocale::c()), "-0.1");
    for (const double v : {37.4557947, 298459.538, 1e-9, 123456789.123, -4.08666666666667}) {
        double back = 0.0;
        ASSERT_TRUE(ReadDecimal(quillon::DecimalText(v, spanish), back)) << v;
        EXPECT_EQ(back, v);
    }
}

TEST(PackedAngleProblem, MinutesAndSecondsBelowSixty) {
    const std::vector<std::pair<double, QString>> cases = {
        {37.4557947, ""},
        {-37.4557947, ""},
        {37.46, ""}, // 46 minutes, not 45 minutes and 100 seconds
        {37.5959999, ""},
        {0.0, ""},
        {90.0, ""},
        {37.6, "Latitud: los minutos (60) han de ser menores que 60"},
        {37.65, "Latitud: los minutos (65) han de ser menores que 60"},
        {-37.4575, "Latitud: los segundos (75) han de ser menores que 60"},
        {37.456, "Latitud: los segundos (60) han de ser menores que 60"},
        {90.0001, "Latitud: ha de estar entre -90 y 90 grados"},
        {1e300, "Latitud: ha de estar entre -90 y 90 grados"},
    };
    for (const auto& [packed, problem] : cases) {
        EXPECT_EQ(quillon::PackedAngleProblem(packed, "Latitud", 90), problem) << packed;
    }
}

TEST(PointFileSeparator, TheFirstPointLineDecides) {
    EXPECT_EQ(quillon::PointFileSeparator("ID;X\r\nP1,1,2,3\r\n"), QChar(','));
    EXPECT_EQ(quillon::PointFileSeparator("ID,X\n\n  \nP1;1,5;2;3\n"), QChar(';'));
    EXPECT_EQ(quillon::PointFileSeparator("ID,X\rP1\t1,5\t2\t3\r"), QChar('\t'));
    EXPECT_EQ(quillon::PointFileSeparator("solo cabecera;\t"), QChar(','));
}

// Each line is cut on its own: a line with too few or too many fields never
// lends them to the next, and a quote left open ends with its line.
TEST(CutPointFile, OneLineAtATimeWithItsNumberAndHeader) {
    struct Line {
        int line;
        QStringList fields;
        bool quoteOpen;
    };
    const struct {
        const char* text;
        QStringList header;
        std::vector<Line> lines;
        int pointFields = 0;
    } cases[] = {
        {"h\n a ; 1,5 ;\"x; y\"\r\nb;2\n",
         {"h"},
         {{2, {"a", "1,5", "x; y"}, false}, {3, {"b", "2"}, false}}},
        {"h\n a \t1,5\t\t2 \n", {"h"}, {{2, {"a", "1,5", "", "2"}, false}}},
        {"header, with, items\r\n a , \"b, c\" ,,e\rf\n\n  \"open\r\n \t\r\nlast,1",
         {"header", "with", "items"},
         {{2, {"a", "b, c", "", "e"}, false},
          {3, {"f"}, false},
          {5, {}, true},
          {7, {"last", "1"}, false}}},
        // No header: the first line reads as a point, and is one.
        {"P1,1,2,3\r\nP2,4,5,6,30\r\n",
         {},
         {{1, {"P1", "1", "2", "3"}, false}, {2, {"P2", "4", "5", "6", "30"}, false}}},
        // A title with a number is no point of five fields.
        {"Puntos de prueba ED50 UTM 30\r\n1\t2\t3\t4\t30\r\n",
         {"Puntos", "de", "prueba", "ED50", "UTM", "30"},
         {{2, {"1", "2", "3", "4", "30"}, false}},
         5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const quillon::PointFileText file =
            quillon::CutPointFile(QString::fromUtf8(c.text), c.pointFields);
        EXPECT_EQ(file.header, c.header);
        ASSERT_EQ(file.lines.size(), c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(file.lines[i].line, c.lines[i].line);
            EXPECT_EQ(file.lines[i].quoteOpen, c.lines[i].quoteOpen);
            if (!c.lines[i].quoteOpen) {
                EXPECT_EQ(file.lines[i].fields, c.lines[i].fields);
            }
        }
    }
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
