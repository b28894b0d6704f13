// The ports' diagnosis over given lists and over virtual radios, the chosen port, and the
// details a failed search leaves for its message box.
#include "link/exceptions.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"
#include "link/radio_link.h"
#include "link/virtual_ports.h"
#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

std::string problems(const PortDiagnosis& diagnosis) {
    std::string text;
    for (const auto& check : diagnosis.checks) {
        if (check.outcome == CheckOutcome::Problem) {
            text += checkLine(check) + '\n';
        }
    }
    return text;
}

// Stands for a device file that exists, that this user may open and that nobody holds.
constexpr const char* kDevice = "DEVICE";

PortInfo port(std::string name, std::string friendlyName, std::string devicePath) {
    return PortInfo{std::move(devicePath), std::move(name), std::move(friendlyName), 0, {}};
}

struct ListCase {
    const char* name;
    PortList ports;
    std::string chosen;
    std::string radioPort;            // what the search would pick
    std::vector<std::string> mustSay; // in the problem lines
    friend void PrintTo(const ListCase& row, std::ostream* out) { *out << row.name; }
};

class DiagnosisOfAList : public ::testing::TestWithParam<ListCase> {
protected:
    test::IsolatedPorts isolated; // no virtual radio owns any of the devices below
    QTemporaryDir dir;
};

TEST_P(DiagnosisOfAList, NamesTheRadioPortAndWhatIsWrong) {
    const auto& row = GetParam();
    const auto device = dir.filePath("device").toStdString();
    std::ofstream{device};
    auto ports = row.ports;
    for (auto& entry : ports) {
        if (entry.devicePath == kDevice) {
            entry.devicePath = device;
        }
    }
    const auto diagnosis = diagnosePortList(ports, row.chosen);
    EXPECT_EQ(diagnosis.radioPort, row.radioPort);
    const auto said = problems(diagnosis);
    EXPECT_EQ(diagnosis.hasProblem(), !row.mustSay.empty()) << diagnosisText(diagnosis.checks);
    for (const auto& text : row.mustSay) {
        EXPECT_NE(said.find(text), std::string::npos) << text << " not in\n" << said;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ports, DiagnosisOfAList,
    ::testing::Values(
        ListCase{"NoPortsAtAll", {}, "", "", {"No CP210x USB-UART bridge", "ports: none."}},
        ListCase{"OnlyOtherPortsAreNamed",
                 {port("ttyS0", "Communications Port (ttyS0)", kDevice),
                  port("ttyACM0", "Modem (ttyACM0)", kDevice)},
                 "",
                 "",
                 {"(USB id 10c4:ea60)", "other serial ports: ttyS0, ttyACM0.", "Fix: Plug"}},
        ListCase{"BridgeWhoseDeviceIsGone",
                 {port("ttyS0", "Communications Port (ttyS0)", kDevice),
                  port("ttyUSB7", "Silicon Labs CP210x USB to UART Bridge (ttyUSB7)",
                       "/nonexistent/ttyUSB7")},
                 "",
                 "ttyUSB7",
                 {"ttyUSB7: the device /nonexistent/ttyUSB7 is gone."}},
        ListCase{"UsableBridge",
                 {port("ttyUSB0", "Silicon Labs CP210x USB to UART Bridge (ttyUSB0)", kDevice)},
                 "",
                 "ttyUSB0",
                 {}},
        ListCase{"ChosenPortNeedNotBeABridge",
                 {port("ttyUSB0", "Silicon Labs CP210x USB to UART Bridge (ttyUSB0)", kDevice),
                  port("ttyS0", "Communications Port (ttyS0)", kDevice)},
                 "ttyS0",
                 "ttyS0",
                 {}},
        ListCase{"ChosenPortMissingListsTheOthers",
                 {port("ttyUSB0", "Silicon Labs CP210x USB to UART Bridge (ttyUSB0)", kDevice),
                  port("ttyS0", "Communications Port (ttyS0)", kDevice)},
                 "ttyUSB3",
                 "",
                 {"no port named ttyUSB3; the ports are: ttyUSB0, ttyS0."}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PortDiagnosis, StaleRegistrationIsRemovedAndSaidSo) {
    test::IsolatedPorts isolated;
    const auto file = std::filesystem::path(isolated.directory().toStdString()) / "vradio-7.port";
    std::ofstream(file) << "name=vradio-7\npath=/dev/pts/999\npid=999999999\n";
    test::SimRadio radio(isolated);

    const auto diagnosis = diagnosePorts();
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_FALSE(diagnosis.checks.empty());
    EXPECT_EQ(checkLine(diagnosis.checks.front()),
              "PROBLEM  Virtual radio vradio-7 was registered, but its process 999999999 is gone; "
              "its registration was removed. Fix: Start kavrin-radio-sim again if a virtual "
              "radio is wanted.");
    // The running radio is the radio port, and holding its own terminal is no problem.
    EXPECT_EQ(diagnosis.radioPort, "vradio-" + std::to_string(radio.processId()));
    EXPECT_EQ(diagnosis.checks.size(), 3u) << diagnosisText(diagnosis.checks);
    EXPECT_EQ(problems(diagnosis), checkLine(diagnosis.checks.front()) + '\n');
    EXPECT_TRUE(diagnosePorts().checks.front().outcome == CheckOutcome::Ok) << "said only once";
}

// Two radios on one PC: the chosen one is driven, the search without a choice takes the first.
TEST(ChosenPort, ReplacesTheSearchAndAnAbsentOneFindsNothing) {
    test::IsolatedPorts isolated;
    test::SimRadio first(isolated);
    test::SimRadio second(isolated);
    const auto firstName = "vradio-" + std::to_string(first.processId());
    const auto secondName = "vradio-" + std::to_string(second.processId());

    std::string found;
    ASSERT_EQ(findRadioPort(found), 0);
    EXPECT_EQ(found, std::min(firstName, secondName));
    {
        const ScopedRadioPort chosen(std::max(firstName, secondName));
        ASSERT_EQ(findRadioPort(found), 0);
        EXPECT_EQ(found, std::max(firstName, secondName));
        {
            const ScopedRadioPort absent("vradio-0");
            EXPECT_EQ(findRadioPort(found), -1);
        }
        EXPECT_EQ(chosenRadioPort(), std::max(firstName, secondName));
    }
    EXPECT_EQ(chosenRadioPort(), "");
}

// The details behind the no-device box: the failed search's diagnosis, taken once, and
// forgotten by the next search.
TEST(LinkFailureDetails, FailedSearchLeavesItsDiagnosisOnce) {
    test::IsolatedPorts isolated;
    test::RecordedMessages messages;
    EXPECT_THROW(radioLink{}, GeneralCommunicationError);
    EXPECT_EQ(messages.sink.texts(),
              std::vector<std::string>{"No device detected. Please check the connection."});
    const auto details = takeLinkFailureDetails();
    EXPECT_NE(details.find("PROBLEM  No CP210x USB-UART bridge"), std::string::npos) << details;
    EXPECT_EQ(takeLinkFailureDetails(), "");

    EXPECT_THROW(radioLink{}, GeneralCommunicationError);
    test::SimRadio radio(isolated);
    { radioLink link; }
    EXPECT_EQ(takeLinkFailureDetails(), "") << "a later search that succeeded forgets them";
}

} // namespace
} // namespace kavrin
