// The alignment types: one row per type, and everything that differs between them derives from
// it — the record's cells and block offsets, the mapper's selection, the screen's form, keying
// and texts, its frame title, menu entry, command, help topic and command-line name. A new
// alignment type is one new enumerator and one new row.
#pragma once

#include "data/command_ids.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kavrin {

// The three groups of frequency points; each point cell holds an offset in MHz from the band's
// base, or 0 when the radio does not use the point.
enum class PointGroup { TxPower, TxModulation, Receive };

enum class AlignmentFamily { TxPower, TxModulation, RxSquelch };
inline constexpr std::size_t kFamilyCount = 3;

enum class AlignmentType {
    TxHighPower,
    TxLowPower,
    TxModulation125KHz,
    TxModulation20KHz,
    TxModulation25KHz,
    TxKtd125KHz,
    TxKtd20KHz,
    TxKtd25KHz,
    RxSquelchNbandNormal,
    RxSquelchNbandTight,
    RxSquelchSbandNormal,
    RxSquelchSbandTight,
    RxSquelch20KbandNormal,
    RxSquelch20KbandTight,
};
inline constexpr std::size_t kAlignmentTypeCount = 14;

// The transmit form has PTT Toggle; the receive form has only Program, further left.
enum class ScreenForm { Transmit, Receive };
// How PTT Toggle (and the dekey of a moved point or of Program) reaches the radio.
enum class KeyRequests { None, Plain, Signalling };
// The Alignment menu's submenus, in menu order.
enum class AlignmentSubmenu { TxPower, TxModulation, Signaling, RxSquelch };

// What Program says of a working value above 63 and of an empty working edit.
struct ProgramTexts {
    std::string_view illegal;
    std::string_view empty;
};

inline constexpr ProgramTexts kHighPowerTexts{
    "Program softpots aborted for Transmit High Power !! Illegal softpot value",
    "Please enter a valid Transmit High Power softpot value!!"};
inline constexpr ProgramTexts kLowPowerTexts{
    "Program softpots aborted for Transmit Low Power !! Illegal softpot value",
    "Please enter a valid Transmit Low Power softpot value!!"};
inline constexpr ProgramTexts kModulationTexts{
    "Program softpots aborted for Tx Modulation !! Illegal softpot value",
    "Please enter a valid Tx Modulation softpot value!!"};
inline constexpr ProgramTexts kKtdTexts{
    "Program softpots aborted for Tx KTD Modulation!! Illegal softpot value",
    "Please enter a valid Tx KTD Modulation softpot value!!"};
inline constexpr ProgramTexts kSquelchTexts{
    "Program softpots aborted for Rx Squelch !! Illegal softpot value",
    "Please enter a valid Rx Squelch softpot value!!"};

inline constexpr std::string_view kTxPowerTopic = "Menu_Selections/Alignment_Options/TX_Power.htm";
inline constexpr std::string_view kTxModulationTopic =
    "Menu_Selections/Alignment_Options/TX_Modulation.htm";
inline constexpr std::string_view kSignalingTopic =
    "Menu_Selections/Alignment_Options/TX_Signaling_System.htm";
inline constexpr std::string_view kRxSquelchTopic =
    "Menu_Selections/Alignment_Options/RX_Squelch.htm";

// A frame's rectangle in the main window's MDI area.
struct FrameRect {
    int left, top, right, bottom;
};
inline constexpr FrameRect kAlignmentFrame{30, 30, 846, 430};

struct AlignmentTypeInfo {
    AlignmentType type;
    std::string_view cliName;
    std::string_view className;
    std::string_view title; // the screen frame's title
    AlignmentSubmenu submenu;
    std::string_view menuText;
    int menuCommand;
    int screenId;
    std::string_view helpTopic;
    AlignmentFamily family;
    std::size_t softpotRow;
    std::size_t firstSoftpotColumn; // F1, or the one cell of a KTD type
    PointGroup points;
    bool middlePointOnly;    // the KTD types have only F3
    std::size_t firstOffset; // block offset at F1 (at F3 for a KTD type)
    std::size_t offsetStep;  // block offset distance between points
    int selection;           // Tx power level, Tx modulation kind or Rx squelch level
    int bandwidth;           // Rx squelch bandwidth 1-3; 0 elsewhere
    ScreenForm form;
    KeyRequests keying;
    bool signallingTest; // started on opening, stopped on closing
    ProgramTexts texts;

