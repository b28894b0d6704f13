// The application's commands: their ids, their menu layout and texts, and the rule that says
// when each one is available. The alignment types' menu items and screens come from the
// alignment-type table. Nothing here depends on a window system, so the rules are tested as a
// table.
#pragma once

#include "data/alignment_types.h"
#include "data/application_core.h"
#include "data/command_ids.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace kavrin::shell {

using enum CommandId;

// What the enabling rules look at.
struct CommandState {
    bool radioRead = false;
    bool archiveLoaded = false;
    bool reportAllowed = true;
    int currentScreenId = 0;
    bool txPowerSupported = true;
    bool txModulationSupported = true;
    bool rxSquelchSupported = true;
    bool txPowerPointsPresent = true;
    bool txModulationPointsPresent = true;
    bool rxPointsPresent = true;
    std::int32_t codeplugLayout = 0;
    bool reportViewActive = false; // the report window is the active window
    bool recentFilesPresent = false;
};

CommandState commandState(const applicationCore& core);

// True when the command may be used in this state.
bool commandEnabled(int command, const CommandState& state);

// One entry of a menu: a command, a submenu title, or a separator (command 0, empty text).
struct MenuEntry {
    int command;
    std::string_view text;
};

struct MenuLayout {
    std::string_view title;
    std::span<const MenuEntry> entries;
};

inline constexpr MenuEntry kSeparator{0, ""};
inline constexpr std::string_view kRecentFileText = "Recent File";

inline constexpr std::array kFileMenu{
    MenuEntry{kCmdLoadArchive, "&Load Archive File"},
    MenuEntry{kCmdSaveArchive, "&Save Archive File"},
    kSeparator,
    MenuEntry{kCmdReadRadio, "Read Radio &Information and Softpots"},
    MenuEntry{kCmdProgramAll, "Program &All"},
    kSeparator,
    MenuEntry{kCmdDisplayTuning, "&Display Tuning Parameters"},
    MenuEntry{kCmdExportPdf, "&Export Report as PDF…"},
    MenuEntry{kCmdPrint, "&Print..."},
    MenuEntry{kCmdPrintPreview, "Print P&review"},
    MenuEntry{kCmdPrintSetup, "Print Set&up..."},
    kSeparator,
    MenuEntry{kCmdRecentFile, kRecentFileText},
    kSeparator,
    MenuEntry{kCmdExit, "Exit"},
};

// A submenu of the Alignment menu: its title and its items.
struct Submenu {
    std::string_view title;
    std::span<const MenuEntry> entries;
};

// The items of one Alignment submenu: the alignment types placed in it, in the table's order.
template <AlignmentSubmenu Placement> constexpr auto submenuItems() {
    constexpr auto count = static_cast<std::size_t>(
        std::ranges::count(kAlignmentTypes, Placement, &AlignmentTypeInfo::submenu));
    std::array<MenuEntry, count> items{};
    std::size_t next = 0;
    for (const auto& type : kAlignmentTypes) {
        if (type.submenu == Placement) {
            items[next++] = MenuEntry{type.menuCommand, type.menuText};
        }
    }
    return items;
}

inline constexpr auto kTxPowerItems = submenuItems<AlignmentSubmenu::TxPower>();
inline constexpr auto kTxModulationItems = submenuItems<AlignmentSubmenu::TxModulation>();
inline constexpr auto kSignalingItems = submenuItems<AlignmentSubmenu::Signaling>();
inline constexpr auto kRxSquelchItems = submenuItems<AlignmentSubmenu::RxSquelch>();

// The Alignment menu: the submenus at positions 0, 1, 2 and 4, a separator at 3. Each submenu
// item takes the rule of its first command.
inline constexpr std::array<std::optional<Submenu>, 5> kAlignmentMenu{{
    Submenu{"Tx &Power", kTxPowerItems},
    Submenu{"Tx &Modulation", kTxModulationItems},
    Submenu{"Tx Si&gnaling System", kSignalingItems},
    std::nullopt,
    Submenu{"Rx S&quelch", kRxSquelchItems},
}};

