// What automatic alignment needs of a service monitor, in the units the limits files use: the
// analyzer's transmit power and FM deviation, the generator that opens a receiver's squelch, and
// the SINAD that shows it opened. The instrument layer implements it over SCPI; the flows know
// only this.
#pragma once

#include <stdexcept>
#include <string>

namespace kavrin {

// A call that did not give its answer: no reply in time, an error in the instrument's error
// queue, a reading the instrument marked invalid. what() says which, for the technician.
class instrumentFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IServiceMonitor {
public:
    virtual ~IServiceMonitor() = default;

    virtual std::string identify() = 0; // *IDN?
    virtual void reset() = 0;

    virtual void setAnalyzerFrequency(double megahertz) = 0;
    virtual double measurePower() = 0;     // W
    virtual double measureDeviation() = 0; // peak FM deviation, kHz

    virtual void setGeneratorFrequency(double megahertz) = 0;
    virtual void setGeneratorLevel(double dbm) = 0;
    virtual void setGeneratorOn(bool on) = 0;
    virtual double measureSinad() = 0; // dB
};

} // namespace kavrin
