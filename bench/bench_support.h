// What the benchmarks share: the virtual radio they run against, and what they measure against —
// the bytes a flow moved over the wire, counted from the radio's event log as the wire protocol
// frames them.
#pragma once

#include "link/frame.h"
#include "support/radio_log.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <span>
#include <vector>

namespace kavrin::bench {

// A virtual radio for the length of a benchmark, found by discovery in KAVRIN_VIRTUAL_PORTS.
class VirtualRadio {
public:
    explicit VirtualRadio(const QStringList& options = {}) {
        process_.start(QCoreApplication::applicationDirPath() + "/../src/sim/kavrin-radio-sim",
                       QStringList{"--exit-with-parent"} + options);
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
    // The next line the radio printed after its port, such as its service monitor's address;
    // empty when none came.
    QString nextLine() {
        if (!process_.canReadLine() && !process_.waitForReadyRead(5000)) {
            return {};
        }
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }

private:
    QProcess process_;
    QString devicePath_;
};

// Bytes both ways of one request the radio served, as the wire protocol frames them.
inline std::size_t wireBytes(const test::RadioEvent& event) {
    using Kind = test::RadioEvent::Kind;
    constexpr std::size_t kFraming = wire::kHeaderSize + wire::kTrailerSize;
    constexpr std::size_t kStatusSize = 1;
    constexpr std::size_t kExecuteAnswerSize = 16;
    const bool answered = event.status == wire::Status::Ok;
    std::size_t request = 0;
    std::size_t response = kStatusSize;
    switch (event.kind) {
    case Kind::Scpi:
        return 0; // the service monitor's line, not the radio's
    case Kind::Open:
        request = 1;
        break;
    case Kind::Close:
    case Kind::Unknown:
        break;
    case Kind::Execute:
        request = wire::kServiceRequestSize;
        response += answered ? kExecuteAnswerSize : 0;
        break;
    case Kind::Read:
        request = wire::kReadRequestSize;
        response += answered ? static_cast<std::size_t>(event.length.value_or(0)) : 0;
        break;
    case Kind::Write:
        request = wire::kWriteHeaderSize + event.bytes.size() / 2;
        break;
    }
    if (event.payloadLength) {
        request = static_cast<std::size_t>(*event.payloadLength);
    }
    return request + response + 2 * kFraming;
}

inline std::size_t wireBytes(std::span<const test::RadioEvent> events) {
    std::size_t total = 0;
    for (const auto& event : events) {
        total += wireBytes(event);
    }
    return total;
}

inline std::vector<test::RadioEvent> readLog(const QString& logPath) {
    return test::readRadioLog(QFile::encodeName(logPath).toStdString());
}

// Ten bits a byte (8N1) at `baud`, in milliseconds.
inline double lineMilliseconds(std::size_t bytes, unsigned baud) {
    return static_cast<double>(bytes) * 10.0 * 1000.0 / static_cast<double>(baud);
}

} // namespace kavrin::bench
