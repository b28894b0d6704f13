// Hardware serial ports on Windows, listed through device setup as the radio's maker documents:
// every present serial-port interface with its friendly name, description and location.
// Built only on Windows; elsewhere qt_port_enumeration.cpp lists the ports.
#include "link/port_discovery.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>

// setupapi.h uses the types of windows.h without including it, so the order is kept by hand.
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

namespace kavrin {

namespace {

// The serial port device interface class {86E0D1E0-8089-11D0-9CE4-08003E301F73}.
constexpr GUID kSerialPortInterfaceClass = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
constexpr DWORD kDetailBufferSize = 261;
constexpr DWORD kPropertyBufferSize = 256;
constexpr int kFixedPortCount = 16;

std::string failureText(const char* what) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%s (err=%lx)", what, GetLastError());
    return text.data();
}

struct DeviceInfoListCloser {
    void operator()(HDEVINFO list) const { SetupDiDestroyDeviceInfoList(list); }
};
using DeviceInfoList = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceInfoListCloser>;

bool readProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property, std::string& value) {
    std::array<char, kPropertyBufferSize> buffer{};
    if (!SetupDiGetDeviceRegistryPropertyA(list, &device, property, nullptr,
                                           reinterpret_cast<PBYTE>(buffer.data()),
                                           kPropertyBufferSize, nullptr)) {
        return false;
    }
    value = buffer.data();
    return true;
}

bool enumerateDeviceSetup(PortList& ports, std::string& failure) {
    const DeviceInfoList list(SetupDiGetClassDevsA(&kSerialPortInterfaceClass, nullptr, nullptr,
                                                   DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (list.get() == INVALID_HANDLE_VALUE) {
        failure = failureText("SetupDiGetClassDevs failed.");
        return false;
    }
    auto detail = std::make_unique<std::uint8_t[]>(kDetailBufferSize);
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof(interfaceData);
        if (!SetupDiEnumDeviceInterfaces(list.get(), nullptr, &kSerialPortInterfaceClass, index,
                                         &interfaceData)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                return true;
            }
            failure = failureText("SetupDiEnumDeviceInterfaces failed.");
            return false;
        }
        auto* path = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail.get());
        path->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (!SetupDiGetDeviceInterfaceDetailA(list.get(), &interfaceData, path, kDetailBufferSize,
                                              nullptr, &device)) {
            failure = failureText("SetupDiGetDeviceInterfaceDetail failed.");
            return false;
        }
        PortInfo entry;
        std::string location;
        const bool named = readProperty(list.get(), device, SPDRP_FRIENDLYNAME, entry.friendlyName);
        const bool described =
            readProperty(list.get(), device, SPDRP_DEVICEDESC, entry.description);
        const bool located = readProperty(list.get(), device, SPDRP_LOCATION_INFORMATION, location);
        if (named && described) {
            entry.devicePath = path->DevicePath;
            entry.isUsb = located && location.rfind("USB", 0) == 0 ? 1 : 0;
            ports.push_back(std::move(entry));
        }
    }
}

void listFixedPorts(PortList& ports) {
    for (int number = 1; number <= kFixedPortCount; ++number) {
        PortInfo entry;
        entry.portName = "COM" + std::to_string(number);
        entry.devicePath = "\\\\.\\" + entry.portName;
        ports.push_back(std::move(entry));
    }
}

} // namespace

bool enumeratePlatformPorts(PortList& ports, std::string& failure) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // the documented method choice depends on this very call
#endif
    if (!GetVersionExA(&version)) {
        failure = failureText("Could not get OS version.");
        return false;
    }
    if (version.dwMajorVersion > 4) {
        return enumerateDeviceSetup(ports, failure);
    }
    // Windows NT 4 has no serial-port interface class; the 9x registry walk is not carried,
    // since no system this program runs on is older than NT 5.
    listFixedPorts(ports);
    return true;
}

} // namespace kavrin
