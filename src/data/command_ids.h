// The application's command ids: menu items, toolbar buttons and the screens they open. They are
// shared by the alignment-type table in the core and by the shell's menus, so they live here
// with no dependency of their own.
#pragma once

namespace kavrin {

enum CommandId : int {
    kCmdLoadArchive = 32771,
    kCmdSaveArchive = 32772,
    kCmdReadRadio = 32773,
    kCmdProgramAll = 32774,
    kCmdDisplayTuning = 32804,
    kCmdExportPdf = 32830,
    kCmdPrintSetup = 57606,
    kCmdPrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdRecentFile = 57616,
    kCmdExit = 57665,
    kCmdTxHighPower = 32808,
    kCmdTxLowPower = 32809,
    kCmdTxModulation125 = 32811,
    kCmdTxModulation20 = 32812,
    kCmdTxModulation25 = 32813,
    kCmdTxKtd125 = 32825,
    kCmdTxKtd20 = 32827,
    kCmdTxKtd25 = 32829,
    kCmdRxSquelchNbandNormal = 32814,
    kCmdRxSquelchNbandTight = 32815,
    kCmdRxSquelchSbandNormal = 32816,
    kCmdRxSquelchSbandTight = 32817,
    kCmdRxSquelch20KbandNormal = 32822,
    kCmdRxSquelch20KbandTight = 32823,
    kCmdProgramSerialNo = 32818,
    kCmdReset = 32794,
    kCmdFwVersion = 32797,
    kCmdHistory = 32831,
    kCmdAutoAlignAll = 32832,
    kCmdRadioSetup = 32820,
    kCmdUsingHelp = 32821,
    kCmdAbout = 57664,
};

// The ids of the windows that are not alignment screens (those are in the alignment-type table),
// as the application's current-screen id holds them.
inline constexpr int kRadioSetupScreenId = 12;
inline constexpr int kSerialNoScreenId = 15;
inline constexpr int kReportScreenId = 100;
// The history window is never the current screen (screens stay free while it is open); the id
// names its help topic.
inline constexpr int kHistoryWindowId = 101;
// Automatic alignment's window is no screen either: the id names its help topic.
inline constexpr int kAutotuneWindowId = 102;

} // namespace kavrin
