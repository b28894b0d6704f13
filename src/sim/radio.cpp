// How the virtual radio answers each request: link state, protocol modes, test mode, identity
// queries, codeplug access, and the repeat rule that keeps retransmissions from acting twice.
#include "sim/radio.h"

#include <algorithm>

namespace kavrin::sim {

namespace {

using wire::Status;

struct RequestInfo {
    RequestNumber request;
    std::string_view name;
    bool inTestSet;   // accepted on a link opened in test mode
    bool inNormalSet; // accepted on a link opened in normal mode
    bool tuning;      // needs the radio in test mode
};

inline constexpr std::array kRequestTable{
    RequestInfo{kEnterTestMode, "enterTestMode", true, false, false},
    RequestInfo{kExitTestMode, "exitTestMode", true, false, false},
    RequestInfo{kSetTestChannel, "setTestChannel", true, false, true},
    RequestInfo{kSetSquelchSoftpot, "setSquelchSoftpot", true, false, true},
    RequestInfo{kSetPowerSoftpot, "setPowerSoftpot", true, false, true},
    RequestInfo{kSetModulationSoftpot, "setModulationSoftpot", true, false, true},
    RequestInfo{kKeyUp, "keyUp", true, false, true},
    RequestInfo{kDekey, "dekey", true, false, true},
    RequestInfo{kQueryFirmwareVersionTest, "queryFirmwareVersion", true, false, false},
    RequestInfo{kQueryFirmwareVersionNormal, "queryFirmwareVersion", false, true, false},
    RequestInfo{kQueryModelNo, "queryModelNo", true, true, false},
    RequestInfo{kQuerySerialNo, "querySerialNo", true, true, false},
    RequestInfo{kQueryBandNo, "queryBandNo", true, true, false},
    RequestInfo{kQueryRegion, "queryRegion", true, false, false},
    RequestInfo{kResetRadio, "resetRadio", true, true, false},
    RequestInfo{kQueryFeatureFlags, "queryFeatureFlags", false, true, false},
    RequestInfo{kStartSignallingTest, "startSignallingTest", true, false, true},
    RequestInfo{kStopSignallingTest, "stopSignallingTest", true, false, true},
    RequestInfo{kKeyUpSignalling, "keyUpSignalling", true, false, true},
    RequestInfo{kDekeySignalling, "dekeySignalling", true, false, true},
    RequestInfo{kSetSignallingSoftpot, "setSignallingSoftpot", true, false, true},
};

const RequestInfo* findRequest(std::int32_t number) {
    const auto it =
        std::find_if(kRequestTable.begin(), kRequestTable.end(), [number](const RequestInfo& info) {
            return static_cast<std::int32_t>(info.request) == number;
        });
    return it == kRequestTable.end() ? nullptr : &*it;
}

bool acceptedInMode(const RequestInfo& info, std::uint8_t mode) {
    // Modes other than test and normal open a link on which only codeplug access works.
    return (mode == kTestProtocolMode && info.inTestSet) ||
           (mode == kNormalProtocolMode && info.inNormalSet);
}

// Execute payload: the signed request number, then the data bytes.
inline constexpr std::size_t kRequestNumberSize = 4;

// Read payload: offset, length. Write payload: offset, data.
inline constexpr std::size_t kReadOffsetAt = 0;
inline constexpr std::size_t kReadLengthAt = 2;
inline constexpr std::size_t kOpenPayloadSize = 1;

// setTestChannel packs two frequencies as a synthesizer word in 800 kHz steps plus a remainder
// in 6.25 kHz steps, followed by option bytes that the radio keeps as they came.
inline constexpr std::size_t kFirstWordAt = 1;
inline constexpr std::size_t kFirstRemainderAt = 3;
inline constexpr std::size_t kSecondWordAt = 4;
inline constexpr std::size_t kSecondRemainderAt = 6;
inline constexpr double kSynthesizerStepMHz = 0.8;
inline constexpr double kRemainderStepMHz = 0.00625;
inline constexpr int kFrequencyDecimals = 4;

inline constexpr std::size_t kSoftpotValueAt = 0;
inline constexpr std::size_t kByteResultAt = 0;

std::int32_t readInt32Le(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = kRequestNumberSize; i > 0; --i) {
        value = (value << 8) | bytes[i - 1];
    }
    return static_cast<std::int32_t>(value);
}

double decodeFrequency(std::span<const std::uint8_t> data, std::size_t wordAt,
                       std::size_t remainderAt) {
    return wire::getLe16(data, wordAt) * kSynthesizerStepMHz +
           data[remainderAt] * kRemainderStepMHz;
}

} // namespace

