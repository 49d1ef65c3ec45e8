// Reading users' catalogues of common points.
#include "files/catalogue_file.h"
#include "files/sha256.h"
#include "geodesy/vertex_catalogue.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

// The built-in catalogue's own table, read as a user's file, gives exactly
// the compiled vertices (the compiled copy is generated from it by a separate
// script), and the label names the file and its SHA-256 as sha256sum does.
TEST(CatalogueFile, TheBuiltInTableReadsAsTheCompiledCatalogue) {
    const std::string path = std::string(QUILLON_DATA_DIR) + "/vertex_catalogue.tsv";
    std::string failure;
    const auto catalogue = LoadCatalogueFile(path, failure);
    ASSERT_TRUE(catalogue) << failure;
    const auto& compiled = VertexCatalogue();
    ASSERT_EQ(catalogue->vertices.size(), compiled.size());
    for (std::size_t i = 0; i < compiled.size(); ++i) {
        const VertexRecord& a = catalogue->vertices[i];
        const VertexRecord& b = compiled[i];
        SCOPED_TRACE(b.number);
        EXPECT_EQ(a.number, b.number);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.sheet, b.sheet);
        EXPECT_EQ(a.etrs_x, b.etrs_x);
        EXPECT_EQ(a.etrs_y, b.etrs_y);
        EXPECT_EQ(a.etrs_h, b.etrs_h);
        EXPECT_EQ(a.ed50_x, b.ed50_x);
        EXPECT_EQ(a.ed50_y, b.ed50_y);
        EXPECT_EQ(a.ed50_h, b.ed50_h);
    }
    const auto sum = quillon_test::RunCommand("sha256sum '" + path + "'");
    ASSERT_EQ(sum.status, 0);
    EXPECT_EQ(catalogue->label, path + " (SHA-256 " + sum.out.substr(0, 64) + ")");
}

// Spanish column names in another order, semicolons and decimal commas, no
// sheet and no heights; and geodetic columns, projected on each datum's own
// ellipsoid. The geodetic positions are PROJ's (cs2cs EPSG:25830 -> EPSG:4258
// and EPSG:23030 -> EPSG:4230) of three built-in vertices.
TEST(CatalogueFile, SpanishAndGeodeticColumns) {
    const std::string spanish = "nombre;numero;ed50_x;ed50_y;etrs_x;etrs_y\r\n"
                                "SALADILLO;80801;352436,726;4293401,011;352326,314;4293194,557\r\n"
                                "CUMBRE;85862;386828,569;4250653,654;386717,383;4250446,892\r\n"
                                "\"ATALAYA DE SOPORT\xC3\x9AJAR\";104236;467706,897;4080400,0;"
                                "467595,174;4080194,171\r\n";
    const std::string geodetic =
        "numero\tnombre\tetrs_lon\tetrs_lat\ted50_lon\ted50_lat\n"
        "80801\tSALADILLO\t-4.6999788138\t38.7751240354\t-4.6986607350\t38.7763533366\n"
        "85862\tCUMBRE\t-4.2972388398\t38.3950699453\t-4.2959296786\t38.3963081127\n"
        "104236\tATALAYA DE SOPORT\xC3\x9AJAR\t-3.3635647672\t36.8671268760\t-3.3623011457\t"
        "36.8683875386\n";
    struct Expected {
        std::int32_t number;
        const char* name;
        double etrs_x, etrs_y, ed50_x, ed50_y;
    };
    const Expected expected[] = {
        {80801, "SALADILLO", 352326.314, 4293194.557, 352436.726, 4293401.011},
        {85862, "CUMBRE", 386717.383, 4250446.892, 386828.569, 4250653.654},
        {104236, "ATALAYA DE SOPORT\xDAJAR", 467595.174, 4080194.171, 467706.897, 4080400.0},
    };
    for (const auto& [text, tolerance] : {std::pair{spanish, 0.0}, std::pair{geodetic, 0.002}}) {
        SCOPED_TRACE(text.substr(0, 30));
        std::string failure;
        const auto catalogue = ParseCatalogue(text, "propio.csv", failure);
        ASSERT_TRUE(catalogue) << failure;
        EXPECT_EQ(catalogue->label, "propio.csv (SHA-256 " + Sha256Hex(text) + ")");
        ASSERT_EQ(catalogue->vertices.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const VertexRecord& v = catalogue->vertices[i];
            EXPECT_EQ(v.number, expected[i].number);
            EXPECT_EQ(v.name, expected[i].name);
            EXPECT_NEAR(v.etrs_x, expected[i].etrs_x, tolerance);
            EXPECT_NEAR(v.etrs_y, expected[i].etrs_y, tolerance);
            EXPECT_NEAR(v.ed50_x, expected[i].ed50_x, tolerance);
            EXPECT_NEAR(v.ed50_y, expected[i].ed50_y, tolerance);
            EXPECT_EQ(v.etrs_h, 0.0);
        }
    }
}

