// Link diagnostics on standard error, for the Windows core's programs, which have no Qt to
// route them through. Warnings always show; debug and info lines once enableVerbose() has
// turned verbose output on, as the programs do for --verbose and KAVRIN_DEBUG.
#include "link/log.h"

#include <atomic>
#include <chrono>
#include <iostream>

namespace kavrin::log {

namespace {

std::atomic<bool> verbose{false};

bool verboseOn() {
    return verbose.load();
}

const char* category(Channel channel) {
    switch (channel) {
    case Channel::Serial:
        return "kavrin.link.serial";
    case Channel::Protocol:
        return "kavrin.link.protocol";
    case Channel::Discovery:
        return "kavrin.link.discovery";
    case Channel::Core:
        break;
    }
    return "kavrin.data";
}

void write(Channel channel, const char* type, std::string_view text) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    std::cerr << now.count() << " ms " << category(channel) << ' ' << type << ": " << text << '\n';
}

} // namespace

bool debugEnabled(Channel) {
    return verboseOn();
}

void debug(Channel channel, std::string_view text) {
    if (verboseOn()) {
        write(channel, "debug", text);
    }
}

void info(Channel channel, std::string_view text) {
    if (verboseOn()) {
        write(channel, "info", text);
    }
}

void warning(Channel channel, std::string_view text) {
    write(channel, "warning", text);
}

void enableVerbose() {
    verbose.store(true);
}

} // namespace kavrin::log
