// Registers every screen the menus open — the fourteen alignment screens, radio setup and
// serial-number programming — with the pictures the shell draws for their buttons.
#pragma once

namespace kavrin::shell {

void registerScreens();

} // namespace kavrin::shell
