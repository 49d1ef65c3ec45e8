#include "files/output_file.h"

#include "files/text_encoding.h"

#include <filesystem>

namespace dezadiravevava {

OutputFile::~OutputFile() {
    Close();
}

bool OutputFile::Open(const std::string& path, Mode mode) {
    Close();
    ok_ = true;
    file_ = std::fopen(path.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    return file_ != nullptr;
}

void OutputFile::WriteRaw(std::string_view bytes) {
    if (!file_ || !ok_ || bytes.empty()) {
        ok_ = ok_ && file_ != nullptr;
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        ok_ = false;
    }
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

bool OutputFile::Close() {
    if (!file_) {
        return ok_;
    }
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        ok_ = false;
    }
    if (std::fclose(file_) != 0) {
        ok_ = false;
    }
    file_ = nullptr;
    return ok_;
}

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

} // namespace dezadiravevava

namespace dezadiravevava {

void RemoveIncompleteFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        std::filesystem::remove(path, error);
    }
}

} // namespace dezadiravevava
