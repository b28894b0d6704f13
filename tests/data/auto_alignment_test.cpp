// The parts of automatic alignment that need no instrument: the softpot search over curves of
// every shape it meets, and the limits files.
#include "data/alignment_limits.h"
#include "data/auto_alignment.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>

namespace kavrin {
namespace {

struct Curve {
    const char* name;
    std::function<double(int)> reading;
    double target;
    bool monotonic;
};

// The softpot a technician with all the time in the world would pick: the closest reading of
// all 64, the lower softpot on a tie.
int bestOfAll(const Curve& curve) {
    int best = 0;
    for (int s = 1; s <= 63; ++s) {
        if (std::abs(curve.reading(s) - curve.target) <
            std::abs(curve.reading(best) - curve.target)) {
            best = s;
        }
    }
    return best;
}

TEST(SoftpotSearch, FindsTheBestSoftpotOfEveryMonotonicCurveFromAnyStart) {
    const std::vector<Curve> curves{
        {"linear power", [](int s) { return 1.0 + 0.1 * s; }, 5.0, true},
        {"bent power", [](int s) { return 0.5 + 0.05 * s + 0.0015 * s * s; }, 5.0, true},
        {"falling opening level", [](int s) { return -100.0 - 0.4 * s; }, -118.0, true},
        {"saturating deviation", [](int s) { return 5.0 * std::tanh(s / 30.0); }, 2.3, true},
        {"between two steps", [](int s) { return 0.02 * s; }, 0.35, true},
        {"out of reach above", [](int s) { return 1.0 + 0.01 * s; }, 5.0, true},
        {"out of reach below", [](int s) { return 3.0 + 0.01 * s; }, 1.0, true},
        {"a bump", [](int s) { return 2.0 + 0.05 * s - (s > 20 && s < 26 ? 0.4 : 0.0); }, 3.0,
         false},
    };
    for (const auto& curve : curves) {
        for (const int start : {0, 31, 63}) {
            SCOPED_TRACE(std::string(curve.name) + " from " + std::to_string(start));
            std::vector<int> measured;
            const auto found =
                searchSoftpot(start, curve.target, kMaxMeasurementsPerPoint, [&](int s) {
                    measured.push_back(s);
                    return curve.reading(s);
                });
            EXPECT_LE(found.measurements, kMaxMeasurementsPerPoint);
            EXPECT_EQ(found.measurements, measured.size());
            // Only the answer is read twice: its verification, with it live at the end.
            EXPECT_GE(std::set<int>(measured.begin(), measured.end()).size() + 1, measured.size());
            if (found.measurements < kMaxMeasurementsPerPoint) {
                EXPECT_EQ(measured.back(), found.softpot);
                EXPECT_EQ(std::count(measured.begin(), measured.end(), found.softpot), 2);
            }
            EXPECT_DOUBLE_EQ(found.reading, curve.reading(found.softpot));
            if (curve.monotonic) {
                EXPECT_EQ(found.softpot, bestOfAll(curve));
            }
            // Whatever the curve, the answer is the best of what was measured.
            for (const int s : measured) {
                EXPECT_LE(std::abs(found.reading - curve.target),
                          std::abs(curve.reading(s) - curve.target));
            }
        }
    }
}

// An instrument whose readings scatter by 2 % around a curve whose steps are smaller than that:
// the closest single reading is luck, so the answer rests on a line through the readings and on
// the means of a few readings of the softpots it points at.
TEST(SoftpotSearch, ANoisyInstrumentIsAveraged) {
    const auto truth = [](int s) { return 4.0 * std::exp(0.015 * (s - 16)); }; // 5.0 W at 30.9
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(0.0, 0.02);
        std::vector<int> measured;
        const auto found = searchSoftpot(
            20, 5.0, kMaxMeasurementsPerPoint,
            [&](int s) {
                measured.push_back(s);
                return truth(s) * (1.0 + noise(random));
            },
            std::nullopt, true);
        EXPECT_LE(found.measurements, kMaxMeasurementsPerPoint);
        EXPECT_NEAR(found.softpot, 31, 2);
        EXPECT_EQ(found.lastMeasured, measured.back());
        // The reading given is the mean of several of the answer's.
        EXPECT_GT(std::count(measured.begin(), measured.end(), found.softpot), 1);
        EXPECT_NEAR(found.reading, truth(found.softpot), 0.2);
    }
}

TEST(SoftpotSearch, AFailedReadingEndsTheSearch) {
    int calls = 0;
    EXPECT_THROW(searchSoftpot(10, 5.0, kMaxMeasurementsPerPoint,
                               [&](int) -> double {
                                   if (++calls == 3) {
                                       throw instrumentFailure("no signal");
                                   }
                                   return calls;
                               }),
                 instrumentFailure);
    EXPECT_EQ(calls, 3);
}

// A squelch that tells only whether it opened: from no guess, a good one, a poor one and one at
// the range's end, with the direction known or still to learn, it ends on the softpot whose
// opening level is closest to the target, within the readings a point may take.
TEST(SquelchSearch, FindsTheClosestOpeningFromAnyGuess) {
    struct Line {
        const char* name;
        double atZero;
        double perStep;
    };
    const pointLimits limits{-118.0, -119.0, -117.0};
    for (const Line line : {Line{"rising", -130.3, 0.55}, Line{"falling", -104.1, -0.47},
                            Line{"steep", -140.0, 1.9}}) {
        const auto opening = [&](int s) { return line.atZero + line.perStep * s; };
        int best = 0;
        for (int s = 1; s <= 63; ++s) {
            if (std::abs(opening(s) - limits.target) < std::abs(opening(best) - limits.target)) {
                best = s;
            }
        }
        for (const bool directionKnown : {false, true}) {
            for (const std::optional<int> guess :
                 {std::optional<int>{}, std::optional{best}, std::optional{best + 3},
                  std::optional{best - 11}, std::optional{0}, std::optional{63}}) {
                SCOPED_TRACE(std::string(line.name) + (directionKnown ? ", known" : ", to learn") +
                             ", guess " + (guess ? std::to_string(*guess) : "none"));
                std::optional<int> direction;
                if (directionKnown) {
                    direction = line.perStep > 0 ? 1 : -1;
                }
                std::set<int> read;
                const auto found = searchSquelch(
                    limits, kMaxMeasurementsPerPoint, direction,
                    [&](int s, double level) {
                        read.insert(s);
                        return level >= opening(s);
                    },
                    guess);
                EXPECT_EQ(found.softpot, best);
                EXPECT_NEAR(found.openingLevel, opening(best), kSquelchResolution);
                EXPECT_EQ(found.measurements, read.size());
                EXPECT_LE(found.measurements, kMaxMeasurementsPerPoint);
                EXPECT_EQ(direction, line.perStep > 0 ? 1 : -1);
                if (guess == best && directionKnown) {
                    EXPECT_LE(found.measurements, 2u) << "a good guess is found at once";
                }
            }
        }
    }
}

TEST(AutoAlignResults, CsvHasOneLinePerPointAndLeavesWhatIsUnknownEmpty) {
    const auto& high = *typeOfCliName("tx-high-power");
    const auto& squelch = *typeOfCliName("squelch-20-tight");
    const auto& ktd = *typeOfCliName("ktd-25");
    std::vector<pointResult> results(3);
    results[0] = {&high, 0, 440.0, pointLimits{5.0, 4.8, 5.2}, 5.04, 40, 43, pointVerdict::Pass, 4};
    results[1] = {&squelch,           4, 479.0, pointLimits{-112, -113, -111}, -115.25, 20, 20,
                  pointVerdict::Fail, 12};
    results[2] = {&ktd, 2, 0.0, std::nullopt, std::nullopt, 0, 0, pointVerdict::Unsupported, 0};
    EXPECT_EQ(resultsCsv(results),
              std::string(kResultsCsvHeader) +
                  "\n"
                  "tx-high-power,F1,440.000000,5.000,4.800,5.200,W,5.040,40,43,PASS\n"
                  "squelch-20-tight,F5,479.000000,-112.000,-113.000,-111.000,dBm,-115.250,20,20,"
                  "FAIL\n"
                  "ktd-25,F3,,,,,kHz,,,,UNSUPPORTED\n");
}

// --- Limits files --------------------------------------------------------------------------------

const AlignmentTypeInfo& typeNamed(const char* name) {
    return *typeOfCliName(name);
}

TEST(AlignmentLimits, ThePointsOwnValuesWinOverTheScreens) {
    const auto parsed = alignmentLimits::parse("; a comment\n"
                                               "[tx-high-power]\n"
                                               "target = 5.0\nmin = 4.8\nmax = 5.2\n"
                                               "F2.target = 4.9\n  F2.min=4.7  \n",
                                               "bench.ini");
    ASSERT_TRUE(parsed.limits) << parsed.error;
    const auto& high = typeNamed("tx-high-power");
    const auto first = parsed.limits->of(high, 0);
    const auto second = parsed.limits->of(high, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->target, 5.0);
    EXPECT_EQ(second->target, 4.9);
    EXPECT_EQ(second->min, 4.7);
    EXPECT_EQ(second->max, 5.2);
    EXPECT_EQ(parsed.limits->missingFor({&high}), "");
    EXPECT_EQ(parsed.limits->missingFor({&typeNamed("tx-low-power")}),
              "bench.ini: no [tx-low-power] section");
}

TEST(AlignmentLimits, AMalformedFileIsRefusedWithItsLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"[tx-high-power\ntarget = 1", "bad.ini:1: a section name must end with ']'"},
        {"[tx-mega-power]\n", "bad.ini:1: no alignment screen is called \"tx-mega-power\""},
        {"target = 1\n", "bad.ini:1: a value before the first [SCREEN]"},
        {"[tx-low-power]\n\ntarget = one\n", "bad.ini:3: \"one\" is not a number"},
        {"[tx-low-power]\ntarget = 1\ntarget = 2\n", "bad.ini:3: \"target\" is given twice"},
        {"[tx-low-power]\nF6.max = 2\n", "bad.ini:2: unknown key \"F6.max\""},
        {"[tx-low-power]\ngoal = 2\n", "bad.ini:2: unknown key \"goal\""},
        {"[tx-low-power]\njust words\n", "bad.ini:2: expected KEY = VALUE or [SCREEN]"},
        {"[tx-low-power]\nmin = 2\nmax = 1\n", "bad.ini:1: [tx-low-power] F1: min is above max"},
        {"[tx-low-power]\ntarget = 3\nmin = 1\nF4.max = 2\n",
         "bad.ini:1: [tx-low-power] F4: the target is outside min-max"},
        {"[tx-low-power]\n[tx-low-power]\n", "bad.ini:2: [tx-low-power] appears twice"},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text);
        const auto parsed = alignmentLimits::parse(text, "bad.ini");
        EXPECT_FALSE(parsed.limits);
        EXPECT_EQ(parsed.error.substr(0, std::string(error).size()), error) << parsed.error;
    }
    const auto partial = alignmentLimits::parse("[ktd-20]\ntarget = 0.5\nmin = 0.45\n", "p.ini");
    ASSERT_TRUE(partial.limits);
    EXPECT_EQ(partial.limits->missingFor({&typeNamed("ktd-20")}),
              "p.ini:1: [ktd-20] has no target, min and max for F3");
}

TEST(AlignmentLimits, TheShippedDefaultsCoverEveryScreen) {
    const auto loaded = alignmentLimits::load(KAVRIN_DEFAULT_LIMITS);
    ASSERT_TRUE(loaded.limits) << loaded.error;
    std::vector<const AlignmentTypeInfo*> all;
    for (const auto& type : kAlignmentTypes) {
        all.push_back(&type);
    }
    EXPECT_EQ(loaded.limits->missingFor(all), "");
    const auto high = loaded.limits->of(typeNamed("tx-high-power"), 4);
    ASSERT_TRUE(high);
    EXPECT_TRUE(high->contains(5.2));
    EXPECT_FALSE(high->contains(5.21));
    EXPECT_EQ(loaded.limits->of(typeNamed("squelch-25-tight"), 0)->target, -112.0);
    EXPECT_FALSE(alignmentLimits::load("/nonexistent/limits.ini").limits);
}

} // namespace
} // namespace kavrin
