#include "files/ordered_work.h"

namespace dezadiravevava {

int RunThreads(int requested) {
    if (requested < 1) {
        // 0 when the machine does not say.
        requested = static_cast<int>(std::min(std::thread::hardware_concurrency(), 1024U));
    }
    return std::clamp(requested, 1, kMaxThreads);
}

} // namespace dezadiravevava
