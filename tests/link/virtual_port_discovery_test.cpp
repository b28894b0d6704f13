// Port discovery of virtual radios: running ones listed as CP210x ports, stale ones not.
#include "link/port_discovery.h"
#include "link/virtual_ports.h"
#include "support/sim_radio.h"

#include <fstream>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

TEST(VirtualPorts, RunningRadiosAreListedAsCp210xPortsAndStaleOnesAreNot) {
    test::IsolatedPorts ports;
    {
        // A registration left behind by a radio whose process is gone.
        std::ofstream stale(ports.directory().toStdString() + "/vradio-1.port");
        stale << "name=vradio-1\npath=/dev/pts/999\npid=999999999\n";
    }
    test::SimRadio radio(ports);

    PortList list;
    std::string failure;
    ASSERT_TRUE(enumeratePorts(list, failure));
    ASSERT_EQ(list.size(), 1u) << "hardware ports or the stale radio were listed";
    EXPECT_EQ(list[0].devicePath, radio.devicePath().toStdString());
    EXPECT_NE(list[0].friendlyName.find("CP210x"), std::string::npos);
    EXPECT_EQ(list[0].description, kVirtualPortDescription);

    std::string name;
    ASSERT_EQ(findRadioPort(name), 0);
    EXPECT_EQ(list[0].friendlyName, std::string(kVirtualPortDescription) + " (" + name + ")");

    radio.stop();
    EXPECT_EQ(findRadioPort(name), -1);
}

} // namespace
} // namespace kavrin
