// The small seams through which radio flows reach the user, besides messages: the busy cursor
// and the status line. The GUI, the command line and the tests each implement them.
#pragma once

#include <string>

namespace kavrin {

class IBusyCursor {
public:
    virtual ~IBusyCursor() = default;
    virtual void showBusy() = 0;
    virtual void restore() = 0;
};

// Shows the busy cursor for its lifetime, so that every path out of a radio action restores it.
class BusyCursorGuard {
public:
    explicit BusyCursorGuard(IBusyCursor& cursor) : cursor_(&cursor) { cursor_->showBusy(); }
    ~BusyCursorGuard() { release(); }
    BusyCursorGuard(const BusyCursorGuard&) = delete;
    BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;

    // Restores the cursor before the guard ends, for a message that must appear without it.
    void release() {
        if (cursor_ != nullptr) {
            cursor_->restore();
            cursor_ = nullptr;
        }
    }

private:
    IBusyCursor* cursor_;
};

class IStatusLine {
public:
    virtual ~IStatusLine() = default;
    virtual void setStatusText(const std::string& text) = 0;
};

} // namespace kavrin
