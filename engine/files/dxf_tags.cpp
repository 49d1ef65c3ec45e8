#include "files/dxf_tags.h"

#include <charconv>

namespace dezadiravevava {

namespace {

// The first line of a binary DXF: "AutoCAD Binary DXF", CR LF, SUB, NUL.
constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::size_t EndingSize(std::string_view raw) {
    if (raw.empty() || (raw.back() != '\n' && raw.back() != '\r')) {
        return 0;
    }
    return raw.back() == '\n' && raw.size() >= 2 && raw[raw.size() - 2] == '\r' ? 2 : 1;
}

// A CR that does not end its line: the line ends of the file are CRs alone.
bool HasLoneCarriageReturn(std::string_view bytes) {
    for (std::size_t at = bytes.find('\r'); at != std::string_view::npos;
         at = bytes.find('\r', at + 1)) {
        if (at + 1 < bytes.size() && bytes[at + 1] != '\n') {
            return true;
        }
    }
    return false;
}

// The first line of a file that is no text: a NUL (UTF-16 has one in every
// character of a DXF), a UTF-16 byte order mark, or control bytes other than
// blanks (a PNG starts with 0x89 "PNG" CR LF SUB LF).
bool IsNoText(std::string_view line) {
    if (line.substr(0, 2) == "\xFF\xFE" || line.substr(0, 2) == "\xFE\xFF") {
        return true;
    }
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            return true;
        }
    }
    return line.substr(0, 4) == "\x89PNG";
}

} // namespace

std::string_view DxfTag::Keyword() const {
    return Trimmed(value());
}

bool ParseGroupCode(std::string_view text, int& code) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, code);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool DxfTagReader::Open(const std::string& path) {
    status_ = Status::kOk;
    line_ = 0;
    cr_buffer_.clear();
    cr_at_ = 0;
    in_piece_ = false;
    return lines_->Open(path);
}

bool DxfTagReader::ReadChunk(std::string& chunk) {
    if (in_piece_) {
        std::string content;
        if (lines_->NextPiece(content, &chunk)) {
            return true;
        }
        in_piece_ = false;
    }
    if (!lines_->NextRaw(chunk)) {
        return false;
    }
    in_piece_ = lines_->too_long();
    return true;
}

bool DxfTagReader::ReadLine(std::string& raw) {
    if (ends_ == Ends::kCarriageReturn) {
        return ReadCrLine(raw);
    }
    if (ends_ == Ends::kUnknown) {
        if (!ReadChunk(chunk_)) {
            status_ = lines_->failed() ? Status::kReadError : Status::kEnd;
            return false;
        }
        if (HasLoneCarriageReturn(chunk_)) {
            ends_ = Ends::kCarriageReturn;
            cr_buffer_ = chunk_;
            cr_at_ = 0;
            return ReadCrLine(raw);
        }
        ends_ = Ends::kLineFeed;
        raw.swap(chunk_);
    } else if (!lines_->NextRaw(raw)) {
        status_ = lines_->failed() ? Status::kReadError : Status::kEnd;
        return false;
    }
    ++line_;
    if (lines_->too_long()) {
        status_ = Status::kTooLong; // the rest of it is never read
        return false;
    }
    return true;
}

bool DxfTagReader::ReadCrLine(std::string& raw) {
    std::size_t end = cr_buffer_.find('\r', cr_at_);
    // A CR at the end of what was read may be the first half of a CR LF.
    while (end == std::string::npos || end + 1 == cr_buffer_.size()) {
        if (cr_buffer_.size() - cr_at_ > kMaxLine + 2) {
            break;
        }
        if (!ReadChunk(chunk_)) {
            if (lines_->failed()) {
                status_ = Status::kReadError;
                return false;
            }
            break;
        }
        cr_buffer_.erase(0, cr_at_);
        cr_at_ = 0;
        cr_buffer_ += chunk_;
        end = cr_buffer_.find('\r');
    }
    if (cr_at_ == cr_buffer_.size()) {
        status_ = Status::kEnd;
        return false;
    }
    std::size_t stop = end == std::string::npos ? cr_buffer_.size() : end + 1;
    if (stop < cr_buffer_.size() && cr_buffer_[stop] == '\n') {
        ++stop;
    }
    ++line_;
    if (stop - cr_at_ > kMaxLine + 2) {
        status_ = Status::kTooLong;
        return false;
    }
    raw.assign(cr_buffer_, cr_at_, stop - cr_at_);
    cr_at_ = stop;
    return true;
}

bool DxfTagReader::Next(DxfTag& tag) {
    if (status_ != Status::kOk) {
        return false;
    }
    if (!ReadLine(tag.code_line)) {
        return false;
    }
    const std::string_view code_text(tag.code_line);
    if (line_ == 1 && code_text.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        status_ = Status::kBinary;
        return false;
    }
    if (line_ == 1 && IsNoText(code_text)) {
        status_ = Status::kNotText;
        return false;
    }
    if (!ParseGroupCode(code_text.substr(0, code_text.size() - EndingSize(code_text)), tag.code)) {
        status_ = Status::kBadCode;
        return false;
    }
    tag.line = line_;
    if (!ReadLine(tag.value_line)) {
        if (status_ == Status::kEnd) {
            status_ = Status::kCut;
        }
        return false;
    }
    tag.value_end = EndingSize(tag.value_line);
    tag.end_position = position();
    return true;
}

bool DxfTagReader::NextLine(std::string& raw) {
    return status_ == Status::kOk && ReadLine(raw);
}

bool DxfTagReader::Seek(std::uint64_t position, std::uint64_t line_number) {
    cr_buffer_.clear();
    cr_at_ = 0;
    in_piece_ = false;
    if (!lines_->Seek(position)) {
        status_ = Status::kReadError;
        return false;
    }
    status_ = Status::kOk;
    line_ = line_number;
    return true;
}

} // namespace dezadiravevava
