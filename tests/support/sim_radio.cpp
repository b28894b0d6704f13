// Starting and observing the virtual radio in tests.
#include "support/sim_radio.h"

#include "link/virtual_ports.h"

#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace kavrin::test {

std::string simPath() {
    return KAVRIN_SIM_PATH;
}

IsolatedPorts::IsolatedPorts() {
    hadPrevious_ = qEnvironmentVariableIsSet(kVirtualPortsEnv);
    previous_ = qgetenv(kVirtualPortsEnv);
    qputenv(kVirtualPortsEnv, dir_.path().toLocal8Bit());
}

IsolatedPorts::~IsolatedPorts() {
    if (hadPrevious_) {
        qputenv(kVirtualPortsEnv, previous_);
    } else {
        qunsetenv(kVirtualPortsEnv);
    }
}

SimRadio::SimRadio(const IsolatedPorts& ports, const QStringList& options)
    : process_(std::make_unique<QProcess>()) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kVirtualPortsEnv, ports.directory());
    process_->setProcessEnvironment(environment);
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A crashed test leaves no radio behind.
    QStringList arguments{"--exit-with-parent", "--log", logPath()};
    arguments += options;
    process_->start(QString::fromStdString(simPath()), arguments);
    if (!process_->waitForStarted(5000)) {
        throw std::runtime_error("kavrin-radio-sim did not start");
    }
    const auto nextLine = [this](const char* what) {
        while (!process_->canReadLine()) {
            if (!process_->waitForReadyRead(5000)) {
                throw std::runtime_error(std::string("kavrin-radio-sim printed no ") + what);
            }
        }
        return QString::fromLocal8Bit(process_->readLine()).trimmed();
    };
    devicePath_ = nextLine("device path");
    // The monitor names a line for its TCP port and one for its serial line, each when asked.
    const auto asked = [&options](const QString& name) {
        return std::any_of(options.begin(), options.end(), [&name](const QString& option) {
            return option == name || option.startsWith(name + "=");
        });
    };
    for (const auto* name : {"--monitor-port", "--monitor-serial"}) {
        if (asked(name)) {
            monitorLines_ << nextLine("monitor address");
        }
    }
}

SimRadio::~SimRadio() {
    stop();
}

int SimRadio::stop() {
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
    return process_->exitCode();
}

std::vector<RadioEvent> SimRadio::log() const {
    return readRadioLog(QFile::encodeName(logPath()).toStdString());
}

} // namespace kavrin::test
