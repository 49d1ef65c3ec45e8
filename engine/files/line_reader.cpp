#include "files/line_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace dezadiravevava {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
} // namespace

LineReader::LineReader(std::size_t line_limit) : limit_(std::max<std::size_t>(line_limit, 2)) {}

LineReader::~LineReader() {
    Close();
}

bool LineReader::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        return false;
    }
    // A folder opens for reading on this platform, and then fails to read:
    // it is no input.
    struct stat info {};
    if (::fstat(::fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
        Close();
        return false;
    }
    size_ =
        S_ISREG(info.st_mode) && info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    buffer_.resize(kBufferSize);
    begin_ = end_ = 0;
    position_ = 0;
    carry_.clear();
    in_long_line_ = too_long_ = ended_by_line_feed_ = failed_ = false;
    return true;
}

void LineReader::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool LineReader::Seek(std::uint64_t position) {
    if (!file_ || position > static_cast<std::uint64_t>(LONG_MAX) ||
        std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) {
        failed_ = true;
        return false;
    }
    begin_ = end_ = 0;
    position_ = position;
    carry_.clear();
    in_long_line_ = too_long_ = ended_by_line_feed_ = false;
    return true;
}

bool LineReader::Fill() {
    if (!file_) {
        return false;
    }
    begin_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ == 0 && std::ferror(file_)) {
        failed_ = true;
    }
    return end_ > 0;
}

bool LineReader::Take(std::string& content, std::size_t room) {
    ended_by_line_feed_ = false;
    bool any = false;
    if (!carry_.empty() && content.size() < room) {
        content += carry_; // never a line feed
        carry_.clear();
        any = true;
    }
    while (content.size() < room) {
        if (begin_ == end_ && !Fill()) {
            break;
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        const std::size_t available = std::min(end_ - begin_, room - content.size());
        const void* found = std::memchr(start, '\n', available);
        const std::size_t length =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) + 1
                  : available;
        content.append(start, length);
        begin_ += length;
        position_ += length;
        if (found) {
            ended_by_line_feed_ = true;
            break;
        }
    }
    return any;
}

void LineReader::Finish(std::string& content, std::string* raw) {
    if (raw) {
        *raw = content;
    }
    if (ended_by_line_feed_) {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
    }
}

bool LineReader::Next(std::string& content, std::string* raw) {
    if (raw) {
        raw->clear();
    }
    if (!NextRaw(content)) {
        return false;
    }
    Finish(content, raw);
    return true;
}

bool LineReader::NextRaw(std::string& content) {
    while (in_long_line_ && NextPiece(content)) {
        // the rest of an over-long line is dropped, piece by piece
    }
    content.clear();
    too_long_ = false;
    // Room for the line and for the CR of a CR LF end.
    if (!Take(content, limit_ + 1)) {
        return false;
    }
    if (!ended_by_line_feed_ && content.size() == limit_ + 1) {
        // Full without a line feed: the line still fits if a CR LF ends it here.
        if (content.back() == '\r' && (begin_ < end_ || Fill()) && buffer_[begin_] == '\n') {
            ++begin_;
            ++position_;
            content += '\n';
            ended_by_line_feed_ = true;
        } else {
            too_long_ = true;
            in_long_line_ = true;
            carry_.assign(1, content.back());
            content.pop_back();
            return true;
        }
    }
    return true;
}

bool LineReader::AppendBufferedLine(std::string& text) {
    if (in_long_line_ || !carry_.empty() || begin_ == end_) {
        return false;
    }
    // As Next: the line feed within the first limit + 1 bytes, a CR before it
    // belonging to the end.
    const char* start = buffer_.data() + begin_;
    const std::size_t window = std::min(end_ - begin_, limit_ + 1);
    const void* found = std::memchr(start, '\n', window);
    if (!found) {
        return false;
    }
    const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
    const std::size_t content = length > 0 && start[length - 1] == '\r' ? length - 1 : length;
    text.append(start, content);
    text.push_back('\n');
    begin_ += length + 1;
    position_ += length + 1;
    ended_by_line_feed_ = true;
    too_long_ = false;
    return true;
}

bool LineReader::NextPiece(std::string& content, std::string* raw) {
    content.clear();
    if (raw) {
        raw->clear();
    }
    if (!in_long_line_ || !Take(content, limit_)) {
        in_long_line_ = false;
        return false;
    }
    if (ended_by_line_feed_ || content.size() < limit_) {
        in_long_line_ = false; // the line ends in this piece
        Finish(content, raw);
        return true;
    }
    // A full piece: a CR at its end may begin the CR LF that ends the line.
    if (content.back() == '\r') {
        carry_.assign(1, '\r');
        content.pop_back();
    }
    if (raw) {
        *raw = content;
    }
    return true;
}

TabFields::TabFields(std::string_view line) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < kMaxFields && start <= line.size(); ++i) {
        const std::size_t tab = line.find('\t', start);
        const std::size_t stop = tab == std::string_view::npos ? line.size() : tab;
        fields_[i] = line.substr(start, stop - start);
        count_ = i + 1;
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
}

std::string_view TabFields::operator[](std::size_t i) const {
    return i < kMaxFields ? fields_[i] : std::string_view();
}

} // namespace dezadiravevava