std::string_view statusName(Status status) {
    switch (status) {
    case Status::Ok:
        return "ok";
    case Status::UnknownRequest:
        return "unknown_request";
    case Status::WrongMode:
        return "wrong_mode";
    case Status::NotInTestMode:
        return "not_in_test_mode";
    case Status::BadArgument:
        return "bad_argument";
    case Status::Refused:
        return "refused";
    case Status::NotOpen:
        return "not_open";
    }
    return "unknown";
}

RadioIdentity identityFrom(const Options& options) {
    RadioIdentity identity;
    identity.layout = options.layout;
    std::copy_n(options.model.begin(), std::min(options.model.size(), kModelLength),
                identity.model.begin());
    const auto firmware = options.firmwareText();
    std::copy_n(firmware.begin(), std::min(firmware.size(), kFirmwareLength),
                identity.firmware.begin());
    identity.band = options.band;
    identity.region = options.region;
    return identity;
}

Radio::Radio(RadioIdentity identity, std::vector<std::uint8_t> codeplug,
             std::vector<RefusalRule> refusals)
    : identity_(identity), codeplug_(std::move(codeplug)), refusals_(std::move(refusals)) {}

Radio::Served Radio::serve(const wire::Frame& request) {
    if (last_ && last_->sequence == request.sequence && last_->kind == request.kind &&
        last_->payload == request.payload) {
        return Served{last_->response, true, {}};
    }
    Served served;
    const Reply reply = handle(request, served.event);
    served.event.text("status", statusName(reply.status));

    std::vector<std::uint8_t> payload;
    payload.reserve(1 + reply.data.size());
    payload.push_back(static_cast<std::uint8_t>(reply.status));
    if (reply.status == Status::Ok) {
        payload.insert(payload.end(), reply.data.begin(), reply.data.end());
    }
    served.response = wire::encodeFrame(
        request.sequence, static_cast<std::uint8_t>(request.kind | wire::kResponseBit), payload);
    last_ = Remembered{request.sequence, request.kind, request.payload, served.response};
    return served;
}

Radio::Reply Radio::handle(const wire::Frame& request, LogEvent& event) {
    switch (static_cast<wire::Kind>(request.kind)) {
    case wire::Kind::Open:
        return open(request.payload, event);
    case wire::Kind::Close:
        return close(request.payload, event);
    case wire::Kind::Execute:
        return execute(request.payload, event);
    case wire::Kind::Read:
        return read(request.payload, event);
    case wire::Kind::Write:
        return write(request.payload, event);
    }
    event.text("event", "unknown").number("kind", request.kind);
    return Reply{Status::UnknownRequest, {}};
}

Radio::Reply Radio::open(std::span<const std::uint8_t> payload, LogEvent& event) {
    event.text("event", "open");
    if (payload.size() != kOpenPayloadSize) {
        event.number("payloadLength", static_cast<long long>(payload.size()));
        return Reply{Status::BadArgument, {}};
    }
    // Any mode opens the link; the mode only decides which Execute requests it carries.
    event.number("mode", payload[0]);
    state_.linkOpen = true;
    state_.protocolMode = payload[0];
    return Reply{};
}

