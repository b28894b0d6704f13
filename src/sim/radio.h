// The virtual radio itself: its identity, codeplug and test-mode state, and how it answers one
// request frame. Nothing here touches a file descriptor, so it can be driven frame by frame.
#pragma once

#include "link/frame.h"
#include "link/radio_commands.h"
#include "sim/codeplug.h"
#include "sim/event_log.h"
#include "sim/options.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace kavrin::sim {

inline constexpr std::size_t kExecuteDataSize = 16;
inline constexpr std::uint8_t kExtendedLayoutFlag = 0x10;

struct RadioIdentity {
    Layout layout = Layout::Standard;
    std::array<std::uint8_t, kModelLength> model{};       // zero-padded
    std::array<std::uint8_t, kFirmwareLength> firmware{}; // as given
    std::uint8_t band = 0;
    std::uint8_t region = 0;
};

RadioIdentity identityFrom(const Options& options);

// Where setTestChannel tuned the radio, as the host packed it.
struct TestChannel {
    std::array<std::uint8_t, 9> packed{};
    double firstMHz = 0.0;
    double secondMHz = 0.0;
};

struct RadioState {
    bool linkOpen = false;
    std::uint8_t protocolMode = 0;
    bool testMode = false;
    bool keyed = false;
    bool signallingTest = false;
    bool signallingKeyed = false;
    std::optional<TestChannel> channel;
    std::optional<std::uint8_t> squelchSoftpot;
    std::optional<std::uint8_t> powerSoftpot;
    std::optional<std::uint8_t> modulationSoftpot;
    std::optional<std::uint8_t> signallingSoftpot;
};

std::string_view statusName(wire::Status status);

class Radio {
public:
    Radio(RadioIdentity identity, std::vector<std::uint8_t> codeplug,
          std::vector<RefusalRule> refusals);

    struct Served {
        std::vector<std::uint8_t> response; // the whole encoded response frame
        bool repeat = false;                // a retransmission: answered again, not executed
        LogEvent event;                     // empty for a repeat
    };

    // Answers one request frame (a frame without the response bit).
    Served serve(const wire::Frame& request);

    const RadioState& state() const { return state_; }
    const RadioIdentity& identity() const { return identity_; }
    std::span<const std::uint8_t> codeplug() const { return codeplug_; }

private:
    struct Reply {
        wire::Status status = wire::Status::Ok;
        std::vector<std::uint8_t> data; // follows the status byte, on success only
    };

    Reply handle(const wire::Frame& request, LogEvent& event);
    Reply open(std::span<const std::uint8_t> payload, LogEvent& event);
    Reply close(std::span<const std::uint8_t> payload, LogEvent& event);
    Reply execute(std::span<const std::uint8_t> payload, LogEvent& event);
    Reply read(std::span<const std::uint8_t> payload, LogEvent& event);
    Reply write(std::span<const std::uint8_t> payload, LogEvent& event);
    Reply perform(RequestNumber request, std::array<std::uint8_t, kExecuteDataSize> data,
                  LogEvent& event);

    // Counts this occurrence and tells whether a --refuse rule applies to it.
    bool refuse(RefusalRule::Target target, std::int32_t request);

    RadioIdentity identity_;
    std::vector<std::uint8_t> codeplug_;
    std::vector<RefusalRule> refusals_;
    std::map<std::pair<RefusalRule::Target, std::int32_t>, std::uint64_t> occurrences_;
    RadioState state_;

    struct Remembered {
        std::uint8_t sequence = 0;
        std::uint8_t kind = 0;
        std::vector<std::uint8_t> payload;
        std::vector<std::uint8_t> response;
    };
    std::optional<Remembered> last_;
};

} // namespace kavrin::sim
