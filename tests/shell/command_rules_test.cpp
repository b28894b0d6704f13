// The enabling rule of every command in every state that matters, as one table; the alignment
// types' screens and menu items.
#include "shell/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string_view>
#include <vector>

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
    add(kAlignmentMenuTail);
    add(kUtilitiesMenu);
    add(kHelpMenu);
    return commands;
}

const std::set<int> kAlways{kCmdPrintSetup, kCmdExit,  kCmdRadioSetup,
                            kCmdUsingHelp,  kCmdAbout, kCmdHistory};
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

const std::set<int> kDataFile{kCmdLoadArchive, kCmdSaveArchive,   kCmdReadRadio,
                              kCmdProgramAll,  kCmdDisplayTuning, kCmdExportPdf};

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
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
        StateCase{"AfterAnExtendedRead", afterRead(1),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        kKtd,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
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
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
        StateCase{"TxPowerUnsupported",
                  withChange(afterRead(1), [](auto& s) { s.txPowerSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kModulation,
                        kKtd,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
        StateCase{"TxModulationUnsupported",
                  withChange(afterRead(1), [](auto& s) { s.txModulationSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kSquelch,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
        StateCase{"RxSquelchUnsupported",
                  withChange(afterRead(), [](auto& s) { s.rxSquelchSupported = false; }),
                  join({kAlways,
                        kDataFile,
                        kPower,
                        kModulation,
                        {kCmdProgramSerialNo, kCmdReset, kCmdFwVersion, kCmdAutoAlignAll}})},
        StateCase{"AScreenOpen", withChange(afterRead(), [](auto& s) { s.currentScreenId = 2; }),
                  join({kAlways,
                        kPower,
                        kModulation,
                        kSquelch,
                        {kCmdSaveArchive, kCmdDisplayTuning, kCmdExportPdf, kCmdProgramSerialNo,
                         kCmdReset, kCmdFwVersion}})},
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

// Each alignment type is one screen in the alignment frame and one item of its own submenu.
TEST(AlignmentTypes, EachTypeIsOneScreenAndOneMenuItem) {
    const std::map<AlignmentSubmenu, std::string_view> submenuTitles{
        {AlignmentSubmenu::TxPower, "Tx &Power"},
        {AlignmentSubmenu::TxModulation, "Tx &Modulation"},
        {AlignmentSubmenu::Signaling, "Tx Si&gnaling System"},
        {AlignmentSubmenu::RxSquelch, "Rx S&quelch"}};
    for (const auto& type : kAlignmentTypes) {
        SCOPED_TRACE(type.cliName);
        EXPECT_EQ(std::ranges::count(kScreenCommands, type.menuCommand, &ScreenCommand::command),
                  1);
        const auto* screen = screenCommand(type.menuCommand);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->screenId, type.screenId);
        EXPECT_EQ(screen->title, type.title);
        EXPECT_EQ((std::array{screen->left, screen->top, screen->right, screen->bottom}),
                  (std::array{kAlignmentFrame.left, kAlignmentFrame.top, kAlignmentFrame.right,
                              kAlignmentFrame.bottom}));

        std::vector<std::string_view> placements;
        for (const auto& submenu : kAlignmentMenu) {
            for (const auto& entry : submenu ? submenu->entries : std::span<const MenuEntry>{}) {
                if (entry.command == type.menuCommand) {
                    placements.push_back(submenu->title);
                    EXPECT_EQ(entry.text, type.menuText);
                }
            }
        }
        EXPECT_EQ(placements, std::vector{submenuTitles.at(type.submenu)});
    }
}

// An item whose access key another item of its submenu already has cannot be reached by it.
TEST(AlignmentTypes, AccessKeysDifferWithinEachSubmenu) {
    for (const auto& submenu : kAlignmentMenu) {
        if (!submenu) {
            continue;
        }
        std::set<char> keys;
        for (const auto& entry : submenu->entries) {
            const auto amp = entry.text.find('&');
            ASSERT_TRUE(amp != std::string_view::npos && amp + 1 < entry.text.size()) << entry.text;
            const auto key =
                static_cast<char>(std::tolower(static_cast<unsigned char>(entry.text[amp + 1])));
            EXPECT_TRUE(keys.insert(key).second) << submenu->title << ": " << entry.text;
        }
    }
}

} // namespace
} // namespace kavrin::shell
