// Port discovery without a radio: completing entries and the CP210x walk with Windows-style
// names. The virtual radios' side is in virtual_port_discovery_test.cpp.
#include "link/port_discovery.h"

#include <gtest/gtest.h>
#include <string>

namespace kavrin {
namespace {

PortInfo entry(std::string portName, std::string friendlyName, std::string description = {}) {
    return PortInfo{"\\\\.\\" + portName, std::move(portName), std::move(friendlyName), 0,
                    std::move(description)};
}

TEST(CompletePortEntries, FillsEmptyNamesAndCutsTheDescription) {
    PortList ports{
        entry("COM3", ""),
        entry("", "Silicon Labs CP210x USB to UART Bridge (COM12)"),
        entry("", "(COM4)"), // " (" must stand after the first character
        entry("", "Modem (COM5) port"),
        entry("", "Kept (COM6)", "Own description"),
    };
    completePortEntries(ports);
    EXPECT_EQ(ports[0].friendlyName, "COM3");
    EXPECT_EQ(ports[0].description, "COM3");
    EXPECT_EQ(ports[1].description, "Silicon Labs CP210x USB to UART Bridge");
    EXPECT_EQ(ports[2].description, "(COM4)");
    EXPECT_EQ(ports[3].description, "Modem (COM5) port");
    EXPECT_EQ(ports[4].description, "Own description");
}

struct WalkCase {
    const char* name;
    PortList ports;
    int result;
    std::string port;
    friend void PrintTo(const WalkCase& row, std::ostream* out) { *out << row.name; }
};

class RadioPortWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(RadioPortWalk, PicksTheFirstCp210xPortWithAName) {
    auto ports = GetParam().ports;
    completePortEntries(ports);
    std::string found = "untouched";
    EXPECT_EQ(findRadioPortIn(ports, "(COM", found), GetParam().result);
    EXPECT_EQ(found, GetParam().port);
}

PortList ntFallbackPorts() {
    PortList ports;
    for (int i = 1; i <= 16; ++i) {
        ports.push_back(entry("COM" + std::to_string(i), ""));
    }
    return ports;
}

INSTANTIATE_TEST_SUITE_P(
    WindowsNames, RadioPortWalk,
    ::testing::Values(
        WalkCase{"TwoBridgesFirstWins",
                 {entry("", "Communications Port (COM1)"),
                  entry("", "Silicon Labs CP210x USB to UART Bridge (COM12)"),
                  entry("", "Silicon Labs CP210x USB to UART Bridge (COM4)")},
                 0,
                 "COM12"},
        WalkCase{"BridgeWithoutComIsSkipped",
                 {entry("", "Silicon Labs CP210x USB to UART Bridge"),
                  entry("", "Silicon Labs CP210x USB to UART Bridge (COM7)")},
                 0,
                 "COM7"},
        WalkCase{"BridgeWithUnclosedNameIsSkipped",
                 {entry("", "Silicon Labs CP210x bridge (COM9")},
                 -1,
                 "untouched"},
        WalkCase{"CaseMatters", {entry("", "Silicon Labs cp210x Bridge (COM2)")}, -1, "untouched"},
        WalkCase{"PlainPortNeverChosen", {entry("COM3", "")}, -1, "untouched"},
        WalkCase{"NtFallbackHasNoBridge", ntFallbackPorts(), -1, "untouched"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kavrin
