#include "staged_output.h"

#include "layer_gdal.h"
#include "layer_run.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillon::layers {

namespace fs = std::filesystem;

StagedOutput::StagedOutput(const std::string& target) : target_(target) {
    fs::path folder = target_.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    folder_ = folder;
    // The name is built by appending: GCC 12 warns falsely (-Wrestrict) of
    // "." + name once this constructor is compiled on its own.
    std::string hidden = ".";
    hidden += target_.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    if (!::mkdtemp(pattern.data())) {
        // As for TXT files, the host says what is wrong with the folder.
        throw Failure("No se puede crear el archivo de salida: " + target);
    }
    staging_ = pattern;
}

StagedOutput::~StagedOutput() {
    std::error_code ignored;
    fs::remove_all(staging_, ignored);
}

void StagedOutput::Commit(bool shapefile) {
    std::vector<std::pair<fs::path, fs::path>> moves;
    for (const auto& entry : fs::directory_iterator(staging_)) {
        if (entry.is_directory()) {
            // A folder dataset (Shapefiles of several layers): its files.
            const fs::path into = folder_ / entry.path().filename();
            fs::create_directories(into);
            for (const auto& part : fs::directory_iterator(entry.path())) {
                moves.emplace_back(part.path(), into / part.path().filename());
            }
        } else {
            moves.emplace_back(entry.path(), folder_ / entry.path().filename());
        }
    }
    std::set<fs::path> written;
    for (const auto& [from, to] : moves) {
        written.insert(to);
        // A folder in the way of a part would fail its move after the
        // moves before it: seen now, nothing is moved.
        std::error_code ignored;
        if (fs::is_directory(to, ignored)) {
            throw Failure("No se puede escribir el archivo de salida: " + to.string() +
                          " es una carpeta");
        }
    }
    if (shapefile && target_.has_extension()) {
        for (const char* end :
             {".shp", ".shx", ".dbf", ".prj", ".cpg", ".qix", ".sbn", ".sbx", ".qpj", ".shp.xml"}) {
            fs::path old = target_;
            old.replace_extension(end);
            std::error_code ignored;
            if (!written.count(old) && fs::exists(old, ignored)) {
                fs::remove(old, ignored);
            }
        }
    }
    for (const auto& [from, to] : moves) {
        fs::rename(from, to);
    }
}

bool WriteLog(const std::string& path, const std::string& text) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        // 0666 less the umask, as any new file; O_EXCL never follows a link.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    const std::string bytes = api::LogFileBytes(text);
    std::size_t done = 0;
    bool good = true;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            good = false;
            break;
        }
        done += static_cast<std::size_t>(wrote);
    }
    good = ::fsync(fd) == 0 && good;
    good = ::close(fd) == 0 && good;
    if (!good || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace quillon::layers
