// The ports' diagnosis: the search's rule applied to the list, then the radio port's device file
// as the system describes it.
#include "link/port_diagnosis.h"

#include "link/port_probe.h"
#include "link/virtual_ports.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

namespace kavrin {

namespace {

// Tells the problem line from an OK line at a glance, the finding starting in one column.
constexpr const char* kOkLabel = "OK       ";
constexpr const char* kProblemLabel = "PROBLEM  ";

PortCheck ok(std::string finding) {
    return {CheckOutcome::Ok, std::move(finding), {}};
}

PortCheck problem(std::string finding, std::string fix) {
    return {CheckOutcome::Problem, std::move(finding), std::move(fix)};
}

std::string octal(unsigned mode) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%03o", mode);
    return text.data();
}

std::string portNames(const PortList& ports) {
    std::string names;
    for (const auto& port : ports) {
        names += (names.empty() ? "" : ", ") + port.portName;
    }
    return names;
}

// The port name the search takes from a CP210x entry; empty for any other entry.
std::string bridgePortName(const PortInfo& port) {
    std::string name;
    return findRadioPortIn(PortList{port}, kPortNameMarker, name) == 0 ? name : std::string{};
}

std::string joinGroupFix(const std::string& group, const std::string& user) {
    return "join the group: sudo usermod -aG " + group + " " + (user.empty() ? "$USER" : user) +
           ", then log out and in again.";
}

PortCheck permissionCheck(const std::string& portName, const std::string& devicePath,
                          const DeviceAccess& access) {
    const auto user = currentUserName();
    std::string finding = portName + ": permission denied on " + devicePath;
    if (!access.permissionsKnown) {
        return problem(finding + ".",
                       "Ask the administrator for read and write access to " + devicePath + ".");
    }
    finding += " (owner " + access.owner + ", group " + access.group + ", mode " +
               octal(access.mode) + "); user " + (user.empty() ? "this user" : "'" + user + "'");
    if (access.inGroupNow) {
        finding += " is in the group '" + access.group + "', but its mode lets the group no access";
    } else if (access.inGroupListed) {
        finding += " was added to the group '" + access.group + "', but this login is older";
        return problem(finding + ".", "Log out and in again (or restart the PC).");
    } else {
        finding += " is not in the group '" + access.group + "'";
    }
    finding += ".";
    if (udevRuleInstalled()) {
        return problem(finding, std::string("The udev rule ") + kUdevRulePath +
                                    " is installed but has not been applied to this device: "
                                    "unplug the cable and plug it in again; or " +
                                    joinGroupFix(access.group, user));
    }
    return problem(finding, std::string("Install Kavrin's package, whose udev rule ") +
                                kUdevRulePath +
                                " gives the cable to its user, then unplug the "
                                "cable and plug it in again; or " +
                                joinGroupFix(access.group, user));
}

std::string holderList(const std::vector<PortHolder>& holders) {
    std::string list;
    for (const auto& holder : holders) {
        list += (list.empty() ? "" : ", ") + std::string("process ") + std::to_string(holder.pid) +
                " (" + (holder.name.empty() ? std::string("unknown") : holder.name) + ")";
    }
    return list;
}

std::mutex failureMutex;
std::string failureDetails;

} // namespace

bool PortDiagnosis::hasProblem() const {
    return std::any_of(checks.begin(), checks.end(), [](const PortCheck& check) {
        return check.outcome == CheckOutcome::Problem;
    });
}

std::vector<PortCheck> removeStaleRegistrations() {
    std::vector<PortCheck> checks;
    for (const auto& radio : removeStaleVirtualPorts()) {
        checks.push_back(
            problem("Virtual radio " + radio.name + " was registered, but its process " +
                        std::to_string(radio.pid) + " is gone; its registration was removed.",
                    "Start kavrin-radio-sim again if a virtual radio is wanted."));
    }
    return checks;
}

