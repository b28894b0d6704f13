// Where Kavrin keeps its settings: the window and the command line read the same ones.
#pragma once

namespace kavrin {

inline constexpr const char* kSettingsOrganizationName = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsApplicationName = "Kavrin";
// The folder of the archive last loaded or saved through a file dialog.
inline constexpr const char* kArchiveFolderKey = "files/archiveFolder";

} // namespace kavrin
