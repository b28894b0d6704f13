// Reading and checking a limits file.
#include "data/alignment_limits.h"

#include "data/radio_record.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace kavrin {

namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<double> number(std::string_view text) {
    double value = 0.0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

const char* readingUnitName(const AlignmentTypeInfo& type) {
    switch (type.family) {
    case AlignmentFamily::TxPower:
        return "W";
    case AlignmentFamily::TxModulation:
        return "kHz";
    case AlignmentFamily::RxSquelch:
        break;
    }
    return "dBm";
}

alignmentLimits::Result alignmentLimits::load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {std::nullopt, path.string() + ": cannot be opened"};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return {std::nullopt, path.string() + ": cannot be read"};
    }
    return parse(text.str(), path.string());
}

alignmentLimits::Result alignmentLimits::parse(std::string_view text, const std::string& name) {
    alignmentLimits limits;
    limits.name_ = name;
    Section* section = nullptr;
    std::size_t lineNumber = 0;
    const auto refuse = [&name, &lineNumber](const std::string& why) {
        return Result{std::nullopt, name + ":" + std::to_string(lineNumber) + ": " + why};
    };
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const auto line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                return refuse("a section name must end with ']'");
            }
            const auto screen = trim(line.substr(1, line.size() - 2));
            if (typeOfCliName(screen) == nullptr) {
                return refuse("no alignment screen is called \"" + std::string(screen) + "\"");
            }
            if (limits.sections_.count(screen) != 0) {
                return refuse("[" + std::string(screen) + "] appears twice");
            }
            section = &limits.sections_[std::string(screen)];
            section->line = lineNumber;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            return refuse("expected KEY = VALUE or [SCREEN]");
        }
        if (section == nullptr) {
            return refuse("a value before the first [SCREEN]");
        }
        const auto key = trim(line.substr(0, equals));
        const auto value = number(trim(line.substr(equals + 1)));
        if (!value) {
            return refuse("\"" + std::string(trim(line.substr(equals + 1))) + "\" is not a number");
        }
        Values* values = &section->screen;
        auto field = key;
        if (key.size() > 3 && key[0] == 'F' && key[2] == '.' && key[1] >= '1' &&
            key[1] <= '0' + static_cast<int>(kLimitPoints)) {
            values = &section->points[static_cast<std::size_t>(key[1] - '1')];
            field = key.substr(3);
        }
        std::optional<double>* slot = field == "target" ? &values->target
                                      : field == "min"  ? &values->min
                                      : field == "max"  ? &values->max
                                                        : nullptr;
        if (slot == nullptr) {
            return refuse("unknown key \"" + std::string(key) +
                          "\" (target, min, max, or F1.target ... F5.max)");
        }
        if (slot->has_value()) {
            return refuse("\"" + std::string(key) + "\" is given twice");
        }
        *slot = value;
    }
    // Every point's window must make sense once the overrides are applied.
    for (const auto& [screen, entry] : limits.sections_) {
        lineNumber = entry.line;
        for (std::size_t point = 0; point < kLimitPoints; ++point) {
            const auto& own = entry.points[point];
            const auto target = own.target ? own.target : entry.screen.target;
            const auto min = own.min ? own.min : entry.screen.min;
            const auto max = own.max ? own.max : entry.screen.max;
            if (min && max && *min > *max) {
                return refuse("[" + screen + "] F" + std::to_string(point + 1) +
                              ": min is above max");
            }
            if (target && ((min && *target < *min) || (max && *target > *max))) {
                return refuse("[" + screen + "] F" + std::to_string(point + 1) +
                              ": the target is outside min-max");
            }
        }
    }
    return {std::move(limits), {}};
}

std::optional<pointLimits> alignmentLimits::of(const AlignmentTypeInfo& type,
                                               std::size_t point) const {
    const auto it = sections_.find(type.cliName);
    if (it == sections_.end() || point >= kLimitPoints) {
        return std::nullopt;
    }
    const auto& own = it->second.points[point];
    const auto& screen = it->second.screen;
    const auto target = own.target ? own.target : screen.target;
    const auto min = own.min ? own.min : screen.min;
    const auto max = own.max ? own.max : screen.max;
    if (!target || !min || !max) {
        return std::nullopt;
    }
    return pointLimits{*target, *min, *max};
}

std::string alignmentLimits::missingFor(const std::vector<const AlignmentTypeInfo*>& types) const {
    for (const auto* type : types) {
        const auto it = sections_.find(type->cliName);
        if (it == sections_.end()) {
            return name_ + ": no [" + std::string(type->cliName) + "] section";
        }
        for (std::size_t point = 0; point < kLimitPoints; ++point) {
            if (type->middlePointOnly && point != kMiddlePoint) {
                continue;
            }
            if (!of(*type, point)) {
                return name_ + ":" + std::to_string(it->second.line) + ": [" +
                       std::string(type->cliName) + "] has no target, min and max for F" +
                       std::to_string(point + 1);
            }
        }
    }
    return {};
}

} // namespace kavrin
