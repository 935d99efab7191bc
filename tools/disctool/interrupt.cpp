#include "tools/disctool/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace disctool {

namespace {

// A few outputs are open at once at most (one per command); the handler reads this list only.
constexpr std::size_t kSlots = 8;
std::atomic<const char*> g_temporaries[kSlots];
std::atomic<pid_t> g_child{0};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int signal) {
    for (std::atomic<const char*>& slot : g_temporaries) {
        if (const char* path = slot.load(); path != nullptr) unlink(path);
    }
    if (const pid_t child = g_child.load(); child > 0) kill(child, SIGTERM);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

}  // namespace

void WatchInterrupts() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    for (const int signal : kSignals) {
        struct sigaction old {};
        sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // started in the background: keep ignoring
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (const int other : kSignals) sigaddset(&action.sa_mask, other);
        sigaction(signal, &action, nullptr);
    }
}

bool RemoveOnInterrupt(const char* path) {
    WatchInterrupts();
    for (std::atomic<const char*>& slot : g_temporaries) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path)) return true;
    }
    return false;
}

void ForgetOnInterrupt(const char* path) {
    for (std::atomic<const char*>& slot : g_temporaries) {
        const char* expected = path;
        slot.compare_exchange_strong(expected, nullptr);
    }
}

void StopOnInterrupt(pid_t child) {
    WatchInterrupts();
    g_child.store(child);
}

}  // namespace disctool
