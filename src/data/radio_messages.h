// The fixed messages that several screens and flows show alike about the radio link.
#pragma once

namespace kavrin {

inline constexpr const char* kCommunicationErrorText = "Radio Communication Error!!";
inline constexpr const char* kPortUnavailableText =
    "COM Port is currently in use by another application or radio isn't connected";

} // namespace kavrin
