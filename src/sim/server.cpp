// poll()-driven serving loop of the virtual radio.
#include "sim/server.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace kavrin::sim {

namespace {

// Large enough for several maximal frames, so one read usually drains what the host sent.
inline constexpr std::size_t kReadChunk = 4096;
inline constexpr int kForever = -1;
inline constexpr int kCandidateTimeoutMs = 100;
// How long a hang-up waits for the host to read the last response; a host that takes longer has
// given up on it anyway.
inline constexpr std::chrono::milliseconds kHangupGrace{1000};
inline constexpr std::chrono::milliseconds kArrivalGrace{20};
inline constexpr int kHangupCheckMs = 1;

} // namespace

Server::Server(PseudoTerminal& pty, Registration& registration, Radio& radio, EventLog& log,
               FaultInjector& faults, SignalPipe& signals, ServeConfig config)
    : pty_(pty), registration_(registration), radio_(radio), log_(log), faults_(faults),
      signals_(signals), config_(config) {}

void Server::run() {
    if (config_.hangupAfter && *config_.hangupAfter == 0) {
        hangUp("hang-up after 0 requests");
    }
    while (!stop_) {
        std::array<pollfd, 2> fds{};
        fds[0] = pollfd{signals_.readFd(), POLLIN, 0};
        nfds_t count = 1;
        if (pty_.isOpen()) {
            fds[1] = pollfd{pty_.master(), POLLIN, 0};
            count = 2;
        }
        // Half a frame followed by silence is the tail of a damaged or abandoned transmission;
        // giving it up keeps a bad length field from swallowing the next requests.
        const int wait = decoder_.buffered() > 0 ? kCandidateTimeoutMs : kForever;
        const int ready = ::poll(fds.data(), count, wait);
        if (ready < 0) {
            if (errno != EINTR) {
                std::cerr << "kavrin-radio-sim: poll: " << std::strerror(errno) << '\n';
                return;
            }
            checkStop();
            continue;
        }
        if (ready == 0) {
            decoder_.abandonCandidate();
            continue;
        }
        if (fds[0].revents != 0 && checkStop()) {
            return;
        }
        if (count == 2 && fds[1].revents != 0) {
            readAvailable();
        }
    }
}

bool Server::checkStop() {
    if (signals_.stopRequested()) {
        stop_ = true;
    }
    return stop_;
}

void Server::readAvailable() {
    std::array<std::uint8_t, kReadChunk> buffer{};
    const auto got = ::read(pty_.master(), buffer.data(), buffer.size());
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            return;
        }
        std::cerr << "kavrin-radio-sim: reading the port failed: " << std::strerror(errno) << '\n';
        hangUp("read error");
        return;
    }
    decoder_.feed(std::span(buffer.data(), static_cast<std::size_t>(got)));
    wire::Frame frame;
    while (!stop_ && pty_.isOpen()) {
        const auto result = decoder_.next(frame);
        if (result == wire::DecodeResult::NeedMore) {
            break;
        }
        if (result == wire::DecodeResult::Frame) {
            onFrame(frame);
        } else if (config_.verbose) {
            std::cerr << "kavrin-radio-sim: discarded a frame: " << wire::describe(result) << '\n';
        }
    }
}

bool Server::muted() const {
    return config_.muteAfter && served_ >= *config_.muteAfter;
}

