// Self-registration. The platform has no component registry, so the library
// keeps its own: two small files under the user's data folder that map the
// type library, each class id and each ProgID to this library's path, written
// in the order a self-registering control follows (type library, then classes).
#include "control/dezadiravevava.h"
#include "files/output_file.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (data && *data) {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home && *home ? home : ".") / ".local" / "share";
    }
    return base / "dezadiravevava";
}

std::string LibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&dzv_register_server), &info) && info.dli_fname) {
        std::error_code error;
        const fs::path path = fs::canonical(info.dli_fname, error);
        return error ? std::string(info.dli_fname) : path.string();
    }
    return {};
}

// Writes a whole file through a new neighbour put in its place when complete,
// so that a reader never sees half of it.
bool WriteFile(const fs::path& path, const std::string& text) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    dezadiravevava::OutputFile out;
    if (!out.Open(path.string())) {
        return false;
    }
    out.WriteRaw(text);
    return out.Commit();
}

bool RemoveFile(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    return !error;
}

std::string Hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", value);
    return buffer;
}

std::string TypeLibText(const std::string& library) {
    const DzvTypeLibInfo* lib = dzv_typelib();
    std::string text = "[TypeLib " + std::string(lib->guid) + "]\nname=" + lib->name +
                       "\nversion=" + std::to_string(lib->major) + "." +
                       std::to_string(lib->minor) + "\nlcid=" + Hex(lib->lcid) +
                       "\nhelpstring=" + lib->help_string + "\nhelpfile=" + lib->help_file +
                       "\npath=" + library + "\n";
    for (int32_t i = 0; i < dzv_type_count(); ++i) {
        const DzvTypeInfo* type = dzv_type(i);
        text += "\n[Type " + std::string(type->guid) + "]\nname=" + type->name +
                "\nhelpstring=" + type->help_string + "\n";
    }
    return text;
}

std::string ClassesText(const std::string& library) {
    std::string text;
    for (int32_t i = 0; i < dzv_class_count(); ++i) {
        const DzvClassInfo* c = dzv_class(i);
        text += "[CLSID " + std::string(c->clsid) + "]\nclass=" + c->class_name +
                "\nprogid=" + c->progid + "\nname=" + c->user_type_name +
                "\nthreading=" + c->threading_model +
                "\ninsertable=" + std::to_string(c->insertable) +
                "\nmiscstatus=" + Hex(c->misc_status) + "\ntypelib=" + dzv_typelib()->guid +
                "\npath=" + library + "\n\n[ProgID " + c->progid + "]\nclsid=" + c->clsid +
                "\nname=" + c->user_type_name + "\n\n";
    }
    return text;
}

} // namespace

extern "C" {

const char* dzv_registration_folder(void) {
    static thread_local std::string folder;
    try {
        folder = Folder().string();
    } catch (...) {
        folder.clear();
    }
    return folder.c_str();
}

int32_t dzv_register_server(void) {
    try {
        const fs::path folder = Folder();
        const std::string library = LibraryPath();
        if (!WriteFile(folder / "typelib.reg", TypeLibText(library))) {
            return DZV_SELFREG_E_TYPELIB;
        }
        if (!WriteFile(folder / "classes.reg", ClassesText(library))) {
            return DZV_SELFREG_E_CLASS;
        }
        return DZV_S_OK;
    } catch (...) {
        return DZV_SELFREG_E_TYPELIB;
    }
}

int32_t dzv_unregister_server(void) {
    try {
        const fs::path folder = Folder();
        if (!RemoveFile(folder / "typelib.reg")) {
            return DZV_SELFREG_E_TYPELIB;
        }
        if (!RemoveFile(folder / "classes.reg")) {
            return DZV_SELFREG_E_CLASS;
        }
        std::error_code error;
        fs::remove(folder, error); // only when empty
        return DZV_S_OK;
    } catch (...) {
        return DZV_SELFREG_E_TYPELIB;
    }
}

} // extern "C"
