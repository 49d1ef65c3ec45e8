// A progress sink that records what the engine asks of it.
#pragma once

#include "files/progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon_test {

class RecordingProgress : public dezadiravevava::ProgressSink {
public:
    void Open(std::string_view caption, std::uint64_t size) override {
        events.push_back("Open " + std::string(caption) + " " + std::to_string(size));
        ++open;
    }
    void Step(std::uint64_t position) override { steps.push_back(position); }
    void Close() override {
        events.push_back("Close");
        ++close;
    }

    std::vector<std::string> events;
    std::vector<std::uint64_t> steps;
    int open = 0;
    int close = 0;
};

} // namespace quillon_test
