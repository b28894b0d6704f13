// Opening a service monitor: address, profile, link, in the order that fails cheapest first.
#include "instrument/service_monitor_factory.h"

#include "instrument/instrument_address.h"
#include "instrument/instrument_log.h"
#include "instrument/instrument_profile.h"
#include "instrument/scpi_instrument.h"

Q_LOGGING_CATEGORY(lcInstrument, "kavrin.instrument", QtWarningMsg)

namespace kavrin {

serviceMonitorResult openServiceMonitor(const QString& address, const QString& profileNameOrFile,
                                        std::chrono::milliseconds timeout) {
    const auto parsed = parseInstrumentAddress(address);
    if (!parsed.address) {
        return {nullptr, parsed.error};
    }
    auto profile = findInstrumentProfile(profileNameOrFile);
    if (!profile.profile) {
        return {nullptr, profile.error};
    }
    try {
        auto transport = openLineTransport(*parsed.address, timeout);
        qCInfo(lcInstrument).noquote()
            << "opened" << parsed.address->text() << "with profile" << profile.profile->path;
        return {std::make_unique<scpiInstrument>(std::move(transport), std::move(*profile.profile)),
                {}};
    } catch (const instrumentFailure& failure) {
        return {nullptr, QString::fromStdString(failure.what())};
    }
}

} // namespace kavrin
