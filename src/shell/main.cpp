// Kavrin: the desktop application.
#include "link/log.h"
#include "shell/application.h"

#include <QApplication>
#include <cstdlib>
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

} // namespace

int main(int argc, char* argv[]) {
    KavrinApplication application(argc, argv);
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
