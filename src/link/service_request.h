// The record that carries one numbered radio request and its results.
#pragma once

#include <array>
#include <cstdint>

namespace kavrin {

struct ServiceRequest {
    std::int32_t requestNumber = 0;
    std::array<std::uint8_t, 16> data{};
};
static_assert(sizeof(ServiceRequest) == 20);

} // namespace kavrin
