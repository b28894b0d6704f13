// kavrin-cli's commands run in the test's own process, with what they print kept.
#pragma once

#include "cli/cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace kavrin::test {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

inline CliRun runCli(const std::vector<std::string>& arguments) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{in, out, err};
    const int code = cli::run(arguments, console);
    return {code, out.str(), err.str()};
}

} // namespace kavrin::test
