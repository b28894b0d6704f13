// The virtual service monitor as an instrument: its SCPI command sets, its error queue, its
// analyzer and generator settings, and what it measures of the radio on the other end of the
// cable. Nothing here touches a file descriptor; one command line goes in, its reply comes out.
#pragma once

#include "sim/monitor_curves.h"
#include "sim/options.h"
#include "sim/radio.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace kavrin::sim {

struct MonitorSettings {
    MonitorDialect dialect = MonitorDialect::CmaStyle;
    double noiseSigma = 0.0;
    std::uint32_t seed = 0;
    std::uint8_t band = 0; // the radio's band, whose table places the points F1-F5
};

class VirtualMonitor {
public:
    VirtualMonitor(MonitorSettings settings, CurveSet curves);

    // Executes one command line (without its line end) against the radio as it is now. Returns
    // the reply line of a query that succeeded; a failed command leaves an error in the queue
    // and, as on a real instrument, gives no reply.
    std::optional<std::string> execute(std::string_view line, const RadioState& radio);

    // A line too long to take in was dropped on its way to the instrument.
    void inputOverrun();

    enum class Action : std::uint8_t;

private:
    std::optional<std::string> perform(Action action, std::string_view parameter,
                                       const RadioState& radio);
    bool setNumber(std::string_view parameter, double low, double high, std::optional<double>& out);
    void pushError(int code, std::string_view text);
    std::string nextError();
    void reset();

    // A reading of the transmitter, or nothing when the analyzer sees no signal of it.
    std::optional<double> powerW(const RadioState& radio) const;
    std::optional<double> deviationKHz(const RadioState& radio) const;
    bool squelchOpen(const RadioState& radio) const;
    double noisy(double reading);

    std::string powerReply(const RadioState& radio);
    std::string deviationReply(const RadioState& radio);
    std::string sinadReply(const RadioState& radio);

    MonitorSettings settings_;
    CurveSet curves_;
    std::mt19937_64 noise_;
    std::deque<std::string> errors_;

    std::optional<double> analyzerHz_;
    std::optional<double> generatorHz_;
    double generatorDbm_ = 0.0;
    bool generatorOn_ = false;
};

} // namespace kavrin::sim
