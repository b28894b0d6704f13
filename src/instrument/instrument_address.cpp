// Parsing a service monitor's address.
#include "instrument/instrument_address.h"

#include <QStringList>
#include <map>

namespace kavrin {
namespace {

constexpr QStringView kTcpPrefix = u"tcp://";
constexpr QStringView kSerialPrefix = u"serial:";
constexpr QStringView kPrologixPrefix = u"prologix:";
constexpr int kMaxPort = 65535;
constexpr qint32 kMaxBaud = 4000000;
// More digits than any port, baud rate or GPIB address has; keeps the number far from overflow.
constexpr qsizetype kMaxDigits = 9;

instrumentAddressResult refused(const QString& text, const QString& reason) {
    return {std::nullopt,
            QStringLiteral("The instrument address \"%1\" is not valid: %2. Use tcp://HOST[:PORT], "
                           "serial:PORT[?baud=N] or prologix:PORT?addr=N.")
                .arg(text, reason)};
}

std::optional<qint64> wholeNumber(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxDigits) {
        return std::nullopt;
    }
    // ASCII digits only: QChar::isDigit would take other scripts' digits too.
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
    }
    return text.toLongLong();
}

instrumentAddressResult parseTcp(const QString& text) {
    const QString rest = text.mid(kTcpPrefix.size());
    QString host;
    QString portText;
    bool hasPort = false;
    if (rest.startsWith(u'[')) { // an IPv6 address: [::1]:5025
        const qsizetype close = rest.indexOf(u']');
        if (close < 0) {
            return refused(text, QStringLiteral("the host's \"[\" has no \"]\""));
        }
        host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':')) {
                return refused(text, QStringLiteral("\"%1\" after the host").arg(after));
            }
            hasPort = true;
            portText = after.mid(1);
        }
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        host = colon < 0 ? rest : rest.left(colon);
        if (colon >= 0) {
            hasPort = true;
            portText = rest.mid(colon + 1);
        }
    }
    if (host.isEmpty()) {
        return refused(text, QStringLiteral("the host is missing"));
    }
    const bool bracketed = rest.startsWith(u'[');
    if (host.contains(u'/') || host.contains(u'?') || (!bracketed && host.contains(u':'))) {
        return refused(text, QStringLiteral("the host \"%1\" has a character that a host name "
                                            "cannot have")
                                 .arg(host));
    }
    instrumentAddress address;
    address.link = instrumentLink::Tcp;
    address.host = host;
    if (hasPort) {
        const auto port = wholeNumber(portText);
        if (!port || *port < 1 || *port > kMaxPort) {
            return refused(text, QStringLiteral("the port \"%1\" is not a number from 1 to %2")
                                     .arg(portText)
                                     .arg(kMaxPort));
        }
        address.port = static_cast<quint16>(*port);
    }
    return {address, {}};
}

// PORT?name=value&name=value, each name at most once and known to the form.
instrumentAddressResult parseSerial(const QString& text, instrumentLink link, QStringView prefix) {
    const QString rest = text.mid(prefix.size());
    const qsizetype question = rest.indexOf(u'?');
    instrumentAddress address;
    address.link = link;
    address.serialPort = question < 0 ? rest : rest.left(question);
    if (address.serialPort.isEmpty()) {
        return refused(text, QStringLiteral("the serial port is missing"));
    }
    std::map<QString, qint64> options;
    if (question >= 0) {
        for (const QString& pair : rest.mid(question + 1).split(u'&')) {
            const qsizetype equals = pair.indexOf(u'=');
            const QString name = equals < 0 ? pair : pair.left(equals);
            const bool known =
                name == u"baud" || (link == instrumentLink::Prologix && name == u"addr");
            if (!known) {
                return refused(text, QStringLiteral("the option \"%1\" is unknown").arg(name));
            }
            if (options.contains(name)) {
                return refused(text, QStringLiteral("the option \"%1\" is given twice").arg(name));
            }
            const auto value = wholeNumber(equals < 0 ? QString() : pair.mid(equals + 1));
            if (!value) {
                return refused(text,
                               QStringLiteral("the option \"%1\" needs a whole number").arg(name));
            }
            options[name] = *value;
        }
    }
    if (const auto baud = options.find(QStringLiteral("baud")); baud != options.end()) {
        if (baud->second < 1 || baud->second > kMaxBaud) {
            return refused(text, QStringLiteral("the baud rate %1 is not from 1 to %2")
                                     .arg(baud->second)
                                     .arg(kMaxBaud));
        }
        address.baud = static_cast<qint32>(baud->second);
    }
    if (link == instrumentLink::Prologix) {
        const auto gpib = options.find(QStringLiteral("addr"));
        if (gpib == options.end()) {
            return refused(text, QStringLiteral("the GPIB address is missing (?addr=N)"));
        }
        if (gpib->second > kMaxGpibAddress) {
            return refused(text, QStringLiteral("the GPIB address %1 is not from 0 to %2")
                                     .arg(gpib->second)
                                     .arg(kMaxGpibAddress));
        }
        address.gpibAddress = static_cast<int>(gpib->second);
    }
    return {address, {}};
}

} // namespace

QString instrumentAddress::text() const {
    switch (link) {
    case instrumentLink::Tcp: {
        const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
        return QStringLiteral("tcp://%1:%2").arg(shownHost).arg(port);
    }
    case instrumentLink::Serial:
        return QStringLiteral("serial:%1?baud=%2").arg(serialPort).arg(baud);
    case instrumentLink::Prologix:
        return QStringLiteral("prologix:%1?addr=%2&baud=%3")
            .arg(serialPort)
            .arg(gpibAddress)
            .arg(baud);
    }
    return {};
}

instrumentAddressResult parseInstrumentAddress(const QString& text) {
    if (text.trimmed() != text) {
        return refused(text, QStringLiteral("it has spaces around it"));
    }
    if (text.startsWith(kTcpPrefix)) {
        return parseTcp(text);
    }
    if (text.startsWith(kSerialPrefix)) {
        return parseSerial(text, instrumentLink::Serial, kSerialPrefix);
    }
    if (text.startsWith(kPrologixPrefix)) {
        return parseSerial(text, instrumentLink::Prologix, kPrologixPrefix);
    }
    return refused(text, QStringLiteral("the kind of link is missing or unknown"));
}

} // namespace kavrin
