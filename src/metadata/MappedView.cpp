#include "MappedView.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace tolvane {

namespace {

// The mappings the handler may repair. The handler cannot take a lock, so each
// slot is published with atomics: `start` last when a view is made, first when it
// goes.
struct Slot {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<size_t> length{0};
};
constexpr int kSlots = 64;
std::array<Slot, kSlots> slots;
std::mutex slotsMutex;  // only between threads that claim or free slots

struct sigaction previousAction {};

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    for (const Slot& slot : slots) {
        const std::uintptr_t start = slot.start.load(std::memory_order_acquire);
        const size_t length = slot.length.load(std::memory_order_acquire);
        if (start == 0 || address < start || address >= start + length)
            continue;
        // Zero pages from the faulting one to the end of the view; the read that
        // faulted runs again and finds zeros.
        const std::uintptr_t intoPage = address & (pageSize - 1);
        void* page = static_cast<char*>(info->si_addr) - intoPage;
        void* replaced = ::mmap(page, start + length - (address - intoPage), PROT_READ,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (replaced != MAP_FAILED)
            return;
    }
    // Not a view of ours: what would have happened without us.
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    } else {
        // The faulting instruction runs again and meets the default action.
        ::signal(SIGBUS, SIG_DFL);
    }
}

void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousAction);
}

int ClaimSlot(unsigned char* data, size_t length) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandler);
    const std::lock_guard lock(slotsMutex);
    for (int i = 0; i < kSlots; ++i) {
        if (slots[i].start.load(std::memory_order_relaxed) == 0) {
            slots[i].length.store(length, std::memory_order_release);
            slots[i].start.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void FreeSlot(int i) {
    const std::lock_guard lock(slotsMutex);
    slots[i].start.store(0, std::memory_order_release);
    slots[i].length.store(0, std::memory_order_release);
}

}  // namespace

std::unique_ptr<MappedView> MappedView::Map(int fd, size_t length) {
    if (length == 0)
        return nullptr;
    void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        return nullptr;
    auto* bytes = static_cast<unsigned char*>(data);
    const int slot = ClaimSlot(bytes, length);
    if (slot < 0) {  // more views at once than we can watch: none rather than a risk
        ::munmap(data, length);
        return nullptr;
    }
    return std::unique_ptr<MappedView>(new MappedView(bytes, length, slot));
}

MappedView::~MappedView() {
    FreeSlot(slot_);
    ::munmap(data_, length_);
}

}  // namespace tolvane
