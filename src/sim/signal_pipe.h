// Turns SIGINT and SIGTERM into a readable descriptor, so that the serving loop waits for the
// wire and for a stop request in the same poll().
#pragma once

#include "sim/unique_fd.h"

#include <string>

namespace kavrin::sim {

class SignalPipe {
public:
    // Installs the handlers; only one SignalPipe may exist at a time.
    bool install(std::string& error);
    ~SignalPipe();

    int readFd() const { return read_.get(); }

    // True once a stop signal arrived; drains the pipe.
    bool stopRequested();

private:
    UniqueFd read_;
    UniqueFd write_;
    bool installed_ = false;
};

} // namespace kavrin::sim
