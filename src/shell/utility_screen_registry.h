// Registers the radio setup and serial-number screens with the application.
#pragma once

namespace kavrin::shell {

void registerUtilityScreens();

} // namespace kavrin::shell
