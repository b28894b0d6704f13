// Diagnostics of the radio link, per layer. Standard-library code logs through these functions;
// the Qt backend routes them to QLoggingCategory ("kavrin.link.serial", "kavrin.link.protocol",
// "kavrin.link.discovery"), so `kavrin-cli --verbose` and KAVRIN_DEBUG turn them on.
#pragma once

#include <string_view>

namespace kavrin::log {

enum class Channel { Serial, Protocol, Discovery, Core };

bool debugEnabled(Channel channel);
void debug(Channel channel, std::string_view text);
void info(Channel channel, std::string_view text);
void warning(Channel channel, std::string_view text);

// Turns on debug output of every Kavrin category with timestamps; used by `--verbose` and by
// the environment variable KAVRIN_DEBUG.
void enableVerbose();

} // namespace kavrin::log