std::vector<PortCheck> diagnoseDevice(const std::string& portName, const std::string& devicePath,
                                      long long ownerPid) {
    std::vector<PortCheck> checks;
    const auto access = deviceAccess(devicePath);
    if (!access.exists) {
        checks.push_back(problem(portName + ": the device " + devicePath + " is gone.",
                                 "Unplug the cable and plug it in again."));
        return checks;
    }
    if (!access.readWrite) {
        checks.push_back(permissionCheck(portName, devicePath, access));
    }
    auto holders = portHolders(devicePath);
    std::erase_if(holders, [ownerPid](const PortHolder& holder) { return holder.pid == ownerPid; });
    if (!holders.empty()) {
        checks.push_back(
            problem(portName + " is open in another program: " + holderList(holders) + ".",
                    "Close that program (or end the process) and try again; two "
                    "programs on one cable garble each other's traffic."));
    }
    if (checks.empty()) {
        checks.push_back(
            ok(portName + " (" + devicePath + ") may be opened, and no other program holds it."));
    }
    return checks;
}

PortDiagnosis diagnosePortList(const PortList& ports, const std::string& chosenPort) {
    PortDiagnosis diagnosis;
    auto& checks = diagnosis.checks;
    std::vector<const PortInfo*> candidates;
    if (!chosenPort.empty()) {
        if (const auto* port = findPortNamed(ports, chosenPort)) {
            checks.push_back(
                ok("The chosen port " + chosenPort + " is present: " + port->friendlyName + "."));
            candidates.push_back(port);
            diagnosis.radioPort = chosenPort;
        } else {
            checks.push_back(
                problem("There is no port named " + chosenPort + "; the ports are: " +
                            (ports.empty() ? std::string("none") : portNames(ports)) + ".",
                        "Choose one of the ports listed, or plug in the cable of that bench."));
        }
    } else {
        PortList others;
        for (const auto& port : ports) {
            if (const auto name = bridgePortName(port); !name.empty()) {
                candidates.push_back(&port);
                if (diagnosis.radioPort.empty()) {
                    diagnosis.radioPort = name;
                }
            } else {
                others.push_back(port);
            }
        }
        if (candidates.empty()) {
            checks.push_back(
                problem("No CP210x USB-UART bridge (USB id 10c4:ea60) is connected; other serial "
                        "ports: " +
                            (others.empty() ? std::string("none") : portNames(others)) + ".",
                        "Plug the programming cable into the PC (try another USB socket if it is "
                        "plugged in); on Windows install the CP210x driver."));
        } else {
            std::string found;
            for (const auto* port : candidates) {
                found += (found.empty() ? "" : ", ") + port->friendlyName;
            }
            checks.push_back(ok("CP210x USB-UART bridge found: " + found + "; the radio is on " +
                                diagnosis.radioPort + "."));
        }
    }
    std::map<std::string, long long> radioOwners;
    for (const auto& radio : listVirtualPorts()) {
        radioOwners[radio.devicePath] = radio.pid;
    }
    for (const auto* port : candidates) {
        const auto owner = radioOwners.find(port->devicePath);
        const auto device =
            diagnoseDevice(port->portName.empty() ? bridgePortName(*port) : port->portName,
                           port->devicePath, owner == radioOwners.end() ? 0 : owner->second);
        checks.insert(checks.end(), device.begin(), device.end());
    }
    return diagnosis;
}

PortDiagnosis diagnosePorts(const std::string& chosenPort) {
    auto stale = removeStaleRegistrations();
    PortList ports;
    std::string failure;
    PortDiagnosis diagnosis;
    if (!enumeratePorts(ports, failure)) {
        diagnosis.checks.push_back(problem("The serial ports could not be listed: " + failure + ".",
                                           "Restart the PC; if that does not help, ask the "
                                           "administrator to look at the system's serial "
                                           "drivers."));
    } else {
        diagnosis = diagnosePortList(ports, chosenPort);
    }
    diagnosis.checks.insert(diagnosis.checks.begin(), stale.begin(), stale.end());
    return diagnosis;
}

std::string checkLine(const PortCheck& check) {
    if (check.outcome == CheckOutcome::Ok) {
        return kOkLabel + check.finding;
    }
    return kProblemLabel + check.finding + (check.fix.empty() ? "" : " Fix: " + check.fix);
}

std::string diagnosisText(const std::vector<PortCheck>& checks) {
    std::string text;
    for (const auto& check : checks) {
        text += (text.empty() ? "" : "\n") + checkLine(check);
    }
    return text;
}

void rememberLinkFailure(std::string details) {
    const std::lock_guard lock(failureMutex);
    failureDetails = std::move(details);
}

std::string takeLinkFailureDetails() {
    const std::lock_guard lock(failureMutex);
    return std::exchange(failureDetails, {});
}

void forgetLinkFailure() {
    rememberLinkFailure({});
}

} // namespace kavrin
