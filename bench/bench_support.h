// What the benchmarks share: the virtual radio they run against, and what they measure against —
// the bytes a flow moved over the wire, counted from the radio's event log as the wire protocol
// frames them.
#pragma once

#include "link/frame.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstddef>

namespace kavrin::bench {

// A virtual radio for the length of a benchmark, found by discovery in KAVRIN_VIRTUAL_PORTS.
class VirtualRadio {
public:
    explicit VirtualRadio(const QStringList& options = {}) {
        process_.start(QCoreApplication::applicationDirPath() + "/../src/sim/kavrin-radio-sim",
                       options);
        if (process_.waitForStarted() && process_.waitForReadyRead(5000)) {
            devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        }
    }
    ~VirtualRadio() {
        process_.terminate();
        process_.waitForFinished();
    }
    VirtualRadio(const VirtualRadio&) = delete;
    VirtualRadio& operator=(const VirtualRadio&) = delete;
    // Empty when the radio did not start.
    const QString& devicePath() const { return devicePath_; }

private:
    QProcess process_;
    QString devicePath_;
};

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
