// Command-line options of kavrin-radio-sim: what radio to pretend to be and which faults to inject.
#pragma once

#include "sim/codeplug.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavrin::sim {

inline constexpr std::size_t kModelLength = 16;
inline constexpr std::size_t kFirmwareLength = 5;

// Answer matching requests with "refused", either always or from their K-th occurrence on.
struct RefusalRule {
    enum class Target { Execute, Read, Write };
    Target target = Target::Execute;
    std::int32_t request = 0; // request number, for Target::Execute only
    std::uint64_t fromOccurrence = 1;
};

enum class MonitorDialect { CmaStyle, ClassicStyle };

// The virtual service monitor on the other end of the simulated bench cable; off unless it has a
// TCP port or a serial line.
struct MonitorOptions {
    std::optional<std::uint16_t> tcpPort; // 0 picks a free port
    bool serial = false;
    std::optional<std::uint8_t> gpibAddress; // the serial line is a USB-GPIB adapter
    MonitorDialect dialect = MonitorDialect::CmaStyle;
    std::optional<std::string> curvesPath;
    double noiseSigma = 0.0;
    std::uint32_t latencyMs = 0;
    std::optional<std::uint64_t> muteAfter;

    bool enabled() const { return tcpPort || serial; }
};

struct Options {
    Layout layout = Layout::Standard;
    std::uint8_t band = 6;
    std::string serial = "KV00012345";
    std::string model = "KVR4100U1";
    std::uint8_t region = 1;
    std::optional<std::string> firmware; // default depends on the layout
    std::optional<std::string> imagePath;
    std::optional<std::string> saveImagePath;
    std::optional<std::string> logPath;

    double dropProbability = 0.0;
    double corruptProbability = 0.0;
    std::uint32_t delayMs = 0;
    std::uint32_t lineRate = 0; // baud; 0 answers as fast as the pseudo-terminal carries
    std::optional<std::uint64_t> muteAfter;
    std::optional<std::uint64_t> hangupAfter;
    std::vector<RefusalRule> refusals;
    std::optional<std::uint32_t> seed;
    MonitorOptions monitor;

    bool verbose = false;
    bool showHelp = false;
    bool showVersion = false;
    // End with the process that started it (Linux): for harnesses that must not leave a radio
    // behind. Without it the radio serves until it is stopped, for a bench that outlives its
    // starter.
    bool exitWithParent = false;

    std::string firmwareText() const;
};

// Parses argv without argv[0]. Accepts "--name value" and "--name=value". Returns nothing and
// sets error when an option is unknown, lacks its value, its value is out of range, or it needs
// an option that is missing.
std::optional<Options> parseOptions(std::span<const char* const> args, std::string& error);

std::string helpText();

} // namespace kavrin::sim
