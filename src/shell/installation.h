// Where the application finds the files shipped with it, and a check that they are all there
// (kavrin --check-installation).
#pragma once

#include <QString>
#include <vector>

namespace kavrin::shell {

// The folder of the help bundle, the pictures, the instrument profiles and the limits: an
// installation's share/kavrin, or the executable's own folder in a build tree.
QString programDirectory();

struct InstalledFile {
    QString what; // "help", "title picture", ...
    QString path;
    bool found = false;
};

// Every file the application loads from `programDir`, each looked for as the application uses
// it: the help bundle's first page, the pictures that must load as images, the instrument
// profiles' folder and the limits.
std::vector<InstalledFile> checkInstallation(const QString& programDir);

} // namespace kavrin::shell
