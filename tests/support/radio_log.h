// The virtual radio's event log read back as typed events: kavrin-radio-sim appends one flat JSON
// object a line for every request it served (a repeat it answered again is not logged) and for
// every command its service monitor executed.
#pragma once

#include "link/frame.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavrin::test {

struct RadioEvent {
    enum class Kind { Open, Close, Execute, Read, Write, Unknown, Scpi };

    Kind kind = Kind::Unknown;
    wire::Status status = wire::Status::Ok; // a radio request's; an scpi line has none
    // The size of a payload the radio could not take apart; the request's own fields are then
    // missing.
    std::optional<int> payloadLength;

    std::optional<int> mode;    // open: the protocol mode asked for
    std::optional<int> request; // execute: the request number
    std::string name;           // execute: the request's name, empty for a number it does not know
    std::string data;           // execute: the sixteen data bytes, lower-case hex
    std::optional<int> value;   // execute: the value a softpot request set
    std::optional<double> firstMHz; // execute: the frequencies a test channel request set
    std::optional<double> secondMHz;
    std::optional<int> offset;        // read, write: the codeplug address
    std::optional<int> length;        // read: the number of bytes asked for
    std::string bytes;                // write: the bytes written, lower-case hex
    std::optional<int> frameKind;     // unknown: the frame kind the radio did not know
    std::string command;              // scpi: the command line the monitor executed
    std::optional<std::string> reply; // scpi: its reply, none for a command without one

    std::string line; // as logged

    bool operator==(const RadioEvent&) const = default;
};

// GoogleTest prints an event as its typed fields and the line they came from.
void PrintTo(const RadioEvent& event, std::ostream* out);

// A line that is not an event the radio writes: bad JSON, an unknown event or status, a field of
// the wrong type. The reader stops there rather than hand a test a shortened log.
class RadioLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every complete line of `text`; a last line without its newline is still being written and is
// left for the next read.
std::vector<RadioEvent> parseRadioLog(std::string_view text);

// The log file read whole; a file that is not there yet holds no events.
std::vector<RadioEvent> readRadioLog(const std::filesystem::path& file);

// The events other than a link's open and close, in order.
std::vector<RadioEvent> traffic(std::span<const RadioEvent> events);

std::vector<RadioEvent> eventsOfKind(std::span<const RadioEvent> events, RadioEvent::Kind kind);

// The request numbers of the execute events, in order; an execute too short to carry a number
// has none to give.
std::vector<int> executeRequests(std::span<const RadioEvent> events);

// The execute events as request number and data hex, in order.
std::vector<std::pair<int, std::string>>
executeRequestsWithData(std::span<const RadioEvent> events);

} // namespace kavrin::test