void Server::onFrame(wire::Frame frame) {
    // Responses are what this radio sends; one seen on the wire is not addressed to it.
    if ((frame.kind & wire::kResponseBit) != 0) {
        trace("ignored response-kind frame", frame);
        return;
    }
    if (muted()) {
        trace("muted, discarded", frame);
        return;
    }
    auto received = wire::encodeFrame(frame.sequence, frame.kind, frame.payload);
    switch (faults_.apply(received)) {
    case FaultInjector::Fate::Drop:
        trace("fault: lost on the way in", frame);
        return;
    case FaultInjector::Fate::Corrupt: {
        // Let the damaged bytes meet the same validation as anything else off the wire.
        wire::FrameDecoder check;
        check.feed(received);
        wire::Frame damaged;
        if (check.next(damaged) != wire::DecodeResult::Frame ||
            (damaged.kind & wire::kResponseBit) != 0) {
            trace("fault: corrupted on the way in, discarded", frame);
            return;
        }
        frame = std::move(damaged);
        break;
    }
    case FaultInjector::Fate::Deliver:
        break;
    }
    if (config_.delayMs != 0 && !pause(config_.delayMs)) {
        return;
    }

    auto served = radio_.serve(frame);
    trace(served.repeat ? "repeat, answered again" : "request", frame);
    if (!served.repeat) {
        ++served_;
        if (observer_) {
            observer_(radio_.state());
        }
        // Logged before the answer goes out, so the line is there once the host has its reply.
        log_.write(served.event);
    }
    if (config_.lineRate != 0) {
        // A real line carries ten bits per byte (8N1): the request had to arrive whole and the
        // answer has to leave whole.
        const auto bytes =
            wire::kHeaderSize + frame.payload.size() + wire::kTrailerSize + served.response.size();
        std::this_thread::sleep_for(
            std::chrono::microseconds(bytes * 10 * 1000000 / config_.lineRate));
    }
    send(std::move(served.response));
    if (!served.repeat && config_.hangupAfter && served_ == *config_.hangupAfter) {
        awaitHostRead();
        hangUp("hang-up after the configured number of requests");
    }
}

void Server::send(std::vector<std::uint8_t> frame) {
    switch (faults_.apply(frame)) {
    case FaultInjector::Fate::Drop:
        if (config_.verbose) {
            std::cerr << "kavrin-radio-sim: fault: response lost on the way out\n";
        }
        return;
    case FaultInjector::Fate::Corrupt:
        if (config_.verbose) {
            std::cerr << "kavrin-radio-sim: fault: response corrupted on the way out\n";
        }
        break;
    case FaultInjector::Fate::Deliver:
        break;
    }
    if (config_.verbose) {
        std::cerr << "kavrin-radio-sim: -> " << wire::hexDump(frame) << '\n';
    }
    writeAll(frame);
}

bool Server::writeAll(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const auto written = ::write(pty_.master(), bytes.data(), bytes.size());
        if (written >= 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (errno == EINTR) {
            if (checkStop()) {
                return false;
            }
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            std::cerr << "kavrin-radio-sim: writing the port failed: " << std::strerror(errno)
                      << '\n';
            return false;
        }
        // The host is not reading; wait for room, but never past a stop signal.
        std::array fds{pollfd{signals_.readFd(), POLLIN, 0}, pollfd{pty_.master(), POLLOUT, 0}};
        if (::poll(fds.data(), fds.size(), kForever) < 0 && errno != EINTR) {
            return false;
        }
        if (fds[0].revents != 0 && checkStop()) {
            return false;
        }
    }
    return true;
}

bool Server::pause(std::uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return true;
        }
        pollfd fd{signals_.readFd(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(left));
        if ((ready > 0 || (ready < 0 && errno == EINTR)) && checkStop()) {
            return false;
        }
    }
}

void Server::awaitHostRead() {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + kHangupGrace;
    // The answer reaches the host's queue a moment after it was written: until it was seen
    // there, or long enough has passed for the host to have taken it at once, an empty queue
    // does not mean the host read it.
    bool seen = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pty_.unreadByHost() != 0) {
            seen = true;
        } else if (seen || std::chrono::steady_clock::now() - start >= kArrivalGrace) {
            return;
        }
        pollfd fd{signals_.readFd(), POLLIN, 0};
        if (::poll(&fd, 1, kHangupCheckMs) != 0 && checkStop()) {
            return;
        }
    }
}

void Server::hangUp(std::string_view why) {
    std::cerr << "kavrin-radio-sim: " << why << ": port " << pty_.slavePath() << " closed\n";
    pty_.hangUp();
    registration_.remove();
    decoder_.reset();
}

void Server::trace(std::string_view what, const wire::Frame& frame) const {
    if (!config_.verbose) {
        return;
    }
    std::cerr << "kavrin-radio-sim: <- " << what << ": seq " << unsigned{frame.sequence} << " kind "
              << unsigned{frame.kind} << " payload [" << wire::hexDump(frame.payload) << "]\n";
}

} // namespace kavrin::sim
