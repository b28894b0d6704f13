// Fault decisions drawn from a seeded Mersenne Twister.
#include "sim/faults.h"

namespace kavrin::sim {

namespace {
inline constexpr unsigned kBitsPerByte = 8;
// The generator's full range, so that a draw maps to [0, 1) the same way on every standard
// library (the distributions of <random> are not specified bit for bit).
inline constexpr double kGeneratorSpan = 4294967296.0;
} // namespace

FaultInjector::FaultInjector(FaultRates rates, std::uint32_t seed)
    : rates_(rates), generator_(seed) {}

bool FaultInjector::chance(double probability) {
    if (probability <= 0.0) {
        return false;
    }
    return static_cast<double>(generator_()) / kGeneratorSpan < probability;
}

FaultInjector::Fate FaultInjector::apply(std::vector<std::uint8_t>& frame) {
    if (chance(rates_.drop)) {
        return Fate::Drop;
    }
    if (frame.empty() || !chance(rates_.corrupt)) {
        return Fate::Deliver;
    }
    const auto byte = generator_() % frame.size();
    const auto bit = generator_() % kBitsPerByte;
    frame[byte] = static_cast<std::uint8_t>(frame[byte] ^ (1u << bit));
    return Fate::Corrupt;
}

} // namespace kavrin::sim
