// Point files read in blocks of lines, for the worker threads of a run (see
// ordered_work.h). The calling thread reads the lines, moves the progress bar
// and asks for a cancel request before each line, exactly as a run that reads
// line by line; the workers get whole blocks; the calling thread takes the
// blocks back in input order.
#pragma once

#include "files/line_reader.h"
#include "files/ordered_work.h"
#include "files/progress.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dezadiravevava {

// A block holds lines up to this many bytes (the last line may end past it)
// or this many lines, whichever comes first.
inline constexpr std::size_t kLineBlockBytes = 128 * 1024;
inline constexpr std::size_t kLineBlockLines = 2048;

struct LineBlock {
    std::int64_t first_line = 0;       // the number in the file of its first line (from 1)
    std::string text;                  // each line without its end, followed by '\n'
    std::vector<std::size_t> too_long; // lines longer than the reader's limit, from 0:
                                       // only their start is held
    std::size_t count = 0;

    void Clear(std::int64_t first) {
        first_line = first;
        text.clear();
        too_long.clear();
        count = 0;
    }
    std::size_t bytes() const { return text.size() + too_long.size() * sizeof(std::size_t); }
};

// Calls each(line_number, content, too_long) for every line of a block, in order.
template <typename Each>
void ForEachLine(const LineBlock& block, Each each) {
    const std::string_view text(block.text);
    std::size_t start = 0;
    std::size_t next_long = 0;
    for (std::size_t i = 0; i < block.count; ++i) {
        const std::size_t end = text.find('\n', start);
        const bool too_long = next_long < block.too_long.size() && block.too_long[next_long] == i;
        next_long += too_long ? 1 : 0;
        each(block.first_line + static_cast<std::int64_t>(i), text.substr(start, end - start),
             too_long);
        start = end + 1;
    }
}

// How the reading of a file's lines ended.
enum class LinesEnd {
    kEnd,       // every line was read and taken back
    kCancelled, // the user asked to stop: the lines before that were taken back
    kStopped,   // the taker asked to stop (say, the output cannot be written)
};

class LineBlockReader {
public:
    // Reads `input` from its current position; the next line is numbered
    // `next_line`.
    LineBlockReader(LineReader& input, ProgressWindow& window, std::int64_t next_line)
        : input_(input), window_(window), next_line_(next_line) {}

    // Fills a block with the next lines. False when there are no more lines
    // to read, or the user asked to stop (cancelled() says which); the block
    // may still hold lines then.
    bool Fill(LineBlock& block);
    bool cancelled() const { return cancelled_; }

private:
    LineReader& input_;
    ProgressWindow& window_;
    std::int64_t next_line_;
    std::string line_;
    bool cancelled_ = false;
};

// Reads every line after the current one into blocks of `Block` (which holds
// its lines in a member `lines`), has `work(Block&)` done to each on `threads`
// threads and gives each back to `take(Block&)` in input order, on the
// calling thread. `take` answers false to stop the run there. `Reader` is a
// LineBlockReader, or another reader with its Fill and cancelled for the
// kind of `lines`.
template <typename Block, typename Reader, typename Work, typename Take>
LinesEnd RunLineBlocks(Reader& reader, int threads, Work work, Take take) {
    OrderedWork<Block> pool(threads, std::move(work));
    Block block;
    Block spare; // a block taken back, whose buffers the next one reuses
    for (;;) {
        const bool more = reader.Fill(block.lines);
        if (block.lines.count > 0) {
            const std::size_t bytes = block.lines.bytes();
            while (!pool.HasRoomFor(bytes)) {
                spare = pool.TakeOldest();
                if (!take(spare)) {
                    return LinesEnd::kStopped;
                }
            }
            pool.HandOver(std::move(block), bytes);
            block = std::move(spare);
        }
        if (!more) {
            break;
        }
    }
    while (!pool.empty()) {
        Block done = pool.TakeOldest();
        if (!take(done)) {
            return LinesEnd::kStopped;
        }
    }
    return reader.cancelled() ? LinesEnd::kCancelled : LinesEnd::kEnd;
}

} // namespace dezadiravevava