    constexpr bool transmit() const { return form == ScreenForm::Transmit; }
};

// One row per alignment type, in the order of the AlignmentType enumeration.
// clang-format off
// Each row: type; command-line name, class name, frame title; menu placement and command, screen
// id; help topic, family, softpot row and first column, point group, F3 only, block offset and
// step, selection, bandwidth; form, keying, signalling test, Program's texts.
inline constexpr std::array<AlignmentTypeInfo, kAlignmentTypeCount> kAlignmentTypes{{
    {AlignmentType::TxHighPower,
        "tx-high-power", "CTxHighPower", "Tx High Power",
        AlignmentSubmenu::TxPower, "&High", kCmdTxHighPower, 2,
        kTxPowerTopic, AlignmentFamily::TxPower, 1, 0, PointGroup::TxPower, false, 22, 2, 1, 0,
        ScreenForm::Transmit, KeyRequests::Plain, false, kHighPowerTexts},
    {AlignmentType::TxLowPower,
        "tx-low-power", "CTxLowPower", "Tx Low Power",
        AlignmentSubmenu::TxPower, "&Low", kCmdTxLowPower, 3,
        kTxPowerTopic, AlignmentFamily::TxPower, 1, 5, PointGroup::TxPower, false, 23, 2, 2, 0,
        ScreenForm::Transmit, KeyRequests::Plain, false, kLowPowerTexts},
    {AlignmentType::TxModulation125KHz,
        "tx-mod-12.5", "CTxModulation125KHz", "Tx Modulation 12.5KHz",
        AlignmentSubmenu::TxModulation, "Mo&d. 12.5KHz", kCmdTxModulation125, 4,
        kTxModulationTopic, AlignmentFamily::TxModulation, 2, 0, PointGroup::TxModulation, false, 2, 4, 1, 0,
        ScreenForm::Transmit, KeyRequests::Plain, false, kModulationTexts},
    {AlignmentType::TxModulation20KHz,
        "tx-mod-20", "CTxModulation20KHz", "Tx Modulation 20KHz",
        AlignmentSubmenu::TxModulation, "Mod. 20&KHz", kCmdTxModulation20, 5,
        kTxModulationTopic, AlignmentFamily::TxModulation, 2, 5, PointGroup::TxModulation, false, 4, 4, 2, 0,
        ScreenForm::Transmit, KeyRequests::Plain, false, kModulationTexts},
    {AlignmentType::TxModulation25KHz,
        "tx-mod-25", "CTxModulation25KHz", "Tx Modulation 25KHz",
        AlignmentSubmenu::TxModulation, "M&od. 25KHz", kCmdTxModulation25, 6,
        kTxModulationTopic, AlignmentFamily::TxModulation, 2, 10, PointGroup::TxModulation, false, 3, 4, 3, 0,
        ScreenForm::Transmit, KeyRequests::Plain, false, kModulationTexts},
    {AlignmentType::TxKtd125KHz,
        "ktd-12.5", "CTxKtd125KHz", "Tx KTD Signaling System Modulation 12.5KHz",
        AlignmentSubmenu::Signaling, "K&TD 12.5KHz", kCmdTxKtd125, 18,
        kSignalingTopic, AlignmentFamily::TxModulation, 2, 15, PointGroup::TxModulation, true, 62, 0, 4, 0,
        ScreenForm::Transmit, KeyRequests::Signalling, true, kKtdTexts},
    {AlignmentType::TxKtd20KHz,
        "ktd-20", "CTxKtd20KHz", "Tx KTD Signaling System Modulation 20KHz",
        AlignmentSubmenu::Signaling, "KTD 20&KHz", kCmdTxKtd20, 19,
        kSignalingTopic, AlignmentFamily::TxModulation, 2, 17, PointGroup::TxModulation, true, 64, 0, 6, 0,
        ScreenForm::Transmit, KeyRequests::Signalling, true, kKtdTexts},
    {AlignmentType::TxKtd25KHz,
        "ktd-25", "CTxKtd25KHz", "Tx KTD Signaling System Modulation 25KHz",
        AlignmentSubmenu::Signaling, "KT&D 25KHz", kCmdTxKtd25, 20,
        kSignalingTopic, AlignmentFamily::TxModulation, 2, 16, PointGroup::TxModulation, true, 63, 0, 5, 0,
        ScreenForm::Transmit, KeyRequests::Signalling, true, kKtdTexts},
    {AlignmentType::RxSquelchNbandNormal,
        "squelch-12.5-normal", "CRxSquelchNbandNormal", "Rx Squelch 12.5KHz-band Normal",
        AlignmentSubmenu::RxSquelch, "Squelch 12.5KHz-band &Normal", kCmdRxSquelchNbandNormal, 7,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 0, PointGroup::Receive, false, 32, 2, 1, 1,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
    {AlignmentType::RxSquelchNbandTight,
        "squelch-12.5-tight", "CRxSquelchNbandTight", "Rx Squelch 12.5KHz-band Tight",
        AlignmentSubmenu::RxSquelch, "Squelch 12.5KHz-band &Tight", kCmdRxSquelchNbandTight, 8,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 5, PointGroup::Receive, false, 33, 2, 2, 1,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
    {AlignmentType::RxSquelchSbandNormal,
        "squelch-25-normal", "CRxSquelchSbandNormal", "Rx Squelch 25KHz-band Normal",
        AlignmentSubmenu::RxSquelch, "Squelch 25KHz-&band Normal", kCmdRxSquelchSbandNormal, 9,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 10, PointGroup::Receive, false, 42, 2, 1, 2,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
    {AlignmentType::RxSquelchSbandTight,
        "squelch-25-tight", "CRxSquelchSbandTight", "Rx Squelch 25KHz-band Tight",
        AlignmentSubmenu::RxSquelch, "Squelch 25KHz-b&and Tight", kCmdRxSquelchSbandTight, 10,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 15, PointGroup::Receive, false, 43, 2, 2, 2,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
    {AlignmentType::RxSquelch20KbandNormal,
        "squelch-20-normal", "CRxSquelch20KbandNormal", "Rx Squelch 20KHz-band Normal",
        AlignmentSubmenu::RxSquelch, "Squelch 20&KHz-band Normal", kCmdRxSquelch20KbandNormal, 16,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 20, PointGroup::Receive, false, 52, 2, 1, 3,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
    {AlignmentType::RxSquelch20KbandTight,
        "squelch-20-tight", "CRxSquelch20KbandTight", "Rx Squelch 20KHz-band Tight",
        AlignmentSubmenu::RxSquelch, "Squelch 20K&Hz-band Tight", kCmdRxSquelch20KbandTight, 17,
        kRxSquelchTopic, AlignmentFamily::RxSquelch, 3, 25, PointGroup::Receive, false, 53, 2, 2, 3,
        ScreenForm::Receive, KeyRequests::None, false, kSquelchTexts},
}};
// clang-format on

// The table is in the order of the enumeration, so a type's row is found by its value.
constexpr bool tableFollowsTypes() {
    for (std::size_t i = 0; i < kAlignmentTypes.size(); ++i) {
        if (static_cast<std::size_t>(kAlignmentTypes[i].type) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsTypes());

constexpr const AlignmentTypeInfo& alignmentType(AlignmentType type) {
    return kAlignmentTypes[static_cast<std::size_t>(type)];
}

// The type whose screen a menu command, a screen id or a command-line name opens.
constexpr const AlignmentTypeInfo* typeOfCommand(int command) {
    for (const auto& info : kAlignmentTypes) {
        if (info.menuCommand == command) {
            return &info;
        }
    }
    return nullptr;
}
constexpr const AlignmentTypeInfo* typeOfScreen(int screenId) {
    for (const auto& info : kAlignmentTypes) {
        if (info.screenId == screenId) {
            return &info;
        }
    }
    return nullptr;
}
constexpr const AlignmentTypeInfo* typeOfCliName(std::string_view name) {
    for (const auto& info : kAlignmentTypes) {
        if (info.cliName == name) {
            return &info;
        }
    }
    return nullptr;
}

// Whether a radio's data lets a type's screen open: its family supported, some of its points in
// use, and for the middle-point types the extended layout, whose block alone keeps their
// softpots.
constexpr bool alignmentAvailable(const AlignmentTypeInfo& type, bool familySupported,
                                  bool pointsPresent, std::int32_t codeplugLayout) {
    return familySupported && pointsPresent && (!type.middlePointOnly || codeplugLayout == 1);
}

// The block offset of a type's softpot at point i.
constexpr std::size_t blockOffset(const AlignmentTypeInfo& info, std::size_t point) {
    return info.middlePointOnly ? info.firstOffset : info.firstOffset + info.offsetStep * point;
}

} // namespace kavrin
