// Ctrl-C while a command holds the radio in a state it must leave again: the first SIGINT or
// SIGTERM only asks the command to stop at its next step, so that it can take the radio out of
// that state; a second one ends the process at once with kExitInterrupted.
#pragma once

namespace kavrin::cli {

// Installs the handlers for its lifetime and restores the ones before it. One at a time.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // A signal arrived since the guard was installed.
    bool requested() const;

private:
    using Handler = void (*)(int);
    Handler previousInterrupt_;
    Handler previousTerminate_;
};

} // namespace kavrin::cli
