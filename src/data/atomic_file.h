// Whole-file writes that leave the old file as it was when they fail: a temporary file beside
// the target, checked writes, then a rename.
#pragma once

#include <filesystem>
#include <string_view>

namespace kavrin {

// False, with nothing changed and no temporary file left, when any step failed.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

} // namespace kavrin
