// The port lock on POSIX systems: flock() on the device, the advisory lock other serial programs
// honour too. It is not the UUCP lock file the serial port takes while it is open, so the two
// never meet. The descriptor is opened read-only and non-blocking, without becoming the
// controlling terminal, and is not inherited by programs we start.
#include "link/backend/port_lock_backend.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kavrin::backend {

std::string portLocation(const std::string& portName) {
    // The serial backend's rule: a path stays as it is, a bare name is a device in /dev.
    if (portName.starts_with('/') || portName.starts_with("./") || portName.starts_with("../")) {
        return portName;
    }
    return "/dev/" + portName;
}

PortLockState lockPort(const std::string& location, std::intptr_t& handle) {
    const int fd = ::open(location.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A device opened exclusively by someone else is as busy as a locked one.
        return errno == EBUSY ? PortLockState::Busy : PortLockState::NotLockable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? PortLockState::Busy : PortLockState::NotLockable;
    }
    handle = fd;
    return PortLockState::Held;
}

void unlockPort(std::intptr_t handle) noexcept {
    // Closing the only descriptor of the open file releases its lock.
    ::close(static_cast<int>(handle));
}

} // namespace kavrin::backend
