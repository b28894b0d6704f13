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

namespace {

bool dataPresent(const CommandState& s) {
    return s.radioRead || s.archiveLoaded;
}

bool pointsPresent(PointGroup group, const CommandState& s) {
    switch (group) {
    case PointGroup::TxPower:
        return s.txPowerPointsPresent;
    case PointGroup::TxModulation:
        return s.txModulationPointsPresent;
    case PointGroup::Receive:
        return s.rxPointsPresent;
    }
    return false;
}

bool familySupported(AlignmentFamily family, const CommandState& s) {
    switch (family) {
    case AlignmentFamily::TxPower:
        return s.txPowerSupported;
    case AlignmentFamily::TxModulation:
        return s.txModulationSupported;
    case AlignmentFamily::RxSquelch:
        return s.rxSquelchSupported;
    }
    return false;
}

// An alignment screen needs the data of a radio that lets it open.
bool alignmentEnabled(const AlignmentTypeInfo& type, const CommandState& s) {
    return dataPresent(s) && alignmentAvailable(type, familySupported(type.family, s),
                                                pointsPresent(type.points, s), s.codeplugLayout);
}

} // namespace

bool commandEnabled(int command, const CommandState& s) {
    if (const auto* type = typeOfCommand(command)) {
        return alignmentEnabled(*type, s);
    }
    const bool data = dataPresent(s);
    const bool noScreen = s.currentScreenId == 0;
    switch (command) {
    case kCmdLoadArchive:
    case kCmdReadRadio:
        return noScreen;
    case kCmdSaveArchive:
    case kCmdReset:
    case kCmdFwVersion:
        return data;
    case kCmdProgramAll:
        return data && noScreen;
    // Automatic alignment works on the radio on the bench, so an archive is not enough; and it
    // opens the screens itself, so none may be open.
    case kCmdAutoAlignAll:
        return s.radioRead && noScreen;
    // The PDF is the report on paper: whenever the report may be shown, it may be exported.
    case kCmdDisplayTuning:
    case kCmdExportPdf:
        return data && s.reportAllowed;
    case kCmdPrint:
    case kCmdPrintPreview:
        return s.reportViewActive;
    case kCmdRecentFile:
        return s.recentFilesPresent;
    case kCmdProgramSerialNo:
        return s.radioRead;
    case kCmdPrintSetup:
    case kCmdExit:
    case kCmdRadioSetup:
    case kCmdUsingHelp:
    case kCmdAbout:
    case kCmdHistory:
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
    case kCmdExportPdf:
        return {"Saves the tuning report as a PDF file", "Export Report as PDF"};
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
    case kCmdHistory:
        return {"Show every radio's stored alignment history", "History"};
    case kCmdAutoAlignAll:
        return {"Aligns every screen of the radio automatically with a service monitor",
                "Auto Align All"};
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
