// Worker threads for the file runs. The calling thread reads its input in
// blocks and hands them over in order; workers transform them in parallel;
// the calling thread takes them back in the order it handed them over, so
// that what it writes is the same whatever the number of threads.
//
// The calling thread keeps everything that must happen in input order or on
// its own thread: reading, the progress callbacks, the cancel check, the log
// and the output file. Workers touch nothing but the block they were given.
//
// Memory stays bounded: at most `max_blocks` blocks and about `max_bytes`
// bytes are out at a time; a caller that wants to hand over more first takes
// the oldest back. With one thread there is no worker at all: a block is
// worked on by the calling thread when it is handed over.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace dezadiravevava {

// The most worker threads a run starts, whatever it is asked for.
inline constexpr int kMaxThreads = 64;

// The number of threads of a run: `requested`, or the machine's cores when it
// is 0 or less; at least 1 and at most kMaxThreads.
int RunThreads(int requested);

// What a run may hold out at a time.
inline constexpr std::size_t kMaxBlocksOut = 16;
inline constexpr std::size_t kMaxBytesOut = 6 * 1024 * 1024;

template <typename Block>
class OrderedWork {
public:
    using Work = std::function<void(Block&)>;

    // `threads` as RunThreads gives it; 1 works in the calling thread.
    OrderedWork(int threads, Work work)
        : threads_(threads < 1 ? 1 : threads), in_caller_(threads_ <= 1), work_(std::move(work)),
          slots_(in_caller_ ? 1
                            : std::min<std::size_t>(2 * static_cast<std::size_t>(threads_) + 2,
                                                    kMaxBlocksOut)) {}
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Blocks still out are dropped: a worker finishes the block it holds,
    // then stops.
    ~OrderedWork() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (std::thread& worker : workers_) {
            worker.join();
        }
    }

    bool empty() const { return taken_ == handed_; }

    // Whether a block of `bytes` can be handed over now; when not, the
    // oldest must be taken back first. An empty pipeline takes any block.
    bool HasRoomFor(std::size_t bytes) const {
        return empty() || (handed_ - taken_ < slots_.size() && bytes_out_ + bytes <= kMaxBytesOut);
    }

    // Hands a block over (HasRoomFor must have said yes). With one thread it
    // is worked on here and now.
    void HandOver(Block&& block, std::size_t bytes) {
        Slot& slot = slots_[handed_ % slots_.size()];
        slot.block = std::move(block);
        slot.bytes = bytes;
        slot.error = nullptr;
        if (handed_ > taken_) {
            StartWorkers(); // a second block out: worth the threads
        }
        if (in_caller_) {
            // Blocks handed over before the workers failed to start first.
            for (; started_ < handed_; ++started_) {
                Slot& earlier = slots_[started_ % slots_.size()];
                Run(earlier);
                earlier.done = true;
            }
            slot.done = false;
            Run(slot);
            slot.done = true;
            ++handed_;
            ++started_;
            bytes_out_ += bytes;
            return;
        }
        {
            std::lock_guard lock(mutex_);
            slot.done = false;
            ++handed_;
            bytes_out_ += bytes;
        }
        ready_.notify_one();
    }

    // Waits for the oldest block out and gives it back, worked on; rethrows
    // what its work threw. While it waits, the calling thread works on
    // blocks no worker has started.
    Block TakeOldest() {
        std::unique_lock lock(mutex_);
        Slot& oldest = slots_[taken_ % slots_.size()];
        while (!oldest.done) {
            if (started_ < handed_) {
                Slot& slot = slots_[started_++ % slots_.size()];
                lock.unlock();
                Run(slot);
                lock.lock();
                slot.done = true;
                continue;
            }
            done_.wait(lock);
        }
        ++taken_;
        bytes_out_ -= oldest.bytes;
        Block block = std::move(oldest.block);
        if (oldest.error) {
            std::rethrow_exception(std::exchange(oldest.error, nullptr));
        }
        return block;
    }

private:
    struct Slot {
        Block block{};
        std::size_t bytes = 0;
        bool done = true;
        std::exception_ptr error;
    };

    void Run(Slot& slot) noexcept {
        try {
            work_(slot.block);
        } catch (...) {
            slot.error = std::current_exception();
        }
    }

    // The workers start with the second block out at a time: a run of one
    // block (a small file) starts none, the calling thread works on it. A
    // system that gives fewer threads than asked gets the work done by those
    // it gives, or by the calling thread alone.
    void StartWorkers() {
        if (in_caller_ || !workers_.empty()) {
            return;
        }
        try {
            workers_.reserve(static_cast<std::size_t>(threads_));
            for (int i = 0; i < threads_; ++i) {
                workers_.emplace_back([this] { WorkerLoop(); });
            }
        } catch (...) {
            in_caller_ = workers_.empty();
        }
    }

    void WorkerLoop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return stopping_ || started_ < handed_; });
            if (stopping_) {
                return;
            }
            Slot& slot = slots_[started_++ % slots_.size()];
            lock.unlock();
            Run(slot);
            lock.lock();
            slot.done = true;
            done_.notify_one();
        }
    }

    const int threads_;
    bool in_caller_; // no worker threads: every block is worked on when handed over
    const Work work_;
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable ready_; // a block waits for a worker, or the work stops
    std::condition_variable done_;  // a block has been worked on
    bool stopping_ = false;
    // Counts of blocks handed over, started by a thread and taken back; the
    // block numbered n sits in slot n % slots_.size().
    std::size_t handed_ = 0;
    std::size_t started_ = 0;
    std::size_t taken_ = 0;
    std::size_t bytes_out_ = 0;
};

} // namespace dezadiravevava
