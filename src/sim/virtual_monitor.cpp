// The virtual service monitor's command sets and measurements.
#include "sim/virtual_monitor.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavrin::sim {

enum class VirtualMonitor::Action : std::uint8_t {
    Identify,
    Reset,
    Clear,
    OperationComplete,
    NextError,
    AnalyzerFrequency,
    Power,
    Deviation,
    Sinad,
    GeneratorFrequency,
    GeneratorLevel,
    GeneratorState,
};

namespace {

using Action = VirtualMonitor::Action;

struct Command {
    std::string_view header; // upper case; a query ends in '?'
    Action action;
    bool takesParameter;
};

inline constexpr std::array kCommonCommands{
    Command{"*IDN?", Action::Identify, false},
    Command{"*RST", Action::Reset, false},
    Command{"*CLS", Action::Clear, false},
    Command{"*OPC?", Action::OperationComplete, false},
    Command{"SYST:ERR?", Action::NextError, false},
};

inline constexpr std::array kCmaCommands{
    Command{"CONF:AFRF:MEAS:RFS:FREQ", Action::AnalyzerFrequency, true},
    Command{"FETC:GPRF:MEAS:POW:CURR?", Action::Power, false},
    Command{"FETC:AFRF:MEAS:MEV:DEM:FDEV:CURR?", Action::Deviation, false},
    Command{"READ:AFRF:MEAS:MEV:SQU:AIN:AVER?", Action::Sinad, false},
    Command{"SOUR:AFRF:GEN:RFS:FREQ", Action::GeneratorFrequency, true},
    Command{"SOUR:AFRF:GEN:RFS:LEV", Action::GeneratorLevel, true},
    Command{"SOUR:AFRF:GEN:STAT", Action::GeneratorState, true},
};

inline constexpr std::array kClassicCommands{
    Command{"RFAN:FREQ", Action::AnalyzerFrequency, true},
    Command{"MEAS:RFR:POW?", Action::Power, false},
    Command{"MEAS:AFR:FM?", Action::Deviation, false},
    Command{"MEAS:AFR:SINAD?", Action::Sinad, false},
    Command{"RFG:FREQ", Action::GeneratorFrequency, true},
    Command{"RFG:AMPL", Action::GeneratorLevel, true},
    Command{"RFG:AMPL:STAT", Action::GeneratorState, true},
};

inline constexpr std::string_view kCmaIdentity = "Kavrin Virtual,Service Monitor CMA-style,0,1.0";
inline constexpr std::string_view kClassicIdentity =
    "Kavrin Virtual,Service Monitor classic-style,0,1.0";

// SCPI's standard error numbers, those this instrument can raise.
inline constexpr int kDataTypeError = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kTooMuchData = -223;
inline constexpr int kIllegalParameterValue = -224;
inline constexpr int kQueueOverflow = -350;
inline constexpr std::size_t kErrorQueueSize = 16;

// What a reading of no signal looks like: a reliability indicator in the CMA style, the IEEE
// not-a-number value in the classic one.
inline constexpr int kReliable = 0;
inline constexpr int kNoSignal = 3;
inline constexpr std::string_view kClassicInvalid = "9.91E37";

inline constexpr double kMinFrequencyHz = 1.0e5;
inline constexpr double kMaxFrequencyHz = 6.0e9;
inline constexpr double kMinLevelDbm = -150.0;
inline constexpr double kMaxLevelDbm = 20.0;
inline constexpr double kResetLevelDbm = -130.0;
// How far off the radio's channel the analyzer or generator may be tuned and still meet it.
inline constexpr double kCaptureHz = 5000.0;
// Points sit on whole MHz; a decoded test channel is exact to its 6.25 kHz steps.
inline constexpr double kPointToleranceMHz = 0.0005;
inline constexpr double kHzPerMHz = 1.0e6;
inline constexpr double kHzPerKHz = 1.0e3;

// The audio of an open receiver and of a closed one.
inline constexpr double kOpenSinadDb = 30.0;
inline constexpr double kClosedSinadDb = 0.0;
// Share of the THD+N that is distortion, for the fields around the SINAD.
inline constexpr double kDistortionShare = 0.25;
// A modulating tone is not a perfect sine: its rms is a little under peak/sqrt(2), and its
// negative peak a little under the positive one.
inline constexpr double kRmsShape = 0.99;
inline constexpr double kNegativePeakShare = 0.98;

// The option byte of a packed test channel: power level, bandwidth code, tight squelch.
inline constexpr std::size_t kChannelOptionsAt = 8;
inline constexpr std::uint8_t kHighPowerBit = 0x80;
inline constexpr unsigned kBandwidthShift = 4;
inline constexpr std::uint8_t kBandwidthMask = 0x07;
inline constexpr std::uint8_t kTightBit = 0x08;

struct BandwidthScreens {
    std::uint8_t code;
    AlignmentType modulation;
    AlignmentType signalling;
    AlignmentType squelchNormal;
    AlignmentType squelchTight;
};

inline constexpr std::array kBandwidths{
    BandwidthScreens{0, AlignmentType::TxModulation125KHz, AlignmentType::TxKtd125KHz,
                     AlignmentType::RxSquelchNbandNormal, AlignmentType::RxSquelchNbandTight},
    BandwidthScreens{1, AlignmentType::TxModulation25KHz, AlignmentType::TxKtd25KHz,
                     AlignmentType::RxSquelchSbandNormal, AlignmentType::RxSquelchSbandTight},
    BandwidthScreens{3, AlignmentType::TxModulation20KHz, AlignmentType::TxKtd20KHz,
                     AlignmentType::RxSquelch20KbandNormal, AlignmentType::RxSquelch20KbandTight},
};

std::uint8_t channelOptions(const TestChannel& channel) {
    return channel.packed[kChannelOptionsAt];
}

const BandwidthScreens* bandwidthOf(const TestChannel& channel) {
    const auto code =
        static_cast<std::uint8_t>((channelOptions(channel) >> kBandwidthShift) & kBandwidthMask);
    const auto found = std::find_if(kBandwidths.begin(), kBandwidths.end(),
                                    [code](const auto& row) { return row.code == code; });
    return found == kBandwidths.end() ? nullptr : &*found;
}

// The point F1-F5 of the band whose frequency the test channel carries.
std::optional<std::size_t> pointOf(std::uint8_t band, PointGroup group, double megahertz) {
    if (band >= kBandTable.size()) {
        return std::nullopt;
    }
    const auto& row = kBandTable[band];
    const bool receive = group == PointGroup::Receive;
    const auto& offsets = receive ? row.receiveOffsets : row.transmitOffsets;
    const double base = receive ? row.receiveBase : row.transmitBase;
    for (std::size_t point = 0; point < kPointCount; ++point) {
        if (offsets[point] != 0 &&
            std::abs(base + offsets[point] - megahertz) < kPointToleranceMHz) {
            return point;
        }
    }
    return std::nullopt;
}

bool near(std::optional<double> tunedHz, double channelMHz) {
    return tunedHz && std::abs(*tunedHz - channelMHz * kHzPerMHz) <= kCaptureHz;
}

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number, with or without a fraction and an exponent: what SCPI calls NR1-NR3.
std::optional<double> parseNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const auto start = i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
        }
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    auto mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::string format(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
    return buffer;
}

