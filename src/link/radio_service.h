// IRadioService, the protocol service: carries numbered requests and codeplug access to the
// radio over a port of the serial manager, framed, sequenced and retried as described in
// docs/wire-protocol.md.
#pragma once

#include "link/frame.h"
#include "link/platform_types.h"
#include "link/service_request.h"

#include <chrono>
#include <cstdint>
#include <span>

namespace kavrin {

class ByteTransport;

// Negative results of the protocol service's methods.
enum ServiceStatus : std::int32_t {
    kServiceOk = 0,
    kServiceTimeout = -1,
    kServiceRefused = -2,
    kServicePortError = -3,
    kServiceBadResponse = -4,
    kServiceNotOpen = -5,
    kServiceTooLong = -6,
    kServiceBadArgument = -7,
};

struct ProtocolTiming {
    std::chrono::milliseconds responseTimeout{300};
    std::chrono::milliseconds writeTimeout{200};
    int transmissions = 5;
};

inline constexpr ProtocolTiming kDefaultProtocolTiming{};

class IRadioService {
public:
    IRadioService() = default;
    IRadioService(const IRadioService&) = delete;
    IRadioService& operator=(const IRadioService&) = delete;
    ~IRadioService() = default;

    // `portAccess` must be the serial manager that opened `handle`.
    std::int32_t Open(std::uint32_t handle, IUnknown* portAccess, std::uint8_t protocolMode);
    std::int32_t Close();
    std::int32_t Execute(ServiceRequest& request);
    // Allocates *buffer; the caller hands it back to FreeMemory. *length: capacity in, bytes
    // delivered out.
    std::int32_t ReadCodeplug(std::uint8_t** buffer, std::uint16_t* length, std::uint16_t offset);
    std::int32_t WriteCodeplug(const std::uint8_t* data, std::uint16_t length,
                               std::uint16_t offset);
    void FreeMemory(std::uint8_t* buffer);

    void setTiming(const ProtocolTiming& timing) { timing_ = timing; }

private:
    std::int32_t transact(wire::Kind kind, std::span<const std::uint8_t> payload,
                          wire::Frame& response);
    std::int32_t awaitResponse(std::uint8_t sequence, wire::Kind kind, wire::Frame& response);

    ByteTransport* transport_ = nullptr;
    ProtocolTiming timing_ = kDefaultProtocolTiming;
    wire::FrameDecoder decoder_;
    std::uint8_t sequence_ = 0;
};

} // namespace kavrin