// Every bad row is named with its line and reason, and one bad row refuses
// the whole catalogue.
TEST(CatalogueFile, RefusesBadTablesNamingEachProblem) {
    const std::string header = "number\tname\tetrs_x\tetrs_y\ted50_x\ted50_y\n";
    const std::string good = "1\tA\t1\t2\t3\t4\n"
                             "2\tB\t1\t2\t3\t4\n"
                             "3\tC\t1\t2\t3\t4\n";
    struct Case {
        std::string text;
        const char* failure;
    };
    const Case cases[] = {
        {header + good + "4\tD\t1\t2\t3\tx\n5\tE\t1\t2\n",
         "línea 5: ed50_y no es un número\nlínea 6: falta ed50_x\nlínea 6: falta ed50_y\n"},
        {header + good + "2\tB2\t1\t2\t3\t4\n", "línea 5: número 2 repetido (línea 3)\n"},
        {header + good + "4.5\tD\t1\t2\t3\t4\n0\tE\t1\t2\t3\t4\n",
         "línea 5: number ha de ser un número entero de 1 a 2147483647\n"
         "línea 6: number ha de ser un número entero de 1 a 2147483647\n"},
        {header + "1\tA\t1\t2\t3\t4\n2\tB\t1\t2\t3\t4\n",
         "2 vértices: un catálogo necesita al menos 3\n"},
        {"1\tA\t1\t2\t3\t4\n", "falta la línea de cabecera con los nombres de las columnas\n"},
        {"numero\tnombre\tetrs_x\ted50_lon\ted50_lat\n" + good, "falta la columna etrs_y\n"},
        {"numero\tnombre\tetrs_x\tetrs_y\ted50_x\ted50_y\ted50_lat\n" + good,
         "se dan a la vez ed50_x/ed50_y y ed50_lon/ed50_lat\n"},
        {"number\tname\tetrs_lon\tetrs_lat\ted50_x\ted50_y\n1\tA\t-4\t91\t3\t4\n",
         "línea 2: etrs_lat fuera de -90..90\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string failure;
        EXPECT_FALSE(ParseCatalogue(c.text, "f", failure));
        EXPECT_EQ(failure, c.failure);
    }
}

TEST(CatalogueFile, UnreadableFiles) {
    quillon_test::TempDir dir;
    std::string failure;
    EXPECT_FALSE(LoadCatalogueFile(dir.File("missing.tsv"), failure));
    EXPECT_EQ(failure, "no se puede leer el archivo\n");
    quillon_test::WriteWhole(dir.File("big.tsv"), std::string(kCatalogueFileLimit + 1, '1'));
    EXPECT_FALSE(LoadCatalogueFile(dir.File("big.tsv"), failure));
    EXPECT_EQ(failure, "el archivo pasa de 8 MiB\n");
}

} // namespace
} // namespace dezadiravevava
