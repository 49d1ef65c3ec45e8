// Point lines read in one pass and field by field give the same point.
#include "files/point_fields.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace dezadiravevava {
namespace {

// A line with a blank after every field reads field by field; without, it
// reads in one pass whenever it can.
std::string Joined(const std::vector<std::string>& fields, bool blanks) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line.push_back('\t');
        }
        line.append(fields[i]);
        if (blanks) {
            line.push_back(' ');
        }
    }
    return line;
}

void ExpectSamePoint(const PointLine& a, const PointLine& b, const std::string& line) {
    ASSERT_EQ(a.kind, b.kind) << line;
    // The reason quotes the field as written, blanks and all.
    EXPECT_EQ(a.reason.substr(0, a.reason.find(" (")), b.reason.substr(0, b.reason.find(" (")))
        << line;
    EXPECT_EQ(a.number, b.number) << line;
    for (const auto& [x, y] : {std::pair{a.coords.c1, b.coords.c1},
                               {a.coords.c2, b.coords.c2},
                               {a.coords.c3, b.coords.c3},
                               {a.zone, b.zone}}) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y)) << line;
    }
}

TEST(PointLines, OnePassReadsAsFieldByField) {
    std::mt19937_64 random(2026);
    const auto digits = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += static_cast<char>('0' + random() % 10);
        }
        return out;
    };
    const auto decimal = [&] {
        std::string out = random() % 5 ? "" : "-";
        out += digits(1 + static_cast<int>(random() % 9));
        if (random() % 6) {
            out += '.';
            out += digits(static_cast<int>(random() % 14));
        }
        return out;
    };
    std::vector<std::vector<std::string>> lines = {
        {"1", "298569.727", "4295339.009", "520.6", "30"},
        {"123456789012345678", "1", "2", "3", "31"},
        {"1234567890123456789", "1", "2", "3", "31"}, // beyond the one-pass digits
        {"0012", "1", "2", "3", "29"},                // a leading zero
        {"0", "1", "2", "3", "30"},                   // not a point
        {"5", "1", "2", "3", "30.0"},
        {"5", "1", "2", "3", "30.5"},
        {"5", "1", "2", "3", "61"},
        {"5", "1", "2", "3"},
        {"5", "1", "2", "3", ""},
        {"5", "1", "", "3", "30"},
        {"5", "1", "2.5.1", "3", "30"},
        {"5", "1e3", "2", "3", "30"},
        {"5", "9007199254740993", "2", "3", "30"},
        {"5", "1", "2", "3", "30", "a comment", "more"},
        {"7", ".5", "5.", "+4", "30"},
    };
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::string> fields = {digits(1 + static_cast<int>(random() % 12)), decimal(),
                                           decimal(), decimal()};
        if (random() % 4) {
            fields.push_back(std::to_string(random() % 62));
        }
        lines.push_back(fields);
    }
    for (const auto& fields : lines) {
        for (const bool zone_needed : {false, true}) {
            const std::string plain = Joined(fields, false);
            ExpectSamePoint(ReadPointLine(plain, zone_needed),
                            ReadPointLine(Joined(fields, true), zone_needed), plain);
        }
    }
}

TEST(PointLines, WhatTheOnePassReadingGives) {
    const PointLine point = ReadPointLine("123456789012345678\t-1.5\t2\t3.25\t30", true);
    ASSERT_EQ(point.kind, PointLine::Kind::kPoint);
    EXPECT_EQ(point.number, 123456789012345678);
    EXPECT_EQ(point.coords.c1, -1.5);
    EXPECT_EQ(point.coords.c3, 3.25);
    EXPECT_EQ(point.zone, 30.0);
    // The zone field is left alone when the run's zone is given, whatever it holds.
    EXPECT_EQ(ReadPointLine("1\t2\t3\t4\tabc", false).kind, PointLine::Kind::kPoint);
    EXPECT_EQ(ReadPointLine("1\t2\t3\t4", true).reason, "falta el huso");
    // An over-long line is never read, even when its start looks whole.
    EXPECT_EQ(ReadPointLine("1\t2\t3\t4\t30", true, true).kind, PointLine::Kind::kRejected);
}

} // namespace
} // namespace dezadiravevava
