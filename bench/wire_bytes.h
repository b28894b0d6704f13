// What the benchmarks measure against: the bytes a flow moved over the wire, counted from the
// virtual radio's event log as the wire protocol frames them.
#pragma once

#include "link/frame.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstddef>

namespace kavrin::bench {

// Bytes both ways of the events the radio logged after the first `skip`, as the wire protocol
// frames them; `lines` is set to the number of events in the log.
inline std::size_t wireBytes(const QString& logPath, std::size_t skip, std::size_t& lines) {
    constexpr std::size_t kFraming = wire::kHeaderSize + wire::kTrailerSize;
    std::size_t total = 0;
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        return 0;
    }
    lines = 0;
    while (!log.atEnd()) {
        const auto event = QJsonDocument::fromJson(log.readLine()).object();
        if (lines++ < skip) {
            continue;
        }
        const auto kind = event.value("event").toString();
        std::size_t request = 0;
        std::size_t response = 1;
        if (kind == "open") {
            request = 1;
        } else if (kind == "execute") {
            request = wire::kServiceRequestSize;
            response += 16;
        } else if (kind == "read") {
            request = wire::kReadRequestSize;
            response += static_cast<std::size_t>(event.value("length").toInt());
        } else if (kind == "write") {
            request = wire::kWriteHeaderSize +
                      static_cast<std::size_t>(event.value("bytes").toString().size() / 2);
        }
        total += request + response + 2 * kFraming;
    }
    return total;
}

// Ten bits a byte (8N1) at `baud`, in milliseconds.
inline double lineMilliseconds(std::size_t bytes, unsigned baud) {
    return static_cast<double>(bytes) * 10.0 * 1000.0 / static_cast<double>(baud);
}

} // namespace kavrin::bench
