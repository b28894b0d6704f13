// A virtual radio in an isolated registry, with messages recorded, for link tests.
#pragma once

#include "support/recording_messages.h"
#include "support/sim_radio.h"

#include <QJsonObject>
#include <gtest/gtest.h>
#include <optional>

namespace kavrin::test {

class RadioTest : public ::testing::Test {
protected:
    void startRadio(const QStringList& options = {}) { radio.emplace(ports, options); }

    // The events the radio logged other than opening and closing links.
    std::vector<QJsonObject> traffic() const {
        std::vector<QJsonObject> result;
        for (const auto& event : radio->events()) {
            const auto kind = event.value("event").toString();
            if (kind != "open" && kind != "close") {
                result.push_back(event);
            }
        }
        return result;
    }

    IsolatedPorts ports;
    RecordedMessages messages;
    std::optional<SimRadio> radio;
};

} // namespace kavrin::test
