// kavrin-cli entry point.
#include "cli/cli.h"
#include "cli/console_ui.h"
#include "data/settings_names.h"
#include "link/log.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define KAVRIN_ISATTY _isatty
#else
#include <unistd.h>
#define KAVRIN_ISATTY ::isatty
#endif

int main(int argc, char* argv[]) {
    // The serial backend needs an application object for its port notifications; the PDF
    // report needs fonts, which come with a GUI application, on no display at all.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::unique_ptr<QCoreApplication> application;
    if (std::find(arguments.begin(), arguments.end(), "--pdf") != arguments.end()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    // The window's names, so that both keep one history in the same per-user folder.
    QCoreApplication::setOrganizationName(QString::fromUtf8(kavrin::kSettingsOrganizationName));
    QCoreApplication::setApplicationName(QString::fromUtf8(kavrin::kSettingsApplicationName));
    if (const char* debug = std::getenv("KAVRIN_DEBUG"); debug != nullptr && *debug != '\0') {
        kavrin::log::enableVerbose();
    }
    kavrin::cli::Console console{std::cin, std::cout, std::cerr, KAVRIN_ISATTY(1) != 0,
                                 KAVRIN_ISATTY(0) != 0};
    const kavrin::cli::ConsoleLogSink logSink(console);
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
