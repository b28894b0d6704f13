// What the shell and a screen know of each other: the host services a screen uses (the
// application's core, its messages and cursor, reading the radio, closing the screen) and what
// the shell needs of a screen it opens in a frame.
#pragma once

#include "data/alignment_session.h"
#include "data/user_interface.h"
#include "link/user_messages.h"

#include <QWidget>
#include <chrono>
#include <string>

namespace kavrin {
class applicationCore;
}

namespace kavrin::screens {

class IScreenHost {
public:
    virtual ~IScreenHost() = default;
    virtual applicationCore& core() = 0;
    virtual IUserMessages& messages() = 0;
    virtual IBusyCursor& busyCursor() = 0;
    // The Read command's action (after a serial-number mismatch at opening).
    virtual void readRadio() = 0;
    // Closes the screen, then reads the radio (after a mismatch during the screen's life).
    virtual void rereadRadio() = 0;
    // Closes the open screen's frame.
    virtual void closeScreen() = 0;
    // How long a keyed radio may go without an action before the screen dekeys it; 0 is never.
    virtual std::chrono::seconds transmitWatchdog() const { return kDefaultTransmitWatchdog; }
    // A note for the main window's status bar.
    virtual void showNote(const std::string& text) { static_cast<void>(text); }
    // Aligns the screen's type automatically; the host closes the screen to do so.
    virtual void autoAlign(AlignmentType type) { static_cast<void>(type); }
};

class IScreenView {
public:
    virtual ~IScreenView() = default;
    virtual QWidget* widget() = 0;
    // Writes the screen's id into the application's current-screen id and loads its data.
    // False when the screen cannot be used; it has shown its own message.
    virtual bool attachScreen(IScreenHost& host) = 0;
    // Runs once the screen is visible in its frame.
    virtual void afterShow() {}
    // The frame is closing: the screen takes the radio out of its test state. Runs only for a
    // screen that attached.
    virtual void endTuning() {}
};

} // namespace kavrin::screens
