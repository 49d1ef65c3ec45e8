#include "files/output_file.h"

#include "files/text_encoding.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace dezadiravevava {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40; // as the kernel's own limit on a path

// How much a file to be renamed into place collects before its writing to the
// disk is started. A large result then goes to the disk while it is being
// made, rather than all of it during the final fsync.
constexpr std::size_t kWritebackStep = 2 * 1024 * 1024;

// A name for the new file: hidden, beside the target, unlikely to be taken
// (the exclusive creation makes sure it is not).
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned long> counter{0};
    const fs::path path(target);
    std::string base = path.filename().string();
    if (base.size() > 180) {
        base.resize(180); // leave room in a 255-byte file name
    }
    const auto ticks =
        static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%lx-%lx-%lx.tmp", static_cast<unsigned long>(::getpid()),
                  counter.fetch_add(1), ticks & 0xFFFFFFUL);
    const fs::path folder = path.parent_path();
    return (folder.empty() ? fs::path(".") : folder).string() + "/." + base + suffix;
}

} // namespace

std::optional<std::string> FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::error_code error;
        const fs::path link = fs::read_symlink(current, error);
        if (error) {
            return std::nullopt;
        }
        current =
            link.is_absolute() ? link.string() : (fs::path(current).parent_path() / link).string();
    }
    return std::nullopt;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    struct stat first {
    }, second{};
    const bool a_exists = ::stat(a.c_str(), &first) == 0;
    const bool b_exists = ::stat(b.c_str(), &second) == 0;
    if ((a_exists && S_ISCHR(first.st_mode)) || (b_exists && S_ISCHR(second.st_mode))) {
        return false;
    }
    if (a_exists && b_exists) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    const auto plain = [](const std::string& path) {
        std::error_code error;
        const fs::path absolute = fs::absolute(FollowLinks(path).value_or(path), error);
        return (error ? fs::path(path) : absolute).lexically_normal();
    };
    return plain(a) == plain(b);
}

bool IsStreamTarget(const std::string& path) {
    struct stat info {};
    return path == "-" ||
           (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode));
}

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::Open(const std::string& path) {
    Discard();
    ok_ = true;
    if (path == "-") {
        // Standard output, as the command line writes it.
        const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        file_ = fd < 0 ? nullptr : ::fdopen(fd, "wb");
        if (!file_ && fd >= 0) {
            ::close(fd);
        }
        target_ = path;
        return file_ != nullptr;
    }
    if (IsStreamTarget(path)) {
        // A device or a pipe, also one reached through a link that names no
        // file (/dev/stdout of a pipe: /proc/self/fd/1 -> "pipe:[...]").
        file_ = std::fopen(path.c_str(), "wb");
        target_ = path;
        return file_ != nullptr;
    }
    const auto target = FollowLinks(path);
    if (!target || target->empty()) {
        return false;
    }
    struct stat info {};
    const bool exists = ::stat(target->c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a pipe: written as a stream.
        file_ = std::fopen(target->c_str(), "wb");
        target_ = *target;
        return file_ != nullptr;
    }
    if (exists && ::access(target->c_str(), W_OK) != 0) {
        return false; // a file its owner keeps from being written stays as it is
    }
    int fd = -1;
    std::string temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(*target);
        // 0666 less the umask, as any new file; O_EXCL never follows a link.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    if (exists) {
        ::fchmod(fd, info.st_mode & 07777);
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    target_ = *target;
    temporary_ = temporary;
    written_ = 0;
    written_back_ = 0;
    return true;
}

void OutputFile::WriteRaw(std::string_view bytes) {
    if (!file_ || !ok_ || bytes.empty()) {
        ok_ = ok_ && file_ != nullptr;
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        ok_ = false;
        return;
    }
    written_ += bytes.size();
    if (!temporary_.empty() && written_ - written_back_ >= kWritebackStep) {
        StartWriteback();
    }
}

void OutputFile::StartWriteback() {
    if (std::fflush(file_) != 0) {
        ok_ = false;
        return;
    }
#if defined(__linux__)
    // Only a hint: where it fails, the fsync does all the work.
    ::sync_file_range(::fileno(file_), static_cast<off_t>(written_back_),
                      static_cast<off_t>(written_ - written_back_), SYNC_FILE_RANGE_WRITE);
#endif
    written_back_ = written_;
}

void OutputFile::WriteLines(std::string_view bytes) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            WriteRaw(bytes.substr(start, i - start));
            WriteRaw("\r\n");
            start = i + 1;
        }
    }
    WriteRaw(bytes.substr(start));
}

void OutputFile::WriteText(std::string_view utf8) {
    WriteLines(Utf8ToCp1252(utf8));
}

bool OutputFile::Flush() {
    if (!file_) {
        return false;
    }
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        ok_ = false;
    }
    // The data reaches the disk before the rename makes it the target, so a
    // crash leaves the old file or the whole new one.
    if (ok_ && !temporary_.empty() && ::fsync(::fileno(file_)) != 0) {
        ok_ = false;
    }
    return ok_;
}

bool OutputFile::Commit() {
    if (!file_) {
        return false;
    }
    Flush();
    if (std::fclose(file_) != 0) {
        ok_ = false;
    }
    file_ = nullptr;
    if (temporary_.empty()) {
        return ok_;
    }
    if (ok_ && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        ok_ = false;
    }
    if (!ok_) {
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return ok_;
}

void OutputFile::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace dezadiravevava
