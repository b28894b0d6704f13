// What the virtual service monitor measures of the radio: per alignment screen and point F1-F5,
// the reading a softpot value produces — transmit power in W, peak deviation in kHz, or the
// level in dBm at which the receiver's squelch opens. Built in per radio serial number, or read
// from a JSON file of softpot-reading pairs.
#pragma once

#include "data/alignment_types.h"
#include "data/radio_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavrin::sim {

// Straight lines between the given pairs, flat beyond the first and the last.
class Curve {
public:
    using Pair = std::pair<double, double>; // softpot, reading

    Curve() = default;
    // The softpots must increase strictly; the caller has checked that.
    explicit Curve(std::vector<Pair> pairs) : pairs_(std::move(pairs)) {}

    double at(double softpot) const;
    const std::vector<Pair>& pairs() const { return pairs_; }

private:
    std::vector<Pair> pairs_;
};

enum class Quantity { PowerW, DeviationKHz, OpeningLevelDbm };
Quantity quantityOf(AlignmentType type);

// The built-in curves aim at these readings, and one softpot step near the aim moves a reading by
// well under halfWidth, so that a window that wide around the target holds a softpot's reading.
struct BuiltInAim {
    double target;
    double halfWidth;
};
BuiltInAim builtInAim(AlignmentType type);

inline constexpr std::size_t kMaxCurvesFileBytes = 1 << 20;
inline constexpr std::size_t kMaxPairsPerCurve = 256;

class CurveSet {
public:
    // The built-in curves of the radio with this serial number (its ten codeplug bytes).
    static CurveSet builtIn(std::span<const std::uint8_t> serial);

    // The built-in curves with those of the screens that `json` names replaced. The whole text is
    // checked first; nothing is returned, and error says where and why, when any of it is wrong.
    static std::optional<CurveSet>
    fromJson(std::string_view json, std::span<const std::uint8_t> serial, std::string& error);

    const Curve& curve(AlignmentType type, std::size_t point) const {
        return curves_[static_cast<std::size_t>(type)][point];
    }

private:
    std::array<std::array<Curve, kPointCount>, kAlignmentTypeCount> curves_;
};

} // namespace kavrin::sim
