// The process's shares of the port locks.
#include "link/port_lock.h"

#include "link/backend/port_lock_backend.h"
#include "link/exceptions.h"
#include "link/log.h"
#include "link/port_discovery.h"
#include "link/virtual_ports.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

namespace kavrin {

namespace {

// A lock is the process's, not a share's: taking it a second time from the same process would
// refuse ourselves (flock) or count twice (a mutex), so shares are counted here instead.
struct Held {
    std::intptr_t handle;
    std::size_t shares;
};

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, Held>& registry() {
    static std::map<std::string, Held> held;
    return held;
}

// The device behind a port name, as the serial backend resolves it: a virtual radio's
// pseudo-terminal, else the platform's device of that name.
std::string deviceOf(const std::string& portName) {
    if (const auto radio = findVirtualPort(portName)) {
        return radio->devicePath;
    }
    return backend::portLocation(portName);
}

} // namespace

portLock::portLock(const std::string& portName) : portName_(portName) {
    if (portName.empty()) {
        return;
    }
    const auto device = deviceOf(portName);
    const std::lock_guard guard(registryMutex());
    auto& held = registry();
    if (const auto it = held.find(device); it != held.end()) {
        ++it->second.shares;
        device_ = device;
        state_ = PortLockState::Held;
        return;
    }
    std::intptr_t handle = 0;
    state_ = backend::lockPort(device, handle);
    switch (state_) {
    case PortLockState::Held:
        held.emplace(device, Held{handle, 1});
        device_ = device;
        log::debug(log::Channel::Serial, "locked " + portName + " (" + device + ")");
        break;
    case PortLockState::Busy:
        log::debug(log::Channel::Serial,
                   portName + " (" + device + ") is locked by another process");
        break;
    case PortLockState::NotLockable:
        log::debug(log::Channel::Serial, "no lock on " + portName + " (" + device + ")");
        break;
    }
}

portLock::~portLock() {
    release();
}

portLock::portLock(portLock&& other) noexcept
    : portName_(std::move(other.portName_)), device_(std::exchange(other.device_, {})),
      state_(std::exchange(other.state_, PortLockState::NotLockable)) {}

portLock& portLock::operator=(portLock&& other) noexcept {
    if (this != &other) {
        release();
        portName_ = std::move(other.portName_);
        device_ = std::exchange(other.device_, {});
        state_ = std::exchange(other.state_, PortLockState::NotLockable);
    }
    return *this;
}

void portLock::release() noexcept {
    if (device_.empty()) {
        return;
    }
    const std::lock_guard guard(registryMutex());
    auto& held = registry();
    if (const auto it = held.find(device_); it != held.end() && --it->second.shares == 0) {
        backend::unlockPort(it->second.handle);
        held.erase(it);
    }
    device_.clear();
    state_ = PortLockState::NotLockable;
}

flowPortLock::flowPortLock() {
    std::string portName;
    try {
        if (findRadioPort(portName) != 0) {
            return;
        }
    } catch (const Exception&) {
        // The flow's first link meets the failed enumeration again and reports it.
        return;
    }
    lock_ = portLock(portName);
}

std::string portBusyText(const std::string& portName) {
    return "The radio's port " + portName +
           " is busy: another program is working with the radio. Try again when it has finished.";
}

} // namespace kavrin
