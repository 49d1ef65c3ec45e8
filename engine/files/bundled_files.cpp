#include "files/bundled_files.h"

#include <dlfcn.h>
#include <filesystem>

namespace dezadiravevava {

namespace {

namespace fs = std::filesystem;

// The file this code was loaded from: the shared library, or the program
// that links the engine statically.
fs::path ModulePath() {
    Dl_info info{};
    std::string name;
    if (dladdr(reinterpret_cast<void*>(&FindBundledFile), &info) && info.dli_fname) {
        name = info.dli_fname;
    }
    // The main program may be named without a folder (as it was started).
    if (name.find('/') == std::string::npos) {
        name = "/proc/self/exe";
    }
    std::error_code error;
    const fs::path path = fs::canonical(name, error);
    return error ? fs::path(name) : path;
}

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

} // namespace

std::vector<std::string> BundledDataFolders() {
    const fs::path module_folder = ModulePath().parent_path();
    std::vector<std::string> folders = {
        (module_folder / ".." / "share" / "dezadiravevava").lexically_normal().string(),
        (module_folder / ".." / ".." / "share" / "dezadiravevava").lexically_normal().string(),
    };
#ifdef QUILLON_SOURCE_DATA_DIR
    if (*QUILLON_SOURCE_DATA_DIR) {
        folders.emplace_back(QUILLON_SOURCE_DATA_DIR);
    }
#endif
    return folders;
}

std::string FindBundledFile(const std::string& name) {
    for (const std::string& folder : BundledDataFolders()) {
        const fs::path path = fs::path(folder) / name;
        if (IsRegularFile(path)) {
            return path.string();
        }
    }
    return {};
}

std::string MissingBundledFile(const std::string& name) {
    std::string text = name + " no está en: ";
    const std::vector<std::string> folders = BundledDataFolders();
    for (std::size_t i = 0; i < folders.size(); ++i) {
        text += (i ? ", " : "") + folders[i];
    }
    return text;
}

} // namespace dezadiravevava
