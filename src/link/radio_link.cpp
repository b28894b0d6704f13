// Opening and closing a connection to the radio.
#include "link/radio_link.h"

#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_discovery.h"
#include "link/user_messages.h"

#include <exception>

namespace kavrin {

namespace {

constexpr const char* kNoDeviceText = "No device detected. Please check the connection.";
constexpr const char* kOpenSerialFailedText = "Open Serial Failed!";
constexpr const char* kOpenProtocolFailedText = "Open Protocol Service Failed!";
// The framework's default caption for a message box without a title of its own.
constexpr const char* kMessageTitle = "Kavrin";

[[noreturn]] void failOpen(const char* text) {
    if (text != nullptr) {
        userMessages().showMessage(text, kMessageTitle, MessageIcon::Exclamation);
    }
    throw GeneralCommunicationError();
}

std::wstring widen(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace

radioLink::radioLink() : radioLink(kTestProtocolMode) {}

radioLink::radioLink(std::uint8_t protocolMode) : uncaughtAtOpen_(std::uncaught_exceptions()) {
    VARIANT interfaces;
    VariantInit(&interfaces);
    const std::int32_t listed = portAccess_.ListInterfaces(PortKindSerial, &interfaces);
    VariantClear(&interfaces);
    if (listed < 0) {
        failOpen(nullptr);
    }

    std::string portName;
    if (findRadioPort(portName) != 0) {
        failOpen(kNoDeviceText);
    }
    if (portAccess_.Open(widen(portName), PortKindSerial, &serialHandle_) < 0 ||
        serialHandle_ == 0) {
        failOpen(kOpenSerialFailedText);
    }
    if (radioService_.Open(serialHandle_, &portAccess_, protocolMode) < 0) {
        failOpen(kOpenProtocolFailedText);
    }
    log::debug(log::Channel::Protocol,
               "link open on " + portName + " in mode " + std::to_string(protocolMode));

    if (protocolMode == kNormalProtocolMode) {
        normalModeCommands::attachServices(&radioService_);
    } else if (protocolMode == kTestProtocolMode) {
        testModeCommands::attachServices(&radioService_);
    }
}

radioLink::~radioLink() noexcept(false) {
    // Members are destroyed after this body in reverse order: the serial manager first, then
    // the protocol service, also when a close below throws.
    const bool mayThrow = std::uncaught_exceptions() <= uncaughtAtOpen_;
    if (radioService_.Close() < 0) {
        log::warning(log::Channel::Protocol,
                     "protocol close failed; serial port left to its owner");
        if (mayThrow) {
            throw GeneralCommunicationError();
        }
        return;
    }
    if (portAccess_.Close(serialHandle_) < 0) {
        log::warning(log::Channel::Serial, "serial close failed");
        if (mayThrow) {
            throw GeneralCommunicationError();
        }
    }
}

} // namespace kavrin
