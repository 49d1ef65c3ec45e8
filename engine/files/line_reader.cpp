#include "files/line_reader.h"

#include <climits>
#include <cstring>

namespace dezadiravevava {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

LineReader::~LineReader() {
    Close();
}

bool LineReader::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        return false;
    }
    buffer_.resize(kBufferSize);
    begin_ = end_ = 0;
    position_ = 0;
    failed_ = false;
    size_ = 0;
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long size = std::ftell(file_);
        if (size > 0) {
            size_ = static_cast<std::uint64_t>(size);
        }
    }
    std::rewind(file_);
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

bool LineReader::Next(std::string& content, std::string* raw) {
    if (raw) {
        raw->clear();
    }
    if (!NextRaw(content)) {
        return false;
    }
    if (raw) {
        *raw = content;
    }
    if (ended_by_line_feed_) {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
    }
    return true;
}

bool LineReader::NextRaw(std::string& content) {
    content.clear();
    ended_by_line_feed_ = false;
    bool any = false;
    while (true) {
        if (begin_ == end_ && !Fill()) {
            break;
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
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

TabFields::TabFields(std::string_view line) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < kMaxFields && start <= line.size(); ++i) {
        const std::size_t tab = line.find('\t', start);
        const std::size_t stop = tab == std::string_view::npos ? line.size() : tab;
        fields_[i] = line.substr(start, stop - start);
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
