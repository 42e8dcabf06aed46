#include "FreedMemory.h"

#include "BackgroundPriority.h"

#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tolvane {

void DisposeLater(std::vector<std::wstring> garbage) {
    if (garbage.size() < 1000)
        return;  // cheaper to free here than to start a thread
    std::thread([garbage = std::move(garbage)]() mutable {
        RunBelowInterface();
        garbage.clear();
    }).detach();
}

void ReturnFreedMemoryLater() {
#ifdef __GLIBC__
    std::thread([] {
        RunBelowInterface();
        malloc_trim(0);
    }).detach();
#endif
}

void HoldFreedMemoryUntilIdle() {
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    // One pool for every thread: the names a computation frees are reused by the next
    // one whichever thread runs it, instead of each new thread's pool faulting in pages
    // of its own for its first keystrokes.
    mallopt(M_ARENA_MAX, 1);
    // Also the vectors of 100,000 rows come from the kept memory, not from fresh maps.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

}  // namespace tolvane