Radio::Reply Radio::close(std::span<const std::uint8_t> payload, LogEvent& event) {
    event.text("event", "close");
    if (!payload.empty()) {
        event.number("payloadLength", static_cast<long long>(payload.size()));
        return Reply{Status::BadArgument, {}};
    }
    state_.linkOpen = false;
    return Reply{};
}

Radio::Reply Radio::execute(std::span<const std::uint8_t> payload, LogEvent& event) {
    event.text("event", "execute");
    if (payload.size() < kRequestNumberSize) {
        event.number("payloadLength", static_cast<long long>(payload.size()));
        return Reply{state_.linkOpen ? Status::BadArgument : Status::NotOpen, {}};
    }
    const std::int32_t number = readInt32Le(payload);
    const auto* info = findRequest(number);
    event.number("request", number);
    if (info != nullptr) {
        event.text("name", info->name);
    }
    const auto dataBytes = payload.subspan(kRequestNumberSize);
    if (payload.size() == wire::kServiceRequestSize) {
        event.hex("data", dataBytes);
    } else {
        event.number("payloadLength", static_cast<long long>(payload.size()));
    }

    if (refuse(RefusalRule::Target::Execute, number)) {
        return Reply{Status::Refused, {}};
    }
    if (!state_.linkOpen) {
        return Reply{Status::NotOpen, {}};
    }
    if (payload.size() != wire::kServiceRequestSize) {
        return Reply{Status::BadArgument, {}};
    }
    if (info == nullptr) {
        return Reply{Status::UnknownRequest, {}};
    }
    if (!acceptedInMode(*info, state_.protocolMode)) {
        return Reply{Status::WrongMode, {}};
    }
    if (info->tuning && !state_.testMode) {
        return Reply{Status::NotInTestMode, {}};
    }
    std::array<std::uint8_t, kExecuteDataSize> data{};
    std::copy(dataBytes.begin(), dataBytes.end(), data.begin());
    return perform(info->request, data, event);
}

Radio::Reply Radio::perform(RequestNumber request, std::array<std::uint8_t, kExecuteDataSize> data,
                            LogEvent& event) {
    // Results overwrite only the bytes a request names; the rest go back as they came.
    switch (request) {
    case kEnterTestMode:
        state_.testMode = true;
        break;
    case kExitTestMode:
    case kResetRadio:
        // Leaving test mode, like a restart, ends every transmission the test had started.
        state_.testMode = false;
        state_.keyed = false;
        state_.signallingTest = false;
        state_.signallingKeyed = false;
        break;
    case kSetTestChannel: {
        TestChannel channel;
        std::copy_n(data.begin(), channel.packed.size(), channel.packed.begin());
        channel.firstMHz = decodeFrequency(data, kFirstWordAt, kFirstRemainderAt);
        channel.secondMHz = decodeFrequency(data, kSecondWordAt, kSecondRemainderAt);
        event.decimal("firstMHz", channel.firstMHz, kFrequencyDecimals)
            .decimal("secondMHz", channel.secondMHz, kFrequencyDecimals);
        state_.channel = channel;
        break;
    }
    case kSetSquelchSoftpot:
        state_.squelchSoftpot = data[kSoftpotValueAt];
        event.number("value", data[kSoftpotValueAt]);
        break;
    case kSetPowerSoftpot:
        state_.powerSoftpot = data[kSoftpotValueAt];
        event.number("value", data[kSoftpotValueAt]);
        break;
    case kSetModulationSoftpot:
        state_.modulationSoftpot = data[kSoftpotValueAt];
        event.number("value", data[kSoftpotValueAt]);
        break;
    case kSetSignallingSoftpot:
        state_.signallingSoftpot = data[kSoftpotValueAt];
        event.number("value", data[kSoftpotValueAt]);
        break;
    case kKeyUp:
        state_.keyed = true;
        break;
    case kDekey:
        state_.keyed = false;
        break;
    case kStartSignallingTest:
        state_.signallingTest = true;
        break;
    case kStopSignallingTest:
        state_.signallingTest = false;
        state_.signallingKeyed = false;
        break;
    case kKeyUpSignalling:
        state_.signallingKeyed = true;
        break;
    case kDekeySignalling:
        state_.signallingKeyed = false;
        break;
    case kQueryFirmwareVersionTest:
    case kQueryFirmwareVersionNormal:
        std::copy(identity_.firmware.begin(), identity_.firmware.end(), data.begin());
        break;
    case kQueryModelNo:
        std::copy(identity_.model.begin(), identity_.model.end(), data.begin());
        break;
    case kQuerySerialNo:
        std::copy_n(codeplug_.begin() + static_cast<std::ptrdiff_t>(kSerialOffset), kSerialLength,
                    data.begin());
        break;
    case kQueryBandNo:
        data[kByteResultAt] = identity_.band;
        break;
    case kQueryRegion:
        data[kByteResultAt] = identity_.region;
        break;
    case kQueryFeatureFlags:
        data[kByteResultAt] = identity_.layout == Layout::Extended ? kExtendedLayoutFlag : 0;
        break;
    }
    return Reply{Status::Ok, std::vector<std::uint8_t>(data.begin(), data.end())};
}

