// quillon-cli's own answers, before any order runs: help, version, and the
// exit status of a command line it cannot use (2, so that scripts tell a
// mistake in the call from a failed transformation, 1).
#include "support/run_command.h"

#include <gtest/gtest.h>

namespace {

using quillon_test::RunCommand;

const std::string kCli = QUILLON_CLI_PATH;

struct UsageCase {
    const char* arguments;
    int status;
    const char* out;       // the whole standard output, or nullptr: not checked
    const char* out_holds; // text the standard output holds, or nullptr
    const char* err;       // the whole standard error, or nullptr: not checked
};

TEST(CliUsage, AnswersAndExitStatus) {
    const std::string version = "quillon-cli " QUILLON_PROJECT_VERSION "\n";
    const UsageCase cases[] = {
        // No order: the help, but as a failed call.
        {"", 2, nullptr, "Uso: quillon-cli ORDEN", ""},
        {"--help", 0, nullptr, "  --version ", ""},
        {"-h", 0, nullptr, "  txt-a-dxf ", ""},
        {"--version", 0, version.c_str(), nullptr, ""},
        {"desconocida", 2, "", nullptr,
         "quillon-cli: orden desconocida: desconocida (vea quillon-cli --help)\n"},
        // The version is an option of the program, not of an order.
        {"punto --version", 2, "", nullptr, "quillon-cli punto: opción desconocida: --version\n"},
        {"buscar --datum ED50 --tipo utm", 2, "", nullptr,
         "quillon-cli buscar: hace falta un CENTRO (c1,c2[,c3])\n"},
        {"txt a.txt --sistema-a EPSG:23030 --sistema-b EPSG:25830", 2, "", nullptr,
         "quillon-cli txt: hacen falta ENTRADA y SALIDA\n"},
        {"parametros --datum-a ED50 --datum-b ETRS89", 2, "", nullptr,
         "quillon-cli parametros: falta la opción obligatoria --parametros\n"},
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
    }
}

} // namespace
