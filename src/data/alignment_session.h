// alignmentSession: the tuning of one alignment type between opening its screen and closing it —
// the rows with their working values, the selected and keyed point, every row action, PTT
// Toggle, Program, the end of tuning and the transmit watchdog. Each action runs on a link of
// its own. The screen, the command line and automatic alignment drive it alike; it reaches them
// through the message interface, the busy cursor and its observer.
#pragma once

#include "data/alignment_types.h"
#include "data/point_mappers.h"
#include "data/user_interface.h"
#include "link/port_lock.h"
#include "link/user_messages.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kavrin {

class applicationCore;
class radioLink;

inline constexpr std::size_t kSessionRowCount = kPointCount;
inline constexpr int kMaxWorkingValue = static_cast<int>(kMaxSoftpot);
// The working edit takes at most this many digits.
inline constexpr std::size_t kWorkingDigits = 3;

inline constexpr const char* kDekeyedText = "Radio is currently dekeyed";
inline constexpr const char* kUnsupportedText = "UNSUPPORTED";

// One frequency point as the screen shows it.
struct SessionRow {
    bool exists = false;     // a signalling type has only the middle point
    bool used = false;       // the radio uses the point
    std::uint32_t point = 0; // the point cell: an offset in MHz; 0 when not used
    double mhz = 0.0;
    std::string frequencyText;
    std::string defaultText;
    std::string workingText;
    int value = 0;    // last value applied or programmed: what a failure restores
    int shown = 0;    // the bar's thumb, also while it is dragged
    int barValue = 0; // the bar's value, 0-63
};

class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;
    // A row's texts or bar changed.
    virtual void rowChanged(std::size_t row) = 0;
    // The screen's status line.
    virtual void statusChanged(const std::string& text) = 0;
    // A note beside the screen: the main window's status bar, or standard error.
    virtual void note(const std::string& text) = 0;
    // The technician wants the radio read again after a serial-number mismatch; during the
    // screen's life the screen closes first.
    virtual void readRequested(bool duringLife) = 0;
};

// For a session nobody watches.
class NoSessionObserver final : public ISessionObserver {
public:
    void rowChanged(std::size_t) override {}
    void statusChanged(const std::string&) override {}
    void note(const std::string&) override {}
    void readRequested(bool) override {}
};

using SessionClock = std::function<std::chrono::steady_clock::time_point()>;

struct SessionServices {
    IUserMessages& messages;
    IBusyCursor& cursor;
    ISessionObserver& observer;
    SessionClock clock = [] { return std::chrono::steady_clock::now(); };
};

inline constexpr std::chrono::seconds kDefaultTransmitWatchdog{120};

class alignmentSession {
public:
    // How an action ended. Ignored: nothing to do (a row not in use, a session not open);
    // Cancelled: Program's confirmation was answered Cancel; Invalid: Program stopped at a
    // working value it cannot write, and said so.
    enum class Outcome { Done, Ignored, Cancelled, Invalid, NoLink, Mismatch, Failed };

    alignmentSession(applicationCore& core, AlignmentType type, SessionServices services);
    // Ends tuning if endTuning has not.
    ~alignmentSession();
    alignmentSession(const alignmentSession&) = delete;
    alignmentSession& operator=(const alignmentSession&) = delete;

    const AlignmentTypeInfo& info() const { return info_; }
    const SessionRow& row(std::size_t index) const { return rows_.at(index); }
    const std::string& status() const { return status_; }
    bool keyed() const { return keyed_; }
    // True once the screen may be used: opened, or opened and failing (it then closes again).
    bool attached() const { return attached_; }
    std::uint32_t selectedPoint() const { return selectedPoint_; }

    // Fills the rows from the record and enters the radio's test state. Done: tuning may begin;
    // Failed: the screen shows and closes again at once (the application's screen id is 0).
    // From here to the end of tuning the session holds the port's lock: a radio in its test
    // state, maybe keyed, is the technician's alone until the screen closes.
    Outcome open();
    // The point selected when the screen first shows; returns the row that takes the focus.
    std::size_t selectFirstPoint();
    // Selects the point of a row without a radio request, as the command line's --point does.
    void selectPoint(std::size_t row);
    // Leaves the test state (each request tried on its own) and closes; runs once.
    void endTuning();

    // Row actions: a value set live, a step of the spin arrows (+1 or -1), Enter in the working
    // edit. A failed action has restored the row and shown its message.
    Outcome setValue(std::size_t row, int value);
    Outcome step(std::size_t row, int delta);
    Outcome enter(std::size_t row);
    // The thumb is being dragged: only the texts follow it.
    void trackThumb(std::size_t row, int value);
    // The technician typed into the working edit.
    void editWorkingText(std::size_t row, std::string text);

    Outcome pttToggle();
    Outcome program();

    // The transmit watchdog: 0 turns it off. While keyed, the radio is dekeyed once the time
    // passes without an action; checkWatchdog does it when due.
    void setWatchdog(std::chrono::seconds time) { watchdog_ = time; }
    std::optional<std::chrono::steady_clock::time_point> watchdogDeadline() const;
    bool checkWatchdog();

private:
    Outcome withLink(const std::function<Outcome(radioLink&)>& body);
    void initialUpdate();
    void preparePoint(radioLink& link);
    void dekey(radioLink& link);
    void showRow(std::size_t row, int value);
    void restoreRow(std::size_t row);
    void setStatus(std::string text);
    void setDefaultText(std::size_t row, std::string text);
    std::uint32_t softpotOf(std::size_t row) const;
    // What the technician is told of an action that did not go through: no link, a changed
    // radio (the question whether to read it; during the screen's life it closes first), a
    // failed request.
    void tell(Outcome outcome, bool duringLife = true);
    void touch();

    applicationCore& core_;
    const AlignmentTypeInfo& info_;
    SessionServices services_;
    std::unique_ptr<pointMapper> mapper_;
    std::array<SessionRow, kSessionRowCount> rows_{};
    std::string status_;
    bool attached_ = false;
    bool ended_ = false;
    bool inAction_ = false;
    bool keyed_ = false;
    std::uint32_t keyedPoint_ = 0;
    std::uint32_t selectedPoint_ = 0;
    int selectedValue_ = 0;
    std::string keyedText_;
    std::chrono::seconds watchdog_ = kDefaultTransmitWatchdog;
    std::chrono::steady_clock::time_point lastAction_{};
    std::optional<flowPortLock> lock_;
};

// The value the working edit's text stands for: its first three digits, 0 when it has none.
int workingValue(const std::string& text);
// True when the working edit would take this text: up to three digits.
bool workingEditTakes(const std::string& text);

} // namespace kavrin
