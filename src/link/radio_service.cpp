// The protocol service: one request/response exchange per call, with sequence numbers,
// per-transmission timeouts and a bounded number of transmissions.
#include "link/radio_service.h"

#include "link/byte_transport.h"
#include "link/log.h"
#include "link/port_access.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace kavrin {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

std::string describeFrame(const char* direction, std::span<const std::uint8_t> bytes) {
    return std::string(direction) + " " + wire::hexDump(bytes);
}

std::uint8_t initialSequence() {
    // Any start will do; varying it keeps a late answer from an earlier link from ever looking
    // like the answer to this link's first request.
    return static_cast<std::uint8_t>(Clock::now().time_since_epoch().count() & 0xFF);
}

} // namespace

std::int32_t IRadioService::Open(std::uint32_t handle, IUnknown* portAccess,
                                 std::uint8_t protocolMode) {
    auto* ports = dynamic_cast<IPortAccess*>(portAccess);
    ByteTransport* transport = ports != nullptr ? ports->transport(handle) : nullptr;
    if (transport == nullptr) {
        log::warning(log::Channel::Protocol, "open: unknown port handle");
        return kServiceNotOpen;
    }
    transport_ = transport;
    transport_->discardInput();
    decoder_.reset();
    sequence_ = initialSequence();
    const std::array<std::uint8_t, 1> payload{protocolMode};
    wire::Frame response;
    const auto status = transact(wire::Kind::Open, payload, response);
    if (status < 0) {
        transport_ = nullptr;
    }
    return status;
}

std::int32_t IRadioService::Close() {
    if (transport_ == nullptr) {
        return kServiceNotOpen;
    }
    wire::Frame response;
    const auto status = transact(wire::Kind::Close, {}, response);
    transport_ = nullptr;
    return status;
}

std::int32_t IRadioService::Execute(ServiceRequest& request) {
    std::array<std::uint8_t, wire::kServiceRequestSize> payload{};
    const auto number = static_cast<std::uint32_t>(request.requestNumber);
    for (std::size_t i = 0; i < 4; ++i) {
        payload[i] = static_cast<std::uint8_t>((number >> (8 * i)) & 0xFFu);
    }
    std::memcpy(payload.data() + 4, request.data.data(), request.data.size());
    wire::Frame response;
    const auto status = transact(wire::Kind::Execute, payload, response);
    if (status < 0) {
        return status;
    }
    if (response.payload.size() != 1 + request.data.size()) {
        log::warning(log::Channel::Protocol, "execute: response of unexpected size");
        return kServiceBadResponse;
    }
    std::memcpy(request.data.data(), response.payload.data() + 1, request.data.size());
    return status;
}

std::int32_t IRadioService::ReadCodeplug(std::uint8_t** buffer, std::uint16_t* length,
                                         std::uint16_t offset) {
    if (buffer == nullptr || length == nullptr || *length == 0) {
        return kServiceBadArgument;
    }
    *buffer = nullptr;
    const std::size_t wanted = *length;
    auto out = std::make_unique<std::uint8_t[]>(wanted);
    std::size_t delivered = 0;
    // Larger reads travel in several frames; the radio may deliver less than asked, which ends
    // the read with what has arrived.
    while (delivered < wanted) {
        const auto chunk = static_cast<std::uint16_t>(std::min(wanted - delivered, wire::kMaxData));
        std::vector<std::uint8_t> payload;
        wire::putLe16(payload, static_cast<std::uint16_t>(offset + delivered));
        wire::putLe16(payload, chunk);
        wire::Frame response;
        const auto status = transact(wire::Kind::Read, payload, response);
        const std::size_t got = response.payload.empty() ? 0 : response.payload.size() - 1;
        if (status >= 0 && (got == 0 || got > chunk)) {
            log::warning(log::Channel::Protocol, "read: response of unexpected size");
        }
        if (status < 0 || got == 0 || got > chunk) {
            *length = 0;
            return status < 0 ? status : kServiceBadResponse;
        }
        std::memcpy(out.get() + delivered, response.payload.data() + 1, got);
        delivered += got;
        if (got < chunk) {
            break;
        }
    }
    *buffer = out.release();
    *length = static_cast<std::uint16_t>(delivered);
    return kServiceOk;
}

