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
    if (raw.empty() || raw.back() != '\n') {
        return 0;
    }
    return raw.size() >= 2 && raw[raw.size() - 2] == '\r' ? 2 : 1;
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
    return lines_->Open(path);
}

bool DxfTagReader::ReadLine(std::string& raw) {
    if (!lines_->NextRaw(raw)) {
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
    tag.end_position = lines_->position();
    return true;
}

bool DxfTagReader::NextLine(std::string& raw) {
    return status_ == Status::kOk && ReadLine(raw);
}

bool DxfTagReader::Seek(std::uint64_t position, std::uint64_t line_number) {
    if (!lines_->Seek(position)) {
        status_ = Status::kReadError;
        return false;
    }
    status_ = Status::kOk;
    line_ = line_number;
    return true;
}

} // namespace dezadiravevava
