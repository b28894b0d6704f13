// The signal handlers of InterruptGuard. A handler may only touch a lock-free atomic, re-install
// itself and end the process; everything else happens between the command's steps.
#include "cli/interrupt.h"

#include "cli/cli.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace kavrin::cli {

namespace {

std::atomic<bool> requestedFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int signal) {
    if (requestedFlag.exchange(true)) {
        std::_Exit(kExitInterrupted);
    }
    // Where a handler is reset on delivery, the second signal must still find it.
    std::signal(signal, onInterrupt);
}

} // namespace

InterruptGuard::InterruptGuard() {
    requestedFlag = false;
    previousInterrupt_ = std::signal(SIGINT, onInterrupt);
    previousTerminate_ = std::signal(SIGTERM, onInterrupt);
}

InterruptGuard::~InterruptGuard() {
    if (previousInterrupt_ != SIG_ERR) {
        std::signal(SIGINT, previousInterrupt_);
    }
    if (previousTerminate_ != SIG_ERR) {
        std::signal(SIGTERM, previousTerminate_);
    }
}

bool InterruptGuard::requested() const {
    return requestedFlag;
}

} // namespace kavrin::cli
