// A run of automatic alignment over several screens and what it leaves in the history: shared by
// kavrin-cli autotune and the application's Auto Tune and Auto Align All, so that both align the
// screens in the same order, stop at the same point and record the same snapshot.
#pragma once

#include "data/auto_alignment.h"

#include <array>
#include <string>
#include <vector>

namespace kavrin {

class applicationCore;

struct autotuneRun {
    autoAligner::Stop stop = autoAligner::Stop::Finished;
    std::vector<pointResult> results; // every point of every screen reached, in table order
    std::string failure;              // why the run stopped early, for the technician
};

// The results as a table for people: the columns, and a point's cells in their order; what a
// point does not have is left empty, as in the CSV.
inline constexpr std::array<const char*, 11> kResultColumns{
    "Screen", "Point", "MHz", "Target", "Min", "Max", "Unit", "Measured", "Old", "New", "Result"};
inline constexpr std::size_t kResultColumn = 10;
std::array<std::string, kResultColumns.size()> resultCells(const pointResult& result);

// Aligns the screens in the order given; the first screen that does not finish ends the run.
autotuneRun alignScreens(autoAligner& aligner, const std::vector<const AlignmentTypeInfo*>& types);

// Tells the history of the change: the record before the run, the record now, the outcome from
// how the run stopped and the results as CSV for its detail.
void recordAutotune(applicationCore& core, const radioRecord& before,
                    const std::vector<pointResult>& results, autoAligner::Stop stop);

} // namespace kavrin
