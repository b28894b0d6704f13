// Kavrin: the desktop application.
#include "link/log.h"
#include "shell/application.h"
#include "shell/installation.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

// Qt cannot carry an exception out of an event handler. One that gets this far is a fault of
// ours, not a failure of the radio (the flows catch those): it is logged for the maintainer and
// the program goes on, so that the open screen can still take the radio out of its test state.
class KavrinApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            qCritical("Unexpected error: %s", error.what());
        } catch (...) {
            qCritical("Unexpected exception of an unknown type");
        }
        return false;
    }
};

constexpr const char* kHelpText =
    "Usage: kavrin [OPTION]... [ARCHIVE.spa]\n"
    "Aligns a two-way radio on the bench through its USB programming cable: reads the radio's\n"
    "identity and softpots, tunes them live, programs them back, keeps archive files (*.spa)\n"
    "and writes a printable tuning report.\n"
    "\n"
    "  ARCHIVE.spa           load this archive file at start\n"
    "  --check-installation  say where the help and the pictures were found and exit: 0 when\n"
    "                        everything is there, 1 naming what is missing\n"
    "  --help                show this text and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "The help, the pictures, the instrument profiles and the limits are read from the program's\n"
    "folder, or from ../share/kavrin beside an installation's bin folder. The tuning report\n"
    "display.txt goes to that folder when it is writable, otherwise to the user's data folder.\n"
    "\n"
    "Environment:\n"
    "  KAVRIN_DEBUG    when set and not empty, log the radio traffic in detail\n"
    "  KAVRIN_HISTORY  where the history of read and programmed radios is kept (a path, a\n"
    "                  database URL, or none)\n";

bool isOption(const char* argument, const char* option) {
    return std::strcmp(argument, option) == 0;
}

// Prints where each shipped file was found; 0 when all were, 1 naming the missing ones.
int reportInstallation() {
    const QString programDir = kavrin::shell::programDirectory();
    std::printf("program folder: %s\n", qPrintable(programDir));
    int status = 0;
    for (const auto& file : kavrin::shell::checkInstallation(programDir)) {
        if (file.found) {
            std::printf("%s: %s\n", qPrintable(file.what), qPrintable(file.path));
        } else {
            std::fprintf(stderr, "kavrin: missing %s: %s\n", qPrintable(file.what),
                         qPrintable(file.path));
            status = 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before the application object exists, so that they need no display.
    if (argc > 1 && (isOption(argv[1], "--help") || isOption(argv[1], "-h"))) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    if (argc > 1 && isOption(argv[1], "--version")) {
        std::puts("kavrin " KAVRIN_VERSION);
        return 0;
    }
    KavrinApplication application(argc, argv);
    if (argc > 1 && isOption(argv[1], "--check-installation")) {
        return reportInstallation();
    }
    QApplication::setApplicationName(kavrin::shell::kSettingsApplication);
    QApplication::setOrganizationName(kavrin::shell::kSettingsOrganization);
    if (const char* debug = std::getenv("KAVRIN_DEBUG"); debug != nullptr && *debug != '\0') {
        kavrin::log::enableVerbose();
    }
    kavrin::shell::CPelionTunerApp app(QApplication::arguments());
    if (!app.initInstance()) {
        return 1;
    }
    return QApplication::exec();
}
