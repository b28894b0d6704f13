// The small seams through which radio flows reach the user, besides messages: the busy cursor
// and the status line. The GUI, the command line and the tests each implement them.
#pragma once

#include <chrono>
#include <string>

namespace kavrin {

// Shows the busy cursor and restores the previous one; calls nest like a stack.
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

// The progress screen as the read and program flows see it.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void setPercentText(const std::string& text) = 0;
    virtual void setProgress(int position) = 0; // 0-100
};

// The radio needs time after some requests; tests make the wait instant.
class IPause {
public:
    virtual ~IPause() = default;
    virtual void pause(std::chrono::milliseconds duration) = 0;
};

// Waits for real, blocking the calling thread.
class SleepingPause final : public IPause {
public:
    void pause(std::chrono::milliseconds duration) override;
};

class IStatusLine {
public:
    virtual ~IStatusLine() = default;
    virtual void setStatusText(const std::string& text) = 0;
};

// The seams for a run nobody watches: benchmarks, tools, the command line where it has no use
// for a cursor, and tests that check other things.
class NoBusyCursor final : public IBusyCursor {
public:
    void showBusy() override {}
    void restore() override {}
};

class NoProgress final : public IProgress {
public:
    void setPercentText(const std::string&) override {}
    void setProgress(int) override {}
};

class NoPause final : public IPause {
public:
    void pause(std::chrono::milliseconds) override {}
};

class NoStatusLine final : public IStatusLine {
public:
    void setStatusText(const std::string&) override {}
};

} // namespace kavrin
