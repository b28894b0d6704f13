// The radio on the bench read with nobody watching — no pauses, no cursor, its messages kept
// from the test's own — for tests that start at a screen with a record and block image in hand.
#pragma once

#include "data/application_core.h"
#include "support/recording_messages.h"

#include <optional>

namespace kavrin::test {

struct QuietRead {
    radioRecord record;
    BlockImage image{};
};

// Nothing when the read failed.
inline std::optional<QuietRead> readQuietly() {
    NoPause pause;
    NoBusyCursor cursor;
    NoStatusLine status;
    NoRecentFiles recent;
    RecordingMessages quiet;
    const ScopedUserMessages scope(quiet);
    applicationCore reader(ApplicationServices{quiet, cursor, status, pause, recent});
    NoProgress progress;
    if (!reader.readFlow(progress)) {
        return std::nullopt;
    }
    return QuietRead{reader.record(), reader.operations().blockImage()};
}

} // namespace kavrin::test
