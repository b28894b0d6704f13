// The serial-number check and write.
#include "data/serial_programming.h"

#include "data/radio_failure.h"
#include "data/radio_messages.h"
#include "link/radio_link.h"

#include <algorithm>
#include <optional>

namespace kavrin {

namespace {

constexpr const char* kRadioChangedText =
    "Radio has been changed!! Please close the current screen "
    "and read in new radio. Perform the same operation again.";

bool validSerialCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

// The outcome of one exchange on a normal-mode link, with the link's own failure told apart.
enum class Exchange { Done, RadioChanged, RequestFailed, NoLink };

// Runs one exchange over a normal-mode link, with the operations asking through the normal-mode
// requests meanwhile.
template <typename Work> Exchange onNormalLink(applicationCore& core, Work work) {
    const bool wasNormal = core.operations().usesNormalModeRequests();
    core.operations().useNormalModeRequests(true);
    struct Restore {
        radioOperations& operations;
        bool normal;
        ~Restore() { operations.useNormalModeRequests(normal); }
    } restore{core.operations(), wasNormal};
    std::optional<radioLink> link;
    if (radioWorkFailed("serial-number link", [&] { link.emplace(kNormalProtocolMode); })) {
        return Exchange::NoLink;
    }
    auto outcome = Exchange::RequestFailed;
    if (radioWorkFailed("serial-number exchange", [&] {
            outcome = work(*link);
            link.reset();
        })) {
        // The close of a failed exchange must not hide the failure itself.
        radioWorkFailed("serial-number link close", [&] { link.reset(); });
        return Exchange::RequestFailed;
    }
    return outcome;
}

void tell(IUserMessages& messages, Exchange outcome) {
    switch (outcome) {
    case Exchange::RadioChanged:
        messages.showMessage(kRadioChangedText, "WARNING", MessageIcon::Information);
        break;
    case Exchange::RequestFailed:
        messages.showMessage(kCommunicationErrorText, "ERROR", MessageIcon::Exclamation);
        break;
    case Exchange::NoLink:
        messages.showMessage(kPortUnavailableText, " WARNING", MessageIcon::Information);
        break;
    case Exchange::Done:
        break;
    }
}

} // namespace

bool serialRadioCheck(applicationCore& core, IUserMessages& messages) {
    const auto outcome = onNormalLink(core, [&](radioLink& link) {
        return core.operations().isSameRadio(core.record(), link) != 0 ? Exchange::Done
                                                                       : Exchange::RadioChanged;
    });
    tell(messages, outcome);
    return outcome == Exchange::Done;
}

bool programSerialNo(applicationCore& core, const std::string& entry, IUserMessages& messages,
                     IBusyCursor& cursor) {
    BusyCursorGuard busy(cursor);
    bool badEntry = false;
    bool attempted = false;
    bool written = false;
    const radioRecord before = core.record();
    const auto outcome = onNormalLink(core, [&](radioLink& link) {
        if (core.operations().isSameRadio(core.record(), link) == 0) {
            return Exchange::RadioChanged;
        }
        if (entry.size() != kSerialNoSize) {
            messages.showMessage(kSerialEntryLengthText, "Entry Error", MessageIcon::Exclamation);
            badEntry = true;
            return Exchange::Done;
        }
        if (!std::all_of(entry.begin(), entry.end(), validSerialCharacter)) {
            messages.showMessage(kSerialEntryCharactersText, "Entry Error",
                                 MessageIcon::Exclamation);
            badEntry = true;
            return Exchange::Done;
        }
        attempted = true;
        link.normalMode().writeSerialNo(entry.c_str(), static_cast<std::uint16_t>(entry.size()),
                                        core.record().codeplugLayout());
        written = true;
        link.normalMode().resetRadio();
        core.record().setSerialNo(entry);
        return Exchange::Done;
    });
    if (attempted) {
        radioChange change;
        change.operation = kOperationSerialNumber;
        change.outcome = outcome == Exchange::Done ? kOutcomeSucceeded : kOutcomeFailed;
        change.before = before;
        change.after = before;
        if (written) {
            change.after.setSerialNo(entry);
        }
        change.detail = "serial number " + before.serialNo() + " -> " + entry +
                        (written ? "" : " (not confirmed by the radio)");
        // The snapshot's record is the radio's, which has the new number once it was written.
        core.history().radioChanged(change.after, change);
    }
    if (outcome != Exchange::Done) {
        tell(messages, outcome);
        return false;
    }
    if (badEntry) {
        return false;
    }
    messages.showMessage(kSerialProgrammedText, "NOTE", MessageIcon::Information);
    return true;
}

} // namespace kavrin
