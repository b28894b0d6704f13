// Serving the virtual service monitor: a TCP listener on the loopback interface and a second
// pseudo-terminal (plain, or behind a USB-GPIB adapter), on a thread of their own, so that the
// radio's serving loop is never held up by a slow or silent instrument client.
#pragma once

#include "sim/event_log.h"
#include "sim/gpib_adapter.h"
#include "sim/pseudo_terminal.h"
#include "sim/radio.h"
#include "sim/unique_fd.h"
#include "sim/virtual_monitor.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kavrin::sim {

// The radio's test-mode state as the radio's loop last left it, for the monitor's thread.
class SharedRadioState {
public:
    void publish(const RadioState& state) {
        const std::lock_guard lock(mutex_);
        state_ = state;
    }
    RadioState current() const {
        const std::lock_guard lock(mutex_);
        return state_;
    }

private:
    mutable std::mutex mutex_;
    RadioState state_;
};

struct MonitorEndpoints {
    std::optional<std::uint16_t> tcpPort; // 0 picks a free port
    bool serial = false;
    std::optional<std::uint8_t> gpibAddress;
    std::uint32_t latencyMs = 0;
    std::optional<std::uint64_t> muteAfter; // commands executed before the instrument falls silent
};

// Longer than any command; a line beyond it is dropped and reported in the error queue.
inline constexpr std::size_t kMaxCommandLine = 4096;
inline constexpr std::size_t kMaxMonitorClients = 8;
// A client that takes no reply for this long is dropped rather than left to block the others.
inline constexpr std::chrono::milliseconds kMonitorWriteTimeout{2000};

class MonitorService {
public:
    // Opens the listener and the pseudo-terminal that `endpoints` asks for.
    static std::unique_ptr<MonitorService> open(const MonitorEndpoints& endpoints,
                                                VirtualMonitor& monitor,
                                                const SharedRadioState& radio, EventLog& log,
                                                std::string& error);
    ~MonitorService();
    MonitorService(const MonitorService&) = delete;
    MonitorService& operator=(const MonitorService&) = delete;

    // The lines that tell harnesses where the monitor is, in the order they are printed.
    std::vector<std::string> announcements() const;

    bool start(std::string& error);
    // Returns once the thread has ended; every descriptor is closed with the object.
    void stop();

private:
    // Bytes from one link cut into lines; an overlong line is dropped up to its end.
    struct LineBuffer {
        std::string pending;
        bool discarding = false;
    };
    struct Client {
        UniqueFd socket;
        LineBuffer input;
    };

    MonitorService(const MonitorEndpoints& endpoints, VirtualMonitor& monitor,
                   const SharedRadioState& radio, EventLog& log);

    void run();
    void accept();
    // False when the link has gone or failed and should be closed.
    bool readClient(Client& client);
    void readSerial();
    template <typename OnLine> void feed(LineBuffer& buffer, std::string_view bytes, OnLine onLine);
    bool onClientLine(int fd, std::string_view line);
    void onSerialLine(std::string_view line);
    std::optional<std::string> deliver(std::string_view line);
    bool reply(int fd, bool socket, const std::string& text);
    bool writeAll(int fd, bool socket, std::string_view bytes);
    // Waits, but never past stop(); false when stop() came.
    bool pause(std::chrono::milliseconds wait);
    bool stopping() const;

    MonitorEndpoints endpoints_;
    VirtualMonitor& monitor_;
    const SharedRadioState& radio_;
    EventLog& log_;

    UniqueFd listener_;
    std::uint16_t port_ = 0;
    std::optional<PseudoTerminal> pty_;
    std::optional<GpibAdapter> adapter_;
    LineBuffer serialInput_;
    std::vector<Client> clients_;
    std::uint64_t commands_ = 0;

    UniqueFd wakeRead_;
    UniqueFd wakeWrite_;
    std::thread thread_;
};

} // namespace kavrin::sim
