// Reads a text file line by line, whole lines of any length, in a fixed-size
// buffer, keeping count of the bytes consumed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

class LineReader {
public:
    LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // Opens for reading; false when the file cannot be opened.
    bool Open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }
    void Close();

    // Size of the file in bytes (0 when unknown).
    std::uint64_t size() const { return size_; }

    // Reads the next line. `content` receives the line without its end; `raw`
    // (when given) the exact bytes of the line including its end, if any. A
    // line feed ends a line and a CR right before it belongs to the end.
    // Returns false at the end of the file (nothing read).
    bool Next(std::string& content, std::string* raw = nullptr);
    // Reads the next line as it stands, its end included.
    bool NextRaw(std::string& raw);

    // Whether the last line read was ended by a line feed.
    bool ended_by_line_feed() const { return ended_by_line_feed_; }
    // Bytes consumed so far.
    std::uint64_t position() const { return position_; }
    // True when a read error (not the end of the file) has occurred.
    bool failed() const { return failed_; }

    // Goes on reading from a byte offset (a line start found by an earlier
    // read); false when the file cannot be positioned there.
    bool Seek(std::uint64_t position);

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    bool ended_by_line_feed_ = false;
    bool failed_ = false;
};

// The fields of a point line: separated by single TABs, a field runs to the
// next TAB or the end of the line.
class TabFields {
public:
    explicit TabFields(std::string_view line);
    // Field i, empty when the line has fewer fields.
    std::string_view operator[](std::size_t i) const;

private:
    static constexpr std::size_t kMaxFields = 5;
    std::string_view fields_[kMaxFields];
};

} // namespace dezadiravevava
