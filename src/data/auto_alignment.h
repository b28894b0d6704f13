// Automatic alignment of one screen with a service monitor: per point in use, tune it, measure at
// a few softpots, fit, set the best live, verify and refine, then Program the points that came
// within their limits through the screen's own session, as its Program button does. UI-free: it
// reports each reading and each point through IAutoAlignReport.
#pragma once

#include "data/alignment_limits.h"
#include "data/alignment_session.h"
#include "data/service_monitor.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kavrin {

inline constexpr std::size_t kMaxMeasurementsPerPoint = 12;
// The radio never transmits longer than this at a stretch.
inline constexpr std::chrono::seconds kKeyedLimit{30};
inline constexpr std::chrono::milliseconds kInstrumentSettle{500};
// A receiver whose SINAD reaches this has opened its squelch.
inline constexpr double kSquelchOpenSinad = 12.0;
// How finely a squelch's opening level is told, and how near two openings are a tie.
inline constexpr double kSquelchResolution = 0.25;
inline constexpr double kSquelchTie = 0.125;

enum class pointVerdict { Pass, Fail, Unsupported };
const char* verdictText(pointVerdict verdict);

struct pointResult {
    const AlignmentTypeInfo* type = nullptr;
    std::size_t point = 0; // 0-4 for F1-F5
    double megahertz = 0.0;
    std::optional<pointLimits> limits;
    std::optional<double> measured; // the chosen softpot's reading
    int oldSoftpot = 0;
    int newSoftpot = 0; // the old one unless the point passed
    pointVerdict verdict = pointVerdict::Unsupported;
    std::size_t measurements = 0;
};

// The results as CSV: the header line, then one line per point, LF-terminated. Numbers are
// written without the process locale; what a point does not have is left empty.
inline constexpr const char* kResultsCsvHeader =
    "screen,point,frequency_mhz,target,min,max,unit,measured,old_softpot,new_softpot,result";
std::string resultsCsv(const std::vector<pointResult>& results);

class IAutoAlignReport {
public:
    virtual ~IAutoAlignReport() = default;
    virtual void reading(const AlignmentTypeInfo& type, std::size_t point, int softpot,
                         double reading) = 0;
    virtual void pointDone(const pointResult& result) = 0;
};

// The softpot search on its own, over any reading function: a reading at the start, a second a
// few steps away, a line through them and the secant after it while the fit holds, bisection of
// the bracket where it does not, then single steps while they bring the reading closer. The
// chosen softpot is, of those measured, the one whose reading is closest to the target (the
// lower on a tie); it is measured again last. Where that second reading differs from its first
// the instrument is noisy, and the answer and a neighbour a fitted line points at are told apart
// by the means of a few readings. measure may throw; the search then ends with it.
struct softpotSearch {
    int softpot = 0;
    double reading = 0.0;
    std::size_t measurements = 0;
    int lastMeasured = 0;        // the softpot the radio was left at
    std::optional<double> slope; // reading per softpot step near the answer
};
// slopeHint, a like curve's slope, places the second reading; logarithmic draws the lines through
// the readings' logarithms (for readings that grow by a factor per step), and the slope it
// returns is then of the logarithm too.
softpotSearch searchSoftpot(int start, double target, std::size_t maxMeasurements,
                            const std::function<double(int)>& measure,
                            std::optional<double> slopeHint = std::nullopt,
                            bool logarithmic = false);

// A squelch's search, where each reading only tells whether the receiver opened: with the
// generator at the target level, the softpot where the squelch stops opening is found by halving
// the range, then which of the two softpots either side of it opens
// nearer the target, by opening each at the target plus and minus a growing offset. opensAt(s, L)
// sets softpot s and level L and tells whether the receiver opened. A measurement here is one
// softpot whose squelch was read; the reading is the opening level to kSquelchResolution.
struct squelchSearch {
    int softpot = 0;
    double openingLevel = 0.0;
    std::size_t measurements = 0;
    int lastMeasured = 0;
};
// closingDirection (+1: a higher softpot closes the squelch sooner, -1 the other way) is found
// at the first point when unknown and kept for the next. guess, the previous point's answer,
// is where the search starts; without one it halves the whole range.
squelchSearch searchSquelch(const pointLimits& limits, std::size_t maxMeasurements,
                            std::optional<int>& closingDirection,
                            const std::function<bool(int, double)>& opensAt,
                            std::optional<int> guess = std::nullopt);

// What a reading may take beyond its settle time: the instrument's own timeout and a margin.
inline constexpr std::chrono::milliseconds kReadingAllowance{4000};

struct autoAlignSettings {
    std::chrono::milliseconds settle = kInstrumentSettle;
    std::size_t maxMeasurements = kMaxMeasurementsPerPoint;
    std::chrono::milliseconds keyedLimit = kKeyedLimit;
    std::chrono::milliseconds readingAllowance = kReadingAllowance;
};

class autoAligner {
public:
    enum class Stop { Finished, Cancelled, Failed };
    struct ScreenRun {
        Stop stop = Stop::Finished;
        std::vector<pointResult> points;
        std::string failure; // why the run stopped, for the technician
    };

    // cancelRequested is asked before every measurement. Before its first Program the aligner
    // asks "Program Radio?" once; the session's own confirmation is answered by it.
    autoAligner(applicationCore& core, IServiceMonitor& monitor, const alignmentLimits& limits,
                SessionServices services, IPause& pause, IAutoAlignReport& report,
                autoAlignSettings settings = {}, std::function<bool()> cancelRequested = {});

    // Opens the type's session, aligns every point in use and Programs those that passed.
    ScreenRun alignScreen(const AlignmentTypeInfo& type);

private:
    applicationCore& core_;
    IServiceMonitor& monitor_;
    const alignmentLimits& limits_;
    SessionServices services_;
    IPause& pause_;
    IAutoAlignReport& report_;
    autoAlignSettings settings_;
    std::function<bool()> cancelRequested_;
    bool programConfirmed_ = false;
    std::optional<int> closingDirection_; // the radio's, learnt at its first squelch point
};

} // namespace kavrin
