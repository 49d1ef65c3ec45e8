// quillon-cli's own answers, before any order runs: help, version, and the
// exit status of a command line it cannot use (2, so that scripts tell a
// mistake in the call from a failed transformation, 1).
#include "support/run_command.h"

#include <gtest/gtest.h>

namespace {

using quillon_test::RunCommand;

const std::string kCli = QUILLON_CLI_PATH;

struct UsageCase {
    std::string arguments;
    int status;
    const char* out;       // the whole standard output, or nullptr: not checked
    const char* out_holds; // text the standard output holds, or nullptr
    const char* err;       // the whole standard error, or nullptr: not checked
    const char* err_holds; // text the standard error holds, or nullptr
};

TEST(CliUsage, AnswersAndExitStatus) {
    const std::string version = "quillon-cli " QUILLON_PROJECT_VERSION "\n";
    // A file run, its files in a folder that does not exist: a call taken by
    // mistake writes nothing.
    const std::string txt = "txt no/e.txt no/s.txt";
    const std::string utm = txt + " --datum-a ED50 --tipo-a utm --huso-a 30"
                                  " --datum-b ETRS89 --tipo-b utm --huso-b 30";
    const std::string tabla = "tabla no/e.csv no/s.csv --sistema-a EPSG:23030 --sistema-b "
                              "EPSG:25830";
    const UsageCase cases[] = {
        // No order: the help, but as a failed call.
        {"", 2, nullptr, "Uso: quillon-cli ORDEN", "", nullptr},
        {"--help", 0, nullptr, "  --version ", "", nullptr},
        {"-h", 0, nullptr, "  txt-a-dxf ", "", nullptr},
        {"--version", 0, version.c_str(), nullptr, "", nullptr},
        {"desconocida", 2, "", nullptr,
         "quillon-cli: orden desconocida: desconocida (vea quillon-cli --help)\n", nullptr},
        // The version is an option of the program, not of an order.
        {"punto --version", 2, "", nullptr, "quillon-cli punto: opción desconocida: --version\n",
         nullptr},
        {"buscar --datum ED50 --tipo utm", 2, "", nullptr,
         "quillon-cli buscar: hace falta un CENTRO (c1,c2[,c3])\n", nullptr},
        {"txt a.txt --sistema-a EPSG:23030 --sistema-b EPSG:25830", 2, "", nullptr,
         "quillon-cli txt: hacen falta ENTRADA y SALIDA\n", nullptr},
        {"parametros --datum-a ED50 --datum-b ETRS89", 2, "", nullptr,
         "quillon-cli parametros: falta la opción obligatoria --parametros\n", nullptr},
        // Options that do not go together, or with the method or systems given.
        {utm + " --parametros nacionales --seleccion 5", 2, "", nullptr,
         "quillon-cli txt: --seleccion solo se aplica a --parametros distancia o vecinos\n",
         nullptr},
        {utm + " --parametros rejilla --modelo afin", 2, "", nullptr,
         "quillon-cli txt: --modelo no se aplica a --parametros rejilla\n", nullptr},
        {utm + " --parametros nacionales --rejilla x.gsb", 2, "", nullptr,
         "quillon-cli txt: --rejilla solo tiene sentido con --parametros rejilla\n", nullptr},
        {txt + " --datum-a ED50 --tipo-a geodesicas --datum-b ETRS89 --tipo-b geodesicas --geoide",
         2, "", nullptr,
         "quillon-cli txt: --geoide no se aplica: ninguno de los dos sistemas es UTM (las alturas "
         "geodésicas y geocéntricas son elipsoidales)\n",
         nullptr},
        {txt + " --datum-a ED50 --tipo-a utm --datum-b ETRS89 --tipo-b geodesicas --huso-b 30", 2,
         "", nullptr, "quillon-cli txt: --huso-b solo se aplica a coordenadas utm\n", nullptr},
        {utm + " --parametros vecinos --seleccion 2", 2, "", nullptr,
         "quillon-cli txt: --seleccion ha de ser un número entero de vértices de 3 a 180: 2\n",
         nullptr},
        {utm + " --parametros vecinos --seleccion 5.5", 2, "", nullptr, nullptr,
         "quillon-cli txt: --seleccion ha de ser un número entero de vértices de 3 a 180: "},
        {utm + " --parametros vecinos --seleccion 3 --modelo afin", 2, "", nullptr,
         "quillon-cli txt: --seleccion ha de ser un número entero de vértices de 4 a 180 (el "
         "modelo afín necesita 4): 3\n",
         nullptr},
        {txt + " --datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ED50 --tipo-b geodesicas"
               " --parametros regionales",
         2, "", nullptr,
         "quillon-cli txt: --parametros regionales no se aplica: los dos sistemas tienen el mismo "
         "datum\n",
         nullptr},
        // The pipeline names its zones; PROJ has nothing like the Molodensky form.
        {"parametros --datum-a ED50 --tipo-a utm --sistema-b EPSG:25830 --parametros nacionales"
         " --proj",
         2, "", nullptr,
         "quillon-cli parametros: --proj necesita el huso de la UTM de a (--huso-a o "
         "--sistema-a)\n",
         nullptr},
        {"parametros --sistema-a EPSG:23030 --sistema-b EPSG:25830 --parametros regionales"
         " --modelo molodensky --proj",
         1, "", nullptr, nullptr, "sin equivalente en PROJ"},
        {"txt no/a.txt no/b.txt no/c.txt --sistema-a EPSG:23030 --sistema-b EPSG:25830", 2, "",
         nullptr,
         "quillon-cli txt: se espera una ENTRADA y una SALIDA; para transformar varias entradas, "
         "dé --carpeta-salida CARPETA\n",
         nullptr},
        // EPSG codes: an unknown one is named with the codes known.
        {txt + " --sistema-a EPSG:4326 --sistema-b EPSG:25830", 2, "", nullptr,
         "quillon-cli txt: código EPSG desconocido en --sistema-a: EPSG:4326 (se admiten "
         "EPSG:23029, 23030, 23031 (ED50 UTM), 25829, 25830, 25831 (ETRS89 UTM), 4230 (ED50 "
         "geográficas), 4258, 4937 (ETRS89 geográficas), 4936 (ETRS89 geocéntricas), "
         "25829+5782, 25830+5782, 25831+5782, 4258+5782 (ETRS89 con altitudes ortométricas))\n",
         nullptr},
        {txt + " --sistema-a EPSG:23030 --datum-a ED50 --sistema-b EPSG:25830", 2, "", nullptr,
         "quillon-cli txt: --sistema-a y --datum-a no se dan juntas\n", nullptr},
        // The table options: columns, separator, packed sexagesimal angles.
        {tabla + " --columnas x", 2, "", nullptr,
         "quillon-cli tabla: --columnas espera ID,C1,C2[,C3[,HUSO]] o C1,C2: x\n", nullptr},
        {tabla + " --columnas id,,y,z", 2, "", nullptr,
         "quillon-cli tabla: --columnas: faltan las columnas de las coordenadas: id,,y,z\n",
         nullptr},
        {tabla + " --columnas 0,2,3", 2, "", nullptr,
         "quillon-cli tabla: --columnas: número de columna no válido: 0\n", nullptr},
        {tabla + " --columnas Este,este", 2, "", nullptr,
         "quillon-cli tabla: --columnas: columna repetida: este\n", nullptr},
        {tabla + " --separador barra", 2, "", nullptr,
         "quillon-cli tabla: separador desconocido: barra (tab, punto-y-coma, coma o espacios)\n",
         nullptr},
        {tabla + " --sexagesimal", 2, "", nullptr,
         "quillon-cli tabla: --sexagesimal no se aplica: ninguno de los dos sistemas es de "
         "coordenadas geográficas\n",
         nullptr},
        {txt + " --sistema-a EPSG:23030 --sistema-b EPSG:25830 --separador coma", 2, "", nullptr,
         "quillon-cli txt: opción desconocida: --separador\n", nullptr},
    };
    for (const UsageCase& c : cases) {
        const auto r = RunCommand(kCli + " " + c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.err;
        if (c.out != nullptr) {
            EXPECT_EQ(r.out, c.out) << c.arguments;
        }
        if (c.out_holds != nullptr) {
            EXPECT_NE(r.out.find(c.out_holds), std::string::npos) << c.arguments << "\n" << r.out;
        }
        if (c.err != nullptr) {
            EXPECT_EQ(r.err, c.err) << c.arguments;
        }
        if (c.err_holds != nullptr) {
            EXPECT_NE(r.err.find(c.err_holds), std::string::npos) << c.arguments << "\n" << r.err;
        }
    }
}

} // namespace
