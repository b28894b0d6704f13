// The built-in curve model of the virtual service monitor and the reader of a curves file.
#include "sim/monitor_curves.h"

#include "sim/json_value.h"

#include <algorithm>
#include <cmath>

namespace kavrin::sim {

namespace {

// The share of a window's half-width that one softpot step moves a built-in reading near its
// target; the rest is room for the spread between points and for the curvature.
inline constexpr double kStepShare = 0.4;
inline constexpr double kSlopeSpreadLow = 0.8; // slope factor of a point: 0.8-1.2
inline constexpr double kSlopeSpreadWidth = 0.4;
// A screen's best softpots lie around a centre of 20-38 and a fraction, tilting by up to 2 steps
// from one point to the next, each a step either way off that line: they move with frequency as
// a real radio's do, and never leave 15-44.
inline constexpr double kCentreLow = 20.0;
inline constexpr double kCentreWidth = 18.0;
inline constexpr double kMaxTilt = 2.0;
inline constexpr double kMaxJitter = 1.0;
// The curvature never takes more than this share of the weakest slope anywhere in 0-63, so every
// built-in curve stays strictly monotonic.
inline constexpr double kCurvatureShare = 0.4;

struct AimRow {
    AlignmentType type;
    Quantity quantity;
    BuiltInAim aim;
};

inline constexpr std::array<AimRow, kAlignmentTypeCount> kAims{{
    {AlignmentType::TxHighPower, Quantity::PowerW, {5.0, 0.2}},
    {AlignmentType::TxLowPower, Quantity::PowerW, {1.0, 0.1}},
    {AlignmentType::TxModulation125KHz, Quantity::DeviationKHz, {2.3, 0.075}},
    {AlignmentType::TxModulation20KHz, Quantity::DeviationKHz, {3.68, 0.07}},
    {AlignmentType::TxModulation25KHz, Quantity::DeviationKHz, {4.6, 0.075}},
    {AlignmentType::TxKtd125KHz, Quantity::DeviationKHz, {0.35, 0.05}},
    {AlignmentType::TxKtd20KHz, Quantity::DeviationKHz, {0.5, 0.05}},
    {AlignmentType::TxKtd25KHz, Quantity::DeviationKHz, {0.65, 0.05}},
    {AlignmentType::RxSquelchNbandNormal, Quantity::OpeningLevelDbm, {-118.0, 1.0}},
    {AlignmentType::RxSquelchNbandTight, Quantity::OpeningLevelDbm, {-112.0, 1.0}},
    {AlignmentType::RxSquelchSbandNormal, Quantity::OpeningLevelDbm, {-118.0, 1.0}},
    {AlignmentType::RxSquelchSbandTight, Quantity::OpeningLevelDbm, {-112.0, 1.0}},
    {AlignmentType::RxSquelch20KbandNormal, Quantity::OpeningLevelDbm, {-118.0, 1.0}},
    {AlignmentType::RxSquelch20KbandTight, Quantity::OpeningLevelDbm, {-112.0, 1.0}},
}};

constexpr bool aimsFollowTypes() {
    for (std::size_t i = 0; i < kAims.size(); ++i) {
        if (static_cast<std::size_t>(kAims[i].type) != i) {
            return false;
        }
    }
    return true;
}
static_assert(aimsFollowTypes());

// A small, fully specified generator, so that a serial number gives the same curves with every
// standard library.
class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; } // [0, 1)

private:
    std::uint64_t state_;
};

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const auto byte : bytes) {
        hash = (hash ^ byte) * 0x100000001B3ull;
    }
    return hash;
}

// Power and deviation grow by a share of themselves per step, which keeps them positive over the
// whole softpot range; the opening level grows by decibels per step. Both bend gently.
Curve builtInCurve(const AimRow& row, double best, SplitMix& random) {
    const double spread = kSlopeSpreadLow + kSlopeSpreadWidth * random.uniform();
    const double bend = 2.0 * random.uniform() - 1.0;
    const double slopeAtAim = kStepShare * row.aim.halfWidth * spread;
    const bool relative = row.quantity != Quantity::OpeningLevelDbm;
    const double slope = relative ? slopeAtAim / row.aim.target : slopeAtAim;
    const double weakest =
        kStepShare * row.aim.halfWidth * kSlopeSpreadLow / (relative ? row.aim.target : 1.0);
    const double curvature = bend * kCurvatureShare * weakest / (2.0 * kMaxSoftpot);
    std::vector<Curve::Pair> pairs;
    for (std::uint32_t softpot = 0; softpot <= kMaxSoftpot; ++softpot) {
        const double from = softpot - best;
        const double shape = slope * from + curvature * from * from;
        pairs.emplace_back(softpot,
                           relative ? row.aim.target * std::exp(shape) : row.aim.target + shape);
    }
    return Curve(std::move(pairs));
}

std::string where(const JsonValue& value) {
    return "line " + std::to_string(value.line) + ", column " + std::to_string(value.column);
}

