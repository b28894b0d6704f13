// kavrin-cli: the radio work of Kavrin without a window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kavrin::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // the radio work failed; the reason was printed
    kExitUsage = 2,  // bad command line
};

// Runs one command; arguments exclude the program name.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace kavrin::cli
