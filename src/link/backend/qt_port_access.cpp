// The serial backend of the serial manager: real serial devices through QSerialPort.
#include "link/log.h"
#include "link/port_access.h"
#include "link/port_diagnosis.h"
#include "link/port_lock.h"
#include "link/radio_service.h"
#include "link/virtual_ports.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>
#include <map>

namespace kavrin {

namespace {

using std::chrono::milliseconds;

class SerialTransport final : public ByteTransport {
public:
    SerialTransport(portLock lock, std::unique_ptr<QSerialPort> port)
        : lock_(std::move(lock)), port_(std::move(port)) {}

    TransportStatus write(std::span<const std::uint8_t> bytes, milliseconds timeout) override {
        if (failed()) {
            return TransportStatus::PortError;
        }
        const auto written = port_->write(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qint64>(bytes.size()));
        if (written != static_cast<qint64>(bytes.size())) {
            logFailure("write");
            return TransportStatus::PortError;
        }
        while (port_->bytesToWrite() > 0) {
            if (!port_->waitForBytesWritten(static_cast<int>(timeout.count()))) {
                if (failed()) {
                    logFailure("write");
                    return TransportStatus::PortError;
                }
                return TransportStatus::Timeout;
            }
        }
        return TransportStatus::Ok;
    }

    TransportStatus read(std::span<std::uint8_t> buffer, milliseconds timeout,
                         std::size_t& received) override {
        received = 0;
        // Bytes that arrived before the port failed are delivered first: an answer the radio
        // sent just before the cable went is still an answer.
        if (port_->bytesAvailable() == 0) {
            if (failed()) {
                return TransportStatus::PortError;
            }
            if (!port_->waitForReadyRead(static_cast<int>(timeout.count())) &&
                port_->bytesAvailable() == 0) {
                if (failed()) {
                    logFailure("read");
                    return TransportStatus::PortError;
                }
                return TransportStatus::Timeout;
            }
        }
        const auto got =
            port_->read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
        if (got < 0) {
            logFailure("read");
            return TransportStatus::PortError;
        }
        received = static_cast<std::size_t>(got);
        return TransportStatus::Ok;
    }

    void discardInput() override {
        port_->clear(QSerialPort::Input);
        port_->readAll();
    }

    QSerialPort& port() { return *port_; }

private:
    bool failed() const {
        if (!port_->isOpen()) {
            return true;
        }
        switch (port_->error()) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
            return false;
        default:
            return true;
        }
    }

    void logFailure(const char* what) const {
        log::warning(log::Channel::Serial, std::string(what) + " failed on " +
                                               port_->portName().toStdString() + ": " +
                                               port_->errorString().toStdString());
    }

    // Declared first, so that it is released after the port has closed.
    portLock lock_;
    std::unique_ptr<QSerialPort> port_;
};

// Says why a port did not open, in terms a technician's administrator can act on.
std::string openFailureReason(const QSerialPort& port, const QString& location) {
    switch (port.error()) {
    case QSerialPort::PermissionError: {
        const QFileInfo info(location);
        std::string reason = "permission denied or port busy";
        if (info.exists() && !info.isWritable()) {
            reason = "permission denied";
            const auto group = info.group().toStdString();
            if (!group.empty()) {
                reason += "; membership of the group '" + group + "' grants access";
            }
        } else if (info.exists()) {
            reason = "the port is in use by another program";
        }
        return reason;
    }
    case QSerialPort::DeviceNotFoundError:
        return "the port is gone";
    case QSerialPort::OpenError:
        return "the port is already open";
    default:
        return port.errorString().toStdString();
    }
}

} // namespace

struct IPortAccess::Impl {
    std::map<std::uint32_t, std::unique_ptr<SerialTransport>> ports;
    std::uint32_t nextHandle = 1;
};

IPortAccess::IPortAccess() : impl_(std::make_unique<Impl>()) {}

IPortAccess::~IPortAccess() = default;

std::int32_t IPortAccess::ListInterfaces(std::int32_t portKind, VARIANT* interfaces) {
    if (portKind != PortKindSerial || interfaces == nullptr) {
        return kServiceBadArgument;
    }
    VariantInit(interfaces);
    return kServiceOk;
}

std::int32_t IPortAccess::Open(const std::wstring& portName, std::int32_t portKind,
                               std::uint32_t* handle) {
    if (portKind != PortKindSerial || handle == nullptr || portName.empty()) {
        return kServiceBadArgument;
    }
    const std::string name(portName.begin(), portName.end());
    QString location = QString::fromStdString(name);
    long long radioPid = 0; // a virtual radio holds its own terminal open
    if (const auto radio = findVirtualPort(name)) {
        location = QString::fromStdString(radio->devicePath);
        radioPid = radio->pid;
    } else if (virtualPortsOnly()) {
        log::warning(log::Channel::Serial, "no virtual radio named " + name);
        return kServicePortError;
    }

    // Another Kavrin working with the radio keeps its lock between its links, while the port
    // itself is closed: the lock, not the open, tells that the radio is taken.
    portLock lock(name);
    if (lock.busy()) {
        log::warning(log::Channel::Serial, portBusyText(name));
        return kServicePortError;
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(location);
    if (!port->open(QIODevice::ReadWrite)) {
        const auto reason = "cannot open " + name + " (" + port->portName().toStdString() +
                            "): " + openFailureReason(*port, location);
        log::warning(log::Channel::Serial, reason);
        const auto details = diagnosisText(
            diagnoseDevice(name, QSerialPortInfo(*port).systemLocation().toStdString(), radioPid));
        log::info(log::Channel::Serial, details);
        rememberLinkFailure(reason + "\n" + details);
        return kServicePortError;
    }
    const bool configured =
        port->setBaudRate(kSerialBaudRate) && port->setDataBits(QSerialPort::Data8) &&
        port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::OneStop) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        log::warning(log::Channel::Serial,
                     "cannot configure " + name + ": " + port->errorString().toStdString());
        return kServicePortError;
    }
    const std::uint32_t id = impl_->nextHandle++;
    impl_->ports.emplace(id, std::make_unique<SerialTransport>(std::move(lock), std::move(port)));
    *handle = id;
    log::debug(log::Channel::Serial, "opened " + name + " as handle " + std::to_string(id));
    return kServiceOk;
}

std::int32_t IPortAccess::Close(std::uint32_t handle) {
    const auto it = impl_->ports.find(handle);
    if (it == impl_->ports.end()) {
        return kServiceNotOpen;
    }
    it->second->port().close();
    impl_->ports.erase(it);
    return kServiceOk;
}

ByteTransport* IPortAccess::transport(std::uint32_t handle) {
    const auto it = impl_->ports.find(handle);
    return it == impl_->ports.end() ? nullptr : it->second.get();
}

} // namespace kavrin
