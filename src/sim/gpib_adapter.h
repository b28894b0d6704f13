// A USB-GPIB adapter of the Prologix kind between a serial line and the virtual monitor: it
// answers its own "++" commands and passes other lines to the bus device it addresses. Pure
// state; the serving loop moves the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavrin::sim {

class GpibAdapter {
public:
    explicit GpibAdapter(std::uint8_t instrumentAddress) : instrument_(instrumentAddress) {}

    struct Step {
        enum class Kind { Nothing, Reply, ToInstrument };
        Kind kind = Kind::Nothing;
        std::string text; // the reply to the host, or the line for the instrument
    };

    // One line from the host, without its line end.
    Step onLine(std::string_view line);

    // The instrument's reply to a line passed on: returned for the host at once under ++auto 1,
    // otherwise kept until ++read asks for it. An unread reply is replaced by the next one, as
    // the instrument's output queue is cleared by a new command.
    std::optional<std::string> onInstrumentReply(std::string reply);

private:
    Step command(std::string_view name, std::string_view argument);

    std::uint8_t instrument_;
    std::optional<std::uint8_t> address_; // none until the host sets one
    bool controller_ = true;              // ++mode 1
    bool autoRead_ = false;               // ++auto
    bool eoi_ = true;                     // ++eoi: kept and reported, a line end ends a reply
    std::optional<std::string> held_;
};

} // namespace kavrin::sim
