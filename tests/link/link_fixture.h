// A virtual radio in an isolated registry, with messages recorded, for link tests.
#pragma once

#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <gtest/gtest.h>
#include <optional>

namespace kavrin::test {

class RadioTest : public ::testing::Test {
protected:
    void startRadio(const QStringList& options = {}) { radio.emplace(ports, options); }

    // The events the radio logged other than opening and closing links.
    std::vector<RadioEvent> traffic() const { return test::traffic(radio->log()); }

    IsolatedPorts ports;
    RecordedMessages messages;
    std::optional<SimRadio> radio;
};

} // namespace kavrin::test
