// Why the radio's port cannot be used, in words a technician can act on: which serial ports
// there are, whether a CP210x bridge is among them, and for the radio's port whether this user
// may open it and which other programs hold it. Standard C++; the operating system's answers
// come through port_probe.h.
#pragma once

#include "link/port_discovery.h"

#include <string>
#include <vector>

namespace kavrin {

enum class CheckOutcome { Ok, Problem };

struct PortCheck {
    CheckOutcome outcome = CheckOutcome::Ok;
    std::string finding; // what was found, one sentence
    std::string fix;     // what to do about a problem; empty when nothing is to be done
};

struct PortDiagnosis {
    std::vector<PortCheck> checks;
    std::string radioPort; // the port the radio search picks; empty when there is none

    bool hasProblem() const;
};

// Removes the registrations of virtual radios whose process is gone, saying so, then lists the
// ports and diagnoses them. `chosenPort` is a port name that replaces the CP210x search; empty
// for the search. An enumeration failure is itself a problem line.
PortDiagnosis diagnosePorts(const std::string& chosenPort = {});

// Deletes the registrations of virtual radios whose process is gone: a problem line for each.
std::vector<PortCheck> removeStaleRegistrations();

// The diagnosis of a given list (no registrations removed), for the search's own failure and
// for tests.
PortDiagnosis diagnosePortList(const PortList& ports, const std::string& chosenPort);

// The checks of one port's device file: whether it exists, whether this user may open it, and
// which other processes hold it. `ownerPid` is a process whose holding is expected (a virtual
// radio keeps its own terminal open), 0 for none.
std::vector<PortCheck> diagnoseDevice(const std::string& portName, const std::string& devicePath,
                                      long long ownerPid);

// "OK       finding" or "PROBLEM  finding Fix: fix", one line per check, the lines joined by
// newlines without a last one.
std::string checkLine(const PortCheck& check);
std::string diagnosisText(const std::vector<PortCheck>& checks);

// The diagnosis of the last link open that failed to find or to open its port, kept for the
// message box that says so: the search forgets it when it starts, and the box takes it.
void rememberLinkFailure(std::string details);
std::string takeLinkFailureDetails();
void forgetLinkFailure();

} // namespace kavrin
