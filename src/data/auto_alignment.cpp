// Automatic alignment: the softpot search and one screen's run through its session.
#include "data/auto_alignment.h"

#include "data/application_core.h"
#include "data/radio_record.h"
#include "data/report.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kavrin {

namespace {

constexpr int kMaxSoftpotValue = static_cast<int>(kMaxSoftpot);
// The second reading is taken this many steps from the first.
constexpr int kFirstStride = 8;

int clampSoftpot(int softpot) {
    return std::clamp(softpot, 0, kMaxSoftpotValue);
}

// A squelch search from a guess steps out this far before it halves what is left.
constexpr int kGallopLongest = 4;

// With a noisy instrument: how many readings of a softpot make its mean.
constexpr std::size_t kNoisySamples = 4;
// The readings within this many steps of the answer make its fitted line.
constexpr int kFitReach = 8;

struct line {
    double slope = 0.0;
    double intercept = 0.0;
};

// The least-squares line through (softpot, shaped reading) points; none where they do not tell
// a slope.
std::optional<line> leastSquares(const std::vector<std::pair<int, double>>& points) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto& [softpot, y] : points) {
        const double x = softpot;
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double spread = n * sxx - sx * sx;
    if (n < 2 || spread <= 0) {
        return std::nullopt;
    }
    const double slope = (n * sxy - sx * sy) / spread;
    return line{slope, (sy - slope * sx) / n};
}

// Asked between two readings when the technician stopped the run.
struct runCancelled {};

// A session action that did not go through; the session has told the technician why.
struct radioActionFailed {
    std::string what;
};

// Answers the session's own confirmation of Program with OK: the technician answered
// "Program Radio?" for the whole run. Everything else goes to the technician as usual.
class confirmedPrograms final : public IUserMessages {
public:
    explicit confirmedPrograms(IUserMessages& messages) : messages_(messages) {}
    void showMessage(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages_.showMessage(text, title, icon);
    }
    Answer ask(const std::string&, const std::string&, MessageIcon) override { return Answer::Ok; }

private:
    IUserMessages& messages_;
};

} // namespace

const char* verdictText(pointVerdict verdict) {
    switch (verdict) {
    case pointVerdict::Pass:
        return "PASS";
    case pointVerdict::Fail:
        return "FAIL";
    case pointVerdict::Unsupported:
        break;
    }
    return "UNSUPPORTED";
}

std::string resultsCsv(const std::vector<pointResult>& results) {
    std::string csv = std::string(kResultsCsvHeader) + "\n";
    for (const auto& result : results) {
        const bool supported = result.verdict != pointVerdict::Unsupported;
        const auto number = [](double value) { return decimalText(value, 3); };
        csv += std::string(result.type->cliName) + ",F" + std::to_string(result.point + 1) + ",";
        csv += (supported ? decimalText(result.megahertz, 6) : std::string()) + ",";
        for (const double limit :
             {result.limits ? result.limits->target : 0.0, result.limits ? result.limits->min : 0.0,
              result.limits ? result.limits->max : 0.0}) {
            csv += (result.limits ? number(limit) : std::string()) + ",";
        }
        csv += std::string(readingUnitName(*result.type)) + ",";
        csv += (result.measured ? number(*result.measured) : std::string()) + ",";
        csv += supported ? std::to_string(result.oldSoftpot) + "," +
                               std::to_string(result.newSoftpot) + ","
                         : std::string(",,");
        csv += std::string(verdictText(result.verdict)) + "\n";
    }
    return csv;
}

