// The serving loop: frames in from the pseudo-terminal, through the fault injector and the radio,
// responses back out, until a stop signal arrives.
#pragma once

#include "link/frame.h"
#include "sim/event_log.h"
#include "sim/faults.h"
#include "sim/pseudo_terminal.h"
#include "sim/radio.h"
#include "sim/registration.h"
#include "sim/signal_pipe.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace kavrin::sim {

struct ServeConfig {
    std::uint32_t delayMs = 0;
    std::uint32_t lineRate = 0;               // baud; 0 for no pacing
    std::optional<std::uint64_t> muteAfter;   // requests served before the radio falls silent
    std::optional<std::uint64_t> hangupAfter; // requests served before the port disappears
    bool verbose = false;
};

class Server {
public:
    Server(PseudoTerminal& pty, Registration& registration, Radio& radio, EventLog& log,
           FaultInjector& faults, SignalPipe& signals, ServeConfig config);

    // Returns when SIGINT or SIGTERM arrived.
    void run();

    // Called with the radio's state after every request it executed, before the answer leaves.
    void setStateObserver(std::function<void(const RadioState&)> observer) {
        observer_ = std::move(observer);
    }

    std::uint64_t requestsServed() const { return served_; }

private:
    void readAvailable();
    void onFrame(wire::Frame frame);
    void send(std::vector<std::uint8_t> frame);
    bool writeAll(std::span<const std::uint8_t> bytes);
    // Waits for the stop signal for at most the given time; false when it came.
    bool pause(std::uint32_t milliseconds);
    bool checkStop();
    void hangUp(std::string_view why);
    // Closing the master discards what the host has not read yet, so the last response gets a
    // moment to be collected before the cable is "pulled".
    void awaitHostRead();
    bool muted() const;
    void trace(std::string_view what, const wire::Frame& frame) const;

    PseudoTerminal& pty_;
    Registration& registration_;
    Radio& radio_;
    EventLog& log_;
    FaultInjector& faults_;
    SignalPipe& signals_;
    ServeConfig config_;
    std::function<void(const RadioState&)> observer_;

    wire::FrameDecoder decoder_;
    std::uint64_t served_ = 0;
    bool stop_ = false;
};

} // namespace kavrin::sim
