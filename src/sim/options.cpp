// Parsing and help text of the virtual radio's command line.
#include "sim/options.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace kavrin::sim {

namespace {

inline constexpr std::string_view kStandardFirmware = "R0105";
inline constexpr std::string_view kExtendedFirmware = "R0512";
inline constexpr std::uint32_t kMaxDelayMs = 600'000;
inline constexpr std::size_t kMaxByteValue = 255;
inline constexpr std::uint8_t kMaxGpibAddress = 30;
inline constexpr double kMaxNoiseSigma = 1.0;

template <typename Int> bool parseInteger(std::string_view text, Int low, Int high, Int& out) {
    Int value{};
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool parseFraction(std::string_view text, double high, double& out) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value) || value < 0.0 ||
        value > high) {
        return false;
    }
    out = value;
    return true;
}

bool parseProbability(std::string_view text, double& out) {
    return parseFraction(text, 1.0, out);
}

template <typename Int>
bool parseOptionalInteger(std::string_view text, Int low, Int high, std::optional<Int>& out) {
    Int value{};
    if (!parseInteger<Int>(text, low, high, value)) {
        return false;
    }
    out = value;
    return true;
}

bool parseByte(std::string_view text, std::uint8_t& out) {
    std::size_t value = 0;
    if (!parseInteger<std::size_t>(text, 0, kMaxByteValue, value)) {
        return false;
    }
    out = static_cast<std::uint8_t>(value);
    return true;
}

bool parseCount(std::string_view text, std::optional<std::uint64_t>& out) {
    std::uint64_t value = 0;
    if (!parseInteger<std::uint64_t>(text, 0, std::numeric_limits<std::uint64_t>::max(), value)) {
        return false;
    }
    out = value;
    return true;
}

bool parseRefusal(std::string_view text, RefusalRule& rule) {
    const auto at = text.find('@');
    const auto what = text.substr(0, at);
    if (at != std::string_view::npos &&
        !parseInteger<std::uint64_t>(text.substr(at + 1), 1,
                                     std::numeric_limits<std::uint64_t>::max(),
                                     rule.fromOccurrence)) {
        return false;
    }
    if (what == "read") {
        rule.target = RefusalRule::Target::Read;
        return true;
    }
    if (what == "write") {
        rule.target = RefusalRule::Target::Write;
        return true;
    }
    rule.target = RefusalRule::Target::Execute;
    return parseInteger<std::int32_t>(what, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max(), rule.request);
}

// Every handler returns false when the value does not fit; the caller words the message.
using Handler = bool (*)(Options&, std::string_view);

struct OptionSpec {
    std::string_view name;
    bool takesValue;
    Handler apply;
    std::string_view expected; // shown when the value is rejected
};

