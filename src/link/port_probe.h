// What the operating system says about a serial device file: who may open it and which
// processes hold it open. The answers come from a platform backend (backend/posix_port_probe.cpp,
// backend/no_port_probe.cpp), so that the diagnosis itself stays standard C++.
#pragma once

#include <string>
#include <vector>

namespace kavrin {

// Where the package installs the rule that gives the console user the CP210x cable.
inline constexpr const char* kUdevRulePath = "/usr/lib/udev/rules.d/70-kavrin-cp210x.rules";

struct PortHolder {
    long long pid = 0;
    std::string name; // the process's command name
};

struct DeviceAccess {
    bool exists = false;
    bool readWrite = false;        // this process may open it for reading and writing
    bool permissionsKnown = false; // owner, group and mode below were read
    std::string owner;
    std::string group;
    unsigned mode = 0;          // permission bits, as `ls -l` shows them in octal
    bool inGroupNow = false;    // this process carries the device's group
    bool inGroupListed = false; // the user database lists the user in it (a new login carries it)
};

// The processes other than this one that hold the device open, by pid; empty where the system
// does not tell.
std::vector<PortHolder> portHolders(const std::string& devicePath);

DeviceAccess deviceAccess(const std::string& devicePath);

// The name of the user this process runs as; empty where the system does not tell.
std::string currentUserName();

// Whether the package's udev rule is installed; false where udev does not exist.
bool udevRuleInstalled();

} // namespace kavrin