std::string joined(int reliability, std::initializer_list<double> fields) {
    std::string out = std::to_string(reliability);
    for (const double field : fields) {
        out += ',';
        out += format(field);
    }
    return out;
}

std::string noSignal(std::size_t fields) {
    std::string out = std::to_string(kNoSignal);
    for (std::size_t i = 0; i < fields; ++i) {
        out += ",NAN";
    }
    return out;
}

} // namespace

VirtualMonitor::VirtualMonitor(MonitorSettings settings, CurveSet curves)
    : settings_(settings), curves_(std::move(curves)), noise_(settings.seed) {
    reset();
}

void VirtualMonitor::reset() {
    analyzerHz_.reset();
    generatorHz_.reset();
    generatorDbm_ = kResetLevelDbm;
    generatorOn_ = false;
}

void VirtualMonitor::pushError(int code, std::string_view text) {
    if (errors_.size() >= kErrorQueueSize) {
        errors_.back() = std::to_string(kQueueOverflow) + ",\"Queue overflow\"";
        return;
    }
    errors_.push_back(std::to_string(code) + ",\"" + std::string(text) + "\"");
}

std::string VirtualMonitor::nextError() {
    if (errors_.empty()) {
        return "0,\"No error\"";
    }
    auto error = std::move(errors_.front());
    errors_.pop_front();
    return error;
}

void VirtualMonitor::inputOverrun() {
    pushError(kTooMuchData, "Too much data");
}