// A submenu placement that the menu above does not show would leave its types unreachable, and
// an empty submenu has no first command to take its rule from.
constexpr bool alignmentMenuHoldsEveryType() {
    std::size_t items = 0;
    for (const auto& submenu : kAlignmentMenu) {
        if (submenu) {
            if (submenu->entries.empty()) {
                return false;
            }
            items += submenu->entries.size();
        }
    }
    return items == kAlignmentTypes.size();
}
static_assert(alignmentMenuHoldsEveryType());

// What follows the submenus at the end of the Alignment menu.
inline constexpr std::array kAlignmentMenuTail{kSeparator,
                                               MenuEntry{kCmdAutoAlignAll, "A&uto Align All..."}};

inline constexpr std::array kUtilitiesMenu{MenuEntry{kCmdProgramSerialNo, "&Program Serial No."},
                                           kSeparator,
                                           MenuEntry{kCmdReset, "&Reset"},
                                           kSeparator,
                                           MenuEntry{kCmdFwVersion, "&FW Version"},
                                           MenuEntry{kCmdHistory, "&History..."}};

inline constexpr std::array kHelpMenu{MenuEntry{kCmdRadioSetup, "Radio &Setup"},
                                      MenuEntry{kCmdUsingHelp, "Using &help"}, kSeparator,
                                      MenuEntry{kCmdAbout, "&About Kavrin..."}};

// The toolbar, left to right; 0 is a gap.
inline constexpr std::array<int, 9> kToolbar{
    kCmdLoadArchive, kCmdSaveArchive, 0, kCmdReadRadio, kCmdProgramAll, 0, kCmdPrint, 0, kCmdAbout};

// The status-bar prompt and the tooltip of a command; empty when it has none.
struct CommandTexts {
    std::string_view prompt;
    std::string_view tooltip;
};
CommandTexts commandTexts(int command);

// The screen a command opens, with its frame's title and rectangle in the MDI area.
struct ScreenCommand {
    int command;
    int screenId;
    std::string_view title;
    int left, top, right, bottom;
};

// The screens that are not alignment types.
inline constexpr std::array kUtilityScreens{
    ScreenCommand{kCmdProgramSerialNo, kSerialNoScreenId, "Program Radio Serial No.", 30, 30, 620,
                  280},
    ScreenCommand{kCmdRadioSetup, kRadioSetupScreenId, "Radio Setup", 10, 10, 596, 599},
};

// Every alignment type's screen in the table's order, then the utility screens.
constexpr auto makeScreenCommands() {
    std::array<ScreenCommand, kAlignmentTypes.size() + kUtilityScreens.size()> commands{};
    std::size_t next = 0;
    for (const auto& type : kAlignmentTypes) {
        commands[next++] = ScreenCommand{.command = type.menuCommand,
                                         .screenId = type.screenId,
                                         .title = type.title,
                                         .left = kAlignmentFrame.left,
                                         .top = kAlignmentFrame.top,
                                         .right = kAlignmentFrame.right,
                                         .bottom = kAlignmentFrame.bottom};
    }
    for (const auto& utility : kUtilityScreens) {
        commands[next++] = utility;
    }
    return commands;
}

inline constexpr auto kScreenCommands = makeScreenCommands();

// A command opens one screen and a screen id names one screen, which the current-screen id and
// the help topic rely on; id 0 means that no screen is open.
constexpr bool screenCommandsDistinct() {
    for (std::size_t i = 0; i < kScreenCommands.size(); ++i) {
        if (kScreenCommands[i].screenId == 0) {
            return false;
        }
        for (std::size_t j = i + 1; j < kScreenCommands.size(); ++j) {
            if (kScreenCommands[i].command == kScreenCommands[j].command ||
                kScreenCommands[i].screenId == kScreenCommands[j].screenId) {
                return false;
            }
        }
    }
    return true;
}
static_assert(screenCommandsDistinct());

const ScreenCommand* screenCommand(int command);

} // namespace kavrin::shell
