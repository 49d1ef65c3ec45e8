// The host's progress callbacks as the engine's progress sink.
#pragma once

#include "control/dezadiravevava.h"
#include "files/progress.h"

#include <string>

namespace dezadiravevava {

class CallbackProgress : public ProgressSink {
public:
    void Install(const DzvProgressCallbacks& callbacks) { callbacks_ = callbacks; }

    void Open(std::string_view caption, std::uint64_t size) override {
        if (callbacks_.open) {
            const std::string text(caption);
            callbacks_.open(callbacks_.context, text.c_str(), size);
        }
    }
    void Step(std::uint64_t position) override {
        if (callbacks_.step) {
            callbacks_.step(callbacks_.context, position);
        }
    }
    void Close() override {
        if (callbacks_.close) {
            callbacks_.close(callbacks_.context);
        }
    }

private:
    DzvProgressCallbacks callbacks_{};
};

} // namespace dezadiravevava
