// Port discovery: listing the serial ports and picking the one of the radio's CP210x cable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {

struct PortInfo {
    std::string devicePath;   // path by which the port device can be opened
    std::string portName;     // COM3, ttyUSB0, or a virtual radio's name; may be empty
    std::string friendlyName; // display name; the radio search reads only this field
    std::uint32_t isUsb = 0;
    std::string description;
};

using PortList = std::vector<PortInfo>;

inline constexpr std::string_view kBridgeProductName = "CP210x";

// The marker that opens the port name inside a friendly name: "(COM" on Windows, where the name
// always starts with COM; elsewhere port names have no common prefix.
#ifdef _WIN32
inline constexpr std::string_view kPortNameMarker = "(COM";
#else
inline constexpr std::string_view kPortNameMarker = "(";
#endif

// Fills `ports` in enumeration order. On failure returns false with a text that names the
// failing step (for logs only; the user is never shown it).
bool enumeratePorts(PortList& ports, std::string& failure);

// Returns 0 with the port name of the first CP210x port in the list (or of the chosen port, see
// below), -1 when there is none; the log then carries the ports' diagnosis, and
// takeLinkFailureDetails (port_diagnosis.h) gives it once.
// A failing enumeration throws GeneralCommunicationError: it is a link failure, not "no radio".
int findRadioPort(std::string& portName);

// The entry whose port name is `name`; null when there is none.
const PortInfo* findPortNamed(const PortList& ports, std::string_view name);

// A port chosen by name replaces the CP210x search for the whole process, so that several
// benches on one PC each drive their own radio (kavrin-cli --port). Empty: the search.
void setChosenRadioPort(std::string name);
std::string chosenRadioPort();

// Chooses the port for its lifetime and restores the previous choice afterwards.
class ScopedRadioPort {
public:
    explicit ScopedRadioPort(std::string name);
    ~ScopedRadioPort();
    ScopedRadioPort(const ScopedRadioPort&) = delete;
    ScopedRadioPort& operator=(const ScopedRadioPort&) = delete;

private:
    std::string previous_;
};

// The walk of findRadioPort over a given list, with the port-name marker as a parameter so the
// rule can be checked with any platform's names.
int findRadioPortIn(const PortList& ports, std::string_view marker, std::string& portName);

// What every enumeration method does last: an empty friendly name takes the port name; an
// empty description takes the friendly name cut before its " (port)" suffix.
void completePortEntries(PortList& ports);

// The platform's own listing of hardware ports (serial backend).
bool enumeratePlatformPorts(PortList& ports, std::string& failure);

} // namespace kavrin
