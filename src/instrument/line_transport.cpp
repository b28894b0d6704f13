// The line links to a service monitor over Qt's blocking waits (waitForReadyRead and its
// siblings), which need no running event loop.
#include "instrument/line_transport.h"

#include "instrument/instrument_log.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTcpSocket>

namespace kavrin {
namespace {

using std::chrono::milliseconds;

constexpr char kLineEnd = '\n';

[[noreturn]] void fail(const QString& text) {
    throw instrumentFailure(text.toStdString());
}

QString shown(const QByteArray& line) {
    return QString::fromLatin1(line);
}

// One line out, one line in, over an open QIODevice; the kinds of device differ only in how
// they tell that the far end has gone.
class deviceTransport : public lineTransport {
public:
    deviceTransport(QString name, milliseconds timeout)
        : name_(std::move(name)), timeout_(timeout) {}

    void send(const QByteArray& line) override {
        catchUp();
        sendRaw(line);
    }

    QByteArray query(const QByteArray& line) override {
        catchUp();
        dropStaleInput();
        sendRaw(line);
        return readLine(line);
    }

protected:
    void sendRaw(const QByteArray& line) {
        qCDebug(lcInstrument).noquote() << name_ << ">" << shown(line);
        writeAll(line + kLineEnd);
    }

    // A query that timed out may still be answered, at any time; until the link is brought
    // back in step that late reply could be taken for the next query's.
    void catchUp() {
        if (outOfStep_) {
            qCDebug(lcInstrument).noquote() << name_ << "back in step after a timeout";
            resynchronise();
            outOfStep_ = false;
        }
    }
    virtual void resynchronise() { dropStaleInput(); }

    virtual QIODevice& device() = 0;
    // Why the link can carry nothing more, or an empty text while it can.
    virtual QString brokenReason() = 0;
    virtual void dropStaleInput() {
        device().waitForReadyRead(0);
        device().readAll();
    }

    void writeAll(const QByteArray& bytes) {
        if (const QString reason = brokenReason(); !reason.isEmpty()) {
            fail(reason);
        }
        if (device().write(bytes) != bytes.size()) {
            fail(QStringLiteral("Could not send to the service monitor at %1: %2")
                     .arg(name_, device().errorString()));
        }
        const QDeadlineTimer deadline(timeout_);
        while (device().bytesToWrite() > 0) {
            if (!device().waitForBytesWritten(remainingMs(deadline))) {
                if (const QString reason = brokenReason(); !reason.isEmpty()) {
                    fail(reason);
                }
                if (deadline.hasExpired()) {
                    fail(QStringLiteral("The service monitor at %1 took nothing in %2 ms")
                             .arg(name_)
                             .arg(timeout_.count()));
                }
            }
        }
    }

    // The next line, for the query `asked` (named in the messages).
    QByteArray readLine(const QByteArray& asked) {
        const QDeadlineTimer deadline(timeout_);
        while (!device().canReadLine()) {
            if (device().bytesAvailable() > kMaxReplyLength) {
                fail(QStringLiteral("The service monitor at %1 answered \"%2\" with more than %3 "
                                    "bytes and no line end")
                         .arg(name_, shown(asked))
                         .arg(kMaxReplyLength));
            }
            if (deadline.hasExpired()) {
                outOfStep_ = true;
                fail(QStringLiteral("The service monitor at %1 did not answer \"%2\" within %3 ms")
                         .arg(name_, shown(asked))
                         .arg(timeout_.count()));
            }
            if (!device().waitForReadyRead(remainingMs(deadline)) && !device().canReadLine()) {
                if (const QString reason = brokenReason(); !reason.isEmpty()) {
                    fail(reason);
                }
            }
        }
        QByteArray reply = device().readLine(kMaxReplyLength + 1);
        if (reply.size() > kMaxReplyLength) {
            fail(QStringLiteral("The service monitor at %1 answered \"%2\" with more than %3 bytes")
                     .arg(name_, shown(asked))
                     .arg(kMaxReplyLength));
        }
        while (reply.endsWith('\n') || reply.endsWith('\r')) {
            reply.chop(1);
        }
        qCDebug(lcInstrument).noquote() << name_ << "<" << shown(reply);
        return reply;
    }

    const QString& name() const { return name_; }

private:
    static int remainingMs(const QDeadlineTimer& deadline) {
        return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
    }

    QString name_;
    milliseconds timeout_;
    bool outOfStep_ = false;
};

class tcpTransport final : public deviceTransport {
public:
    tcpTransport(const instrumentAddress& address, milliseconds timeout)
        : deviceTransport(address.text(), timeout), address_(address), timeout_(timeout) {
        connect();
    }

protected:
    QIODevice& device() override { return socket_; }

    // A fresh connection carries nothing of the old one's late replies.
    void resynchronise() override {
        socket_.abort();
        connect();
    }

