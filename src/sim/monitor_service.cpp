// The monitor's poll() loop on its own thread: accepting and serving TCP clients, the serial
// line and its adapter, latency and muting, and the scpi lines of the event log.
#include "sim/monitor_service.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace kavrin::sim {

namespace {

inline constexpr std::size_t kReadChunk = 4096;
inline constexpr int kListenBacklog = 8;
inline constexpr int kForever = -1;

std::string failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string_view withoutCarriageReturn(std::string_view line) {
    return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

} // namespace

MonitorService::MonitorService(const MonitorEndpoints& endpoints, VirtualMonitor& monitor,
                               const SharedRadioState& radio, EventLog& log)
    : endpoints_(endpoints), monitor_(monitor), radio_(radio), log_(log) {}

std::unique_ptr<MonitorService> MonitorService::open(const MonitorEndpoints& endpoints,
                                                     VirtualMonitor& monitor,
                                                     const SharedRadioState& radio, EventLog& log,
                                                     std::string& error) {
    std::unique_ptr<MonitorService> service(new MonitorService(endpoints, monitor, radio, log));
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = failure("pipe");
        return nullptr;
    }
    service->wakeRead_.reset(fds[0]);
    service->wakeWrite_.reset(fds[1]);

    if (endpoints.tcpPort) {
        auto& listener = service->listener_;
        listener.reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!listener) {
            error = failure("socket");
            return nullptr;
        }
        const int on = 1;
        ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(*endpoints.tcpPort);
        if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
            error = failure(("bind 127.0.0.1:" + std::to_string(*endpoints.tcpPort)).c_str());
            return nullptr;
        }
        if (::listen(listener.get(), kListenBacklog) != 0) {
            error = failure("listen");
            return nullptr;
        }
        socklen_t length = sizeof address;
        if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            error = failure("getsockname");
            return nullptr;
        }
        service->port_ = ntohs(address.sin_port);
    }
    if (endpoints.serial) {
        service->pty_ = PseudoTerminal::open(error);
        if (!service->pty_) {
            error = "the monitor's pseudo-terminal: " + error;
            return nullptr;
        }
        if (endpoints.gpibAddress) {
            service->adapter_.emplace(*endpoints.gpibAddress);
        }
    }
    return service;
}

MonitorService::~MonitorService() {
    stop();
}

std::vector<std::string> MonitorService::announcements() const {
    std::vector<std::string> lines;
    if (listener_) {
        lines.push_back("monitor tcp://127.0.0.1:" + std::to_string(port_));
    }
    if (pty_) {
        lines.push_back(adapter_ ? "monitor prologix:" + pty_->slavePath() +
                                       "?addr=" + std::to_string(*endpoints_.gpibAddress)
                                 : "monitor serial:" + pty_->slavePath());
    }
    return lines;
}

bool MonitorService::start(std::string& error) {
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        error = std::string("cannot start the monitor's thread: ") + e.what();
        return false;
    }
    return true;
}

void MonitorService::stop() {
    if (!thread_.joinable()) {
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakeWrite_.get(), &byte, 1);
    thread_.join();
}

