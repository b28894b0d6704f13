// Creating the raw pseudo-terminal pair of the virtual radio.
#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace kavrin::sim {

namespace {

std::string failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool addFlags(int fd, int statusFlags, std::string& error) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | statusFlags) < 0 ||
        ::fcntl(fd, F_SETFD, FD_CLOEXEC) < 0) {
        error = failure("fcntl");
        return false;
    }
    return true;
}

} // namespace

std::optional<PseudoTerminal> PseudoTerminal::open(std::string& error) {
    PseudoTerminal pty;
    pty.master_.reset(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!pty.master_) {
        error = failure("posix_openpt");
        return std::nullopt;
    }
    // Non-blocking, so that a host that stops reading cannot wedge the radio in write().
    if (!addFlags(pty.master(), O_NONBLOCK, error)) {
        return std::nullopt;
    }
    if (::grantpt(pty.master()) != 0 || ::unlockpt(pty.master()) != 0) {
        error = failure("grantpt/unlockpt");
        return std::nullopt;
    }
    const char* name = ::ptsname(pty.master());
    if (name == nullptr) {
        error = failure("ptsname");
        return std::nullopt;
    }
    pty.slavePath_ = name;

    pty.slave_.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.slave_) {
        error = failure(("open " + pty.slavePath_).c_str());
        return std::nullopt;
    }
    termios settings{};
    if (::tcgetattr(pty.slave_.get(), &settings) != 0) {
        error = failure("tcgetattr");
        return std::nullopt;
    }
    // A pseudo-terminal ignores the speed, but a host that checks the port's settings should see
    // the cable's 115200 8N1.
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    if (::tcsetattr(pty.slave_.get(), TCSANOW, &settings) != 0) {
        error = failure("tcsetattr");
        return std::nullopt;
    }
    return pty;
}

std::size_t PseudoTerminal::unreadByHost() const {
    int pending = 0;
    if (!slave_ || ::ioctl(slave_.get(), FIONREAD, &pending) != 0 || pending < 0) {
        return 0;
    }
    return static_cast<std::size_t>(pending);
}

void PseudoTerminal::hangUp() {
    master_.reset();
    slave_.reset();
}

} // namespace kavrin::sim