inline constexpr std::array kOptionSpecs{
    OptionSpec{"--help", false,
               [](Options& o, std::string_view) {
                   o.showHelp = true;
                   return true;
               },
               ""},
    OptionSpec{"-h", false,
               [](Options& o, std::string_view) {
                   o.showHelp = true;
                   return true;
               },
               ""},
    OptionSpec{"--version", false,
               [](Options& o, std::string_view) {
                   o.showVersion = true;
                   return true;
               },
               ""},
    OptionSpec{"--verbose", false,
               [](Options& o, std::string_view) {
                   o.verbose = true;
                   return true;
               },
               ""},
    OptionSpec{"--exit-with-parent", false,
               [](Options& o, std::string_view) {
                   o.exitWithParent = true;
                   return true;
               },
               ""},
    OptionSpec{"--layout", true,
               [](Options& o, std::string_view v) {
                   if (v == "standard") {
                       o.layout = Layout::Standard;
                   } else if (v == "extended") {
                       o.layout = Layout::Extended;
                   } else {
                       return false;
                   }
                   return true;
               },
               "'standard' or 'extended'"},
    OptionSpec{"--band", true, [](Options& o, std::string_view v) { return parseByte(v, o.band); },
               "a number from 0 to 255"},
    OptionSpec{"--region", true,
               [](Options& o, std::string_view v) { return parseByte(v, o.region); },
               "a number from 0 to 255"},
    OptionSpec{"--serial", true,
               [](Options& o, std::string_view v) {
                   o.serial = std::string(v);
                   return v.size() <= kSerialLength;
               },
               "at most 10 bytes"},
    OptionSpec{"--model", true,
               [](Options& o, std::string_view v) {
                   o.model = std::string(v);
                   return v.size() <= kModelLength;
               },
               "at most 16 bytes"},
    OptionSpec{"--firmware", true,
               [](Options& o, std::string_view v) {
                   o.firmware = std::string(v);
                   return v.size() == kFirmwareLength;
               },
               "exactly 5 characters"},
    OptionSpec{"--image", true,
               [](Options& o, std::string_view v) {
                   o.imagePath = std::string(v);
                   return !v.empty();
               },
               "a file name"},
    OptionSpec{"--save-image", true,
               [](Options& o, std::string_view v) {
                   o.saveImagePath = std::string(v);
                   return !v.empty();
               },
               "a file name"},
    OptionSpec{"--log", true,
               [](Options& o, std::string_view v) {
                   o.logPath = std::string(v);
                   return !v.empty();
               },
               "a file name"},
    OptionSpec{
        "--drop", true,
        [](Options& o, std::string_view v) { return parseProbability(v, o.dropProbability); },
        "a probability from 0 to 1"},
    OptionSpec{
        "--corrupt", true,
        [](Options& o, std::string_view v) { return parseProbability(v, o.corruptProbability); },
        "a probability from 0 to 1"},
    OptionSpec{"--delay-ms", true,
               [](Options& o, std::string_view v) {
                   return parseInteger<std::uint32_t>(v, 0, kMaxDelayMs, o.delayMs);
               },
               "a number of milliseconds from 0 to 600000"},
    OptionSpec{"--line-rate", true,
               [](Options& o, std::string_view v) {
                   return parseInteger<std::uint32_t>(v, 300, 4000000, o.lineRate);
               },
               "a baud rate from 300 to 4000000"},
    OptionSpec{"--mute-after", true,
               [](Options& o, std::string_view v) { return parseCount(v, o.muteAfter); },
               "a non-negative number of requests"},
    OptionSpec{"--hangup-after", true,
               [](Options& o, std::string_view v) { return parseCount(v, o.hangupAfter); },
               "a non-negative number of requests"},
    OptionSpec{"--refuse", true,
               [](Options& o, std::string_view v) {
                   RefusalRule rule;
                   if (!parseRefusal(v, rule)) {
                       return false;
                   }
                   o.refusals.push_back(rule);
                   return true;
               },
               "a request number, 'read' or 'write', optionally followed by @K with K >= 1"},
    OptionSpec{"--seed", true,
               [](Options& o, std::string_view v) {
                   std::uint32_t seed = 0;
                   if (!parseInteger<std::uint32_t>(v, 0, std::numeric_limits<std::uint32_t>::max(),
                                                    seed)) {
                       return false;
                   }
                   o.seed = seed;
                   return true;
               },
               "a number from 0 to 4294967295"},
    OptionSpec{"--monitor-port", true,
               [](Options& o, std::string_view v) {
                   return parseOptionalInteger<std::uint16_t>(v, 0, 65535, o.monitor.tcpPort);
               },
               "a TCP port from 0 to 65535"},
    OptionSpec{"--monitor-serial", false,
               [](Options& o, std::string_view) {
                   o.monitor.serial = true;
                   return true;
               },
               ""},
    OptionSpec{"--monitor-gpib", true,
               [](Options& o, std::string_view v) {
                   return parseOptionalInteger<std::uint8_t>(v, 0, kMaxGpibAddress,
                                                             o.monitor.gpibAddress);
               },
               "a GPIB address from 0 to 30"},
    OptionSpec{"--monitor-dialect", true,
               [](Options& o, std::string_view v) {
                   if (v == "cma-style") {
                       o.monitor.dialect = MonitorDialect::CmaStyle;
                   } else if (v == "classic-style") {
                       o.monitor.dialect = MonitorDialect::ClassicStyle;
                   } else {
                       return false;
                   }
                   return true;
               },
               "'cma-style' or 'classic-style'"},
    OptionSpec{"--monitor-curves", true,
               [](Options& o, std::string_view v) {
                   o.monitor.curvesPath = std::string(v);
                   return !v.empty();
               },
               "a file name"},
    OptionSpec{"--monitor-noise", true,
               [](Options& o, std::string_view v) {
                   return parseFraction(v, kMaxNoiseSigma, o.monitor.noiseSigma);
               },
               "a relative standard deviation from 0 to 1"},
    OptionSpec{"--monitor-latency-ms", true,
               [](Options& o, std::string_view v) {
                   return parseInteger<std::uint32_t>(v, 0, kMaxDelayMs, o.monitor.latencyMs);
               },
               "a number of milliseconds from 0 to 600000"},
    OptionSpec{"--monitor-mute-after", true,
               [](Options& o, std::string_view v) { return parseCount(v, o.monitor.muteAfter); },
               "a non-negative number of commands"},
};

