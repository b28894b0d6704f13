// The registry through which virtual radios make themselves known to port discovery:
// one small text file per running radio in a per-user directory, or in the directory named by
// KAVRIN_VIRTUAL_PORTS, which also hides every hardware port from discovery.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kavrin {

inline constexpr const char* kVirtualPortsEnv = "KAVRIN_VIRTUAL_PORTS";
inline constexpr const char* kVirtualPortExtension = ".port";
// Virtual radios present themselves as a radio on a CP210x cable, so the port search picks
// them up exactly as it would pick up the real cable.
inline constexpr const char* kVirtualPortDescription = "Kavrin Virtual Radio on CP210x";

struct VirtualPort {
    std::string name;       // port name, shown in parentheses in the friendly name
    std::string devicePath; // the pseudo-terminal to open
    long long pid = 0;      // the radio's process; a registration whose process is gone is stale
};

// True when KAVRIN_VIRTUAL_PORTS is set: discovery then lists virtual radios only.
bool virtualPortsOnly();

std::filesystem::path virtualPortDirectory();

// Running virtual radios, sorted by name; stale and unreadable registrations are skipped.
std::vector<VirtualPort> listVirtualPorts();

std::optional<VirtualPort> findVirtualPort(const std::string& name);

// Deletes the registrations whose process is gone and returns what they said, sorted by name.
std::vector<VirtualPort> removeStaleVirtualPorts();

// Writes the registration atomically (temporary file, then rename), so that discovery never
// reads half a file. Returns the path written, empty on failure.
std::filesystem::path registerVirtualPort(const VirtualPort& port, std::string& error);

bool isProcessRunning(long long pid);

} // namespace kavrin
