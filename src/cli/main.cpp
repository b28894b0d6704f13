// kavrin-cli entry point.
#include "cli/cli.h"
#include "link/log.h"

#include <QCoreApplication>
#include <cstdlib>
#include <exception>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define KAVRIN_ISATTY _isatty
#else
#include <unistd.h>
#define KAVRIN_ISATTY ::isatty
#endif

int main(int argc, char* argv[]) {
    // The serial backend needs an application object for its port notifications.
    const QCoreApplication application(argc, argv);
    if (const char* debug = std::getenv("KAVRIN_DEBUG"); debug != nullptr && *debug != '\0') {
        kavrin::log::enableVerbose();
    }
    kavrin::cli::Console console{std::cin, std::cout, std::cerr, KAVRIN_ISATTY(1) != 0,
                                 KAVRIN_ISATTY(0) != 0};
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // A failure of the radio work is reported by the command itself. An exception that gets
    // here is a fault of ours; catching it lets the stack unwind, so an open screen still leaves
    // the radio's test state on its way out.
    try {
        return kavrin::cli::run(arguments, console);
    } catch (const std::exception& error) {
        std::cerr << "kavrin-cli: unexpected error: " << error.what() << '\n';
    }
    return kavrin::cli::kExitFailed;
}
