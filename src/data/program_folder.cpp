// Finding the shipped files of an installed program.
#include "data/program_folder.h"

#include <system_error>

namespace kavrin {

std::filesystem::path programDataFolder(const std::filesystem::path& executableFolder) {
    // "/usr/bin/" names the folder "" and its parent "bin": look at the path without the slash.
    const auto folder = executableFolder.lexically_normal();
    const auto trimmed = folder.has_filename() ? folder : folder.parent_path();
    if (trimmed.filename() != "bin") {
        return executableFolder;
    }
    const auto installed = (trimmed.parent_path() / kInstalledDataFolder).lexically_normal();
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : executableFolder;
}

} // namespace kavrin
