// The radio's entry in the virtual port registry, removed again when the radio goes away.
#pragma once

#include "link/virtual_ports.h"

#include <filesystem>
#include <string>

namespace kavrin::sim {

class Registration {
public:
    Registration() = default;
    ~Registration() { remove(); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

    bool add(const VirtualPort& port, std::string& error);
    void remove();

private:
    std::filesystem::path file_;
};

} // namespace kavrin::sim
