// The one way in to the instrument layer: a service monitor from its address and profile.
#pragma once

#include "data/service_monitor.h"
#include "instrument/line_transport.h"

#include <QString>
#include <chrono>
#include <memory>

namespace kavrin {

struct serviceMonitorResult {
    std::unique_ptr<IServiceMonitor> monitor;
    QString error; // why it did not open; empty when monitor is set
};

// Parses the address, finds and validates the profile (a name or a file, see
// findInstrumentProfile) and opens the link; nothing is sent to the instrument but what opening
// the link needs. Every later call on the monitor blocks for at most `timeout` per line.
serviceMonitorResult
openServiceMonitor(const QString& address, const QString& profileNameOrFile,
                   std::chrono::milliseconds timeout = kDefaultInstrumentTimeout);

} // namespace kavrin