softpotSearch searchSoftpot(int start, double target, std::size_t maxMeasurements,
                            const std::function<double(int)>& measure,
                            std::optional<double> slopeHint, bool logarithmic) {
    std::map<int, double> readings;
    const auto distance = [target](double reading) { return std::abs(reading - target); };
    // Lines are drawn through this of the readings: their logarithm, where the reading grows by a
    // factor per step, as a transmitter's power and deviation do.
    const auto shape = [logarithmic](double reading) {
        return logarithmic ? std::log(std::max(reading, 1e-9)) : reading;
    };
    int last = 0;
    std::size_t taken = 0;
    const auto take = [&](int softpot) {
        readings.emplace(softpot, measure(softpot));
        last = softpot;
        ++taken;
    };
    // The closest reading so far; the map's order makes the lower softpot win a tie.
    const auto best = [&] {
        return *std::min_element(readings.begin(), readings.end(), [&](auto a, auto b) {
            return distance(a.second) < distance(b.second);
        });
    };
    const auto full = [&] { return taken >= maxMeasurements; };

    const int first = clampSoftpot(start);
    take(first);
    if (!full()) {
        // The previous point's slope puts the second reading near the target at once; without
        // one, a few steps away gives the line its second point.
        int second =
            first + kFirstStride <= kMaxSoftpotValue ? first + kFirstStride : first - kFirstStride;
        if (slopeHint && std::abs(*slopeHint) > 1e-9) {
            const int guess = clampSoftpot(static_cast<int>(
                std::lround(first + (shape(target) - shape(readings[first])) / *slopeHint)));
            if (guess != first) {
                second = guess;
            }
        }
        take(second);
    }
    int edgeInARow = 0;
    while (!full()) {
        // The narrowest pair of neighbouring softpots whose readings lie on both sides of the
        // target: the answer is inside it.
        std::optional<std::pair<int, int>> bracket;
        for (auto it = readings.begin(); std::next(it) != readings.end(); ++it) {
            const auto next = std::next(it);
            if ((it->second - target) * (next->second - target) <= 0 &&
                (!bracket || next->first - it->first < bracket->second - bracket->first)) {
                bracket = std::pair{it->first, next->first};
            }
        }
        if (bracket && bracket->second - bracket->first <= 1) {
            break;
        }
        // A line through the two readings closest to the target.
        std::vector<std::pair<int, double>> closest(readings.begin(), readings.end());
        std::sort(closest.begin(), closest.end(),
                  [&](auto a, auto b) { return distance(a.second) < distance(b.second); });
        const auto [p, rp] = closest[0];
        const auto [q, rq] = closest[1];
        std::optional<int> next;
        if (shape(rp) != shape(rq)) {
            next = clampSoftpot(static_cast<int>(
                std::lround(p + (shape(target) - shape(rp)) * static_cast<double>(q - p) /
                                    (shape(rq) - shape(rp)))));
        }
        if (bracket) {
            // A line that ends on or past the bracket's edge points at the softpot just inside
            // it; where that happens twice running the fit is poor and the bracket is halved.
            if (next && *next > bracket->first && *next < bracket->second) {
                edgeInARow = 0;
            } else if (next && edgeInARow == 0) {
                ++edgeInARow;
                next = std::clamp(*next, bracket->first + 1, bracket->second - 1);
            } else {
                edgeInARow = 0;
                next = (bracket->first + bracket->second) / 2;
            }
        } else {
            // Not yet around the target: the line through the two closest readings is followed
            // while it leads the way all the readings rise or fall (a noisy pair can point
            // backwards); else a few steps further that way.
            std::vector<std::pair<int, double>> shaped;
            for (const auto& [softpot, reading] : readings) {
                shaped.emplace_back(softpot, shape(reading));
            }
            const auto trend = leastSquares(shaped);
            const bool rising = trend ? trend->slope > 0 : (rq > rp) == (q > p);
            const bool upwards = (rp < target) == rising;
            if (!next || readings.count(*next) != 0 || (*next > p) != upwards) {
                next = clampSoftpot(upwards ? readings.rbegin()->first + kFirstStride
                                            : readings.begin()->first - kFirstStride);
            }
        }
        if (readings.count(*next) != 0) {
            break;
        }
        take(*next);
    }
    // Single steps from the best towards the target while they bring the reading closer.
    int softpot = best().first;
    double reading = best().second;
    while (!full()) {
        std::vector<std::pair<int, double>> closest(readings.begin(), readings.end());
        std::sort(closest.begin(), closest.end(),
                  [&](auto a, auto b) { return distance(a.second) < distance(b.second); });
        const bool rising =
            (closest[1].second > closest[0].second) == (closest[1].first > closest[0].first);
        const int neighbour = softpot + ((reading < target) == rising ? 1 : -1);
        if (neighbour < 0 || neighbour > kMaxSoftpotValue || readings.count(neighbour) != 0) {
            break;
        }
        take(neighbour);
        if (distance(readings[neighbour]) >= distance(reading)) {
            break;
        }
        softpot = neighbour;
        reading = readings[neighbour];
    }
    // The slope near the answer, for the next point's first guess.
    std::vector<std::pair<int, double>> nearest(readings.begin(), readings.end());
    std::sort(nearest.begin(), nearest.end(),
              [&](auto a, auto b) { return distance(a.second) < distance(b.second); });
    std::optional<double> slope;
    if (nearest[1].first != nearest[0].first) {
        slope = (shape(nearest[1].second) - shape(nearest[0].second)) /
                (nearest[1].first - nearest[0].first);
    }
    int chosen = best().first;
    reading = best().second;
    if (full()) {
        return {chosen, reading, taken, last, slope};
    }
    // Verified: the chosen softpot goes out live last and is measured again there. A reading
    // that differs from the first tells a noisy instrument, where the closest single reading may
    // be luck: then a line fitted through the readings near it may point at a neighbour, and
    // the two are told apart by the mean of a few readings each.
    std::map<int, std::vector<double>> samples;
    for (const auto& [s, r] : readings) {
        samples[s].push_back(r);
    }
    const auto sample = [&](int at) {
        samples[at].push_back(measure(at));
        last = at;
        ++taken;
    };
    sample(chosen);
    if (samples[chosen].back() == reading) {
        return {chosen, reading, taken, last, slope};
    }
    const auto mean = [&](int at) {
        const auto& values = samples[at];
        double sum = 0.0;
        for (const double value : values) {
            sum += value;
        }
        return sum / static_cast<double>(values.size());
    };
    std::vector<int> candidates{chosen};
    // The readings near the chosen softpot draw its line.
    std::vector<std::pair<int, double>> near;
    for (const auto& [at, values] : samples) {
        if (std::abs(at - chosen) <= kFitReach) {
            for (const double value : values) {
                near.emplace_back(at, shape(value));
            }
        }
    }
    if (const auto fit = leastSquares(near); fit && std::abs(fit->slope) > 1e-12) {
        const int fitted = clampSoftpot(
            static_cast<int>(std::lround((shape(target) - fit->intercept) / fit->slope)));
        // Beyond the readings that drew it the line is a guess: no further than they reach.
        const int within = std::clamp(fitted, chosen - kFitReach, chosen + kFitReach);
        if (within != chosen) {
            candidates.push_back(within);
        }
    }
    while (!full()) {
        const auto fewest =
            std::min_element(candidates.begin(), candidates.end(),
                             [&](int a, int b) { return samples[a].size() < samples[b].size(); });
        if (samples[*fewest].size() >= kNoisySamples) {
            break;
        }
        sample(*fewest);
    }
    // A neighbour the readings ran out before is no answer.
    std::erase_if(candidates, [&](int at) { return samples[at].empty(); });
    std::sort(candidates.begin(), candidates.end());
    chosen = *std::min_element(candidates.begin(), candidates.end(),
                               [&](int a, int b) { return distance(mean(a)) < distance(mean(b)); });
    return {chosen, mean(chosen), taken, last, slope};
}