bool readCurve(const JsonValue& value, Quantity quantity, Curve& out, std::string& error) {
    const auto* list = value.array();
    if (list == nullptr || list->empty() || list->size() > kMaxPairsPerCurve) {
        error = where(value) + ": expected a list of 1 to " + std::to_string(kMaxPairsPerCurve) +
                " [softpot, reading] pairs";
        return false;
    }
    std::vector<Curve::Pair> pairs;
    for (const auto& item : *list) {
        const auto* pair = item.array();
        const double* softpot = pair && pair->size() == 2 ? (*pair)[0].number() : nullptr;
        const double* reading = pair && pair->size() == 2 ? (*pair)[1].number() : nullptr;
        if (softpot == nullptr || reading == nullptr) {
            error = where(item) + ": expected a pair [softpot, reading] of two numbers";
            return false;
        }
        if (*softpot != std::trunc(*softpot) || *softpot < 0 || *softpot > 255) {
            error = where(item) + ": the softpot must be a whole number from 0 to 255";
            return false;
        }
        if (!pairs.empty() && *softpot <= pairs.back().first) {
            error = where(item) + ": the softpots of a curve must increase";
            return false;
        }
        if (quantity != Quantity::OpeningLevelDbm && *reading < 0) {
            error = where(item) + ": a power or deviation cannot be negative";
            return false;
        }
        pairs.emplace_back(*softpot, *reading);
    }
    out = Curve(std::move(pairs));
    return true;
}

} // namespace

double Curve::at(double softpot) const {
    if (pairs_.empty()) {
        return 0.0;
    }
    if (softpot <= pairs_.front().first) {
        return pairs_.front().second;
    }
    if (softpot >= pairs_.back().first) {
        return pairs_.back().second;
    }
    const auto upper = std::upper_bound(pairs_.begin(), pairs_.end(), softpot,
                                        [](double s, const Pair& pair) { return s < pair.first; });
    const auto lower = std::prev(upper);
    const double share = (softpot - lower->first) / (upper->first - lower->first);
    return lower->second + share * (upper->second - lower->second);
}

Quantity quantityOf(AlignmentType type) {
    return kAims[static_cast<std::size_t>(type)].quantity;
}

BuiltInAim builtInAim(AlignmentType type) {
    return kAims[static_cast<std::size_t>(type)].aim;
}

CurveSet CurveSet::builtIn(std::span<const std::uint8_t> serial) {
    CurveSet set;
    const auto radio = fnv1a(serial);
    // Each screen and each curve draws from a stream of its own, so that a change of one never
    // moves another.
    const auto stream = [radio](std::uint64_t index) {
        return SplitMix(radio ^ (index * 0xD6E8FEB86659FD93ull));
    };
    constexpr std::uint64_t kScreenStreams = 0xFF;
    for (const auto& row : kAims) {
        const auto type = static_cast<std::uint64_t>(row.type);
        auto screen = stream(type << 8 | kScreenStreams);
        const double centre = kCentreLow + kCentreWidth * screen.uniform();
        const double tilt = kMaxTilt * (2.0 * screen.uniform() - 1.0);
        for (std::size_t point = 0; point < kPointCount; ++point) {
            auto random = stream(type << 8 | point);
            const double best =
                centre +
                tilt * (static_cast<double>(point) - static_cast<double>(kPointCount - 1) / 2.0) +
                kMaxJitter * (2.0 * random.uniform() - 1.0);
            set.curves_[static_cast<std::size_t>(row.type)][point] =
                builtInCurve(row, best, random);
        }
    }
    return set;
}

std::optional<CurveSet> CurveSet::fromJson(std::string_view json,
                                           std::span<const std::uint8_t> serial,
                                           std::string& error) {
    if (json.size() > kMaxCurvesFileBytes) {
        error = "larger than " + std::to_string(kMaxCurvesFileBytes) + " bytes";
        return std::nullopt;
    }
    const auto document = parseJson(json, error);
    if (!document) {
        return std::nullopt;
    }
    const auto* screens = document->object();
    if (screens == nullptr) {
        error = where(*document) + ": expected an object of screens";
        return std::nullopt;
    }
    auto set = builtIn(serial);
    for (const auto& [name, points] : *screens) {
        const auto* type = typeOfCliName(name);
        if (type == nullptr) {
            error = where(points) + ": unknown screen '" + name + "'";
            return std::nullopt;
        }
        const auto* list = points.array();
        if (list == nullptr || list->size() != kPointCount) {
            error = where(points) + ": screen '" + name + "' needs a list of " +
                    std::to_string(kPointCount) + " curves, one per point F1-F5";
            return std::nullopt;
        }
        for (std::size_t point = 0; point < kPointCount; ++point) {
            auto& curve = set.curves_[static_cast<std::size_t>(type->type)][point];
            if (!readCurve((*list)[point], quantityOf(type->type), curve, error)) {
                error = "screen '" + name + "', F" + std::to_string(point + 1) + ", " + error;
                return std::nullopt;
            }
        }
    }
    return set;
}

} // namespace kavrin::sim
