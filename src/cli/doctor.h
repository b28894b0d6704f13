// kavrin-cli doctor: the cable and the radio checked step by step, one line per check.
#pragma once

#include "cli/command_support.h"

namespace kavrin::cli {

// kExitOk when a radio opens and answers, kExitFailed otherwise.
int doctorCommand(Console& console, const Arguments& arguments);

} // namespace kavrin::cli