std::optional<std::string> VirtualMonitor::execute(std::string_view line, const RadioState& radio) {
    line = trim(line);
    if (line.empty()) {
        return std::nullopt;
    }
    const auto split = line.find_first_of(" \t");
    auto header = upper(line.substr(0, split));
    const auto parameter =
        split == std::string_view::npos ? std::string_view{} : trim(line.substr(split));
    if (header.starts_with(':')) {
        header.erase(0, 1);
    }
    const auto dialect = settings_.dialect == MonitorDialect::CmaStyle
                             ? std::span<const Command>(kCmaCommands)
                             : std::span<const Command>(kClassicCommands);
    const Command* command = nullptr;
    for (const auto table : {std::span<const Command>(kCommonCommands), dialect}) {
        const auto found = std::find_if(table.begin(), table.end(),
                                        [&](const Command& c) { return c.header == header; });
        if (found != table.end()) {
            command = &*found;
        }
    }
    if (command == nullptr) {
        pushError(kUndefinedHeader, "Undefined header");
        return std::nullopt;
    }
    if (!command->takesParameter && !parameter.empty()) {
        pushError(kParameterNotAllowed, "Parameter not allowed");
        return std::nullopt;
    }
    if (command->takesParameter && parameter.empty()) {
        pushError(kMissingParameter, "Missing parameter");
        return std::nullopt;
    }
    return perform(command->action, parameter, radio);
}

bool VirtualMonitor::setNumber(std::string_view parameter, double low, double high,
                               std::optional<double>& out) {
    const auto value = parseNumber(parameter);
    if (!value) {
        pushError(kDataTypeError, "Data type error");
        return false;
    }
    if (*value < low || *value > high) {
        pushError(kDataOutOfRange, "Data out of range");
        return false;
    }
    out = *value;
    return true;
}

std::optional<std::string> VirtualMonitor::perform(Action action, std::string_view parameter,
                                                   const RadioState& radio) {
    switch (action) {
    case Action::Identify:
        return std::string(settings_.dialect == MonitorDialect::CmaStyle ? kCmaIdentity
                                                                         : kClassicIdentity);
    case Action::Reset:
        reset();
        return std::nullopt;
    case Action::Clear:
        errors_.clear();
        return std::nullopt;
    case Action::OperationComplete:
        return "1";
    case Action::NextError:
        return nextError();
    case Action::AnalyzerFrequency:
        setNumber(parameter, kMinFrequencyHz, kMaxFrequencyHz, analyzerHz_);
        return std::nullopt;
    case Action::GeneratorFrequency:
        setNumber(parameter, kMinFrequencyHz, kMaxFrequencyHz, generatorHz_);
        return std::nullopt;
    case Action::GeneratorLevel: {
        std::optional<double> level;
        if (setNumber(parameter, kMinLevelDbm, kMaxLevelDbm, level)) {
            generatorDbm_ = *level;
        }
        return std::nullopt;
    }
    case Action::GeneratorState: {
        const auto word = upper(parameter);
        if (word == "ON" || word == "1") {
            generatorOn_ = true;
        } else if (word == "OFF" || word == "0") {
            generatorOn_ = false;
        } else {
            pushError(kIllegalParameterValue, "Illegal parameter value");
        }
        return std::nullopt;
    }
    case Action::Power:
        return powerReply(radio);
    case Action::Deviation:
        return deviationReply(radio);
    case Action::Sinad:
        return sinadReply(radio);
    }
    return std::nullopt;
}

std::optional<double> VirtualMonitor::powerW(const RadioState& radio) const {
    if (!(radio.keyed || radio.signallingKeyed) || !radio.channel || !radio.powerSoftpot ||
        !near(analyzerHz_, radio.channel->secondMHz)) {
        return std::nullopt;
    }
    const auto point = pointOf(settings_.band, PointGroup::TxPower, radio.channel->secondMHz);
    if (!point) {
        return std::nullopt;
    }
    const auto screen = (channelOptions(*radio.channel) & kHighPowerBit) != 0
                            ? AlignmentType::TxHighPower
                            : AlignmentType::TxLowPower;
    const double watts = curves_.curve(screen, *point).at(*radio.powerSoftpot);
    return watts > 0.0 ? std::optional<double>(watts) : std::nullopt;
}

