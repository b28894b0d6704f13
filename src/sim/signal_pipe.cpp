// Self-pipe for the stop signals.
#include "sim/signal_pipe.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kavrin::sim {

namespace {

inline constexpr std::array kStopSignals{SIGINT, SIGTERM};

// The handler may touch only async-signal-safe state.
volatile std::sig_atomic_t gWriteFd = -1;
std::atomic<bool> gStop{false};

extern "C" void onStopSignal(int) {
    const int savedErrno = errno;
    gStop.store(true);
    const char byte = 1;
    // A full pipe already wakes the loop; the byte is only a doorbell.
    [[maybe_unused]] const auto written = ::write(gWriteFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

bool SignalPipe::install(std::string& error) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    read_.reset(fds[0]);
    write_.reset(fds[1]);
    gWriteFd = write_.get();

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked poll() returns at once
    for (const int signal : kStopSignals) {
        if (::sigaction(signal, &action, nullptr) != 0) {
            error = std::string("sigaction: ") + std::strerror(errno);
            return false;
        }
    }
    // Output goes to a pty and to files only; a vanished reader of stdout must not kill us.
    std::signal(SIGPIPE, SIG_IGN);
    installed_ = true;
    return true;
}

SignalPipe::~SignalPipe() {
    if (installed_) {
        for (const int signal : kStopSignals) {
            std::signal(signal, SIG_DFL);
        }
        gWriteFd = -1;
    }
}

bool SignalPipe::stopRequested() {
    std::array<char, 64> sink{};
    while (::read(read_.get(), sink.data(), sink.size()) > 0) {
    }
    return gStop.load();
}

} // namespace kavrin::sim
