// The enabling rules and the texts of the commands.
#include "shell/commands.h"

#include <algorithm>

namespace kavrin::shell {

CommandState commandState(const applicationCore& core) {
    CommandState state;
    state.radioRead = core.radioRead();
    state.archiveLoaded = core.archiveLoaded();
    state.reportAllowed = core.reportAllowed();
    state.currentScreenId = core.currentScreenId();
    state.txPowerSupported = core.record().isSupported(AlignmentFamily::TxPower);
    state.txModulationSupported = core.record().isSupported(AlignmentFamily::TxModulation);
    state.rxSquelchSupported = core.record().isSupported(AlignmentFamily::RxSquelch);
    state.txPowerPointsPresent = core.txPowerPointsPresent();
    state.txModulationPointsPresent = core.txModulationPointsPresent();
    state.rxPointsPresent = core.rxPointsPresent();
    state.codeplugLayout = core.record().codeplugLayout();
    return state;
}

bool commandEnabled(int command, const CommandState& s) {
    const bool dataPresent = s.radioRead || s.archiveLoaded;
    const bool noScreen = s.currentScreenId == 0;
    const bool modulation = s.txModulationSupported && dataPresent && s.txModulationPointsPresent;
    switch (command) {
    case kCmdLoadArchive:
    case kCmdReadRadio:
        return noScreen;
    case kCmdSaveArchive:
    case kCmdReset:
    case kCmdFwVersion:
        return dataPresent;
    case kCmdProgramAll:
        return dataPresent && noScreen;
    case kCmdDisplayTuning:
        return dataPresent && s.reportAllowed;
    case kCmdPrint:
    case kCmdPrintPreview:
        return s.reportViewActive;
    case kCmdRecentFile:
        return s.recentFilesPresent;
    case kCmdTxHighPower:
    case kCmdTxLowPower:
        return s.txPowerSupported && dataPresent && s.txPowerPointsPresent;
    case kCmdTxModulation125:
    case kCmdTxModulation20:
    case kCmdTxModulation25:
        return modulation;
    case kCmdTxKtd125:
    case kCmdTxKtd20:
    case kCmdTxKtd25:
        return modulation && s.codeplugLayout == 1;
    case kCmdRxSquelchNbandNormal:
    case kCmdRxSquelchNbandTight:
    case kCmdRxSquelchSbandNormal:
    case kCmdRxSquelchSbandTight:
    case kCmdRxSquelch20KbandNormal:
    case kCmdRxSquelch20KbandTight:
        return s.rxSquelchSupported && dataPresent && s.rxPointsPresent;
    case kCmdProgramSerialNo:
        return s.radioRead;
    case kCmdPrintSetup:
    case kCmdExit:
    case kCmdRadioSetup:
    case kCmdUsingHelp:
    case kCmdAbout:
        return true;
    default:
        return false;
    }
}

CommandTexts commandTexts(int command) {
    switch (command) {
    case kCmdLoadArchive:
        return {"Loads softpot archive files", "Load Archive File"};
    case kCmdSaveArchive:
        return {"Saves softpot archive files", "Save Archive File"};
    case kCmdReadRadio:
        return {"Reads all radio particulars into memory", "Read Radio Information and Softpots"};
    case kCmdProgramAll:
        return {"Program all current stored data into radio", "Program All"};
    case kCmdPrint:
        return {"Print the active document", "Print"};
    case kCmdPrintPreview:
        return {"Display full pages", "Print Preview"};
    case kCmdPrintSetup:
        return {"Change the printer and printing options", "Print Setup"};
    case kCmdRecentFile:
        return {"Open this document", ""};
    case kCmdExit:
        return {"Quit the application; prompts to save documents", "Exit"};
    case kCmdAbout:
        return {"Display program information, version number and copyright", "About"};
    default:
        return {};
    }
}

const ScreenCommand* screenCommand(int command) {
    const auto it =
        std::find_if(kScreenCommands.begin(), kScreenCommands.end(),
                     [command](const ScreenCommand& s) { return s.command == command; });
    return it == kScreenCommands.end() ? nullptr : &*it;
}

} // namespace kavrin::shell