squelchSearch searchSquelch(const pointLimits& limits, std::size_t maxMeasurements,
                            std::optional<int>& closingDirection,
                            const std::function<bool(int, double)>& opensAt,
                            std::optional<int> guess) {
    const double target = limits.target;
    std::map<int, bool> atTarget; // softpot -> opened with the generator at the target
    int last = 0;
    const auto opens = [&](int softpot, double level) {
        last = softpot;
        return opensAt(softpot, level);
    };
    const auto probe = [&](int softpot) {
        const auto it = atTarget.find(softpot);
        if (it != atTarget.end()) {
            return it->second;
        }
        return atTarget[softpot] = opens(softpot, target);
    };
    const auto full = [&] { return atTarget.size() >= maxMeasurements; };
    const auto unreachable = [&](bool allOpen) {
        // Every softpot opens below the target, or none reaches it: the end nearest it is all
        // there is, and it is outside any window around the target.
        const int end = allOpen == (closingDirection.value_or(1) > 0) ? kMaxSoftpotValue : 0;
        return squelchSearch{
            end, allOpen ? limits.min - kSquelchResolution : limits.max + kSquelchResolution,
            atTarget.size(), last};
    };

    if (!closingDirection) {
        // Which way the squelch closes is the radio's, the same at every point: the ends of the
        // range show it once.
        const bool lowOpens = probe(0);
        const bool highOpens = probe(kMaxSoftpotValue);
        if (lowOpens == highOpens) {
            return unreachable(lowOpens);
        }
        closingDirection = lowOpens ? 1 : -1;
    }
    // The ends are probed only when the search reaches them, to tell a target out of reach.
    int closedSide = *closingDirection > 0 ? kMaxSoftpotValue : 0;
    int openSide = kMaxSoftpotValue - closedSide;
    if (guess && *guess > 0 && *guess < kMaxSoftpotValue) {
        // From the guess, steps of 1, 2 and 4 the way the squelch changes: where the guess is
        // near, the two softpots either side of the target are found at once.
        int at = *guess;
        const bool openAtGuess = probe(at);
        (openAtGuess ? openSide : closedSide) = at;
        const int towards = openAtGuess ? *closingDirection : -*closingDirection;
        for (int stride = 1; stride <= kGallopLongest && !full(); stride *= 2) {
            const int next = at + towards * stride;
            if (std::abs(next - openSide) >= std::abs(closedSide - openSide) ||
                std::abs(next - closedSide) >= std::abs(closedSide - openSide)) {
                break; // at or past the other side already known
            }
            const bool opened = probe(next);
            (opened ? openSide : closedSide) = next;
            if (opened != openAtGuess) {
                break;
            }
            at = next;
        }
    }
    // Halving what is left: without a curve to follow, nothing tells where in it the squelch
    // sits on the target.
    while (std::abs(closedSide - openSide) > 1 && !full()) {
        const int middle = (openSide + closedSide) / 2;
        (probe(middle) ? openSide : closedSide) = middle;
    }
    if (!probe(openSide)) {
        return unreachable(false);
    }
    if (probe(closedSide)) {
        return unreachable(true);
    }
    // Which of the two opens nearer the target: the open one opens at or below it, the closed
    // one above it. Each is asked whether it opens within an offset of the target, growing in
    // steps of kSquelchResolution; where both first do at the same offset, the offsets between
    // are halved until one is nearer, or the two are as good as level (the lower then wins).
    const auto openNear = [&](double offset) { return !opens(openSide, target - offset); };
    const auto closedNear = [&](double offset) { return opens(closedSide, target + offset); };
    const bool openIsLower = openSide < closedSide;
    const auto chosen = [&](bool takeOpen, double near, double far) {
        const double distance = (near + far) / 2;
        return squelchSearch{takeOpen ? openSide : closedSide,
                             takeOpen ? target - distance : target + distance, atTarget.size(),
                             last};
    };
    const double widest = std::max(target - limits.min, limits.max - target);
    for (double offset = kSquelchResolution; offset <= widest + kSquelchResolution;
         offset += kSquelchResolution) {
        const bool lowerNear = openIsLower ? openNear(offset) : closedNear(offset);
        const bool higherNear = openIsLower ? closedNear(offset) : openNear(offset);
        if (!lowerNear && !higherNear) {
            continue;
        }
        double far = offset - kSquelchResolution; // neither opens within it
        double near = offset;
        bool takeLower = lowerNear;
        if (lowerNear && higherNear) {
            while (near - far > kSquelchTie) {
                const double middle = (near + far) / 2;
                const bool lower = openIsLower ? openNear(middle) : closedNear(middle);
                const bool higher = openIsLower ? closedNear(middle) : openNear(middle);
                if (lower != higher) {
                    takeLower = lower;
                    far = middle;
                    break;
                }
                (lower ? near : far) = middle;
            }
        }
        return chosen(takeLower == openIsLower, near, far);
    }
    return {openSide, limits.min - kSquelchResolution, atTarget.size(), last};
}

