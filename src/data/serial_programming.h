// Programming the serial number of a blank radio: the radio check when the screen opens and the
// write itself, shared by the serial-number screen and `kavrin-cli set-serial`.
#pragma once

#include "data/application_core.h"

#include <string>

namespace kavrin {

inline constexpr const char* kSerialEntryLengthText = "Serial No. must be exactly 10 characters";
inline constexpr const char* kSerialEntryCharactersText =
    "Serial No. must belong to '0'-'9' or 'A'-'Z' characters";
inline constexpr const char* kSerialProgrammedText =
    "Serial No. has been successfully programmed !!";

// Over a normal-mode link: true when the radio's serial number is the record's (ten blanks for
// the blank radio this is for). A changed radio, a failed request and a link that cannot be
// opened each show their one message.
bool serialRadioCheck(applicationCore& core, IUserMessages& messages);

// Checks the entry, writes it with its area checksum, resets the radio and keeps the new number
// in the record. True when the radio has it.
bool programSerialNo(applicationCore& core, const std::string& entry, IUserMessages& messages,
                     IBusyCursor& cursor);

} // namespace kavrin
