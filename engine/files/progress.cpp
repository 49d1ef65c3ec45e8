#include "files/progress.h"

namespace dezadiravevava {

ProgressWindow::ProgressWindow(ProgressSink* sink, std::string_view caption, std::uint64_t size)
    : sink_(sink) {
    if (!sink_ || size <= kProgressThreshold) {
        return;
    }
    sink_->Open(caption, size);
    shown_ = true;
    stride_ = size / 1000 > 0 ? size / 1000 : 1;
    next_step_ = 0;
}

ProgressWindow::~ProgressWindow() {
    if (shown_) {
        sink_->Close();
    }
}

void ProgressWindow::Forward(std::uint64_t position) {
    sink_->Step(position);
    next_step_ = position + stride_;
}

} // namespace dezadiravevava