    QString brokenReason() override {
        if (socket_.state() == QAbstractSocket::ConnectedState) {
            return {};
        }
        return QStringLiteral("The service monitor at %1 closed the connection").arg(name());
    }

private:
    void connect() {
        socket_.connectToHost(address_.host, address_.port);
        if (!socket_.waitForConnected(static_cast<int>(timeout_.count()))) {
            const QString reason =
                socket_.error() == QAbstractSocket::SocketTimeoutError
                    ? QStringLiteral("no answer within %1 ms").arg(timeout_.count())
                    : socket_.errorString();
            fail(QStringLiteral("Could not connect to the service monitor at %1: %2")
                     .arg(name(), reason));
        }
        // Commands are short lines each waiting for the previous one's check; none should wait
        // for a full segment.
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    instrumentAddress address_;
    milliseconds timeout_;
    QTcpSocket socket_;
};

QString serialOpenFailure(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::PermissionError: {
        const QFileInfo info(port.portName().startsWith(u'/')
                                 ? port.portName()
                                 : QStringLiteral("/dev/") + port.portName());
        if (info.exists() && !info.isWritable() && !info.group().isEmpty()) {
            return QStringLiteral("permission denied; membership of the group '%1' grants access")
                .arg(info.group());
        }
        return QStringLiteral("permission denied or the port is in use by another program");
    }
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("there is no such port");
    case QSerialPort::OpenError:
        return QStringLiteral("the port is already open");
    default:
        return port.errorString();
    }
}

class serialTransport : public deviceTransport {
public:
    serialTransport(const instrumentAddress& address, milliseconds timeout)
        : deviceTransport(address.text(), timeout) {
        port_.setPortName(address.serialPort);
        if (!port_.open(QIODevice::ReadWrite)) {
            fail(QStringLiteral("Could not open the service monitor's port %1: %2")
                     .arg(address.serialPort, serialOpenFailure(port_)));
        }
        const bool configured =
            port_.setBaudRate(address.baud) && port_.setDataBits(QSerialPort::Data8) &&
            port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
            port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            fail(QStringLiteral("Could not set up the service monitor's port %1: %2")
                     .arg(address.serialPort, port_.errorString()));
        }
    }

protected:
    QIODevice& device() override { return port_; }

    QString brokenReason() override {
        const auto error = port_.error();
        if (port_.isOpen() &&
            (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)) {
            return {};
        }
        return QStringLiteral("The service monitor's port %1 failed: %2")
            .arg(port_.portName(), port_.errorString());
    }

    void dropStaleInput() override {
        port_.clear(QSerialPort::Input);
        deviceTransport::dropStaleInput();
    }

private:
    QSerialPort port_;
};

// The adapter takes lines starting with "++" for itself and passes every other line to the
// instrument at its GPIB address. With ++auto 0 the instrument is addressed to talk only when
// ++read asks for a reply: an instrument told to talk after a command that has no reply reports
// a query error of its own. ++eoi 1 marks each command's last byte, which is how GPIB instruments
// see where a command ends; ++read eoi reads until the instrument marks its last byte.
class prologixTransport final : public serialTransport {
public:
    prologixTransport(const instrumentAddress& address, milliseconds timeout)
        : serialTransport(address, timeout) {
        sendRaw("++mode 1");
        sendRaw("++addr " + QByteArray::number(address.gpibAddress));
        sendRaw("++auto 0");
        sendRaw("++eoi 1");
    }

    void send(const QByteArray& line) override {
        catchUp();
        sendRaw(escaped(line));
    }

    QByteArray query(const QByteArray& line) override {
        catchUp();
        dropStaleInput();
        sendRaw(escaped(line));
        sendRaw("++read eoi");
        return readLine(line);
    }

protected:
    // A device clear empties the instrument's output of the reply that came too late, which it
    // would otherwise report as an interrupted query at the next command.
    void resynchronise() override {
        sendRaw("++clr");
        serialTransport::resynchronise();
    }

private:
    // The adapter's own bytes (CR, LF, ESC and '+') reach the instrument only behind an ESC.
    static QByteArray escaped(const QByteArray& line) {
        constexpr char kEscape = '\x1b';
        QByteArray out;
        out.reserve(line.size());
        for (const char c : line) {
            if (c == '\r' || c == '\n' || c == kEscape || c == '+') {
                out += kEscape;
            }
            out += c;
        }
        return out;
    }
};

} // namespace

std::unique_ptr<lineTransport> openLineTransport(const instrumentAddress& address,
                                                 milliseconds timeout) {
    switch (address.link) {
    case instrumentLink::Tcp:
        return std::make_unique<tcpTransport>(address, timeout);
    case instrumentLink::Serial:
        return std::make_unique<serialTransport>(address, timeout);
    case instrumentLink::Prologix:
        return std::make_unique<prologixTransport>(address, timeout);
    }
    fail(QStringLiteral("Unknown kind of link to the service monitor"));
}

} // namespace kavrin
