#include "RowsSnapshot.h"

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

}  // namespace tolvane
