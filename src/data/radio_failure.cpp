// The log lines of failed radio work.
#include "data/radio_failure.h"

#include "link/log.h"

#include <string>

namespace kavrin {

void logRadioFailure(std::string_view work, const Exception& error) {
    log::info(log::Channel::Core,
              std::string(work) + " failed: link error " + std::to_string(error.errorValue()));
}

void logRadioFailure(std::string_view work, const textException& error) {
    log::info(log::Channel::Core, std::string(work) + " failed: " + error.text());
}

} // namespace kavrin
