// The serial manager of the Windows core's test programs: it opens no port. The link above it
// links and behaves as with a port that cannot be opened, so a radio link made by mistake fails
// with the link's own error instead of touching the machine's COM ports.
#include "link/log.h"
#include "link/port_access.h"
#include "link/radio_service.h"

namespace kavrin {

struct IPortAccess::Impl {};

IPortAccess::IPortAccess() : impl_(std::make_unique<Impl>()) {}

IPortAccess::~IPortAccess() = default;

std::int32_t IPortAccess::ListInterfaces(std::int32_t portKind, VARIANT* interfaces) {
    if (portKind != PortKindSerial || interfaces == nullptr) {
        return kServiceBadArgument;
    }
    VariantInit(interfaces);
    return kServiceOk;
}

std::int32_t IPortAccess::Open(const std::wstring& portName, std::int32_t portKind,
                               std::uint32_t* handle) {
    if (portKind != PortKindSerial || handle == nullptr || portName.empty()) {
        return kServiceBadArgument;
    }
    log::warning(log::Channel::Serial, "this build has no serial backend; no port is opened");
    return kServicePortError;
}

std::int32_t IPortAccess::Close(std::uint32_t) {
    return kServiceNotOpen;
}

ByteTransport* IPortAccess::transport(std::uint32_t) {
    return nullptr;
}

} // namespace kavrin
