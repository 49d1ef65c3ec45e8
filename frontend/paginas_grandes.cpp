#include "paginas_grandes.h"

#include <cstdlib>
#include <unistd.h>

namespace quillon {

void RestartWithLargePages(char** argv) {
    if (std::getenv("GLIBC_TUNABLES") != nullptr) {
        return;
    }
    if (setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 0) != 0) {
        return;
    }
    execv("/proc/self/exe", argv);
    // No restart (no /proc, say): go on as started; the variable stays, so
    // that nothing started from here tries again.
}

} // namespace quillon
