// How the flows tell a failure of the radio work from a fault of ours. A link or request error,
// a failed identity check or a failed mapping is the radio's: it is logged and the flow shows
// its fixed message. Any other exception is a bug; it is not caught here, so that it reaches the
// log as what it is instead of hiding behind "Radio Communication Error!!".
#pragma once

#include "data/text_exception.h"
#include "link/exceptions.h"

#include <string_view>
#include <utility>

namespace kavrin {

void logRadioFailure(std::string_view work, const Exception& error);
void logRadioFailure(std::string_view work, const textException& error);

// Runs radio work; true when it failed the way radio work fails.
template <typename Work> bool radioWorkFailed(std::string_view work, Work&& body) {
    try {
        std::forward<Work>(body)();
        return false;
    } catch (const Exception& error) {
        logRadioFailure(work, error);
    } catch (const textException& error) {
        logRadioFailure(work, error);
    }
    return true;
}

} // namespace kavrin
