// The application's commands: their ids, their menu layout and texts, and the rule that says
// when each one is available. Nothing here depends on a window system, so the rules are tested
// as a table.
#pragma once

#include "data/application_core.h"
#include "data/command_ids.h"

#include <array>
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

inline constexpr std::array kTxPowerItems{MenuEntry{kCmdTxHighPower, "&High"},
                                          MenuEntry{kCmdTxLowPower, "&Low"}};
inline constexpr std::array kTxModulationItems{MenuEntry{kCmdTxModulation125, "Mo&d. 12.5KHz"},
                                               MenuEntry{kCmdTxModulation20, "Mod. 20&KHz"},
                                               MenuEntry{kCmdTxModulation25, "M&od. 25KHz"}};
inline constexpr std::array kSignalingItems{MenuEntry{kCmdTxKtd125, "K&TD 12.5KHz"},
                                            MenuEntry{kCmdTxKtd20, "KTD 20&KHz"},
                                            MenuEntry{kCmdTxKtd25, "KT&D 25KHz"}};
inline constexpr std::array kRxSquelchItems{
    MenuEntry{kCmdRxSquelchNbandNormal, "Squelch 12.5KHz-band &Normal"},
    MenuEntry{kCmdRxSquelchNbandTight, "Squelch 12.5KHz-band &Tight"},
    MenuEntry{kCmdRxSquelchSbandNormal, "Squelch 25KHz-&band Normal"},
    MenuEntry{kCmdRxSquelchSbandTight, "Squelch 25KHz-b&and Tight"},
    MenuEntry{kCmdRxSquelch20KbandNormal, "Squelch 20&KHz-band Normal"},
    MenuEntry{kCmdRxSquelch20KbandTight, "Squelch 20K&Hz-band Tight"}};

// The Alignment menu: the submenus at positions 0, 1, 2 and 4, a separator at 3. Each submenu
// item takes the rule of its first command.
inline constexpr std::array<std::optional<Submenu>, 5> kAlignmentMenu{{
    Submenu{"Tx &Power", kTxPowerItems},
    Submenu{"Tx &Modulation", kTxModulationItems},
    Submenu{"Tx Si&gnaling System", kSignalingItems},
    std::nullopt,
    Submenu{"Rx S&quelch", kRxSquelchItems},
}};

inline constexpr std::array kUtilitiesMenu{MenuEntry{kCmdProgramSerialNo, "&Program Serial No."},
                                           kSeparator, MenuEntry{kCmdReset, "&Reset"}, kSeparator,
                                           MenuEntry{kCmdFwVersion, "&FW Version"}};

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

inline constexpr std::array<ScreenCommand, 16> kScreenCommands{{
    {kCmdTxHighPower, 2, "Tx High Power", 30, 30, 846, 430},
    {kCmdTxLowPower, 3, "Tx Low Power", 30, 30, 846, 430},
    {kCmdTxModulation125, 4, "Tx Modulation 12.5KHz", 30, 30, 846, 430},
    {kCmdTxModulation20, 5, "Tx Modulation 20KHz", 30, 30, 846, 430},
    {kCmdTxModulation25, 6, "Tx Modulation 25KHz", 30, 30, 846, 430},
    {kCmdTxKtd125, 18, "Tx KTD Signaling System Modulation 12.5KHz", 30, 30, 846, 430},
    {kCmdTxKtd20, 19, "Tx KTD Signaling System Modulation 20KHz", 30, 30, 846, 430},
    {kCmdTxKtd25, 20, "Tx KTD Signaling System Modulation 25KHz", 30, 30, 846, 430},
    {kCmdRxSquelchNbandNormal, 7, "Rx Squelch 12.5KHz-band Normal", 30, 30, 846, 430},
    {kCmdRxSquelchNbandTight, 8, "Rx Squelch 12.5KHz-band Tight", 30, 30, 846, 430},
    {kCmdRxSquelchSbandNormal, 9, "Rx Squelch 25KHz-band Normal", 30, 30, 846, 430},
    {kCmdRxSquelchSbandTight, 10, "Rx Squelch 25KHz-band Tight", 30, 30, 846, 430},
    {kCmdRxSquelch20KbandNormal, 16, "Rx Squelch 20KHz-band Normal", 30, 30, 846, 430},
    {kCmdRxSquelch20KbandTight, 17, "Rx Squelch 20KHz-band Tight", 30, 30, 846, 430},
    {kCmdProgramSerialNo, 15, "Program Radio Serial No.", 30, 30, 620, 280},
    {kCmdRadioSetup, 12, "Radio Setup", 10, 10, 596, 599},
}};

const ScreenCommand* screenCommand(int command);

} // namespace kavrin::shell
