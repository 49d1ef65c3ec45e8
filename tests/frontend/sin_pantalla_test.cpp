// The desktop program started where there is no window system: it says so in
// one line and exits 1, instead of Qt aborting with its own message. Each run
// gets an emptied environment (env -i) plus the variables of its case.
#include "run_command.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace quillon_test {
namespace {

const std::string kProgram = QUILLON_PROGRAM_PATH;
const std::string kNoDisplay = "quillon: no hay pantalla: ni DISPLAY ni WAYLAND_DISPLAY están "
                               "definidas; use quillon-cli\n";

// `variables` and `arguments` as the shell reads them. No core file is left
// by the runs that Qt aborts.
CommandResult RunBare(const std::string& variables, const std::string& arguments) {
    const char* path = std::getenv("PATH");
    const char* home = std::getenv("HOME");
    return RunCommand("ulimit -c 0; env -i PATH='" + std::string(path ? path : "/usr/bin:/bin") +
                      "' HOME='" + std::string(home ? home : "/") + "' " + variables + " '" +
                      kProgram + "' " + arguments);
}

TEST(NoDisplay, SaysSoAndExitsOne) {
    for (const char* variables : {"", "DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM="}) {
        const auto r = RunBare(variables, "");
        EXPECT_EQ(r.status, 1) << variables << "\n" << r.err;
        EXPECT_EQ(r.err, kNoDisplay) << variables;
        EXPECT_EQ(r.out, "") << variables;
    }
}

// Help and version need no window system.
TEST(NoDisplay, HelpAndVersionStillAnswer) {
    const std::string version = "quillon " QUILLON_PROJECT_VERSION "\n";
    struct Case {
        const char* variables;
        const char* arguments;
        std::string out_starts;
    };
    const Case cases[] = {
        {"", "--version", version},
        {"", "-v", version},
        {"", "--help", "Uso: quillon [OPCIONES]\n"},
        {"QT_QPA_PLATFORM=offscreen", "--version", version},
    };
    for (const Case& c : cases) {
        const auto r = RunBare(c.variables, c.arguments);
        EXPECT_EQ(r.status, 0) << c.variables << " " << c.arguments << "\n" << r.err;
        EXPECT_EQ(r.out.substr(0, c.out_starts.size()), c.out_starts)
            << c.variables << " " << c.arguments;
        EXPECT_EQ(r.err, "") << c.variables << " " << c.arguments;
    }
}

// A display, a compositor or a platform named to Qt is left to Qt: here each
// names one that does not exist, so Qt itself gives up, and the program's
// own line is not written.
TEST(NoDisplay, ANamedWindowSystemIsLeftToQt) {
    struct Case {
        const char* variables;
        const char* arguments;
    };
    const Case cases[] = {
        {"DISPLAY=:quillon-ninguna", ""},
        {"WAYLAND_DISPLAY=quillon-ninguna", ""},
        {"QT_QPA_PLATFORM=quillon-ninguna", ""},
        {"", "-platform quillon-ninguna"},
    };
    for (const Case& c : cases) {
        const auto r = RunBare(c.variables, c.arguments);
        EXPECT_NE(r.status, 0) << c.variables << c.arguments;
        EXPECT_NE(r.status, 1) << c.variables << c.arguments;
        EXPECT_EQ(r.err.find("no hay pantalla"), std::string::npos)
            << c.variables << c.arguments << "\n"
            << r.err;
    }
}

} // namespace
} // namespace quillon_test
