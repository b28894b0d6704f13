// Where a service monitor is reached: the address text a technician types, and its parser.
#pragma once

#include <QString>
#include <optional>

namespace kavrin {

inline constexpr quint16 kDefaultScpiPort = 5025;
// A USB serial link carries what the host sends at any rate; 115200 is what bench instruments
// and USB-GPIB adapters answer to out of the box.
inline constexpr qint32 kDefaultInstrumentBaud = 115200;
inline constexpr int kMaxGpibAddress = 30;

enum class instrumentLink { Tcp, Serial, Prologix };

struct instrumentAddress {
    instrumentLink link = instrumentLink::Tcp;
    QString host;                         // Tcp
    quint16 port = kDefaultScpiPort;      // Tcp
    QString serialPort;                   // Serial, Prologix: a device name or path
    qint32 baud = kDefaultInstrumentBaud; // Serial, Prologix
    int gpibAddress = 0;                  // Prologix

    // The address again, in the form the parser reads; for messages.
    QString text() const;
};

struct instrumentAddressResult {
    std::optional<instrumentAddress> address;
    QString error; // why the text was refused; empty when address is set
};

// `tcp://HOST[:PORT]`, `serial:PORT[?baud=N]` or `prologix:PORT?addr=N[&baud=N]`.
instrumentAddressResult parseInstrumentAddress(const QString& text);

} // namespace kavrin
