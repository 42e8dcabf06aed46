#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace tolvane {

// The threads of the window's background work: each runs below the interface thread's
// priority and is joined once it is done, or, when its owner goes, waited for.
class JobThreads {
  public:
    JobThreads() = default;
    JobThreads(const JobThreads&) = delete;
    JobThreads& operator=(const JobThreads&) = delete;
    ~JobThreads() { JoinFinished(true); }

    void Start(std::function<void()> work);
    // Joins the threads that are done, or all of them.
    void JoinFinished(bool all);

  private:
    struct Entry {
        std::shared_ptr<std::atomic<bool>> finished;
        std::thread thread;
    };
    std::vector<Entry> entries_;
};

}  // namespace tolvane
