// Hardware serial ports as QSerialPortInfo lists them, described as Windows describes them so
// that a CP210x cable is recognised by its friendly name on every platform.
#include "link/log.h"
#include "link/port_discovery.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace kavrin {

namespace {

constexpr quint16 kSiliconLabsVendorId = 0x10C4;
// USB product ids of the CP210x single and multi-port UART bridges.
constexpr std::array<quint16, 7> kCp210xProductIds{0xEA60, 0xEA61, 0xEA63, 0xEA70,
                                                   0xEA71, 0xEA7A, 0xEA7B};
constexpr const char* kCp210xDescription = "Silicon Labs CP210x USB to UART Bridge";

bool drivenByCp210x(const QSerialPortInfo& info) {
#ifdef __linux__
    // The kernel names the driver of a tty's device; a bridge with a reprogrammed USB id is
    // still driven by cp210x.
    std::error_code ec;
    const auto driver =
        std::filesystem::read_symlink(std::filesystem::path("/sys/class/tty") /
                                          info.portName().toStdString() / "device" / "driver",
                                      ec);
    return !ec && driver.filename() == "cp210x";
#else
    (void)info;
    return false;
#endif
}

bool isCp210x(const QSerialPortInfo& info) {
    if (info.hasVendorIdentifier() && info.vendorIdentifier() == kSiliconLabsVendorId &&
        info.hasProductIdentifier() &&
        std::find(kCp210xProductIds.begin(), kCp210xProductIds.end(), info.productIdentifier()) !=
            kCp210xProductIds.end()) {
        return true;
    }
    return drivenByCp210x(info);
}

} // namespace

bool enumeratePlatformPorts(PortList& ports, std::string& failure) {
    (void)failure; // QSerialPortInfo reports no failure: an unreadable system lists no ports.
    for (const auto& info : QSerialPortInfo::availablePorts()) {
        PortInfo entry;
        entry.devicePath = info.systemLocation().toStdString();
        entry.portName = info.portName().toStdString();
        entry.isUsb = info.hasVendorIdentifier() ? 1 : 0;
        entry.description =
            isCp210x(info) ? std::string(kCp210xDescription) : info.description().toStdString();
        if (!entry.description.empty()) {
            entry.friendlyName = entry.description + " (" + entry.portName + ")";
        }
        ports.push_back(std::move(entry));
    }
    return true;
}

} // namespace kavrin
