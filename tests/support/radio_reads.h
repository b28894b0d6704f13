// Reading back what a virtual radio holds, for checks after a flow: a fresh test-mode link, one
// codeplug read.
#pragma once

#include "link/radio_link.h"

#include <array>
#include <cstdint>

namespace kavrin::test {

inline std::array<std::uint8_t, 256> readRadioBlock(std::uint16_t address) {
    std::array<std::uint8_t, 256> block{};
    radioLink link;
    std::uint16_t length = static_cast<std::uint16_t>(block.size());
    link.testMode().readCodeplug(block.data(), address, &length);
    return block;
}

} // namespace kavrin::test
