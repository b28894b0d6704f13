// SCPI over a line link, as a profile describes it.
#include "instrument/scpi_instrument.h"

#include <QList>
#include <cmath>

namespace kavrin {
namespace {

[[noreturn]] void fail(const QString& text) {
    throw instrumentFailure(text.toStdString());
}

std::optional<double> number(const QByteArray& field) {
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<scpiError> parseScpiError(const QByteArray& reply) {
    const qsizetype comma = reply.indexOf(',');
    bool ok = false;
    const int code = reply.left(comma < 0 ? reply.size() : comma).trimmed().toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    QByteArray text = comma < 0 ? QByteArray() : reply.mid(comma + 1).trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) {
        text = text.mid(1, text.size() - 2);
    }
    return scpiError{code, QString::fromLatin1(text)};
}

scpiInstrument::scpiInstrument(std::unique_ptr<lineTransport> transport, instrumentProfile profile)
    : transport_(std::move(transport)), profile_(std::move(profile)) {}

std::string scpiInstrument::identify() {
    return QString::fromLatin1(
               transport_->query(profile_[monitorFunction::Identify].text.toLatin1()).trimmed())
        .toStdString();
}

void scpiInstrument::reset() {
    configure(monitorFunction::Reset, 0.0);
}

void scpiInstrument::setAnalyzerFrequency(double megahertz) {
    configure(monitorFunction::SetAnalyzerFrequency, megahertz);
}

double scpiInstrument::measurePower() {
    return measure(monitorFunction::MeasurePower);
}

double scpiInstrument::measureDeviation() {
    return measure(monitorFunction::MeasureDeviation);
}

void scpiInstrument::setGeneratorFrequency(double megahertz) {
    configure(monitorFunction::SetGeneratorFrequency, megahertz);
}

void scpiInstrument::setGeneratorLevel(double dbm) {
    configure(monitorFunction::SetGeneratorLevel, dbm);
}

void scpiInstrument::setGeneratorOn(bool on) {
    configure(monitorFunction::SetGeneratorOn, on ? 1.0 : 0.0);
}

double scpiInstrument::measureSinad() {
    return measure(monitorFunction::MeasureSinad);
}

void scpiInstrument::configure(monitorFunction function, double value) {
    const QString command = expandCommand(function, profile_[function], value);
    transport_->send(command.toLatin1());
    checkErrorQueue(command);
}

// The first error is the one the command caused; the rest are read only so that the next
// command's check does not report them as its own.
void scpiInstrument::checkErrorQueue(const QString& command) {
    const QByteArray errorQuery = profile_[monitorFunction::ErrorQuery].text.toLatin1();
    std::optional<scpiError> first;
    for (int read = 0; read < kMaxQueuedErrors; ++read) {
        const QByteArray reply = transport_->query(errorQuery);
        const auto error = parseScpiError(reply);
        if (!error) {
            fail(QStringLiteral("The service monitor's error queue answered \"%1\" after \"%2\"")
                     .arg(QString::fromLatin1(reply), command));
        }
        if (error->code == 0) {
            break;
        }
        if (!first) {
            first = error;
        }
    }
    if (first) {
        fail(QStringLiteral("The service monitor refused \"%1\": %2 %3")
                 .arg(command)
                 .arg(first->code)
                 .arg(first->text));
    }
}

double scpiInstrument::measure(monitorFunction function) {
    const functionProfile& entry = profile_[function];
    const QByteArray reply = transport_->query(entry.text.toLatin1());
    const QList<QByteArray> fields = reply.split(',');
    const auto fieldText = [&](int index) -> QByteArray {
        if (index >= fields.size()) {
            fail(QStringLiteral("The service monitor answered \"%1\" with %2 fields; field %3 "
                                "was expected")
                     .arg(entry.text, QString::number(fields.size()), QString::number(index)));
        }
        return fields[index].trimmed();
    };
    if (entry.reliabilityField) {
        const QByteArray reliability = fieldText(*entry.reliabilityField);
        bool ok = false;
        const int indicator = reliability.toInt(&ok);
        if (!ok || indicator != entry.validValue) {
            fail(QStringLiteral("No valid reading (reliability %1 in reply to \"%2\")")
                     .arg(QString::fromLatin1(reliability), entry.text));
        }
    }
    const QByteArray text = fieldText(entry.field);
    const auto reading = number(text);
    // NAN and INF are how instruments write "no reading" where a number belongs.
    const bool invalid =
        reading && (!std::isfinite(*reading) ||
                    (entry.invalidAtOrAbove && *reading >= *entry.invalidAtOrAbove));
    if (invalid) {
        fail(QStringLiteral("No valid reading (%1 in reply to \"%2\")")
                 .arg(QString::fromLatin1(text), entry.text));
    }
    if (!reading) {
        fail(QStringLiteral("The service monitor answered \"%1\" with \"%2\", which is no number")
                 .arg(entry.text, QString::fromLatin1(text)));
    }
    return toMonitorUnit(entry.unit, *reading);
}

} // namespace kavrin
