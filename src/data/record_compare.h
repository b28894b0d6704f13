// The softpots in which two records of one radio differ: what a comparison of two snapshots
// shows and marks.
#pragma once

#include "data/radio_record.h"

#include <cstdint>
#include <vector>

namespace kavrin {

struct softpotDifference {
    AlignmentType type;
    std::size_t point; // 0-4 for F1-F5
    std::uint32_t first;
    std::uint32_t second;
};

// Every softpot that either record has (its family supported, its point in use, a KTD type in
// the extended layout only) and whose values differ, in table order, point by point.
std::vector<softpotDifference> softpotDifferences(const radioRecord& first,
                                                  const radioRecord& second);

// Whether the record has the softpot of a type at a point.
bool hasSoftpot(const radioRecord& record, const AlignmentTypeInfo& type, std::size_t point);

} // namespace kavrin
