// The Reset and FW Version commands: each opens a test-mode link, sends one request and tells
// the user the outcome.
#pragma once

#include "data/user_interface.h"
#include "link/user_messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kavrin {

struct UserInterface {
    IUserMessages& messages;
    IBusyCursor& cursor;
    IStatusLine& statusLine;
};

// True when the radio was reset.
bool resetRadioCommand(const UserInterface& ui);

// The version text ("R01.05") when it was read.
std::optional<std::string> firmwareVersionCommand(const UserInterface& ui);

// The five version characters shown as the first three, a '.', and the last two.
std::string formatFirmwareVersion(const std::array<std::uint8_t, 5>& answer);

} // namespace kavrin
