// Link diagnostics routed to Qt's logging categories.
#include "link/log.h"

#include <QLoggingCategory>
#include <QString>

namespace kavrin::log {

namespace {

Q_LOGGING_CATEGORY(lcSerial, "kavrin.link.serial", QtWarningMsg)
Q_LOGGING_CATEGORY(lcProtocol, "kavrin.link.protocol", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDiscovery, "kavrin.link.discovery", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCore, "kavrin.data", QtWarningMsg)

const QLoggingCategory& category(Channel channel) {
    switch (channel) {
    case Channel::Serial:
        return lcSerial();
    case Channel::Protocol:
        return lcProtocol();
    case Channel::Discovery:
        return lcDiscovery();
    case Channel::Core:
        break;
    }
    return lcCore();
}

QString text(std::string_view message) {
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

} // namespace

bool debugEnabled(Channel channel) {
    return category(channel).isDebugEnabled();
}

void debug(Channel channel, std::string_view message) {
    if (category(channel).isDebugEnabled()) {
        qCDebug(category(channel)).noquote() << text(message);
    }
}

void info(Channel channel, std::string_view message) {
    if (category(channel).isInfoEnabled()) {
        qCInfo(category(channel)).noquote() << text(message);
    }
}

void warning(Channel channel, std::string_view message) {
    if (category(channel).isWarningEnabled()) {
        qCWarning(category(channel)).noquote() << text(message);
    }
}

void enableVerbose() {
    QLoggingCategory::setFilterRules(QStringLiteral("kavrin.*=true"));
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-ddThh:mm:ss.zzz} %{category} %{type}: %{message}"));
}

} // namespace kavrin::log
