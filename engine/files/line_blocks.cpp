#include "files/line_blocks.h"

namespace dezadiravevava {

bool LineBlockReader::Fill(LineBlock& block) {
    block.Clear(next_line_);
    if (cancelled_) {
        return false;
    }
    while (block.count < kLineBlockLines && block.text.size() < kLineBlockBytes) {
        const std::size_t size = block.text.size();
        // Most lines are taken straight from the reader's buffer.
        if (!input_.AppendBufferedLine(block.text)) {
            if (!input_.Next(line_)) {
                // A stop signal ends a read that waits on a pipe: the read
                // fails, and the run is cancelled, not unreadable.
                cancelled_ = input_.failed() && window_.Cancelled();
                return false;
            }
            block.text += line_;
            block.text += '\n';
        }
        window_.Step(input_.position());
        if (window_.Cancelled()) {
            cancelled_ = true; // this line is not used
            block.text.resize(size);
            return false;
        }
        if (input_.too_long()) {
            block.too_long.push_back(block.count);
        }
        ++block.count;
        ++next_line_;
    }
    return true;
}

} // namespace dezadiravevava
