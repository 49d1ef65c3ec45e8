// A run's results written the safe way: the output staged beside its target
// (StagedOutput), the log renamed over the previous one (WriteLog); neither
// replaces what was there before it is complete.
#pragma once

#include <filesystem>
#include <string>

namespace quillon::layers {

// The output's parts are written into a folder of their own beside the target
// and moved into place only once all of them are complete; whatever happens
// before, the folder goes with everything in it.
class StagedOutput {
public:
    // Creates the folder beside `target`; a Failure when it cannot.
    explicit StagedOutput(const std::string& target);
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;
    ~StagedOutput();

    // Where the dataset is written.
    std::string path() const { return (staging_ / target_.filename()).string(); }

    // Moves every part into place; the parts of a previous set that the new
    // one lacks (a Shapefile's old .cpg or index) go.
    void Commit(bool shapefile);

private:
    std::filesystem::path target_;
    std::filesystem::path folder_;
    std::filesystem::path staging_;
};

// The log, written beside its target and renamed over it when complete;
// false when it could not be, the previous log then left as it was.
bool WriteLog(const std::string& path, const std::string& text);

} // namespace quillon::layers
