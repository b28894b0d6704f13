// The table that makes the fourteen alignment screens one design: per screen its alignment type
// (cells, block offsets, screen id and mapper selection come from the type), its form, how it
// keys the radio, whether it runs the signalling test, and the texts of its Program checks.
#pragma once

#include "data/radio_record.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace kavrin::screens {

// The transmit form has PTT Toggle; the receive form has only Program, further left.
enum class ScreenForm { Transmit, Receive };
// How PTT Toggle (and the dekey of a moved point or of Program) reaches the radio.
enum class KeyRequests { None, Plain, Signalling };

struct ScreenEntry {
    std::string_view className;
    AlignmentType type;
    ScreenForm form;
    KeyRequests keying;
    bool signallingTest; // start on opening, stop on closing
    std::string_view messageWord;
    std::string_view illegalText; // a working value above 63 at Program
    std::string_view emptyText;   // an empty working edit at Program

    constexpr const AlignmentTypeInfo& info() const { return alignmentType(type); }
    constexpr bool transmit() const { return form == ScreenForm::Transmit; }
};

inline constexpr std::array<ScreenEntry, kAlignmentTypeCount> kScreenTable{{
    {"CTxHighPower", AlignmentType::TxHighPower, ScreenForm::Transmit, KeyRequests::Plain, false,
     "Transmit High Power",
     "Program softpots aborted for Transmit High Power !! Illegal softpot value",
     "Please enter a valid Transmit High Power softpot value!!"},
    {"CTxLowPower", AlignmentType::TxLowPower, ScreenForm::Transmit, KeyRequests::Plain, false,
     "Transmit Low Power",
     "Program softpots aborted for Transmit Low Power !! Illegal softpot value",
     "Please enter a valid Transmit Low Power softpot value!!"},
    {"CTxModulation125KHz", AlignmentType::TxModulation125KHz, ScreenForm::Transmit,
     KeyRequests::Plain, false, "Tx Modulation",
     "Program softpots aborted for Tx Modulation !! Illegal softpot value",
     "Please enter a valid Tx Modulation softpot value!!"},
    {"CTxModulation20KHz", AlignmentType::TxModulation20KHz, ScreenForm::Transmit,
     KeyRequests::Plain, false, "Tx Modulation",
     "Program softpots aborted for Tx Modulation !! Illegal softpot value",
     "Please enter a valid Tx Modulation softpot value!!"},
    {"CTxModulation25KHz", AlignmentType::TxModulation25KHz, ScreenForm::Transmit,
     KeyRequests::Plain, false, "Tx Modulation",
     "Program softpots aborted for Tx Modulation !! Illegal softpot value",
     "Please enter a valid Tx Modulation softpot value!!"},
    {"CTxKtd125KHz", AlignmentType::TxKtd125KHz, ScreenForm::Transmit, KeyRequests::Signalling,
     true, "Tx KTD Modulation",
     "Program softpots aborted for Tx KTD Modulation!! Illegal softpot value",
     "Please enter a valid Tx KTD Modulation softpot value!!"},
    {"CTxKtd20KHz", AlignmentType::TxKtd20KHz, ScreenForm::Transmit, KeyRequests::Signalling, true,
     "Tx KTD Modulation", "Program softpots aborted for Tx KTD Modulation!! Illegal softpot value",
     "Please enter a valid Tx KTD Modulation softpot value!!"},
    {"CTxKtd25KHz", AlignmentType::TxKtd25KHz, ScreenForm::Transmit, KeyRequests::Signalling, true,
     "Tx KTD Modulation", "Program softpots aborted for Tx KTD Modulation!! Illegal softpot value",
     "Please enter a valid Tx KTD Modulation softpot value!!"},
    {"CRxSquelchNbandNormal", AlignmentType::RxSquelchNbandNormal, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
    {"CRxSquelchNbandTight", AlignmentType::RxSquelchNbandTight, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
    {"CRxSquelchSbandNormal", AlignmentType::RxSquelchSbandNormal, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
    {"CRxSquelchSbandTight", AlignmentType::RxSquelchSbandTight, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
    {"CRxSquelch20KbandNormal", AlignmentType::RxSquelch20KbandNormal, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
    {"CRxSquelch20KbandTight", AlignmentType::RxSquelch20KbandTight, ScreenForm::Receive,
     KeyRequests::None, false, "Rx Squelch",
     "Program softpots aborted for Rx Squelch !! Illegal softpot value",
     "Please enter a valid Rx Squelch softpot value!!"},
}};

// The table is in the order of the alignment types, so a screen's row is its type's.
constexpr bool tableFollowsTypes() {
    for (std::size_t i = 0; i < kScreenTable.size(); ++i) {
        if (static_cast<std::size_t>(kScreenTable[i].type) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsTypes());

constexpr const ScreenEntry& screenSpec(AlignmentType type) {
    return kScreenTable[static_cast<std::size_t>(type)];
}

} // namespace kavrin::screens