Radio::Reply Radio::read(std::span<const std::uint8_t> payload, LogEvent& event) {
    event.text("event", "read");
    std::size_t offset = 0;
    std::size_t length = 0;
    const bool wellFormed = payload.size() == wire::kReadRequestSize;
    if (wellFormed) {
        offset = wire::getLe16(payload, kReadOffsetAt);
        length = wire::getLe16(payload, kReadLengthAt);
        event.number("offset", static_cast<long long>(offset))
            .number("length", static_cast<long long>(length));
    } else {
        event.number("payloadLength", static_cast<long long>(payload.size()));
    }
    if (refuse(RefusalRule::Target::Read, 0)) {
        return Reply{Status::Refused, {}};
    }
    if (!state_.linkOpen) {
        return Reply{Status::NotOpen, {}};
    }
    if (!wellFormed || length == 0 || length > wire::kMaxData ||
        offset + length > codeplug_.size()) {
        return Reply{Status::BadArgument, {}};
    }
    const auto first = codeplug_.begin() + static_cast<std::ptrdiff_t>(offset);
    return Reply{Status::Ok,
                 std::vector<std::uint8_t>(first, first + static_cast<std::ptrdiff_t>(length))};
}

Radio::Reply Radio::write(std::span<const std::uint8_t> payload, LogEvent& event) {
    event.text("event", "write");
    std::size_t offset = 0;
    std::span<const std::uint8_t> bytes;
    const bool hasOffset = payload.size() >= wire::kWriteHeaderSize;
    if (hasOffset) {
        offset = wire::getLe16(payload, 0);
        bytes = payload.subspan(wire::kWriteHeaderSize);
        event.number("offset", static_cast<long long>(offset)).hex("bytes", bytes);
    } else {
        event.number("payloadLength", static_cast<long long>(payload.size()));
    }
    if (refuse(RefusalRule::Target::Write, 0)) {
        return Reply{Status::Refused, {}};
    }
    if (!state_.linkOpen) {
        return Reply{Status::NotOpen, {}};
    }
    if (!hasOffset || bytes.empty() || bytes.size() > wire::kMaxData ||
        offset + bytes.size() > codeplug_.size()) {
        return Reply{Status::BadArgument, {}};
    }
    std::copy(bytes.begin(), bytes.end(), codeplug_.begin() + static_cast<std::ptrdiff_t>(offset));
    return Reply{};
}

bool Radio::refuse(RefusalRule::Target target, std::int32_t request) {
    const auto occurrence = ++occurrences_[{target, request}];
    return std::any_of(refusals_.begin(), refusals_.end(), [&](const RefusalRule& rule) {
        return rule.target == target &&
               (target != RefusalRule::Target::Execute || rule.request == request) &&
               occurrence >= rule.fromOccurrence;
    });
}

} // namespace kavrin::sim
