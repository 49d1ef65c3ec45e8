// Cutting text tables into rows of fields.
#include "files/point_table.h"

#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

using Fields = std::vector<std::string>;

TEST(PointTable, SeparatorsEncodingsAndHeaders) {
    struct Case {
        const char* what;
        std::string text;
        char separator;
        Fields header;
        std::vector<Fields> rows;
    };
    const Case cases[] = {
        {"TABs, LF, header",
         "n\tname\tx\n7\tLA NAVA\t1.5\n",
         '\t',
         {"n", "name", "x"},
         {{"7", "LA NAVA", "1.5"}}},
        {"semicolons, CR LF, decimal comma kept",
         "N;Nombre;X\r\n7;PINO;1,5\r\n8;MOJ\xC3\x93N;2\r\n",
         ';',
         {"n", "nombre", "x"},
         {{"7", "PINO", "1,5"}, {"8", "MOJ\xD3N", "2"}}},
        {"commas with quotes",
         "7,\"CRUZ, LA\",1.5\n8,\"DI \"\"EL\"\" \",2\n",
         ',',
         {},
         {{"7", "CRUZ, LA", "1.5"}, {"8", "DI \"EL\" ", "2"}}},
        {"blanks, decimal comma, quoted name",
         "7  \"LA NAVA\"  1,5   2,5\n",
         ' ',
         {},
         {{"7", "LA NAVA", "1,5", "2,5"}}},
        {"UTF-8 BOM",
         "\xEF\xBB\xBFnumero\tnombre\n1\tCAMBR\xC3\x93N\n",
         '\t',
         {"numero", "nombre"},
         {{"1", "CAMBR\xD3N"}}},
        {"Windows-1252 as it stands", "1\tCAMBR\xD3N\n", '\t', {}, {{"1", "CAMBR\xD3N"}}},
        {"blank lines skipped, empty last field", "\n  \n1\tA\t\n", '\t', {}, {{"1", "A", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string failure;
        const auto table = ReadPointTable(c.text, failure);
        ASSERT_TRUE(table) << failure;
        EXPECT_EQ(table->separator, c.separator);
        EXPECT_EQ(table->header, c.header);
        ASSERT_EQ(table->rows.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(table->rows[i].fields, c.rows[i]);
        }
    }
}

TEST(PointTable, LinesCutIntoFieldsThatKeepTheirPlace) {
    struct Case {
        const char* line;
        char separator;
        // Each field: its bytes in the line (inside quotes when quoted), and
        // its text.
        std::vector<std::pair<std::string, std::string>> fields;
        std::vector<bool> quoted;
    };
    const Case cases[] = {
        {"Giralda;235171,041; 4142124,422 ;;",
         ';',
         {{"Giralda", "Giralda"},
          {"235171,041", "235171,041"},
          {"4142124,422", "4142124,422"},
          {"", ""},
          {"", ""}},
         {false, false, false, false, false}},
        {" \"Cruz, La\" ,\"1,5\",\"a \"\"b\"\"\"x",
         ',',
         {{"Cruz, La", "Cruz, La"}, {"1,5", "1,5"}, {"a \"\"b\"\"", "a \"b\"x"}},
         {true, true, true}},
        {"  7 \t\"LA NAVA\"\t  1.5",
         '\t',
         {{"7", "7"}, {"LA NAVA", "LA NAVA"}, {"1.5", "1.5"}},
         {false, true, false}},
        {"  A   \"B C\"  3  ", ' ', {{"A", "A"}, {"B C", "B C"}, {"3", "3"}}, {false, true, false}},
        {"   ", ';', {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<TableField> fields;
        ASSERT_TRUE(CutTableLine(c.line, c.separator, fields));
        ASSERT_EQ(fields.size(), c.fields.size());
        const std::string_view line(c.line);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(line.substr(fields[i].begin, fields[i].end - fields[i].begin),
                      c.fields[i].first);
            EXPECT_EQ(TableFieldText(line, fields[i]), c.fields[i].second);
            EXPECT_EQ(fields[i].quoted, c.quoted[i]);
        }
    }
    std::vector<TableField> fields;
    EXPECT_FALSE(CutTableLine("1;\"open;2", ';', fields));
}

TEST(PointTable, RowsKeepTheirLineNumbers) {
    std::string failure;
    const auto table = ReadPointTable("a\tb\n\n1\t2\r\n\r\n3\t4", failure);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->rows.size(), 2u);
    EXPECT_EQ(table->rows[0].line, 3u);
    EXPECT_EQ(table->rows[1].line, 5u);
}

TEST(PointTable, RefusesLongLinesAndOpenQuotes) {
    struct Case {
        std::string text;
        const char* failure;
    };
    const Case cases[] = {
        {"a\tb\n1\t" + std::string(kTableLineLimit, 'x') + "\n", "línea 2: más de 4096 caracteres"},
        {"1;\"open;2\n", "línea 1: comillas sin cerrar"},
    };
    for (const Case& c : cases) {
        std::string failure;
        EXPECT_FALSE(ReadPointTable(c.text, failure));
        EXPECT_EQ(failure, c.failure);
    }
}

TEST(PointTable, NumbersWithPointOrComma) {
    struct Case {
        const char* field;
        char separator;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"-3.25", '\t', -3.25}, {"-3,25", '\t', -3.25}, {"-3,25", ';', -3.25}, {"3,25", ',', {}},
        {" 1e3 ", ' ', 1000.0}, {"1.234,5", '\t', {}},  {"12a", '\t', {}},     {"", '\t', {}},
        {"nan", '\t', {}},      {"1e400", '\t', {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(TableNumber(c.field, c.separator), c.value);
    }
}

} // namespace
} // namespace dezadiravevava
