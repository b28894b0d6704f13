// Automatic alignment over several screens, and its snapshot in the history.
#include "data/autotune_run.h"

#include "data/application_core.h"
#include "data/radio_history.h"
#include "data/report.h"
#include "link/port_lock.h"

namespace kavrin {

std::array<std::string, kResultColumns.size()> resultCells(const pointResult& result) {
    const bool supported = result.verdict != pointVerdict::Unsupported;
    const auto number = [](double value) { return decimalText(value, 3); };
    std::array<std::string, kResultColumns.size()> cells;
    cells[0] = std::string(result.type->title);
    cells[1] = "F" + std::to_string(result.point + 1);
    if (supported) {
        cells[2] = decimalText(result.megahertz, 6);
    }
    if (result.limits) {
        cells[3] = number(result.limits->target);
        cells[4] = number(result.limits->min);
        cells[5] = number(result.limits->max);
    }
    cells[6] = readingUnitName(*result.type);
    if (result.measured) {
        cells[7] = number(*result.measured);
    }
    if (supported) {
        cells[8] = std::to_string(result.oldSoftpot);
        cells[9] = std::to_string(result.newSoftpot);
    }
    cells[kResultColumn] = verdictText(result.verdict);
    return cells;
}

autotuneRun alignScreens(autoAligner& aligner, const std::vector<const AlignmentTypeInfo*>& types) {
    autotuneRun run;
    // One run is one flow: no other program reaches the radio between its screens.
    const flowPortLock lock;
    for (const auto* type : types) {
        auto screen = aligner.alignScreen(*type);
        run.results.insert(run.results.end(), screen.points.begin(), screen.points.end());
        if (screen.stop != autoAligner::Stop::Finished) {
            run.stop = screen.stop;
            run.failure = screen.failure;
            break;
        }
    }
    return run;
}

void recordAutotune(applicationCore& core, const radioRecord& before,
                    const std::vector<pointResult>& results, autoAligner::Stop stop) {
    radioChange change;
    change.operation = kOperationAutotune;
    change.outcome = stop == autoAligner::Stop::Finished ? kOutcomeSucceeded
                     : stop == autoAligner::Stop::Failed ? kOutcomeFailed
                                                         : kOutcomeCancelled;
    change.before = before;
    change.after = core.record();
    change.detail = resultsCsv(results);
    core.history().radioChanged(core.record(), change);
}

} // namespace kavrin
