// kavrin-cli: the radio work of Kavrin without a window.
#pragma once

#include "cli/console_ui.h"

#include <ostream>
#include <string>
#include <vector>

namespace kavrin::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // the work failed or was cancelled; the reason was printed
    kExitUsage = 2,  // bad command line
    // tune ended by SIGINT or SIGTERM, after closing its screen; the shells' 128 + SIGINT
    kExitInterrupted = 130,
};

// Runs one command; arguments exclude the program name.
int run(const std::vector<std::string>& arguments, Console& console);

} // namespace kavrin::cli
