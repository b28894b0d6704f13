// Port discovery through Windows device setup, on whatever the machine (or wine) has: the walk
// over the serial-port interfaces ends without a failure, every entry it yields can be shown and
// opened, and the radio search over the real listing answers instead of throwing. Built by the
// Windows cross-build only.
#include "link/port_discovery.h"

#include <gtest/gtest.h>
#include <string>

namespace kavrin {
namespace {

TEST(WindowsPortListing, DeviceSetupWalkEndsCleanlyWithUsableEntries) {
    PortList ports;
    std::string failure;
    ASSERT_TRUE(enumeratePlatformPorts(ports, failure)) << failure;
    EXPECT_TRUE(failure.empty()) << failure;
    completePortEntries(ports);
    for (const auto& port : ports) {
        SCOPED_TRACE(port.friendlyName);
        EXPECT_FALSE(port.devicePath.empty());
        EXPECT_FALSE(port.friendlyName.empty());
        EXPECT_FALSE(port.description.empty());
    }

    std::string name = "untouched";
    int found = -2;
    ASSERT_NO_THROW(found = findRadioPort(name));
    if (found == 0) {
        EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
    } else {
        EXPECT_EQ(found, -1);
        EXPECT_EQ(name, "untouched");
    }
}

} // namespace
} // namespace kavrin
