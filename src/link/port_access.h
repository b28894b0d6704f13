// IPortAccess, the serial manager: owns the serial ports, one handle per open port.
// Its serial backend is the only place where the link touches a platform serial API.
#pragma once

#include "link/byte_transport.h"
#include "link/platform_types.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kavrin {

inline constexpr std::int32_t kSerialBaudRate = 115200;

class IPortAccess : public IUnknown {
public:
    IPortAccess();
    ~IPortAccess() override; // closes every port still open

    std::int32_t ListInterfaces(std::int32_t portKind, VARIANT* interfaces);
    // Opens the port exclusively, 8N1 at kSerialBaudRate. The name is the platform's port name
    // (COM3, ttyUSB0) or the name of a registered virtual radio.
    std::int32_t Open(const std::wstring& portName, std::int32_t portKind, std::uint32_t* handle);
    std::int32_t Close(std::uint32_t handle);

    // The open port behind a handle, for the protocol service; null for an unknown handle.
    ByteTransport* transport(std::uint32_t handle);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kavrin
