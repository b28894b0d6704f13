// The tuning session of one alignment type.
#include "data/alignment_session.h"

#include "data/application_core.h"
#include "data/radio_failure.h"
#include "data/radio_messages.h"
#include "link/radio_link.h"

#include <algorithm>
#include <cstdio>

namespace kavrin {

namespace {

constexpr const char* kKeyedFormat = "Radio is currently keyed up at %fMHz";
// PTT Toggle with no point selected has no frequency to name.
constexpr const char* kKeyedNowhereText = "Radio is currently keyed up";
constexpr const char* kNoPointText = "No Frequency Tuning Point is currently selected";
constexpr const char* kTunedFormat = "Point %fMHz is currently being tuned";
constexpr const char* kMismatchText = "Serial No. mismatch!! Read in new radio?";
constexpr const char* kConfirmFormat = "Commit new softpot value? Softpot Value Range (0-%d)";
constexpr const char* kWarningTitle = "WARNING";
constexpr const char* kSpacedWarningTitle = " WARNING";
constexpr const char* kErrorTitle = "ERROR";
constexpr const char* kWatchdogFormat = "Transmitter dekeyed after %d s without activity";

// The screen's texts with their one number, as printf writes it.
template <typename Number> std::string formatted(const char* format, Number value) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

} // namespace

int workingValue(const std::string& text) {
    const auto digits = text.substr(0, kWorkingDigits);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    return std::stoi(digits);
}

bool workingEditTakes(const std::string& text) {
    return text.size() <= kWorkingDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

alignmentSession::alignmentSession(applicationCore& core, AlignmentType type,
                                   SessionServices services)
    : core_(core), info_(alignmentType(type)), services_(std::move(services)),
      mapper_(makePointMapper(info_)) {}

alignmentSession::~alignmentSession() {
    // However the session ends — its screen destroyed with the program, the command line left by
    // an error — the radio leaves its test state as when the screen is closed; after endTuning
    // this does nothing.
    if (attached_) {
        endTuning();
    }
}

// --- Opening and closing -------------------------------------------------------------------------

alignmentSession::Outcome alignmentSession::open() {
    lock_.emplace();
    keyed_ = false;
    core_.screenOpened(info_.screenId);
    initialUpdate();
    const auto outcome = withLink([this](radioLink& link) {
        if (core_.operations().isSameRadio(core_.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        link.testMode().enterTestMode();
        if (info_.signallingTest) {
            link.testMode().startSignallingTest();
        }
        return Outcome::Done;
    });
    tell(outcome, false);
    // A failed opening still attaches: the screen opens and closes again at once, leaving the
    // radio's test state on its way.
    attached_ = outcome != Outcome::NoLink && outcome != Outcome::Mismatch;
    if (outcome == Outcome::NoLink || outcome == Outcome::Failed) {
        core_.screenClosed();
    }
    if (!attached_) {
        lock_.reset();
    }
    touch();
    return outcome;
}

void alignmentSession::initialUpdate() {
    auto& record = core_.record();
    const double base = bandBase(record.bandInfo(), info_.points);
    for (std::size_t i = 0; i < kSessionRowCount; ++i) {
        auto& row = rows_[i];
        row = SessionRow{};
        row.exists = !info_.middlePointOnly || i == kMiddlePoint;
        row.point = row.exists ? record.getCell(pointCell(info_.points, i)) : 0;
        row.used = row.point != 0;
        if (row.exists) {
            const Cell cell = softpotCell(info_, i);
            if (record.getCell(cell) > kMaxSoftpot) {
                record.setCell(cell, kMaxSoftpot);
            }
            row.defaultText = std::to_string(record.getCell(cell));
            row.workingText = row.defaultText;
        }
        if (row.used) {
            row.shown = static_cast<int>(softpotOf(i));
            row.barValue = row.shown;
            row.mhz = base + row.point;
            row.frequencyText = formatted("%f", row.mhz);
        } else {
            row.frequencyText = kUnsupportedText;
        }
        services_.observer.rowChanged(i);
    }
    setStatus(info_.transmit() ? kDekeyedText : kNoPointText);
}

std::size_t alignmentSession::selectFirstPoint() {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < kSessionRowCount; ++i) {
        auto& row = rows_[i];
        if (!row.exists) {
            continue;
        }
        row.value = static_cast<int>(softpotOf(i));
        if (!first && (row.used || info_.middlePointOnly)) {
            first = i;
        }
    }
    const std::size_t focus = first.value_or(0);
    selectedPoint_ = first ? rows_[focus].point : 0;
    selectedValue_ = first ? rows_[focus].value : 0;
    return focus;
}

void alignmentSession::selectPoint(std::size_t row) {
    touch();
    selectedPoint_ = rows_.at(row).point;
    selectedValue_ = rows_[row].value;
}

void alignmentSession::endTuning() {
    if (ended_) {
        return;
    }
    ended_ = true;
    core_.screenClosed();
    const auto outcome = withLink([this](radioLink& link) {
        auto& commands = link.testMode();
        // Each request is tried on its own: leaving the test state matters more than a failure.
        if (info_.signallingTest) {
            radioWorkFailed("stopSignallingTest", [&] { commands.stopSignallingTest(); });
        }
        radioWorkFailed("exitTestMode", [&] { commands.exitTestMode(); });
        radioWorkFailed("resetRadio", [&] { commands.resetRadio(); });
        return Outcome::Done;
    });
    // The requests themselves were each tried; only a link that did not open is worth a word.
    if (outcome == Outcome::NoLink) {
        tell(outcome);
    }
    keyed_ = false;
    lock_.reset();
}

// --- The link of one action ----------------------------------------------------------------------

alignmentSession::Outcome
alignmentSession::withLink(const std::function<Outcome(radioLink&)>& body) {
    BusyCursorGuard busy(services_.cursor);
    // A question asked inside an action runs a nested event loop, where the watchdog's timer
    // may fire: it must not start an action of its own on top of this one.
    const struct InAction {
        bool& flag;
        explicit InAction(bool& f) : flag(f) { flag = true; }
        ~InAction() { flag = false; }
        InAction(const InAction&) = delete;
        InAction& operator=(const InAction&) = delete;
    } inAction(inAction_);
    bool opened = false;
    auto outcome = Outcome::Failed;
    if (radioWorkFailed("tuning action", [&] {
            radioLink link;
            opened = true;
            outcome = body(link);
            // The link closes here; a failed close counts as a failed action.
        })) {
        return opened ? Outcome::Failed : Outcome::NoLink;
    }
    return outcome;
}

void alignmentSession::tell(Outcome outcome, bool duringLife) {
    switch (outcome) {
    case Outcome::NoLink:
        services_.messages.showMessage(kPortUnavailableText, kSpacedWarningTitle,
                                       MessageIcon::Information);
        break;
    case Outcome::Mismatch:
        if (services_.messages.ask(kMismatchText, kWarningTitle, MessageIcon::Information) ==
            Answer::Ok) {
            services_.observer.readRequested(duringLife);
        }
        break;
    case Outcome::Failed:
        services_.messages.showMessage(kCommunicationErrorText, kErrorTitle,
                                       MessageIcon::Exclamation);
        break;
    case Outcome::Done:
    case Outcome::Ignored:
    case Outcome::Cancelled:
    case Outcome::Invalid:
        break;
    }
}

// --- Rows ----------------------------------------------------------------------------------------

std::uint32_t alignmentSession::softpotOf(std::size_t row) const {
    return core_.record().getCell(softpotCell(info_, row));
}

void alignmentSession::showRow(std::size_t row, int value) {
    auto& r = rows_[row];
    r.shown = value;
    r.barValue = std::clamp(value, 0, kMaxWorkingValue);
    r.workingText = std::to_string(value);
    services_.observer.rowChanged(row);
}

void alignmentSession::restoreRow(std::size_t row) {
    showRow(row, rows_[row].value);
}

void alignmentSession::setDefaultText(std::size_t row, std::string text) {
    rows_[row].defaultText = std::move(text);
    services_.observer.rowChanged(row);
}

void alignmentSession::setStatus(std::string text) {
    status_ = std::move(text);
    services_.observer.statusChanged(status_);
}

void alignmentSession::touch() {
    lastAction_ = services_.clock();
}

void alignmentSession::trackThumb(std::size_t row, int value) {
    touch();
    auto& r = rows_.at(row);
    if (!r.used) {
        return;
    }
    selectedPoint_ = r.point;
    r.shown = value;
    r.workingText = std::to_string(value);
    services_.observer.rowChanged(row);
}

void alignmentSession::editWorkingText(std::size_t row, std::string text) {
    touch();
    rows_.at(row).workingText = std::move(text);
}

alignmentSession::Outcome alignmentSession::step(std::size_t row, int delta) {
    const int value = std::clamp(rows_.at(row).barValue + delta, 0, kMaxWorkingValue);
    return setValue(row, value);
}

alignmentSession::Outcome alignmentSession::enter(std::size_t row) {
    return setValue(row, std::min(workingValue(rows_.at(row).workingText), kMaxWorkingValue));
}

alignmentSession::Outcome alignmentSession::setValue(std::size_t row, int value) {
    touch();
    auto& r = rows_.at(row);
    const int before = r.shown;
    if (!r.used || !attached_ || ended_) {
        showRow(row, before);
        return Outcome::Ignored;
    }
    const auto outcome = withLink([this, row, value](radioLink& link) {
        selectedPoint_ = rows_[row].point;
        showRow(row, value);
        if (info_.transmit() && keyed_ && keyedPoint_ != selectedPoint_) {
            dekey(link);
        }
        if (core_.operations().isSameRadio(core_.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        if (info_.transmit()) {
            if (!keyed_) {
                preparePoint(link);
            } else {
                mapper_->sendSoftpot(static_cast<std::uint32_t>(value), link.testMode());
            }
        } else {
            // Nothing to key on a receiver: every step tunes the point and sends the value.
            preparePoint(link);
            mapper_->sendSoftpot(static_cast<std::uint32_t>(value), link.testMode());
        }
        rows_[row].value = value;
        selectedValue_ = value;
        return Outcome::Done;
    });
    // Without a link the row goes back to where it was; after a failed request to the value the
    // radio has. A changed radio keeps the value shown.
    if (outcome == Outcome::NoLink) {
        showRow(row, before);
    } else if (outcome == Outcome::Failed) {
        restoreRow(row);
    }
    tell(outcome);
    return outcome;
}

// --- Radio requests ------------------------------------------------------------------------------

void alignmentSession::preparePoint(radioLink& link) {
    for (const auto& row : rows_) {
        if (!row.used || row.point != selectedPoint_) {
            continue;
        }
        mapper_->assignFrequency(row.point, core_.record(), link.testMode());
        if (info_.transmit()) {
            keyedText_ = formatted(kKeyedFormat, row.mhz);
        } else {
            setStatus(formatted(kTunedFormat, row.mhz));
        }
        return;
    }
}

void alignmentSession::dekey(radioLink& link) {
    if (info_.keying == KeyRequests::Signalling) {
        link.testMode().dekeySignalling();
    } else {
        link.testMode().dekey();
    }
    setStatus(kDekeyedText);
    keyed_ = false;
}

alignmentSession::Outcome alignmentSession::pttToggle() {
    touch();
    if (!attached_ || ended_ || !info_.transmit()) {
        return Outcome::Ignored;
    }
    const auto outcome = withLink([this](radioLink& link) {
        if (keyed_) {
            dekey(link);
            return Outcome::Done;
        }
        keyedText_.clear();
        keyedPoint_ = selectedPoint_;
        preparePoint(link);
        if (info_.keying == KeyRequests::Signalling) {
            link.testMode().keyUpSignalling();
        } else {
            link.testMode().keyUp();
        }
        // From here the radio transmits: the screen says so even if the value fails to go out.
        keyed_ = true;
        setStatus(keyedText_.empty() ? std::string(kKeyedNowhereText) : keyedText_);
        mapper_->sendSoftpot(static_cast<std::uint32_t>(selectedValue_), link.testMode());
        return Outcome::Done;
    });
    tell(outcome);
    return outcome;
}

alignmentSession::Outcome alignmentSession::program() {
    touch();
    if (!attached_ || ended_) {
        return Outcome::Ignored;
    }
    std::optional<std::pair<std::string_view, MessageIcon>> invalid;
    std::optional<std::size_t> programming; // the row being written
    std::optional<BlockImage> blockBefore;  // once the radio's block is known
    std::string pointsWritten;
    const auto outcome = withLink([&](radioLink& link) {
        if (core_.operations().isSameRadio(core_.record(), link) == 0) {
            return Outcome::Mismatch;
        }
        services_.cursor.restore();
        const auto answer = services_.messages.ask(formatted(kConfirmFormat, kMaxWorkingValue),
                                                   kWarningTitle, MessageIcon::Information);
        services_.cursor.showBusy();
        if (answer != Answer::Ok) {
            return Outcome::Cancelled;
        }
        if (info_.transmit() && keyed_) {
            dekey(link);
        }
        bool imageTrusted = core_.radioRead();
        for (std::size_t i = 0; i < kSessionRowCount; ++i) {
            auto& row = rows_[i];
            if (!row.used) {
                continue;
            }
            programming = i;
            const auto text = row.workingText.substr(0, kWorkingDigits);
            const int value = workingValue(text);
            showRow(i, value);
            setDefaultText(i, std::to_string(value));
            if (value > kMaxWorkingValue || text.empty()) {
                invalid = value > kMaxWorkingValue
                              ? std::pair{info_.texts.illegal, MessageIcon::Exclamation}
                              : std::pair{info_.texts.empty, MessageIcon::Information};
                restoreRow(i);
                setDefaultText(i, std::to_string(row.value));
                break;
            }
            if (!imageTrusted) {
                // After an archive load the block image is not the radio's: a checksum over it
                // would be garbage in the radio's codeplug. The radio's block is read first.
                core_.operations().readBlock(link.testMode(), core_.record().codeplugLayout(),
                                             [](std::size_t) {});
                imageTrusted = true;
            }
            if (!blockBefore) {
                blockBefore = core_.operations().blockImage();
            }
            mapper_->assignFrequency(row.point, core_.record(), link.testMode());
            const auto byte = static_cast<std::uint8_t>(value);
            for (const auto offset : mapper_->programSoftpot(
                     core_.record(), static_cast<std::uint32_t>(value), link.testMode())) {
                core_.operations().patchBlockImage(&byte, 1, offset);
            }
            pointsWritten += " F" + std::to_string(i + 1);
            link.testMode().writeCodeplugChecksum(core_.operations().blockImageChecksum(),
                                                  core_.record().codeplugLayout());
            row.value = value;
            core_.record().setCell(softpotCell(info_, i), static_cast<std::uint32_t>(value));
        }
        programming.reset();
        return Outcome::Done;
    });
    if (blockBefore) {
        // Every write the radio acknowledged is in the block image, checksummed or not.
        radioChange change;
        change.operation = kOperationScreenProgram;
        change.outcome = outcome == Outcome::Done ? kOutcomeSucceeded : kOutcomeFailed;
        change.before = radioOperations::recordOfBlock(core_.record(), *blockBefore);
        change.after =
            radioOperations::recordOfBlock(core_.record(), core_.operations().blockImage());
        change.detail = std::string(info_.title) + ":" +
                        (pointsWritten.empty() ? std::string(" nothing written") : pointsWritten);
        core_.history().radioChanged(core_.record(), change);
    }
    if (outcome == Outcome::Done && invalid) {
        services_.messages.showMessage(std::string(invalid->first), kErrorTitle, invalid->second);
        return Outcome::Invalid;
    }
    if (outcome == Outcome::Failed) {
        for (std::size_t i = 0; i < kSessionRowCount; ++i) {
            if (rows_[i].used) {
                restoreRow(i);
            }
        }
        // The row being written shows what the record holds, not a value that may not be there.
        if (programming) {
            setDefaultText(*programming, std::to_string(softpotOf(*programming)));
        }
    }
    tell(outcome);
    return outcome;
}

// --- Transmit watchdog ---------------------------------------------------------------------------

std::optional<std::chrono::steady_clock::time_point> alignmentSession::watchdogDeadline() const {
    if (!keyed_ || ended_ || watchdog_.count() <= 0) {
        return std::nullopt;
    }
    return lastAction_ + watchdog_;
}

bool alignmentSession::checkWatchdog() {
    const auto deadline = watchdogDeadline();
    if (!deadline || inAction_ || services_.clock() < *deadline) {
        return false;
    }
    // The same request PTT Toggle sends; a failure leaves the radio keyed and the watchdog
    // tries again after another period.
    const auto outcome = withLink([this](radioLink& link) {
        dekey(link);
        return Outcome::Done;
    });
    touch();
    tell(outcome);
    if (outcome != Outcome::Done) {
        return false;
    }
    services_.observer.note(formatted(kWatchdogFormat, static_cast<int>(watchdog_.count())));
    return true;
}

} // namespace kavrin
