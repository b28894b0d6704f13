// Kavrin: the desktop application.
#include "link/log.h"
#include "shell/application.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
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
