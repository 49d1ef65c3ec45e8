// A private scratch folder for a fuzz target: every file a harness lets the
// engine touch lies inside it, so no input can reach a file elsewhere. Made
// once per process (in /dev/shm when there is one: the runs write files at
// every execution) and removed when the process ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace quillon_fuzz {

class Scratch {
public:
    static Scratch& Get() {
        static Scratch scratch;
        return scratch;
    }

    std::string File(std::string_view name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    // Empties the folder.
    void Clear() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            std::filesystem::remove_all(entry.path(), ignored);
        }
    }

    // The names in the folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    Scratch() {
        const char* shm = "/dev/shm";
        const char* tmp = std::getenv("TMPDIR");
        const std::string base =
            std::filesystem::is_directory(shm) ? shm : (tmp && *tmp ? tmp : "/tmp");
        std::string pattern = base + "/quillon-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Get().path_, ignored);
        });
    }

    std::filesystem::path path_;
};

inline void Write(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes of a file; nothing when it does not exist.
inline std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool StartsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

inline bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A property that must hold: a finding when it does not.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

} // namespace quillon_fuzz
