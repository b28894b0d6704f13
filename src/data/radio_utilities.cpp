// Reset and firmware version.
#include "data/radio_utilities.h"

#include "data/radio_failure.h"
#include "link/radio_link.h"

namespace kavrin {

namespace {
constexpr const char* kResetFailedText = "Reset Radio Failed !! Radio Communication Error!!";
constexpr const char* kResetDoneText = "Radio has been reset!!";
constexpr const char* kVersionFailedText =
    "Read Radio Firmware Version Failed !! Radio Communication Error!!";
constexpr const char* kVersionPrefix = "Radio Firmware Version: ";
constexpr const char* kErrorTitle = "Error !!";
constexpr const char* kNoteTitle = "NOTE";
} // namespace

std::string formatFirmwareVersion(const std::array<std::uint8_t, 5>& answer) {
    std::string text(answer.begin(), answer.begin() + 3);
    text += '.';
    text.append(answer.begin() + 3, answer.end());
    return text;
}

bool resetRadioCommand(const UserInterface& ui) {
    BusyCursorGuard busy(ui.cursor);
    if (radioWorkFailed("reset", [] {
            radioLink link;
            link.testMode().resetRadio();
        })) {
        ui.messages.showMessage(kResetFailedText, kErrorTitle, MessageIcon::Exclamation);
        return false;
    }
    busy.release();
    ui.messages.showMessage(kResetDoneText, kNoteTitle, MessageIcon::Information);
    return true;
}

std::optional<std::string> firmwareVersionCommand(const UserInterface& ui) {
    BusyCursorGuard busy(ui.cursor);
    std::array<std::uint8_t, 5> answer{};
    if (radioWorkFailed("firmware version", [&] {
            radioLink link;
            std::uint16_t length = 0;
            link.testMode().queryFirmwareVersion(answer.data(), &length);
        })) {
        ui.messages.showMessage(kVersionFailedText, kErrorTitle, MessageIcon::Exclamation);
        return std::nullopt;
    }
    const auto version = formatFirmwareVersion(answer);
    const std::string text = kVersionPrefix + version;
    ui.statusLine.setStatusText(text);
    ui.messages.showMessage(text, kNoteTitle, MessageIcon::Information);
    return version;
}

} // namespace kavrin
