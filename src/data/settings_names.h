// Where Kavrin keeps its settings: the window and the command line read the same ones.
#pragma once

namespace kavrin {

inline constexpr const char* kSettingsOrganizationName = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsApplicationName = "Kavrin";

} // namespace kavrin
