#include "common/temporary_paths.h"

#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

namespace tarvix {

namespace {

// The handler may only make async-signal-safe calls, so everything it needs is laid out
// beforehand: fixed slots of path text, each published by a lock-free flag once complete.
constexpr std::size_t kSlots = 16;
enum SlotState : int { kFree, kFilling, kRecorded };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

std::array<Slot, kSlots> slots;

static_assert(std::atomic<int>::is_always_lock_free);

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

extern "C" void removeAndRaise(int signalNumber) {
    // Files first: unlink refuses a folder, and rmdir a folder that still holds them.
    for (Slot& slot : slots) {
        if (slot.state.load() == kRecorded) {
            ::unlink(slot.path);
        }
    }
    for (Slot& slot : slots) {
        if (slot.state.load() == kRecorded) {
            ::rmdir(slot.path);
        }
    }
    // The action was reset on entry; the signal is blocked until the handler returns, and then
    // ends the program with its own status.
    ::raise(signalNumber);
}

}  // namespace

TemporaryPath::TemporaryPath(const std::string& path) : slot_(-1) {
    if (path.empty() || path.size() >= PATH_MAX) {
        return;
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            slots[i].state.store(kRecorded);
            slot_ = static_cast<int>(i);
            return;
        }
    }
}

TemporaryPath::~TemporaryPath() {
    if (slot_ >= 0) {
        slots[static_cast<std::size_t>(slot_)].state.store(kFree);
    }
}

HeldSignals::HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signalNumber : kSignals) {
        sigaddset(&held, signalNumber);
    }
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

HeldSignals::~HeldSignals() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void removeTemporaryPathsOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeAndRaise;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    for (const int signalNumber : kSignals) {
        struct sigaction old {};
        if (::sigaction(signalNumber, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            ::sigaction(signalNumber, &action, nullptr);
        }
    }
}

}  // namespace tarvix