autoAligner::autoAligner(applicationCore& core, IServiceMonitor& monitor,
                         const alignmentLimits& limits, SessionServices services, IPause& pause,
                         IAutoAlignReport& report, autoAlignSettings settings,
                         std::function<bool()> cancelRequested)
    : core_(core), monitor_(monitor), limits_(limits), services_(std::move(services)),
      pause_(pause), report_(report), settings_(settings),
      cancelRequested_(std::move(cancelRequested)) {}

autoAligner::ScreenRun autoAligner::alignScreen(const AlignmentTypeInfo& type) {
    ScreenRun run;
    confirmedPrograms messages(services_.messages);
    SessionServices sessionServices{messages, services_.cursor, services_.observer,
                                    services_.clock};
    const bool supported = core_.alignmentAvailable(type);
    if (!supported) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            if (type.middlePointOnly && i != kMiddlePoint) {
                continue;
            }
            pointResult result;
            result.type = &type;
            result.point = i;
            result.limits = limits_.of(type, i);
            run.points.push_back(result);
            report_.pointDone(result);
        }
        return run;
    }
    alignmentSession session(core_, type.type, sessionServices);
    if (session.open() != alignmentSession::Outcome::Done) {
        run.stop = Stop::Failed;
        run.failure = std::string(type.title) + ": the screen could not be opened";
        return run;
    }
    session.selectFirstPoint();
    const bool transmit = type.transmit();
    using clock = std::chrono::steady_clock;
    clock::time_point keyedAt{};

    const auto act = [](alignmentSession::Outcome outcome, const std::string& what) {
        if (outcome != alignmentSession::Outcome::Done) {
            throw radioActionFailed{what};
        }
    };
    const auto dekey = [&session] {
        if (session.keyed()) {
            session.pttToggle();
        }
    };

    bool generatorOn = false;
    // Of the last point: the points of one screen look alike.
    std::optional<double> slope;
    std::optional<int> previousBest;
    for (std::size_t i = 0; i < kSessionRowCount && run.stop == Stop::Finished; ++i) {
        const auto& row = session.row(i);
        if (!row.used) {
            continue;
        }
        pointResult result;
        result.type = &type;
        result.point = i;
        result.megahertz = row.mhz;
        result.limits = limits_.of(type, i);
        result.oldSoftpot = row.value;
        result.newSoftpot = row.value;
        result.verdict = pointVerdict::Fail;
        const std::string where = std::string(type.title) + " F" + std::to_string(i + 1);
        try {
            if (!result.limits) {
                throw radioActionFailed{where + ": no limits"};
            }
            const double target = result.limits->target;
            session.selectPoint(i);
            softpotSearch found;
            if (transmit) {
                monitor_.setAnalyzerFrequency(row.mhz);
                act(session.setValue(i, result.oldSoftpot), where + ": the point was not tuned");
                act(session.pttToggle(), where + ": the radio was not keyed");
                keyedAt = clock::now();
                const auto measure = [&, i](int softpot) {
                    if (cancelRequested_ && cancelRequested_()) {
                        throw runCancelled{};
                    }
                    // Never keyed past the limit: a reading that might end after it starts
                    // on a fresh key-up.
                    if (clock::now() - keyedAt + settings_.settle + settings_.readingAllowance >
                        settings_.keyedLimit) {
                        act(session.pttToggle(), where + ": the radio was not dekeyed");
                        act(session.pttToggle(), where + ": the radio was not keyed");
                        keyedAt = clock::now();
                    }
                    act(session.setValue(i, softpot),
                        where + ": softpot " + std::to_string(softpot) + " was not set");
                    pause_.pause(settings_.settle);
                    const double reading = type.family == AlignmentFamily::TxPower
                                               ? monitor_.measurePower()
                                               : monitor_.measureDeviation();
                    report_.reading(type, i, softpot, reading);
                    return reading;
                };
                // After the first point, the last point's answer is the better start: the points
                // of one screen lie close together.
                found = searchSoftpot(previousBest.value_or(result.oldSoftpot), target,
                                      settings_.maxMeasurements, measure, slope, true);
                slope = found.slope;
                previousBest = found.softpot;
                // The search ends with the chosen softpot live unless it ran out of readings.
                if (found.lastMeasured != found.softpot) {
                    act(session.setValue(i, found.softpot),
                        where + ": the best softpot was not set");
                }
            } else {
                monitor_.setGeneratorFrequency(row.mhz);
                // On for the whole screen: each point only moves its frequency.
                if (!generatorOn) {
                    monitor_.setGeneratorOn(true);
                    generatorOn = true;
                }
                // Each command only when its value changes: a reply costs the instrument's time.
                std::optional<int> liveSoftpot;
                std::optional<double> liveLevel;
                const auto opensAt = [&, i](int softpot, double level) {
                    if (cancelRequested_ && cancelRequested_()) {
                        throw runCancelled{};
                    }
                    if (liveSoftpot != softpot) {
                        act(session.setValue(i, softpot),
                            where + ": softpot " + std::to_string(softpot) + " was not set");
                        liveSoftpot = softpot;
                    }
                    if (liveLevel != level) {
                        monitor_.setGeneratorLevel(level);
                        liveLevel = level;
                    }
                    pause_.pause(settings_.settle);
                    const bool opened = monitor_.measureSinad() >= kSquelchOpenSinad;
                    report_.reading(type, i, softpot, opened ? level : level + kSquelchResolution);
                    return opened;
                };
                const auto squelch = searchSquelch(*result.limits, settings_.maxMeasurements,
                                                   closingDirection_, opensAt, previousBest);
                previousBest = squelch.softpot;
                if (liveSoftpot != squelch.softpot) {
                    act(session.setValue(i, squelch.softpot),
                        where + ": the best softpot was not set");
                }
                found = {squelch.softpot, squelch.openingLevel, squelch.measurements,
                         squelch.softpot, std::nullopt};
            }
            result.measurements = found.measurements;
            result.measured = found.reading;
            if (result.limits->contains(found.reading)) {
                result.verdict = pointVerdict::Pass;
                result.newSoftpot = found.softpot;
            }
            dekey();
        } catch (const runCancelled&) {
            dekey();
            run.stop = Stop::Cancelled;
            run.failure = "Automatic alignment cancelled";
        } catch (const radioActionFailed& failure) {
            dekey();
            run.stop = Stop::Failed;
            run.failure = failure.what;
        } catch (const instrumentFailure& failure) {
            dekey();
            run.stop = Stop::Failed;
            run.failure = where + ": " + failure.what();
        }
        if (run.stop != Stop::Finished) {
            break;
        }
        run.points.push_back(result);
        report_.pointDone(result);
    }
    dekey();
    if (generatorOn) {
        try {
            monitor_.setGeneratorOn(false);
        } catch (const instrumentFailure& failure) {
            // The generator left on harms nothing on the bench; a run that went well says so.
            if (run.stop == Stop::Finished) {
                run.stop = Stop::Failed;
                run.failure = std::string(type.title) + ": " + failure.what();
            }
        }
    }
    const bool anyPassed = std::any_of(run.points.begin(), run.points.end(), [](const auto& p) {
        return p.verdict == pointVerdict::Pass;
    });
    // A run that stopped programs nothing: only a whole screen's verified values go in.
    if (run.stop == Stop::Finished && anyPassed) {
        if (!programConfirmed_) {
            if (services_.messages.ask(kProgramQuestionText, kProgramQuestionTitle,
                                       MessageIcon::Information) != Answer::Ok) {
                run.stop = Stop::Cancelled;
                run.failure = "Program cancelled: nothing was programmed";
                return run;
            }
            programConfirmed_ = true;
        }
        for (const auto& point : run.points) {
            session.editWorkingText(point.point, std::to_string(point.newSoftpot));
        }
        if (session.program() != alignmentSession::Outcome::Done) {
            run.stop = Stop::Failed;
            run.failure = std::string(type.title) + ": Program failed";
        }
    }
    session.endTuning();
    return run;
}

} // namespace kavrin
