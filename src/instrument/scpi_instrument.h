// A service monitor spoken to in SCPI over a line link, with the commands, reply fields and units
// of its profile. Every configuration command is followed by a look at the instrument's error
// queue, so a command it refused fails where it was sent, not at a later reading.
#pragma once

#include "data/service_monitor.h"
#include "instrument/instrument_profile.h"
#include "instrument/line_transport.h"

#include <memory>

namespace kavrin {

// An error queue holds a bounded number of entries; reading this many empties any of them.
inline constexpr int kMaxQueuedErrors = 32;

class scpiInstrument final : public IServiceMonitor {
public:
    scpiInstrument(std::unique_ptr<lineTransport> transport, instrumentProfile profile);

    std::string identify() override;
    void reset() override;

    void setAnalyzerFrequency(double megahertz) override;
    double measurePower() override;
    double measureDeviation() override;

    void setGeneratorFrequency(double megahertz) override;
    void setGeneratorLevel(double dbm) override;
    void setGeneratorOn(bool on) override;
    double measureSinad() override;

    const instrumentProfile& profile() const { return profile_; }

private:
    void configure(monitorFunction function, double value);
    double measure(monitorFunction function);
    void checkErrorQueue(const QString& command);

    std::unique_ptr<lineTransport> transport_;
    instrumentProfile profile_;
};

// The code and text of an error-queue reply such as `-113,"Undefined header"`; nothing when the
// reply is not of that form.
struct scpiError {
    int code = 0;
    QString text;
};
std::optional<scpiError> parseScpiError(const QByteArray& reply);

} // namespace kavrin
