// The advisory lock on the radio's port that keeps a second Kavrin process (the window or
// kavrin-cli) off the radio while one works with it. A flow holds it from its first link to its
// last, so that nothing lands between two of its links; every link holds it while it is open,
// so that a single request is covered too. Within one process the lock is shared: the flow's
// links take their share of what the flow holds. Taking it sends nothing to the radio.
#pragma once

#include <string>

namespace kavrin {

enum class PortLockState {
    Held,        // this process holds the port's lock
    Busy,        // another process holds it: leave the radio alone
    NotLockable, // nothing held, the port cannot be locked (gone, no access, no support); its
                 // open says why as before
};

// This process's share of the lock on one port, by the port name discovery gives (a hardware
// port or a virtual radio's name); released with the last share.
class portLock {
public:
    portLock() = default; // holds nothing
    explicit portLock(const std::string& portName);
    ~portLock();
    portLock(portLock&& other) noexcept;
    portLock& operator=(portLock&& other) noexcept;
    portLock(const portLock&) = delete;
    portLock& operator=(const portLock&) = delete;

    PortLockState state() const { return state_; }
    bool busy() const { return state_ == PortLockState::Busy; }
    const std::string& portName() const { return portName_; }

private:
    void release() noexcept;

    std::string portName_;
    std::string device_; // the key of the process's share; empty when nothing is held
    PortLockState state_ = PortLockState::NotLockable;
};

// What a flow holds: the lock on the port the radio search picks when the flow begins. Without a
// radio port it holds nothing, and the flow's first link reports that as it always has.
class flowPortLock {
public:
    flowPortLock();
    bool busy() const { return lock_.busy(); }
    const std::string& portName() const { return lock_.portName(); }

private:
    portLock lock_;
};

// What a technician is told when the port is busy, with the port's name.
std::string portBusyText(const std::string& portName);

} // namespace kavrin
