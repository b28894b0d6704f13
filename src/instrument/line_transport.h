// The line links to a service monitor: a raw TCP socket, a serial port, and a USB-GPIB adapter
// of the Prologix kind on a serial port. Every call blocks for at most the link's timeout without
// an event loop of the caller's, and every failure is an instrumentFailure saying what happened.
#pragma once

#include "data/service_monitor.h"
#include "instrument/instrument_address.h"

#include <QByteArray>
#include <chrono>
#include <memory>

namespace kavrin {

inline constexpr std::chrono::milliseconds kDefaultInstrumentTimeout{3000};
// A reply is one line; a longer one is a link out of step, not an answer.
inline constexpr qsizetype kMaxReplyLength = 4096;

class lineTransport {
public:
    virtual ~lineTransport() = default;

    // Sends one line that has no reply.
    virtual void send(const QByteArray& line) = 0;
    // Sends one line and returns the line it is answered with, without its line end. Whatever
    // arrived before it is dropped first, so a reply that came too late for an earlier query is
    // never taken for this one's.
    virtual QByteArray query(const QByteArray& line) = 0;
};

// Opens the link named by `address`; throws instrumentFailure with the reason it did not open.
std::unique_ptr<lineTransport> openLineTransport(const instrumentAddress& address,
                                                 std::chrono::milliseconds timeout);

} // namespace kavrin
