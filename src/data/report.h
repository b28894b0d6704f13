// The tuning parameter report "display.txt": the radio record as plain text (identity, then every
// alignment type's points and softpots) for the technician to read and print.
#pragma once

#include "data/radio_record.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kavrin {

inline constexpr const char* kReportFileName = "display.txt";
// Names only the file, never the full path, whatever path the report was written to.
inline constexpr const char* kReportOpenFailedText = "display.txt could not be opened!!";
static_assert(std::string_view(kReportOpenFailedText).starts_with(kReportFileName));

// A number with a fixed count of decimals, as "%f" of the C locale writes it: to_chars follows no
// process locale, which a GUI toolkit may have set to one with a decimal comma.
std::string decimalText(double value, int decimals);

// The whole report, every line ending in CR LF on every platform.
std::string reportText(const radioRecord& record);

// Where the report lives: beside the program.
std::filesystem::path reportPath(const std::filesystem::path& programDir);

// Creates or truncates the file and writes reportText into it. Returns false, having written
// nothing, when the file cannot be created; failures after that are not reported.
bool writeReport(const std::filesystem::path& path, const radioRecord& record);

} // namespace kavrin
