// Runs a program through the shell and collects its output, for tests of the
// command-line host.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace quillon_test {

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteWhole(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// `command` is a shell command line; `input` goes to its standard input.
inline CommandResult RunCommand(const std::string& command, const std::string& input = "") {
    namespace fs = std::filesystem;
    static int counter = 0;
    const fs::path dir = fs::temp_directory_path() / ("quillon-cmd-" + std::to_string(::getpid()) +
                                                      "-" + std::to_string(counter++));
    fs::create_directories(dir);
    WriteWhole(dir / "in", input);
    const std::string line = command + " <'" + (dir / "in").string() + "' >'" +
                             (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    const int raw = std::system(line.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadWhole(dir / "out");
    result.err = ReadWhole(dir / "err");
    fs::remove_all(dir);
    return result;
}

} // namespace quillon_test
