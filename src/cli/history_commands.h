// kavrin-cli history: the snapshots of the history database, listed, shown, compared, exported
// as archives and programmed back into a radio.
#pragma once

#include "cli/command_support.h"

namespace kavrin::cli {

int historyCommand(Console& console, const Arguments& arguments);

} // namespace kavrin::cli
