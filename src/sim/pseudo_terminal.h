// The pseudo-terminal that stands in for the programming cable: the radio talks on the master,
// the host opens the slave device like any serial port.
#pragma once

#include "sim/unique_fd.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kavrin::sim {

class PseudoTerminal {
public:
    // Opens a master and puts the slave in raw mode. Returns nothing, with a message, on failure.
    static std::optional<PseudoTerminal> open(std::string& error);

    int master() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }
    bool isOpen() const { return master_.valid(); }

    // Bytes the radio sent that the host has not read yet.
    std::size_t unreadByHost() const;

    // Closes both ends this process holds, so that the host sees its device go away.
    void hangUp();

private:
    UniqueFd master_;
    // Held open for the radio's whole life: without it, reads on the master fail with EIO
    // whenever no host has the slave open, and the slave's raw settings would be lost.
    UniqueFd slave_;
    std::string slavePath_;
};

} // namespace kavrin::sim
