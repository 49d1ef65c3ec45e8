// A file the engine writes: Windows-1252 text with CR LF line ends, whatever
// the platform, with every write checked.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace dezadiravevava {

class OutputFile {
public:
    enum class Mode { kTruncate, kAppend };

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or truncates (kTruncate) or appends, creating the file when it
    // does not exist (kAppend). False when it cannot be opened.
    bool Open(const std::string& path, Mode mode);
    bool is_open() const { return file_ != nullptr; }

    // Bytes exactly as given.
    void WriteRaw(std::string_view bytes);
    // Text in the engine's own UTF-8 literals: converted to Windows-1252,
    // each "\n" written as CR LF.
    void WriteText(std::string_view utf8);
    // Bytes as given, except that each "\n" is written as CR LF.
    void WriteLines(std::string_view bytes);

    // False once any write has failed.
    bool ok() const { return ok_; }
    // Flushes and closes; true when every byte reached the file.
    bool Close();

private:
    std::FILE* file_ = nullptr;
    bool ok_ = true;
};

// True when the file can be opened for reading.
bool FileExists(const std::string& path);

// Removes a file the engine created but could not complete, so that it cannot
// pass for a finished one. Only regular files are removed (never a device).
void RemoveIncompleteFile(const std::string& path);

} // namespace dezadiravevava
