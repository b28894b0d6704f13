// kavrin-cli tune: one alignment screen from the command line.
#pragma once

#include "cli/command_support.h"
#include "cli/console_ui.h"

namespace kavrin::cli {

// `tune --list`, or `tune SCREEN [options]`: the record read (or the archive loaded) as before
// any screen, the screen opened, the technician's steps in a fixed order, and the screen closed
// again on every way out.
int tuneCommand(Console& console, const Arguments& arguments);

} // namespace kavrin::cli
