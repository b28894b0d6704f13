// kavrin-cli entry point.
#include "cli/cli.h"
#include "link/log.h"

#include <QCoreApplication>
#include <cstdlib>
#include <iostream>

int main(int argc, char* argv[]) {
    // The serial backend needs an application object for its port notifications.
    const QCoreApplication application(argc, argv);
    if (const char* debug = std::getenv("KAVRIN_DEBUG"); debug != nullptr && *debug != '\0') {
        kavrin::log::enableVerbose();
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kavrin::cli::run(arguments, std::cout, std::cerr);
}