std::optional<double> VirtualMonitor::deviationKHz(const RadioState& radio) const {
    if (!(radio.keyed || radio.signallingKeyed) || !radio.channel ||
        !near(analyzerHz_, radio.channel->secondMHz)) {
        return std::nullopt;
    }
    const auto point = pointOf(settings_.band, PointGroup::TxModulation, radio.channel->secondMHz);
    const auto* bandwidth = bandwidthOf(*radio.channel);
    if (!point || bandwidth == nullptr) {
        return std::nullopt;
    }
    // A signalling test modulates with the signalling tone alone, whatever else is keyed.
    const bool signalling = radio.signallingKeyed;
    const auto softpot = signalling ? radio.signallingSoftpot : radio.modulationSoftpot;
    if (!softpot) {
        return std::nullopt;
    }
    const auto screen = signalling ? bandwidth->signalling : bandwidth->modulation;
    return curves_.curve(screen, *point).at(*softpot);
}

bool VirtualMonitor::squelchOpen(const RadioState& radio) const {
    // A transmitting radio does not receive.
    if (!generatorOn_ || radio.keyed || radio.signallingKeyed || !radio.channel ||
        !radio.squelchSoftpot || !near(generatorHz_, radio.channel->secondMHz)) {
        return false;
    }
    const auto point = pointOf(settings_.band, PointGroup::Receive, radio.channel->secondMHz);
    const auto* bandwidth = bandwidthOf(*radio.channel);
    if (!point || bandwidth == nullptr) {
        return false;
    }
    const bool tight = (channelOptions(*radio.channel) & kTightBit) != 0;
    const auto screen = tight ? bandwidth->squelchTight : bandwidth->squelchNormal;
    return generatorDbm_ >= curves_.curve(screen, *point).at(*radio.squelchSoftpot);
}

double VirtualMonitor::noisy(double reading) {
    if (settings_.noiseSigma == 0.0) {
        return reading;
    }
    // Box-Muller on the seeded engine: the same seed gives the same noise with every library.
    const auto uniform = [this] { return static_cast<double>(noise_() >> 11) * 0x1.0p-53; };
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    const double gauss = std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    return reading * (1.0 + settings_.noiseSigma * gauss);
}

std::string VirtualMonitor::powerReply(const RadioState& radio) {
    const auto watts = powerW(radio);
    const bool cma = settings_.dialect == MonitorDialect::CmaStyle;
    if (!watts) {
        return cma ? noSignal(1) : std::string(kClassicInvalid);
    }
    const double measured = noisy(*watts);
    if (!cma) {
        return format(measured);
    }
    if (measured <= 0.0) {
        return noSignal(1);
    }
    constexpr double kDbmOfOneWatt = 30.0;
    return joined(kReliable, {10.0 * std::log10(measured) + kDbmOfOneWatt});
}

std::string VirtualMonitor::deviationReply(const RadioState& radio) {
    const auto deviation = deviationKHz(radio);
    const bool cma = settings_.dialect == MonitorDialect::CmaStyle;
    if (!deviation) {
        constexpr std::size_t kDeviationFields = 5;
        return cma ? noSignal(kDeviationFields) : std::string(kClassicInvalid);
    }
    const double peak = noisy(*deviation) * kHzPerKHz;
    if (!cma) {
        return format(peak);
    }
    const double rms = peak / std::sqrt(2.0) * kRmsShape;
    const double negative = -peak * kNegativePeakShare;
    return joined(kReliable, {rms, rms * std::sqrt(2.0), peak, negative, (peak - negative) / 2.0});
}

std::string VirtualMonitor::sinadReply(const RadioState& radio) {
    const double sinad = noisy(squelchOpen(radio) ? kOpenSinadDb : kClosedSinadDb);
    if (settings_.dialect == MonitorDialect::ClassicStyle) {
        return format(sinad);
    }
    // The other fields follow from the SINAD, so that they agree with it.
    const double rest = std::pow(10.0, -sinad / 20.0); // (noise + distortion) / signal
    const double distortion = rest * kDistortionShare;
    const double noise = std::sqrt(rest * rest - distortion * distortion);
    const double signalToNoise = -20.0 * std::log10(noise);
    return joined(kReliable,
                  {100.0 * distortion, 20.0 * std::log10(distortion), 100.0 * rest, sinad,
                   signalToNoise, 10.0 * std::log10(std::pow(10.0, signalToNoise / 10.0) + 1.0),
                   10.0 * std::log10((1.0 + rest * rest) / (noise * noise))});
}

} // namespace kavrin::sim