// Options that shape a monitor mean nothing without one; saying so beats ignoring them.
bool checkMonitor(const Options& options, const std::vector<std::string_view>& given,
                  std::string& error) {
    if (options.monitor.gpibAddress && !options.monitor.serial) {
        error = "option --monitor-gpib needs --monitor-serial";
        return false;
    }
    if (options.monitor.enabled()) {
        return true;
    }
    for (const auto name : given) {
        if (name.starts_with("--monitor-")) {
            error = "option " + std::string(name) + " needs --monitor-port or --monitor-serial";
            return false;
        }
    }
    return true;
}

const OptionSpec* findSpec(std::string_view name) {
    for (const auto& option : kOptionSpecs) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

std::string Options::firmwareText() const {
    if (firmware) {
        return *firmware;
    }
    return std::string(layout == Layout::Extended ? kExtendedFirmware : kStandardFirmware);
}

std::optional<Options> parseOptions(std::span<const char* const> args, std::string& error) {
    Options options;
    std::vector<std::string_view> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const auto* option = findSpec(arg);
        if (option == nullptr) {
            error = "unknown option '" + std::string(arg) + "' (see --help)";
            return std::nullopt;
        }
        std::string_view value;
        if (option->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "option " + std::string(arg) + " needs a value";
                return std::nullopt;
            }
        } else if (inlineValue) {
            error = "option " + std::string(arg) + " takes no value";
            return std::nullopt;
        }
        if (!option->apply(options, value)) {
            error = "bad value '" + std::string(value) + "' for " + std::string(arg) +
                    ": expected " + std::string(option->expected);
            return std::nullopt;
        }
        given.push_back(option->name);
    }
    if (!checkMonitor(options, given, error)) {
        return std::nullopt;
    }
    return options;
}

