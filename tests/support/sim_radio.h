// A virtual radio for one test: starts kavrin-radio-sim in a private registry directory that
// port discovery is pointed at, and reads back its event log (support/radio_log.h).
#pragma once

#include "support/radio_log.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace kavrin::test {

// Points port discovery at an empty registry directory of its own for its lifetime, so a test
// never sees a real radio or another test's virtual radio.
class IsolatedPorts {
public:
    IsolatedPorts();
    ~IsolatedPorts();
    IsolatedPorts(const IsolatedPorts&) = delete;
    IsolatedPorts& operator=(const IsolatedPorts&) = delete;
    QString directory() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_ = false;
};

class SimRadio {
public:
    // Starts the radio registered in `ports` with the given extra options.
    SimRadio(const IsolatedPorts& ports, const QStringList& options = {});
    ~SimRadio();
    SimRadio(const SimRadio&) = delete;
    SimRadio& operator=(const SimRadio&) = delete;

    QString devicePath() const { return devicePath_; }
    // The lines after the device path that say where the service monitor is, as printed
    // ("monitor tcp://127.0.0.1:PORT", ...); read when the options ask for a monitor.
    QStringList monitorLines() const { return monitorLines_; }
    QString logPath() const { return logDir_.filePath("radio.jsonl"); }
    qint64 processId() const { return process_->processId(); }
    // Every event logged so far, in order.
    std::vector<RadioEvent> log() const;
    // Stops the radio (SIGTERM) and waits for it; returns its exit code.
    int stop();

private:
    QTemporaryDir logDir_;
    std::unique_ptr<QProcess> process_;
    QString devicePath_;
    QStringList monitorLines_;
};

std::string simPath();

} // namespace kavrin::test
