// The progress window of the long file operations. The engine decides when the
// window opens, what it says and where the bar stands; the host draws it.
#pragma once

#include <cstdint>
#include <string_view>

namespace dezadiravevava {

// What a host implements to draw the progress window.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Shows the window with a caption and a bar ranging 0 .. size bytes.
    virtual void Open(std::string_view caption, std::uint64_t size) = 0;
    // Moves the bar to a byte offset.
    virtual void Step(std::uint64_t position) = 0;
    // Removes the window.
    virtual void Close() = 0;
    // True once the user has asked the running operation to stop. Asked at
    // every step, whether the window is shown or not.
    virtual bool CancelRequested() { return false; }
};

inline constexpr std::uint64_t kProgressThreshold = 50000; // bytes
inline constexpr std::string_view kCaptionTransforming = "Transformando";
inline constexpr std::string_view kCaptionCentroid = "Calculando Centroide";

// One use of the progress window, for the length of a call. It is shown only
// for inputs above 50000 bytes and closed when the object goes out of scope,
// whichever way the call returns. Steps reach the sink only when the bar moves
// by at least a thousandth of its range, so a million-line file costs a
// thousand repaints, not a million. A cancel request is asked for between
// lines, whatever the size.
class ProgressWindow {
public:
    ProgressWindow(ProgressSink* sink, std::string_view caption, std::uint64_t size);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void Step(std::uint64_t position) {
        if (shown_ && position >= next_step_) {
            Forward(position);
        }
    }
    bool shown() const { return shown_; }
    // True when the operation should stop: its files are then abandoned.
    bool Cancelled() const { return sink_ && sink_->CancelRequested(); }

private:
    void Forward(std::uint64_t position);

    ProgressSink* sink_ = nullptr;
    bool shown_ = false;
    std::uint64_t stride_ = 1;
    std::uint64_t next_step_ = 0;
};

} // namespace dezadiravevava
