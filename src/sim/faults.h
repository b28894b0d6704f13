// Seeded fault injection for frames crossing the virtual wire: losing them or flipping a bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace kavrin::sim {

struct FaultRates {
    double drop = 0.0;
    double corrupt = 0.0;
};

class FaultInjector {
public:
    FaultInjector(FaultRates rates, std::uint32_t seed);

    enum class Fate { Deliver, Drop, Corrupt };

    // Decides what happens to one frame and, for Corrupt, flips one bit of it in place. Draws
    // from the generator only for faults that are enabled, so a seed replays the same faults.
    Fate apply(std::vector<std::uint8_t>& frame);

private:
    bool chance(double probability);

    FaultRates rates_;
    std::mt19937 generator_;
};

} // namespace kavrin::sim
