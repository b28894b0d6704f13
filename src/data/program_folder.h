// Where a program finds the files shipped with it: beside the executable in a build tree, in
// share/kavrin of an installation.
#pragma once

#include <filesystem>

namespace kavrin {

// The folder, relative to an installation's prefix, that holds the help bundle, the pictures, the
// instrument profiles and the limits.
inline constexpr const char* kInstalledDataFolder = "share/kavrin";

// The folder of the shipped files for an executable in `executableFolder`: PREFIX/share/kavrin when
// the executable sits in PREFIX/bin and that folder exists (an installation, wherever its root
// was unpacked), otherwise `executableFolder` itself (a build tree, or a copy of the program
// with its files beside it).
std::filesystem::path programDataFolder(const std::filesystem::path& executableFolder);

} // namespace kavrin
