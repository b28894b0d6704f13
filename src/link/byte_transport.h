// The byte stream under the protocol service: one open port, written whole and read with a
// deadline. The serial manager hands one out per open handle.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kavrin {

enum class TransportStatus {
    Ok,
    Timeout,   // nothing arrived (or could be sent) in time
    PortError, // the port failed or vanished; retrying is pointless
};

class ByteTransport {
public:
    virtual ~ByteTransport() = default;
    virtual TransportStatus write(std::span<const std::uint8_t> bytes,
                                  std::chrono::milliseconds timeout) = 0;
    // Reads what is there, waiting at most `timeout` for the first byte; `received` is set to
    // the number of bytes stored (0 on timeout).
    virtual TransportStatus read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout,
                                 std::size_t& received) = 0;
    // Forgets whatever arrived before this link used the port.
    virtual void discardInput() = 0;
};

} // namespace kavrin
