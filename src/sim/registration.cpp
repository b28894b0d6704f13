// Adding and removing the registration file.
#include "sim/registration.h"

#include <system_error>

namespace kavrin::sim {

bool Registration::add(const VirtualPort& port, std::string& error) {
    remove();
    file_ = registerVirtualPort(port, error);
    return !file_.empty();
}

void Registration::remove() {
    if (file_.empty()) {
        return;
    }
    std::error_code ignored; // a registry cleaned up by someone else is fine
    std::filesystem::remove(file_, ignored);
    file_.clear();
}

} // namespace kavrin::sim
