// A million points fill tables of hundreds of megabytes, and on a machine
// whose kernel gives transparent huge pages on request ("madvise", Debian's
// default) touching that much fresh memory 4 KiB at a time costs a large
// share of a read or a run. glibc's allocator asks for huge pages when its
// tunable says so, and it reads its tunables only when a program starts: the
// program starts itself again once with the tunable set.
#pragma once

namespace quillon {

// Starts the program again (same arguments, same process) with glibc's
// allocator asking for huge pages, unless GLIBC_TUNABLES is already set (by
// the user, or by the first start). Returns only when it does not restart.
void RestartWithLargePages(char** argv);

} // namespace quillon