bool MonitorService::stopping() const {
    pollfd fd{wakeRead_.get(), POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0;
}

void MonitorService::run() {
    // Stop signals belong to the radio's loop, which then stops this thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    for (;;) {
        std::vector<pollfd> fds{{wakeRead_.get(), POLLIN, 0}};
        if (listener_) {
            fds.push_back({listener_.get(), POLLIN, 0});
        }
        if (pty_) {
            fds.push_back({pty_->master(), POLLIN, 0});
        }
        const auto firstClient = fds.size();
        for (const auto& client : clients_) {
            fds.push_back({client.socket.get(), POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), kForever) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::cerr << "kavrin-radio-sim: monitor: poll: " << std::strerror(errno) << '\n';
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        std::size_t next = 1;
        if (listener_ && fds[next++].revents != 0) {
            accept();
        }
        if (pty_ && fds[next++].revents != 0) {
            readSerial();
        }
        // Clients accepted just now were not polled; only those that were are read.
        std::vector<bool> keep(clients_.size(), true);
        for (std::size_t i = 0; i + firstClient < fds.size(); ++i) {
            if (fds[firstClient + i].revents != 0) {
                keep[i] = readClient(clients_[i]);
            }
            if (stopping()) {
                return;
            }
        }
        for (std::size_t i = clients_.size(); i-- > 0;) {
            if (!keep[i]) {
                clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
}

void MonitorService::accept() {
    UniqueFd socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!socket) {
        return; // the client gave up before it was taken, or descriptors ran out: it may retry
    }
    if (clients_.size() >= kMaxMonitorClients) {
        return; // closed at once: a bench has one instrument layer, not a crowd
    }
    clients_.push_back(Client{std::move(socket), {}});
}

template <typename OnLine>
void MonitorService::feed(LineBuffer& buffer, std::string_view bytes, OnLine onLine) {
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        const auto piece = bytes.substr(0, end);
        if (!buffer.discarding) {
            buffer.pending.append(piece);
            if (buffer.pending.size() > kMaxCommandLine) {
                buffer.pending.clear();
                buffer.discarding = true;
                monitor_.inputOverrun();
            }
        }
        if (end == std::string_view::npos) {
            return;
        }
        bytes.remove_prefix(end + 1);
        if (buffer.discarding) {
            buffer.discarding = false;
            continue;
        }
        const auto line = std::move(buffer.pending);
        buffer.pending.clear();
        if (!onLine(withoutCarriageReturn(line))) {
            return;
        }
    }
}

bool MonitorService::readClient(Client& client) {
    std::array<char, kReadChunk> chunk{};
    const auto got = ::recv(client.socket.get(), chunk.data(), chunk.size(), 0);
    if (got < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (got == 0) {
        return false;
    }
    bool alive = true;
    const int fd = client.socket.get();
    feed(client.input, std::string_view(chunk.data(), static_cast<std::size_t>(got)),
         [&](std::string_view line) { return alive = onClientLine(fd, line); });
    return alive;
}

void MonitorService::readSerial() {
    std::array<char, kReadChunk> chunk{};
    const auto got = ::read(pty_->master(), chunk.data(), chunk.size());
    if (got <= 0) {
        return;
    }
    feed(serialInput_, std::string_view(chunk.data(), static_cast<std::size_t>(got)),
         [this](std::string_view line) {
             onSerialLine(line);
             return !stopping();
         });
}

bool MonitorService::onClientLine(int fd, std::string_view line) {
    const auto answer = deliver(line);
    return !answer || reply(fd, true, *answer);
}

void MonitorService::onSerialLine(std::string_view line) {
    const int fd = pty_->master();
    if (!adapter_) {
        if (const auto answer = deliver(line)) {
            reply(fd, false, *answer);
        }
        return;
    }
    auto step = adapter_->onLine(line);
    if (step.kind == GpibAdapter::Step::Kind::Reply) {
        writeAll(fd, false, step.text + '\n');
        return;
    }
    if (step.kind != GpibAdapter::Step::Kind::ToInstrument) {
        return;
    }
    const auto answer = deliver(step.text);
    if (!answer || !pause(std::chrono::milliseconds(endpoints_.latencyMs))) {
        return;
    }
    // Under ++auto 0 the instrument has its reply ready after the latency; ++read collects it.
    if (const auto now = adapter_->onInstrumentReply(*answer)) {
        writeAll(fd, false, *now + '\n');
    }
}

std::optional<std::string> MonitorService::deliver(std::string_view line) {
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        return std::nullopt;
    }
    if (endpoints_.muteAfter && commands_ >= *endpoints_.muteAfter) {
        return std::nullopt;
    }
    ++commands_;
    auto answer = monitor_.execute(line, radio_.current());
    LogEvent event;
    event.text("event", "scpi").text("command", line);
    if (answer) {
        event.text("reply", *answer);
    }
    // Logged before the reply goes out, so the line is there once the client has its reply.
    log_.write(event);
    return answer;
}

bool MonitorService::reply(int fd, bool socket, const std::string& text) {
    if (!pause(std::chrono::milliseconds(endpoints_.latencyMs))) {
        return false;
    }
    return writeAll(fd, socket, text + '\n');
}

bool MonitorService::writeAll(int fd, bool socket, std::string_view bytes) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kMonitorWriteTimeout;
    while (!bytes.empty()) {
        const auto written = socket ? ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                    : ::write(fd, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        std::array fds{pollfd{wakeRead_.get(), POLLIN, 0}, pollfd{fd, POLLOUT, 0}};
        if (left <= 0 || ::poll(fds.data(), fds.size(), static_cast<int>(left)) <= 0 ||
            fds[0].revents != 0) {
            return false;
        }
    }
    return true;
}

bool MonitorService::pause(std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return true;
        }
        pollfd fd{wakeRead_.get(), POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left)) > 0) {
            return false;
        }
    }
}

} // namespace kavrin::sim
