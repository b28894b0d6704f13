// What the shell needs of a screen it opens in a frame: attaching it to the application's data
// and showing it. The alignment, serial-number and radio setup screens implement it.
#pragma once

#include <QWidget>

namespace kavrin {
class applicationCore;
}

namespace kavrin::screens {

class IScreenView {
public:
    virtual ~IScreenView() = default;
    virtual QWidget* widget() = 0;
    // Writes the screen's id into the application's current-screen id and loads its data.
    // False when the screen cannot be used; it has shown its own message.
    virtual bool attachScreen(applicationCore& core) = 0;
    // Runs once the screen is visible in its frame.
    virtual void afterShow() {}
};

} // namespace kavrin::screens
