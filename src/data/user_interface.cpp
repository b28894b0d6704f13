// The real pause.
#include "data/user_interface.h"

#include <thread>

namespace kavrin {

void SleepingPause::pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace kavrin
