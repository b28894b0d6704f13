// Settings of a test program's own: CTest runs the widget programs side by side, and one must not
// see another's recent files, watchdog or set-ups in the one per-user settings file.
#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace kavrin::test {

// Call once, before the first QSettings is made.
inline void isolateSettings() {
    static const QTemporaryDir folder;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
}

} // namespace kavrin::test