std::int32_t IRadioService::WriteCodeplug(const std::uint8_t* data, std::uint16_t length,
                                          std::uint16_t offset) {
    if (data == nullptr || length == 0) {
        return kServiceBadArgument;
    }
    std::size_t written = 0;
    while (written < length) {
        const std::size_t chunk = std::min<std::size_t>(length - written, wire::kMaxData);
        std::vector<std::uint8_t> payload;
        payload.reserve(wire::kWriteHeaderSize + chunk);
        wire::putLe16(payload, static_cast<std::uint16_t>(offset + written));
        payload.insert(payload.end(), data + written, data + written + chunk);
        wire::Frame response;
        const auto status = transact(wire::Kind::Write, payload, response);
        if (status < 0) {
            return status;
        }
        written += chunk;
    }
    return kServiceOk;
}

void IRadioService::FreeMemory(std::uint8_t* buffer) {
    delete[] buffer;
}

std::int32_t IRadioService::transact(wire::Kind kind, std::span<const std::uint8_t> payload,
                                     wire::Frame& response) {
    if (transport_ == nullptr) {
        return kServiceNotOpen;
    }
    if (payload.size() > wire::kMaxPayload) {
        return kServiceTooLong;
    }
    const std::uint8_t sequence = ++sequence_;
    const auto frame = wire::encodeFrame(sequence, static_cast<std::uint8_t>(kind), payload);
    for (int transmission = 1; transmission <= timing_.transmissions; ++transmission) {
        if (transmission > 1) {
            decoder_.abandonCandidate();
            log::info(log::Channel::Protocol, "retry " + std::to_string(transmission - 1) +
                                                  " of sequence " + std::to_string(sequence));
        }
        if (log::debugEnabled(log::Channel::Protocol)) {
            log::debug(log::Channel::Protocol, describeFrame("tx", frame));
        }
        const auto sent = transport_->write(frame, timing_.writeTimeout);
        if (sent == TransportStatus::PortError) {
            return kServicePortError;
        }
        if (sent == TransportStatus::Timeout) {
            continue;
        }
        const auto status = awaitResponse(sequence, kind, response);
        if (status != kServiceTimeout) {
            return status;
        }
    }
    log::warning(log::Channel::Protocol, "no answer to sequence " + std::to_string(sequence) +
                                             " after " + std::to_string(timing_.transmissions) +
                                             " transmissions");
    return kServiceTimeout;
}

// Waits for the response to one transmission. Damaged and stale frames are skipped: the good
// answer may still follow them before the deadline.
std::int32_t IRadioService::awaitResponse(std::uint8_t sequence, wire::Kind kind,
                                          wire::Frame& response) {
    const auto deadline = Clock::now() + timing_.responseTimeout;
    const auto expectedKind =
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(kind) | wire::kResponseBit);
    std::array<std::uint8_t, 512> chunk{};
    for (;;) {
        for (;;) {
            const auto result = decoder_.next(response);
            if (result == wire::DecodeResult::NeedMore) {
                break;
            }
            if (result != wire::DecodeResult::Frame) {
                log::info(log::Channel::Protocol,
                          "discarded a damaged frame: " + std::string(wire::describe(result)));
                continue;
            }
            if (response.sequence != sequence || response.kind != expectedKind) {
                log::debug(log::Channel::Protocol, "ignored a stale frame of sequence " +
                                                       std::to_string(response.sequence));
                continue;
            }
            if (response.payload.empty()) {
                return kServiceBadResponse;
            }
            const auto radioStatus = response.payload[0];
            if (radioStatus != static_cast<std::uint8_t>(wire::Status::Ok)) {
                log::info(log::Channel::Protocol, "radio refused sequence " +
                                                      std::to_string(sequence) + " with status " +
                                                      std::to_string(radioStatus));
                return kServiceRefused;
            }
            return kServiceOk;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return kServiceTimeout;
        }
        std::size_t received = 0;
        const auto status = transport_->read(
            chunk, duration_cast<milliseconds>(deadline - now) + milliseconds(1), received);
        if (status == TransportStatus::PortError) {
            return kServicePortError;
        }
        if (received > 0) {
            const std::span<const std::uint8_t> bytes(chunk.data(), received);
            if (log::debugEnabled(log::Channel::Protocol)) {
                log::debug(log::Channel::Protocol, describeFrame("rx", bytes));
            }
            decoder_.feed(bytes);
        }
    }
}

} // namespace kavrin
