// Reads a text file line by line in a fixed-size buffer, keeping count of the
// bytes consumed. Memory stays bounded whatever the file: a line longer than
// the reader's limit is handed over in pieces, never held whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace dezadiravevava {

// The longest line of a TXT point file, without its end.
inline constexpr std::size_t kTxtLineLimit = 64 * 1024;
// No limit beyond what memory allows.
inline constexpr std::size_t kNoLineLimit = SIZE_MAX / 4;

class LineReader {
public:
    // `line_limit`: the longest line, in bytes without its end, that Next
    // returns whole.
    explicit LineReader(std::size_t line_limit = kNoLineLimit);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // Opens for reading; false when the file cannot be opened or is a folder.
    bool Open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }
    void Close();

    // Size of the file in bytes (0 when unknown, as for a pipe).
    std::uint64_t size() const { return size_; }

    // Reads the next line. `content` receives the line without its end; `raw`
    // (when given) the exact bytes of the line including its end, if any. A
    // line feed ends a line and a CR right before it belongs to the end.
    // Returns false at the end of the file (nothing read).
    //
    // A line longer than the limit comes as its first `limit` bytes, with
    // too_long() set: NextPiece then gives the rest, piece by piece; the next
    // call of Next drops whatever is left of it.
    bool Next(std::string& content, std::string* raw = nullptr);
    // The same, with `raw` only: the exact bytes of the line, its end included.
    bool NextRaw(std::string& raw);

    // The next piece (at most `limit` bytes) of a line that was too long, as
    // Next gives a line: the last piece carries the line's end, if any. False
    // when the line has no more pieces.
    bool NextPiece(std::string& content, std::string* raw = nullptr);

    // Next for a line that lies whole in the buffer: appends its content and
    // a '\n' to `text`. False, with nothing read, when the line is not whole
    // in the buffer, or is read in pieces: Next then reads it.
    bool AppendBufferedLine(std::string& text);

    // Whether the last line read was longer than the limit.
    bool too_long() const { return too_long_; }
    // Whether the last line (or piece) read was ended by a line feed.
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
    // Appends bytes up to and including a line feed, or until `content` holds
    // `room` bytes; sets ended_by_line_feed_. False when nothing was read.
    bool Take(std::string& content, std::size_t room);
    void Finish(std::string& content, std::string* raw);

    std::size_t limit_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::string carry_; // bytes read ahead that belong to the next piece
    bool in_long_line_ = false;
    bool too_long_ = false;
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
    // The number of fields the line has, up to five.
    std::size_t count() const { return count_; }

private:
    static constexpr std::size_t kMaxFields = 5;
    std::string_view fields_[kMaxFields];
    std::size_t count_ = 0;
};

} // namespace dezadiravevava
