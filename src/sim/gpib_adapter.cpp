// The adapter's "++" commands and its addressing.
#include "sim/gpib_adapter.h"

#include <charconv>

namespace kavrin::sim {

namespace {

inline constexpr std::uint8_t kMaxAddress = 30;
inline constexpr std::string_view kVersion = "Kavrin virtual GPIB-USB controller version 6.107";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<unsigned> parseSmall(std::string_view text, unsigned high) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value > high) {
        return std::nullopt;
    }
    return value;
}

GpibAdapter::Step reply(std::string text) {
    return {GpibAdapter::Step::Kind::Reply, std::move(text)};
}

// A "++name [0|1]" setting: the value is set, or reported when no value came. A bad value is
// ignored, as the adapter does.
GpibAdapter::Step flag(bool& setting, std::string_view argument) {
    if (argument.empty()) {
        return reply(setting ? "1" : "0");
    }
    if (const auto value = parseSmall(argument, 1)) {
        setting = *value == 1;
    }
    return {};
}

} // namespace

GpibAdapter::Step GpibAdapter::onLine(std::string_view line) {
    const auto text = trim(line);
    if (!text.starts_with("++")) {
        if (text.empty() || !controller_ || address_ != instrument_) {
            return {};
        }
        return {Step::Kind::ToInstrument, std::string(text)};
    }
    const auto rest = text.substr(2);
    const auto space = rest.find_first_of(" \t");
    const auto name = rest.substr(0, space);
    const auto argument =
        space == std::string_view::npos ? std::string_view{} : trim(rest.substr(space));
    return command(name, argument);
}

GpibAdapter::Step GpibAdapter::command(std::string_view name, std::string_view argument) {
    if (name == "addr") {
        if (argument.empty()) {
            return address_ ? reply(std::to_string(*address_)) : Step{};
        }
        if (const auto value = parseSmall(argument, kMaxAddress)) {
            address_ = static_cast<std::uint8_t>(*value);
        }
        return {};
    }
    if (name == "mode") {
        return flag(controller_, argument);
    }
    if (name == "auto") {
        return flag(autoRead_, argument);
    }
    if (name == "eoi") {
        return flag(eoi_, argument);
    }
    if (name == "ver") {
        return reply(std::string(kVersion));
    }
    if (name == "read") {
        // "++read", "++read eoi" and "++read CHAR" all end at the reply's line end here.
        if (!held_ || address_ != instrument_) {
            return {};
        }
        auto text = std::move(*held_);
        held_.reset();
        return reply(std::move(text));
    }
    if (name == "clr" || name == "ifc" || name == "loc" || name == "llo" || name == "rst" ||
        name == "trg" || name == "eos" || name == "eot_enable" || name == "eot_char" ||
        name == "read_tmo_ms" || name == "savecfg") {
        // Bus housekeeping with nothing to simulate on a one-device bus.
        return {};
    }
    return reply("Unrecognized command");
}

std::optional<std::string> GpibAdapter::onInstrumentReply(std::string reply) {
    if (autoRead_) {
        held_.reset();
        return reply;
    }
    held_ = std::move(reply);
    return std::nullopt;
}

} // namespace kavrin::sim
