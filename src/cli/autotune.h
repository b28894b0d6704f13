// kavrin-cli autotune: automatic alignment of one screen or of every supported one with a service
// monitor, its results printed per point, kept in the history and, with --results, as CSV.
#pragma once

#include "cli/command_support.h"

namespace kavrin::cli {

int autotuneCommand(Console& console, const Arguments& arguments);

} // namespace kavrin::cli
