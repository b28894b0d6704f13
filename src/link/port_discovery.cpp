// The platform-independent half of port discovery: the CP210x walk, the completion of entries,
// and the virtual radios.
#include "link/port_discovery.h"

#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_diagnosis.h"
#include "link/virtual_ports.h"

#include <algorithm>
#include <mutex>

namespace kavrin {

namespace {

std::mutex chosenPortMutex;
std::string chosenPort;

} // namespace

void setChosenRadioPort(std::string name) {
    const std::lock_guard lock(chosenPortMutex);
    chosenPort = std::move(name);
}

std::string chosenRadioPort() {
    const std::lock_guard lock(chosenPortMutex);
    return chosenPort;
}

ScopedRadioPort::ScopedRadioPort(std::string name) : previous_(chosenRadioPort()) {
    setChosenRadioPort(std::move(name));
}

ScopedRadioPort::~ScopedRadioPort() {
    setChosenRadioPort(std::move(previous_));
}

const PortInfo* findPortNamed(const PortList& ports, std::string_view name) {
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [name](const PortInfo& port) { return port.portName == name; });
    return it == ports.end() ? nullptr : &*it;
}

void completePortEntries(PortList& ports) {
    for (auto& port : ports) {
        if (port.friendlyName.empty()) {
            port.friendlyName = port.portName;
        }
        if (port.description.empty()) {
            port.description = port.friendlyName;
            const auto open = port.description.find(" (");
            const auto close = port.description.find(')');
            if (open != std::string::npos && open > 0 && close != std::string::npos &&
                close + 1 == port.description.size()) {
                port.description.resize(open);
            }
        }
    }
}

bool enumeratePorts(PortList& ports, std::string& failure) {
    ports.clear();
    if (!virtualPortsOnly() && !enumeratePlatformPorts(ports, failure)) {
        return false;
    }
    for (const auto& radio : listVirtualPorts()) {
        PortInfo entry;
        entry.devicePath = radio.devicePath;
        entry.portName = radio.name;
        entry.friendlyName = std::string(kVirtualPortDescription) + " (" + radio.name + ")";
        entry.isUsb = 1;
        entry.description = kVirtualPortDescription;
        ports.push_back(std::move(entry));
    }
    completePortEntries(ports);
    return true;
}

int findRadioPortIn(const PortList& ports, std::string_view marker, std::string& portName) {
    for (const auto& port : ports) {
        const auto& name = port.friendlyName;
        if (name.find(kBridgeProductName) == std::string::npos) {
            continue;
        }
        const auto open = name.find(marker);
        if (open == std::string::npos) {
            continue;
        }
        const auto close = name.find(')', open);
        if (close == std::string::npos) {
            continue;
        }
        portName = name.substr(open + 1, close - open - 1);
        return 0;
    }
    return -1;
}

int findRadioPort(std::string& portName) {
    forgetLinkFailure();
    PortList ports;
    std::string failure;
    if (!enumeratePorts(ports, failure)) {
        log::warning(log::Channel::Discovery, "port enumeration failed: " + failure);
        throw GeneralCommunicationError();
    }
    for (const auto& port : ports) {
        log::debug(log::Channel::Discovery,
                   "found " + port.friendlyName + " at " + port.devicePath);
    }
    const auto chosen = chosenRadioPort();
    int found = -1;
    if (chosen.empty()) {
        found = findRadioPortIn(ports, kPortNameMarker, portName);
    } else if (findPortNamed(ports, chosen) != nullptr) {
        portName = chosen;
        found = 0;
    }
    if (found != 0) {
        log::info(log::Channel::Discovery,
                  (chosen.empty() ? "no CP210x port among " : "no port " + chosen + " among ") +
                      std::to_string(ports.size()) + " ports");
        auto checks = removeStaleRegistrations();
        const auto listed = diagnosePortList(ports, chosen).checks;
        checks.insert(checks.end(), listed.begin(), listed.end());
        const auto details = diagnosisText(checks);
        log::info(log::Channel::Discovery, details);
        rememberLinkFailure(details);
    }
    return found;
}

} // namespace kavrin
