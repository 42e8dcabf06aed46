#include "JobThreads.h"

#include "BackgroundPriority.h"

namespace tolvane {

void JobThreads::Start(std::function<void()> work) {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    entries_.push_back({finished, std::thread([finished, work = std::move(work)] {
                            RunBelowInterface();
                            work();
                            *finished = true;
                        })});
}

void JobThreads::JoinFinished(bool all) {
    std::erase_if(entries_, [all](Entry& entry) {
        if (!all && !*entry.finished)
            return false;
        entry.thread.join();
        return true;
    });
}

}  // namespace tolvane
