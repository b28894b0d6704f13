// Comparing the softpots of two records.
#include "data/record_compare.h"

namespace kavrin {

bool hasSoftpot(const radioRecord& record, const AlignmentTypeInfo& type, std::size_t point) {
    if (!record.isSupported(type.family) || record.getCell(pointCell(type.points, point)) == 0) {
        return false;
    }
    return !type.middlePointOnly || (point == kMiddlePoint && record.codeplugLayout() != 0);
}

std::vector<softpotDifference> softpotDifferences(const radioRecord& first,
                                                  const radioRecord& second) {
    std::vector<softpotDifference> differences;
    for (const auto& type : kAlignmentTypes) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            if (!hasSoftpot(first, type, i) && !hasSoftpot(second, type, i)) {
                continue;
            }
            const auto a = first.getCell(softpotCell(type, i));
            const auto b = second.getCell(softpotCell(type, i));
            if (a != b) {
                differences.push_back({type.type, i, a, b});
            }
        }
    }
    return differences;
}

} // namespace kavrin
