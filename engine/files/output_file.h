// A file the engine writes: Windows-1252 text with CR LF line ends, whatever
// the platform, with every write checked, put in place only when complete.
//
// The bytes go to a new file beside the target (in the same folder, so that
// the last step is a rename within one file system), created exclusively,
// with the mode the umask gives a new file or, when the target exists, the
// target's own mode. Commit() renames it over the target in one step: until
// then the target is exactly as it was, and a file that is never committed
// is removed (by Discard or by the destructor). Readers see the old file or
// the new one, never a part of either.
//
// A target that is a symbolic link stands for the file it points to: that
// file is replaced and the link stays. A target that exists and is not a
// regular file (/dev/null, /dev/stdout, a pipe) cannot be replaced by a
// rename: it is written directly, as a stream. An existing file that this
// process may not write is not replaced either.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace dezadiravevava {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Starts the new file for `path`. False when it cannot be created.
    bool Open(const std::string& path);
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
    // Pushes everything written so far to the file and, for a file that will
    // replace its target, to the disk. False once any write has failed.
    bool Flush();
    // Flushes, closes and puts the file in place of its target. True when the
    // target now holds exactly the bytes written; otherwise the target is as
    // it was (a stream keeps what reached it).
    bool Commit();
    // Abandons the file: the target stays as it was, the new file is removed.
    void Discard();

private:
    // Starts the disk writing what has reached the file so far, without
    // waiting for it, so that the fsync before the rename waits only for the
    // last part.
    void StartWriteback();

    std::FILE* file_ = nullptr;
    std::string target_;    // the file to replace, symbolic links followed
    std::string temporary_; // the new file; empty for a stream
    bool ok_ = true;
    std::size_t written_ = 0;      // bytes given to the file
    std::size_t written_back_ = 0; // of them, those whose writing has started
};

// Whether a path names standard output ("-") or something that exists and is
// neither a regular file nor a folder (a device, a pipe, a terminal): such a
// target is written as a stream.
bool IsStreamTarget(const std::string& path);

// The file a path names once symbolic links are followed (also when the last
// one points to a file that does not exist yet); nothing for a loop.
std::optional<std::string> FollowLinks(const std::string& path);

// True when two paths name the same file: the same device and inode, or the
// same path once links are followed and the path is made absolute and plain
// ("./a/../b" is "b"). Character devices (a terminal, /dev/null) never count:
// reading and writing them destroys nothing. An empty path names no file.
bool SameFile(const std::string& a, const std::string& b);

} // namespace dezadiravevava
