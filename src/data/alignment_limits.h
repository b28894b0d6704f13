// The limits of automatic alignment: per screen (its command-line name) a target and a window,
// with per-point overrides, read from an INI file. Units are the readings': W for transmit power,
// kHz for deviation, dBm for a squelch's opening level.
#pragma once

#include "data/alignment_types.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {

inline constexpr std::size_t kLimitPoints = 5;

struct pointLimits {
    double target = 0.0;
    double min = 0.0;
    double max = 0.0;

    bool contains(double reading) const { return reading >= min && reading <= max; }
};

// What a screen's readings are measured in.
const char* readingUnitName(const AlignmentTypeInfo& type);

class alignmentLimits {
public:
    struct Result;

    // The whole text checked before anything is kept: sections named after screens, keys
    // target/min/max and F1.target ... F5.max, numbers, min <= target <= max. The error names
    // the line and what is wrong with it.
    static Result parse(std::string_view text, const std::string& name);
    static Result load(const std::filesystem::path& path);

    // The limits of one point, the point's own keys over the screen's; empty when a value is
    // missing.
    std::optional<pointLimits> of(const AlignmentTypeInfo& type, std::size_t point) const;
    // Why the screens cannot be aligned with these limits (a missing value), or empty.
    std::string missingFor(const std::vector<const AlignmentTypeInfo*>& types) const;

private:
    struct Values {
        std::optional<double> target;
        std::optional<double> min;
        std::optional<double> max;
    };
    struct Section {
        std::size_t line = 0;
        Values screen;
        std::array<Values, kLimitPoints> points;
    };
    std::string name_;
    std::map<std::string, Section, std::less<>> sections_;
};

struct alignmentLimits::Result {
    std::optional<alignmentLimits> limits;
    std::string error;
};

} // namespace kavrin
