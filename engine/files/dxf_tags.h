// A DXF drawing read as what it is: a sequence of (group code, value) pairs,
// two lines each. The code is an integer written with or without blanks
// around it; the value is the whole next line. Each pair keeps the exact
// bytes of both lines, ends included, so that a writer can copy it unchanged.
// Lines end in LF or CR LF, or, in drawings of old Macintosh programs, in a
// CR alone.
#pragma once

#include "files/line_reader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace dezadiravevava {

struct DxfTag {
    int code = 0;
    std::string code_line;          // exact bytes, line end included
    std::string value_line;         // exact bytes, line end included
    std::size_t value_end = 0;      // bytes of the value line's end: 0, 1 (LF, CR) or 2 (CR LF)
    std::uint64_t line = 0;         // line number of the code line, from 1; the value is line + 1
    std::uint64_t end_position = 0; // byte offset just after the value line

    // The value without its line end.
    std::string_view value() const {
        return std::string_view(value_line).substr(0, value_line.size() - value_end);
    }
    // The line end of the value, as found.
    std::string_view value_ending() const {
        return std::string_view(value_line).substr(value_line.size() - value_end);
    }
    // The value without blanks around it: how names (SECTION, LINE, $EXTMIN)
    // are compared.
    std::string_view Keyword() const;
    bool Is(int group_code, std::string_view keyword) const {
        return code == group_code && Keyword() == keyword;
    }
    std::uint64_t value_line_number() const { return line + 1; }

    // Exchanges two tags, each keeping the other's buffers for its next use.
    void Swap(DxfTag& other) noexcept {
        std::swap(code, other.code);
        code_line.swap(other.code_line);
        value_line.swap(other.value_line);
        std::swap(value_end, other.value_end);
        std::swap(line, other.line);
        std::swap(end_position, other.end_position);
    }
};

class DxfTagReader {
public:
    enum class Status {
        kOk,
        kEnd,       // the drawing ended where a pair could start
        kCut,       // the drawing ended after a code line, without its value
        kBinary,    // a binary DXF (its sentinel line)
        kNotText,   // no text at all: UTF-16, a picture, an archive
        kBadCode,   // a code line that is not an integer
        kTooLong,   // a line longer than kMaxLine
        kReadError, // the file could not be read
    };

    // The longest line read: a value may hold text, but not without limit.
    static constexpr std::size_t kMaxLine = 1024 * 1024;

    // Reads a file of its own (Open), or lines that another reader has opened,
    // made with the limit kMaxLine.
    DxfTagReader() = default;
    explicit DxfTagReader(LineReader& lines) : lines_(&lines) {}
    DxfTagReader(const DxfTagReader&) = delete;
    DxfTagReader& operator=(const DxfTagReader&) = delete;

    bool Open(const std::string& path);
    std::uint64_t size() const { return lines_->size(); }

    // Reads the next pair. False at the end of the drawing or on an error;
    // status() then says which, and line() where.
    bool Next(DxfTag& tag);
    // Reads the next line as it stands (after the end of the drawing).
    bool NextLine(std::string& raw);

    // Moves to a byte offset that starts a pair, whose line number is given.
    bool Seek(std::uint64_t position, std::uint64_t line_number);

    Status status() const { return status_; }
    // Lines read so far: the number of the last line read.
    std::uint64_t line() const { return line_; }
    std::uint64_t position() const { return lines_->position() - (cr_buffer_.size() - cr_at_); }

private:
    bool ReadLine(std::string& raw);
    // The next bytes of the file up to a line feed (or a piece of a longer
    // run of bytes), exact.
    bool ReadChunk(std::string& chunk);
    // A line ended by CR alone, from the bytes read ahead.
    bool ReadCrLine(std::string& raw);

    LineReader own_{kMaxLine};
    LineReader* lines_ = &own_;
    Status status_ = Status::kOk;
    std::uint64_t line_ = 0;
    // Whether lines end in CR alone: unknown until the first bytes are read.
    enum class Ends { kUnknown, kLineFeed, kCarriageReturn } ends_ = Ends::kUnknown;
    bool in_piece_ = false; // a chunk longer than a line was read in part
    std::string cr_buffer_; // bytes read ahead, lines ended by CR
    std::size_t cr_at_ = 0; // where the next of them starts
    std::string chunk_;
};

// Group code text: an integer with optional blanks around it (a UTF-8 byte
// order mark may precede the first). False when the text is no integer.
bool ParseGroupCode(std::string_view text, int& code);
// An integer value (flags, counts): the same form as a group code.
inline bool ParseDxfInteger(std::string_view text, int& value) {
    return ParseGroupCode(text, value);
}

} // namespace dezadiravevava