std::string helpText() {
    return R"(Usage: kavrin-radio-sim [OPTION]...
A virtual two-way radio on a pseudo-terminal, speaking the Kavrin wire protocol.

On start it registers itself as virtual port vradio-<pid> (in $KAVRIN_VIRTUAL_PORTS when set)
and prints the pseudo-terminal's device path as the first line of standard output. It serves
until SIGINT or SIGTERM (with --exit-with-parent also when the process that started it ends),
then saves the image if asked, removes its registration and exits 0.

The radio:
  --layout standard|extended  codeplug layout: 8192 or 16384 bytes (default standard)
  --band N                    band number 0-255 (default 6)
  --serial TEXT               serial number, at most 10 bytes, stored as given and padded with
                              zero bytes; empty or all blanks gives ten zero bytes
                              (default KV00012345)
  --model TEXT                model number, at most 16 bytes, padded with zero bytes
                              (default KVR4100U1)
  --region N                  region byte 0-255 (default 1)
  --firmware TEXT             firmware version, exactly 5 characters
                              (default R0105 standard, R0512 extended)
  --image FILE                load the codeplug from a raw image of exactly the layout's size;
                              its serial number replaces --serial
  --save-image FILE           write the raw codeplug to FILE on exit
  --log FILE                  append one JSON object per served request to FILE

Faults:
  --drop P                    probability 0-1 of losing each frame received and each sent
  --corrupt P                 probability 0-1 of flipping one bit of each frame received and
                              each sent
  --delay-ms N                wait N ms before answering each request
  --line-rate BAUD            pace every answer as a serial line at BAUD (8N1) would carry
                              the request and the answer
  --mute-after N              after N requests served, answer nothing more
  --hangup-after N            after N requests served, close the port as if the cable were
                              pulled, and wait for a signal
  --refuse WHAT[@K]           answer "refused" to request number WHAT, or to every 'read' or
                              'write'; with @K from its K-th occurrence on (repeatable)
  --seed N                    seed of the fault generator and of the monitor's noise, so that
                              both repeat exactly (default: random)

The service monitor (a virtual test set on the other end of the bench cable):
  --monitor-port N            serve SCPI on 127.0.0.1 port N (0 picks a free one): raw TCP,
                              one command a line, one reply line per query; clients may come
                              and go one after another
  --monitor-serial            serve the same instrument on a second pseudo-terminal
  --monitor-gpib ADDR         make that pseudo-terminal a USB-GPIB adapter of the Prologix kind
                              (++mode, ++addr, ++auto, ++eoi, ++read, ++ver) with the
                              instrument at GPIB address ADDR, 0-30
  --monitor-dialect D         cma-style (default) or classic-style command set
  --monitor-curves FILE       JSON {"SCREEN": [[[softpot, reading], ...], one list per point
                              F1-F5], ...} with the screens' command-line names; readings in W,
                              kHz (peak deviation) or dBm (squelch opening level), straight
                              between the pairs and flat beyond them; screens left out keep
                              the built-in curves
  --monitor-noise SIGMA       multiply each reading by 1 + N(0, SIGMA), SIGMA 0-1 (default 0)
  --monitor-latency-ms MS     wait MS ms before each reply
  --monitor-mute-after N      after N commands, execute and answer nothing more

  After the device path, standard output names the monitor's ports, each on its own line and
  only when asked for: "monitor tcp://127.0.0.1:PORT", then "monitor serial:DEVICE" or
  "monitor prologix:DEVICE?addr=ADDR".

  Both dialects: *IDN?, *RST, *CLS, *OPC?, SYST:ERR? (an error queue: -104, -108, -109, -113,
  -222, -223, -224, -350). cma-style: CONF:AFRF:MEAS:RFS:FREQ Hz, FETC:GPRF:MEAS:POW:CURR?
  (reliability,dBm), FETC:AFRF:MEAS:MEV:DEM:FDEV:CURR? (reliability and five deviations in Hz,
  the positive peak third), READ:AFRF:MEAS:MEV:SQU:AIN:AVER? (reliability and seven audio
  figures, the SINAD fourth), SOUR:AFRF:GEN:RFS:FREQ Hz, SOUR:AFRF:GEN:RFS:LEV dBm,
  SOUR:AFRF:GEN:STAT ON|OFF; no signal is reliability 3 with NAN. classic-style: RFAN:FREQ Hz,
  MEAS:RFR:POW? (W), MEAS:AFR:FM? (peak Hz), MEAS:AFR:SINAD? (dB), RFG:FREQ Hz, RFG:AMPL dBm,
  RFG:AMPL:STAT ON|OFF; no signal is 9.91E37.

  The monitor measures the radio on the other side: power and deviation while the radio is
  keyed and the analyzer is within 5 kHz of its test channel, through the curve of the screen
  and point that the test channel and the last softpot requests select; SINAD 30 dB while the
  generator is on the receive test channel at or above the squelch's opening level, else 0 dB.
  A higher squelch softpot raises the opening level (less sensitive). Without --monitor-curves
  the curves are built in, different for every point and serial number. Every command is
  logged as {"event":"scpi","command":...,"reply":...}; a command without a reply has no
  "reply" field.

Other:
  --exit-with-parent          end (as on SIGTERM) when the process that started it ends
                              (Linux); harnesses pass it so that a crashed test or script
                              leaves no radio behind. Without it the radio runs until it is
                              stopped, also when started in the background by a script
  --verbose                   trace every frame and fault on standard error
  -h, --help                  show this help and exit
  --version                   show the version and exit

Identity values are served byte for byte as given, without validation. Repeated transmissions
of the last request are answered again but not executed, logged or counted again.
Exit status: 0 after a signal, --help or --version, 2 for a bad option, image or curves
file, 1 when a port cannot be set up.
)";
}

} // namespace kavrin::sim
