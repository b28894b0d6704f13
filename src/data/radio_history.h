// What the flows tell the history of radios: a radio's values after every read, and before and
// after every change made to it. Recording is the history's own business: it never fails the
// radio work, never adds a request to it and waits only within its own bound.
#pragma once

#include "data/radio_record.h"

#include <string>

namespace kavrin {

// Operations and outcomes as the history stores them.
inline constexpr const char* kOperationRead = "read";
inline constexpr const char* kOperationProgramAll = "program-all";
inline constexpr const char* kOperationScreenProgram = "screen-program";
inline constexpr const char* kOperationSerialNumber = "serial-number";
inline constexpr const char* kOperationAutotune = "autotune";
inline constexpr const char* kOutcomeSucceeded = "succeeded";
inline constexpr const char* kOutcomeFailed = "failed";
inline constexpr const char* kOutcomeCancelled = "cancelled";

// A change made to a radio, as far as the radio confirmed it.
struct radioChange {
    const char* operation = kOperationProgramAll;
    const char* outcome = kOutcomeSucceeded;
    radioRecord before; // what the radio held before the change
    radioRecord after;  // what the radio was last confirmed to hold
    std::string detail; // for people: what was changed, how far it got
};

class IRadioHistory {
public:
    virtual ~IRadioHistory() = default;
    // The record holds what the radio holds, just read.
    virtual void radioRead(const radioRecord& record) = 0;
    // The flow that made the change is over; record is the application's record as it is now.
    virtual void radioChanged(const radioRecord& record, const radioChange& change) = 0;
};

class NoRadioHistory final : public IRadioHistory {
public:
    void radioRead(const radioRecord&) override {}
    void radioChanged(const radioRecord&, const radioChange&) override {}
};

} // namespace kavrin
