#include "cli/StopSignals.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <signal.h>

namespace tessoly::cli {

namespace {

// Written from a signal handler on whichever thread receives the signal.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag must be safe in a signal handler");

extern "C" void OnStopSignal(int sig) {
    // The first signal names the stop; later ones change nothing.
    int none = 0;
    stopSignal.compare_exchange_strong(none, sig);
}

void CatchUnlessIgnored(int sig) {
    struct sigaction previous {};
    if (::sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume, so no read or write of an image fails with EINTR.
    action.sa_flags = SA_RESTART;
    ::sigaction(sig, &action, nullptr);
}

} // namespace

void InstallStopHandlers() {
    std::signal(SIGPIPE, SIG_IGN);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        CatchUnlessIgnored(sig);
}

int StopSignal() {
    return stopSignal.load();
}

void EndBySignal(int sig) {
    std::fflush(nullptr);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    // Only reached if the signal is blocked or its default is to go on.
    std::_Exit(128 + sig);
}

} // namespace tessoly::cli
