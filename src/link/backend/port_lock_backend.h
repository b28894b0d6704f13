// The platform's side of the port lock: one lock per device, taken without waiting.
#pragma once

#include "link/port_lock.h"

#include <cstdint>
#include <string>

namespace kavrin::backend {

// The device a port name stands for, as the serial backend opens it.
std::string portLocation(const std::string& portName);

// Takes the lock of `location`; on Held, `handle` is what unlockPort releases.
PortLockState lockPort(const std::string& location, std::intptr_t& handle);
void unlockPort(std::intptr_t handle) noexcept;

} // namespace kavrin::backend
