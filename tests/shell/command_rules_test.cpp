// The enabling rule of every command in every state that matters, as one table.
#include "shell/commands.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace kavrin::shell {
namespace {

struct StateCase {
    const char* name;
    CommandState state;
    std::set<int> enabled; // every other command of the menus is disabled
    friend void PrintTo(const StateCase& row, std::ostream* out) { *out << row.name; }
};

std::vector<int> allCommands() {
    std::vector<int> commands;
    const auto add = [&](std::span<const MenuEntry> entries) {
        for (const auto& entry : entries) {
            if (entry.command != 0) {
                commands.push_back(entry.command);
            }
        }
    };
    add(kFileMenu);
    for (const auto& submenu : kAlignmentMenu) {
        if (submenu) {
            add(submenu->entries);
        }
    }
    add(kUtilitiesMenu);
    add(kHelpMenu);
    return commands;
}

const std::set<int> kAlways{kCmdPrintSetup, kCmdExit, kCmdRadioSetup, kCmdUsingHelp, kCmdAbout};
const std::set<int> kPower{kCmdTxHighPower, kCmdTxLowPower};
const std::set<int> kModulation{kCmdTxModulation125, kCmdTxModulation20, kCmdTxModulation25};
const std::set<int> kKtd{kCmdTxKtd125, kCmdTxKtd20, kCmdTxKtd25};
const std::set<int> kSquelch{kCmdRxSquelchNbandNormal,   kCmdRxSquelchNbandTight,
                             kCmdRxSquelchSbandNormal,   kCmdRxSquelchSbandTight,
                             kCmdRxSquelch20KbandNormal, kCmdRxSquelch20KbandTight};

std::set<int> join(std::initializer_list<std::set<int>> parts) {
    std::set<int> out;
    for (const auto& part : parts) {
        out.insert(part.begin(), part.end());
    }
    return out;
}

CommandState afterRead(std::int32_t layout = 0) {
    CommandState state;
    state.radioRead = true;
    state.codeplugLayout = layout;
    return state;
}

CommandState withChange(CommandState state, void (*change)(CommandState&)) {
    change(state);
    return state;
}

const std::set<int> kDataFile{kCmdLoadArchive, kCmdSaveArchive, kCmdReadRadio, kCmdProgramAll,
                              kCmdDisplayTuning};

class EnablingRules : public ::testing::TestWithParam<StateCase> {};

TEST_P(EnablingRules, EnableExactlyTheCommandsOfTheState) {
    for (const int command : allCommands()) {
        EXPECT_EQ(commandEnabled(command, GetParam().state), GetParam().enabled.count(command) == 1)
            << "command " << command;
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, EnablingRules,
    ::testing::Values(
        StateCase{"BeforeAnyData", CommandState{},
                  join({kAlways, {kCmdLoadArchive, kCmdReadRadio}})},
        StateCase{"AfterAStandardRead", afterRead(),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{"AfterAnExtendedRead", afterRead(1),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        kKtd,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{
            "AfterAnArchiveLoad",
            withChange(CommandState{}, [](auto& s) { s.archiveLoaded = true; }),
            join({kAlways, kDataFile, kPower, kModulation, kSquelch, {kCmdReset, kCmdFwVersion}})},
        StateCase{"ReceivePointsAbsent",
                  withChange(afterRead(), [](auto& s) { s.rxPointsPresent = false; }),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{"TxPowerUnsupported",
                  withChange(afterRead(1), [](auto& s) { s.txPowerSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kModulation,
                        kKtd,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{"TxModulationUnsupported",
                  withChange(afterRead(1), [](auto& s) { s.txModulationSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{"RxSquelchUnsupported",
                  withChange(afterRead(), [](auto& s) { s.rxSquelchSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})},
        StateCase{"AScreenOpen", withChange(afterRead(), [](auto& s) { s.currentScreenId = 2; }),
                  join({kAlways,
                        kPower,
                        kModulation,
                        kSquelch,
                        {kCmdSaveArchive, kCmdDisplayTuning, kCmdProgramSerialNo, kCmdReset,
                         kCmdFwVersion}})},
        StateCase{"TheReportOpen",
                  withChange(afterRead(),
                             [](auto& s) {
                                 s.currentScreenId = 100;
                                 s.reportAllowed = false;
                                 s.reportViewActive = true;
                                 s.recentFilesPresent = true;
                             }),
                  join({kAlways,
                        kPower,
                        kModulation,
                        kSquelch,
                        {kCmdSaveArchive, kCmdPrint, kCmdPrintPreview, kCmdRecentFile,
                         kCmdProgramSerialNo, kCmdReset, kCmdFwVersion}})}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ScreenCommands, EveryScreenCommandHasItsFrame) {
    const std::map<int, int> expectedIds{{kCmdTxHighPower, 2},
                                         {kCmdTxLowPower, 3},
                                         {kCmdTxModulation125, 4},
                                         {kCmdTxModulation20, 5},
                                         {kCmdTxModulation25, 6},
                                         {kCmdRxSquelchNbandNormal, 7},
                                         {kCmdRxSquelchNbandTight, 8},
                                         {kCmdRxSquelchSbandNormal, 9},
                                         {kCmdRxSquelchSbandTight, 10},
                                         {kCmdRadioSetup, 12},
                                         {kCmdProgramSerialNo, 15},
                                         {kCmdRxSquelch20KbandNormal, 16},
                                         {kCmdRxSquelch20KbandTight, 17},
                                         {kCmdTxKtd125, 18},
                                         {kCmdTxKtd20, 19},
                                         {kCmdTxKtd25, 20}};
    for (const auto& [command, id] : expectedIds) {
        const auto* screen = screenCommand(command);
        ASSERT_NE(screen, nullptr) << command;
        EXPECT_EQ(screen->screenId, id);
    }
    EXPECT_EQ(screenCommand(kCmdReadRadio), nullptr);
}

} // namespace
} // namespace kavrin::shell
