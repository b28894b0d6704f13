// radioLink: one connection to the radio for one user action. Construction finds the CP210x
// port and opens the serial manager and the protocol service; destruction closes both.
#pragma once

#include "link/port_access.h"
#include "link/radio_commands.h"
#include "link/radio_service.h"

#include <cstdint>

namespace kavrin {

class radioLink : public testModeCommands, public normalModeCommands {
public:
    // Test mode (protocol mode 2).
    radioLink();
    // Attaches the service to the normal-mode set for mode 0, to the test-mode set for mode 2,
    // and to neither otherwise, so that every request then fails with the link error.
    explicit radioLink(std::uint8_t protocolMode);
    // Closes the protocol service, then the serial port. A failed close throws the link error,
    // unless another exception is already on its way out of the owner's scope: throwing then
    // would end the program, and the owner is already handling a failure.
    ~radioLink() noexcept(false) override;

    radioLink(const radioLink&) = delete;
    radioLink& operator=(const radioLink&) = delete;

    testModeCommands& testMode() { return *this; }
    normalModeCommands& normalMode() { return *this; }

private:
    IRadioService radioService_;
    IPortAccess portAccess_;
    std::uint32_t serialHandle_ = 0;
    int uncaughtAtOpen_ = 0;
};

} // namespace kavrin
